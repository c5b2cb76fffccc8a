// SPDX-License-Identifier: GPL-3.0-or-later
// Dated snapshots of the catalog's files, at most one a day, and putting one back.
#pragma once

#include "saveresult.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>

// The folder of the work directory that holds the snapshots, one subfolder per day named
// YYYY-MM-DD. The catalog reads only files named in the work directory itself, so nothing in
// it is ever taken for a catalog file.
QString backupsFolder(const QString &workDirectory);

// The most snapshots kept: the oldest go first.
inline constexpr int KeptBackups = 15;

struct BackupResult
{
    enum Outcome {
        Made,          // a snapshot of the catalog as it is now
        AlreadyToday,  // today has its snapshot
        Unchanged,     // the catalog equals the newest snapshot
        NothingToKeep, // the work directory holds no catalog file
        Postponed,     // cancelled, or the catalog kept changing while it was taken: try later
    };
    Outcome outcome = NothingToKeep;
    QString folder;    // the snapshot made
    SaveResult result; // why no snapshot could be made
};

// Keeps the catalog's files (the tree files and every contents file) as today's snapshot,
// unless today has one or nothing changed since the newest; then keeps the newest KeptBackups.
// Each file is hard-linked into the snapshot, or copied where the file system has no hard
// links (see catalogsnapshot.h), so a day's snapshot costs a directory entry per file. It may
// run on a thread of its own while the window saves: the files are read as the tree unit's
// recovery would leave them, and a snapshot during which a catalog file changed is dropped
// and taken again, so it always shows the catalog as one moment left it. A snapshot is made
// under a temporary name and renamed when whole, so a crash never leaves a half snapshot that
// looks whole. Stops between two files when cancel is set.
BackupResult makeDailyBackup(const QString &workDirectory, const QDate &today = QDate::currentDate(),
                             const std::atomic<bool> *cancel = nullptr);

// The snapshots there are, newest first, as their folder names (YYYY-MM-DD).
QStringList availableBackups(const QString &workDirectory);

// Puts the snapshot of date (YYYY-MM-DD) back as the catalog. The catalog as it was is kept
// first as a snapshot of its own (named date + "-before-restore-HHMMSS" of today), so that a
// restore can be undone. Contents files are put back first and the three tree files last, as
// one unit, so that a crash part-way leaves the old tree naming files that exist. Contents files
// that the snapshot does not have are removed only after the tree no longer names them. Only
// with the catalog's lock held and before the window has loaded it, or with the window
// reloading it afterwards. keptAs, when given, gets the name of the snapshot of the catalog as
// it was (left as it is when the catalog was empty and nothing was kept).
SaveResult restoreBackup(const QString &workDirectory, const QString &date, QString *keptAs = nullptr);
