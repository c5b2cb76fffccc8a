// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogedit.h"

#include "atomicfile.h"
#include "backups.h"
#include "contentsfile.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool treeNames(const QList<FolderRecord> &folders, const MTree &record)
{
    return findFolder(folders, FolderRef{record, {}}) >= 0;
}

// The parent of the folder at index, or -1 for a top-level folder.
qsizetype parentOf(const QList<FolderRecord> &folders, qsizetype index)
{
    qsizetype at = index - 1;
    while (at >= 0 && folders[at].Level >= folders[index].Level)
        --at;
    return at;
}

qsizetype subtreeEnd(const QList<FolderRecord> &folders, qsizetype index)
{
    qsizetype end = index + 1;
    while (end < folders.size() && folders[end].Level > folders[index].Level)
        ++end;
    return end;
}

// Adds that bring the folder at index and its subfolders back, with the contents files they
// have now.
CatalogEdit restoringSubtree(const CatalogPaths &paths, const QList<FolderRecord> &folders, qsizetype index)
{
    CatalogEdit edit;
    if (const qsizetype next = subtreeEnd(folders, index);
        next < folders.size() && folders[next].Level == folders[index].Level)
        edit.placeBefore = folderRefAt(folders, next);
    for (qsizetype i = index; i < subtreeEnd(folders, index); ++i) {
        const qsizetype parent = parentOf(folders, i);
        const FolderRef parentRef = parent >= 0 ? folderRefAt(folders, parent) : FolderRef{};
        edit.folders.append(FolderChange{FolderChange::Add, parentRef, folders[i].Name, folders[i].Record});
        if (!folders[i].Record)
            continue;
        const std::optional<QString> path = paths.ContentsFilePath(*folders[i].Record);
        if (const std::optional<QByteArray> bytes = path ? readWholeFile(*path) : std::nullopt)
            edit.files.append({*folders[i].Record, *bytes});
    }
    return edit;
}

// A kept file comes back only where nothing is at its name and no folder names it: whatever
// is there now is someone's, and is left alone.
SaveResult bringBackFile(const CatalogPaths &paths, const QList<FolderRecord> &folders,
                         const KeptContentsFile &kept)
{
    const std::optional<QString> path = paths.ContentsFilePath(kept.record);
    if (!path || treeNames(folders, kept.record))
        return SaveResult::success();
    const QFileInfo info(*path);
    if (info.exists() || info.isSymLink())
        return SaveResult::success();
    return writeContentsFile(*path, kept.bytes);
}

bool treeReadWhole(const FolderTreeLoad &load)
{
    return load.status == FolderTreeLoad::Loaded && load.indexRead && !load.countsDiffer &&
           !load.refusedRecords && load.unreadableFiles.isEmpty();
}

// A folder added last among its siblings moves up to its old place, before the sibling that
// followed it, when that one is still there under the same parent.
qsizetype moveBefore(QList<FolderRecord> &folders, qsizetype added, const FolderRef &sibling)
{
    const qsizetype at = findFolder(folders, sibling);
    if (at < 0 || at >= added || folders[at].Level != folders[added].Level ||
        parentOf(folders, at) != parentOf(folders, added))
        return added;
    folders.move(added, at); // no subfolders yet: they are added after it
    return at;
}

SaveResult applyFolderChanges(const CatalogPaths &paths, QList<FolderRecord> &folders,
                              const CatalogEdit &edit, CatalogEditOutcome &outcome)
{
    for (const KeptContentsFile &kept : edit.files)
        if (const SaveResult written = bringBackFile(paths, folders, kept); !written)
            return written;
    const FolderEditApplied applied = applyFolderEdit(paths, folders, edit);
    outcome.inverse.files = applied.inverse.files;
    outcome.inverse.folders = applied.inverse.folders;
    outcome.inverse.placeBefore = applied.inverse.placeBefore;
    outcome.changedElsewhere += applied.changedElsewhere;
    outcome.folderToShow = applied.folderToShow;
    if (SaveResult saved = saveFolderTree(paths, folders); !saved)
        return saved;
    // As a deleted folder's file goes: once the tree on disk no longer names it.
    for (const MTree &record : applied.filesToRemove)
        if (const std::optional<QString> path = paths.ContentsFilePath(record);
            path && !treeNames(folders, record))
            QFile::remove(*path);
    return SaveResult::success();
}

SaveResult applyEntries(const CatalogPaths &paths, const QList<FolderRecord> &folders,
                        const CatalogEdit &edit, CatalogEditOutcome &outcome)
{
    // Each file is written as a command writes it; a staged unit of several contents files
    // would leave staging files that no start settles, when cut off between its renames.
    QList<std::pair<QString, QByteArray>> pending;
    for (const FolderEntryChange &entries : edit.entries) {
        outcome.inverse.entries.append({entries.record, entries.change.inverted()});
        const std::optional<QString> path = paths.ContentsFilePath(entries.record);
        if (!path || !treeNames(folders, entries.record)) {
            ++outcome.changedElsewhere; // the folder was deleted: its entries are not brought back alone
            continue;
        }
        const ContentsReadResult fresh = readContentsFile(*path);
        if (!fresh.readError.isEmpty())
            return SaveResult::failure(fresh.readError);
        if (fresh.damaged || fresh.textsCut)
            return SaveResult::failure(QStringLiteral("the file \"%1\" is damaged").arg(*path));
        const EntryChangeOutcome applied = applyEntryChange(fresh.entries, entries.change);
        outcome.changedElsewhere += int(applied.alreadyGone.size() + applied.keptAsNew.size());
        if (!outcome.folderToShow)
            outcome.folderToShow = entries.record;
        pending.append({*path, serializeContents(applied.entries)});
    }
    for (const auto &[path, bytes] : pending)
        if (SaveResult written = writeContentsFile(path, bytes); !written)
            return written;
    return SaveResult::success();
}

} // namespace

FolderEditApplied applyFolderEdit(const CatalogPaths &paths, QList<FolderRecord> &folders,
                                  const CatalogEdit &edit)
{
    FolderEditApplied result;
    for (qsizetype i = 0; i < edit.folders.size(); ++i) {
        const FolderChange &change = edit.folders[i];
        const CatalogEdit back = folderEditUndoing(paths, folders, change);
        const FolderChangeOutcome applied = applyFolderChange(folders, change);
        qsizetype at = applied.at;
        if (i == 0 && change.kind == FolderChange::Add && edit.placeBefore)
            at = moveBefore(folders, at, *edit.placeBefore);
        if (!applied.applied)
            ++result.changedElsewhere;
        if (change.kind == FolderChange::Remove && applied.applied && applied.removed.constFirst().Record)
            result.filesToRemove.append(*applied.removed.constFirst().Record);
        if (at >= 0 && folders[at].Record && !result.folderToShow)
            result.folderToShow = folders[at].Record;
        // Taken back in the opposite order: this change's inverse comes first.
        result.inverse.folders = back.folders + result.inverse.folders;
        result.inverse.files += back.files;
        if (!back.folders.isEmpty())
            result.inverse.placeBefore = back.placeBefore;
    }
    return result;
}

CatalogEdit entryEditUndoing(const QList<FolderEntryChange> &changes)
{
    CatalogEdit edit;
    for (const FolderEntryChange &entries : changes)
        edit.entries.append({entries.record, entries.change.inverted()});
    return edit;
}

CatalogEdit folderEditUndoing(const CatalogPaths &paths, const QList<FolderRecord> &before,
                              const FolderChange &change)
{
    CatalogEdit edit;
    const qsizetype at = findFolder(before, change.folder);
    switch (change.kind) {
    case FolderChange::Add: {
        QList<FolderRecord> after = before;
        const FolderChangeOutcome added = applyFolderChange(after, change);
        edit.folders.append(FolderChange::removing(folderRefAt(after, added.at)));
        break;
    }
    case FolderChange::Rename:
        if (at >= 0) {
            QList<FolderRecord> after = before;
            applyFolderChange(after, change);
            edit.folders.append(FolderChange::renaming(folderRefAt(after, at), before[at].Name));
        }
        break;
    case FolderChange::Remove:
        if (at >= 0)
            edit = restoringSubtree(paths, before, at);
        break;
    }
    return edit;
}

CatalogEditOutcome applyCatalogEdit(const CatalogPaths &paths, const CatalogEdit &edit)
{
    CatalogEditOutcome outcome;
    if (!edit.wholeCatalogFrom.isEmpty()) {
        outcome.saved =
            restoreBackup(paths.WorkDirectory, edit.wholeCatalogFrom, &outcome.inverse.wholeCatalogFrom);
        return outcome;
    }
    const FolderTreeLoad load = loadFolderTree(paths);
    if (!treeReadWhole(load)) {
        outcome.saved = SaveResult::failure(QStringLiteral("the folder tree files cannot be read whole"));
        return outcome;
    }
    QList<FolderRecord> folders = load.folders;
    if (!edit.folders.isEmpty())
        outcome.saved = applyFolderChanges(paths, folders, edit, outcome);
    if (outcome.saved && !edit.entries.isEmpty())
        outcome.saved = applyEntries(paths, folders, edit, outcome);
    return outcome;
}
