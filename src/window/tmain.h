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
    void AddRootBtnClick();
    void Addsubfolder1Click();
    void Delete1Click();
    void ExitAltF41Click();
    void RxSpeedButton1Click();
    void RxSpeedButton2Click();
    void RxSpeedButton3Click();
    void GridButtonClick();
    void ArrangeButClick();
    void Addfile1Click();
    void AddDirButClick();
    void RxSpeedButton6Click();
    void PasteURLlink1Click();
    void Delete2Click();
    void Properties1Click();
    void HTMLhelp1Click();
    void AboutButClick();
    void HideOptsClick();
    void HideInfoClick();
    void HideOptsButClick();
    void HideInfoButClick();
    void TreeSortCheckClick();
    void MainListDblClick();
    void ImportBookmarks1Click();
    void ImportFromBrowser1Click();
    void ExportBookmarks1Click();
    void ExportFolderBookmarks1Click();
    void RestoreBackup1Click();
    void CopyToFolder1Click();
    void TextEncoding1Click();
    void PathMappings1Click();
    void ShowSiteIcons1Click();
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
    QString m_fileDialogInitialDir;

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
