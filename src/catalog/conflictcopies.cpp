// SPDX-License-Identifier: GPL-3.0-or-later
#include "conflictcopies.h"

#include "catalogpaths.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Each pattern takes the original's base name and its extension.
const QList<QRegularExpression> &conflictPatterns()
{
    static const QList<QRegularExpression> patterns{
        QRegularExpression(QStringLiteral(R"(^(.+?)\.sync-conflict-\d{8}-\d{6}-[A-Z0-9]{7}(\.[^.]+)?$)")),
        QRegularExpression(
            QStringLiteral(R"(^(.+?) \(conflicted copy \d{4}-\d{2}-\d{2} \d{6}\)(\.[^.]+)?$)")),
        QRegularExpression(QStringLiteral(
            R"(^(.+?) \([^()]*'s conflicted copy \d{4}-\d{2}-\d{2}(?: \(\d+\))?\)(\.[^.]+)?$)")),
    };
    return patterns;
}

bool isCatalogFileName(const QString &name)
{
    return name == QLatin1String("tree.lsf") || name == QLatin1String("itree.lsf") ||
           name == QLatin1String("etree.lsf") || isContentsFileName(QFile::encodeName(name));
}

} // namespace

QString conflictCopyOriginal(const QString &fileName)
{
    for (const QRegularExpression &pattern : conflictPatterns())
        if (const QRegularExpressionMatch match = pattern.match(fileName); match.hasMatch())
            return match.captured(1) + match.captured(2);
    return QString();
}

QList<ConflictCopy> conflictCopiesAmong(const QStringList &fileNames)
{
    QList<ConflictCopy> copies;
    for (const QString &name : fileNames) {
        // Every pattern says "conflict": a catalog of thousands of folders is looked through
        // at each start, and the patterns are only tried on the few names that could match.
        if (!name.contains(QLatin1String("conflict")))
            continue;
        if (const QString original = conflictCopyOriginal(name); isCatalogFileName(original))
            copies.append({name, original});
    }
    return copies;
}
