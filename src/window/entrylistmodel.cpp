// SPDX-License-Identifier: GPL-3.0-or-later
#include "entrylistmodel.h"

#include "contentsfile.h"
#include "systemicons.h"

#include <QCollatorSortKey>
#include <QMimeData>

#include <algorithm>
#include <numeric>

namespace {
// The elements in the given order: order[i] is the old position of the new i-th.
template <typename T> std::vector<T> permuted(std::vector<T> rows, const std::vector<int> &order)
{
    std::vector<T> result;
    result.reserve(rows.size());
    for (int i : order)
        result.push_back(std::move(rows[size_t(i)]));
    return result;
}
} // namespace

EntryListModel::EntryListModel(const SystemIcons &icons, QObject *parent)
    : QAbstractTableModel(parent)
    , m_icons(icons)
{
    // Case-sensitive, locale-aware: the order a user of the desktop's locale expects.
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
}

QString EntryListModel::entriesMimeType()
{
    return QStringLiteral("application/x-linkshelf-entries");
}

QList<MFile> EntryListModel::entriesFromMime(const QMimeData *mime)
{
    if (!mime || !mime->hasFormat(entriesMimeType()))
        return {};
    return parseContents(mime->data(entriesMimeType())).entries;
}

int EntryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int EntryListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EntryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const EntryRow &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == FileNameColumn ? row.caption : row.description;
    case Qt::DecorationRole:
        return index.column() == FileNameColumn ? QVariant(m_icons.icon(row.iconIndex)) : QVariant();
    case Qt::ToolTipRole:
        return index.column() == FileNameColumn ? QString::fromLocal8Bit(row.file.Path) : row.description;
    default:
        return {};
    }
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == FileNameColumn ? QStringLiteral("FileName") : QStringLiteral("Description");
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex &index) const
{
    // Not editable: a caption is derived from the record, so an edit could never be stored.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList EntryListModel::mimeTypes() const
{
    return {entriesMimeType()};
}

QMimeData *EntryListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes)
        if (index.column() == FileNameColumn)
            rows.append(index.row());
    auto *mime = new QMimeData;
    mime->setData(entriesMimeType(), serializeContents(filesAt(rows)));
    return mime;
}

Qt::DropActions EntryListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

void EntryListModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = std::clamp(column, 0, ColumnCount - 1);
    m_sortOrder = order;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    moveRows(sortedOrder(m_rows));
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void EntryListModel::moveRows(const std::vector<int> &order)
{
    std::vector<int> newPosition(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        newPosition[size_t(order[i])] = int(i);
    m_rows = permuted(std::move(m_rows), order);
    m_ids = permuted(std::move(m_ids), order);
    forgetRowsOfIds();
    // Persistent indexes (the selection among them) follow their rows to the new places.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(this->index(newPosition[size_t(index.row())], index.column()));
    changePersistentIndexList(before, after);
}

void EntryListModel::resetRows(std::vector<EntryRow> rows)
{
    const std::vector<int> order = sortedOrder(rows);
    rows = permuted(std::move(rows), order);
    beginResetModel();
    m_rows = std::move(rows);
    m_ids.resize(m_rows.size());
    std::iota(m_ids.begin(), m_ids.end(), 0u);
    m_nextId = quint32(m_ids.size());
    forgetRowsOfIds();
    endResetModel();
}

QList<int> EntryListModel::insertSorted(std::vector<EntryRow> rows)
{
    if (rows.empty())
        return {};
    const int old = count();
    const int added = int(rows.size());
    // The new rows in list order among themselves, and how many old rows come before each:
    // after equal ones, as if each had been inserted alone in the order given.
    const std::vector<int> newOrder = sortedOrder(rows);
    std::vector<int> oldBefore(static_cast<size_t>(added));
    for (int i = 0; i < added; ++i)
        oldBefore[size_t(i)] = sortedPosition(rows[size_t(i)]);
    QList<int> positions(added);
    const int firstSlot = oldBefore[size_t(newOrder.front())];
    if (oldBefore[size_t(newOrder.back())] == firstSlot) {
        // One run (always so in an empty folder): one insert, no layout change.
        beginInsertRows({}, firstSlot, firstSlot + added - 1);
        std::vector<EntryRow> run = permuted(std::move(rows), newOrder);
        m_rows.insert(m_rows.begin() + firstSlot, std::make_move_iterator(run.begin()),
                      std::make_move_iterator(run.end()));
        std::vector<quint32> ids(static_cast<size_t>(added));
        for (quint32 &id : ids)
            id = takeId();
        m_ids.insert(m_ids.begin() + firstSlot, ids.begin(), ids.end());
        forgetRowsOfIds();
        endInsertRows();
        for (int i = 0; i < added; ++i)
            positions[newOrder[size_t(i)]] = firstSlot + i;
    } else {
        // Spread among the old rows: appended in one insert, then moved to their places in
        // one layout change. Inserting them one by one would cost a pass over the list each.
        beginInsertRows({}, old, old + added - 1);
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                      std::make_move_iterator(rows.end()));
        for (int i = 0; i < added; ++i)
            m_ids.push_back(takeId());
        forgetRowsOfIds();
        endInsertRows();
        std::vector<int> order;
        order.reserve(size_t(old + added));
        size_t next = 0;
        for (int oldRow = 0; oldRow <= old; ++oldRow) {
            for (; next < newOrder.size() && oldBefore[size_t(newOrder[next])] == oldRow; ++next) {
                positions[newOrder[next]] = int(order.size());
                order.push_back(old + newOrder[next]);
            }
            if (oldRow < old)
                order.push_back(oldRow);
        }
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        moveRows(order);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    Q_EMIT rowsAdded(positions);
    return positions;
}

void EntryListModel::removeRowsAt(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // Removes runs of neighbouring rows at once, from the bottom up.
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] - 1)
            ++j;
        const int first = rows[j];
        const int last = rows[i];
        if (first >= 0 && last < count()) {
            beginRemoveRows({}, first, last);
            m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
            m_ids.erase(m_ids.begin() + first, m_ids.begin() + last + 1);
            forgetRowsOfIds();
            endRemoveRows();
        }
        i = j + 1;
    }
}

int EntryListModel::replaceRow(int row, EntryRow replacement)
{
    removeRowsAt({row});
    std::vector<EntryRow> one;
    one.push_back(std::move(replacement));
    return insertSorted(std::move(one)).constFirst();
}

void EntryListModel::setIconIndex(int row, int iconIndex)
{
    if (row < 0 || row >= count() || m_rows[size_t(row)].iconIndex == iconIndex)
        return;
    m_rows[size_t(row)].iconIndex = iconIndex;
    const QModelIndex cell = index(row, FileNameColumn);
    Q_EMIT dataChanged(cell, cell, {Qt::DecorationRole});
}

int EntryListModel::rowOfId(quint32 id) const
{
    if (!m_rowOfIdValid) {
        m_rowOfId.assign(m_nextId, -1);
        for (size_t row = 0; row < m_ids.size(); ++row)
            m_rowOfId[m_ids[row]] = int(row);
        m_rowOfIdValid = true;
    }
    return id < m_rowOfId.size() ? m_rowOfId[id] : -1;
}

void EntryListModel::setIconIndexes(const std::vector<std::pair<quint32, int>> &iconsById)
{
    int top = count(), bottom = -1;
    for (const auto &[id, iconIndex] : iconsById) {
        const int row = rowOfId(id);
        if (row < 0 || m_rows[size_t(row)].iconIndex == iconIndex)
            continue;
        m_rows[size_t(row)].iconIndex = iconIndex;
        top = std::min(top, row);
        bottom = std::max(bottom, row);
    }
    // One signal for the batch: the views repaint once, not once per row.
    if (bottom >= 0)
        Q_EMIT dataChanged(index(top, FileNameColumn), index(bottom, FileNameColumn), {Qt::DecorationRole});
}

QByteArray EntryListModel::serialized() const
{
    return serializeContents(count(),
                             [this](qsizetype i) -> const MFile & { return m_rows[size_t(i)].file; });
}

QList<MFile> EntryListModel::filesAt(QList<int> rows) const
{
    std::sort(rows.begin(), rows.end());
    QList<MFile> files;
    files.reserve(rows.size());
    for (int row : rows)
        if (row >= 0 && row < count())
            files.append(m_rows[size_t(row)].file);
    return files;
}

const QString &EntryListModel::sortText(const EntryRow &row) const
{
    return m_sortColumn == FileNameColumn ? row.caption : row.description;
}

bool EntryListModel::lessThan(const EntryRow &a, const EntryRow &b) const
{
    const int c = m_collator.compare(sortText(a), sortText(b));
    return m_sortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
}

std::vector<int> EntryListModel::sortedOrder(const std::vector<EntryRow> &rows) const
{
    // Sort keys are computed once per row: comparing keys is far cheaper than collating.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(rows.size());
    for (const EntryRow &row : rows)
        keys.push_back(m_collator.sortKey(sortText(row)));
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return descending ? c > 0 : c < 0;
    });
    return order;
}

int EntryListModel::sortedPosition(const EntryRow &row) const
{
    const auto it = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                                     [this](const EntryRow &a, const EntryRow &b) { return lessThan(a, b); });
    return int(it - m_rows.begin());
}
