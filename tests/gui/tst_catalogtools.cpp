// SPDX-License-Identifier: GPL-3.0-or-later
// Find in all folders, Check entries and Duplicates in the real main window: results that
// lead to their entry, marks for the shown rows, and deletions that ask first and change the
// shown folder through its list.
#include "catalogtoolcommands.h"
#include "contentsfile.h"
#include "duplicatesdialog.h"
#include "entrylistmodel.h"
#include "entrymakers.h"
#include "entrywindowfixture.h"
#include "findallfoldersdialog.h"
#include "findresultsmodel.h"
#include "folderitem.h"
#include "linkcheckdialog.h"
#include "localhttpserver.h"
#include "mainlist.h"
#include "maintree.h"
#include "testenvironment.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QNetworkProxyFactory>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTreeView>
#include <QTreeWidget>

namespace {

// Writes a catalog of top-level folders (with one subfolder under the first), the first one
// selected, before the window opens.
void writeCatalog(WindowFixture &f, const QList<QList<MFile>> &contents)
{
    QDir().mkpath(f.workDir());
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(f.workDir());
    QList<FolderRecord> folders;
    for (qsizetype i = 0; i < contents.size(); ++i) {
        const MTree record{"cat" + QByteArray::number(i + 1) + ".lsf"};
        QVERIFY(writeContentsFile(paths.ContentsFilePath(record).value(), serializeContents(contents[i])).ok);
        folders.append({i == 1 ? 1 : 0, "Folder" + QByteArray::number(i + 1), record, true, i == 0});
    }
    QVERIFY(saveFolderTree(paths, folders).ok);
}

QList<MFile> fileContents(WindowFixture &f, int folder)
{
    return parseContents(f.readCatalogFile(QStringLiteral("cat%1.lsf").arg(folder))).entries;
}

QList<MFile> listed(TMain &w)
{
    QList<MFile> files;
    for (int row = 0; row < w.session().model().count(); ++row)
        files.append(w.session().model().rowAt(row).file);
    return files;
}

} // namespace

class TestCatalogTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void findInAllFoldersLeadsToTheEntry();
    void findKeepsUpWithTyping();
    void findIsUsedFromTheKeyboard();
    void duplicatesDeletedAfterAsking();
    void duplicatesInTheSelectedFolder();
    void duplicatesKeepTheCopyThatCarriesMost();
    void checkMarksRowsAndDeletesAfterAsking();
    void checkCancelled();
    void checkOffersOnlyWhatIsGone();
};

void TestCatalogTools::initTestCase()
{
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void TestCatalogTools::findInAllFoldersLeadsToTheEntry()
{
    WindowFixture f;
    writeCatalog(f, {{fileEntry("/a/Holiday.jpg"), fileEntry("/a/other.txt")},
                     {fileEntry("/b/notes.txt", "holiday plans"), fileEntry("/b/zzz")},
                     {urlEntry("https://HOLIDAY.example/"), fileEntry("/c/x")}});
    TMain &w = f.open();
    CatalogToolCommands tools(w.catalogView(), w.interaction(), &w);
    tools.findInAllFoldersClick();
    FindInAllFoldersDialog *dialog = tools.findDialog();
    QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
    QAbstractItemModelTester tester(&dialog->results(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);

    QTest::keyClicks(dialog->queryField(), QStringLiteral("holiday"));
    QTest::keyClick(dialog->queryField(), Qt::Key_Return);
    QTRY_VERIFY(!dialog->isSearching());
    QCOMPARE(dialog->results().count(), 3);
    const QAbstractItemModel *model = dialog->resultsView()->model();
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(model->index(row, 0).data().toString() + u'|' + model->index(row, 1).data().toString() +
                    u'|' + model->index(row, 2).data().toString());
    QCOMPARE(rows,
             QStringList({QStringLiteral("Holiday.jpg|Folder1|/a/Holiday.jpg"),
                          QStringLiteral("notes.txt|Folder1/Folder2|/b/notes.txt"),
                          QStringLiteral("https://HOLIDAY.example/|Folder3|https://HOLIDAY.example/")}));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Folder"));
    QCOMPARE(dialog->statusText(), QStringLiteral("3 entries found."));

    // Activating the match in the subfolder selects that folder and the entry in the list.
    QSignalSpy activated(dialog, &FindInAllFoldersDialog::entryActivated);
    dialog->resultsView()->setCurrentIndex(model->index(1, 0));
    QTest::keyClick(dialog->resultsView(), Qt::Key_Return);
    QCOMPARE(activated.size(), 1);
    QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Folder2"));
    QCOMPARE(w.mainList()->selectedRows().size(), 1);
    QCOMPARE(w.session().model().rowAt(w.mainList()->firstSelectedRow()).file,
             fileEntry("/b/notes.txt", "holiday plans"));

    // A result whose folder was deleted since leads nowhere, with a word.
    CatalogEntryRef gone = dialog->results().hitAt(2);
    gone.contentsFileName = "cat99.lsf";
    QVERIFY(!revealEntry(w.session(), gone));
    QVERIFY(f.interaction.unexpected.isEmpty());
}

// The find bar hands its text on; Down and Up go from the query to the results; Enter on a result shows it in
// the main window and opens nothing; Esc closes.
void TestCatalogTools::findIsUsedFromTheKeyboard()
{
    Fixture f;
    writeCatalog(f,
                 {{fileEntry("/a/plan-a.txt")}, {fileEntry("/b/plan-b.txt")}, {fileEntry("/c/plan-c.txt")}});
    TMain &w = f.open();
    showWindow(w);
    // From the folder's find bar, the text typed there goes along to the search.
    QTest::keyClick(w.mainList()->currentView(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("plan"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    FindInAllFoldersDialog *dialog = w.catalogTools().findDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->queryField()->text(), QStringLiteral("plan"));
    QTRY_COMPARE(dialog->results().count(), 3);
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(dialog->queryField(), Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), dialog->resultsView());
    QCOMPARE(dialog->resultsView()->currentIndex().row(), 2);
    dialog->queryField()->setFocus();
    QTest::keyClick(dialog->queryField(), Qt::Key_Down); // back to the result chosen before
    QCOMPARE(QApplication::focusWidget(), dialog->resultsView());
    QTest::keyClick(dialog->resultsView(), Qt::Key_Up);
    QCOMPARE(dialog->resultsView()->currentIndex().row(), 1);

    QTest::keyClick(dialog->resultsView(), Qt::Key_Return);
    QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Folder2"));
    QCOMPARE(w.mainList()->selectedRows(), QList<int>{0});
    QVERIFY(f.shell.calls.isEmpty());

    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(dialog->resultsView(), Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QVERIFY(f.interaction.unexpected.isEmpty());
}

void TestCatalogTools::findKeepsUpWithTyping()
{
    WindowFixture f;
    QList<MFile> many;
    for (int i = 0; i < 3000; ++i)
        many.append(fileEntry("/data/file-" + QByteArray::number(i) + ".txt"));
    writeCatalog(f, {many, {fileEntry("/x/file-7.txt")}});
    TMain &w = f.open();
    CatalogToolCommands tools(w.catalogView(), w.interaction(), &w);
    tools.findInAllFoldersClick();
    FindInAllFoldersDialog *dialog = tools.findDialog();
    // Typing starts a search after a pause; each key replaces the search before it.
    QTest::keyClicks(dialog->queryField(), QStringLiteral("FILE-7"));
    QTRY_COMPARE(dialog->statusText(), QStringLiteral("112 entries found."));
    QTest::keyClicks(dialog->queryField(), QStringLiteral("7"));
    QTRY_COMPARE(dialog->statusText(), QStringLiteral("11 entries found."));
    dialog->queryField()->clear();
    QTest::keyClicks(dialog->queryField(), QStringLiteral("nothing like it"));
    QTRY_COMPARE(dialog->statusText(), QStringLiteral("Nothing found in 2 folders."));
    QCOMPARE(dialog->results().count(), 0);
}

void TestCatalogTools::duplicatesDeletedAfterAsking()
{
    WindowFixture f;
    writeCatalog(f, {{urlEntry("http://Example.com/a/"), fileEntry("/f"), urlEntry("HTTP://example.COM/a")},
                     {fileEntry("/f", "second"), fileEntry("/g")},
                     {urlEntry("http://example.com/a"), fileEntry("/g")}});
    TMain &w = f.open();
    QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Folder1"));
    CatalogToolCommands tools(w.catalogView(), w.interaction(), &w);
    tools.allDuplicatesClick();
    DuplicatesDialog *dialog = tools.duplicatesDialog();
    QVERIFY(dialog && dialog->isVisible());
    QTreeWidget *groups = dialog->groupsView();
    QCOMPARE(groups->topLevelItemCount(), 3);
    QCOMPARE(groups->topLevelItem(0)->childCount(), 3);
    // Every copy but the one with a description (else the first) is ticked.
    QStringList ticked;
    for (const CatalogEntryRef &copy : dialog->selectedCopies())
        ticked.append(copy.folderPath + u':' + QString::number(copy.entryIndex));
    QCOMPARE(ticked, QStringList({QStringLiteral("Folder1:2"), QStringLiteral("Folder3:0"),
                                  QStringLiteral("Folder1:1"), QStringLiteral("Folder3:1")}));
    // Keep Folder3's "/g" instead: untick it, tick the first one.
    groups->topLevelItem(2)->child(0)->setCheckState(0, Qt::Checked);
    groups->topLevelItem(2)->child(1)->setCheckState(0, Qt::Unchecked);

    const QByteArray before3 = f.readCatalogFile(QStringLiteral("cat3.lsf"));
    const QList<QList<MFile>> before{fileContents(f, 1), fileContents(f, 2), fileContents(f, 3)};
    f.interaction.yesNoAnswers = {false};
    QTest::mouseClick(dialog->deleteButton(), Qt::LeftButton);
    QCOMPARE(f.interaction.questions,
             QStringList({QStringLiteral("Do you really want to delete the 4 selected copies ?")}));
    QCOMPARE(w.session().model().count(), 3);
    QCOMPARE(f.readCatalogFile(QStringLiteral("cat3.lsf")), before3);

    f.interaction.yesNoAnswers = {true};
    QTest::mouseClick(dialog->deleteButton(), Qt::LeftButton);
    // The shown folder changed through its list, which was saved; the others in their files.
    QCOMPARE(w.session().model().count(), 1);
    QCOMPARE(fileContents(f, 1), QList<MFile>({urlEntry("http://Example.com/a/")}));
    QCOMPARE(fileContents(f, 2), QList<MFile>({fileEntry("/f", "second")}));
    QCOMPARE(fileContents(f, 3), QList<MFile>({fileEntry("/g")}));
    QCOMPARE(groups->topLevelItemCount(), 0); // found again: none left
    QCOMPARE(dialog->statusText(), QStringLiteral("No duplicates found."));
    QVERIFY(!dialog->deleteButton()->isEnabled());

    // One undo in the main window brings every copy back to its folder.
    dialog->close();
    showWindow(w);
    QTest::keyClick(w.mainTree(), Qt::Key_Z, Qt::ControlModifier);
    const auto sorted = [](QList<MFile> files) {
        std::sort(files.begin(), files.end(), [](const MFile &a, const MFile &b) {
            return serializeContents({a}) < serializeContents({b});
        });
        return files;
    };
    for (int folder = 1; folder <= 3; ++folder)
        QCOMPARE(sorted(fileContents(f, folder)), sorted(before[folder - 1]));
    QCOMPARE(w.session().model().count(), 3);
    QVERIFY(f.interaction.messages.isEmpty());
    QVERIFY(f.interaction.unexpected.isEmpty());
}

void TestCatalogTools::duplicatesInTheSelectedFolder()
{
    WindowFixture f;
    writeCatalog(f,
                 {{fileEntry("/f"), fileEntry("/f"), fileEntry("/h")}, {fileEntry("/h"), fileEntry("/h")}});
    TMain &w = f.open();
    CatalogToolCommands tools(w.catalogView(), w.interaction(), &w);
    tools.folderDuplicatesClick();
    DuplicatesDialog *dialog = tools.duplicatesDialog();
    QCOMPARE(dialog->groupsView()->topLevelItemCount(), 1); // "/h" in Folder2 is another folder's
    f.interaction.yesNoAnswers = {true};
    QCOMPARE(dialog->deleteSelectedCopies(), 1);
    QCOMPARE(listed(w), QList<MFile>({fileEntry("/f"), fileEntry("/h")}));
    QCOMPARE(fileContents(f, 1), listed(w));
    QCOMPARE(fileContents(f, 2).size(), 2);
    tools.allDuplicatesClick(); // the same window, now across the catalog
    QCOMPARE(dialog->groupsView()->topLevelItemCount(), 1);
    QCOMPARE(dialog->groupsView()->topLevelItem(0)->childCount(), 3);
}

// From the Tools key, across the catalog with a click, and deleted with a click: the bare
// copies go, those with a program or a description stay, and the dialog shows both.
void TestCatalogTools::duplicatesKeepTheCopyThatCarriesMost()
{
    Fixture f;
    writeCatalog(f, {{fileEntry("/f"), urlEntry("http://x.org/")},
                     {MFile{MFile::FileKind, "/f", "/usr/bin/viewer", {}}, fileEntry("/g", "the good one")},
                     {urlEntry("http://X.org"), fileEntry("/g"),
                      MFile{MFile::FileKind, "/f", "/usr/bin/viewer", "notes\r\nmore"}}});
    TMain &w = showWindow(f.open());
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    DuplicatesDialog *dialog = w.catalogTools().duplicatesDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->groupsView()->topLevelItemCount(), 0); // none within the first folder
    auto *allFolders = dialog->findChild<QRadioButton *>(QStringLiteral("AllFolders"));
    QTest::mouseClick(allFolders, Qt::LeftButton, {}, QPoint(8, allFolders->height() / 2));
    QTreeWidget *groups = dialog->groupsView();
    QCOMPARE(groups->topLevelItemCount(), 3);

    QStringList rows; // ticked or not, then Name, Folder, Program, Description
    for (int g = 0; g < groups->topLevelItemCount(); ++g)
        for (int c = 0; c < groups->topLevelItem(g)->childCount(); ++c) {
            const QTreeWidgetItem *copy = groups->topLevelItem(g)->child(c);
            QStringList cells{copy->checkState(0) == Qt::Checked ? QStringLiteral("x") : QStringLiteral("-")};
            for (int column = 0; column < 4; ++column)
                cells.append(copy->text(column));
            rows.append(cells.join(u'|'));
        }
    QCOMPARE(
        rows,
        QStringList({QStringLiteral("x|f|Folder1||"), QStringLiteral("x|f|Folder1/Folder2|/usr/bin/viewer|"),
                     QStringLiteral("-|f|Folder3|/usr/bin/viewer|notes more"),
                     QStringLiteral("-|http://x.org/|Folder1||"), QStringLiteral("x|http://X.org|Folder3||"),
                     QStringLiteral("-|g|Folder1/Folder2||the good one"), QStringLiteral("x|g|Folder3||")}));
    QCOMPARE(groups->headerItem()->text(2), QStringLiteral("Program"));
    QCOMPARE(groups->headerItem()->text(3), QStringLiteral("Description"));

    f.interaction.yesNoAnswers = {true};
    QTest::mouseClick(dialog->deleteButton(), Qt::LeftButton);
    QCOMPARE(fileContents(f, 1), QList<MFile>({urlEntry("http://x.org/")}));
    QCOMPARE(fileContents(f, 2), QList<MFile>({fileEntry("/g", "the good one")}));
    QCOMPARE(fileContents(f, 3),
             QList<MFile>({MFile{MFile::FileKind, "/f", "/usr/bin/viewer", "notes\r\nmore"}}));
    QVERIFY(f.interaction.unexpected.isEmpty());
}

void TestCatalogTools::checkMarksRowsAndDeletesAfterAsking()
{
    LocalHttpServer server;
    QTemporaryDir files;
    QFile present(files.filePath(QStringLiteral("present.txt")));
    QVERIFY(present.open(QIODevice::WriteOnly));
    present.close();
    WindowFixture f;
    const QByteArray presentPath = present.fileName().toLocal8Bit();
    const QByteArray missingPath = files.filePath(QStringLiteral("missing.txt")).toLocal8Bit();
    writeCatalog(
        f, {{fileEntry(presentPath), fileEntry(missingPath), urlEntry(server.url("/ok")),
             urlEntry(server.url("/missing")), urlEntry(server.url("/silent")), urlEntry("mailto:a@b.org")},
            {urlEntry(server.url("/error"))}});
    TMain &w = f.open();
    CatalogToolCommands tools(w.catalogView(), w.interaction(), &w);
    tools.setCheckOptions({6, 500, 5});
    QHash<QByteArray, LinkCheckResult::Status> marks; // by the path of the row marked
    connect(&tools, &CatalogToolCommands::entryStatusFound, this,
            [&](int row, const LinkCheckResult &result) {
                marks.insert(w.session().model().rowAt(row).file.Path, result.status);
            });
    tools.checkFolderEntriesClick();
    LinkCheckDialog *dialog = tools.checkDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->cancelButton()->text(), QStringLiteral("Cancel"));
    QTRY_COMPARE(dialog->cancelButton()->text(), QStringLiteral("Close"));
    QCOMPARE(dialog->progressBar()->value(), 6);
    QCOMPARE(dialog->progressBar()->maximum(), 6);
    QCOMPARE(marks.size(), 6);
    QCOMPARE(marks.value(presentPath), LinkCheckResult::Ok);
    QCOMPARE(marks.value(missingPath), LinkCheckResult::Missing);
    QCOMPARE(marks.value(server.url("/ok")), LinkCheckResult::Ok);
    QCOMPARE(marks.value(server.url("/missing")), LinkCheckResult::Broken);
    QCOMPARE(marks.value(server.url("/silent")), LinkCheckResult::CouldNotCheck);
    QCOMPARE(marks.value("mailto:a@b.org"), LinkCheckResult::NotChecked);
    QCOMPARE(dialog->statusText(),
             QStringLiteral("3 of 6 entries need a look: 2 gone, 1 could not be checked."));
    QCOMPARE(dialog->problemsView()->topLevelItemCount(), 3);

    f.interaction.yesNoAnswers = {false, true};
    QCOMPARE(dialog->deleteCheckedEntries(), 0);
    QCOMPARE(w.session().model().count(), 6);
    QCOMPARE(dialog->deleteCheckedEntries(), 2); // the one that did not answer in time stays
    QCOMPARE(f.interaction.questions.last(),
             QStringLiteral("Do you really want to delete the 2 checked entries ?"));
    QCOMPARE(w.session().model().count(), 4);
    QCOMPARE(fileContents(f, 1), listed(w));
    QVERIFY(!listed(w).contains(fileEntry(missingPath)));
    QCOMPARE(dialog->problemsView()->topLevelItemCount(), 1);

    // All folders: the other folder's result is listed, and no row of the shown one is marked
    // for it.
    marks.clear();
    tools.checkAllEntriesClick();
    QTRY_COMPARE(dialog->cancelButton()->text(), QStringLiteral("Close"));
    QCOMPARE(dialog->progressBar()->value(), 5);
    QCOMPARE(marks.size(), 4);
    QCOMPARE(dialog->problemsView()->topLevelItemCount(), 2);
    const QList<QTreeWidgetItem *> other =
        dialog->problemsView()->findItems(QStringLiteral("Folder1/Folder2"), Qt::MatchExactly, 1);
    QCOMPARE(other.size(), 1);
    QCOMPARE(other[0]->text(2), QStringLiteral("Could not check: 500 Internal Server Error"));
    QVERIFY(f.interaction.unexpected.isEmpty());
}

void TestCatalogTools::checkCancelled()
{
    LocalHttpServer server;
    WindowFixture f;
    QList<MFile> silent;
    for (int i = 0; i < 20; ++i)
        silent.append(urlEntry(server.url("/silent")));
    writeCatalog(f, {silent});
    TMain &w = f.open();
    CatalogToolCommands tools(w.catalogView(), w.interaction(), &w);
    tools.checkFolderEntriesClick();
    LinkCheckDialog *dialog = tools.checkDialog();
    QTRY_COMPARE(server.open, 5); // six at a time, one kept for other servers
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    QCOMPARE(dialog->cancelButton()->text(), QStringLiteral("Close"));
    QVERIFY(dialog->statusText().startsWith(QStringLiteral("Cancelled after 0 of 20")));
    QTRY_COMPARE(server.open, 0);
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(w.session().model().count(), 20); // nothing deleted
}

// With no network every web link would fail to resolve: only what is gone (a 404, a file
// that is not there) is ticked for deleting, and every reason shows whole.
void TestCatalogTools::checkOffersOnlyWhatIsGone()
{
    LocalHttpServer server;
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QByteArray refused = "http://127.0.0.1:" + QByteArray::number(closed.serverPort()) + "/page";
    closed.close(); // nothing answers there now, as with no network
    QTemporaryDir files;
    const QByteArray missing = files.filePath(QStringLiteral("missing.txt")).toLocal8Bit();
    Fixture f;
    writeCatalog(f, {{fileEntry(missing), urlEntry(server.url("/missing")), urlEntry(refused),
                      urlEntry(server.url("/error")), urlEntry(server.url("/ok"))}});
    TMain &w = showWindow(f.open());
    QTest::keyClick(&w, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    LinkCheckDialog *dialog = w.catalogTools().checkDialog();
    QVERIFY(dialog && dialog->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(dialog->cancelButton()->text(), QStringLiteral("Close"), 20000);

    QTreeWidget *problems = dialog->problemsView();
    QStringList rows;
    for (int i = 0; i < problems->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = problems->topLevelItem(i);
        rows.append((item->checkState(0) == Qt::Checked ? QStringLiteral("x|") : QStringLiteral("-|")) +
                    item->text(2));
    }
    rows.sort();
    QCOMPARE(rows, QStringList({QStringLiteral("-|Could not check: 500 Internal Server Error"),
                                QStringLiteral("-|Could not check: Connection refused"),
                                QStringLiteral("x|Broken link: 404 Not Found"),
                                QStringLiteral("x|File not found")}));
    const int needed = static_cast<QAbstractItemView *>(problems)->sizeHintForColumn(2);
    QVERIFY2(problems->columnWidth(2) >= needed,
             qPrintable(QStringLiteral("%1 < %2").arg(problems->columnWidth(2)).arg(needed)));

    f.interaction.yesNoAnswers = {true};
    QTest::mouseClick(dialog->deleteButton(), Qt::LeftButton);
    QList<MFile> kept = fileContents(f, 1); // in the list's order, which is the captions'
    std::sort(kept.begin(), kept.end(), [](const MFile &a, const MFile &b) { return a.Path < b.Path; });
    QList<MFile> expected{urlEntry(refused), urlEntry(server.url("/error")), urlEntry(server.url("/ok"))};
    std::sort(expected.begin(), expected.end(),
              [](const MFile &a, const MFile &b) { return a.Path < b.Path; });
    QCOMPARE(kept, expected);
    QVERIFY(f.interaction.unexpected.isEmpty());
}

LINKSHELF_TEST_MAIN(TestCatalogTools)
#include "tst_catalogtools.moc"
