// SPDX-License-Identifier: GPL-3.0-or-later
#include "shownfolder.h"

#include "catalogsession.h"
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "folderitem.h"
#include "mainlist.h"
#include "maintree.h"

#include <QAbstractItemView>

#include <numeric>

namespace {

QByteArray recordKey(const MFile &file)
{
    return serializeContents({file}); // every field, unambiguously
}

QByteArray shownFileName(const CatalogSession &session)
{
    const FolderItem *folder = session.folderTakingEntries();
    return folder ? folder->record->FileName : QByteArray();
}

} // namespace

CatalogSnapshot catalogSnapshot(const CatalogSession &session)
{
    return {session.paths(),
            catalogFolders(session.controls().tree->toRecords(), session.choices().textEncoding()),
            shownFileName(session), session.choices().textEncoding(), session.choices().pathMappings()};
}

FolderItem *folderOfEntry(const CatalogSession &session, const CatalogEntryRef &entry)
{
    const QList<FolderItem *> folders = session.controls().tree->foldersInPreOrder();
    FolderItem *atIndex = folders.value(entry.folderIndex);
    if (atIndex && atIndex->record && atIndex->record->FileName == entry.contentsFileName)
        return atIndex;
    for (FolderItem *folder : folders)
        if (folder->record && folder->record->FileName == entry.contentsFileName)
            return folder;
    return nullptr;
}

bool revealEntry(CatalogSession &session, const CatalogEntryRef &entry)
{
    FolderItem *folder = folderOfEntry(session, entry);
    if (!folder)
        return false;
    MainTree *tree = session.controls().tree;
    if (tree->currentItem() != folder) {
        tree->setCurrentItem(folder); // the selection events read the folder into the list
        tree->scrollToItem(folder);
    }
    const EntryListModel &model = session.model();
    for (int row = 0; row < model.count(); ++row) {
        if (model.rowAt(row).file == entry.file) {
            MainList *list = session.controls().list;
            list->selectRows({row});
            list->scrollToRow(row);
            session.showDescription(entry.file);
            session.UpdateFileCounts();
            break;
        }
    }
    return true;
}

QList<qsizetype> removeShownEntries(CatalogSession &session, const QList<MFile> &entries)
{
    if (!session.selectedFolderTakesChanges()) {
        QList<qsizetype> all(entries.size());
        std::iota(all.begin(), all.end(), 0);
        return all;
    }
    EntryListModel &model = session.model();
    QList<MFile> rows;
    rows.reserve(model.count());
    for (int row = 0; row < model.count(); ++row)
        rows.append(model.rowAt(row).file);
    QList<std::pair<int, MFile>> wanted;
    for (const MFile &file : entries)
        wanted.append({-1, file});
    QList<qsizetype> missing;
    const QList<qsizetype> positions = positionsToRemove(rows, wanted, &missing);
    if (!positions.isEmpty()) {
        QList<MFile> found;
        for (qsizetype at : positions)
            found.append(rows[at]);
        session.clearDescription();
        session.applyToShownFolder(EntryChange::removing(found)); // undone with the whole removal
    }
    return missing;
}

EntryRemovalHooks shownFolderRemovalHooks(CatalogSession &session)
{
    EntryRemovalHooks hooks;
    hooks.shownContentsFileName = shownFileName(session);
    hooks.removeFromShown = [&session](const QList<MFile> &entries) {
        return removeShownEntries(session, entries);
    };
    hooks.beforeRewritingDamaged = [&session](const QString &file) {
        return session.keepDamagedFileAside(file);
    };
    hooks.removedEntries = [&session](const QList<FolderEntryChange> &removed) {
        qsizetype count = 0;
        for (const FolderEntryChange &folder : removed)
            count += folder.change.removed.size();
        session.history().record(entriesStepName(QStringLiteral("Delete"), count), entryEditUndoing(removed));
    };
    return hooks;
}

std::optional<QList<CatalogEntryRef>> shownFolderEntries(const CatalogSession &session)
{
    const FolderItem *folder = session.folderTakingEntries();
    if (!folder)
        return std::nullopt;
    QList<CatalogEntryRef> entries;
    const QList<FolderItem *> folders = session.controls().tree->foldersInPreOrder();
    const int index = int(folders.indexOf(const_cast<FolderItem *>(folder)));
    const CatalogSnapshot snapshot = catalogSnapshot(session);
    QString path;
    for (const CatalogFolder &each : snapshot.folders)
        if (each.index == index)
            path = each.path;
    const EntryListModel &model = session.model();
    entries.reserve(model.count());
    for (int row = 0; row < model.count(); ++row)
        entries.append({index, path, folder->record->FileName, row, model.rowAt(row).file});
    return entries;
}

ShownEntryRows::ShownEntryRows(CatalogSession &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
{
    EntryListModel *model = &session.model();
    const auto invalidate = [this] { m_valid = false; };
    connect(model, &QAbstractItemModel::modelReset, this, invalidate);
    connect(model, &QAbstractItemModel::layoutChanged, this, invalidate);
    connect(model, &QAbstractItemModel::rowsInserted, this, invalidate);
    connect(model, &QAbstractItemModel::rowsRemoved, this, invalidate);
    connect(model, &QAbstractItemModel::rowsMoved, this, invalidate);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                // A record edited in place changes its key; marks and icons leave it alone.
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                    m_valid = false;
            });
}

void ShownEntryRows::rebuild()
{
    m_rowsOfRecord.clear();
    m_folder = shownFileName(m_session);
    const EntryListModel &model = m_session.model();
    for (int row = 0; row < model.count(); ++row)
        m_rowsOfRecord[recordKey(model.rowAt(row).file)].append(row);
    m_valid = true;
}

QList<int> ShownEntryRows::rowsOf(const CatalogEntryRef &entry)
{
    if (!m_valid || m_folder != shownFileName(m_session))
        rebuild();
    if (m_folder.isEmpty() || entry.contentsFileName != m_folder)
        return {};
    return m_rowsOfRecord.value(recordKey(entry.file));
}

SessionCatalogView::SessionCatalogView(CatalogSession &session)
    : m_session(session)
    , m_shownRows(session)
{}
