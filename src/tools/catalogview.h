// SPDX-License-Identifier: GPL-3.0-or-later
// What the catalog-wide tools (find, check, duplicates) need from the window: the folders as
// the tree holds them, the folder the list shows, and changes to that list made through the
// list itself, never by writing its file behind the window's back.
#pragma once

#include "catalogentries.h"
#include "catalogpaths.h"
#include "entryremoval.h"
#include "pathmapping.h"
#include "textencoding.h"

#include <QList>

#include <optional>

// The catalog as the window has it now.
struct CatalogSnapshot
{
    CatalogPaths paths;
    QList<CatalogFolder> folders;     // every folder with a record, in the tree's pre-order
    QByteArray shownContentsFileName; // the folder the list shows; empty when none
    TextEncoding encoding;            // the catalog's texts are decoded with it
    QList<PathMapping> pathMappings;  // its paths from other systems open by them
};

class CatalogView
{
public:
    virtual ~CatalogView() = default;

    virtual CatalogSnapshot snapshot() const = 0;

    // Selects the entry's folder, then the entry in the list, and scrolls to it. False when
    // the folder is gone; true with only the folder selected when the entry has gone from it.
    virtual bool reveal(const CatalogEntryRef &entry) = 0;

    // How removeCatalogEntries changes the shown folder (through its list) and keeps a damaged
    // file aside before it is rewritten; asked again for each removal.
    virtual EntryRemovalHooks removalHooks() = 0;

    // The shown folder's entries as references (entryIndex is the row); none when no folder
    // takes entries.
    virtual std::optional<QList<CatalogEntryRef>> shownEntries() const = 0;

    // Rows in the shown folder holding entry's record; none when it is another folder's.
    virtual QList<int> shownRowsOf(const CatalogEntryRef &entry) = 0;
};
