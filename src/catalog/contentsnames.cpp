// SPDX-License-Identifier: GPL-3.0-or-later
// Contents file names are taken only by the folders of the tree: a file left in the work
// directory by a deleted folder does not block its name, so numbers are reused lowest first.
#include "contentsnames.h"

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
