// SPDX-License-Identifier: GPL-3.0-or-later
// Building the main window's controls: toolbars, panes, menus and pop-up menus.
#include "tmain.h"

#include "entrylistmodel.h"
#include "findbar.h"
#include "maintree.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The classic window's measures, in pixels: the window without its menu bar, the tree beside
// the list, the list above the description, the toolbar buttons and the captions.
constexpr int ClientWidth = 578;
constexpr int ClientHeight = 400;
constexpr int TreeWidth = 185;
constexpr int ListWidth = 390;
constexpr int ListHeight = 300;
constexpr int DescriptionHeight = 66;
constexpr QSize ToolButtonSize(25, 25);
constexpr QSize ToolGlyphSize(18, 18);
constexpr int CloseButtonWidth = 25;
constexpr int OptionsCloseHeight = 22;
constexpr int InfoCloseHeight = 18;
constexpr int CaptionMinWidth = 55;
constexpr int CounterMinWidth = 33;

QIcon glyph(const QString &name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

QToolButton *closeButton(const char *name, const QString &hint, int height)
{
    auto *button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setText(QStringLiteral("X"));
    QFont bold = button->font();
    bold.setBold(true);
    button->setFont(bold);
    button->setAutoRaise(true);
    button->setFixedSize(CloseButtonWidth, height);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setFocusPolicy(Qt::NoFocus); // the menu item of the same name does it from the keyboard
    return button;
}

QLabel *panelCaption(const char *name, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    label->setMinimumWidth(CaptionMinWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel *counter(const char *name)
{
    auto *label = new QLabel(QStringLiteral("0"));
    label->setObjectName(QLatin1String(name));
    label->setMinimumWidth(CounterMinWidth); // and wider for a count that needs it: no digit is ever cut
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}
} // namespace

void TMain::createControls()
{
    setWindowTitle(QStringLiteral("Linkshelf"));
    setWindowIcon(glyph(QStringLiteral("linkshelf")));
    createToolBar1();
    addToolBarBreak();
    m_toolBar2 = createOptionsToolBar();
    addToolBar(m_toolBar2);
    addToolBarBreak();
    m_toolBar3 = createInfoToolBar();
    addToolBar(m_toolBar3);

    m_mainTree = new MainTree;
    m_mainList = new MainList(*m_model);
    m_splitter1 = new QSplitter(Qt::Horizontal);
    m_splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_splitter1->setHandleWidth(3);
    m_splitter1->setChildrenCollapsible(false);
    m_findBar = new FindBar;
    auto *listPane = new QWidget;
    auto *listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    listLayout->addWidget(m_findBar);
    listLayout->addWidget(m_mainList, 1);
    m_splitter1->addWidget(m_mainTree);
    m_splitter1->addWidget(listPane);
    m_splitter1->setStretchFactor(1, 1);
    m_splitter1->setSizes({TreeWidth, ListWidth});

    m_groupBox1 = new QGroupBox(QStringLiteral("Description"));
    m_groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    m_desc = new QPlainTextEdit;
    m_desc->setObjectName(QStringLiteral("Desc"));
    m_desc->setAccessibleName(QStringLiteral("Description"));
    m_desc->setReadOnly(true);
    // Tab reaches the pane, as it does the tree and the list; a caret shows where the focus
    // is, and Tab goes on rather than into the text.
    m_desc->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_desc->setTabChangesFocus(true);
    m_desc->setAccessibleDescription(QStringLiteral("The description of the selected entry"));
    m_desc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *descLayout = new QVBoxLayout(m_groupBox1);
    descLayout->setContentsMargins(4, 2, 4, 4);
    descLayout->addWidget(m_desc);

    m_splitter2 = new QSplitter(Qt::Vertical);
    m_splitter2->setObjectName(QStringLiteral("Splitter2"));
    m_splitter2->setHandleWidth(5);
    m_splitter2->setChildrenCollapsible(false);
    m_splitter2->addWidget(m_splitter1);
    m_splitter2->addWidget(m_groupBox1);
    m_splitter2->setStretchFactor(0, 1);
    m_splitter2->setSizes({ListHeight, DescriptionHeight});
    // The style draws no focus on a list or a text pane, and the tree's selection looks the
    // same whether the tree has the focus or not: a frame in the highlight colour shows
    // which of the three the keys go to.
    m_splitter2->setStyleSheet(QStringLiteral(
        "QAbstractItemView, QPlainTextEdit { border: 1px solid palette(mid); }"
        "QAbstractItemView:focus, QPlainTextEdit:focus { border: 1px solid palette(highlight); }"));
    setCentralWidget(m_splitter2);
    resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
}

QToolButton *TMain::toolButton(QToolBar *bar, const char *name, const QString &hint, const QString &icon,
                               void (TMain::*handler)())
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setIcon(glyph(icon));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setAccessibleDescription(hint);
    button->setAutoRaise(true);
    button->setFixedSize(ToolButtonSize);
    button->setIconSize(ToolGlyphSize);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, handler);
    bar->addWidget(button);
    return button;
}

void TMain::createToolBar1()
{
    m_toolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar1->setMovable(false);
    m_toolBar1->setFloatable(false);
    auto *bar = m_toolBar1;
    toolButton(bar, "AddRootBtn", QStringLiteral("Add folder..."), QStringLiteral("add-folder"),
               &TMain::AddRootBtnClick);
    toolButton(bar, "AddSubBut", QStringLiteral("Add subfolder..."), QStringLiteral("add-subfolder"),
               &TMain::Addsubfolder1Click);
    toolButton(bar, "RxSpeedButton4", QStringLiteral("Delete selected folder"),
               QStringLiteral("delete-folder"), &TMain::Delete1Click);
    bar->addSeparator();
    toolButton(bar, "RxSpeedButton1", QStringLiteral("Large Icons"), QStringLiteral("view-large"),
               &TMain::RxSpeedButton1Click);
    toolButton(bar, "RxSpeedButton2", QStringLiteral("Small Icons"), QStringLiteral("view-small"),
               &TMain::RxSpeedButton2Click);
    toolButton(bar, "RxSpeedButton3", QStringLiteral("List"), QStringLiteral("view-list"),
               &TMain::RxSpeedButton3Click);
    toolButton(bar, "GridButton", QStringLiteral("Grid"), QStringLiteral("view-grid"),
               &TMain::GridButtonClick);
    toolButton(bar, "ArrangeBut", QStringLiteral("Arrange Icons"), QStringLiteral("arrange"),
               &TMain::ArrangeButClick);
    bar->addSeparator();
    toolButton(bar, "RxSpeedButton5", QStringLiteral("Add file..."), QStringLiteral("add-file"),
               &TMain::Addfile1Click);
    toolButton(bar, "AddDirBut", QStringLiteral("Add directory..."), QStringLiteral("add-directory"),
               &TMain::AddDirButClick);
    toolButton(bar, "RxSpeedButton6", QStringLiteral("Add URL..."), QStringLiteral("add-url"),
               &TMain::RxSpeedButton6Click);
    toolButton(bar, "PasteURLBut", QStringLiteral("Paste URL link from clipboard"),
               QStringLiteral("paste-url"), &TMain::PasteURLlink1Click);
    toolButton(bar, "RxSpeedButton7", QStringLiteral("Delete file or link"), QStringLiteral("delete-entry"),
               &TMain::Delete2Click);
    toolButton(bar, "RxSpeedButton8", QStringLiteral("File or link properties"), QStringLiteral("properties"),
               &TMain::Properties1Click);
    bar->addSeparator();
    toolButton(bar, "HHelpBut", QStringLiteral("HTML Help"), QStringLiteral("help"), &TMain::HTMLhelp1Click);
    toolButton(bar, "AboutBut", QStringLiteral("About Linkshelf..."), QStringLiteral("about"),
               &TMain::AboutButClick);
}

QToolBar *TMain::createOptionsToolBar()
{
    auto *bar = new QToolBar(QStringLiteral("ToolBar2"), this);
    bar->setObjectName(QStringLiteral("ToolBar2"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->addWidget(panelCaption("Panel3", QStringLiteral("Options:  ")));
    auto *panel2 = new QWidget;
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setAccessibleName(QStringLiteral("Options"));
    auto *layout = new QHBoxLayout(panel2);
    layout->setContentsMargins(2, 0, 2, 0);
    // Each option has its Alt key; "One click execute" stays out of the Tab order, so that the
    // keys that walk the list never land on it.
    m_oneClickCheck = new QCheckBox(QStringLiteral("One click e&xecute"));
    m_oneClickCheck->setObjectName(QStringLiteral("OneClickCheck"));
    m_oneClickCheck->setFocusPolicy(Qt::ClickFocus);
    m_oneClickCheck->setAccessibleDescription(QStringLiteral("One click on an entry opens it"));
    m_trayCheck = new QCheckBox(QStringLiteral("Minimize to tra&y"));
    m_trayCheck->setObjectName(QStringLiteral("TrayCheck"));
    m_trayCheck->setChecked(true);
    m_trayCheck->setAccessibleDescription(QStringLiteral("A minimised window goes to the notification area"));
    m_treeSortCheck = new QCheckBox(QStringLiteral("Auto sort t&ree"));
    m_treeSortCheck->setObjectName(QStringLiteral("TreeSortCheck"));
    m_treeSortCheck->setAccessibleDescription(QStringLiteral("Keeps the folder tree sorted by name"));
    connect(m_treeSortCheck, &QCheckBox::clicked, this, &TMain::TreeSortCheckClick);
    for (QCheckBox *check : {m_oneClickCheck, m_trayCheck, m_treeSortCheck})
        layout->addWidget(check);
    bar->addWidget(panel2);
    QToolButton *hide =
        closeButton("HideOptsBut", QStringLiteral("Hide Options toolbar"), OptionsCloseHeight);
    connect(hide, &QToolButton::clicked, this, &TMain::HideOptsButClick);
    bar->addWidget(hide);
    return bar;
}

QToolBar *TMain::createInfoToolBar()
{
    auto *bar = new QToolBar(QStringLiteral("ToolBar3"), this);
    bar->setObjectName(QStringLiteral("ToolBar3"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->addWidget(panelCaption("Panel4", QStringLiteral("Info:  ")));
    auto *panel1 = new QWidget;
    panel1->setObjectName(QStringLiteral("Panel1"));
    auto *layout = new QHBoxLayout(panel1);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(4);
    auto label = [](const char *name, const QString &text) {
        auto *l = new QLabel(text);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    m_numFiles = counter("NumFiles");
    m_numFiles->setAccessibleName(QStringLiteral("Total files"));
    m_selFiles = counter("SelFiles");
    m_selFiles->setAccessibleName(QStringLiteral("Selected files"));
    panel1->setAccessibleName(QStringLiteral("Total: 0 files, selected 0 files"));
    layout->addWidget(label("Label1", QStringLiteral("Total:")));
    layout->addWidget(m_numFiles);
    layout->addWidget(label("Label3", QStringLiteral("files, selected")));
    layout->addWidget(m_selFiles);
    layout->addWidget(label("Label2", QStringLiteral("files")));
    bar->addWidget(panel1);
    QToolButton *hide =
        closeButton("HideInfoBut", QStringLiteral("Hide Information toolbar"), InfoCloseHeight);
    connect(hide, &QToolButton::clicked, this, &TMain::HideInfoButClick);
    bar->addWidget(hide);
    return bar;
}

QAction *TMain::menuItem(QMenu *menu, const char *name, const QString &caption, void (TMain::*handler)())
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

QAction *TMain::checkItem(QMenu *menu, const char *name, const QString &caption, void (TMain::*handler)())
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    // The handler decides the check mark from the state before the click, as it does when
    // called from elsewhere; so the action's own toggle is undone first.
    connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
        action->setChecked(!checked);
        (this->*handler)();
    });
    return action;
}

// Every menu is built in one function of its own, its items in the order shown. Each item has
// a mnemonic (the "&" letter, underlined while Alt is held); the captions read as before.
void TMain::createMenus()
{
    // The menus' own mnemonics (Alt+O, Alt+V, Alt+F, Alt+C, Alt+T, Alt+H) open them from the
    // keyboard.
    createFolderMenu(menuBar()->addMenu(QStringLiteral("F&older")));
    createViewMenu(menuBar()->addMenu(QStringLiteral("&View")));
    createFileMenu(menuBar()->addMenu(QStringLiteral("&File")));
    createCatalogMenu(menuBar()->addMenu(QStringLiteral("&Catalog")));
    createHelpMenu(menuBar()->addMenu(QStringLiteral("&Help")));
}

void TMain::createFolderMenu(QMenu *folder)
{
    menuItem(folder, "AddanewfolderF71", QStringLiteral("Add a new &folder (F7)"), &TMain::AddRootBtnClick);
    menuItem(folder, "AddanewsubfolderShiftF71", QStringLiteral("Add a new &subfolder (Shift-F7)"),
             &TMain::Addsubfolder1Click);
    menuItem(folder, "DeleteDel1", QStringLiteral("&Delete (Del)"), &TMain::Delete1Click);
    menuItem(folder, "ExitAltF41", QStringLiteral("E&xit (Alt-F4)"), &TMain::ExitAltF41Click);
}

void TMain::createViewMenu(QMenu *view)
{
    // The four styles are one choice: the menu marks the one in use, however it was set.
    auto *styles = new QActionGroup(view);
    const auto styleItem = [this, styles](QAction *action, MainList::ViewStyle style) {
        action->setCheckable(true);
        action->setData(static_cast<int>(style));
        styles->addAction(action);
    };
    styleItem(menuItem(view, "LargeIcons1", QStringLiteral("&Large Icons"), &TMain::RxSpeedButton1Click),
              MainList::ViewStyle::Icon);
    styleItem(menuItem(view, "SmallIcons1", QStringLiteral("&Small Icons"), &TMain::RxSpeedButton2Click),
              MainList::ViewStyle::SmallIcon);
    styleItem(menuItem(view, "List1", QStringLiteral("L&ist"), &TMain::RxSpeedButton3Click),
              MainList::ViewStyle::List);
    // An addition: the report style had only the toolbar's "Grid" button.
    styleItem(menuItem(view, "Report1", QStringLiteral("&Report"), &TMain::GridButtonClick),
              MainList::ViewStyle::Report);
    connect(view, &QMenu::aboutToShow, this, [this, styles] {
        for (QAction *action : styles->actions())
            action->setChecked(action->data().toInt() == static_cast<int>(m_mainList->viewStyle()));
    });
    menuItem(view, "ArrangeIcons1", QStringLiteral("&Arrange Icons"), &TMain::ArrangeButClick);
    createSortMenu(view->addMenu(QStringLiteral("Sort &by")));
    m_hideOpts = checkItem(view, "HideOpts", QStringLiteral("Hide &Options toolbar"), &TMain::HideOptsClick);
    m_hideInfo = checkItem(view, "HideInfo", QStringLiteral("Hide I&nfo toolbar"), &TMain::HideInfoClick);
    m_showSiteIcons =
        checkItem(view, "ShowSiteIcons1", QStringLiteral("Show si&te icons"), &TMain::showSiteIconsItemClick);
}

// The order that a click on the report's headers sets, from the keyboard: the check marks
// show the list's sort column and direction whichever way they were set.
void TMain::createSortMenu(QMenu *sort)
{
    sort->setObjectName(QStringLiteral("SortBy1"));
    const auto item = [this, sort](const char *name, const QString &caption, QActionGroup *group,
                                   auto apply) {
        QAction *action = sort->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, apply);
        return action;
    };
    auto *columns = new QActionGroup(sort);
    auto *directions = new QActionGroup(sort);
    QAction *byName = item("SortByFileName1", QStringLiteral("&FileName"), columns,
                           [this] { sortList(EntryListModel::FileNameColumn, m_model->sortOrder()); });
    QAction *byDescription = item("SortByDescription1", QStringLiteral("&Description"), columns, [this] {
        sortList(EntryListModel::DescriptionColumn, m_model->sortOrder());
    });
    sort->addSeparator();
    QAction *ascending = item("SortAscending1", QStringLiteral("&Ascending"), directions,
                              [this] { sortList(m_model->sortColumn(), Qt::AscendingOrder); });
    QAction *descending = item("SortDescending1", QStringLiteral("D&escending"), directions,
                               [this] { sortList(m_model->sortColumn(), Qt::DescendingOrder); });
    connect(sort, &QMenu::aboutToShow, this, [=, this] {
        (m_model->sortColumn() == EntryListModel::DescriptionColumn ? byDescription : byName)
            ->setChecked(true);
        (m_model->sortOrder() == Qt::DescendingOrder ? descending : ascending)->setChecked(true);
    });
}

void TMain::createFileMenu(QMenu *file)
{
    menuItem(file, "InsertfilesIns1", QStringLiteral("Insert &files (Ins)"), &TMain::Addfile1Click);
    menuItem(file, "InsertDirectory1", QStringLiteral("Insert Di&rectory..."), &TMain::AddDirButClick);
    menuItem(file, "InsertURLlink1", QStringLiteral("Insert &URL link (Shift-Ins)"),
             &TMain::RxSpeedButton6Click);
    menuItem(file, "PasteURLlink2", QStringLiteral("&Paste URL link"), &TMain::PasteURLlink1Click);
    menuItem(file, "DeleteDel2", QStringLiteral("&Delete (Del)"), &TMain::Delete2Click);
    menuItem(file, "Properties2", QStringLiteral("Pr&operties..."), &TMain::Properties1Click);
    menuItem(file, "CopyToFolder2", QStringLiteral("&Copy to folder..."), &TMain::copyToFolderItemClick);
    file->addSeparator();
    menuItem(file, "ImportBookmarks1", QStringLiteral("&Import bookmarks..."),
             &TMain::importBookmarksItemClick);
    menuItem(file, "ImportFromBrowser1", QStringLiteral("Import from brow&ser..."),
             &TMain::importFromBrowserItemClick);
    menuItem(file, "ExportBookmarks1", QStringLiteral("E&xport bookmarks..."),
             &TMain::exportBookmarksItemClick);
    menuItem(file, "ExportFolderBookmarks1", QStringLiteral("Export folder as &bookmarks..."),
             &TMain::exportFolderBookmarksItemClick);
    menuItem(file, "RestoreBackup1", QStringLiteral("Restore bac&kup..."), &TMain::restoreBackupItemClick);
}

void TMain::createCatalogMenu(QMenu *catalog)
{
    menuItem(catalog, "TextEncoding1", QStringLiteral("Text &encoding..."), &TMain::textEncodingItemClick);
    menuItem(catalog, "PathMappings1", QStringLiteral("&Path mappings..."), &TMain::pathMappingsItemClick);
}

void TMain::createHelpMenu(QMenu *help)
{
    menuItem(help, "HTMLhelp1", QStringLiteral("&HTML help..."), &TMain::HTMLhelp1Click);
    menuItem(help, "About1", QStringLiteral("&About..."), &TMain::AboutButClick);
}

// An addition of our own, beside the Folder menu whose commands it takes back.
void TMain::createEditMenu()
{
    QMenu *edit = new QMenu(QStringLiteral("&Edit"), this);
    menuBar()->insertMenu(menuBar()->actions().at(1), edit);
    m_undoCommands->fillMenu(edit);
}

void TMain::createToolsMenu()
{
    // Additions of our own: their keys are ordinary shortcuts, acting on press.
    QMenu *tools = new QMenu(QStringLiteral("&Tools"), this);
    menuBar()->insertMenu(menuBar()->actions().constLast(), tools);
    const auto item = [this, tools](const char *name, const QString &caption, const QKeySequence &keys,
                                    auto handler) {
        QAction *action = tools->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
    };
    CatalogToolCommands *commands = m_catalogTools.get();
    item("Find1", QStringLiteral("&Find in this folder"), QKeySequence::Find, [this] { m_findBar->open(); });
    item("FindInAllFolders1", QStringLiteral("Find in &all folders..."),
         QKeySequence(QStringLiteral("Ctrl+Shift+F")), [commands] { commands->findInAllFoldersClick(); });
    tools->addSeparator();
    item("CheckEntries1", QStringLiteral("&Check entries in this folder..."),
         QKeySequence(QStringLiteral("Ctrl+Shift+K")), [commands] { commands->checkFolderEntriesClick(); });
    item("CheckAllEntries1", QStringLiteral("Check entries in all f&olders..."), {},
         [commands] { commands->checkAllEntriesClick(); });
    tools->addSeparator();
    item("FindDuplicates1", QStringLiteral("Find &duplicates in this folder..."),
         QKeySequence(QStringLiteral("Ctrl+Shift+D")), [commands] { commands->folderDuplicatesClick(); });
    item("FindAllDuplicates1", QStringLiteral("Find duplicates in all fo&lders..."), {},
         [commands] { commands->allDuplicatesClick(); });
}

// Tab and Shift+Tab go round the tree, the list and the description pane (then the options),
// as in a file manager; Ctrl+Tab and Ctrl+Shift+Tab do the same from any of them.
void TMain::createFocusKeys()
{
    const QList<QWidget *> order = QList<QWidget *>{m_mainTree} + m_findBar->focusOrder() +
                                   QList<QWidget *>{m_mainList->iconView(), m_mainList->reportView(), m_desc,
                                                    m_trayCheck, m_treeSortCheck};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    const auto key = [this](const QKeySequence &keys, bool next) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, next] { focusNextPrevChild(next); });
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_Tab), true);
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), false);
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), false);

    // Shift+F10 is the Menu key's other name on the desktops: the focused control gets the
    // same request for its pop-up menu that the Menu key makes.
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [] {
        QWidget *target = QApplication::focusWidget();
        if (!target)
            return;
        QPoint at = target->rect().center();
        if (auto *view = qobject_cast<QAbstractItemView *>(target)) {
            const QRect item = view->visualRect(view->currentIndex());
            if (item.isValid())
                at = view->viewport()->mapTo(view, item.center());
        }
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &request);
    });
}

void TMain::createPopups()
{
    m_treePopup = new QMenu(this);
    m_treePopup->setObjectName(QStringLiteral("TreePopup"));
    menuItem(m_treePopup, "Addsubfolder1", QStringLiteral("Add &subfolder"), &TMain::Addsubfolder1Click);
    menuItem(m_treePopup, "Addfolder1", QStringLiteral("Add &folder"), &TMain::AddRootBtnClick);
    menuItem(m_treePopup, "Delete1", QStringLiteral("&Delete"), &TMain::Delete1Click);

    m_filePopup = new QMenu(this);
    m_filePopup->setObjectName(QStringLiteral("FilePopup"));
    QAction *open = menuItem(m_filePopup, "Open1", QStringLiteral("&Open"), &TMain::MainListDblClick);
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
    m_filePopup->setDefaultAction(open);
    menuItem(m_filePopup, "Delete2", QStringLiteral("&Delete"), &TMain::Delete2Click);
    menuItem(m_filePopup, "Addfile1", QStringLiteral("&Add file..."), &TMain::Addfile1Click);
    menuItem(m_filePopup, "Properties1", QStringLiteral("&Properties..."), &TMain::Properties1Click);
    menuItem(m_filePopup, "PasteURLlink1", QStringLiteral("Paste &URL link"), &TMain::PasteURLlink1Click);
    menuItem(m_filePopup, "CopyToFolder1", QStringLiteral("&Copy to folder..."),
             &TMain::copyToFolderItemClick);
}
