// SPDX-License-Identifier: GPL-3.0-or-later
// The copies that sync tools leave beside a catalog file when two machines changed it at
// once: found by their names, so that what they hold can be merged into the catalog.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct ConflictCopy
{
    QString fileName;     // the copy, in the work directory
    QString originalName; // the catalog file it is a copy of (cat3.lsf, tree.lsf, ...)

    friend bool operator==(const ConflictCopy &, const ConflictCopy &) = default;
};

// The catalog file a conflict copy's name belongs to, or an empty string when the name is no
// conflict copy's. The names that sync tools give, for "cat0.lsf":
//   cat0.sync-conflict-20240101-120000-ABCDEFG.lsf        (Syncthing)
//   cat0 (conflicted copy 2024-01-01 120000).lsf          (Nextcloud)
//   cat0 (ann's conflicted copy 2024-01-01).lsf           (Dropbox; a " (1)" may follow the date)
QString conflictCopyOriginal(const QString &fileName);

// The conflict copies among the names of a work directory's files, of catalog files only.
QList<ConflictCopy> conflictCopiesAmong(const QStringList &fileNames);
