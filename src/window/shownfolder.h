// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog as the window shows it, for the catalog-wide tools: the folders as the tree
// holds them, the folder the list shows, and changes to that list made through the list
// itself, never by writing its file behind the window's back.
#pragma once

#include "catalogview.h"

#include <QHash>
#include <QList>
#include <QObject>

class CatalogSession;
class FolderItem;

CatalogSnapshot catalogSnapshot(const CatalogSession &session);

// The folder of a found entry: the one at its position in the tree when that one still has
// its contents file, else the one that has it now (the tree changed since); null when none.
FolderItem *folderOfEntry(const CatalogSession &session, const CatalogEntryRef &entry);

// Selects the entry's folder, then the entry in the list, and scrolls to it. Entries with the
// same record are alike to the user, so the first of them is taken. False when the folder is
// gone; true with only the folder selected when the entry has gone from it.
bool revealEntry(CatalogSession &session, const CatalogEntryRef &entry);

// Removes one row equal to each record from the list and saves the folder; returns the
// positions in entries of the records that no row holds.
QList<qsizetype> removeShownEntries(CatalogSession &session, const QList<MFile> &entries);

// The hooks that make removeCatalogEntries change the shown folder through its list and keep
// a damaged file aside (telling the user) before it is rewritten.
EntryRemovalHooks shownFolderRemovalHooks(CatalogSession &session);

// The shown folder's entries as references (entryIndex is the row); none when no folder
// takes entries.
std::optional<QList<CatalogEntryRef>> shownFolderEntries(const CatalogSession &session);

// Finds the rows of the shown list that hold an entry's record, for marks that arrive while a
// check runs. The lookup is built once per state of the list, not once per entry.
class ShownEntryRows final : public QObject
{
    Q_OBJECT
public:
    explicit ShownEntryRows(CatalogSession &session, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ShownEntryRows)

    // Rows in the shown folder holding entry's record; none when it is another folder's.
    QList<int> rowsOf(const CatalogEntryRef &entry);

private:
    void rebuild();

    CatalogSession &m_session;
    QHash<QByteArray, QList<int>> m_rowsOfRecord;
    QByteArray m_folder; // the contents file the table was built for
    bool m_valid = false;
};

// The window's session seen by the tools.
class SessionCatalogView final : public CatalogView
{
public:
    explicit SessionCatalogView(CatalogSession &session);
    Q_DISABLE_COPY_MOVE(SessionCatalogView)

    CatalogSnapshot snapshot() const override { return catalogSnapshot(m_session); }
    bool reveal(const CatalogEntryRef &entry) override { return revealEntry(m_session, entry); }
    EntryRemovalHooks removalHooks() override { return shownFolderRemovalHooks(m_session); }
    std::optional<QList<CatalogEntryRef>> shownEntries() const override
    {
        return shownFolderEntries(m_session);
    }
    QList<int> shownRowsOf(const CatalogEntryRef &entry) override { return m_shownRows.rowsOf(entry); }

private:
    CatalogSession &m_session;
    ShownEntryRows m_shownRows;
};
