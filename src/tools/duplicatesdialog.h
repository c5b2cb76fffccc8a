// SPDX-License-Identifier: GPL-3.0-or-later
// "Duplicates": the groups of entries that point to the same file or page, in the selected
// folder or across the catalog, with the extra copies ticked for deleting.
#pragma once

#include "duplicatefinder.h"
#include "entryremoval.h"

#include <QDialog>

class CatalogView;
class Interaction;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

class DuplicatesDialog final : public QDialog
{
    Q_OBJECT
public:
    DuplicatesDialog(CatalogView &catalog, Interaction &interaction, DuplicateScope scope,
                     QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(DuplicatesDialog)

    // Looks for duplicates again, in the chosen scope.
    void refresh();
    // Asks, then deletes the ticked copies; returns how many were deleted.
    int deleteSelectedCopies();

    QTreeWidget *groupsView() const { return m_groups; }
    QPushButton *deleteButton() const { return m_delete; }
    void setScope(DuplicateScope scope);
    QList<CatalogEntryRef> selectedCopies() const;
    QString statusText() const;

private:
    void addGroup(const DuplicateGroup &group);
    void updateCount();

    CatalogView &m_catalog;
    TextEncoding m_encoding; // of the catalog the groups were found in
    Interaction &m_interaction;
    DuplicateScope m_scope;
    QRadioButton *m_inFolder = nullptr;
    QRadioButton *m_inCatalog = nullptr;
    QTreeWidget *m_groups = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_delete = nullptr;
    QList<CatalogEntryRef> m_entries; // by the index kept in each entry item
};
