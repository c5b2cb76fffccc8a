// SPDX-License-Identifier: GPL-3.0-or-later
// The commands on folders: add, add under, delete, and copying dropped entries to a folder.
#pragma once

#include "folderchange.h"
#include "mfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class CatalogSession;
class FolderItem;

// The reference by which a change names a folder of the tree; null: the top level.
FolderRef folderRef(const FolderItem *folder);

class FolderCommands final
{
public:
    explicit FolderCommands(CatalogSession &session);
    Q_DISABLE_COPY_MOVE(FolderCommands)

    void AddFolder();
    void AddSubfolder();
    void DeleteFolder();

    // Adds a folder with its own new contents file and selects it. Refused with a message
    // (and null returned) when no contents file can be had for it.
    FolderItem *CreateFolder(FolderItem *parent, const QString &name);

    // The selection has moved: show the folder's entries and write the tree files. False when
    // the tree files could not be written.
    // A folder command gives its change, which the write applies to the tree files as they
    // are on disk (see CatalogSession::SaveFolderTree).
    bool MainTreeChange(FolderItem *folder, const std::optional<FolderChange> &change = std::nullopt,
                        const QString &undoName = QString());
    // Copies entries dragged from the list onto target, into its file as it is on disk; the
    // shown folder stays shown.
    void MainTreeDragDrop(FolderItem *target, const QList<MFile> &entries);
    // Copies the selected entries to a folder chosen in the folder chooser, as a drop of them
    // onto that folder does: the way to copy from the keyboard.
    void copyToFolder();

private:
    // A contents file name that a new folder may take; none, and the user told, when
    // the catalog holds all the folders it can.
    std::optional<QByteArray> freeContentsName();
    bool AssignContentsFile(QByteArray &fileName);
    void CopyEntriesToFolder(FolderItem *target, const QList<MFile> &entries);

    CatalogSession &m_session;
};
