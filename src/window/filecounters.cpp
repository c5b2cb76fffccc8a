// SPDX-License-Identifier: GPL-3.0-or-later
#include "filecounters.h"

#include "entrylistmodel.h"
#include "mainlist.h"

#include <QLabel>

FileCounters::FileCounters(MainList &list, QLabel &total, QLabel &selected)
    : m_list(list)
    , m_total(total)
    , m_selected(selected)
{
    // Rows that go take their selection with them before rowsRemoved, so both counters are
    // right when it comes; a reset clears the selection before this hears of it.
    const EntryListModel *model = &list.model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &FileCounters::update);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FileCounters::update);
    connect(model, &QAbstractItemModel::modelReset, this, &FileCounters::update);
    connect(&list, &MainList::selectionChanged, this, &FileCounters::update);
}

void FileCounters::update()
{
    m_selected.setText(QString::number(m_list.selectedCount()));
    m_total.setText(QString::number(m_list.model().count()));
    // The five labels read as one sentence; a screen reader gets it whole from their panel.
    if (QWidget *panel = m_total.parentWidget())
        panel->setAccessibleName(
            QStringLiteral("Total: %1 files, selected %2 files").arg(m_total.text(), m_selected.text()));
}
