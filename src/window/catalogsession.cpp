// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogsession.h"

#include "contentsfile.h"
#include "contentsnames.h"
#include "damagednotice.h"
#include "entryicons.h"
#include "entrylistmodel.h"
#include "entryremoval.h"
#include "filecounters.h"
#include "interaction.h"
#include "mainlist.h"
#include "maintree.h"
#include "systemicons.h"

#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRandomGenerator>

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

const QString DamagedUnkeptReason = QStringLiteral("it is damaged, and no copy of it could be kept");

// What is wrong with tree files that loaded, for the user: the file that is missing or cannot
// be read named as it is; empty for files that only disagree, which the notice words itself.
QString treeDamageHeadline(const FolderTreeLoad &load)
{
    if (!load.unreadableFiles.isEmpty())
        return QStringLiteral("A catalog file cannot be read: %1.")
            .arg(load.unreadableFiles.join(QStringLiteral(", ")));
    if (!load.indexRead && !load.folders.isEmpty())
        return QStringLiteral(
            "The catalog file itree.lsf is missing: the folders are shown without their entries.");
    if (load.refusedRecords)
        return QStringLiteral(
                   "The catalog file itree.lsf names %1 contents file(s) that are not files of the work "
                   "directory (a path that leads out of it, or a link): those folders are shown without "
                   "entries, and nothing outside the work directory is read or written.")
            .arg(load.refusedRecords);
    return QString();
}

} // namespace

CatalogSession::CatalogSession(CatalogControls controls, Interaction &interaction, Shell &shell,
                               SystemIcons &icons)
    : m_controls(controls)
    , m_interaction(interaction)
    , m_shell(shell)
    , m_icons(icons)
    , m_entryIcons(std::make_unique<EntryIcons>(controls.list->model(), icons, m_choices))
    , m_counters(std::make_unique<FileCounters>(*controls.list, *controls.numFiles, *controls.selFiles))
{}

CatalogSession::~CatalogSession() = default;

EntryListModel &CatalogSession::model() const
{
    return m_controls.list->model();
}

void CatalogSession::showDescription(const MFile &file)
{
    m_controls.desc->setPlainText(descriptionText(file.Description, m_choices.textEncoding()));
}

void CatalogSession::clearDescription()
{
    m_controls.desc->clear();
}

FolderItem *CatalogSession::folderTakingEntries() const
{
    FolderItem *folder = m_controls.tree->selectedFolder();
    return folder && folder->record ? folder : nullptr;
}

bool CatalogSession::selectedFolderTakesChanges()
{
    const FolderItem *folder = folderTakingEntries();
    if (!folder)
        return false;
    if (const std::optional<QString> reason = readOnlyReason(*folder)) {
        m_interaction.showMessage(
            QStringLiteral("The folder \"%1\" is left as it is while Linkshelf runs: %2.")
                .arg(folder->text(0), *reason));
        return false;
    }
    return true;
}

bool CatalogSession::treeTakesChanges()
{
    if (const std::optional<QString> reason = treeReadOnlyReason()) {
        m_interaction.showMessage(
            QStringLiteral("The folders are left as they are while Linkshelf runs: %1.").arg(*reason));
        return false;
    }
    return true;
}

std::optional<QString> CatalogSession::readOnlyReason(const FolderItem &folder) const
{
    const std::optional<QString> path = m_paths.ContentsFilePath(*folder.record);
    if (!path)
        return QStringLiteral("its file is not in the work directory");
    return m_readOnlyFiles.reasonFor(*path);
}

std::optional<QString> CatalogSession::treeReadOnlyReason() const
{
    for (const QString &file : {m_paths.TreeFilePath, m_paths.ITreeFilePath, m_paths.ETreeFilePath})
        if (std::optional<QString> reason = m_readOnlyFiles.reasonFor(file))
            return reason;
    return std::nullopt;
}

bool CatalogSession::keepDamagedFileAside(const QString &file)
{
    if (keepDamagedContentsFile(m_paths, file, m_interaction).kept)
        return true;
    m_readOnlyFiles.add(file, DamagedUnkeptReason);
    return false;
}

// The next command would rewrite the file with what the list holds: a file nobody could read
// would lose every entry, a damaged one what could not be read.
ContentsRecords CatalogSession::readFolderRecords(const FolderItem &folder)
{
    ContentsRecordsRead read = ::readFolderRecords(m_paths, *folder.record);
    const std::optional<QString> path = m_paths.ContentsFilePath(*folder.record);
    if (path)
        m_knownFiles.insert(*path, read.fingerprint);
    if (path && !read.readError.isEmpty()) {
        if (m_readOnlyFiles.add(*path, read.readError))
            m_interaction.showMessage(
                QStringLiteral("The entries of the folder \"%1\" cannot be read from \"%2\": "
                               "%3.\nThe folder is shown empty, and Linkshelf leaves its file "
                               "as it is while it runs.")
                    .arg(folder.text(0), QDir::toNativeSeparators(*path), read.readError));
    } else if (path && (read.damaged || read.textsCut)) {
        keepDamagedFileAside(*path);
    }
    if (!m_choices.encodingSettled())
        settleEncoding(read.records.allUtf8());
    return std::move(read.records);
}

void CatalogSession::LoadFolderContents(FolderItem *folder)
{
    if (!folder)
        folder = m_controls.tree->selectedFolder();
    if (!folder)
        return;
    ContentsRecords records;
    if (folder->record)
        records = readFolderRecords(*folder);
    clearDescription();
    m_unwritten = {};          // as before any change reached the disk: the list shows the file
    m_entryIcons->cancelAll(); // the ids of the rows that were shown are given out again
    model().resetRecords(std::move(records));
    UpdateFileCounts();
}

std::optional<QString> CatalogSession::shownContentsFile() const
{
    const FolderItem *folder = folderTakingEntries();
    return folder ? m_paths.ContentsFilePath(*folder->record) : std::nullopt;
}

// A change is applied to the file as it is now; a file that cannot be read takes none, and
// is left alone until Linkshelf is started again.
std::optional<ContentsReadResult> CatalogSession::readBeforeChange(const FolderItem &folder,
                                                                   const QString &path)
{
    ContentsReadResult fresh = readContentsFile(path);
    if (fresh.readError.isEmpty())
        return fresh;
    m_readOnlyFiles.add(path, fresh.readError);
    m_interaction.showMessage(
        QStringLiteral("The folder \"%1\" was not changed: its file \"%2\" cannot be read: %3.")
            .arg(folder.text(0), QDir::toNativeSeparators(path), fresh.readError));
    return std::nullopt;
}

bool CatalogSession::applyToShownFolder(const EntryChange &change, const QString &undoName)
{
    if (!selectedFolderTakesChanges())
        return false;
    const FolderItem &folder = *folderTakingEntries();
    const MTree record = *folder.record;
    const QString path = *shownContentsFile();
    const std::optional<ContentsReadResult> read = readBeforeChange(folder, path);
    if (!read)
        return false;
    const ContentsReadResult &fresh = *read;
    const auto known = m_knownFiles.constFind(path);
    const bool asShown = known != m_knownFiles.cend() && known->sameBytes(fresh.fingerprint);
    // A damaged file the list was read from was kept aside then; one that became damaged
    // since is kept aside now, before the write drops what could not be read.
    if (!asShown && (fresh.damaged || fresh.textsCut) && !keepDamagedFileAside(path))
        return false;
    QByteArray bytes;
    EntryChangeOutcome outcome;
    if (asShown) {
        applyToList(change);
        bytes = model().serialized();
    } else {
        outcome = applyEntryChange(fresh.entries, m_unwritten.followedBy(change));
        bytes = serializeContents(outcome.entries);
    }
    const SaveResult result = writeContentsFile(path, bytes);
    reportSave(result);
    if (result.ok) {
        m_knownFiles.insert(path, fingerprintAfterWrite(path, bytes));
        m_unwritten = {};
    } else {
        m_unwritten = m_unwritten.followedBy(change);
        if (!asShown) // the list shows the result; the disk still has what was read
            m_knownFiles.insert(path, fresh.fingerprint);
    }
    if (!asShown) {
        showEntriesKeepingPlace(outcome.entries);
        if (!outcome.keptAsNew.isEmpty())
            m_interaction.showMessage(
                QStringLiteral("The entry \"%1\" was deleted elsewhere while you changed it: your "
                               "version is kept as a new entry.")
                    .arg(entryCaption(outcome.keptAsNew.constFirst(), m_choices.textEncoding())));
    }
    UpdateFileCounts();
    // A change that waits to be written has no step: its undo would apply to a file that
    // does not hold it yet.
    if (!undoName.isEmpty() && result.ok)
        m_history.record(undoName, entryEditUndoing({{record, change}}));
    return true;
}

bool CatalogSession::applyToFolder(const FolderItem &folder, const EntryChange &change,
                                   const QString &undoName)
{
    if (&folder == folderTakingEntries())
        return applyToShownFolder(change, undoName);
    if (!folder.record)
        return false;
    if (const std::optional<QString> reason = readOnlyReason(folder)) {
        m_interaction.showMessage(
            QStringLiteral("The folder \"%1\" is left as it is while Linkshelf runs: %2.")
                .arg(folder.text(0), *reason));
        return false;
    }
    const QString path = *m_paths.ContentsFilePath(*folder.record);
    const std::optional<ContentsReadResult> read = readBeforeChange(folder, path);
    if (!read)
        return false;
    const ContentsReadResult &fresh = *read;
    if ((fresh.damaged || fresh.textsCut) && !keepDamagedFileAside(path))
        return false;
    const SaveResult result =
        writeContentsFile(path, serializeContents(applyEntryChange(fresh.entries, change).entries));
    reportSave(result);
    if (result.ok && !undoName.isEmpty())
        m_history.record(undoName, entryEditUndoing({{*folder.record, change}}));
    return result.ok;
}

void CatalogSession::applyToList(const EntryChange &change)
{
    for (const auto &[before, after] : change.replaced)
        for (int row = 0; row < model().count(); ++row)
            if (model().rowAt(row).file == before) {
                model().replaceRow(row, m_entryIcons->rowWithIcon(after));
                break;
            }
    if (!change.removed.isEmpty()) {
        QList<MFile> files;
        files.reserve(model().count());
        for (int row = 0; row < model().count(); ++row)
            files.append(model().rowAt(row).file);
        QList<std::pair<int, MFile>> wanted;
        for (const MFile &file : change.removed)
            wanted.append({-1, file});
        const QList<qsizetype> positions = positionsToRemove(files, wanted);
        model().removeRowsAt(QList<int>(positions.cbegin(), positions.cend()));
    }
    std::vector<EntryRow> rows;
    rows.reserve(size_t(change.added.size()));
    for (const MFile &file : change.added)
        rows.push_back(m_entryIcons->rowWithIcon(file));
    model().insertSorted(std::move(rows));
}

void CatalogSession::showEntriesKeepingPlace(const QList<MFile> &entries)
{
    MainList &list = *m_controls.list;
    const QList<MFile> selected = model().filesAt(list.selectedRows());
    const int top = list.topVisibleRow();
    const std::optional<MFile> topFile = top >= 0 ? std::optional(model().rowAt(top).file) : std::nullopt;
    std::vector<EntryRow> rows;
    rows.reserve(size_t(entries.size()));
    for (const MFile &file : entries)
        rows.push_back(m_entryIcons->rowWithIcon(file));
    m_entryIcons->cancelAll();
    model().resetRows(std::move(rows));
    QList<MFile> files;
    files.reserve(model().count());
    for (int row = 0; row < model().count(); ++row)
        files.append(model().rowAt(row).file);
    QList<std::pair<int, MFile>> wanted;
    for (const MFile &file : selected)
        wanted.append({-1, file});
    const QList<qsizetype> positions = positionsToRemove(files, wanted); // the rows holding them
    list.selectRows(QList<int>(positions.cbegin(), positions.cend()));
    if (topFile)
        if (const qsizetype at = files.indexOf(*topFile); at >= 0)
            list.scrollRowToTop(int(at));
    if (positions.isEmpty())
        clearDescription();
}

bool CatalogSession::reloadShownFolderIfChanged()
{
    const std::optional<QString> path = shownContentsFile();
    if (!path || !m_unwritten.isEmpty())
        return false;
    const auto known = m_knownFiles.constFind(*path);
    if (known != m_knownFiles.cend() && stampUnchanged(*path, *known))
        return false;
    const ContentsReadResult fresh = readContentsFile(*path);
    if (known != m_knownFiles.cend() && known->sameBytes(fresh.fingerprint)) {
        m_knownFiles.insert(*path, fresh.fingerprint); // its new time, so it is not read again
        return false;
    }
    if (!fresh.readError.isEmpty() || fresh.damaged || fresh.textsCut) {
        LoadFolderContents(); // says what is wrong, and keeps the file as it is
        return true;
    }
    m_knownFiles.insert(*path, fresh.fingerprint);
    showEntriesKeepingPlace(fresh.entries);
    UpdateFileCounts();
    return true;
}

void CatalogSession::keepTreeFilesAside(const QString &headline, bool alwaysTell)
{
    const DamagedNotice notice = keepDamagedTreeFiles(m_paths, m_interaction, headline);
    if (!notice.told && alwaysTell)
        m_interaction.showMessage(headline);
    if (!notice.kept) // the three are written together, so none of them may be
        for (const QString &file : {m_paths.TreeFilePath, m_paths.ITreeFilePath, m_paths.ETreeFilePath})
            m_readOnlyFiles.add(file, DamagedUnkeptReason);
}

// Whatever the first save would replace is kept aside first.
bool CatalogSession::acceptTreeLoad(const FolderTreeLoad &load)
{
    switch (load.status) {
    case FolderTreeLoad::TreeFileMissing:
        if (load.catalogFilesLeft) {
            // Every start says it, as the window stays empty until the user acts.
            keepTreeFilesAside(
                QStringLiteral("The catalog file tree.lsf is missing, though other files of the "
                               "catalog are in \"%1\": Linkshelf starts without folders, and a "
                               "new folder never takes the name of a file that is there.")
                    .arg(QDir::toNativeSeparators(m_paths.WorkDirectory)),
                true);
            return false;
        }
        // The historic words, where they have always applied: a folder with no catalog in it.
        // They name the tree file so, and users and their notes know them.
        m_interaction.showError(QStringLiteral("File itree.dat not found !"));
        return false;
    case FolderTreeLoad::TreeFileUnreadable:
        // The copy that cannot be made says why, and leaves the three files as they are.
        keepTreeFilesAside(
            QStringLiteral("The catalog file tree.lsf cannot be read: Linkshelf starts without "
                           "folders."),
            true);
        return false;
    case FolderTreeLoad::InvalidLevel:
        keepTreeFilesAside(QString(), false);
        throw CatalogLoadError(load.errorMessage.toStdString());
    case FolderTreeLoad::Loaded:
        break;
    }
    if (load.countsDiffer || load.refusedRecords || !load.unreadableFiles.isEmpty())
        keepTreeFilesAside(treeDamageHeadline(load), false);
    return true;
}

void CatalogSession::LoadFolderTree()
{
    const FolderTreeLoad load = loadFolderTree(m_paths);
    if (!acceptTreeLoad(load))
        return;
    m_knownTree = {load.treeFingerprint, load.indexFingerprint};
    m_waitingTreeChanges.clear(); // what the window showed is replaced
    m_treeWaiting = false;
    QList<QByteArray> names;
    names.reserve(load.folders.size());
    for (const FolderRecord &folder : load.folders)
        names.append(folder.Name);
    settleEncodingFrom(names);
    const QList<FolderItem *> items = m_controls.tree->replaceFolders(load.folders);
    // A state file may mark several folders selected; the last one wins, and only it is
    // selected, as each selection reads a folder and saves the whole tree.
    const auto selected = std::find_if(load.folders.crbegin(), load.folders.crend(),
                                       [](const FolderRecord &folder) { return folder.Selected; });
    if (selected != load.folders.crend())
        m_controls.tree->setCurrentItem(items[load.folders.crend() - selected - 1]); // reads its entries
}

bool CatalogSession::SaveFolderTree(const std::optional<FolderChange> &change, const QString &undoName)
{
    CatalogEdit undo;
    if (change && !undoName.isEmpty() && !treeReadOnlyReason()) {
        // What takes it back is found from the tree as it is on disk, before it changes.
        const FolderTreeLoad before = loadFolderTree(m_paths);
        if (before.status == FolderTreeLoad::Loaded)
            undo = folderEditUndoing(m_paths, before.folders, *change);
    }
    const bool saved = SaveFolderTree(change ? QList<FolderChange>{*change} : QList<FolderChange>{});
    // A change that waits to be written has no step: its undo would find nothing to take back.
    if (saved && !undoName.isEmpty())
        m_history.record(undoName, undo);
    return saved;
}

bool CatalogSession::SaveFolderTree(const QList<FolderChange> &changes)
{
    if (treeReadOnlyReason())
        return false;
    m_waitingTreeChanges.append(changes);
    if (writeWaitingTree(false))
        return true;
    if (!m_treeWaiting) {
        m_treeWaiting = true;
        if (m_onTreeWaiting)
            m_onTreeWaiting();
    }
    return false;
}

bool CatalogSession::writeWaitingTree(bool waitingIsOver)
{
    TreeOnDisk disk = treeChangedOnDisk();
    if (disk.state == TreeOnDisk::HalfArrived && !waitingIsOver)
        return false;
    const QList<FolderChange> changes = std::exchange(m_waitingTreeChanges, {});
    m_treeWaiting = false;
    if (disk.state == TreeOnDisk::Changed)
        return saveMergedTree(std::move(disk.load.folders), changes);
    if (disk.state == TreeOnDisk::HalfArrived) {
        keepTreeFilesAside(
            QStringLiteral("The folder tree files of the catalog were being changed elsewhere and did not "
                           "agree with each other: the folders were saved as this window shows them."),
            true);
        if (treeReadOnlyReason()) // no copy could be kept: what arrived stays as it is
            return false;
    }
    const SaveResult result = saveFolderTree(m_paths, m_controls.tree->toRecords(), &m_knownTree);
    reportSave(result);
    return result.ok;
}

bool CatalogSession::saveMergedTree(QList<FolderRecord> folders, const QList<FolderChange> &changes)
{
    for (const FolderChange &change : changes)
        if (!applyFolderChange(folders, change).applied && change.kind == FolderChange::Rename)
            m_interaction.showMessage(
                QStringLiteral("The folder was not renamed: it was deleted elsewhere while you renamed it."));
    separateSharedContentsFiles(folders);
    carryWindowStates(folders);
    const SaveResult result = saveFolderTree(m_paths, folders, &m_knownTree);
    reportSave(result);
    showFolders(folders);
    return result.ok;
}

void CatalogSession::separateSharedContentsFiles(QList<FolderRecord> &folders)
{
    const QList<FolderRecord> shown = m_controls.tree->toRecords();
    const QList<FolderPath> shownPaths = folderPaths(shown);
    const QList<FolderPath> paths = folderPaths(folders);
    QHash<QByteArray, qsizetype> holders;
    for (const FolderRecord &folder : std::as_const(folders))
        if (folder.Record)
            ++holders[folder.Record->FileName];
    QList<QByteArray> held = holders.keys();
    for (qsizetype i = 0; i < folders.size(); ++i) {
        if (!folders[i].Record || holders.value(folders[i].Record->FileName) < 2)
            continue;
        bool shownWithIt = false;
        for (qsizetype j = 0; j < shown.size() && !shownWithIt; ++j)
            shownWithIt = shown[j].Record == folders[i].Record && shownPaths[j] == paths[i];
        if (shownWithIt)
            continue;
        const std::optional<MTree> copy = copyContentsFile(*folders[i].Record, held);
        if (!copy)
            continue; // shared it stays: both folders still show every entry
        --holders[folders[i].Record->FileName];
        folders[i].Record = copy;
        held.append(copy->FileName);
    }
}

std::optional<MTree> CatalogSession::copyContentsFile(const MTree &record, const QList<QByteArray> &held)
{
    const std::optional<QByteArray> name =
        randomFreeContentsName(takenContentsNames(m_paths.WorkDirectory, held), *QRandomGenerator::global());
    const std::optional<QString> from = m_paths.ContentsFilePath(record);
    if (!name || !from)
        return std::nullopt;
    const std::optional<QByteArray> bytes = readWholeFile(*from); // not there yet: empty
    if (!writeContentsFile(m_paths.ContentsFilePath(MTree{*name}).value(), bytes.value_or(emptyContents()))
             .ok)
        return std::nullopt;
    return MTree{*name};
}

CatalogSession::TreeOnDisk CatalogSession::treeChangedOnDisk()
{
    if (!m_knownTree.first.exists || (stampUnchanged(m_paths.TreeFilePath, m_knownTree.first) &&
                                      stampUnchanged(m_paths.ITreeFilePath, m_knownTree.second)))
        return {};
    FolderTreeLoad load = loadFolderTree(m_paths);
    // A sync tool delivers the files one by one, a writer elsewhere may replace them one after
    // the other: until the rest arrives they disagree, and a write now would undo what came.
    if (load.status != FolderTreeLoad::Loaded || !load.indexRead || load.countsDiffer ||
        !load.unreadableFiles.isEmpty())
        return {TreeOnDisk::HalfArrived, {}};
    if (load.refusedRecords) // damage is for the next start to tell
        return {};
    if (load.treeFingerprint.sameBytes(m_knownTree.first) &&
        load.indexFingerprint.sameBytes(m_knownTree.second)) {
        m_knownTree = {load.treeFingerprint, load.indexFingerprint}; // their times, read once
        return {};
    }
    return {TreeOnDisk::Changed, std::move(load)};
}

bool CatalogSession::reloadTreeIfChanged()
{
    if (treeReadOnlyReason())
        return false;
    if (m_treeWaiting)
        return writeWaitingTree(false);
    TreeOnDisk disk = treeChangedOnDisk();
    if (disk.state != TreeOnDisk::Changed)
        return false;
    m_knownTree = {disk.load.treeFingerprint, disk.load.indexFingerprint};
    const QList<FolderRecord> before = disk.load.folders;
    separateSharedContentsFiles(disk.load.folders);
    if (disk.load.folders != before) { // written at once, so that the other side sees it too
        carryWindowStates(disk.load.folders);
        reportSave(saveFolderTree(m_paths, disk.load.folders, &m_knownTree));
    }
    showFoldersKeepingPlace(std::move(disk.load.folders));
    return true;
}

// A folder is the same one by its record (a rename elsewhere keeps it), else by its path.
void CatalogSession::showFoldersKeepingPlace(QList<FolderRecord> folders)
{
    carryWindowStates(folders);
    showFolders(folders);
}

void CatalogSession::carryWindowStates(QList<FolderRecord> &folders) const
{
    const QList<FolderRecord> now = m_controls.tree->toRecords();
    const QList<FolderPath> paths = folderPaths(folders);
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const qsizetype mine = findFolder(now, folders[i].Record ? FolderRef{folders[i].Record, {}}
                                                                 : FolderRef{std::nullopt, paths[i]});
        folders[i].Expanded = mine >= 0 && now[mine].Expanded;
        folders[i].Selected = mine >= 0 && now[mine].Selected;
    }
}

void CatalogSession::showFolders(const QList<FolderRecord> &folders)
{
    MainTree &tree = *m_controls.tree;
    const std::optional<QString> shownBefore = shownContentsFile();
    {
        const QSignalBlocker blocker(&tree); // the list follows below, and nothing is written
        const QList<FolderItem *> items = tree.replaceFolders(folders);
        const auto selected = std::find_if(folders.cbegin(), folders.cend(),
                                           [](const FolderRecord &folder) { return folder.Selected; });
        tree.setCurrentItem(selected != folders.cend() ? items[selected - folders.cbegin()] : nullptr);
    }
    if (shownContentsFile() && shownContentsFile() == shownBefore)
        reloadShownFolderIfChanged();
    else if (tree.selectedFolder())
        LoadFolderContents();
    else
        FreeListRecords();
    UpdateFileCounts();
}

void CatalogSession::openChoices(SettingsStore *store)
{
    m_choices.open(store, m_paths.WorkDirectory);
    m_controls.tree->setTextEncoding(m_choices.textEncoding());
    model().setTextEncoding(m_choices.textEncoding());
}

void CatalogSession::setTextEncoding(const TextEncoding &encoding, bool settled)
{
    const bool changed = !(encoding == m_choices.textEncoding());
    m_choices.setTextEncoding(encoding, settled);
    if (!changed)
        return;
    m_controls.tree->setTextEncoding(encoding);
    model().setTextEncoding(encoding);
    // The rows' captions and descriptions are made from their records as they are read.
    std::vector<EntryRow> rows;
    rows.reserve(size_t(model().count()));
    for (int row = 0; row < model().count(); ++row)
        rows.push_back(m_entryIcons->rowWithIcon(model().rowAt(row).file));
    m_entryIcons->cancelAll();
    model().resetRows(std::move(rows));
    clearDescription();
}

void CatalogSession::setPathMappings(const QList<PathMapping> &mappings)
{
    m_choices.setPathMappings(mappings);
    m_entryIcons->resolveAgain(); // an entry that now leads to a file shows that file's icon
}

bool CatalogSession::settleEncodingFrom(const QList<QByteArray> &texts)
{
    return !m_choices.encodingSettled() && settleEncoding(allUtf8(texts));
}

bool CatalogSession::settleEncoding(bool textsAreUtf8)
{
    if (m_choices.encodingSettled() || textsAreUtf8)
        return false;
    setTextEncoding(legacyEncodingOf(QLocale().language()), true);
    return true;
}

void CatalogSession::FreeListRecords()
{
    clearDescription();
    m_entryIcons->cancelAll();
    model().resetRows({});
}

void CatalogSession::UpdateFileCounts()
{
    m_counters->update();
}

bool CatalogSession::editTakesChanges(const CatalogEdit &edit)
{
    if ((!edit.folders.isEmpty() || !edit.wholeCatalogFrom.isEmpty()) && !treeTakesChanges())
        return false;
    for (const FolderEntryChange &entries : edit.entries) {
        const std::optional<QString> path = m_paths.ContentsFilePath(entries.record);
        if (const std::optional<QString> reason = path ? m_readOnlyFiles.reasonFor(*path) : std::nullopt) {
            m_interaction.showMessage(
                QStringLiteral("The file \"%1\" is left as it is while Linkshelf runs: %2.")
                    .arg(QDir::toNativeSeparators(*path), *reason));
            return false;
        }
    }
    return true;
}

std::optional<CatalogEditOutcome> CatalogSession::applyEdit(const CatalogEdit &edit)
{
    if (!editTakesChanges(edit))
        return std::nullopt;
    const FolderItem *shown = folderTakingEntries();
    const bool changesShown = shown && std::any_of(edit.entries.cbegin(), edit.entries.cend(),
                                                   [shown](const FolderEntryChange &entries) {
                                                       return entries.record == shown->record;
                                                   });
    CatalogEditOutcome outcome = applyCatalogEdit(m_paths, edit);
    reloadTreeIfChanged();
    // An edit of several folders' entries that includes the shown one stays there.
    if (outcome.folderToShow && !changesShown)
        selectFolderOf(*outcome.folderToShow);
    reloadShownFolderIfChanged();
    UpdateFileCounts();
    return outcome;
}

void CatalogSession::selectFolderOf(const MTree &record)
{
    MainTree &tree = *m_controls.tree;
    for (FolderItem *folder : tree.foldersInPreOrder())
        if (folder->record == record) {
            if (tree.selectedFolder() != folder)
                tree.setCurrentItem(folder); // reads its entries, as a click does
            tree.scrollToItem(folder);
            return;
        }
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
