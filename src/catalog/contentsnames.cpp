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

namespace {

QByteArray contentsName(int n)
{
    return QByteArrayLiteral("cat") + QByteArray::number(n) + QByteArrayLiteral(".lsf");
}

// The names from cat0.lsf up that no taken name equals, at most limit of them. A set keeps a
// full catalog of 2,000 folders from costing 2,000 scans of 2,000 names.
QList<QByteArray> freeContentsNames(const QList<QByteArray> &takenNames, qsizetype limit = MaxContentsFiles)
{
    const QSet<QByteArray> taken(takenNames.cbegin(), takenNames.cend());
    QList<QByteArray> free;
    for (int n = 0; n < MaxContentsFiles && free.size() < limit; ++n)
        if (QByteArray candidate = contentsName(n); !taken.contains(candidate))
            free.append(std::move(candidate));
    return free;
}

} // namespace

std::optional<QByteArray> firstFreeContentsName(const QList<QByteArray> &takenNames)
{
    const QList<QByteArray> free = freeContentsNames(takenNames, 1);
    if (free.isEmpty())
        return std::nullopt;
    return free.constFirst();
}

std::optional<QByteArray> randomFreeContentsName(const QList<QByteArray> &takenNames,
                                                 QRandomGenerator &random)
{
    const QList<QByteArray> free = freeContentsNames(takenNames);
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
