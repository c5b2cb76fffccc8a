// SPDX-License-Identifier: GPL-3.0-or-later
#include "entrylistmodel.h"

#include "contentsfile.h"
#include "siteicons.h"
#include "systemicons.h"

#include <QCollatorSortKey>
#include <QMimeData>

#include <algorithm>
#include <numeric>
#include <thread>

namespace {
// Below this many rows a second thread costs more than it saves.
constexpr size_t ParallelKeysFrom = 4096;

// Puts the elements in the given order (order[i] is the old position of the new i-th) in
// place: a second vector of 100k rows would be the biggest allocation of a folder switch.
template <typename T> void permute(std::vector<T> &items, const std::vector<int> &order)
{
    std::vector<bool> placed(items.size());
    for (size_t start = 0; start < items.size(); ++start) {
        if (placed[start])
            continue;
        // Follows the cycle through start: each element moves once.
        T first = std::move(items[start]);
        size_t at = start;
        for (;;) {
            placed[at] = true;
            const size_t from = size_t(order[at]);
            if (from == start)
                break;
            items[at] = std::move(items[from]);
            at = from;
        }
        items[at] = std::move(first);
    }
}

template <typename T> std::vector<T> permuted(std::vector<T> items, const std::vector<int> &order)
{
    permute(items, order);
    return items;
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
        if (index.column() == FileNameColumn) {
            if (m_siteIcons && row.file.Kind == MFile::UrlKind)
                if (const QIcon site = m_siteIcons->iconFor(QUrl(row.caption)); !site.isNull())
                    return site;
            return m_icons.icon(row.iconIndex);
        }
        return m_marks.isEmpty() ? QVariant() : markOf(index.row()).icon;
    case Qt::ToolTipRole:
        return toolTipOf(index);
    case Qt::AccessibleTextRole:
        // A screen reader reads a row as "caption, description"; the cell of the description
        // column reads as itself.
        if (index.column() == FileNameColumn && !row.description.isEmpty())
            return row.caption + QStringLiteral(", ") + row.description;
        return index.column() == FileNameColumn ? row.caption : row.description;
    case Qt::AccessibleDescriptionRole:
        return toolTipOf(index); // where the entry leads, and what a check found
    default:
        return {};
    }
}

QVariant EntryListModel::toolTipOf(const QModelIndex &index) const
{
    const EntryRow &row = m_rows[size_t(index.row())];
    QString tip = index.column() == FileNameColumn ? m_encoding.decode(row.file.Path) : row.description;
    if (!m_marks.isEmpty()) {
        const QString status = markOf(index.row()).text;
        if (!status.isEmpty())
            tip += u'\n' + status;
    }
    return tip;
}

EntryListModel::Mark EntryListModel::markOf(int row) const
{
    return m_marks.value(m_ids[size_t(row)]);
}

void EntryListModel::setMark(int row, const QIcon &icon, const QString &text)
{
    if (row < 0 || row >= count())
        return;
    m_marks.insert(m_ids[size_t(row)], Mark{icon, text});
    Q_EMIT dataChanged(index(row, FileNameColumn), index(row, DescriptionColumn),
                       {Qt::DecorationRole, Qt::ToolTipRole});
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
    // The ranks of a column are made once per folder (or after entries were added), so a
    // click on a header sorts integers, not texts.
    std::vector<quint32> &ranksById = m_ranksById[size_t(m_sortColumn)];
    if (ranksById.size() != m_nextId) {
        const std::vector<quint32> ranks = collationRanks(m_rows, m_sortColumn);
        ranksById.assign(m_nextId, 0);
        for (size_t row = 0; row < m_rows.size(); ++row)
            ranksById[m_ids[row]] = ranks[row];
    }
    std::vector<quint32> ranks(m_rows.size());
    for (size_t row = 0; row < m_rows.size(); ++row)
        ranks[row] = ranksById[m_ids[row]];
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    moveRows(orderOfRanks(ranks, m_sortOrder));
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void EntryListModel::moveRows(const std::vector<int> &order)
{
    std::vector<int> newPosition(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        newPosition[size_t(order[i])] = int(i);
    permute(m_rows, order);
    permute(m_ids, order);
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
    std::vector<quint32> ranks = collationRanks(rows, m_sortColumn);
    const std::vector<int> order = orderOfRanks(ranks, m_sortOrder);
    permute(rows, order);
    beginResetModel();
    m_marks.clear(); // a check's marks last until the folder is left
    m_rows = std::move(rows);
    m_ids.resize(m_rows.size());
    std::iota(m_ids.begin(), m_ids.end(), 0u); // ids in list order, so ranks by id are by row
    m_nextId = quint32(m_ids.size());
    forgetRowsOfIds();
    for (std::vector<quint32> &columnRanks : m_ranksById)
        columnRanks.clear();
    m_ranksById[size_t(m_sortColumn)] = permuted(std::move(ranks), order);
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
    // The new rows have no ranks yet: the next sort ranks every row again.
    for (std::vector<quint32> &columnRanks : m_ranksById)
        columnRanks.clear();
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
    const int slot = stablePosition(replacement, row);
    beginInsertRows({}, slot, slot);
    m_rows.insert(m_rows.begin() + slot, std::move(replacement));
    m_ids.insert(m_ids.begin() + slot, takeId());
    forgetRowsOfIds();
    endInsertRows();
    for (std::vector<quint32> &columnRanks : m_ranksById)
        columnRanks.clear();
    Q_EMIT rowsAdded({slot});
    return slot;
}

// Where a sort that keeps equal rows in their order puts a row that was at position `was`
// (and is out of the list now): among the rows it sorts equal with, it keeps its place, so an
// entry whose sort text did not change stays where it was.
int EntryListModel::stablePosition(const EntryRow &row, int was) const
{
    const auto less = [this](const EntryRow &a, const EntryRow &b) { return lessThan(a, b); };
    const auto at = m_rows.begin() + was;
    if (at != m_rows.begin() && lessThan(row, *(at - 1)))
        return int(std::upper_bound(m_rows.begin(), at, row, less) - m_rows.begin());
    if (at != m_rows.end() && lessThan(*at, row))
        return int(std::lower_bound(at, m_rows.end(), row, less) - m_rows.begin());
    return was;
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
    return textOf(row, m_sortColumn);
}

const QString &EntryListModel::textOf(const EntryRow &row, int column)
{
    return column == FileNameColumn ? row.caption : row.description;
}

bool EntryListModel::lessThan(const EntryRow &a, const EntryRow &b) const
{
    const int c = m_collator.compare(sortText(a), sortText(b));
    return m_sortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
}

std::vector<int> EntryListModel::sortedOrder(const std::vector<EntryRow> &rows) const
{
    return orderOfRanks(collationRanks(rows, m_sortColumn), m_sortOrder);
}

std::vector<quint32> EntryListModel::collationRanks(const std::vector<EntryRow> &rows, int column) const
{
    // A sort key per row: comparing keys is far cheaper than collating. Many descriptions
    // are empty, and share one key.
    const QCollatorSortKey emptyKey = m_collator.sortKey(QString());
    std::vector<QCollatorSortKey> keys(rows.size(), emptyKey);
    // Making keys is most of the work of showing a big folder: a second thread makes half of
    // them, with a collator of its own (one collator must not be shared between threads).
    const auto makeKeys = [&](size_t first, size_t last) {
        QCollator collator(m_collator.locale());
        collator.setCaseSensitivity(m_collator.caseSensitivity());
        collator.setNumericMode(m_collator.numericMode());
        collator.setIgnorePunctuation(m_collator.ignorePunctuation());
        for (size_t i = first; i < last; ++i)
            if (const QString &text = textOf(rows[i], column); !text.isEmpty())
                keys[i] = collator.sortKey(text);
    };
    if (rows.size() >= ParallelKeysFrom) {
        std::thread helper(makeKeys, rows.size() / 2, rows.size());
        makeKeys(0, rows.size() / 2);
        helper.join();
    } else {
        makeKeys(0, rows.size());
    }
    std::vector<int> byKey(rows.size());
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(),
              [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    std::vector<quint32> ranks(rows.size());
    quint32 rank = 0;
    for (size_t i = 0; i < byKey.size(); ++i) {
        if (i > 0 && keys[size_t(byKey[i - 1])].compare(keys[size_t(byKey[i])]) != 0)
            ++rank;
        ranks[size_t(byKey[i])] = rank;
    }
    return ranks;
}

std::vector<int> EntryListModel::orderOfRanks(const std::vector<quint32> &ranks, Qt::SortOrder direction)
{
    std::vector<int> order(ranks.size());
    std::iota(order.begin(), order.end(), 0);
    // Stable: rows that collate alike keep the order they had.
    if (direction == Qt::AscendingOrder)
        std::stable_sort(order.begin(), order.end(),
                         [&ranks](int a, int b) { return ranks[size_t(a)] < ranks[size_t(b)]; });
    else
        std::stable_sort(order.begin(), order.end(),
                         [&ranks](int a, int b) { return ranks[size_t(a)] > ranks[size_t(b)]; });
    return order;
}

int EntryListModel::sortedPosition(const EntryRow &row) const
{
    const auto it = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                                     [this](const EntryRow &a, const EntryRow &b) { return lessThan(a, b); });
    return int(it - m_rows.begin());
}

void EntryListModel::setSiteIcons(SiteIcons *icons)
{
    disconnect(m_siteIconsArrived);
    m_siteIcons = icons;
    if (icons)
        m_siteIconsArrived = connect(icons, &SiteIcons::iconArrived, this, [this] {
            if (count() > 0)
                Q_EMIT dataChanged(index(0, FileNameColumn), index(count() - 1, FileNameColumn),
                                   {Qt::DecorationRole});
        });
    if (count() > 0)
        Q_EMIT dataChanged(index(0, FileNameColumn), index(count() - 1, FileNameColumn),
                           {Qt::DecorationRole});
}
