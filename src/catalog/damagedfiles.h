// SPDX-License-Identifier: GPL-3.0-or-later
// Copies of damaged catalog files, kept aside before anything can rewrite them.
#pragma once

#include "saveresult.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The folder of the work directory that holds the copies. The catalog reads only files named
// in the work directory itself, so nothing in it is ever taken for a catalog file.
QString damagedFilesFolder(const QString &workDirectory);

struct DamagedCopy
{
    QString path;      // where the copy is; empty when there was nothing to keep
    bool made = false; // false: an identical copy was kept before, the user has been told
    SaveResult result; // the copy could not be written
};

// Copies file into the damaged folder as its name + ".damaged-YYYYMMDD-HHMMSS". An empty or
// missing file has nothing to lose and gets no copy; a file whose identical copy is already
// there gets no second one. A file that is there but cannot be read (a link, a pipe, no
// permission) cannot be kept: that is a failed copy.
DamagedCopy keepDamagedCopy(const QString &workDirectory, const QString &file,
                            const QDateTime &now = QDateTime::currentDateTime());
