// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogsession.h"

#include "contentsfile.h"
#include "damagednotice.h"
#include "entryiconresolver.h"
#include "entrylistmodel.h"
#include "interaction.h"
#include "mainlist.h"
#include "maintree.h"
#include "systemicons.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>
#include <numeric>

CatalogSession::CatalogSession(CatalogControls controls, Interaction &interaction, Shell &shell,
                               SystemIcons &icons)
    : m_controls(controls)
    , m_interaction(interaction)
    , m_shell(shell)
    , m_icons(icons)
    , m_iconResolver(std::make_unique<EntryIconResolver>(icons.iconKeyOfPath()))
{
    // Rows that commands add get the icons of their files the same way as a folder's rows.
    QObject::connect(&model(), &EntryListModel::rowsAdded, m_iconResolver.get(),
                     [this](const QList<int> &rows) { resolveIcons(rows); });
    QObject::connect(m_iconResolver.get(), &EntryIconResolver::answered, m_iconResolver.get(),
                     [this](const std::vector<EntryIconResolver::Answer> &answers) {
                         std::vector<std::pair<quint32, int>> icons;
                         icons.reserve(answers.size());
                         for (const EntryIconResolver::Answer &answer : answers)
                             if (!answer.key.isEmpty()) // not an existing file: its extension's icon stays
                                 icons.emplace_back(answer.id, m_icons.iconIndexOfKey(answer.key));
                         model().setIconIndexes(icons);
                     });
}

CatalogSession::~CatalogSession() = default;

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
        return extensionIconIndex(file.Program);
    if (file.isUrl())
        return m_urlIconIndex;
    return extensionIconIndex(file.Path);
}

bool CatalogSession::resolvingIcons() const
{
    return m_iconResolver->busy();
}

// What SystemIcons::IconIndexOfPath gives a path that names no existing file, looked up
// from the bytes without making a string: a folder of 100k entries has a handful of types.
int CatalogSession::extensionIconIndex(const QByteArray &path)
{
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype separator = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    const qsizetype start = dot > separator ? dot + 1 : path.size();
    const QByteArray extension = QByteArray::fromRawData(path.constData() + start, path.size() - start);
    if (const auto known = m_iconOfExtension.constFind(extension); known != m_iconOfExtension.cend())
        return *known;
    const QByteArray owned(extension.constData(), extension.size()); // the key outlives path
    const int index = m_icons.IconIndexOfExtension(QString::fromLocal8Bit(owned));
    m_iconOfExtension.insert(owned, index);
    return index;
}

void CatalogSession::resolveIcons(const QList<int> &rows)
{
    std::vector<EntryIconResolver::Request> requests;
    requests.reserve(size_t(rows.size()));
    for (int row : rows) {
        const MFile &file = model().rowAt(row).file;
        if (!file.Program.isEmpty())
            requests.push_back({model().idAt(row), file.Program});
        else if (!file.isUrl())
            requests.push_back({model().idAt(row), file.Path});
    }
    m_iconResolver->resolve(std::move(requests));
}

void CatalogSession::resolveAllIcons()
{
    QList<int> rows(model().count());
    std::iota(rows.begin(), rows.end(), 0); // top first: the rows the user sees come first
    resolveIcons(rows);
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
        if (read.damaged || read.textsCut) // the next command rewrites it with only what was read
            keepDamagedContentsFile(m_paths, m_paths.ContentsFilePath(*folder->record), m_interaction);
        rows.reserve(size_t(read.entries.size()));
        for (MFile &file : read.entries)
            rows.push_back(rowWithIcon(std::move(file)));
    }
    m_controls.desc->clear();
    m_iconResolver->cancelAll(); // the ids of the rows that were shown are given out again
    model().resetRows(std::move(rows));
    resolveAllIcons();
    UpdateFileCounts();
}

bool CatalogSession::SaveFolderContents()
{
    const FolderItem *folder = folderTakingEntries();
    if (!folder)
        return false;
    const SaveResult result =
        writeContentsFile(m_paths.ContentsFilePath(*folder->record), model().serialized());
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
    // A state file may mark several folders selected; the last one wins, and only it is
    // selected, as each selection reads a folder and saves the whole tree.
    const auto selected = std::find_if(load.folders.crbegin(), load.folders.crend(),
                                       [](const FolderRecord &folder) { return folder.Selected; });
    if (selected != load.folders.crend())
        m_controls.tree->setCurrentItem(items[load.folders.crend() - selected - 1]); // reads its entries
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
    m_iconResolver->cancelAll();
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
