// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainlist.h"

#include "entryfiltermodel.h"
#include "entrylistmodel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <utility>

namespace {

// Rows laid out per pass of the icon views: a big folder shows its first rows without a pause.
constexpr int LayoutBatchRows = 2000;
// The icon styles' cells, wide enough for a usual file name beside (or under) its icon.
constexpr int LargeIconSide = 32;
constexpr int SmallIconSide = 16;
constexpr int LargeCellWidth = 112;
constexpr int LargeCellSpacing = 16; // below the two lines of a large icon's name
constexpr int ListCellWidth = 240;
constexpr int SmallIconsCellWidth = 180;
constexpr int SmallCellSpacing = 4;
constexpr QSize ItemMargin(6, 4); // between an item and the edges of its cell
constexpr int FileNameWidth = 200;
constexpr int DescriptionWidth = 600;

struct StyleName
{
    MainList::ViewStyle style;
    const char *name;
};
// Stored by name, as the window's other enumerated settings are.
constexpr StyleName styleNames[] = {
    {MainList::ViewStyle::Icon, "vsIcon"},
    {MainList::ViewStyle::SmallIcon, "vsSmallIcon"},
    {MainList::ViewStyle::List, "vsList"},
    {MainList::ViewStyle::Report, "vsReport"},
};
// Every item of the icon styles takes one cell of the grid, so a name gets the cell's whole
// width whatever the first item's name was (the views assume uniform sizes for speed).
class FixedSizeDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setItemSize(QSize size) { m_size = size; }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return m_size.isValid() ? m_size : QStyledItemDelegate::sizeHint(option, index);
    }

private:
    QSize m_size;
};
} // namespace

QString MainList::viewStyleName(ViewStyle style)
{
    for (const StyleName &entry : styleNames)
        if (entry.style == style)
            return QString::fromLatin1(entry.name);
    return {};
}

std::optional<MainList::ViewStyle> MainList::viewStyleFromName(const QString &name)
{
    for (const StyleName &entry : styleNames)
        if (name == QLatin1String(entry.name))
            return entry.style;
    return std::nullopt;
}

MainList::MainList(EntryListModel &model, QWidget *parent)
    : QStackedWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("MainList"));
    buildIconView();
    buildReportView();
    addWidget(m_iconView);
    addWidget(m_reportView);
    setViewStyle(ViewStyle::Report);
}

void MainList::buildIconView()
{
    m_iconView = new QListView(this);
    m_iconView->setObjectName(QStringLiteral("MainListIcons"));
    m_iconView->setAccessibleName(QStringLiteral("Entries"));
    m_iconView->setModel(&m_model);
    m_iconView->setItemDelegate(new FixedSizeDelegate(m_iconView));
    m_iconView->setMovement(QListView::Static);
    m_iconView->setResizeMode(QListView::Adjust);
    m_iconView->setUniformItemSizes(true);
    m_iconView->setLayoutMode(QListView::Batched); // big folders lay out without a pause
    m_iconView->setBatchSize(LayoutBatchRows);
    watch(m_iconView);
}

void MainList::buildReportView()
{
    m_reportView = new QTableView(this);
    m_reportView->setObjectName(QStringLiteral("MainListReport"));
    m_reportView->setAccessibleName(QStringLiteral("Entries"));
    m_reportView->setShowGrid(true);
    m_reportView->setWordWrap(false);
    // Tab leaves the list for the next control, as it does in the icon styles; the arrow keys
    // move between the rows.
    m_reportView->setTabKeyNavigation(false);
    m_reportView->verticalHeader()->hide();
    m_reportView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_reportView->verticalHeader()->setDefaultSectionSize(m_reportView->fontMetrics().height() + 6);
    m_reportView->setIconSize({16, 16});
    QHeaderView *header = m_reportView->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    // Captions sit at the left of their columns, over the text they name: centred in the wide
    // description column, its caption was off the screen in a window of the default size.
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header, &QHeaderView::sectionClicked, this, &MainList::headerClicked);
    watch(m_reportView);
    showModel(&m_model);
    m_reportView->setColumnWidth(EntryListModel::FileNameColumn, FileNameWidth);
    m_reportView->setColumnWidth(EntryListModel::DescriptionColumn, DescriptionWidth);
}

void MainList::showModel(QAbstractItemModel *model)
{
    const QString widths = columnWidths(); // a new model resets the report's columns
    QItemSelectionModel *previous = m_iconView->selectionModel();
    m_iconView->setModel(model);
    QItemSelectionModel *shared = m_iconView->selectionModel();
    m_reportView->setModel(model);
    QItemSelectionModel *own = m_reportView->selectionModel();
    m_reportView->setSelectionModel(shared); // one selection for all views
    for (QItemSelectionModel *unused : {previous, own})
        if (unused && unused != shared)
            unused->deleteLater();
    connect(shared, &QItemSelectionModel::selectionChanged, this, &MainList::selectionChanged);
    setColumnWidths(widths);
    showSortIndicator();
}

void MainList::setFilterText(const QString &text)
{
    if (text == m_filterText)
        return;
    m_filterText = text;
    const bool wasFiltered = m_iconView->model() != &m_model;
    if (!m_filter)
        m_filter = new EntryFilterModel(m_model, this);
    m_filter->setFindText(text);
    if (text.isEmpty() == wasFiltered)
        showModel(text.isEmpty() ? static_cast<QAbstractItemModel *>(&m_model) : m_filter);
    Q_EMIT selectionChanged();
}

int MainList::modelRow(const QModelIndex &viewIndex) const
{
    if (viewIndex.model() == m_filter)
        return m_filter->mapToSource(viewIndex).row();
    return viewIndex.row();
}

QModelIndex MainList::viewIndex(int modelRow, int column) const
{
    const QModelIndex index = m_model.index(modelRow, column);
    return m_iconView->model() == m_filter ? m_filter->mapFromSource(index) : index;
}

void MainList::scrollToRow(int row)
{
    const QModelIndex index = viewIndex(row);
    if (index.isValid())
        currentView()->scrollTo(index);
}

int MainList::topVisibleRow() const
{
    const QAbstractItemView *view = currentView();
    const QModelIndex index = view->indexAt(QPoint(2, 2));
    return index.isValid() ? modelRow(index) : -1;
}

void MainList::scrollRowToTop(int row)
{
    const QModelIndex index = viewIndex(row);
    if (index.isValid())
        currentView()->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void MainList::watch(QAbstractItemView *view)
{
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Whole rows in every style: the icon styles show one column, and a selection of that
    // cell alone would be no selected row for the commands, nor for the report after a switch.
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::CopyAction);
    view->setCursor(Qt::PointingHandCursor);
    view->viewport()->setCursor(Qt::PointingHandCursor);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

void MainList::setViewStyle(ViewStyle style)
{
    m_style = style;
    if (style == ViewStyle::Report) {
        setCurrentWidget(m_reportView);
        return;
    }
    const bool large = style == ViewStyle::Icon;
    m_iconView->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    m_iconView->setFlow(style == ViewStyle::List ? QListView::TopToBottom : QListView::LeftToRight);
    m_iconView->setWrapping(true);
    m_iconView->setWordWrap(large);
    m_iconView->setIconSize(large ? QSize(LargeIconSide, LargeIconSide)
                                  : QSize(SmallIconSide, SmallIconSide));
    const int line = fontMetrics().height();
    m_iconView->setTextElideMode(Qt::ElideMiddle); // long file names keep their extension
    const QSize cell = large ? QSize(LargeCellWidth, LargeIconSide + 2 * line + LargeCellSpacing)
                             : QSize(style == ViewStyle::List ? ListCellWidth : SmallIconsCellWidth,
                                     std::max(line, SmallIconSide) + SmallCellSpacing);
    m_iconView->setGridSize(cell);
    static_cast<FixedSizeDelegate *>(m_iconView->itemDelegate())->setItemSize(cell - ItemMargin);
    m_iconView->setMovement(QListView::Static);
    setCurrentWidget(m_iconView);
}

void MainList::arrangeIcons()
{
    m_iconView->doItemsLayout();
    m_iconView->scrollToTop();
}

// Read from the selection's ranges, never row by row: the counters and the description pane
// ask at every change of the selection, and Ctrl+A on a folder of 100k entries is one range.
std::vector<MainList::RowRun> MainList::selectedRuns() const
{
    std::vector<RowRun> runs;
    for (const QItemSelectionRange &range : m_iconView->selectionModel()->selection())
        if (range.left() <= EntryListModel::FileNameColumn && EntryListModel::FileNameColumn <= range.right())
            runs.push_back({range.top(), range.bottom()});
    std::sort(runs.begin(), runs.end(), [](const RowRun &a, const RowRun &b) { return a.first < b.first; });
    // Ranges may overlap in rows (a whole row and one of its cells): each row counts once.
    std::vector<RowRun> merged;
    for (const RowRun &run : runs) {
        if (!merged.empty() && run.first <= merged.back().last + 1)
            merged.back().last = std::max(merged.back().last, run.last);
        else
            merged.push_back(run);
    }
    return merged;
}

QList<int> MainList::selectedRows() const
{
    QList<int> rows;
    const QAbstractItemModel *shown = m_iconView->model();
    for (const RowRun &run : selectedRuns())
        for (int row = run.first; row <= run.last; ++row)
            rows.append(modelRow(shown->index(row, EntryListModel::FileNameColumn)));
    return rows; // the filter keeps the list's order, so these are top to bottom already
}

int MainList::firstSelectedRow() const
{
    const std::vector<RowRun> runs = selectedRuns();
    if (runs.empty())
        return -1;
    return modelRow(m_iconView->model()->index(runs.front().first, EntryListModel::FileNameColumn));
}

int MainList::selectedCount() const
{
    int count = 0;
    for (const RowRun &run : selectedRuns())
        count += run.last - run.first + 1;
    return count;
}

void MainList::selectRows(const QList<int> &rows)
{
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex first = viewIndex(row);
        if (first.isValid()) // rows hidden by the filter stay unselected
            selection.select(first, viewIndex(row, EntryListModel::ColumnCount - 1));
    }
    m_iconView->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!selection.isEmpty())
        m_iconView->selectionModel()->setCurrentIndex(selection.constFirst().topLeft(),
                                                      QItemSelectionModel::NoUpdate);
}

void MainList::clearSelection()
{
    m_iconView->selectionModel()->clearSelection();
}

QString MainList::columnWidths() const
{
    return QStringLiteral("%1,%2")
        .arg(m_reportView->columnWidth(EntryListModel::FileNameColumn))
        .arg(m_reportView->columnWidth(EntryListModel::DescriptionColumn));
}

void MainList::setColumnWidths(const QString &widths)
{
    const QStringList parts = widths.split(u',');
    for (int column = 0; column < std::min(int(parts.size()), int(EntryListModel::ColumnCount)); ++column) {
        bool ok = false;
        const int width = parts[column].trimmed().toInt(&ok);
        if (ok && width > 0 && width < 10000)
            m_reportView->setColumnWidth(column, width);
    }
}

void MainList::showSortIndicator()
{
    m_reportView->horizontalHeader()->setSortIndicator(m_model.sortColumn(), m_model.sortOrder());
}

// Below the current entry when it is in sight, else at the list's top left corner.
QPoint MainList::keyboardPopupPosition() const
{
    const QAbstractItemView *view = currentView();
    const QRect item = view->visualRect(view->currentIndex());
    const QPoint at = item.isValid() && view->viewport()->rect().intersects(item)
                          ? item.bottomLeft() + QPoint(8, 0)
                          : QPoint(0, 0);
    return view->viewport()->mapToGlobal(at);
}

QAbstractItemView *MainList::currentView() const
{
    return static_cast<QAbstractItemView *>(currentWidget());
}

bool MainList::eventFilter(QObject *watched, QEvent *event)
{
    const bool onViewport = watched == m_iconView->viewport() || watched == m_reportView->viewport();
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!onViewport)
            m_keyPresses.notePress(watched, *static_cast<QKeyEvent *>(event));
        break;
    case QEvent::KeyRelease: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!onViewport && !key->isAutoRepeat() && m_keyPresses.takeRelease(watched, *key))
            Q_EMIT keyReleased(key->key());
        break;
    }
    case QEvent::FocusOut:
        if (!onViewport)
            Q_EMIT focusLost();
        break;
    case QEvent::MouseButtonPress:
        // A double click whose release never came (a box opened in between) is over.
        if (onViewport)
            m_inDoubleClick = false;
        break;
    case QEvent::MouseButtonRelease:
        if (onViewport) {
            Q_EMIT mouseReleased();
            // The release that ends a double click is no second click.
            const bool endsDoubleClick = std::exchange(m_inDoubleClick, false);
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && !endsDoubleClick)
                Q_EMIT itemClicked();
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (onViewport && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_inDoubleClick = true;
            Q_EMIT itemDoubleClicked();
        }
        break;
    case QEvent::ContextMenu:
        if (onViewport) {
            Q_EMIT popupRequested(static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        }
        // The Menu key and Shift+F10 reach the view itself, not its viewport.
        if (static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
            Q_EMIT popupRequested(keyboardPopupPosition());
            return true;
        }
        break;
    default:
        break;
    }
    return QStackedWidget::eventFilter(watched, event);
}
