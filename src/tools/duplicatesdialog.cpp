// SPDX-License-Identifier: GPL-3.0-or-later
#include "duplicatesdialog.h"

#include "catalogview.h"
#include "entrydeletion.h"
#include "entryrow.h"
#include "interaction.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr QSize InitialSize(900, 480); // room for the five columns of a group

enum Column { NameColumn, FolderColumn, ProgramColumn, DescriptionColumn, PathColumn };
// The columns before the path, wide enough for usual texts; the path takes the rest.
constexpr std::pair<int, int> ColumnWidths[] = {
    {NameColumn, 220}, {FolderColumn, 120}, {ProgramColumn, 140}, {DescriptionColumn, 200}};
constexpr int EntryRole = Qt::UserRole; // the entry's index into m_entries; groups have none

} // namespace

DuplicatesDialog::DuplicatesDialog(CatalogView &catalog, Interaction &interaction, DuplicateScope scope,
                                   QWidget *parent)
    : QDialog(parent)
    , m_catalog(catalog)
    , m_interaction(interaction)
    , m_scope(scope)
    , m_inFolder(new QRadioButton(QStringLiteral("In the selected &folder"), this))
    , m_inCatalog(new QRadioButton(QStringLiteral("In &all folders"), this))
    , m_groups(new QTreeWidget(this))
    , m_status(new QLabel(this))
    , m_delete(new QPushButton(QStringLiteral("&Delete selected copies"), this))
{
    setWindowTitle(QStringLiteral("Duplicates"));
    m_inFolder->setObjectName(QStringLiteral("SelectedFolder"));
    m_inCatalog->setObjectName(QStringLiteral("AllFolders"));
    m_groups->setObjectName(QStringLiteral("DuplicateGroups"));
    // The program and the description are what tells copies apart, and what deleting one loses.
    m_groups->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Folder"), QStringLiteral("Program"),
                               QStringLiteral("Description"), QStringLiteral("Path")});
    m_groups->setUniformRowHeights(true);
    for (const auto &[column, width] : ColumnWidths)
        m_groups->header()->resizeSection(column, width);
    m_delete->setObjectName(QStringLiteral("DeleteCopies"));
    // Enter in the list must never start a deletion, even one that asks first.
    m_delete->setAutoDefault(false);
    m_status->setObjectName(QStringLiteral("DuplicatesStatus"));
    m_groups->setAccessibleName(QStringLiteral("Duplicate entries"));
    m_groups->setAccessibleDescription(
        QStringLiteral("Each group lists the copies of one entry; Space checks a copy"));
    m_status->setAccessibleName(QStringLiteral("Status"));

    auto *scopes = new QHBoxLayout;
    scopes->addWidget(m_inFolder);
    scopes->addWidget(m_inCatalog);
    scopes->addStretch();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_delete, QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(scopes);
    layout->addWidget(m_groups, 1);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    resize(InitialSize);

    (scope == DuplicateScope::WithinFolder ? m_inFolder : m_inCatalog)->setChecked(true);
    connect(m_inFolder, &QRadioButton::toggled, this,
            [this](bool on) { setScope(on ? DuplicateScope::WithinFolder : DuplicateScope::Catalog); });
    connect(m_delete, &QPushButton::clicked, this, &DuplicatesDialog::deleteSelectedCopies);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_groups, &QTreeWidget::itemChanged, this, [this] { updateCount(); });
    refresh();
}

void DuplicatesDialog::setScope(DuplicateScope scope)
{
    if (scope == m_scope)
        return;
    m_scope = scope;
    (scope == DuplicateScope::WithinFolder ? m_inFolder : m_inCatalog)->setChecked(true);
    refresh();
}

void DuplicatesDialog::refresh()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const CatalogSnapshot catalog = m_catalog.snapshot();
    m_encoding = catalog.encoding;
    QList<CatalogFolder> folders = catalog.folders;
    if (m_scope == DuplicateScope::WithinFolder)
        folders.removeIf(
            [&](const CatalogFolder &f) { return f.contentsFileName != catalog.shownContentsFileName; });
    // The shown folder's file holds what its list holds: every command writes it at once.
    const QList<DuplicateGroup> groups = findDuplicates(readCatalogEntries(catalog.paths, folders), m_scope);
    const QSignalBlocker blocker(m_groups);
    m_groups->clear();
    m_entries.clear();
    for (const DuplicateGroup &group : groups)
        addGroup(group);
    m_groups->expandAll();
    QApplication::restoreOverrideCursor();
    updateCount();
}

void DuplicatesDialog::addGroup(const DuplicateGroup &group)
{
    auto *top = new QTreeWidgetItem(m_groups);
    top->setText(NameColumn, QStringLiteral("%1 (%2 copies)")
                                 .arg(entryCaption(group.entries.first().file, m_encoding))
                                 .arg(group.entries.size()));
    top->setFirstColumnSpanned(true);
    for (qsizetype i = 0; i < group.entries.size(); ++i) {
        const CatalogEntryRef &entry = group.entries[i];
        auto *item = new QTreeWidgetItem(top);
        item->setText(NameColumn, entryCaption(entry.file, m_encoding));
        item->setText(FolderColumn, entry.folderPath);
        item->setText(ProgramColumn, m_encoding.decode(entry.file.Program));
        item->setText(DescriptionColumn, descriptionColumnText(entry.file.Description, m_encoding));
        item->setText(PathColumn, m_encoding.decode(entry.file.Path));
        if (!entry.file.Description.isEmpty())
            item->setToolTip(DescriptionColumn, descriptionColumnText(entry.file.Description, m_encoding));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(NameColumn, i == group.kept ? Qt::Unchecked : Qt::Checked);
        item->setData(NameColumn, EntryRole, int(m_entries.size()));
        m_entries.append(entry);
    }
}

QList<CatalogEntryRef> DuplicatesDialog::selectedCopies() const
{
    QList<CatalogEntryRef> selected;
    for (int g = 0; g < m_groups->topLevelItemCount(); ++g) {
        const QTreeWidgetItem *group = m_groups->topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c)
            if (group->child(c)->checkState(NameColumn) == Qt::Checked)
                selected.append(m_entries[group->child(c)->data(NameColumn, EntryRole).toInt()]);
    }
    return selected;
}

QString DuplicatesDialog::statusText() const
{
    return m_status->text();
}

void DuplicatesDialog::updateCount()
{
    const qsizetype selected = selectedCopies().size();
    m_status->setText(m_groups->topLevelItemCount() == 0
                          ? QStringLiteral("No duplicates found.")
                          : QStringLiteral("%1 groups of duplicates, %2 copies selected.")
                                .arg(m_groups->topLevelItemCount())
                                .arg(selected));
    m_delete->setEnabled(selected > 0);
}

int DuplicatesDialog::deleteSelectedCopies()
{
    const QList<CatalogEntryRef> selected = selectedCopies();
    if (selected.isEmpty())
        return 0;
    const std::optional<EntryRemovalResult> result =
        deleteAfterAsking(m_catalog, m_interaction, selected,
                          {QStringLiteral("the selected copy"), QStringLiteral("the %1 selected copies"),
                           QStringLiteral("No copy was deleted."),
                           QStringLiteral("%1 of the selected copies had changed since they were found")});
    if (!result)
        return 0;
    refresh();
    return result->removed;
}
