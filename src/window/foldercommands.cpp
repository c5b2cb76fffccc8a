// SPDX-License-Identifier: GPL-3.0-or-later
#include "foldercommands.h"

#include "atomicfile.h"
#include "catalogchoicecommands.h"
#include "catalogsession.h"
#include "contentsfile.h"
#include "contentsnames.h"
#include "entrylistmodel.h"
#include "foldername.h"
#include "interaction.h"
#include "mainlist.h"
#include "maintree.h"
#include "systemicons.h"

#include <QFile>
#include <QRandomGenerator>

FolderRef folderRef(const FolderItem *folder)
{
    if (!folder)
        return {}; // the top level
    FolderPath path;
    for (const FolderItem *at = folder; at; at = at->parentFolder())
        path.prepend(at->nameBytes());
    return {folder->record, path};
}

FolderCommands::FolderCommands(CatalogSession &session)
    : m_session(session)
{}

// A tree that may not be written, or that has no room for another folder, refuses before the
// name is asked for: the user would type it for nothing.
void FolderCommands::AddFolder()
{
    if (!m_session.treeTakesChanges() || !freeContentsName())
        return;
    const auto name = m_session.interaction().askForString(QStringLiteral("New folder"),
                                                           QStringLiteral("Enter a new folder name"),
                                                           textRefusal(m_session.choices().textEncoding()));
    if (name)
        CreateFolder(nullptr, *name);
}

void FolderCommands::AddSubfolder()
{
    if (!m_session.treeTakesChanges() || !freeContentsName())
        return;
    const auto name = m_session.interaction().askForString(QStringLiteral("New subfolder"),
                                                           QStringLiteral("Enter a new subfolder name"),
                                                           textRefusal(m_session.choices().textEncoding()));
    if (name)
        CreateFolder(m_session.controls().tree->selectedFolder(), *name);
}

FolderItem *FolderCommands::CreateFolder(FolderItem *parent, const QString &name)
{
    const TextEncoding &encoding = m_session.choices().textEncoding();
    const EncodedText encoded = encoding.encode(folderNameFromText(name));
    if (encoded.unencodable) {
        m_session.interaction().showMessage(encoding.unencodableMessage(*encoded.unencodable));
        return nullptr;
    }
    QByteArray fileName;
    if (!m_session.treeTakesChanges() || !AssignContentsFile(fileName))
        return nullptr;
    MainTree *tree = m_session.controls().tree;
    const FolderChange change = FolderChange::adding(folderRef(parent), encoded.bytes, MTree{fileName});
    FolderItem *folder = tree->appendFolder(parent, encoded.bytes, MTree{fileName});
    if (parent)
        parent->setExpanded(true);
    {
        const QSignalBlocker blocker(tree); // selected and written below, with the change
        tree->setCurrentItem(folder);
    }
    MainTreeChange(folder, change, QStringLiteral("Add folder"));
    folder = tree->selectedFolder(); // the tree may have been read again around the change
    if (folder)
        tree->scrollToItem(folder);
    return folder;
}

std::optional<QByteArray> FolderCommands::freeContentsName()
{
    const QList<QByteArray> held = m_session.controls().tree->contentsFileNames();
    const QList<QByteArray> taken = takenContentsNames(m_session.paths().WorkDirectory, held);
    // Another machine may add a folder to a shared catalog at the same moment, before either
    // file has reached the other: a drawn name is unlikely to be the one it takes. The first
    // folder of a catalog takes cat0.lsf, as it always has.
    const std::optional<QByteArray> free = held.isEmpty()
                                               ? firstFreeContentsName(taken)
                                               : randomFreeContentsName(taken, *QRandomGenerator::global());
    if (!free)
        m_session.interaction().showMessage(
            QStringLiteral("The folder was not added: the catalog already holds %1 folders, "
                           "the most it can keep.")
                .arg(MaxContentsFiles));
    return free;
}

bool FolderCommands::AssignContentsFile(QByteArray &fileName)
{
    const std::optional<QByteArray> free = freeContentsName();
    if (!free)
        return false;
    // A folder whose file could not be made would lose every entry given to it.
    const SaveResult made =
        writeContentsFile(m_session.paths().ContentsFilePath(MTree{*free}).value(), emptyContents());
    if (!made) {
        m_session.interaction().showMessage(
            QStringLiteral("The folder was not added: its file could not be created.\n%1")
                .arg(made.errorString));
        return false;
    }
    fileName = *free;
    return true;
}

void FolderCommands::DeleteFolder()
{
    MainTree *tree = m_session.controls().tree;
    FolderItem *folder = tree->selectedFolder();
    if (!folder || !m_session.treeTakesChanges())
        return;
    if (!m_session.interaction().askYesNo(QStringLiteral("Do you really want to delete this folder ?"))) {
        m_session.UpdateFileCounts();
        return;
    }
    if (!folder->record)
        return;
    const FolderChange change = FolderChange::removing(folderRef(folder));
    // A read-only file stays: the folder goes, what nobody has read or kept does not.
    std::optional<QString> contentsFile = m_session.paths().ContentsFilePath(*folder->record);
    if (contentsFile && m_session.readOnlyFiles().reasonFor(*contentsFile))
        contentsFile.reset();
    // The neighbour a user expects to land on: the next folder, else the one before, else
    // the parent.
    QTreeWidgetItem *parent = folder->parent() ? folder->parent() : tree->invisibleRootItem();
    const int at = parent->indexOfChild(folder);
    QTreeWidgetItem *neighbour = parent->child(at + 1) ? parent->child(at + 1)
                                 : at > 0              ? parent->child(at - 1)
                                                       : folder->parent();
    {
        const QSignalBlocker blocker(tree);
        delete folder; // its subfolders and their records go with it
        tree->setCurrentItem(neighbour);
    }
    // Written at once, so that an exit without closing cannot bring the folder back. Its
    // file goes only once the tree on disk no longer names it: a crash in between, or a save
    // the disk refused, leaves a stray file, never a folder whose entries are gone.
    const bool treeSaved =
        MainTreeChange(static_cast<FolderItem *>(neighbour), change, QStringLiteral("Delete folder"));
    if (contentsFile && treeSaved)
        QFile::remove(*contentsFile);
    m_session.UpdateFileCounts();
}

bool FolderCommands::MainTreeChange(FolderItem *folder, const std::optional<FolderChange> &change,
                                    const QString &undoName)
{
    if (folder)
        m_session.LoadFolderContents(folder);
    else
        m_session.FreeListRecords(); // no folder left: the list shows nothing
    const bool saved = m_session.SaveFolderTree(change, undoName);
    m_session.UpdateFileCounts();
    return saved;
}

void FolderCommands::MainTreeDragDrop(FolderItem *target, const QList<MFile> &entries)
{
    // The shown folder stays shown: the entries go into the target's file as it is now.
    CopyEntriesToFolder(target, entries);
}

void FolderCommands::copyToFolder()
{
    const QList<int> rows = m_session.controls().list->selectedRows();
    if (rows.isEmpty())
        return;
    const QList<FolderItem *> folders = m_session.controls().tree->foldersInPreOrder();
    QList<FolderChoice> choices;
    choices.reserve(folders.size());
    for (const FolderItem *folder : folders)
        choices.append({folder->level(), folder->text(0), folder->record.has_value()});
    const int current = int(folders.indexOf(m_session.controls().tree->selectedFolder()));
    const int chosen =
        m_session.interaction().chooseFolder(QStringLiteral("Copy to folder"), choices, current);
    if (chosen < 0 || chosen >= folders.size())
        return;
    QList<MFile> entries;
    entries.reserve(rows.size());
    for (int row : rows)
        entries.append(m_session.model().rowAt(row).file);
    MainTreeDragDrop(folders.at(chosen), entries);
}

void FolderCommands::CopyEntriesToFolder(FolderItem *target, const QList<MFile> &entries)
{
    if (m_session.applyToFolder(*target, EntryChange::adding(entries),
                                entriesStepName(QStringLiteral("Copy"), entries.size())))
        m_session.UpdateFileCounts();
}
