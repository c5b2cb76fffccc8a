// SPDX-License-Identifier: GPL-3.0-or-later
#include "tmain.h"

#include "conflictmerge.h"
#include "entryicons.h"
#include "entrylistmodel.h"
#include "findbar.h"
#include "interaction.h"
#include "linkchecker.h"
#include "maintree.h"
#include "outsidechanges.h"
#include "restorebackupcommand.h"
#include "settingsstore.h"
#include "shell.h"
#include "siteicons.h"
#include "trayicon.h"
#include "workdirectory.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>

namespace {
// Where the window's layout and options live, after the program file's name.
const QString windowKey = QStringLiteral("Software\\linkshelf\\TMain");
const QString sortKey = QStringLiteral("Software\\LINKSHELF\\Sort");
} // namespace

TMain::TMain(const Services &services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_interaction(*services.interaction)
{
    setObjectName(QStringLiteral("TMain"));
    m_model = new EntryListModel(*services.icons, this);
    restoreSortState();
    createControls();
    createMenus();
    createPopups();

    m_session = std::make_unique<CatalogSession>(
        CatalogControls{m_mainTree, m_mainList, m_desc, m_numFiles, m_selFiles}, m_interaction,
        *services.shell, *services.icons);
    m_catalogView = std::make_unique<SessionCatalogView>(*m_session);
    m_catalogTools = std::make_unique<CatalogToolCommands>(*m_catalogView, m_interaction, this);
    m_catalogChoices = std::make_unique<CatalogChoiceCommands>(*m_session, this);
    m_entryOpener = std::make_unique<EntryOpener>(*m_session, [this] { pathMappingsItemClick(); });
    m_folderCommands = std::make_unique<FolderCommands>(*m_session);
    m_entryCommands = std::make_unique<EntryCommands>(*m_session, *m_entryOpener, m_fileDialogInitialDir);
    m_entryCommands->setOneClickCheck(m_oneClickCheck);
    m_bookmarkCommands =
        std::make_unique<BookmarkCommands>(*m_session, BookmarkCommands::dialogChooser(this));
    m_browserImport = std::make_unique<BrowserImport>(*m_bookmarkCommands, m_interaction,
                                                      BrowserImport::dialogChooser(this));
    m_undoCommands = std::make_unique<UndoCommands>(*m_session);
    createEditMenu();
    createToolsMenu();
    createFocusKeys();
    connectTree();
    connectList();
    registerStoredSettings();

    createTrayIcon();
    setAcceptDrops(true);
    qApp->installEventFilter(this); // the window sees every key before the focused control
    startCatalog();
    mergeConflictCopies(*m_session);
    m_outsideChanges = std::make_unique<OutsideChanges>(*m_session);
    m_outsideChanges->follow();
    connect(m_mainTree, &MainTree::folderSelected, m_outsideChanges.get(),
            [this] { m_outsideChanges->follow(); });
}

TMain::~TMain()
{
    qApp->removeEventFilter(this);
    // Hiding the window while it is destroyed moves the focus: the controls must not reach
    // commands that are already gone.
    m_mainList->disconnect(this);
    m_mainTree->disconnect(this);
    // After "Exit" the window never closed: its settings are saved as it goes.
    if (!m_formStorage->hasSaved())
        m_formStorage->save(this);
    saveSortState();
}

void TMain::startCatalog()
{
    const WorkDirResolution &resolved = m_services.catalog;
    m_session->setPaths(resolved.paths);
    m_session->openChoices(m_services.registry);
    if (!resolved.usable) {
        m_interaction.showMessage(
            QStringLiteral("The catalog folder could not be created, so nothing can be saved.\n%1")
                .arg(resolved.errorString));
        m_session->entryIcons().computeUrlIconIndex();
        return;
    }
    if (resolved.newCatalog)
        m_folderCommands->CreateFolder(nullptr, QStringLiteral("Hot Files"));
    m_session->entryIcons().computeUrlIconIndex();
    m_session->LoadFolderTree();
    if (m_treeSortCheck->isChecked())
        m_mainTree->setAutoSort(true);
    m_catalogChoices->suggestPathMapping(QDir::homePath());
}

void TMain::textEncodingItemClick()
{
    m_catalogChoices->textEncodingClick();
}

void TMain::pathMappingsItemClick()
{
    m_catalogChoices->pathMappingsClick();
}

void TMain::showSiteIconsItemClick()
{
    const bool on = !m_showSiteIcons->isChecked();
    if (on && !m_siteIconsExplained) {
        m_siteIconsExplained = true;
        m_interaction.showMessage(
            QStringLiteral(
                "Web links will show their sites' icons. To get them, Linkshelf asks each site once for its "
                "home page and its icon, in the background, and keeps the icons for 30 days in %1. The "
                "catalog itself does not change. Turn the option off in the View menu to stop.")
                .arg(QDir::toNativeSeparators(SiteIcons::defaultCacheDir())));
    }
    showSiteIcons(on);
}

// The fetcher is made on first use, so that a window whose option is off never opens a socket.
void TMain::showSiteIcons(bool on)
{
    m_showSiteIcons->setChecked(on);
    if (on && !m_siteIcons)
        m_siteIcons = new SiteIcons(SiteIcons::defaultCacheDir(), this);
    m_model->setSiteIcons(on ? m_siteIcons : nullptr);
}

void TMain::connectTree()
{
    connect(m_mainTree, &MainTree::folderSelected, this,
            [this](FolderItem *folder) { m_folderCommands->MainTreeChange(folder); });
    connect(m_mainTree, &MainTree::folderRenamed, this,
            [this](FolderItem *folder, const QByteArray &oldName) {
                // Named by the path it has on disk: a folder without a file is found by it alone.
                FolderRef ref = folderRef(folder);
                ref.path.last() = oldName;
                m_session->SaveFolderTree(FolderChange::renaming(ref, folder->nameBytes()),
                                          QStringLiteral("Rename folder"));
            });
    connect(m_mainTree, &MainTree::nameRefused, this,
            [this](const QString &message) { m_interaction.showMessage(message); });
    connect(m_mainTree, &MainTree::deleteKeyReleased, this, &TMain::Delete1Click);
    connect(m_mainTree, &MainTree::folderClicked, this, [this] {
        const int row = m_mainList->firstSelectedRow();
        if (row < 0)
            m_session->clearDescription();
        else
            m_entryCommands->MainListChange();
    });
    connect(m_mainTree, &MainTree::entriesDropped, this,
            [this](FolderItem *target, const QList<MFile> &entries) {
                m_folderCommands->MainTreeDragDrop(target, entries);
            });
    connect(m_mainTree, &MainTree::urlsDropped, this,
            [this](const QList<QUrl> &urls) { m_entryCommands->DropFiles(urls); });
    connect(m_mainTree, &MainTree::popupRequested, this,
            [this](const QPoint &at) { m_treePopup->popup(at); });
}

void TMain::connectList()
{
    EntryCommands *commands = m_entryCommands.get();
    connect(m_mainList, &MainList::itemClicked, this, [commands] { commands->MainListClick(); });
    connect(m_mainList, &MainList::itemDoubleClicked, this, &TMain::MainListDblClick);
    connect(m_mainList, &MainList::selectionChanged, this, [commands] { commands->MainListChange(); });
    connect(m_mainList, &MainList::keyReleased, this, [commands](int key) { commands->MainListKeyUp(key); });
    connect(m_mainList, &MainList::focusLost, this, [commands] { commands->MainListExit(); });
    connect(m_mainList, &MainList::mouseReleased, this, [commands] { commands->MainListMouseUp(); });
    connect(m_mainList, &MainList::popupRequested, this,
            [this](const QPoint &at) { m_filePopup->popup(at); });
    connect(m_findBar, &FindBar::filterChanged, m_mainList, &MainList::setFilterText);
    connect(m_findBar, &FindBar::findInAllFoldersRequested, this,
            [this](const QString &query) { m_catalogTools->findInAllFoldersClick(query); });
    connect(m_catalogTools.get(), &CatalogToolCommands::entryStatusFound, this,
            [this](int row, const LinkCheckResult &result) {
                m_model->setMark(row, linkStatusIcon(result, style()), linkStatusText(result));
            });
    connect(m_mainList, &MainList::headerClicked, this, [this](int column) {
        const bool same = column == m_model->sortColumn();
        const Qt::SortOrder order =
            same && m_model->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        sortList(column, same ? order : Qt::AscendingOrder);
    });
}

void TMain::registerStoredSettings()
{
    m_formStorage =
        std::make_unique<FormStorage>(*m_services.registry, SettingsStore::Root::CurrentUser, windowKey);
    FormStorage &s = *m_formStorage;
    const auto boolProperty = [&s](const QString &name, auto read, auto apply) {
        s.addProperty(
            name, [read] { return FormStorage::boolText(read()); },
            [apply, read](const QString &text) { apply(FormStorage::boolFromText(text, read())); });
    };
    s.addProperty(
        QStringLiteral("MainTree.Width"), [this] { return QString::number(m_mainTree->width()); },
        [this](const QString &v) {
            const int width = v.toInt();
            if (width > 0)
                m_splitter1->setSizes({width, std::max(100, m_splitter1->width() - width)});
        });
    s.addProperty(
        QStringLiteral("AddFileDialog.InitialDir"), [this] { return m_fileDialogInitialDir.path(); },
        [this](const QString &v) { m_fileDialogInitialDir.set(v); });
    s.addProperty(
        QStringLiteral("MainList.ViewStyle"),
        [this] { return MainList::viewStyleName(m_mainList->viewStyle()); },
        [this](const QString &v) {
            if (const auto style = MainList::viewStyleFromName(v))
                m_mainList->setViewStyle(*style);
        });
    s.addProperty(
        QStringLiteral("GroupBox1.Height"), [this] { return QString::number(m_groupBox1->height()); },
        [this](const QString &v) {
            const int height = v.toInt();
            if (height > 0)
                m_splitter2->setSizes({std::max(100, m_splitter2->height() - height), height});
        });
    s.addProperty(
        QStringLiteral("MainList.Columns"), [this] { return m_mainList->columnWidths(); },
        [this](const QString &v) { m_mainList->setColumnWidths(v); });
    boolProperty(
        QStringLiteral("HideOpts.Checked"), [this] { return m_hideOpts->isChecked(); },
        [this](bool on) { m_hideOpts->setChecked(on); });
    boolProperty(
        QStringLiteral("ToolBar2.Visible"), [this] { return !m_toolBar2->isHidden(); },
        [this](bool on) { m_toolBar2->setVisible(on); });
    boolProperty(
        QStringLiteral("HideInfo.Checked"), [this] { return m_hideInfo->isChecked(); },
        [this](bool on) { m_hideInfo->setChecked(on); });
    boolProperty(
        QStringLiteral("ToolBar3.Visible"), [this] { return !m_toolBar3->isHidden(); },
        [this](bool on) { m_toolBar3->setVisible(on); });
    boolProperty(
        QStringLiteral("TrayCheck.Checked"), [this] { return m_trayCheck->isChecked(); },
        [this](bool on) { m_trayCheck->setChecked(on); });
    boolProperty(
        QStringLiteral("OneClickCheck.Checked"), [this] { return m_oneClickCheck->isChecked(); },
        [this](bool on) { m_oneClickCheck->setChecked(on); });
    boolProperty(
        QStringLiteral("ShowSiteIcons.Checked"), [this] { return m_showSiteIcons->isChecked(); },
        [this](bool on) { showSiteIcons(on); });
    boolProperty(
        QStringLiteral("ShowSiteIcons.Explained"), [this] { return m_siteIconsExplained; },
        [this](bool on) { m_siteIconsExplained = on; });
    boolProperty(
        QStringLiteral("TreeSortCheck.Checked"), [this] { return m_treeSortCheck->isChecked(); },
        [this](bool on) {
            m_treeSortCheck->setChecked(on);
            TreeSortCheckClick();
        });
}

void TMain::restoreSortState()
{
    const SettingsStore &store = *m_services.registry;
    const bool ascending = FormStorage::boolFromText(
        store.readString(SettingsStore::Root::CurrentUser, sortKey, QStringLiteral("Ascending"))
            .value_or(QString()),
        true);
    const int column = store.readString(SettingsStore::Root::CurrentUser, sortKey, QStringLiteral("SortCol"))
                           .value_or(QStringLiteral("0"))
                           .toInt();
    m_model->sort(std::clamp(column, 0, EntryListModel::ColumnCount - 1),
                  ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TMain::saveSortState()
{
    m_services.registry->writeStrings(
        SettingsStore::Root::CurrentUser, sortKey,
        {{QStringLiteral("Ascending"), FormStorage::boolText(m_model->sortOrder() == Qt::AscendingOrder)},
         {QStringLiteral("SortCol"), QString::number(m_model->sortColumn())}});
}

QString TMain::helpPagePath() const
{
    // Beside the program in a build or portable copy, in the shared data when installed.
    const QString beside = m_services.programDir + QStringLiteral("help/index.htm");
    const QString installed = m_services.programDir + QStringLiteral("../share/linkshelf/help/index.htm");
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return QFileInfo(installed).absoluteFilePath();
    return beside;
}

void TMain::AddRootBtnClick()
{
    m_folderCommands->AddFolder();
}
void TMain::Addsubfolder1Click()
{
    m_folderCommands->AddSubfolder();
}
void TMain::Delete1Click()
{
    m_folderCommands->DeleteFolder();
}
void TMain::ExitAltF41Click()
{
    QCoreApplication::exit(0);
} // ends without the close event
void TMain::RxSpeedButton1Click()
{
    m_mainList->setViewStyle(MainList::ViewStyle::Icon);
}
void TMain::RxSpeedButton2Click()
{
    m_mainList->setViewStyle(MainList::ViewStyle::SmallIcon);
}
void TMain::RxSpeedButton3Click()
{
    m_mainList->setViewStyle(MainList::ViewStyle::List);
}
void TMain::GridButtonClick()
{
    m_mainList->setViewStyle(MainList::ViewStyle::Report);
}
void TMain::ArrangeButClick()
{
    m_mainList->arrangeIcons();
}
void TMain::Addfile1Click()
{
    m_entryCommands->AddFiles();
}
void TMain::AddDirButClick()
{
    m_entryCommands->AddDirectory();
}
void TMain::RxSpeedButton6Click()
{
    m_entryCommands->AddUrl();
}
void TMain::PasteURLlink1Click()
{
    m_entryCommands->PasteURLlink1Click();
}
void TMain::Delete2Click()
{
    m_entryCommands->Delete2Click();
}
void TMain::Properties1Click()
{
    m_entryCommands->Properties1Click();
}
void TMain::MainListDblClick()
{
    m_entryOpener->OpenEntry();
}
void TMain::AboutButClick()
{
    m_interaction.showAbout();
}
void TMain::importBookmarksItemClick()
{
    m_bookmarkCommands->importBookmarksClick();
}
void TMain::importFromBrowserItemClick()
{
    m_browserImport->importFromBrowserClick();
}
void TMain::exportBookmarksItemClick()
{
    m_bookmarkCommands->exportBookmarksClick();
}
void TMain::exportFolderBookmarksItemClick()
{
    m_bookmarkCommands->exportFolderBookmarksClick();
}
void TMain::restoreBackupItemClick()
{
    restoreBackupCommand(*m_session);
}
void TMain::copyToFolderItemClick()
{
    m_folderCommands->copyToFolder();
}

void TMain::sortList(int column, Qt::SortOrder order)
{
    m_model->sort(column, order);
    m_mainList->showSortIndicator();
}

void TMain::HTMLhelp1Click()
{
    m_services.shell->open(QFile::encodeName(helpPagePath())); // a missing page simply opens nothing
}

void TMain::HideOptsClick()
{
    const bool hide = !m_hideOpts->isChecked();
    m_hideOpts->setChecked(hide);
    m_toolBar2->setVisible(!hide);
}

void TMain::HideInfoClick()
{
    const bool hide = !m_hideInfo->isChecked();
    m_hideInfo->setChecked(hide);
    m_toolBar3->setVisible(!hide);
}

void TMain::HideOptsButClick()
{
    m_toolBar2->hide();
    m_hideOpts->setChecked(true);
}

void TMain::HideInfoButClick()
{
    m_toolBar3->hide();
    m_hideInfo->setChecked(true);
}

void TMain::TreeSortCheckClick()
{
    m_mainTree->setAutoSort(m_treeSortCheck->isChecked());
}

void TMain::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    // Only Shift is looked at: Ctrl+F7 acts as F7, Ctrl+Ins as Ins.
    const bool shift = modifiers & Qt::ShiftModifier;
    if (key == Qt::Key_F7)
        shift ? m_folderCommands->AddSubfolder() : m_folderCommands->AddFolder();
    if (key == Qt::Key_Insert)
        shift ? m_entryCommands->AddUrl() : m_entryCommands->AddFiles();
}

bool TMain::eventFilter(QObject *watched, QEvent *event)
{
    const bool press = event->type() == QEvent::KeyPress;
    // Each key event reaches the filter once per widget it passes: take it at the widget
    // that has the focus, where the application delivers it first.
    if ((press || event->type() == QEvent::KeyRelease) && watched == QApplication::focusWidget()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QWidget *target = static_cast<QWidget *>(watched);
        // Presses in dialogs are noted too: their releases then reach the window unpaired.
        if (press)
            m_keyPresses.notePress(watched, *key);
        else if (!key->isAutoRepeat() && m_keyPresses.takeRelease(watched, *key) &&
                 target->window() == this && !QApplication::activeModalWidget() &&
                 !QApplication::activePopupWidget())
            FormKeyUp(key->key(), key->modifiers());
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_settingsApplied)
        return;
    m_settingsApplied = true;
    m_formStorage->restore(this);
    m_mainList->showSortIndicator();
}

void TMain::closeEvent(QCloseEvent *event)
{
    m_formStorage->save(this);
    FormClose();
    event->accept();
}

void TMain::FormClose()
{
    m_session->SaveFolderTree();
    if (m_session->treeWaiting()) // the rest of the tree files will not be waited for any longer
        m_session->writeWaitingTree(true);
    m_session->FreeListRecords();
}

void TMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        HideToTray();
}

void TMain::createTrayIcon()
{
    m_progTrayIcon = new TrayIcon(m_services.trayAvailable, this);
    connect(m_progTrayIcon, &TrayIcon::restoreRequested, this, &TMain::ShowFromTray);
    if (!TrayIcon::reportsMinimising(QGuiApplication::platformName())) {
        m_trayCheck->setEnabled(false);
        m_trayCheck->setToolTip(QStringLiteral("This desktop does not tell programs when their window is "
                                               "minimised, so Linkshelf stays in the taskbar."));
    }
}

void TMain::HideToTray()
{
    // Only where the icon is there to bring the window back.
    if (!m_trayCheck->isChecked() || !m_progTrayIcon->mayHideWindow())
        return;
    hide();
    m_progTrayIcon->activate();
}

void TMain::ShowFromTray()
{
    // Minimised is taken away and nothing else, so a maximised window comes back maximised.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    m_progTrayIcon->deactivate();
}

void TMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMain::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls())
        return;
    event->acceptProposedAction();
    m_entryCommands->DropFiles(event->mimeData()->urls());
}

QMenu *TMain::createPopupMenu()
{
    return nullptr; // a hidden toolbar comes back only through its menu item
}
