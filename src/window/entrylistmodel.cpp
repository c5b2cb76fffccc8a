// SPDX-License-Identifier: GPL-3.0-or-later
#include "entrylistmodel.h"

#include "collationranks.h"
#include "contentsfile.h"
#include "siteicons.h"
#include "systemicons.h"
#include "twohalves.h"

#include <QMimeData>

#include <algorithm>
#include <atomic>
#include <numeric>

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

EntryRow EntryListModel::rowAt(int row) const
{
    return EntryRow{fileAt(row), captionAt(row), descriptionAt(row), iconOf(row)};
}

QString EntryListModel::captionAt(int row) const
{
    return textOfRecord(recordOf(row), FileNameColumn);
}

QString EntryListModel::descriptionAt(int row) const
{
    return textOfRecord(recordOf(row), DescriptionColumn);
}

int EntryListModel::iconOf(int row) const
{
    const Row &r = m_rows[size_t(row)];
    if (r.icon < 0 && m_iconOf)
        r.icon = m_iconOf(m_records.kind(r.record), m_records.text(r.record, ContentsRecords::PathField),
                          m_records.text(r.record, ContentsRecords::ProgramField));
    return r.icon;
}

QVariant EntryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == FileNameColumn ? captionAt(row) : descriptionAt(row);
    case Qt::DecorationRole:
        if (index.column() == FileNameColumn) {
            if (m_siteIcons && m_records.kind(recordOf(row)) == MFile::UrlKind)
                if (const QIcon site = m_siteIcons->iconFor(QUrl(captionAt(row))); !site.isNull())
                    return site;
            return m_icons.icon(iconOf(row));
        }
        return m_marks.isEmpty() ? QVariant() : markOf(row).icon;
    case Qt::ToolTipRole:
        return toolTipOf(index);
    case Qt::AccessibleTextRole: {
        // A screen reader reads a row as "caption, description"; the cell of the description
        // column reads as itself.
        const QString description = descriptionAt(row);
        if (index.column() == FileNameColumn && !description.isEmpty())
            return captionAt(row) + QStringLiteral(", ") + description;
        return index.column() == FileNameColumn ? captionAt(row) : description;
    }
    case Qt::AccessibleDescriptionRole:
        return toolTipOf(index); // where the entry leads, and what a check found
    default:
        return {};
    }
}

QVariant EntryListModel::toolTipOf(const QModelIndex &index) const
{
    const qsizetype record = recordOf(index.row());
    QString tip = index.column() == FileNameColumn
                      ? m_encoding.decode(m_records.text(record, ContentsRecords::PathField))
                      : descriptionAt(index.row());
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
    std::sort(rows.begin(), rows.end());
    mime->setData(entriesMimeType(),
                  m_records.serialized(rows.size(), [&](qsizetype i) { return recordOf(rows[i]); }));
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
        std::vector<qsizetype> records(m_rows.size());
        for (size_t row = 0; row < m_rows.size(); ++row)
            records[row] = m_rows[row].record;
        const std::vector<quint32> ranks = collationRanks(records, m_sortColumn);
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
    ContentsRecords records;
    std::vector<qint32> icons;
    icons.reserve(rows.size());
    for (const EntryRow &row : rows) {
        records.append(row.file);
        icons.push_back(row.iconIndex);
    }
    resetToRecords(std::move(records), std::move(icons));
}

void EntryListModel::resetRecords(ContentsRecords records)
{
    resetToRecords(std::move(records), {});
}

// icons: one per record, or none (every icon looked up when its row is shown).
void EntryListModel::resetToRecords(ContentsRecords records, std::vector<qint32> icons)
{
    const qsizetype size = records.size();
    std::vector<Row> rows(size_t(size), Row{0, -1});
    std::vector<qsizetype> recordList(static_cast<size_t>(size));
    for (qsizetype i = 0; i < size; ++i) {
        rows[size_t(i)] = Row{quint32(i), icons.empty() ? -1 : icons[size_t(i)]};
        recordList[size_t(i)] = i;
    }
    beginResetModel(); // before the records change: the views may still ask about the old rows
    m_records = std::move(records);
    std::vector<quint32> ranks = collationRanks(recordList, m_sortColumn);
    const std::vector<int> order = orderOfRanks(ranks, m_sortOrder);
    permute(rows, order);
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

// Adds the rows' records to the store, each with the icon its row carries.
std::vector<EntryListModel::Row> EntryListModel::rowsOfRecords(std::vector<EntryRow> &rows)
{
    std::vector<Row> added;
    added.reserve(rows.size());
    for (const EntryRow &row : rows)
        added.push_back(Row{quint32(m_records.append(row.file)), row.iconIndex});
    return added;
}

QList<int> EntryListModel::insertSorted(std::vector<EntryRow> rows)
{
    if (rows.empty())
        return {};
    const int old = count();
    const int added = int(rows.size());
    std::vector<Row> newRows = rowsOfRecords(rows);
    std::vector<qsizetype> newRecords(newRows.size());
    for (size_t i = 0; i < newRows.size(); ++i)
        newRecords[i] = newRows[i].record;
    // The new rows in list order among themselves, and how many old rows come before each:
    // after equal ones, as if each had been inserted alone in the order given.
    const std::vector<int> newOrder = sortedOrder(newRecords);
    std::vector<int> oldBefore(static_cast<size_t>(added));
    for (int i = 0; i < added; ++i)
        oldBefore[size_t(i)] = sortedPosition(textOfRecord(newRecords[size_t(i)], m_sortColumn));
    QList<int> positions(added);
    const int firstSlot = oldBefore[size_t(newOrder.front())];
    if (oldBefore[size_t(newOrder.back())] == firstSlot) {
        // One run (always so in an empty folder): one insert, no layout change.
        beginInsertRows({}, firstSlot, firstSlot + added - 1);
        std::vector<Row> run = permuted(std::move(newRows), newOrder);
        m_rows.insert(m_rows.begin() + firstSlot, run.begin(), run.end());
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
        m_rows.insert(m_rows.end(), newRows.begin(), newRows.end());
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
    std::vector<EntryRow> one;
    one.push_back(std::move(replacement));
    const Row added = rowsOfRecords(one).front();
    const int slot = stablePosition(textOfRecord(added.record, m_sortColumn), row);
    beginInsertRows({}, slot, slot);
    m_rows.insert(m_rows.begin() + slot, added);
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
int EntryListModel::stablePosition(const QString &text, int was) const
{
    const auto rowText = [this](int row) { return textOfRecord(recordOf(row), m_sortColumn); };
    if (was > 0 && lessThan(text, rowText(was - 1))) {
        // The first row in [0, was) that sorts after the text.
        int low = 0, high = was;
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (lessThan(text, rowText(mid)))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    }
    if (was < count() && lessThan(rowText(was), text)) {
        // The first row in [was, count) that does not sort before the text.
        int low = was, high = count();
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (lessThan(rowText(mid), text))
                low = mid + 1;
            else
                high = mid;
        }
        return low;
    }
    return was;
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
        if (row < 0 || m_rows[size_t(row)].icon == iconIndex)
            continue;
        m_rows[size_t(row)].icon = iconIndex;
        top = std::min(top, row);
        bottom = std::max(bottom, row);
    }
    // One signal for the batch: the views repaint once, not once per row.
    if (bottom >= 0)
        Q_EMIT dataChanged(index(top, FileNameColumn), index(bottom, FileNameColumn), {Qt::DecorationRole});
}

QByteArray EntryListModel::serialized() const
{
    return m_records.serialized(count(), [this](qsizetype i) { return recordOf(int(i)); });
}

QList<MFile> EntryListModel::filesAt(QList<int> rows) const
{
    std::sort(rows.begin(), rows.end());
    QList<MFile> files;
    files.reserve(rows.size());
    for (int row : rows)
        if (row >= 0 && row < count())
            files.append(fileAt(row));
    return files;
}

QString EntryListModel::textOfRecord(qsizetype record, int column) const
{
    if (column == FileNameColumn)
        return entryCaption(m_records.kind(record), m_records.text(record, ContentsRecords::PathField),
                            m_encoding);
    return descriptionColumnText(m_records.text(record, ContentsRecords::DescriptionField), m_encoding);
}

bool EntryListModel::lessThan(const QString &a, const QString &b) const
{
    const int c = m_collator.compare(a, b);
    return m_sortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
}

std::vector<int> EntryListModel::sortedOrder(const std::vector<qsizetype> &records) const
{
    return orderOfRanks(collationRanks(records, m_sortColumn), m_sortOrder);
}

namespace {
// Runs work(first, last) over [0, size), on two threads when the list is long enough to be
// worth it.
template <typename Work> void overRows(size_t size, Work &&work)
{
    if (size < ParallelKeysFrom)
        work(size_t(0), size);
    else
        inTwoHalves(size_t(0), size, work);
}
} // namespace

std::optional<std::vector<quint32>> EntryListModel::ranksIfInOrder(const std::vector<qsizetype> &records,
                                                                   int column) const
{
    // steps[i] compares record i - 1 with record i: -1 before, 0 alike, 1 after.
    std::vector<qint8> steps(records.size(), 0);
    std::atomic<bool> rising = false, falling = false;
    overRows(records.size(), [&](size_t first, size_t last) {
        // One collator per thread: a collator must not be shared between threads.
        const QCollator collator = collatorLike(m_collator);
        QString previous = first > 0 ? textOfRecord(records[first - 1], column) : QString();
        for (size_t i = first; i < last; ++i) {
            QString text = textOfRecord(records[i], column);
            if (i > 0) {
                const int c = collator.compare(previous, text);
                steps[i] = qint8(c < 0 ? -1 : (c > 0 ? 1 : 0));
                if (c != 0) {
                    (c < 0 ? rising : falling).store(true, std::memory_order_relaxed);
                    if (rising.load(std::memory_order_relaxed) && falling.load(std::memory_order_relaxed))
                        return; // both ways: out of order
                }
            }
            previous = std::move(text);
        }
    });
    if (rising && falling)
        return std::nullopt;
    std::vector<quint32> ranks(records.size(), 0);
    if (!falling) {
        for (size_t i = 1; i < ranks.size(); ++i)
            ranks[i] = ranks[i - 1] + (steps[i] != 0 ? 1 : 0);
    } else {
        for (size_t i = ranks.size() - 1; i-- > 0;)
            ranks[i] = ranks[i + 1] + (steps[i + 1] != 0 ? 1 : 0);
    }
    return ranks;
}

std::vector<quint32> EntryListModel::collationRanks(const std::vector<qsizetype> &records, int column) const
{
    if (std::optional<std::vector<quint32>> ranks = ranksIfInOrder(records, column))
        return std::move(*ranks);
    if (!m_asciiCollation)
        m_asciiCollation = std::make_unique<AsciiCollation>(m_collator);
    return ::collationRanks(m_collator, *m_asciiCollation, records.size(),
                            [&](size_t i) { return textOfRecord(records[i], column); });
}

std::vector<int> EntryListModel::orderOfRanks(const std::vector<quint32> &ranks, Qt::SortOrder direction)
{
    std::vector<int> order(ranks.size());
    std::iota(order.begin(), order.end(), 0);
    const bool ascending = direction == Qt::AscendingOrder;
    // Already in the wanted order (a file as Linkshelf wrote it): nothing to sort.
    const bool inPlace =
        ascending ? std::is_sorted(ranks.begin(), ranks.end()) : std::is_sorted(ranks.rbegin(), ranks.rend());
    if (inPlace)
        return order;
    // Stable: rows that collate alike keep the order they had.
    if (ascending)
        std::stable_sort(order.begin(), order.end(),
                         [&ranks](int a, int b) { return ranks[size_t(a)] < ranks[size_t(b)]; });
    else
        std::stable_sort(order.begin(), order.end(),
                         [&ranks](int a, int b) { return ranks[size_t(a)] > ranks[size_t(b)]; });
    return order;
}

int EntryListModel::sortedPosition(const QString &text) const
{
    // After every row that does not sort after the text (upper bound).
    int low = 0, high = count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (lessThan(text, textOfRecord(recordOf(mid), m_sortColumn)))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
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
