// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogtoolcommands.h"

#include "catalogview.h"
#include "duplicatesdialog.h"
#include "findallfoldersdialog.h"
#include "interaction.h"
#include "linkcheckdialog.h"

#include <QLineEdit>

namespace {

void showAndRaise(QWidget *dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

CatalogToolCommands::CatalogToolCommands(CatalogView &catalog, Interaction &interaction, QWidget *window)
    : m_catalog(catalog)
    , m_interaction(interaction)
    , m_window(window)
{}

CatalogToolCommands::~CatalogToolCommands()
{
    // The dialogs reach the window's catalog through this object: they go first, whatever order the
    // window destroys its parts in.
    delete m_find.data();
    delete m_check.data();
    delete m_duplicates.data();
}

void CatalogToolCommands::reveal(const CatalogEntryRef &entry)
{
    if (!m_catalog.reveal(entry)) {
        m_interaction.showMessage(QStringLiteral("The folder of this entry no longer exists."));
        return;
    }
    m_window->activateWindow();
}

void CatalogToolCommands::findInAllFoldersClick(const QString &query)
{
    if (!m_find) {
        m_find = new FindInAllFoldersDialog(m_catalog, m_window);
        connect(m_find, &FindInAllFoldersDialog::entryActivated, this, &CatalogToolCommands::reveal);
    }
    showAndRaise(m_find);
    // Asked from the find bar, the search goes on where the folder's filter stopped.
    if (!query.isEmpty()) {
        m_find->queryField()->setText(query);
        m_find->search();
    }
    m_find->queryField()->setFocus();
    m_find->queryField()->selectAll();
}

void CatalogToolCommands::checkFolderEntriesClick()
{
    if (const std::optional<QList<CatalogEntryRef>> shown = m_catalog.shownEntries())
        startCheck(*shown);
}

void CatalogToolCommands::checkAllEntriesClick()
{
    const CatalogSnapshot catalog = m_catalog.snapshot();
    QList<CatalogEntryRef> entries;
    for (const FolderEntries &folder : readCatalogEntries(catalog.paths, catalog.folders))
        for (qsizetype i = 0; i < folder.entries.size(); ++i)
            entries.append({folder.folder.index, folder.folder.path, folder.folder.contentsFileName, int(i),
                            folder.entries[i]});
    startCheck(entries);
}

void CatalogToolCommands::startCheck(const QList<CatalogEntryRef> &entries)
{
    if (!m_check) {
        m_check = new LinkCheckDialog(m_catalog, m_interaction, m_window);
        connect(m_check, &LinkCheckDialog::entryChecked, this,
                [this](const CatalogEntryRef &entry, const LinkCheckResult &result) {
                    for (int row : m_catalog.shownRowsOf(entry))
                        Q_EMIT entryStatusFound(row, result);
                });
        connect(m_check, &LinkCheckDialog::entryActivated, this, &CatalogToolCommands::reveal);
    }
    m_check->checker().setOptions(m_checkOptions);
    m_check->start(entries);
    showAndRaise(m_check);
}

void CatalogToolCommands::folderDuplicatesClick()
{
    showDuplicates(false);
}

void CatalogToolCommands::allDuplicatesClick()
{
    showDuplicates(true);
}

void CatalogToolCommands::showDuplicates(bool allFolders)
{
    const DuplicateScope scope = allFolders ? DuplicateScope::Catalog : DuplicateScope::WithinFolder;
    if (!m_duplicates) {
        m_duplicates = new DuplicatesDialog(m_catalog, m_interaction, scope, m_window);
        // Other commands must not change the catalog between finding the copies and deleting them.
        m_duplicates->setWindowModality(Qt::WindowModal);
    } else {
        m_duplicates->setScope(scope);
        m_duplicates->refresh();
    }
    showAndRaise(m_duplicates);
}

// Out of line: the dialogs' classes are complete only here.
FindInAllFoldersDialog *CatalogToolCommands::findDialog() const
{
    return m_find;
}

LinkCheckDialog *CatalogToolCommands::checkDialog() const
{
    return m_check;
}

DuplicatesDialog *CatalogToolCommands::duplicatesDialog() const
{
    return m_duplicates;
}
