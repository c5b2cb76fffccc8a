// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogtoolcommands.h"

#include "catalogsession.h"
#include "duplicatesdialog.h"
#include "findallfoldersdialog.h"
#include "interaction.h"
#include "linkcheckdialog.h"
#include "shownfolder.h"

#include <QLineEdit>

namespace {

void showAndRaise(QWidget *dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

CatalogToolCommands::CatalogToolCommands(CatalogSession &session, QWidget *window)
    : m_session(session)
    , m_window(window)
    , m_shownRows(new ShownEntryRows(session, this))
{}

CatalogToolCommands::~CatalogToolCommands()
{
    // The dialogs reach the session through this object: they go first, whatever order the
    // window destroys its parts in.
    delete m_find.data();
    delete m_check.data();
    delete m_duplicates.data();
}

void CatalogToolCommands::reveal(const CatalogEntryRef &entry)
{
    if (!revealEntry(m_session, entry)) {
        m_session.interaction().showMessage(QStringLiteral("The folder of this entry no longer exists."));
        return;
    }
    m_window->activateWindow();
}

void CatalogToolCommands::FindInAllFoldersClick()
{
    if (!m_find) {
        m_find = new FindInAllFoldersDialog([this] { return catalogSnapshot(m_session); }, m_window);
        connect(m_find, &FindInAllFoldersDialog::entryActivated, this, &CatalogToolCommands::reveal);
    }
    showAndRaise(m_find);
    m_find->queryField()->setFocus();
    m_find->queryField()->selectAll();
}

void CatalogToolCommands::CheckFolderEntriesClick()
{
    if (!m_session.folderTakingEntries())
        return;
    startCheck(shownFolderEntries(m_session));
}

void CatalogToolCommands::CheckAllEntriesClick()
{
    const CatalogSnapshot catalog = catalogSnapshot(m_session);
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
        m_check = new LinkCheckDialog({[this] { return catalogSnapshot(m_session); },
                                       [this] { return shownFolderRemovalHooks(m_session); }},
                                      m_session.interaction(), m_window);
        connect(m_check, &LinkCheckDialog::entryChecked, this,
                [this](const CatalogEntryRef &entry, const LinkCheckResult &result) {
                    for (int row : m_shownRows->rowsOf(entry))
                        Q_EMIT entryStatusFound(row, result);
                });
        connect(m_check, &LinkCheckDialog::entryActivated, this, &CatalogToolCommands::reveal);
    }
    m_check->checker().setOptions(m_checkOptions);
    m_check->start(entries);
    showAndRaise(m_check);
}

void CatalogToolCommands::FolderDuplicatesClick()
{
    showDuplicates(false);
}

void CatalogToolCommands::AllDuplicatesClick()
{
    showDuplicates(true);
}

void CatalogToolCommands::showDuplicates(bool allFolders)
{
    const DuplicateScope scope = allFolders ? DuplicateScope::Catalog : DuplicateScope::WithinFolder;
    if (!m_duplicates) {
        m_duplicates = new DuplicatesDialog({[this] { return catalogSnapshot(m_session); },
                                             [this] { return shownFolderRemovalHooks(m_session); }},
                                            m_session.interaction(), scope, m_window);
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
