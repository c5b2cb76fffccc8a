// SPDX-License-Identifier: GPL-3.0-or-later
// The matches of "Find in all folders" as a table (Name, Folder, Path) that grows in batches
// while the search runs.
#pragma once

#include "catalogentries.h"

#include <QAbstractTableModel>
#include <QList>

class FindResultsModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, FolderColumn, PathColumn, ColumnCount };

    explicit FindResultsModel(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(FindResultsModel)

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void clear();
    void append(const QList<CatalogEntryRef> &hits);
    const CatalogEntryRef &hitAt(int row) const { return m_hits[row]; }
    int count() const { return int(m_hits.size()); }

    // The catalog's encoding, which the texts are shown in.
    void setEncoding(const TextEncoding &encoding) { m_encoding = encoding; }

private:
    TextEncoding m_encoding;
    QList<CatalogEntryRef> m_hits;
};
