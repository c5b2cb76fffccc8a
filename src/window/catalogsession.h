// SPDX-License-Identifier: GPL-3.0-or-later
// What the folder and entry commands share: the controls the catalog lives on, the files
// behind them, the desktop services, and the reading and writing between the two.
#pragma once

#include "catalogchoices.h"
#include "catalogedit.h"
#include "catalogpaths.h"
#include "changehistory.h"
#include "contentsfile.h"
#include "entrychange.h"
#include "entryrow.h"
#include "filefingerprint.h"
#include "folderchange.h"
#include "foldertree.h"
#include "readonlyfiles.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

class EntryIcons;
class EntryListModel;
class FileCounters;
class FolderItem;
class Interaction;
class MainList;
class MainTree;
class QLabel;
class SettingsStore;
class QPlainTextEdit;
class Shell;
class SystemIcons;

// The controls of the main window that hold the catalog while the program runs.
struct CatalogControls
{
    MainTree *tree = nullptr;
    MainList *list = nullptr;
    QPlainTextEdit *desc = nullptr; // "Desc", the description pane
    QLabel *numFiles = nullptr;     // "NumFiles"
    QLabel *selFiles = nullptr;     // "SelFiles"
};

// A folder tree file that cannot be loaded at all: the window cannot be built.
class CatalogLoadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class CatalogSession final
{
public:
    CatalogSession(CatalogControls controls, Interaction &interaction, Shell &shell, SystemIcons &icons);
    ~CatalogSession();
    Q_DISABLE_COPY_MOVE(CatalogSession)

    const CatalogControls &controls() const { return m_controls; }
    EntryListModel &model() const;
    Interaction &interaction() const { return m_interaction; }
    Shell &shell() const { return m_shell; }
    SystemIcons &icons() const { return m_icons; }

    void setPaths(const CatalogPaths &paths) { m_paths = paths; }
    const CatalogPaths &paths() const { return m_paths; }
    // The catalog's text encoding and path mappings.
    const CatalogChoices &choices() const { return m_choices; }
    // Reads what was chosen for the catalog at paths() from the store (none: nothing is kept).
    void openChoices(SettingsStore *store);
    // Sets the catalog's text encoding, remembered when settled, and shows every text in it.
    void setTextEncoding(const TextEncoding &encoding, bool settled);
    void setPathMappings(const QList<PathMapping> &mappings);
    // Whether a path mapping was already suggested for this catalog, and noting that it was.
    bool mappingSuggested() const { return m_choices.mappingSuggested(); }
    void setMappingSuggested() { m_choices.setMappingSuggested(); }

    // The icons of the list's entries.
    EntryIcons &entryIcons() { return *m_entryIcons; }

    // The description pane: the entry's description as it is edited, or nothing.
    void showDescription(const MFile &file);
    void clearDescription();

    // The selected folder when it has a record, else null: entry commands act only there.
    FolderItem *folderTakingEntries() const;
    // True when the selected folder's entries may be changed: it has a record, and its file is
    // not read-only in this session (the user is told why when it is).
    bool selectedFolderTakesChanges();
    // True when the folders may be changed, that is the tree files written; the user is told
    // why when they are read-only in this session.
    bool treeTakesChanges();
    // The catalog files this session leaves as they are.
    ReadOnlyFiles &readOnlyFiles() { return m_readOnlyFiles; }
    // Copies a damaged contents file aside before a command rewrites it, telling the user;
    // false, and the file read-only for the session, when no copy could be kept.
    bool keepDamagedFileAside(const QString &file);

    // Fills the list with the folder's entries (the selected folder when none is given). A file
    // that is there but cannot be read, or a damaged one that cannot be copied aside, becomes
    // read-only for the session, and the user is told.
    void LoadFolderContents(FolderItem *folder = nullptr);
    // The one way a command changes the selected folder's entries: the change is applied to
    // the folder's file as it is on disk at this moment and written back, then the list shows
    // the result. When the file is still what the list was read from (or last wrote), the list
    // changes in place; when someone else changed it, the list is read from the result and
    // keeps its selection and place by entry. An edit whose entry was removed elsewhere is
    // kept as a new entry, and the user told. False when the folder takes no changes (none
    // selected, read-only, its file unreadable); a write the disk refuses keeps the change in
    // the window, to be written with the next command. A command names itself in undoName
    // ("Delete 12 entries") to be undone; merges from outside give none.
    bool applyToShownFolder(const EntryChange &change, const QString &undoName = QString());
    // The same for any folder with a record: one that is not shown has the change applied to
    // its file as it is on disk and written back, and stays not shown.
    bool applyToFolder(const FolderItem &folder, const EntryChange &change,
                       const QString &undoName = QString());
    // Reads the shown folder again when its file was changed from outside and nothing of ours
    // waits to be written, keeping the selection and the top row by entry. True when it did.
    bool reloadShownFolderIfChanged();
    // Reads the tree again when its tree or index file was changed from outside, keeping the
    // selected and expanded folders by their path of names; the list follows the selected
    // folder. The tree files are not written. True when it did.
    bool reloadTreeIfChanged();
    // The shown folder's contents file; none when no folder with a record is selected.
    std::optional<QString> shownContentsFile() const;
    // Replaces the tree by the three tree files and restores expanded and selected folders.
    // Damaged, missing or unreadable tree files are reported and kept aside; those that cannot
    // be kept make the tree read-only. Throws CatalogLoadError for a tree file with an invalid
    // level.
    void LoadFolderTree();
    // Writes the three tree files; false when they could not, or may not, be written. The
    // folder command that changed the tree gives its change: when the files are still what the
    // tree was read from (or last wrote), the tree is written as the window holds it; when
    // someone else changed them, the change is applied to the files as they are, and the tree
    // shows the result, keeping the selected and expanded folders.
    // While the tree files on disk disagree with each other (a sync tool delivers them one by
    // one), nothing is written over them: the changes wait in the window, false is returned,
    // and they are written with the rest once it has arrived (see writeWaitingTree).
    // A command names itself in undoName to be undone, as applyToShownFolder.
    bool SaveFolderTree(const std::optional<FolderChange> &change = std::nullopt,
                        const QString &undoName = QString());
    // The same for several changes, applied in their order (an import's folders, say).
    bool SaveFolderTree(const QList<FolderChange> &changes);
    // A copy of a folder's contents file under a free name that no folder holds (held) and no
    // file takes; none when there is no such name or the copy could not be written.
    std::optional<MTree> copyContentsFile(const MTree &record, const QList<QByteArray> &held);
    // True while tree changes wait for the tree files on disk to agree with each other.
    bool treeWaiting() const { return m_treeWaiting; }
    // Called when tree changes start to wait, so that someone tries again soon.
    void setTreeWaitingHandler(std::function<void()> handler) { m_onTreeWaiting = std::move(handler); }
    // Writes the changes that wait, applied to the tree files once they agree. When they
    // still do not and waiting is over (the window closes, or the rest never came), the
    // files as they are kept aside with a notice, and the window's tree, the last whole one
    // with every change of ours, is written. True when nothing waits any more.
    bool writeWaitingTree(bool waitingIsOver);
    // The undo and redo history of the session.
    ChangeHistory &history() { return m_history; }
    // Applies an edit from the history to the files as they are, then shows the result with
    // the folder it touched selected (the shown one, when its entries are among those changed).
    // None when the files it changes may not be written.
    std::optional<CatalogEditOutcome> applyEdit(const CatalogEdit &edit);
    // Empties the list (its records go with its rows) and the description pane.
    void FreeListRecords();
    // Writes both counters now; they also follow every change of the list by themselves.
    void UpdateFileCounts();

private:
    std::optional<ContentsReadResult> readBeforeChange(const FolderItem &folder, const QString &path);
    void reportSave(const SaveResult &result);
    bool editTakesChanges(const CatalogEdit &edit);
    void selectFolderOf(const MTree &record);
    // The change applied to the list itself, for a file that is still what the list holds.
    void applyToList(const EntryChange &change);
    // Shows entries in place of the list's, keeping the selected entries and the top row.
    void showEntriesKeepingPlace(const QList<MFile> &entries);
    // Shows folders in place of the tree's, keeping the selected and expanded folders.
    void showFoldersKeepingPlace(QList<FolderRecord> folders);
    struct TreeOnDisk
    {
        enum State { AsKnown, Changed, HalfArrived };
        State state = AsKnown;
        FolderTreeLoad load; // Changed: the folders on disk
    };
    // What became of the tree files since the window read or wrote them.
    TreeOnDisk treeChangedOnDisk();
    // Applies changes to the folders on disk, writes them and shows them.
    bool saveMergedTree(QList<FolderRecord> folders, const QList<FolderChange> &changes);
    // Gives each folder that names the same contents file as another one, and that the window
    // did not show with that file, a copy of the file under a free name of its own.
    void separateSharedContentsFiles(QList<FolderRecord> &folders);
    // Gives folders the expanded and selected states of the same folders in the window.
    void carryWindowStates(QList<FolderRecord> &folders) const;
    // Replaces the tree's folders, selecting the one marked selected; the list follows it.
    void showFolders(const QList<FolderRecord> &folders);
    ContentsRecords readFolderRecords(const FolderItem &folder);
    std::optional<QString> readOnlyReason(const FolderItem &folder) const;
    std::optional<QString> treeReadOnlyReason() const;
    // False when the load left no tree to show.
    bool acceptTreeLoad(const FolderTreeLoad &load);
    void keepTreeFilesAside(const QString &headline, bool alwaysTell);
    // Until an encoding is settled, texts that are not UTF-8 settle the catalog on the code
    // page of the user's language. True when that changed the encoding.
    bool settleEncodingFrom(const QList<QByteArray> &texts);
    bool settleEncoding(bool textsAreUtf8);

    CatalogControls m_controls;
    Interaction &m_interaction;
    Shell &m_shell;
    SystemIcons &m_icons;
    CatalogPaths m_paths;
    CatalogChoices m_choices;
    std::unique_ptr<EntryIcons> m_entryIcons;
    std::unique_ptr<FileCounters> m_counters; // follow every change of the list by themselves
    bool m_saveFailureShown = false;
    ReadOnlyFiles m_readOnlyFiles;
    // Each contents file as it was last read or written, by path.
    QHash<QString, FileFingerprint> m_knownFiles;
    // Changes to the shown folder that are in the list but not on disk (its write failed).
    EntryChange m_unwritten;
    // The tree and index files as last read or written.
    std::pair<FileFingerprint, FileFingerprint> m_knownTree;
    // Tree changes that wait for the tree files on disk to agree with each other.
    QList<FolderChange> m_waitingTreeChanges;
    bool m_treeWaiting = false;
    std::function<void()> m_onTreeWaiting;
    ChangeHistory m_history;
};
