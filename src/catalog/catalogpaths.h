// SPDX-License-Identifier: GPL-3.0-or-later
// Where the catalog's files live: the work directory and the paths built from it.
#pragma once

#include "mtree.h"

#include <QString>

// The lock that keeps a second Linkshelf from writing the same catalog (see SingleInstance).
inline const QString CatalogLockFileName = QStringLiteral("linkshelf.lock");

struct CatalogPaths
{
    QString WorkDirectory; // used unchanged: no separator added or removed
    QString TreeFilePath;  // WorkDirectory + "/tree.lsf"
    QString ITreeFilePath; // WorkDirectory + "/itree.lsf"
    QString ETreeFilePath; // WorkDirectory + "/etree.lsf"

    static CatalogPaths forWorkDirectory(const QString &workDirectory);
    QString ContentsFilePath(const MTree &record) const; // WorkDirectory + "/" + FileName
};
