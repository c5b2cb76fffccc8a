// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogsession.h"

#include "contentsfile.h"
#include "damagednotice.h"
#include "entrylistmodel.h"
#include "interaction.h"
#include "mainlist.h"
#include "maintree.h"
#include "systemicons.h"

#include <QLabel>
#include <QPlainTextEdit>

CatalogSession::CatalogSession(CatalogControls controls, Interaction &interaction, Shell &shell, SystemIcons &icons)
    : m_controls(controls)
    , m_interaction(interaction)
    , m_shell(shell)
    , m_icons(icons)
{
}

EntryListModel &CatalogSession::model() const
{
    return m_controls.list->model();
}

void CatalogSession::computeUrlIconIndex()
{
    m_urlIconIndex = m_icons.IconIndexOfExtension(QStringLiteral("htm"));
}

int CatalogSession::EntryIconIndex(const MFile &file)
{
    if (!file.Program.isEmpty())
        return m_icons.IconIndexOfPath(QString::fromLocal8Bit(file.Program));
    if (file.isUrl())
        return m_urlIconIndex;
    return m_icons.IconIndexOfPath(QString::fromLocal8Bit(file.Path));
}

EntryRow CatalogSession::rowWithIcon(MFile file)
{
    const int icon = EntryIconIndex(file);
    EntryRow row = makeEntryRow(std::move(file));
    row.iconIndex = icon;
    return row;
}

FolderItem *CatalogSession::folderTakingEntries() const
{
    FolderItem *folder = m_controls.tree->selectedFolder();
    return folder && folder->record ? folder : nullptr;
}

void CatalogSession::LoadFolderContents(FolderItem *folder)
{
    if (!folder)
        folder = m_controls.tree->selectedFolder();
    if (!folder)
        return;
    std::vector<EntryRow> rows;
    if (folder->record) {
        ContentsReadResult read = readContentsFile(m_paths.ContentsFilePath(*folder->record));
        if (read.damaged) // the next command rewrites the file with only what was read
            keepDamagedContentsFile(m_paths, m_paths.ContentsFilePath(*folder->record), m_interaction);
        rows.reserve(size_t(read.entries.size()));
        for (MFile &file : read.entries)
            rows.push_back(rowWithIcon(std::move(file)));
    }
    m_controls.desc->clear();
    model().resetRows(std::move(rows));
    UpdateFileCounts();
}

bool CatalogSession::SaveFolderContents()
{
    const FolderItem *folder = folderTakingEntries();
    if (!folder)
        return false;
    const SaveResult result = writeContentsFile(m_paths.ContentsFilePath(*folder->record), model().serialized());
    reportSave(result);
    return result.ok;
}

void CatalogSession::LoadFolderTree()
{
    const FolderTreeLoad load = loadFolderTree(m_paths);
    if (load.status == FolderTreeLoad::TreeFileMissing) {
        // Worded so although it is the tree file that is missing: users and their notes know it.
        m_interaction.showError(QStringLiteral("File itree.dat not found !"));
        return;
    }
    if (load.status == FolderTreeLoad::InvalidLevel || load.countsDiffer)
        keepDamagedTreeFiles(m_paths, m_interaction); // the first save would replace them
    if (load.status == FolderTreeLoad::InvalidLevel)
        throw CatalogLoadError(load.errorMessage.toStdString());
    const QList<FolderItem *> items = m_controls.tree->replaceFolders(load.folders);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (load.folders[i].Expanded)
            items[i]->setExpanded(true);
        if (load.folders[i].Selected)
            m_controls.tree->setCurrentItem(items[i]); // the selection events read its entries
    }
}

bool CatalogSession::SaveFolderTree()
{
    const SaveResult result = saveFolderTree(m_paths, m_controls.tree->toRecords());
    reportSave(result);
    return result.ok;
}

void CatalogSession::FreeListRecords()
{
    m_controls.desc->clear();
    model().resetRows({});
}

void CatalogSession::UpdateFileCounts()
{
    m_controls.selFiles->setText(QString::number(m_controls.list->selectedCount()));
    m_controls.numFiles->setText(QString::number(model().count()));
}

void CatalogSession::reportSave(const SaveResult &result)
{
    // The change stays in the window and is written by the next command; the user hears of
    // the failure once, not at every command, until a save succeeds again.
    if (result.ok) {
        m_saveFailureShown = false;
        return;
    }
    if (m_saveFailureShown)
        return;
    m_saveFailureShown = true;
    m_interaction.showMessage(QStringLiteral("The catalog could not be saved.\n%1\n\n"
                                             "Your changes are kept in the window and will be saved "
                                             "with the next change that succeeds.")
                                  .arg(result.errorString));
}
