// SPDX-License-Identifier: GPL-3.0-or-later
// Contents file names are taken by the folders of the tree and by the files in the work
// directory: a number is free again once its folder and its file are both gone.
#include "contentsnames.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>

bool IsContentsNameFree(const QList<QByteArray> &takenNames, QByteArrayView name)
{
    return std::none_of(takenNames.cbegin(), takenNames.cend(),
                        [name](const QByteArray &taken) { return QByteArrayView(taken) == name; });
}

// A set keeps a full catalog of 2,000 folders from costing 2,000 scans of 2,000 names.
std::optional<QByteArray> firstFreeContentsName(const QList<QByteArray> &takenNames)
{
    const QSet<QByteArray> taken(takenNames.cbegin(), takenNames.cend());
    for (int n = 0; n < MaxContentsFiles; ++n) {
        QByteArray candidate = QByteArrayLiteral("cat") + QByteArray::number(n) + QByteArrayLiteral(".lsf");
        if (!taken.contains(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::optional<QByteArray> randomFreeContentsName(const QList<QByteArray> &takenNames,
                                                 QRandomGenerator &random)
{
    const QSet<QByteArray> taken(takenNames.cbegin(), takenNames.cend());
    QList<QByteArray> free;
    for (int n = 0; n < MaxContentsFiles; ++n) {
        QByteArray candidate = QByteArrayLiteral("cat") + QByteArray::number(n) + QByteArrayLiteral(".lsf");
        if (!taken.contains(candidate))
            free.append(std::move(candidate));
    }
    if (free.isEmpty())
        return std::nullopt;
    return free.at(qsizetype(random.bounded(quint32(free.size()))));
}

QList<QByteArray> takenContentsNames(const QString &workDirectory, const QList<QByteArray> &heldByFolders)
{
    QList<QByteArray> taken = heldByFolders;
    const QStringList names =
        QDir(workDirectory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        taken.append(QFile::encodeName(name));
    return taken;
}
