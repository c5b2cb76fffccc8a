// SPDX-License-Identifier: GPL-3.0-or-later
#include "maintree.h"

#include "entrylistmodel.h"
#include "foldername.h"
#include "levelparents.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStyledItemDelegate>

#include <utility>
#include <vector>

namespace {

constexpr int DragExpandDelayMs = 800; // a folder held under a drag this long opens

// Calls visit(index, level) for every node in pre-order, taking each index from its parent's
// by row. QTreeWidget finds an item's own index by searching its parent's children, so asking
// every item of a flat tree for its state (isExpanded, setExpanded) costs n²/2 steps.
template <typename Visit> void forEachIndexInPreOrder(const QAbstractItemModel &model, Visit visit)
{
    std::vector<std::pair<QModelIndex, int>> pending;
    const auto pushChildren = [&](const QModelIndex &parent, int level) {
        for (int row = model.rowCount(parent) - 1; row >= 0; --row)
            pending.emplace_back(model.index(row, 0, parent), level);
    };
    pushChildren(QModelIndex(), 0);
    while (!pending.empty()) {
        const auto [index, level] = pending.back();
        pending.pop_back();
        visit(index, level);
        pushChildren(index, level + 1);
    }
}

// A rename in place that leaves no name keeps the old one, as file managers do: an empty
// name is something only the prompt gives on purpose. A name the catalog's encoding cannot
// hold is refused, and the tree opens the field again with the text typed.
class FolderNameDelegate final : public QStyledItemDelegate
{
public:
    explicit FolderNameDelegate(MainTree *tree)
        : QStyledItemDelegate(tree)
        , m_tree(tree)
    {}

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        const auto *edit = qobject_cast<QLineEdit *>(editor);
        if (edit && folderNameFromText(edit->text()).isEmpty())
            return;
        if (edit && m_tree->refuseName(index, edit->text()))
            return;
        m_tree->rememberNameBeforeRename(index);
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    MainTree *m_tree;
};

} // namespace

MainTree::MainTree(QWidget *parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("MainTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(19);
    setCursor(Qt::PointingHandCursor);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setAutoExpandDelay(DragExpandDelayMs);
    setUniformRowHeights(true);
    setAccessibleName(QStringLiteral("Folders"));
    setItemDelegate(new FolderNameDelegate(this));

    m_closedFolder = QIcon(QStringLiteral(":/icons/folder-closed.svg"));
    // The selected folder always shows the closed folder, whatever its state.
    m_openFolder.addFile(QStringLiteral(":/icons/folder-open.svg"), {}, QIcon::Normal);
    m_openFolder.addFile(QStringLiteral(":/icons/folder-closed.svg"), {}, QIcon::Selected);

    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem *item) { setFolderImage(item, true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem *item) { setFolderImage(item, false); });
    connect(this, &QTreeWidget::itemChanged, this, &MainTree::onItemChanged);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (current && !current->isSelected())
            current->setSelected(true);
        Q_EMIT folderSelected(static_cast<FolderItem *>(current));
    });
}

FolderItem *MainTree::selectedFolder() const
{
    return static_cast<FolderItem *>(currentItem());
}

QList<QByteArray> MainTree::contentsFileNames() const
{
    QList<QByteArray> names;
    for (const FolderItem *folder : foldersInPreOrder())
        if (folder->record)
            names.append(folder->record->FileName);
    return names;
}

QList<FolderItem *> MainTree::foldersInPreOrder() const
{
    QList<FolderItem *> folders;
    std::vector<QTreeWidgetItem *> pending;
    for (int i = topLevelItemCount() - 1; i >= 0; --i)
        pending.push_back(topLevelItem(i));
    while (!pending.empty()) {
        QTreeWidgetItem *item = pending.back();
        pending.pop_back();
        folders.append(static_cast<FolderItem *>(item));
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.push_back(item->child(i));
    }
    return folders;
}

FolderItem *MainTree::topFolder(int index) const
{
    return static_cast<FolderItem *>(topLevelItem(index));
}

QList<FolderRecord> MainTree::toRecords() const
{
    QList<FolderRecord> records;
    const FolderItem *selected = selectedFolder();
    forEachIndexInPreOrder(*model(), [&](const QModelIndex &index, int level) {
        const auto *folder = static_cast<const FolderItem *>(itemFromIndex(index));
        records.append({level, folder->nameBytes(), folder->record, isExpanded(index), folder == selected});
    });
    return records;
}

// Sorting waits until the folders are expanded, so that the walk meets them in the order of
// the records.
QList<FolderItem *> MainTree::replaceFolders(const QList<FolderRecord> &folders)
{
    const QSignalBlocker blocker(this); // so the images are set here, not by expanded()
    setSortingEnabled(false);
    clear();
    QList<FolderItem *> created;
    created.reserve(folders.size());
    LevelParents<FolderItem *> parents;
    QList<QTreeWidgetItem *> topLevel;
    for (const FolderRecord &record : folders) {
        auto *item = new FolderItem(record.Name, record.Record, m_encoding);
        item->setIcon(0, record.Expanded ? m_openFolder : m_closedFolder);
        if (FolderItem *parent = parents.parentAt(record.Level))
            parent->addChild(item);
        else
            topLevel.append(item);
        parents.place(item);
        created.append(item);
    }
    addTopLevelItems(topLevel);
    qsizetype i = 0;
    forEachIndexInPreOrder(*model(), [&](const QModelIndex &index, int) {
        if (folders[i++].Expanded)
            setExpanded(index, true);
    });
    if (m_autoSort)
        setAutoSort(true);
    return created;
}

FolderItem *MainTree::appendFolder(FolderItem *parent, const QByteArray &name, std::optional<MTree> record)
{
    auto *item = new FolderItem(name, std::move(record), m_encoding);
    item->setIcon(0, m_closedFolder);
    const QSignalBlocker blocker(this);
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

void MainTree::setAutoSort(bool on)
{
    m_autoSort = on;
    setSortingEnabled(on);
    if (on)
        sortItems(0, Qt::AscendingOrder);
}

// With no folder selected, the item view would make the first folder the current one as the
// tree takes the focus, and so select it and show its entries: only the user chooses a folder.
void MainTree::focusInEvent(QFocusEvent *event)
{
    if (currentItem()) {
        QTreeWidget::focusInEvent(event);
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->update();
}

// Tab and Shift+Tab end a rename in place as Enter does; the item view would go on to rename
// the next or the previous folder, and select it.
void MainTree::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem)
        hint = QAbstractItemDelegate::NoHint;
    QTreeWidget::closeEditor(editor, hint);
}

void MainTree::keyReleaseEvent(QKeyEvent *event)
{
    QTreeWidget::keyReleaseEvent(event);
    if (event->key() == Qt::Key_Delete && !event->isAutoRepeat() && state() != EditingState)
        Q_EMIT deleteKeyReleased();
}

void MainTree::mousePressEvent(QMouseEvent *event)
{
    // A right click opens the pop-up menu without selecting the node under the pointer:
    // its commands act on the selected folder.
    if (event->button() == Qt::RightButton)
        return;
    QTreeWidget::mousePressEvent(event);
}

void MainTree::contextMenuEvent(QContextMenuEvent *event)
{
    Q_EMIT popupRequested(event->globalPos());
}

void MainTree::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT folderClicked();
}

void MainTree::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (mime->hasFormat(EntryListModel::entriesMimeType()) || mime->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainTree::dragMoveEvent(QDragMoveEvent *event)
{
    QTreeWidget::dragMoveEvent(event); // scrolling and expanding while the pointer rests
    const QMimeData *mime = event->mimeData();
    if (mime->hasFormat(EntryListModel::entriesMimeType()) || mime->hasUrls())
        event->acceptProposedAction();
}

void MainTree::dropEvent(QDropEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (mime->hasFormat(EntryListModel::entriesMimeType())) {
        event->acceptProposedAction();
        // A drop below the last folder has no target: nothing changes.
        if (auto *target = static_cast<FolderItem *>(itemAt(event->position().toPoint())))
            Q_EMIT entriesDropped(target, EntryListModel::entriesFromMime(mime));
    } else if (mime->hasUrls()) {
        event->acceptProposedAction();
        Q_EMIT urlsDropped(mime->urls());
    } else {
        event->ignore();
    }
}

void MainTree::onItemChanged(QTreeWidgetItem *item, int column)
{
    if (column != 0)
        return;
    auto *folder = static_cast<FolderItem *>(item);
    const QByteArray oldName = std::exchange(m_nameBeforeRename, std::nullopt).value_or(folder->nameBytes());
    Q_EMIT folderRenamed(folder, oldName);
}

void MainTree::rememberNameBeforeRename(const QModelIndex &index)
{
    if (auto *folder = static_cast<FolderItem *>(itemFromIndex(index)))
        m_nameBeforeRename = folder->nameBytes();
}

void MainTree::setTextEncoding(const TextEncoding &encoding)
{
    m_encoding = encoding;
    const QSignalBlocker blocker(this); // a new reading of a name is no rename
    for (FolderItem *folder : foldersInPreOrder())
        folder->setTextEncoding(encoding);
}

bool MainTree::refuseName(const QModelIndex &index, const QString &typed)
{
    const EncodedText encoded = m_encoding.encode(folderNameFromText(typed));
    if (!encoded.unencodable)
        return false;
    const QString message = m_encoding.unencodableMessage(*encoded.unencodable);
    // After the editor has closed: the message is modal, and the field comes back with the
    // text typed so that the user can correct it.
    const QPersistentModelIndex folder(index);
    QMetaObject::invokeMethod(
        this,
        [this, folder, typed, message] {
            Q_EMIT nameRefused(message);
            if (!folder.isValid())
                return;
            setCurrentIndex(folder);
            edit(folder);
            if (auto *field = qobject_cast<QLineEdit *>(indexWidget(folder)))
                field->setText(typed);
        },
        Qt::QueuedConnection);
    return true;
}

void MainTree::setFolderImage(QTreeWidgetItem *item, bool open)
{
    const QSignalBlocker blocker(this); // an image is no rename
    item->setIcon(0, open ? m_openFolder : m_closedFolder);
}
