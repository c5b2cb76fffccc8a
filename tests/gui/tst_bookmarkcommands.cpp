// SPDX-License-Identifier: GPL-3.0-or-later
// Importing and exporting bookmarks in the real main window: the new folders in the tree and
// on disk, exports that import again into another catalog, and refusals that change nothing.
#include "../catalog/bookmarktestsupport.h"
#include "atomicfile.h"
#include "bookmarkcommands.h"
#include "bookmarkimport.h"
#include "catalogbookmarks.h"
#include "commandline.h"
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "entrymakers.h"
#include "entrywindowfixture.h"
#include "foldertree.h"
#include "forwardedstart.h"
#include "maintree.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "uiactions.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMap>

namespace {

QStringList captions(const QTreeWidgetItem *parent)
{
    QStringList names;
    for (int i = 0; i < parent->childCount(); ++i)
        names.append(parent->child(i)->text(0));
    return names;
}

// Answers the file dialogs from a list, and counts the questions.
struct ScriptedChooser
{
    QStringList answers;
    QList<BookmarkCommands::FileRole> asked;

    BookmarkCommands::FileChooser chooser()
    {
        return [this](BookmarkCommands::FileRole role) {
            asked.append(role);
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
    }
};

// The catalog of the window as a bookmark tree, read from its files.
BookmarkFolder catalogOnDisk(WindowFixture &f)
{
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(f.workDir());
    return catalogBookmarkTree(paths, loadFolderTree(paths).folders);
}

} // namespace

class TestBookmarkCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void importAddsASelectedTopLevelFolder();
    void refusedImportsChangeNothing();
    void exportThenImportIntoAnotherCatalog_data();
    void exportThenImportIntoAnotherCatalog();
    void exportShowsTheListAsTheUserSeesIt();
    void exportedLinksShowTheEntriesNames();
    void importedProgramsNeedTheUsersYes_data();
    void importedProgramsNeedTheUsersYes();
    void importAtStartLeavesProgramsOutUnlessKept();
    void cancelledDialogsDoNothing();
};

void TestBookmarkCommands::importAddsASelectedTopLevelFolder()
{
    WindowFixture f;
    TMain &w = f.open();
    ScriptedChooser dialogs;
    dialogs.answers = {QStringLiteral(LINKSHELF_TEST_DATA "/bookmarks/firefox.html")};
    BookmarkCommands commands(w.session(), dialogs.chooser());
    commands.importBookmarksClick();

    QCOMPARE(dialogs.asked, QList<BookmarkCommands::FileRole>{BookmarkCommands::FileRole::Import});
    QVERIFY2(f.interaction.messages.isEmpty(), qPrintable(f.interaction.messages.join(u'\n')));
    MainTree *tree = w.mainTree();
    QCOMPARE(captions(tree->invisibleRootItem()),
             (QStringList{QStringLiteral("Hot Files"), QStringLiteral("firefox")}));
    FolderItem *top = tree->selectedFolder();
    QCOMPARE(top->text(0), QStringLiteral("firefox"));
    QCOMPARE(captions(top),
             (QStringList{QStringLiteral("Help & Support"), QStringLiteral("Bookmarks Toolbar"),
                          QStringLiteral("Other Bookmarks")}));
    QCOMPARE(captions(top->child(1)->child(0)), QStringList{QStringLiteral("Empty")});
    QCOMPARE(w.mainList()->model().count(), 1);
    QCOMPARE(w.mainList()->model().rowAt(0).caption, QStringLiteral("https://www.example.org/start/"));

    // On disk at once: the selection wrote the tree files, the import the contents files.
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")),
             QByteArray("Hot Files\r\nfirefox\r\n\tHelp & Support\r\n\tBookmarks Toolbar\r\n\t\t") +
                 QByteArray(reinterpret_cast<const char *>(u8"Ünïcödé — 日本語")) +
                 QByteArray("\r\n\t\t\tEmpty\r\n\tOther Bookmarks\r\n"));
    QCOMPARE(f.readCatalogFile(QStringLiteral("etree.lsf")), QByteArray("\x00\x02\x00\x00\x00\x00\x00", 7));
    BookmarkFolder expected = *parseBookmarks(fixture("firefox.html")).root;
    expected.name = "firefox";
    QCOMPARE(dump(catalogOnDisk(f).subfolders.last()), dump(expected));

    // Undone, the imported folders go; redone, they are back with every entry.
    showWindow(w);
    QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Hot Files\r\n"));
    QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(dump(catalogOnDisk(f).subfolders.last()), dump(expected));
}

// Why a file is refused is the reader's and the catalog's to say (their tests hold the whole
// table); the command shows that reason and leaves the window and the files as they were.
void TestBookmarkCommands::refusedImportsChangeNothing()
{
    const QByteArray kde = fixture("kde-bookmarks.xml");
    const QByteArray bytes = kde.left(kde.indexOf("<separator/>"));
    const QString message = QStringLiteral("Line 20, column 1: Premature end of document.");

    WindowFixture f;
    f.writeTreeFiles("Folder 0\r\n", "cat0.lsf\r\n", "\x02");
    f.writeCatalogFile(QStringLiteral("cat0.lsf"),
                       serializeContents({urlEntry("https://kept.example/", "kept")}));
    TMain &w = f.open();
    const QMap<QString, QByteArray> before = snapshot(f.workDir());

    const QString path = f.dir.filePath(QStringLiteral("damaged.xbel"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    BookmarkCommands commands(w.session(), {});
    QCOMPARE(commands.importBookmarks(path), nullptr);

    QCOMPARE(
        f.interaction.messages,
        QStringList{QStringLiteral("The bookmarks of \"%1\" were not imported.\n%2").arg(path, message)});
    QCOMPARE(w.mainTree()->topLevelItemCount(), 1);
    QCOMPARE(w.mainTree()->selectedFolder(), w.mainTree()->topFolder(0));
    QCOMPARE(w.mainList()->model().count(), 1);
    QCOMPARE(snapshot(f.workDir()), before);
}

void TestBookmarkCommands::exportThenImportIntoAnotherCatalog_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("selectedFolderOnly");
    QTest::newRow("whole catalog, HTML") << QStringLiteral("all.html") << false;
    QTest::newRow("whole catalog, XBEL") << QStringLiteral("all.xbel") << false;
    QTest::newRow("selected folder, HTML") << QStringLiteral("one.html") << true;
    QTest::newRow("selected folder, XBEL") << QStringLiteral("one.xbel") << true;
}

void TestBookmarkCommands::exportThenImportIntoAnotherCatalog()
{
    QFETCH(QString, fileName);
    QFETCH(bool, selectedFolderOnly);

    // A catalog with nesting, every kind of entry, programs and descriptions of several lines.
    WindowFixture source;
    source.writeTreeFiles("Hot Files\r\nWork\r\n\tProjects\r\n\t\tOld\r\n\tEmpty\r\n",
                          "cat0.lsf\r\ncat1.lsf\r\ncat2.lsf\r\ncat3.lsf\r\ncat4.lsf\r\n",
                          QByteArray("\x00\x03\x01\x00\x00", 5));
    source.writeCatalogFile(
        QStringLiteral("cat0.lsf"),
        serializeContents({urlEntry("https://hot.example/?a=1&b=2", "Hot <news>\r\nline 2")}));
    source.writeCatalogFile(
        QStringLiteral("cat1.lsf"),
        // In the order of the list's captions, which the selected folder's export follows.
        serializeContents({urlEntry("file:///srv/page.html", "a URL entry to a file"),
                           fileEntry("/home/u/plan é.odt", "Plan\r\n\r\nwith a gap", "/usr/bin/office")}));
    source.writeCatalogFile(
        QStringLiteral("cat2.lsf"),
        serializeContents({urlEntry("mailto:team@example.org", "", "/opt/Mail App/mail")}));
    source.writeCatalogFile(QStringLiteral("cat3.lsf"),
                            serializeContents({fileEntry("C:\\old\\x.doc", "Windows")}));
    source.writeCatalogFile(QStringLiteral("cat4.lsf"), emptyContents());
    TMain &w = source.open();
    QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Work"));

    const QString path = source.dir.filePath(fileName);
    ScriptedChooser dialogs;
    dialogs.answers = {path};
    BookmarkCommands commands(w.session(), dialogs.chooser());
    if (selectedFolderOnly)
        commands.exportFolderBookmarksClick();
    else
        commands.exportBookmarksClick();
    QVERIFY(source.interaction.messages.isEmpty());
    QCOMPARE(dialogs.asked, QList<BookmarkCommands::FileRole>{BookmarkCommands::FileRole::Export});

    WindowFixture target;
    TMain &w2 = target.open();
    target.interaction.yesNoAnswers = {true}; // the programs are the user's own
    BookmarkCommands importer(w2.session(), {});
    FolderItem *top = importer.importBookmarks(path);
    QVERIFY2(top, qPrintable(target.interaction.messages.join(u'\n')));
    QCOMPARE(top->text(0), QFileInfo(fileName).completeBaseName());

    BookmarkFolder expected = catalogOnDisk(source);
    if (selectedFolderOnly)
        expected.subfolders = {expected.subfolders[1]};
    BookmarkFolder imported = catalogOnDisk(target).subfolders.last();
    imported.name.clear();
    QCOMPARE(dump(imported), dump(expected));
}

void TestBookmarkCommands::exportShowsTheListAsTheUserSeesIt()
{
    WindowFixture f;
    TMain &w = f.open();
    // The list holds an entry that its file does not (as after a save that failed).
    w.mainList()->model().resetRows(
        {makeEntryRow(urlEntry("https://only.example/", "in the list"), TextEncoding())});
    BookmarkCommands commands(w.session(), {});
    const QString path = f.dir.filePath(QStringLiteral("out.html"));
    QVERIFY(commands.exportBookmarks(path, nullptr));
    const BookmarkReadResult read = readBookmarkFile(path);
    QVERIFY(read);
    QCOMPARE(read.root->subfolders.constFirst().entries,
             QList<MFile>{urlEntry("https://only.example/", "in the list")});

    // A file that cannot be written is told.
    QVERIFY(!commands.exportBookmarks(f.dir.filePath(QStringLiteral("no/such/folder/out.html")), nullptr));
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY(
        f.interaction.messages.constFirst().startsWith(QStringLiteral("The bookmarks were not exported.\n")));
}

// Through the menu and the save dialog: a link without text cannot be seen in a browser.
void TestBookmarkCommands::exportedLinksShowTheEntriesNames()
{
    Fixture f;
    const QList<MFile> entries{fileEntry("/home/u/r 1.pdf", ""), urlEntry("https://x.example/?a=1&b=2", ""),
                               fileEntry("/home/u/Documents/", "\r\nnot a title"),
                               urlEntry("https://y.example/", "Y")};
    TMain &w = showWindow(openCatalogWith(f, entries));
    // The dialog opens in the home folder, where no name begins like this one: no completion
    // takes the Enter.
    const QString path = QDir::home().filePath(QStringLiteral("exported-links.html"));
    whenModalShows<QFileDialog>([](QFileDialog *dialog) {
        QLineEdit *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("exported-links.html"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    chooseMenuItem(w, QStringLiteral("ExportBookmarks1"));

    const QByteArray html = readWholeFile(path).value_or(QByteArray());
    for (const char *link :
         {"<A HREF=\"file:///home/u/r%201.pdf\" UNTITLED=\"1\">r 1.pdf</A>",
          "<A HREF=\"https://x.example/?a=1&amp;b=2\" UNTITLED=\"1\">https://x.example/?a=1&amp;b=2</A>",
          "<A HREF=\"file:///home/u/Documents/\" UNTITLED=\"1\">Documents</A>",
          "<A HREF=\"https://y.example/\">Y</A>"})
        QVERIFY2(html.contains(link), html.constData());
    // Read back, the names are no titles: the entries come back as they were.
    const BookmarkReadResult read = readBookmarkFile(path);
    QVERIFY(read);
    QList<MFile> back = read.root->subfolders.value(0).entries;
    QList<MFile> sorted = entries;
    const auto byPath = [](const MFile &a, const MFile &b) { return a.Path < b.Path; };
    std::sort(back.begin(), back.end(), byPath);
    std::sort(sorted.begin(), sorted.end(), byPath);
    QCOMPARE(back, sorted);
}

void TestBookmarkCommands::importedProgramsNeedTheUsersYes_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void TestBookmarkCommands::importedProgramsNeedTheUsersYes()
{
    QFETCH(bool, yes);
    WindowFixture f;
    TMain &w = f.open();
    f.interaction.yesNoAnswers = {yes};
    BookmarkCommands commands(w.session(), {});
    QVERIFY(commands.importBookmarks(QStringLiteral(LINKSHELF_TEST_DATA "/bookmarks/programs.html")));

    const QString runs = QStringLiteral(
        "Pets / Cute cats: /usr/bin/python3 -cimport os;os.system('touch /tmp/linkshelf-owned')");
    QCOMPARE(f.interaction.riskQuestions.size(), 1);
    QVERIFY2(f.interaction.riskQuestions[0].contains(
                 QStringLiteral("Bookmarks in \"programs.html\" that name a program: 1\n\n") + runs),
             qPrintable(f.interaction.riskQuestions[0]));
    QCOMPARE(f.interaction.riskDetails, QStringList{runs});
    QVERIFY(f.interaction.messages.isEmpty());
    const BookmarkFolder imported = catalogOnDisk(f).subfolders.last();
    QCOMPARE(imported.entries.value(0).Path, QByteArray("https://www.example.org/"));
    QCOMPARE(imported.subfolders.value(0).entries.value(0).Program,
             yes ? QByteArray("/usr/bin/python3") : QByteArray());
}

void TestBookmarkCommands::importAtStartLeavesProgramsOutUnlessKept()
{
    for (const bool keep : {false, true}) {
        WindowFixture f;
        TMain &w = f.open();
        QStringList arguments{QStringLiteral("linkshelf"), QStringLiteral("--import"),
                              QStringLiteral(LINKSHELF_TEST_DATA "/bookmarks/programs.xbel")};
        if (keep)
            arguments.append(QStringLiteral("--keep-programs"));
        applyStartOptions(w, parseCommandLine(arguments));
        QVERIFY(f.interaction.riskQuestions.isEmpty());
        QCOMPARE(catalogOnDisk(f).subfolders.last().subfolders.value(0).entries.value(0).Program,
                 keep ? QByteArray("python3") : QByteArray());
        const QStringList told{QStringLiteral("Bookmarks in \"programs.xbel\" that named a program: 1. They "
                                              "were imported without their programs; "
                                              "import with --keep-programs to keep them.")};
        QCOMPARE(f.interaction.messages, keep ? QStringList() : told);
    }
}

void TestBookmarkCommands::cancelledDialogsDoNothing()
{
    WindowFixture f;
    TMain &w = f.open();
    const QMap<QString, QByteArray> before = snapshot(f.workDir());
    ScriptedChooser dialogs; // answers nothing: every dialog is cancelled
    BookmarkCommands commands(w.session(), dialogs.chooser());
    commands.importBookmarksClick();
    commands.exportBookmarksClick();
    commands.exportFolderBookmarksClick();
    QCOMPARE(dialogs.asked.size(), 3);
    QVERIFY(f.interaction.messages.isEmpty());
    QCOMPARE(snapshot(f.workDir()), before);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("registry.ini")});

    // With no folder selected there is nothing to export a folder of.
    w.mainTree()->setCurrentItem(nullptr);
    commands.exportFolderBookmarksClick();
    QCOMPARE(dialogs.asked.size(), 3);
    QCOMPARE(f.interaction.messages, QStringList{QStringLiteral("Select the folder to export first.")});
}

LINKSHELF_TEST_MAIN(TestBookmarkCommands)
#include "tst_bookmarkcommands.moc"
