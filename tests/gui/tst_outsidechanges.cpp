// SPDX-License-Identifier: GPL-3.0-or-later
// Changes that reach the catalog's files from outside (another machine, a sync tool) while
// the window is open: the window's commands apply to the files as they are, and lose nothing.
#include "bookmarkcommands.h"
#include "entrylistmodel.h"
#include "entrymakers.h"
#include "entrywindowfixture.h"
#include "filesunder.h"
#include "foldertree.h"
#include "maintree.h"
#include "outsidewriter.h"
#include "testenvironment.h"
#include "uiactions.h"

#include <QLineEdit>

#include <algorithm>

namespace {

void writeOutside(const WindowFixture &f, const QList<MFile> &entries)
{
    QVERIFY(replaceFileFromOutside(f.catalogFile(contentsName), serializeContents(entries)));
}

// The three tree files as another machine's save reaches them, index and states first.
void writeTreeOutside(const WindowFixture &f, const QByteArray &tree, const QByteArray &index)
{
    QVERIFY(replaceFileFromOutside(f.catalogFile(QStringLiteral("itree.lsf")), index));
    QVERIFY(replaceFileFromOutside(f.catalogFile(QStringLiteral("etree.lsf")),
                                   QByteArray(index.count('\n'), '\0')));
    QVERIFY(replaceFileFromOutside(f.catalogFile(QStringLiteral("tree.lsf")), tree));
}

QList<FolderRecord> foldersOnDisk(const WindowFixture &f)
{
    return loadFolderTree(CatalogPaths::forWorkDirectory(f.workDir())).folders;
}

QList<QByteArray> namesOf(const QList<FolderRecord> &folders)
{
    QList<QByteArray> names;
    for (const FolderRecord &folder : folders)
        names.append(folder.Name);
    return names;
}

} // namespace

class TestOutsideChanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandsApplyToTheFileAsItIsNow();
    void shownFolderFollowsItsFileKeepingItsPlace();
    void treeFollowsItsFilesKeepingSelectionAndExpanded();
    void halfArrivedTreeIsNotWrittenOver();
    void foldersSharingAFileGetOneEach();
    void importAndRenameApplyToTheTreeAsItIsNow();
    void conflictCopiesAreMergedAndMovedAside_data();
    void conflictCopiesAreMergedAndMovedAside();
    void anIndexCopyAloneIsMergedAndMovedAside();
};

// Each outside write happens just before a command, or while its dialog is up, so the list
// the command starts from is stale: the command still finds its entries by record in the file
// as it is, and what the other side wrote stays.
void TestOutsideChanges::commandsApplyToTheFileAsItIsNow()
{
    Fixture f;
    TMain &w = showWindow(
        openCatalogWith(f, {urlEntry("https://a/"), urlEntry("https://b/"), urlEntry("https://c/")}));
    QWidget *view = w.mainList()->currentView();

    // Elsewhere: x added, b deleted. Ours: an URL added.
    writeOutside(f, {urlEntry("https://x/"), urlEntry("https://a/"), urlEntry("https://c/")});
    f.interaction.stringAnswers = {QStringLiteral("https://n/")};
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Insert, Qt::ShiftModifier);
    QList<MFile> expected = sortedByRecord(
        {urlEntry("https://x/"), urlEntry("https://a/"), urlEntry("https://c/"), urlEntry("https://n/")});
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), expected);
    QCOMPARE(entriesShown(w), expected);

    // Elsewhere, while the question is up: y added, the order changed. Ours: a deleted.
    clickEntry(w, rowShowing(w, urlEntry("https://a/")));
    f.interaction.yesNoAnswers = {true};
    f.interaction.meanwhile = [&f] {
        writeOutside(f, {urlEntry("https://y/"), urlEntry("https://n/"), urlEntry("https://c/"),
                         urlEntry("https://a/"), urlEntry("https://x/")});
    };
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    expected = sortedByRecord(
        {urlEntry("https://x/"), urlEntry("https://c/"), urlEntry("https://n/"), urlEntry("https://y/")});
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), expected);
    QCOMPARE(entriesShown(w), expected);

    // Elsewhere, while the properties are edited: c deleted. Ours kept as a new entry, told.
    clickEntry(w, rowShowing(w, urlEntry("https://c/")));
    f.interaction.propertyAnswers = {
        EntryProperties{QStringLiteral("https://c/"), {}, QStringLiteral("mine")}};
    f.interaction.meanwhile = [&f] {
        writeOutside(f, {urlEntry("https://x/"), urlEntry("https://n/"), urlEntry("https://y/")});
    };
    chooseMenuItem(w, QStringLiteral("Properties2"));
    expected = sortedByRecord({urlEntry("https://x/"), urlEntry("https://n/"), urlEntry("https://y/"),
                               urlEntry("https://c/", "mine")});
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), expected);
    QCOMPARE(entriesShown(w), expected);
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY2(f.interaction.messages.constFirst().contains(QStringLiteral("kept as a new entry")),
             qPrintable(f.interaction.messages.constFirst()));
    QVERIFY(f.interaction.unexpected.isEmpty());
}

// Another machine adds an entry that sorts first and deletes one above the view: the list
// shows it by itself, with the same entry selected and the same entry at the top.
void TestOutsideChanges::shownFolderFollowsItsFileKeepingItsPlace()
{
    Fixture f;
    QList<MFile> entries;
    for (int i = 0; i < 300; ++i)
        entries.append(urlEntry(QByteArray("https://e" + QByteArray::number(1000 + i) + "/").constData()));
    TMain &w = showWindow(openCatalogWith(f, entries));
    w.GridButtonClick();
    MainList &list = *w.mainList();
    list.scrollRowToTop(rowShowing(w, entries[120]));
    clickEntry(w, rowShowing(w, entries[130]));
    const MFile top = list.model().rowAt(list.topVisibleRow()).file;
    QCOMPARE(top, entries[120]);

    QList<MFile> changed = entries;
    changed.removeAt(10);
    changed.append(urlEntry("https://a/"));
    writeOutside(f, changed);
    QTRY_COMPARE(entriesShown(w), sortedByRecord(changed));
    QCOMPARE(list.model().filesAt(list.selectedRows()), QList<MFile>{entries[130]});
    QCOMPARE(list.model().rowAt(list.topVisibleRow()).file, top);
}

// Another machine adds a folder before the selected one's parent: the tree shows it, and the
// same folder (by its path of names) stays selected and its parent expanded.
void TestOutsideChanges::treeFollowsItsFilesKeepingSelectionAndExpanded()
{
    Fixture f;
    f.writeTreeFiles("A\r\n\tA1\r\n\tA2\r\nB\r\n", "cat0.lsf\r\ncat1.lsf\r\ncat2.lsf\r\ncat3.lsf\r\n",
                     QByteArray("\x01\x00\x02\x00", 4));
    for (int i = 0; i < 4; ++i)
        f.writeCatalogFile(QStringLiteral("cat%1.lsf").arg(i),
                           serializeContents({urlEntry(QByteArray::number(i))}));
    TMain &w = showWindow(f.open());
    QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("A2"));

    QVERIFY(replaceFileFromOutside(f.catalogFile(QStringLiteral("itree.lsf")),
                                   "cat4.lsf\r\ncat0.lsf\r\ncat1.lsf\r\ncat2.lsf\r\ncat3.lsf\r\n"));
    QVERIFY(replaceFileFromOutside(f.catalogFile(QStringLiteral("tree.lsf")),
                                   "New\r\nA\r\n\tA1\r\n\tA2\r\nB\r\n"));
    QVERIFY(replaceFileFromOutside(f.catalogFile(QStringLiteral("etree.lsf")), QByteArray(5, '\0')));
    QTRY_COMPARE(w.mainTree()->topLevelItemCount(), 3);
    QCOMPARE(w.mainTree()->topLevelItem(0)->text(0), QStringLiteral("New"));
    QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("A2"));
    QVERIFY(w.mainTree()->topLevelItem(1)->isExpanded());
    QCOMPARE(entriesShown(w), QList<MFile>{urlEntry("2")});
}

// A sync tool has delivered another machine's index (and states) but not yet its tree: our
// new folder waits instead of writing over them, and is added to the tree once it arrives.
// When the rest never comes, our tree is written and what had arrived is kept aside.
void TestOutsideChanges::halfArrivedTreeIsNotWrittenOver()
{
    Fixture f;
    TMain &w = showWindow(openCatalogWith(f, {urlEntry("https://a/")}));
    f.writeCatalogFile(QStringLiteral("cat7.lsf"), serializeContents({urlEntry("https://theirs/")}));
    QVERIFY(replaceFileFromOutside(f.catalogFile(QStringLiteral("itree.lsf")), "cat0.lsf\r\ncat7.lsf\r\n"));
    f.interaction.stringAnswers = {QStringLiteral("Mine")};
    releaseKeyIn(w, w.mainTree(), Qt::Key_F7);
    QCOMPARE(f.readCatalogFile(QStringLiteral("itree.lsf")), QByteArray("cat0.lsf\r\ncat7.lsf\r\n"));
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Hot Files\r\n"));

    writeTreeOutside(f, "Hot Files\r\nTheirs\r\n", "cat0.lsf\r\ncat7.lsf\r\n");
    QTRY_COMPARE(namesOf(foldersOnDisk(f)), (QList<QByteArray>{"Hot Files", "Theirs", "Mine"}));
    QCOMPARE(foldersOnDisk(f)[1].Record, std::optional<MTree>(MTree{"cat7.lsf"}));
    QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Mine"));
    QVERIFY(f.interaction.messages.isEmpty());

    const QByteArray halfIndex = "cat0.lsf\r\ncat7.lsf\r\ncat9.lsf\r\ncat8.lsf\r\n";
    QVERIFY(replaceFileFromOutside(f.catalogFile(QStringLiteral("itree.lsf")), halfIndex));
    w.mainTree()->setCurrentItem(w.mainTree()->topFolder(0)); // a selection saves the tree
    QCOMPARE(f.readCatalogFile(QStringLiteral("itree.lsf")), halfIndex);
    QTRY_VERIFY_WITH_TIMEOUT(f.readCatalogFile(QStringLiteral("itree.lsf")) != halfIndex, 10000);
    QCOMPARE(namesOf(foldersOnDisk(f)), (QList<QByteArray>{"Hot Files", "Theirs", "Mine"}));
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY2(f.interaction.messages[0].contains(QStringLiteral("did not agree")),
             qPrintable(f.interaction.messages[0]));
    const QMap<QString, QByteArray> files = filesUnder(f.workDir());
    QVERIFY(std::any_of(files.keyValueBegin(), files.keyValueEnd(), [&](const auto &file) {
        return file.first != QStringLiteral("itree.lsf") && file.second == halfIndex;
    }));
}

// An older version elsewhere gave its new folder the file our new folder took: each folder
// gets a file of its own, both holding what the one file held.
void TestOutsideChanges::foldersSharingAFileGetOneEach()
{
    Fixture f;
    TMain &w = showWindow(openCatalogWith(f, {urlEntry("https://a/")}));
    writeTreeOutside(f, "Hot Files\r\nTheirs\r\n", "cat0.lsf\r\ncat0.lsf\r\n");
    QTRY_COMPARE(w.mainTree()->topLevelItemCount(), 2);
    const QList<FolderRecord> folders = foldersOnDisk(f);
    QCOMPARE(namesOf(folders), (QList<QByteArray>{"Hot Files", "Theirs"}));
    QCOMPARE(folders[0].Record, std::optional<MTree>(MTree{"cat0.lsf"}));
    QVERIFY(folders[1].Record && folders[1].Record != folders[0].Record);
    QCOMPARE(readContentsFile(f.catalogFile(QString::fromLatin1(folders[1].Record->FileName))).entries,
             QList<MFile>{urlEntry("https://a/")});
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), QList<MFile>{urlEntry("https://a/")});
}

// The tree files changed elsewhere a moment before an import and before a rename in place ends,
// before the window has read them again: both apply to the tree as it is, and a folder without
// a file is found by the name it had.
void TestOutsideChanges::importAndRenameApplyToTheTreeAsItIsNow()
{
    Fixture f;
    f.writeTreeFiles("Hot Files\r\nloose\r\n", "cat0.lsf\r\nNULL\r\n", QByteArray("\x02\x00", 2));
    f.writeCatalogFile(contentsName, emptyContents());
    TMain &w = showWindow(f.open());
    const QString bookmarks = f.dir.filePath(QStringLiteral("Imported.html"));
    QFile file(bookmarks);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"https://i/\">i</A>\n</DL><p>\n");
    file.close();

    writeTreeOutside(f, "Hot Files\r\nloose\r\nTheirs\r\n", "cat0.lsf\r\nNULL\r\nNULL\r\n");
    BookmarkCommands(w.session(), {}).importBookmarks(bookmarks);
    QCOMPARE(namesOf(foldersOnDisk(f)), (QList<QByteArray>{"Hot Files", "loose", "Theirs", "Imported"}));

    w.mainTree()->setCurrentItem(w.mainTree()->topFolder(1));
    QLineEdit *editor = [&] {
        w.mainTree()->setFocus();
        QTest::keyClick(w.mainTree(), Qt::Key_F2);
        return qobject_cast<QLineEdit *>(QApplication::focusWidget());
    }();
    QVERIFY(editor);
    writeTreeOutside(f, "Theirs 2\r\nHot Files\r\nloose\r\nTheirs\r\nImported\r\n",
                     f.readCatalogFile(QStringLiteral("itree.lsf")).prepend("NULL\r\n"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("kept"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(namesOf(foldersOnDisk(f)),
                 (QList<QByteArray>{"Theirs 2", "Hot Files", "kept", "Theirs", "Imported"}));
    QVERIFY2(f.interaction.messages.isEmpty(), qPrintable(f.interaction.messages.join(u'\n')));
}

void TestOutsideChanges::conflictCopiesAreMergedAndMovedAside_data()
{
    QTest::addColumn<QString>("suffix"); // what the sync tool puts between a file's name and ".lsf"
    QTest::addColumn<bool>("whileOpen"); // the copies appear while the window is open, else before

    QTest::newRow("Syncthing, at start") << QStringLiteral(".sync-conflict-20240101-120000-ABCDEFG") << false;
    QTest::newRow("Nextcloud, while open") << QStringLiteral(" (conflicted copy 2024-01-01 120000)") << true;
    QTest::newRow("Dropbox, at start") << QStringLiteral(" (ann's conflicted copy 2024-01-01)") << false;
    QTest::newRow("Dropbox, a second copy, while open")
        << QStringLiteral(" (Ann Lee's conflicted copy 2024-01-01 (1))") << true;
}

// The copies of the shown folder's file and of the tree files that a sync tool left: their
// entry and their folder that the catalog lacks are merged in, with one message, and the
// copies are moved into "merged", not deleted.
void TestOutsideChanges::conflictCopiesAreMergedAndMovedAside()
{
    QFETCH(QString, suffix);
    QFETCH(bool, whileOpen);
    Fixture f;
    const MFile a = urlEntry("https://a/"), b = urlEntry("https://b/"), c = urlEntry("https://c/");
    const auto writeCopies = [&] {
        f.writeCatalogFile(QStringLiteral("cat0%1.lsf").arg(suffix), serializeContents({a, b}));
        f.writeCatalogFile(QStringLiteral("cat7.lsf"), serializeContents({c})); // the other's new folder
        f.writeCatalogFile(QStringLiteral("itree%1.lsf").arg(suffix), "cat0.lsf\r\ncat7.lsf\r\n");
        f.writeCatalogFile(QStringLiteral("tree%1.lsf").arg(suffix), "Hot Files\r\nTheirs\r\n");
    };
    if (!whileOpen)
        writeCopies();
    TMain &w = showWindow(openCatalogWith(f, {a}));
    if (whileOpen)
        writeCopies();
    QTRY_COMPARE(entriesShown(w), sortedByRecord({a, b}));
    QTRY_COMPARE(w.mainTree()->topLevelItemCount(), 2);
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), sortedByRecord({a, b}));
    const FolderTreeLoad tree = loadFolderTree(CatalogPaths::forWorkDirectory(f.workDir()));
    QCOMPARE(tree.folders.size(), 2);
    QCOMPARE(tree.folders[1].Name, QByteArray("Theirs"));
    QCOMPARE(tree.folders[1].Record, std::optional<MTree>(MTree{"cat7.lsf"}));
    QTRY_COMPARE(QDir(f.workDir() + QStringLiteral("/merged")).entryList(QDir::Files).size(), 3);
    QCOMPARE(QDir(f.workDir()).entryList({QStringLiteral("*conflict*")}, QDir::Files), QStringList());
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY2(f.interaction.messages[0].contains(QStringLiteral("\"Hot Files\"")) &&
                 f.interaction.messages[0].contains(QStringLiteral("1 folder")),
             qPrintable(f.interaction.messages[0]));
}

// Index and state copies whose tree copy the sync tool did not leave: a contents file the index
// copy names and no folder holds gets a folder, and both copies are moved aside.
void TestOutsideChanges::anIndexCopyAloneIsMergedAndMovedAside()
{
    Fixture f;
    f.writeCatalogFile(QStringLiteral("cat8.lsf"), serializeContents({urlEntry("https://c/")}));
    f.writeCatalogFile(QStringLiteral("itree.sync-conflict-20240101-120000-ABCDEFG.lsf"),
                       "cat0.lsf\r\ncat8.lsf\r\n");
    f.writeCatalogFile(QStringLiteral("etree.sync-conflict-20240102-120000-ABCDEFG.lsf"),
                       QByteArray(2, '\0'));
    TMain &w = showWindow(openCatalogWith(f, {urlEntry("https://a/")}));
    QTRY_COMPARE(w.mainTree()->topLevelItemCount(), 2);
    const QList<FolderRecord> folders = foldersOnDisk(f);
    QCOMPARE(folders.size(), 2);
    QCOMPARE(folders[1].Record, std::optional<MTree>(MTree{"cat8.lsf"}));
    QTRY_COMPARE(QDir(f.workDir() + QStringLiteral("/merged")).entryList(QDir::Files).size(), 2);
    QCOMPARE(QDir(f.workDir()).entryList({QStringLiteral("*conflict*")}, QDir::Files), QStringList());
    QCOMPARE(f.interaction.messages.size(), 1);
}

LINKSHELF_TEST_MAIN(TestOutsideChanges)
#include "tst_outsidechanges.moc"
