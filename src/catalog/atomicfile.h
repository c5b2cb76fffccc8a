// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file replacement that never leaves a torn file: the old file or the new one.
#pragma once

#include "saveresult.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <QStringList>
#include <optional>

// Replaces the file at path by bytes: temp file in the same folder, flushed to disk, renamed.
SaveResult writeFileAtomically(const QString &path, const QByteArray &bytes);

struct PendingFile
{
    QString path;
    QByteArray bytes;
};

// Replaces several files as one unit: every new file is written and flushed under a
// staging name (the target's path + ".new") first, and only when all of them succeeded are
// they renamed into place, in the given order. If any cannot be written, none of the targets
// is touched. A unit that an earlier save left half done is settled first (recoverFilesUnit).
SaveResult writeFilesAtomically(const QList<PendingFile> &files);

// The staging file of a target, as writeFilesAtomically names it.
QString stagingPath(const QString &target);

struct UnitRecovery
{
    enum Action {
        Nothing,    // no staging file was left: the targets are one save
        Completed,  // the renames of a save that had staged every file were finished
        Discarded,  // a save that died while staging was dropped: the targets are the old save
        Unexpected, // staging files no save of ours leaves were dropped; the targets are as found
    };
    Action action = Nothing;
    SaveResult result; // a rename or removal that failed: the unit may still be split
};

// Settles a unit of targets (in the order writeFilesAtomically was given them) that a killed
// process or a failed rename left with staging files beside it; see atomicfile.cpp for the rule.
UnitRecovery recoverFilesUnit(const QStringList &targets);

// The file that holds each target's content once recoverFilesUnit has settled the unit, found
// without changing anything: the staging file of a target whose rename a save left to be
// finished, else the target itself. For a reader that must not write, such as a backup
// taken while the window runs.
QStringList settledUnitSources(const QStringList &targets);

// Removes the temporary files that a writer killed before its commit leaves beside a catalog
// file (its name + "." + six letters or digits, staging files' included). Returns how many.
// Only while no other process can be writing in directory: with the catalog's lock held.
int removeAbandonedTemporaryFiles(const QString &directory);

// The whole file, or none when it is missing, not a regular file of its own (a link is not
// followed) or cannot be read to its end (see readRegularFile).
std::optional<QByteArray> readWholeFile(const QString &path);
