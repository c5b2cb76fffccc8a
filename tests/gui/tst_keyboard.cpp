// SPDX-License-Identifier: GPL-3.0-or-later
// The window and its dialogs from the keyboard alone: every control that can take the focus
// is reached by Tab or by a key of its own, Tab leaves the list, and the commands that the
// mouse alone reached before have keys.
#include "catalogtoolcommands.h"
#include "duplicatesdialog.h"
#include "entrylistmodel.h"
#include "entrywindowfixture.h"
#include "findallfoldersdialog.h"
#include "focuschain.h"
#include "folderchooser.h"
#include "linkcheckdialog.h"
#include "maintree.h"
#include "pathmappingsdialog.h"
#include "tabout.h"
#include "taskforstr.h"
#include "testenvironment.h"
#include "textencodingdialog.h"
#include "tfileprop.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {

MFile entry(const char *path, const char *description = "")
{
    return MFile{MFile::FileKind, path, {}, description};
}

// Shown, active and with the focus on its first control, as when the user opens it.
bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// The menu that the keys open, shown as a pop-up.
QMenu *openPopup()
{
    QMenu *menu = nullptr;
    [&menu] { QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))); }();
    return menu;
}

// Alt and the menu's letter, then each item's letter in turn, as a user goes through the
// menu bar.
void chooseByKeys(TMain &w, Qt::Key menuKey, const QList<Qt::Key> &itemKeys)
{
    QTest::keyClick(&w, menuKey, Qt::AltModifier);
    for (Qt::Key key : itemKeys) {
        QMenu *menu = openPopup();
        QVERIFY(menu);
        QTest::keyClick(menu, key);
    }
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void focusChains_data();
    void focusChains();
    void everyMenuItemHasALetterOfItsOwn();
    void ctrlTabGoesRoundTheWindow();
    void viewMenuSetsTheStyleAndTheSortOrder();
    void listPopupAndCopyToFolderByKeys();
    void theFolderChooserIsUsedFromTheKeyboard();
    void rowsReadAsCaptionAndDescription();
};

void TestKeyboard::focusChains_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("chain"); // empty: not compared, only that nothing is out of reach
    QTest::newRow("main window") << QStringLiteral("main")
                                 << QStringList{QStringLiteral("MainTree"), QStringLiteral("MainListReport"),
                                                QStringLiteral("Desc"), QStringLiteral("TrayCheck"),
                                                QStringLiteral("TreeSortCheck")};
    QTest::newRow("properties") << QStringLiteral("properties")
                                << QStringList{QStringLiteral("FilePath"),  QStringLiteral("PathBut"),
                                               QStringLiteral("DefRBut"),   QStringLiteral("AllUsers"),
                                               QStringLiteral("FileAssoc"), QStringLiteral("ProgSelBut"),
                                               QStringLiteral("SMenuBut"),  QStringLiteral("FileDesc"),
                                               QStringLiteral("OKBut"),     QStringLiteral("CancelBut")};
    QTest::newRow("prompt") << QStringLiteral("prompt") << QStringList();
    QTest::newRow("about") << QStringLiteral("about")
                           << QStringList{QStringLiteral("Memo1"),  QStringLiteral("Label2"),
                                          QStringLiteral("Label4"), QStringLiteral("Label6"),
                                          QStringLiteral("Label8"), QStringLiteral("RxSpeedButton1")};
    QTest::newRow("folder chooser") << QStringLiteral("chooser") << QStringList();
    QTest::newRow("find in all folders") << QStringLiteral("find") << QStringList();
    QTest::newRow("duplicates") << QStringLiteral("duplicates") << QStringList();
    QTest::newRow("check entries") << QStringLiteral("check") << QStringList();
    QTest::newRow("text encoding") << QStringLiteral("encoding") << QStringList();
    QTest::newRow("path mappings") << QStringLiteral("mappings") << QStringList();
}

void TestKeyboard::focusChains()
{
    QFETCH(QString, window);
    QFETCH(QStringList, chain);
    Fixture f;
    TMain &w = openCatalogWith(f, {entry("/a/one.txt", "first"), entry("/a/two.txt")});
    LastFolder initialDir;
    std::unique_ptr<QWidget> own; // a dialog made here rather than by a command
    QWidget *shown = &w;
    if (window == QLatin1String("properties")) {
        auto *dialog = new TFileProp(
            f.iniFile, [](LastFolder &) { return QStringList(); }, initialDir);
        dialog->fill({QStringLiteral("/a/one.txt"), QStringLiteral("/usr/bin/editor"), QString()});
        own.reset(dialog);
    } else if (window == QLatin1String("prompt")) {
        own = std::make_unique<TAskForStr>(QStringLiteral("New folder"), QStringLiteral("Folder name"));
    } else if (window == QLatin1String("about")) {
        own = std::make_unique<TAbout>(f.shell);
    } else if (window == QLatin1String("chooser")) {
        own = std::make_unique<TFolderChooser>(
            QStringLiteral("Copy to folder"), QList<FolderChoice>{{0, QStringLiteral("Hot Files"), true}}, 0);
    } else if (window == QLatin1String("encoding")) {
        own = std::make_unique<TextEncodingDialog>(
            QList<QString>{QStringLiteral("UTF-8"), QStringLiteral("windows-1252")}, QStringLiteral("UTF-8"),
            [](const QString &) { return QStringList{QStringLiteral("one.txt")}; });
    } else if (window == QLatin1String("mappings")) {
        own = std::make_unique<PathMappingsDialog>(
            PathMappingsDialog::Rules{{QStringLiteral("C:\\Users\\me"), QStringLiteral("/home/me")}});
    } else if (window == QLatin1String("find")) {
        w.catalogTools().findInAllFoldersClick();
        shown = w.catalogTools().findDialog();
    } else if (window == QLatin1String("duplicates")) {
        w.catalogTools().folderDuplicatesClick();
        shown = w.catalogTools().duplicatesDialog();
    } else if (window == QLatin1String("check")) {
        w.catalogTools().checkFolderEntriesClick();
        shown = w.catalogTools().checkDialog();
    }
    if (own)
        shown = own.get();
    QVERIFY(shown);
    QVERIFY(activate(shown));
    if (shown == &w)
        w.mainTree()->setFocus();
    const QList<QWidget *> visited = focuschain::tabChain(shown);
    if (!chain.isEmpty())
        QCOMPARE(focuschain::names(visited), chain);
    const QStringList unreached = focuschain::unreachedControls(shown);
    QVERIFY2(unreached.isEmpty(), qPrintable(QStringLiteral("no key reaches: ") + unreached.join(u' ')));
    const QStringList unnamed = focuschain::unnamedControls(shown);
    QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("no accessible name: ") + unnamed.join(u' ')));
    shown->hide();
}

void TestKeyboard::everyMenuItemHasALetterOfItsOwn()
{
    Fixture f;
    TMain &w = openCatalogWith(f, {});
    QList<QMenu *> menus = w.findChildren<QMenu *>();
    QStringList missing;
    for (const QMenu *menu : menus) {
        QSet<QKeySequence> letters;
        for (const QAction *action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const QKeySequence letter = QKeySequence::mnemonic(action->text());
            if (letter.isEmpty() || letters.contains(letter))
                missing.append(action->text());
            letters.insert(letter);
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("no letter of its own: ") + missing.join(u'|')));
    QVERIFY(menus.size() >= 8); // the menu bar's five, Sort by and the two pop-ups
}

void TestKeyboard::ctrlTabGoesRoundTheWindow()
{
    Fixture f;
    TMain &w = openCatalogWith(f, {entry("/a/one.txt")});
    QVERIFY(activate(&w));
    QTableView *report = w.mainList()->reportView();
    report->setFocus();
    // In the report Tab moved from cell to cell before; now it leaves the list.
    QTest::keyClick(report, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Desc"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), report);
    QTest::keyClick(report, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Desc"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), report);
    w.hide();
}

void TestKeyboard::viewMenuSetsTheStyleAndTheSortOrder()
{
    Fixture f;
    TMain &w = openCatalogWith(f, {entry("/a/b.txt", "1"), entry("/a/a.txt", "2")});
    QVERIFY(activate(&w));
    w.mainTree()->setFocus();
    chooseByKeys(w, Qt::Key_V, {Qt::Key_I}); // View > List
    QCOMPARE(w.mainList()->viewStyle(), MainList::ViewStyle::List);
    chooseByKeys(w, Qt::Key_V, {Qt::Key_R}); // View > Report
    QCOMPARE(w.mainList()->viewStyle(), MainList::ViewStyle::Report);

    const EntryListModel &model = w.mainList()->model();
    const QHeaderView *header = w.mainList()->reportView()->horizontalHeader();
    chooseByKeys(w, Qt::Key_V, {Qt::Key_B, Qt::Key_D}); // Sort by > Description
    QCOMPARE(model.sortColumn(), int(EntryListModel::DescriptionColumn));
    chooseByKeys(w, Qt::Key_V, {Qt::Key_B, Qt::Key_E}); // Sort by > Descending
    QCOMPARE(model.sortOrder(), Qt::DescendingOrder);
    QCOMPARE(model.rowAt(0).file.Path, QByteArray("/a/a.txt"));
    QCOMPARE(header->sortIndicatorSection(), int(EntryListModel::DescriptionColumn));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // The menu's marks follow a click on a header.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(EntryListModel::FileNameColumn) + 5, 5));
    QCOMPARE(model.sortColumn(), int(EntryListModel::FileNameColumn));
    // ...and so does the style chosen on the toolbar: one of the four is marked.
    QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("RxSpeedButton1")), Qt::LeftButton);
    QTest::keyClick(&w, Qt::Key_V, Qt::AltModifier);
    QMenu *view = openPopup();
    QVERIFY(view);
    QVERIFY(w.findChild<QAction *>(QStringLiteral("LargeIcons1"))->isChecked());
    QVERIFY(!w.findChild<QAction *>(QStringLiteral("Report1"))->isChecked());
    QTest::keyClick(view, Qt::Key_B);
    QMenu *sortBy = openPopup();
    QVERIFY(sortBy && sortBy != view);
    QVERIFY(w.findChild<QAction *>(QStringLiteral("SortByFileName1"))->isChecked());
    QVERIFY(w.findChild<QAction *>(QStringLiteral("SortAscending1"))->isChecked());
    QTest::keyClick(sortBy, Qt::Key_Escape);
    QTest::keyClick(view, Qt::Key_Escape);
    w.hide();
}

void TestKeyboard::listPopupAndCopyToFolderByKeys()
{
    Fixture f;
    TMain &w = openCatalogWith(f, {entry("/a/one.txt", "first"), entry("/a/two.txt")});
    FolderItem *other = w.folderCommands().CreateFolder(nullptr, QStringLiteral("Other"));
    w.mainTree()->setCurrentItem(w.mainTree()->topFolder(0));
    const QByteArray sourceBefore = f.readCatalogFile(contentsName);
    QVERIFY(activate(&w));
    QTableView *report = w.mainList()->reportView();
    report->setFocus();
    QTest::keyClick(report, Qt::Key_Down);
    QTest::keyClick(report, Qt::Key_Down); // the second entry, "two.txt"
    QCOMPARE(w.mainList()->selectedRows(), QList<int>{1});

    // The Menu key opens the list's own menu; its letter C copies, to the folder the
    // chooser answers.
    f.interaction.folderAnswers = {1};
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(report, &menuKey);
    QMenu *popup = openPopup();
    QVERIFY(popup);
    QCOMPARE(popup->objectName(), QStringLiteral("FilePopup"));
    QTest::keyClick(popup, Qt::Key_C);
    QTRY_COMPARE(f.interaction.foldersOffered.size(), 1);
    const QList<FolderChoice> offered = f.interaction.foldersOffered.constFirst();
    QCOMPARE(offered.size(), 2);
    QCOMPARE(offered.at(1).name, QStringLiteral("Other"));
    QCOMPARE(w.mainTree()->selectedFolder(), w.mainTree()->topFolder(0)); // as after a drop
    QCOMPARE(f.readCatalogFile(contentsName), sourceBefore);
    QCOMPARE(parseContents(f.readCatalogFile(QString::fromLatin1(other->record->FileName))).entries,
             QList<MFile>{entry("/a/two.txt")});
    QVERIFY(f.interaction.unexpected.isEmpty());
    // The keys go on in the list: a name's first letter selects that entry.
    QCOMPARE(QApplication::focusWidget(), report);
    QTest::keyClick(report, Qt::Key_O);
    QCOMPARE(w.mainList()->selectedRows(), QList<int>{0});

    // Shift+F10 opens the same menu; Esc closes it.
    QTest::keyClick(report, Qt::Key_F10, Qt::ShiftModifier);
    popup = openPopup();
    QVERIFY(popup);
    QCOMPARE(popup->objectName(), QStringLiteral("FilePopup"));
    QTest::keyClick(popup, Qt::Key_Escape);
    QTRY_VERIFY(!popup->isVisible());
    w.hide();
}

void TestKeyboard::theFolderChooserIsUsedFromTheKeyboard()
{
    const QList<FolderChoice> folders{{0, QStringLiteral("Alpha"), true},
                                      {1, QStringLiteral("Child"), true},
                                      {0, QStringLiteral("Broken"), false},
                                      {0, QStringLiteral("Beta"), true}};
    TFolderChooser chooser(QStringLiteral("Copy to folder"), folders, 3);
    QVERIFY(activate(&chooser));
    QTreeWidget *tree = chooser.folderView();
    QCOMPARE(QApplication::focusWidget(), tree);
    QCOMPARE(chooser.chosenIndex(), 3);
    QTest::keyClick(tree, Qt::Key_Up); // past the folder that takes no entries, to the open subfolder
    QCOMPARE(chooser.chosenIndex(), 1);
    QTest::keyClick(tree, Qt::Key_Return);
    QVERIFY(!chooser.isVisible());
    QCOMPARE(chooser.result(), int(QDialog::Accepted));
    QCOMPARE(chooser.chosenIndex(), 1);
}

void TestKeyboard::rowsReadAsCaptionAndDescription()
{
    Fixture f;
    TMain &w = openCatalogWith(f, {entry("/a/one.txt", "first"), entry("/a/two.txt")});
    const EntryListModel &model = w.mainList()->model();
    QCOMPARE(model.index(0, EntryListModel::FileNameColumn).data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("one.txt, first"));
    QCOMPARE(model.index(1, EntryListModel::FileNameColumn).data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("two.txt"));
    QCOMPARE(model.index(0, EntryListModel::FileNameColumn).data(Qt::AccessibleDescriptionRole).toString(),
             QStringLiteral("/a/one.txt"));
    const auto *counters = w.findChild<QWidget *>(QStringLiteral("Panel1"));
    QCOMPARE(counters->accessibleName(), QStringLiteral("Total: 2 files, selected 0 files"));
}

LINKSHELF_TEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
