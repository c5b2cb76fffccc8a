// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryfiltermodel.h"

#include "entrylistmodel.h"

EntryFilterModel::EntryFilterModel(EntryListModel &entries, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_entries(entries)
{
    setSourceModel(&entries);
    setDynamicSortFilter(false); // the list keeps its own order; this only hides rows
}

void EntryFilterModel::setFindText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    invalidateFilter();
}

bool EntryFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (m_text.isEmpty())
        return true;
    const EntryRow &row = m_entries.rowAt(sourceRow);
    return row.caption.contains(m_text, Qt::CaseInsensitive) ||
           row.description.contains(m_text, Qt::CaseInsensitive) ||
           m_entries.textEncoding().decode(row.file.Path).contains(m_text, Qt::CaseInsensitive);
}
