// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the folder tree, the entry list and the description pane, with the
// toolbars, menus and keys that start every command.
#pragma once

#include "bookmarkcommands.h"
#include "browserimport.h"
#include "catalogchoicecommands.h"
#include "catalogsession.h"
#include "catalogtoolcommands.h"
#include "entrycommands.h"
#include "entryopener.h"
#include "foldercommands.h"
#include "formstorage.h"
#include "holdinginteraction.h"
#include "keypresspairing.h"
#include "mainlist.h"
#include "shownfolder.h"
#include "undocommands.h"
#include "workdirectory.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class EntryListModel;
class FindBar;
class Interaction;
class MainTree;
class OutsideChanges;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QToolButton;
class SettingsStore;
class Shell;
class SiteIcons;
class SystemIcons;
class TrayIcon;

class TMain final : public QMainWindow
{
    Q_OBJECT
public:
    struct Services
    {
        Interaction *interaction = nullptr;
        Shell *shell = nullptr;
        SystemIcons *icons = nullptr;
        SettingsStore *registry = nullptr;
        QString programDir;                  // ends with "/"
        WorkDirResolution catalog;           // where the catalog is, resolved once for the run
        std::function<bool()> trayAvailable; // whether the desktop has a tray; null: ask the desktop
    };

    // Builds the window and loads the catalog.
    // Throws CatalogLoadError when the folder tree file cannot be loaded.
    explicit TMain(const Services &services, QWidget *parent = nullptr);
    ~TMain() override;
    Q_DISABLE_COPY_MOVE(TMain)

    MainTree *mainTree() const { return m_mainTree; }
    MainList *mainList() const { return m_mainList; }
    CatalogSession &session() { return *m_session; }
    FolderCommands &folderCommands() { return *m_folderCommands; }
    EntryCommands &entryCommands() { return *m_entryCommands; }
    EntryOpener &entryOpener() { return *m_entryOpener; }
    BookmarkCommands &bookmarkCommands() { return *m_bookmarkCommands; }
    CatalogToolCommands &catalogTools() { return *m_catalogTools; }
    CatalogView &catalogView() { return *m_catalogView; }
    QString helpPagePath() const;
    // The dialogs of the commands, whose notices can be held back (see HoldingInteraction).
    HoldingInteraction &interaction() { return m_interaction; }

    // Handlers that toolbar buttons, menu items and pop-up items share.
    void AddRootBtnClick();    // Add folder button, Folder > Add a new folder (F7), tree pop-up Add folder
    void Addsubfolder1Click(); // Add subfolder button, Folder > Add subfolder, tree pop-up Add subfolder
    void
    Delete1Click(); // Delete selected folder button, Folder > Delete, tree pop-up Delete, Del in the tree
    void ExitAltF41Click();     // Folder > Exit
    void RxSpeedButton1Click(); // Large Icons button and View item
    void RxSpeedButton2Click(); // Small Icons button and View item
    void RxSpeedButton3Click(); // List button and View item
    void GridButtonClick();     // Grid button, View > Report
    void ArrangeButClick();     // Arrange Icons button and View item
    void Addfile1Click();       // Add file button, File > Insert files (Ins), list pop-up Add file
    void AddDirButClick();      // Add directory button, File > Insert Directory
    void RxSpeedButton6Click(); // Add URL button, File > Insert URL link (Shift-Ins)
    void PasteURLlink1Click();  // Paste URL link button, File > Paste URL link, list pop-up Paste URL link
    void Delete2Click();        // Delete file or link button, File > Delete, list pop-up Delete
    void Properties1Click();    // File or link properties button, File > Properties, list pop-up Properties
    void HTMLhelp1Click();      // HTML Help button, Help > HTML help
    void AboutButClick();       // About button, Help > About
    void HideOptsClick();       // View > Hide Options toolbar
    void HideInfoClick();       // View > Hide Info toolbar
    void HideOptsButClick();    // the Options toolbar's close button
    void HideInfoButClick();    // the Information toolbar's close button
    void TreeSortCheckClick();  // the Auto sort tree check box
    void MainListDblClick();    // a double click in the list, list pop-up Open
    // The menu items added to the classic window's.
    void importBookmarksItemClick();
    void importFromBrowserItemClick();
    void exportBookmarksItemClick();
    void exportFolderBookmarksItemClick();
    void restoreBackupItemClick();
    void copyToFolderItemClick();
    void textEncodingItemClick();
    void pathMappingsItemClick();
    void showSiteIconsItemClick();
    // Brings the window back from the tray or the taskbar as it was, maximised or not.
    void ShowFromTray();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    QMenu *createPopupMenu() override;

private:
    void createControls();
    void createToolBar1();
    QToolBar *createOptionsToolBar();
    QToolBar *createInfoToolBar();
    void createMenus();
    void createFolderMenu(QMenu *folder);
    void createViewMenu(QMenu *view);
    void createSortMenu(QMenu *sort);
    void createFileMenu(QMenu *file);
    void createCatalogMenu(QMenu *catalog);
    void createHelpMenu(QMenu *help);
    void createFocusKeys();
    void sortList(int column, Qt::SortOrder order);
    void createPopups();
    void createToolsMenu();
    void createEditMenu();
    void connectTree();
    void connectList();
    void registerStoredSettings();
    void restoreSortState();
    void saveSortState();
    void startCatalog();
    void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);
    void FormClose();
    void createTrayIcon();
    void showSiteIcons(bool on);
    void HideToTray();
    QAction *menuItem(QMenu *menu, const char *name, const QString &caption, void (TMain::*handler)());
    QAction *checkItem(QMenu *menu, const char *name, const QString &caption, void (TMain::*handler)());
    QToolButton *toolButton(QToolBar *bar, const char *name, const QString &hint, const QString &icon,
                            void (TMain::*handler)());

    Services m_services;
    HoldingInteraction m_interaction;
    LastFolder m_fileDialogInitialDir;

    EntryListModel *m_model = nullptr;
    MainTree *m_mainTree = nullptr;
    MainList *m_mainList = nullptr;
    QSplitter *m_splitter1 = nullptr;
    QSplitter *m_splitter2 = nullptr;
    QGroupBox *m_groupBox1 = nullptr;
    QPlainTextEdit *m_desc = nullptr;
    FindBar *m_findBar = nullptr;
    QToolBar *m_toolBar1 = nullptr;
    QToolBar *m_toolBar2 = nullptr;
    QToolBar *m_toolBar3 = nullptr;
    QCheckBox *m_oneClickCheck = nullptr;
    QCheckBox *m_trayCheck = nullptr;
    QCheckBox *m_treeSortCheck = nullptr;
    QLabel *m_numFiles = nullptr;
    QLabel *m_selFiles = nullptr;
    QAction *m_hideOpts = nullptr;
    QAction *m_hideInfo = nullptr;
    QAction *m_showSiteIcons = nullptr;
    SiteIcons *m_siteIcons = nullptr;
    QMenu *m_treePopup = nullptr;
    QMenu *m_filePopup = nullptr;
    TrayIcon *m_progTrayIcon = nullptr;

    std::unique_ptr<CatalogSession> m_session;
    std::unique_ptr<SessionCatalogView> m_catalogView;
    std::unique_ptr<CatalogToolCommands> m_catalogTools; // its dialogs close before the session goes
    std::unique_ptr<EntryOpener> m_entryOpener;
    std::unique_ptr<FolderCommands> m_folderCommands;
    std::unique_ptr<EntryCommands> m_entryCommands;
    std::unique_ptr<BookmarkCommands> m_bookmarkCommands;
    std::unique_ptr<BrowserImport> m_browserImport;
    std::unique_ptr<UndoCommands> m_undoCommands;
    std::unique_ptr<CatalogChoiceCommands> m_catalogChoices;
    std::unique_ptr<FormStorage> m_formStorage;
    std::unique_ptr<OutsideChanges> m_outsideChanges;
    KeyPressPairing m_keyPresses; // F7 and Ins act on a release whose press came here
    bool m_settingsApplied = false;
    bool m_siteIconsExplained = false; // the first "Show site icons" says what it does, once
};
