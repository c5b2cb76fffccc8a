// SPDX-License-Identifier: GPL-3.0-or-later
// Where the catalog's files live: the work directory and the paths built from it.
#pragma once

#include "mtree.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The lock that an earlier version took for the whole catalog (see SingleInstance).
inline const QString CatalogLockFileName = QStringLiteral("linkshelf.lock");
// Whether a name is a catalog lock's: the earlier version's, or one machine's
// ("linkshelf-HOST.lock"), each of which keeps a second Linkshelf of that machine out.
inline bool isCatalogLockFileName(const QString &name)
{
    return name == CatalogLockFileName ||
           (name.startsWith(QLatin1String("linkshelf-")) && name.endsWith(QLatin1String(".lock")));
}

// Whether a record's name can name a contents file: a plain file name in the work directory
// itself, so that nothing outside it is read, written, copied or removed through a record.
// Not empty; no "/" or "\", no "..", no leading dot, no control character; bytes that a path
// carries unchanged (isPathCarriedExactly); ends in ".lsf" and is none of the three tree files, as
// other names (staging and temporary files, the lock) have a meaning of their own here.
bool isContentsFileName(QByteArrayView name);

// Whether a file name's bytes come back unchanged from the text Qt carries paths in (UTF-8):
// a name that is not valid UTF-8 would reach every file call as another name.
bool isPathCarriedExactly(QByteArrayView bytes);

struct CatalogPaths
{
    QString WorkDirectory; // used unchanged: no separator added or removed
    QString TreeFilePath;  // WorkDirectory + "/tree.lsf"
    QString ITreeFilePath; // WorkDirectory + "/itree.lsf"
    QString ETreeFilePath; // WorkDirectory + "/etree.lsf"

    static CatalogPaths forWorkDirectory(const QString &workDirectory);
    // WorkDirectory + "/" + FileName; none when the name is not a contents file name
    // (isContentsFileName), so that no caller can reach outside the work directory.
    std::optional<QString> ContentsFilePath(const MTree &record) const;
};
