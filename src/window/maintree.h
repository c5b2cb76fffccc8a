// SPDX-License-Identifier: GPL-3.0-or-later
// The folder tree: one node per folder, each carrying its record; folder images follow
// expanding and collapsing; entries dragged from the list can be dropped on a folder.
#pragma once

#include "folderitem.h"
#include "foldertree.h"
#include "mfile.h"

#include <QIcon>
#include <QList>
#include <QTreeWidget>
#include <QUrl>

#include <optional>

class MainTree final : public QTreeWidget
{
    Q_OBJECT
public:
    explicit MainTree(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(MainTree)

    FolderItem *selectedFolder() const;
    QList<FolderItem *> foldersInPreOrder() const;
    // The contents file names that the folders hold, in pre-order.
    QList<QByteArray> contentsFileNames() const;
    FolderItem *topFolder(int index) const;

    // The tree as the tree files store it, in pre-order.
    QList<FolderRecord> toRecords() const;
    // Replaces every node by the given folders, expanding those marked expanded, without
    // selecting any. Returns the new nodes in pre-order.
    QList<FolderItem *> replaceFolders(const QList<FolderRecord> &folders);

    // Adds a folder at the end of parent's children (or of the top level); with auto sort
    // on, the tree sorts itself again.
    FolderItem *appendFolder(FolderItem *parent, const QByteArray &name, std::optional<MTree> record);

    // Decodes the names with the catalog's encoding, and encodes renamed ones with it.
    void setTextEncoding(const TextEncoding &encoding);
    const TextEncoding &textEncoding() const { return m_encoding; }
    // True, after telling (nameRefused) and opening the field again with the text, when a
    // name typed for the folder at index holds a character the encoding cannot hold.
    bool refuseName(const QModelIndex &index, const QString &typed);
    // Keeps the name of the folder at index as it is before a rename in place gives it another.
    void rememberNameBeforeRename(const QModelIndex &index);

    // True while a folder's name is being edited in place.
    bool editingName() const { return state() == QAbstractItemView::EditingState; }

    void setAutoSort(bool on);

Q_SIGNALS:
    void folderSelected(FolderItem *folder); // the selection has moved (may be none)
    void folderClicked();
    void folderRenamed(FolderItem *folder, const QByteArray &oldName);
    void deleteKeyReleased();
    void entriesDropped(FolderItem *target, const QList<MFile> &entries);
    void urlsDropped(const QList<QUrl> &urls);
    void popupRequested(const QPoint &globalPos);
    void nameRefused(const QString &message); // a rename in place the encoding cannot hold

protected:
    void focusInEvent(QFocusEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void onItemChanged(QTreeWidgetItem *item, int column);
    void setFolderImage(QTreeWidgetItem *item, bool open);

    QIcon m_closedFolder;
    QIcon m_openFolder;
    bool m_autoSort = false;
    TextEncoding m_encoding;
    std::optional<QByteArray> m_nameBeforeRename;
};
