// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of the selected folder, kept sorted by the chosen column, shared by the
// icon views and the report view. The rows are records over the folder file's bytes: a row's
// caption, description and icon are made when a view asks for them, for the rows it shows.
#pragma once

#include "asciicollation.h"
#include "contentsrecords.h"
#include "entryrow.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SiteIcons;
class SystemIcons;

class EntryListModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { FileNameColumn = 0, DescriptionColumn = 1, ColumnCount = 2 };

    explicit EntryListModel(const SystemIcons &icons, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(EntryListModel)

    // Entries dragged inside the window travel as a contents file under this type, so a
    // drop from outside is never mistaken for one.
    static QString entriesMimeType();
    static QList<MFile> entriesFromMime(const QMimeData *mime);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    void sort(int column, Qt::SortOrder order) override;

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Replaces every row in one reset; the rows are put in the list's sort order first.
    void resetRows(std::vector<EntryRow> rows);
    // The same for the records of a folder's file: no row makes a string until it is shown.
    void resetRecords(ContentsRecords records);
    // The icon of a record that has none yet, for a row a view shows: a kind, path and program.
    using IconOfRecord = std::function<int(qint32 kind, QByteArrayView path, QByteArrayView program)>;
    void setIconOfRecord(IconOfRecord iconOf) { m_iconOf = std::move(iconOf); }
    // The catalog's text encoding, for what the model decodes itself (the path tooltip).
    void setTextEncoding(const TextEncoding &encoding) { m_encoding = encoding; }
    const TextEncoding &textEncoding() const { return m_encoding; }
    // Inserts each row at its sorted place (after equal ones); returns the rows' new positions.
    QList<int> insertSorted(std::vector<EntryRow> rows);
    // Removes the given rows, in any order.
    void removeRowsAt(QList<int> rows);
    // Replaces a row's record and icon, moves it to its sorted place, keeping its place among
    // the rows it sorts equal with; returns its new position.
    int replaceRow(int row, EntryRow replacement);

    // Every row has an id that stays with it while rows move, so that work finished later
    // (an icon found on a worker thread) finds its row again. A reset gives new ids.
    quint32 idAt(int row) const { return m_ids[size_t(row)]; }
    // The row of an id, or -1 once that row is gone.
    int rowOfId(quint32 id) const;
    // Marks a row with the outcome of a check: an icon in the "Description" column and a line
    // in the tooltips. Marks go when the rows are replaced (another folder is shown).
    void setMark(int row, const QIcon &icon, const QString &text);

    // Sets the icons of rows named by id (gone rows are skipped), with one dataChanged.
    void setIconIndexes(const std::vector<std::pair<quint32, int>> &iconsById);

    // Web links show their site's icon from icons once it is known (null: the type's icon
    // alone, as without the option). The model asks only for the rows a view shows.
    void setSiteIcons(SiteIcons *icons);

Q_SIGNALS:
    // Rows that insertSorted or replaceRow put into the list, at their new positions.
    void rowsAdded(const QList<int> &rows);

public:
    // The row as a value, its texts decoded.
    EntryRow rowAt(int row) const;
    MFile fileAt(int row) const { return m_records.file(recordOf(row)); }
    qint32 kindAt(int row) const { return m_records.kind(recordOf(row)); }
    QByteArrayView textAt(int row, ContentsRecords::Field field) const
    {
        return m_records.text(recordOf(row), field);
    }
    QString captionAt(int row) const;
    QString descriptionAt(int row) const;
    int count() const { return int(m_rows.size()); }

    // The whole list as a contents file, in the order shown.
    QByteArray serialized() const;
    // The records of the given rows, top to bottom.
    QList<MFile> filesAt(QList<int> rows) const;

private:
    struct Mark
    {
        QIcon icon;
        QString text;
    };
    struct Row
    {
        quint32 record;      // in m_records
        mutable qint32 icon; // index into the shared SystemIcons table; -1: not looked up yet
    };
    qsizetype recordOf(int row) const { return m_rows[size_t(row)].record; }
    int iconOf(int row) const;
    QVariant toolTipOf(const QModelIndex &index) const;
    Mark markOf(int row) const;
    QString textOfRecord(qsizetype record, int column) const;
    bool lessThan(const QString &a, const QString &b) const; // in the current direction
    std::vector<int> sortedOrder(const std::vector<qsizetype> &records) const;
    // The place of each record's text of the column in collation order; equal texts share one.
    std::vector<quint32> collationRanks(const std::vector<qsizetype> &records, int column) const;
    // The same when the records are already in order, as a file Linkshelf wrote is: found by
    // comparing neighbours, with no sort key made. None when some record is out of place.
    std::optional<std::vector<quint32>> ranksIfInOrder(const std::vector<qsizetype> &records,
                                                       int column) const;
    static std::vector<int> orderOfRanks(const std::vector<quint32> &ranks, Qt::SortOrder direction);
    int sortedPosition(const QString &text) const;
    int stablePosition(const QString &text, int was) const;
    // Puts row order[i] at position i, between layoutAboutToBeChanged and layoutChanged.
    void moveRows(const std::vector<int> &order);
    void resetToRecords(ContentsRecords records, std::vector<qint32> icons);
    std::vector<Row> rowsOfRecords(std::vector<EntryRow> &rows);
    quint32 takeId() { return m_nextId++; }
    void forgetRowsOfIds() { m_rowOfIdValid = false; }

    const SystemIcons &m_icons;
    QPointer<SiteIcons> m_siteIcons; // the window's, which may go before the views do
    QMetaObject::Connection m_siteIconsArrived;
    TextEncoding m_encoding;
    IconOfRecord m_iconOf;
    ContentsRecords m_records; // every record shown since the folder was read, in no order
    std::vector<Row> m_rows;
    std::vector<quint32> m_ids; // beside m_rows, moved with it
    quint32 m_nextId = 0;
    mutable std::vector<int> m_rowOfId; // by id; rebuilt after rows moved
    mutable bool m_rowOfIdValid = false;
    // By id, per column: collation ranks, or empty until a sort needs them.
    std::array<std::vector<quint32>, ColumnCount> m_ranksById;
    QHash<quint32, Mark> m_marks; // by row id
    QCollator m_collator;
    // Made on the first sort that needs keys: most texts are plain ASCII, whose keys it makes
    // without the collator.
    mutable std::unique_ptr<AsciiCollation> m_asciiCollation;
    int m_sortColumn = FileNameColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
