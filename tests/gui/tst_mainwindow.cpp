// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user drives it, with the catalog files checked on disk.
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "entrymakers.h"
#include "entrywindowfixture.h"
#include "filewritecounter.h"
#include "foldertree.h"
#include "maintree.h"
#include "testenvironment.h"
#include "windowfixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCollator>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace {
const QByteArray emptyFolder("\0\0\0\0", 4);

QStringList topCaptions(const MainTree *tree)
{
    QStringList captions;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        captions.append(tree->topLevelItem(i)->text(0));
    return captions;
}

// F2 on the selected folder, as a user starts renaming it; the editor that then has the focus.
QLineEdit *startRenameInPlace(MainTree *tree)
{
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_F2);
    return qobject_cast<QLineEdit *>(QApplication::focusWidget());
}

// The key that ends the rename, and the wait until the edit is over: Enter hands the text to
// the folder only once the event loop runs.
void endRenameInPlace(MainTree *tree, Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
    QTRY_COMPARE(QApplication::focusWidget(), tree);
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // A locale with real collation rules, whatever the machine's own.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void firstStartMakesHotFilesBeforeShowing()
    {
        WindowFixture f;
        TMain &w = f.open();
        QCOMPARE(topCaptions(w.mainTree()), QStringList{QStringLiteral("Hot Files")});
        QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Hot Files"));
        QVERIFY(!w.isVisible());
        QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")), emptyFolder);
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Hot Files\r\n"));
        QCOMPARE(f.readCatalogFile(QStringLiteral("itree.lsf")), QByteArray("cat0.lsf\r\n"));
        QCOMPARE(f.readCatalogFile(QStringLiteral("etree.lsf")), QByteArray("\x02", 1));
        QVERIFY(f.interaction.errors.isEmpty());
        QCOMPARE(w.windowTitle(), QStringLiteral("Linkshelf"));
    }

    // Placed by the program, without a window manager too, on a first start and when the
    // stored place is on no screen.
    void theWindowOpensCentredWithoutAStoredPlace()
    {
        WindowFixture f;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        for (const char *stored : {"", "-9000,-9000,-8400,-8600"}) {
            f.registry.writeString(SettingsStore::Root::CurrentUser,
                                   QStringLiteral("Software\\linkshelf\\TMain"), QStringLiteral("NormPos"),
                                   QString::fromLatin1(stored));
            TMain &w = f.open();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY2(
                (w.frameGeometry().center() - screen.center()).manhattanLength() <= 2,
                qPrintable(QStringLiteral("%1,%2").arg(w.frameGeometry().x()).arg(w.frameGeometry().y())));
            f.window.reset();
        }
    }

    void folderKeysWorkWhereverTheFocusIs()
    {
        WindowFixture f;
        TMain &w = f.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *desc = w.findChild<QWidget *>(QStringLiteral("Desc"));

        f.interaction.stringAnswers = {QStringLiteral("Beta")};
        releaseKey(desc, Qt::Key_F7);
        QCOMPARE(f.interaction.prompts.last(), QStringLiteral("New folder|Enter a new folder name"));
        QCOMPARE(topCaptions(w.mainTree()),
                 (QStringList{QStringLiteral("Hot Files"), QStringLiteral("Beta")}));
        QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Beta"));
        const QByteArray betaFile = w.mainTree()->selectedFolder()->record->FileName;
        QCOMPARE(f.readCatalogFile(QString::fromLatin1(betaFile)), emptyFolder);
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Hot Files\r\nBeta\r\n"));

        QTest::keyRelease(desc, Qt::Key_F7); // its press went to another window: no command
        QCOMPARE(f.interaction.prompts.size(), 1);

        f.interaction.stringAnswers = {std::nullopt}; // cancelled: nothing changes
        releaseKey(w.mainTree(), Qt::Key_F7);
        QCOMPARE(w.mainTree()->topLevelItemCount(), 2);
        QCOMPARE(QDir(f.workDir()).entryList({QStringLiteral("cat*.lsf")}).size(), 2);

        f.interaction.stringAnswers = {QString()}; // Ctrl is not looked at; an empty name is kept
        releaseKey(w.mainList()->currentView(), Qt::Key_F7, Qt::ControlModifier);
        QCOMPARE(topCaptions(w.mainTree()).last(), QString());
        QCOMPARE(f.readCatalogFile(QString::fromLatin1(w.mainTree()->selectedFolder()->record->FileName)),
                 emptyFolder);

        // Shift+F7 under a collapsed folder: it opens, and the new folder is its last child.
        w.mainTree()->setCurrentItem(w.mainTree()->topFolder(0));
        f.interaction.stringAnswers = {QStringLiteral("News"), QStringLiteral("Daily")};
        releaseKey(w.mainTree(), Qt::Key_F7, Qt::ShiftModifier);
        w.mainTree()->topFolder(0)->setExpanded(false);
        w.mainTree()->setCurrentItem(w.mainTree()->topFolder(0));
        releaseKey(w.mainTree(), Qt::Key_F7, Qt::ShiftModifier);
        QCOMPARE(f.interaction.prompts.last(), QStringLiteral("New subfolder|Enter a new subfolder name"));
        FolderItem *hot = w.mainTree()->topFolder(0);
        QVERIFY(hot->isExpanded());
        QCOMPARE(hot->childCount(), 2);
        QCOMPARE(w.mainTree()->selectedFolder(), hot->childFolder(1));
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")),
                 QByteArray("Hot Files\r\n\tNews\r\n\tDaily\r\nBeta\r\n\r\n"));
        QVERIFY(f.interaction.unexpected.isEmpty());
    }

    // A pasted line break or indent would start a line of its own in the tree file, which the
    // next start reads as another folder, or cannot read at all.
    void pastedLineBreaksCannotReachTheTreeFile()
    {
        WindowFixture f;
        f.useRealDialogs();
        TMain &w = showWindow(f.open());
        QGuiApplication::clipboard()->setText(QStringLiteral("Evil\n\t\t\tName"));
        whenModalShows([](QWidget *prompt) {
            QWidget *field = prompt->findChild<QWidget *>(QStringLiteral("StrEdit"));
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Return);
        });
        releaseKey(w.mainTree(), Qt::Key_F7);
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Hot Files\r\nEvil Name\r\n"));

        QGuiApplication::clipboard()->setText(QStringLiteral("Two\r\nlines\n"));
        showWindow(w);
        QLineEdit *editor = startRenameInPlace(w.mainTree());
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        endRenameInPlace(w.mainTree(), Qt::Key_Return);
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Hot Files\r\nTwo lines\r\n"));
    }

    void aRenameInPlaceChangesOnlyItsOwnFolder()
    {
        WindowFixture f;
        f.writeTreeFiles("Alpha\r\nBeta\r\n", "cat0.lsf\r\ncat1.lsf\r\n", QByteArray("\x02\x00", 2));
        for (const char *name : {"cat0.lsf", "cat1.lsf"})
            f.writeCatalogFile(QLatin1String(name), emptyFolder);
        TMain &w = showWindow(f.open());
        MainTree *tree = w.mainTree();

        // A slow click on the selected folder opens the editor; emptied, the name stays.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topFolder(0)).center());
        QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        endRenameInPlace(tree, Qt::Key_Return);
        QCOMPARE(topCaptions(tree), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta")}));
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Alpha\r\nBeta\r\n"));

        // Tab ends the edit as Enter does, and opens none on the next folder.
        QLineEdit *editor = startRenameInPlace(tree);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("One"));
        QTest::keyClick(editor, Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Two"));
        endRenameInPlace(tree, Qt::Key_Return);
        QCOMPARE(topCaptions(tree), (QStringList{QStringLiteral("One"), QStringLiteral("Beta")}));
        QCOMPARE(tree->selectedFolder(), tree->topFolder(0));
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("One\r\nBeta\r\n"));

        QVERIFY(f.interaction.unexpected.isEmpty());
    }

    void deletingAFolderTakesOnlyItsOwnContentsFile()
    {
        WindowFixture f;
        TMain &w = f.open();
        FolderCommands &folders = w.folderCommands();
        FolderItem *a = folders.CreateFolder(nullptr, QStringLiteral("A"));
        const QString aFile = QString::fromLatin1(a->record->FileName);
        const QString a1File =
            QString::fromLatin1(folders.CreateFolder(a, QStringLiteral("A1"))->record->FileName);
        const QByteArray bFile = folders.CreateFolder(nullptr, QStringLiteral("B"))->record->FileName;
        a = w.mainTree()->topFolder(1);
        w.mainTree()->setCurrentItem(a);

        f.interaction.yesNoAnswers = {false};
        w.Delete1Click();
        QCOMPARE(f.interaction.questions.last(),
                 QStringLiteral("Do you really want to delete this folder ?"));
        QCOMPARE(w.mainTree()->topLevelItemCount(), 3);

        f.interaction.yesNoAnswers = {true};
        releaseKey(w.mainTree(), Qt::Key_Delete);
        QCOMPARE(topCaptions(w.mainTree()), (QStringList{QStringLiteral("Hot Files"), QStringLiteral("B")}));
        QVERIFY(!QFile::exists(f.catalogFile(aFile)));
        QVERIFY(QFile::exists(f.catalogFile(a1File)));
        QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("B"));
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Hot Files\r\nB\r\n"));
        QCOMPARE(f.readCatalogFile(QStringLiteral("itree.lsf")), "cat0.lsf\r\n" + bFile + "\r\n");
    }

    void deletingTheLastFolderEmptiesTheList()
    {
        WindowFixture f;
        TMain &w = f.open();
        w.entryCommands().AddUrl(QStringLiteral("https://example.com/"));
        f.interaction.yesNoAnswers = {true};
        w.Delete1Click();
        QCOMPARE(w.mainTree()->topLevelItemCount(), 0);
        QCOMPARE(w.mainList()->model().count(), 0);
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray());
        w.entryCommands().AddUrl(QStringLiteral("https://example.org/")); // no folder: nothing happens
        QCOMPARE(w.mainList()->model().count(), 0);
        QVERIFY(f.interaction.messages.isEmpty());
    }

    void draggingEntriesCopiesThemOntoAFolder()
    {
        WindowFixture f;
        TMain &w = f.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FolderItem *hot = w.mainTree()->topFolder(0);
        FolderItem *other = w.folderCommands().CreateFolder(nullptr, QStringLiteral("Other"));
        const QString otherFile = QString::fromLatin1(other->record->FileName);
        w.entryCommands().AddFiles(QStringLiteral("/x/target.txt"));
        w.mainTree()->setCurrentItem(hot);
        for (const char *path : {"/a/1.txt", "/a/2.txt", "/a/3.txt", "/a/4.txt"})
            w.entryCommands().AddFiles(QString::fromLatin1(path));
        const QByteArray sourceBefore = f.readCatalogFile(QStringLiteral("cat0.lsf"));
        w.mainList()->selectRows({0, 2, 3});

        dropSelectionOn(w, other);
        QCOMPARE(w.mainTree()->selectedFolder(), hot); // the shown folder stays shown
        QCOMPARE(w.mainList()->selectedCount(), 3);
        QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")), sourceBefore);
        const QList<MFile> copied = entriesOnDisk(f, otherFile);
        QCOMPARE(copied,
                 (QList<MFile>{fileEntry("/x/target.txt"), fileEntry("/a/1.txt"), fileEntry("/a/3.txt"),
                               fileEntry("/a/4.txt")})); // appended to what the file held

        w.mainList()->selectRows({1});
        dropSelectionOn(w, hot); // onto its own folder: the entry is there twice
        QCOMPARE(w.mainList()->model().count(), 5);
        QCOMPARE(entriesOnDisk(f, QStringLiteral("cat0.lsf")).count(fileEntry("/a/2.txt")), 2);
    }

    void autoSortKeepsTheTreeInOrder()
    {
        WindowFixture f;
        TMain &w = f.open();
        w.folderCommands().CreateFolder(nullptr, QStringLiteral("charlie"));
        w.folderCommands().CreateFolder(nullptr, QStringLiteral("Beta"));
        auto *check = w.findChild<QCheckBox *>(QStringLiteral("TreeSortCheck"));
        check->click(); // locale-aware: "charlie" after "Beta", though 'c' > 'B' as bytes too
        QCOMPARE(topCaptions(w.mainTree()), (QStringList{QStringLiteral("Beta"), QStringLiteral("charlie"),
                                                         QStringLiteral("Hot Files")}));
        w.folderCommands().CreateFolder(nullptr, QStringLiteral("alpha"));
        QCOMPARE(topCaptions(w.mainTree()).first(), QStringLiteral("alpha"));
        QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")),
                 QByteArray("alpha\r\nBeta\r\ncharlie\r\nHot Files\r\n"));
        check->click(); // off: the order stays
        w.folderCommands().CreateFolder(nullptr, QStringLiteral("Aardvark"));
        QCOMPARE(topCaptions(w.mainTree()).last(), QStringLiteral("Aardvark"));
    }

    void storedSettingsSurviveARestart()
    {
        WindowFixture f;
        {
            TMain &w = f.open();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.RxSpeedButton3Click();
            w.findChild<QToolButton *>(QStringLiteral("HideOptsBut"))->click();
            w.HideInfoClick();
            w.findChild<QCheckBox *>(QStringLiteral("OneClickCheck"))->setChecked(true);
            w.findChild<QCheckBox *>(QStringLiteral("TrayCheck"))->setChecked(false);
            w.findChild<QCheckBox *>(QStringLiteral("TreeSortCheck"))->click();
            Q_EMIT w.findChild<QTableView *>()->horizontalHeader()->sectionClicked(1);
            f.closeWindow();
        }
        f.writeCatalogFile(QStringLiteral("tree.lsf"), "Zeta\r\nHot Files\r\n");
        f.writeCatalogFile(QStringLiteral("itree.lsf"), "cat1.lsf\r\ncat0.lsf\r\n");
        TMain &w = f.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.mainList()->viewStyle(), MainList::ViewStyle::List);
        QVERIFY(w.findChild<QToolBar *>(QStringLiteral("ToolBar2"))->isHidden());
        QVERIFY(w.findChild<QToolBar *>(QStringLiteral("ToolBar3"))->isHidden());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("HideOpts"))->isChecked());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("HideInfo"))->isChecked());
        QVERIFY(w.findChild<QCheckBox *>(QStringLiteral("OneClickCheck"))->isChecked());
        QVERIFY(!w.findChild<QCheckBox *>(QStringLiteral("TrayCheck"))->isChecked());
        QCOMPARE(topCaptions(w.mainTree()),
                 (QStringList{QStringLiteral("Hot Files"), QStringLiteral("Zeta")}));
        QCOMPARE(w.mainList()->model().sortColumn(), int(EntryListModel::DescriptionColumn));

        // The menu item brings a hidden toolbar back and takes its check mark away.
        w.findChild<QAction *>(QStringLiteral("HideOpts"))->trigger();
        QVERIFY(!w.findChild<QToolBar *>(QStringLiteral("ToolBar2"))->isHidden());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("HideOpts"))->isChecked());
    }

    void exitWithoutClosingKeepsTheLastSelectionChange()
    {
        WindowFixture f;
        TMain &w = f.open();
        FolderItem *a = w.folderCommands().CreateFolder(nullptr, QStringLiteral("A"));
        w.folderCommands().CreateFolder(a, QStringLiteral("A1"));
        const QByteArray stateAtSelection = f.readCatalogFile(QStringLiteral("etree.lsf"));
        a->setExpanded(false);
        w.ExitAltF41Click();
        f.window.reset();
        QCOMPARE(f.readCatalogFile(QStringLiteral("etree.lsf")), stateAtSelection);
        QCOMPARE(f.registry.readString(SettingsStore::Root::CurrentUser,
                                       QStringLiteral("Software\\linkshelf\\TMain"),
                                       QStringLiteral("MainList_ViewStyle")),
                 std::optional<QString>(QStringLiteral("vsReport")));

        TMain &again = f.open();
        QVERIFY(again.mainTree()->topFolder(1)->isExpanded());
        again.mainTree()->topFolder(1)->setExpanded(false);
        f.closeWindow(); // closing writes the state as it is now
        QCOMPARE(f.readCatalogFile(QStringLiteral("etree.lsf")), QByteArray("\x00\x00\x02", 3));
    }

    void damagedOrMissingTreeFilesAtStart()
    {
        WindowFixture f;
        f.writeCatalogFile(QStringLiteral("tree.lsf"), "Top\r\n\t\tToo deep\r\n");
        try {
            f.open();
            QFAIL("an invalid level must end the start");
        } catch (const CatalogLoadError &e) {
            QCOMPARE(QString::fromLocal8Bit(e.what()),
                     QStringLiteral("Invalid level (2) for item \"Too deep\""));
        }

        QFile::remove(f.catalogFile(QStringLiteral("tree.lsf")));
        TMain &w = f.open();
        QCOMPARE(f.interaction.errors, QStringList{QStringLiteral("File itree.dat not found !")});
        QCOMPARE(w.mainTree()->topLevelItemCount(), 0);
    }

    void foldersWithoutRecordsTakeNoEntries()
    {
        WindowFixture f;
        f.writeTreeFiles("Plain\r\nLost\r\n", "cat0.lsf\r\nNULL\r\n", QByteArray("\x00\x02", 2));
        TMain &w = f.open();
        QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Lost"));
        f.interaction.fileAnswers = {{QStringLiteral("/tmp/x")}};
        w.Addfile1Click(); // no dialog: the folder cannot hold entries
        QCOMPARE(f.interaction.fileDialogStarts.size(), 0);
        QCOMPARE(f.readCatalogFile(QStringLiteral("itree.lsf")), QByteArray("cat0.lsf\r\nNULL\r\n"));
    }

    // Each selection reads a folder and saves the whole tree, so a start that made one for
    // every folder the state file marks selected would cost the square of a big tree.
    void aStartSelectsOneFolderHoweverManyAreMarked()
    {
        WindowFixture f;
        f.writeTreeFiles("A\r\n\tA1\r\nB\r\nC\r\n", "NULL\r\nNULL\r\nNULL\r\nNULL\r\n",
                         QByteArray("\x03\x02\x02\x02", 4));
        FileWriteCounter treeSaves(f.workDir(), QStringLiteral("etree.lsf"));
        TMain &w = f.open();
        QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("C"));
        QVERIFY(w.mainTree()->topFolder(0)->isExpanded());
        QCOMPARE(treeSaves.takeCount(), 1);
        QCOMPARE(f.readCatalogFile(QStringLiteral("etree.lsf")), QByteArray("\x01\x00\x00\x02", 4));
    }

    // With no folder marked selected, the tree takes the focus from the keyboard without
    // choosing one: the list stays empty and nothing is written.
    void takingTheFocusSelectsNoFolder()
    {
        WindowFixture f;
        f.writeTreeFiles("A\r\nB\r\n", "cat0.lsf\r\ncat1.lsf\r\n", QByteArray("\x00\x00", 2));
        f.writeCatalogFile(QStringLiteral("cat0.lsf"), serializeContents({fileEntry("/a.txt")}));
        f.writeCatalogFile(QStringLiteral("cat1.lsf"), emptyFolder);
        FileWriteCounter treeSaves(f.workDir(), QStringLiteral("etree.lsf"));
        TMain &w = showWindow(f.open());
        w.mainList()->currentView()->setFocus();
        for (int i = 0; i < 10 && QApplication::focusWidget() != w.mainTree(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), w.mainTree());
        QVERIFY(!w.mainTree()->selectedFolder());
        QCOMPARE(w.mainList()->model().count(), 0);
        QCOMPARE(treeSaves.takeCount(), 0);
    }

    void aFullCatalogRefusesAnotherFolderBeforeAskingItsName()
    {
        WindowFixture f;
        QByteArray tree, index;
        for (int i = 0; i < 2000; ++i) {
            tree += "F" + QByteArray::number(i) + "\r\n";
            index += "cat" + QByteArray::number(i) + ".lsf\r\n";
        }
        f.writeCatalogFile(QStringLiteral("tree.lsf"), tree);
        f.writeCatalogFile(QStringLiteral("itree.lsf"), index);
        TMain &w = showWindow(f.open());
        releaseKey(w.mainTree(), Qt::Key_F7);
        releaseKey(w.mainTree(), Qt::Key_F7, Qt::ShiftModifier);
        QCOMPARE(w.mainTree()->topLevelItemCount(), 2000);
        QCOMPARE(f.interaction.prompts, QStringList());
        QCOMPARE(f.interaction.messages.size(), 2);
        QVERIFY(f.interaction.messages.first().contains(QStringLiteral("2000")));
    }

    void theReportSortsByAHeaderClick()
    {
        WindowFixture f;
        TMain &w = f.open();
        QAbstractItemModelTester tester(&w.mainList()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char *url : {"b", "B", "a", "A", "c"})
            w.entryCommands().AddUrl(QString::fromLatin1(url));
        auto *header = w.findChild<QTableView *>()->horizontalHeader();
        Q_EMIT header->sectionClicked(0);
        const auto captions = [&w] {
            QStringList list;
            for (int row = 0; row < w.mainList()->model().count(); ++row)
                list.append(w.mainList()->model().rowAt(row).caption);
            return list;
        };
        // Descending by the desktop's collation, case-sensitive: "a" and "A" are kept apart.
        QStringList expected{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("b"),
                             QStringLiteral("B"), QStringLiteral("c")};
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseSensitive);
        std::sort(expected.begin(), expected.end(),
                  [&collator](const QString &a, const QString &b) { return collator.compare(a, b) > 0; });
        QCOMPARE(captions(), expected);
        w.entryCommands().AddUrl(QStringLiteral("d")); // written in the order shown
        QCOMPARE(parseContents(f.readCatalogFile(QStringLiteral("cat0.lsf"))).entries.first().Path,
                 QByteArray("d"));
        Q_EMIT header->sectionClicked(0);
        std::reverse(expected.begin(), expected.end());
        expected.prepend(QStringLiteral("d"));
        QCOMPARE(captions().mid(0, 5), expected.mid(1, 5)); // ascending again, "d" last
        QCOMPARE(captions().last(), QStringLiteral("d"));
    }

    void theFindBarFiltersTheFolderAndCommandsActOnWhatIsShown()
    {
        WindowFixture f;
        TMain &w = f.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const char *path : {"/docs/Report.pdf", "/docs/notes.txt", "/music/report-song.mp3", "/x/other"})
            w.entryCommands().AddFiles(QString::fromLatin1(path));
        w.findChild<QAction *>(QStringLiteral("Find1"))->trigger();
        auto *field = w.findChild<QLineEdit *>(QStringLiteral("FindField"));
        QVERIFY(field->isVisible());
        QTest::keyClicks(field, QStringLiteral("REPORT"));
        QAbstractItemView *view = w.mainList()->currentView();
        QCOMPARE(view->model()->rowCount(), 2); // by name, ignoring case
        QTest::keyClicks(field, QStringLiteral("-"));
        QCOMPARE(view->model()->rowCount(), 1);

        // Deleting what is shown removes exactly that entry from the file.
        view->selectAll();
        QCOMPARE(w.mainList()->selectedRows().size(), 1);
        f.interaction.yesNoAnswers = {true};
        w.Delete2Click();
        QList<QByteArray> paths;
        for (const MFile &file : entriesOnDisk(f, QStringLiteral("cat0.lsf")))
            paths.append(file.Path);
        QVERIFY(!paths.contains("/music/report-song.mp3"));
        QCOMPARE(paths.size(), 3);

        QTest::keyClick(field, Qt::Key_Escape); // closes the bar and shows the whole folder
        QVERIFY(!field->isVisible());
        QCOMPARE(w.mainList()->currentView()->model()->rowCount(), 3);
    }

    void checkMarksLastUntilTheFolderIsLeft()
    {
        WindowFixture f;
        TMain &w = f.open();
        w.entryCommands().AddUrl(QStringLiteral("https://example.com/"));
        EntryListModel &model = w.mainList()->model();
        model.setMark(0, QIcon(), QStringLiteral("Not found (404)"));
        QVERIFY(model.data(model.index(0, 0), Qt::ToolTipRole).toString().contains(QStringLiteral("404")));
        FolderItem *other = w.folderCommands().CreateFolder(nullptr, QStringLiteral("Other"));
        w.mainTree()->setCurrentItem(w.mainTree()->topFolder(0));
        QVERIFY(other);
        QVERIFY(!model.data(model.index(0, 0), Qt::ToolTipRole).toString().contains(QStringLiteral("404")));
    }

private:
    static void dropSelectionOn(TMain &w, FolderItem *target)
    {
        EntryListModel &model = w.mainList()->model();
        QModelIndexList indexes;
        for (int row : w.mainList()->selectedRows())
            indexes.append(model.index(row, 0));
        std::unique_ptr<QMimeData> mime(model.mimeData(indexes));
        const QPoint at = w.mainTree()->visualItemRect(target).center();
        // Qt hands a drop only to the widget that accepted the drag's entry.
        QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.mainTree()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.mainTree()->viewport(), &drop);
    }
};

LINKSHELF_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
