// SPDX-License-Identifier: GPL-3.0-or-later
#include "findresultsmodel.h"

#include "entryrow.h"

FindResultsModel::FindResultsModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

int FindResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hits.size());
}

int FindResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FindResultsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CatalogEntryRef &hit = m_hits[index.row()];
    // Texts are made when shown, so a search with 100,000 matches costs no strings up front.
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case NameColumn:
            return entryCaption(hit.file, m_encoding);
        case FolderColumn:
            return hit.folderPath;
        case PathColumn:
            return m_encoding.decode(hit.file.Path);
        }
    }
    if (role == Qt::ToolTipRole && !hit.file.Description.isEmpty())
        return descriptionColumnText(hit.file.Description, m_encoding);
    return {};
}

QVariant FindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("Name");
    case FolderColumn:
        return QStringLiteral("Folder");
    case PathColumn:
        return QStringLiteral("Path");
    }
    return {};
}

void FindResultsModel::clear()
{
    beginResetModel();
    m_hits.clear();
    endResetModel();
}

void FindResultsModel::append(const QList<CatalogEntryRef> &hits)
{
    if (hits.isEmpty())
        return;
    beginInsertRows({}, int(m_hits.size()), int(m_hits.size() + hits.size() - 1));
    m_hits.append(hits);
    endInsertRows();
}
