// SPDX-License-Identifier: GPL-3.0-or-later
// A command on the folder tree as a value: add, rename or remove one folder. It is applied
// to the tree files as they are on disk when the command writes, so that folders another
// machine added or renamed meanwhile stay, and it names its folder so that it is found there.
#pragma once

#include "foldertree.h"

#include <QByteArray>
#include <QList>

#include <optional>

// Which folder a change means. Its contents file names it wherever it has moved to; a folder
// without one is named by its path of names.
struct FolderRef
{
    std::optional<MTree> record;
    FolderPath path;

    friend bool operator==(const FolderRef &, const FolderRef &) = default;
};

struct FolderChange
{
    enum Kind { Add, Rename, Remove };
    Kind kind = Add;
    FolderRef folder;            // Add: the parent (no record and no path: the top level);
                                 // Rename: the folder with the path it had before
    QByteArray name;             // Add: the new folder's name; Rename: the new name
    std::optional<MTree> record; // Add: the new folder's contents file

    static FolderChange adding(FolderRef parent, QByteArray name, MTree record)
    {
        return {Add, std::move(parent), std::move(name), std::move(record)};
    }
    static FolderChange renaming(FolderRef folder, QByteArray name)
    {
        return {Rename, std::move(folder), std::move(name), {}};
    }
    static FolderChange removing(FolderRef folder) { return {Remove, std::move(folder), {}, {}}; }

    // The change that takes this one back: an added folder removed, a renamed one given its
    // old name (the last name of its path), a removed one added again under its parent, as the
    // last child and without the subfolders that went with it.
    FolderChange inverted() const;

    friend bool operator==(const FolderChange &, const FolderChange &) = default;
};

struct FolderChangeOutcome
{
    bool applied = true;         // false: the folder it names is gone (an add then went to the top level)
    QList<FolderRecord> removed; // Remove: the folder and its subfolders, for their files
    qsizetype at = -1;           // the position of the folder added or renamed
};

// The position of the folder ref names in folders, or -1.
qsizetype findFolder(const QList<FolderRecord> &folders, const FolderRef &ref);
// The reference of the folder at index.
FolderRef folderRefAt(const QList<FolderRecord> &folders, qsizetype index);

// Applies the change to folders in pre-order. An added folder goes last among its parent's
// children; a parent that is gone puts it at the top level, so that nothing is lost.
FolderChangeOutcome applyFolderChange(QList<FolderRecord> &folders, const FolderChange &change);
