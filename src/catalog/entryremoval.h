// SPDX-License-Identifier: GPL-3.0-or-later
// Deleting chosen entries from several folders' contents files at once, for the commands that
// work on the whole catalog (duplicates, checks).
#pragma once

#include "catalogedit.h"

#include "catalogentries.h"
#include "catalogpaths.h"
#include "saveresult.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

struct EntryRemovalHooks
{
    // The folder the window shows: its entries live in the window's list, which is written
    // over its file by the next command, so its entries are removed there and never in the
    // file behind the window's back.
    QByteArray shownContentsFileName;
    // Removes one row equal to each given record from the shown list and saves the list;
    // returns the positions in entries of the records it did not find.
    std::function<QList<qsizetype>(const QList<MFile> &entries)> removeFromShown;
    // Called with a contents file that was read damaged, before it is rewritten with only what
    // could be read, so that its original can be kept aside; false when it must not be
    // rewritten (no copy could be kept), and its entries are left as they are.
    std::function<bool(const QString &file)> beforeRewritingDamaged;
    // Called once, when anything was removed, with the records removed from each folder (the
    // shown one included): what takes the removal back.
    std::function<void(const QList<FolderEntryChange> &removed)> removedEntries;
};

struct EntryRemovalResult
{
    int removed = 0;
    // Entries no longer in their file as they were when found (changed in the meantime), or in
    // a file that must not be rewritten: all left as they are.
    QList<CatalogEntryRef> notFound;
    SaveResult save; // a failure: no file of the other folders was changed
};

// For each reference, removes from its folder one entry equal to its record: the one at its
// recorded position when that still holds the record, else the first equal one left. The
// files of the other folders are written as one unit before the shown folder is changed.
EntryRemovalResult removeCatalogEntries(const CatalogPaths &paths, const QList<CatalogEntryRef> &entries,
                                        const EntryRemovalHooks &hooks);

// The positions in entries of one entry equal to each wanted record, chosen as above (a
// wanted position of -1 means any); records with no entry left are put in missing.
QList<qsizetype> positionsToRemove(const QList<MFile> &entries, const QList<std::pair<int, MFile>> &wanted,
                                   QList<qsizetype> *missing = nullptr);
