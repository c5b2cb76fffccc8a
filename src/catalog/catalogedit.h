// SPDX-License-Identifier: GPL-3.0-or-later
// An edit of the catalog as a value, applied to the files as they are on disk, and what takes
// it back: the way a command is undone and redone. Every file it writes is replaced whole and
// atomically, in an order that leaves the catalog whole after a crash at any point: contents
// files that the tree is about to name are written before the tree, and a contents file the
// tree stops naming is removed only after the tree.
#pragma once

#include "catalogpaths.h"
#include "entrychange.h"
#include "folderchange.h"
#include "saveresult.h"

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

// A contents file as it was when its folder was removed.
struct KeptContentsFile
{
    MTree record;
    QByteArray bytes;

    friend bool operator==(const KeptContentsFile &, const KeptContentsFile &) = default;
};

// A change to the entries of the folder whose contents file record names.
struct FolderEntryChange
{
    MTree record;
    EntryChange change;

    friend bool operator==(const FolderEntryChange &, const FolderEntryChange &) = default;
};

struct CatalogEdit
{
    // Kept files brought back first, where nothing is at their name.
    QList<KeptContentsFile> files;
    // Then the tree changes, in order, written as one save of the three tree files.
    QList<FolderChange> folders;
    // A first change that adds a folder puts it before this one, its next sibling when it was
    // deleted, if that is still its sibling; else it goes last among its parent's folders.
    std::optional<FolderRef> placeBefore;
    // Then the entry changes, each contents file written whole once all could be read.
    QList<FolderEntryChange> entries;
    // Instead of all the above: the whole catalog put back from this backup snapshot, the way
    // a restore is undone and redone (each keeps the catalog it replaces as a snapshot).
    QString wholeCatalogFrom;

    bool isEmpty() const { return folders.isEmpty() && entries.isEmpty() && wholeCatalogFrom.isEmpty(); }

    friend bool operator==(const CatalogEdit &, const CatalogEdit &) = default;
};

struct CatalogEditOutcome
{
    SaveResult saved;
    CatalogEdit inverse;      // takes back what was applied
    int changedElsewhere = 0; // parts that found their folder or entry changed meanwhile
    std::optional<MTree>
        folderToShow; // the folder added or renamed first, else the one whose entries changed
};

// The edit that takes back changes to folders' entries.
CatalogEdit entryEditUndoing(const QList<FolderEntryChange> &changes);

// The edit that takes back change, about to be applied to before (the tree as on disk). A
// removal keeps the removed folders' contents files as they are now, so call it before they
// go. Empty when change names no folder of before.
CatalogEdit folderEditUndoing(const CatalogPaths &paths, const QList<FolderRecord> &before,
                              const FolderChange &change);

struct FolderEditApplied
{
    CatalogEdit inverse;        // the folder part that takes the changes back
    QList<MTree> filesToRemove; // of folders removed: to go once the tree no longer names them
    int changedElsewhere = 0;
    std::optional<MTree> folderToShow;
};

// Applies edit's folder changes to folders, without writing anything (the contents files of
// removed folders are read, for the inverse).
FolderEditApplied applyFolderEdit(const CatalogPaths &paths, QList<FolderRecord> &folders,
                                  const CatalogEdit &edit);

// Applies edit to the catalog's files as they are now. Nothing is written when the tree files
// or the contents file cannot be read whole; saved says why.
CatalogEditOutcome applyCatalogEdit(const CatalogPaths &paths, const CatalogEdit &edit);
