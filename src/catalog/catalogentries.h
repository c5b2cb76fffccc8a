// SPDX-License-Identifier: GPL-3.0-or-later
// The folders of a catalog as the catalog-wide commands (find, duplicates, checks) see them,
// and a reference to one entry of one folder's contents file.
#pragma once

#include "textencoding.h"

#include "foldertree.h"
#include "mfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>

// A folder that has a contents file.
struct CatalogFolder
{
    int index = -1;              // position in the tree in pre-order, counting every folder
    QString path;                // the names from the top-level folder down, joined by "/"
    QByteArray contentsFileName; // its MTree's FileName
};

// One entry of one folder, where the contents file held it when it was read.
struct CatalogEntryRef
{
    int folderIndex = -1;
    QString folderPath;
    QByteArray contentsFileName;
    int entryIndex = -1; // position in the contents file
    MFile file;

    friend bool operator==(const CatalogEntryRef &, const CatalogEntryRef &) = default;
};

// The folders with a record, in pre-order. Folders without one hold no entries; they still
// count in the index and give their names to their subfolders' paths.
QList<CatalogFolder> catalogFolders(const QList<FolderRecord> &folders, const TextEncoding &encoding);

// The entries of one folder as read from its file.
struct FolderEntries
{
    CatalogFolder folder;
    QList<MFile> entries;
};

// Reads each folder's contents file once. A missing or unreadable file gives no entries, as
// it does when the folder is shown. Stops early, returning what was read, when cancel is set.
QList<FolderEntries> readCatalogEntries(const CatalogPaths &paths, const QList<CatalogFolder> &folders,
                                        const std::atomic<bool> *cancel = nullptr);
