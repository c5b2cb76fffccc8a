// SPDX-License-Identifier: GPL-3.0-or-later
// Bookmark files and the catalog on disk: the tree that an export reads, and an import that
// writes every new contents file before the tree files name them, or changes nothing.
#include "bookmarkexport.h"
#include "bookmarkimport.h"
#include "bookmarktestsupport.h"
#include "catalogbookmarks.h"
#include "contentsfile.h"
#include "entrymakers.h"
#include "failingfilewriter.h"
#include "foldertree.h"
#include "testenvironment.h"
#include "testfiles.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using Fault = FailingFileWriter::Fault;
Q_DECLARE_METATYPE(FailingFileWriter::Fault)
Q_DECLARE_METATYPE(std::optional<qsizetype>)

namespace {

FolderRecord record(int level, const char *name, const char *file, bool expanded = false,
                    bool selected = false)
{
    return FolderRecord{level, name, file ? std::optional<MTree>(MTree{file}) : std::nullopt, expanded,
                        selected};
}

// A small catalog: "Hot Files" selected, "Work" expanded with a subfolder without a record.
class SmallCatalog
{
public:
    SmallCatalog()
        : paths(CatalogPaths::forWorkDirectory(dir.path()))
    {
        folders = {record(0, "Hot Files", "cat0.lsf", false, true), record(0, "Work", "cat2.lsf", true),
                   record(1, "Old", nullptr)};
        QVERIFY(saveFolderTree(paths, folders));
        QVERIFY(writeContentsFile(
            paths.ContentsFilePath(MTree{"cat0.lsf"}).value(),
            serializeContents({urlEntry("https://hot.example/", "Hot\r\nnote", "/usr/bin/b"),
                               fileEntry("/home/u/x.txt", "")})));
        QVERIFY(writeContentsFile(paths.ContentsFilePath(MTree{"cat2.lsf"}).value(),
                                  serializeContents({fileEntry("/w/plan.odt", "Plan", "/usr/bin/office")})));
    }

    QString bookmarkFile(const char *name, const QByteArray &bytes) const
    {
        const QString path = inbox.filePath(QLatin1String(name));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

    QTemporaryDir dir;
    QTemporaryDir inbox;
    CatalogPaths paths;
    QList<FolderRecord> folders;
};

} // namespace

class TestCatalogBookmarks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void treeOfFolders_data();
    void treeOfFolders();
    void exportedCatalogImportsTheSame_data();
    void exportedCatalogImportsTheSame();
    void importAddsFoldersWithNewContentsFiles();
    void importedProgramsAreLeftOutUnlessKept_data();
    void importedProgramsAreLeftOutUnlessKept();
    void refusedImportsChangeNothing_data();
    void refusedImportsChangeNothing();
    void writeFailuresChangeNothing_data();
    void writeFailuresChangeNothing();
    void treeWriteFailureKeepsTheOldTree();
    void planNamesFilesLowestFirst();
    void importFolderName_data();
    void importFolderName();
};

void TestCatalogBookmarks::treeOfFolders_data()
{
    QTest::addColumn<std::optional<qsizetype>>("first");
    QTest::addColumn<BookmarkFolder>("expected");

    const BookmarkFolder a = folder("A", {urlEntry("cat0.lsf", "")},
                                    {folder("B", {urlEntry("cat1.lsf", "")}, {folder("C", {})}),
                                     folder("D", {urlEntry("cat3.lsf", "")})});
    const BookmarkFolder e = folder("E", {urlEntry("cat4.lsf", "")});
    QTest::newRow("all folders") << std::optional<qsizetype>() << folder({}, {}, {a, e});
    QTest::newRow("a top-level folder with its subfolders")
        << std::optional<qsizetype>(0) << folder({}, {}, {a});
    QTest::newRow("a subfolder with its own")
        << std::optional<qsizetype>(1) << folder({}, {}, {a.subfolders[0]});
    QTest::newRow("a folder without a record")
        << std::optional<qsizetype>(2) << folder({}, {}, {folder("C", {})});
    QTest::newRow("the last folder") << std::optional<qsizetype>(4) << folder({}, {}, {e});
    QTest::newRow("no such folder") << std::optional<qsizetype>(5) << folder({}, {});
}

void TestCatalogBookmarks::treeOfFolders()
{
    QFETCH(std::optional<qsizetype>, first);
    QFETCH(BookmarkFolder, expected);
    const QList<FolderRecord> folders{record(0, "A", "cat0.lsf"), record(1, "B", "cat1.lsf"),
                                      record(2, "C", nullptr), record(1, "D", "cat3.lsf"),
                                      record(0, "E", "cat4.lsf")};
    const BookmarkFolder tree = bookmarkTreeOfFolders(
        folders, first, [](const MTree &r) { return QList<MFile>{urlEntry(r.FileName, "")}; });
    QCOMPARE(dump(tree), dump(expected));
}

void TestCatalogBookmarks::exportedCatalogImportsTheSame_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<std::optional<qsizetype>>("first");
    QTest::newRow("whole catalog, HTML") << QStringLiteral("all.html") << std::optional<qsizetype>();
    QTest::newRow("whole catalog, XBEL") << QStringLiteral("all.xbel") << std::optional<qsizetype>();
    QTest::newRow("one folder, HTML") << QStringLiteral("work.htm") << std::optional<qsizetype>(1);
    QTest::newRow("one folder, XBEL") << QStringLiteral("work.xml") << std::optional<qsizetype>(1);
}

void TestCatalogBookmarks::exportedCatalogImportsTheSame()
{
    QFETCH(QString, fileName);
    QFETCH(std::optional<qsizetype>, first);
    SmallCatalog catalog;
    const BookmarkFolder tree = catalogBookmarkTree(catalog.paths, catalog.folders, first);
    QCOMPARE(tree.subfolders.size(), 1 + !first);
    QCOMPARE(tree.subfolders.last().name, QByteArray("Work"));
    QCOMPARE(tree.subfolders.last().entries,
             QList<MFile>{fileEntry("/w/plan.odt", "Plan", "/usr/bin/office")});

    const QString path = catalog.inbox.filePath(fileName);
    QVERIFY(exportBookmarkFile(path, tree));
    const QByteArray written = readFile(path);
    QCOMPARE(detectBookmarkFormat(written), bookmarkFormatForFileName(fileName));
    const BookmarkReadResult read = readBookmarkFile(path);
    QVERIFY2(read, qPrintable(read.error));
    QCOMPARE(dump(*read.root), dump(tree));
}

void TestCatalogBookmarks::importAddsFoldersWithNewContentsFiles()
{
    SmallCatalog catalog;
    const QString file = catalog.bookmarkFile("chromium.html", fixture("chromium.html"));
    const BookmarkFolder expected = *parseBookmarks(fixture("chromium.html")).root;

    const CatalogImportResult result = importBookmarksIntoCatalog(catalog.paths, file);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.entryCount, 6);
    QCOMPARE(result.folderCount, 6);

    // Appended at the end of the top level, lowest free names first, states kept.
    QCOMPARE(readFile(catalog.paths.TreeFilePath),
             QByteArray("Hot Files\r\nWork\r\n\tOld\r\nchromium\r\n\tBookmarks bar\r\n\t\tNews & Blogs\r\n"
                        "\t\t\tDeep\r\n\t\t\t\tDeeper\r\n\tMobile bookmarks\r\n"));
    QCOMPARE(
        readFile(catalog.paths.ITreeFilePath),
        QByteArray(
            "cat0.lsf\r\ncat2.lsf\r\nNULL\r\ncat1.lsf\r\ncat3.lsf\r\ncat4.lsf\r\ncat5.lsf\r\ncat6.lsf\r\n"
            "cat7.lsf\r\n"));
    QCOMPARE(readFile(catalog.paths.ETreeFilePath), QByteArray("\x02\x01\x00\x00\x00\x00\x00\x00\x00", 9));

    const auto contents = [&](const char *name) {
        return readContentsFile(catalog.paths.ContentsFilePath(MTree{name}).value()).entries;
    };
    QCOMPARE(contents("cat1.lsf"), expected.entries);
    QCOMPARE(contents("cat3.lsf"), expected.subfolders[0].entries);
    QCOMPARE(contents("cat4.lsf"), expected.subfolders[0].subfolders[0].entries);
    QCOMPARE(contents("cat5.lsf"), QList<MFile>());
    QCOMPARE(contents("cat6.lsf"), expected.subfolders[0].subfolders[0].subfolders[0].subfolders[0].entries);
    QCOMPARE(readFile(catalog.paths.ContentsFilePath(MTree{"cat7.lsf"}).value()), emptyContents());
    // The old folders' files are as they were.
    QCOMPARE(contents("cat2.lsf"), QList<MFile>{fileEntry("/w/plan.odt", "Plan", "/usr/bin/office")});
}

void TestCatalogBookmarks::importedProgramsAreLeftOutUnlessKept_data()
{
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("program");
    QTest::newRow("HTML PROGRAM attribute")
        << QByteArray("programs.html") << QByteArray("-cimport os;os.system('touch /tmp/linkshelf-owned')")
        << QByteArray("/usr/bin/python3");
    QTest::newRow("XBEL application")
        << QByteArray("programs.xbel") << QByteArray("/home/user/Downloads/cats.py") << QByteArray("python3");
}

void TestCatalogBookmarks::importedProgramsAreLeftOutUnlessKept()
{
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, program);

    const QList<BookmarkWithProgram> found = bookmarksWithPrograms(*parseBookmarks(fixture(fileName)).root);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].folders, QList<QByteArray>{"Pets"});
    QCOMPARE(found[0].entry.Path, path);
    QCOMPARE(found[0].entry.Program, program);

    for (const bool keep : {false, true}) {
        SmallCatalog catalog;
        const QString file = catalog.bookmarkFile(fileName.constData(), fixture(fileName));
        const CatalogImportResult result =
            keep ? importBookmarksIntoCatalog(catalog.paths, file, ImportedPrograms::Keep)
                 : importBookmarksIntoCatalog(catalog.paths, file);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.entryCount, 2);
        QCOMPARE(result.programsDropped, keep ? 0 : 1);
        const BookmarkFolder imported =
            catalogBookmarkTree(catalog.paths, loadFolderTree(catalog.paths).folders).subfolders.last();
        const MFile cats = imported.subfolders.value(0).entries.value(0);
        QCOMPARE(cats.Path, path); // the entry stays; only its program may go
        QCOMPARE(cats.Program, keep ? program : QByteArray());
    }
}

void TestCatalogBookmarks::refusedImportsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // Folders added to the catalog first, to use up names; -1: the index then gains a line, as
    // when a sync tool has brought another machine's index and not yet its tree.
    QTest::addColumn<int>("extraFolders");
    QTest::addColumn<QString>("error");

    // The file's own refusals are the reader's; one stands for them all here.
    const QByteArray kde = fixture("kde-bookmarks.xml");
    QTest::newRow("XBEL cut short") << kde.left(kde.size() - 30) << 0
                                    << QStringLiteral("Premature end of document");
    // 3 + 1995 folders hold 1,997 of the 2,000 names; the file needs 1 + 5 folders.
    QTest::newRow("contents file names run out")
        << fixture("firefox.html") << 1995
        << QStringLiteral("The bookmarks need 6 new folders, but the catalog has room for only 3 more "
                          "(it keeps at most 2000 folders). Nothing was imported.");
    QTest::newRow("tree files half-arrived")
        << fixture("firefox.html") << -1 << QStringLiteral("do not agree with each other");
}

void TestCatalogBookmarks::refusedImportsChangeNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, extraFolders);
    QFETCH(QString, error);
    SmallCatalog catalog;
    QList<FolderRecord> folders = catalog.folders;
    for (int i = 0; i < extraFolders; ++i)
        folders.append(FolderRecord{0, "F" + QByteArray::number(i),
                                    MTree{"cat" + QByteArray::number(i + 3) + ".lsf"}, false, false});
    QVERIFY(saveFolderTree(catalog.paths, folders));
    if (extraFolders < 0) {
        QFile index(catalog.paths.ITreeFilePath);
        QVERIFY(index.open(QIODevice::Append));
        index.write("cat9.lsf\r\n");
    }
    const QMap<QString, QByteArray> before = snapshot(catalog.dir.path());

    const CatalogImportResult result =
        importBookmarksIntoCatalog(catalog.paths, catalog.bookmarkFile("bookmarks.html", bytes));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(error), qPrintable(result.error));
    QCOMPARE(snapshot(catalog.dir.path()), before);
}

void TestCatalogBookmarks::writeFailuresChangeNothing_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("nth");
    // The Firefox file makes six contents files; each is created, written and committed once.
    QTest::newRow("the first contents file cannot be created") << Fault::Create << 1;
    QTest::newRow("the last contents file cannot be created") << Fault::Create << 6;
    QTest::newRow("a write fails") << Fault::Write << 3;
    QTest::newRow("the disk is full") << Fault::FullDisk << 1;
    QTest::newRow("a sync fails") << Fault::Commit << 4;
    QTest::newRow("the first rename fails") << Fault::Rename << 1;
    QTest::newRow("a rename fails after others were done") << Fault::Rename << 4;
}

void TestCatalogBookmarks::writeFailuresChangeNothing()
{
    QFETCH(Fault, fault);
    QFETCH(int, nth);
    SmallCatalog catalog;
    const QString file = catalog.bookmarkFile("firefox.html", fixture("firefox.html"));
    const QMap<QString, QByteArray> before = snapshot(catalog.dir.path());

    FailingFileWriter writer;
    writer.failFrom(fault, nth);
    CatalogImportResult result;
    {
        const FileWriterOverride override(writer);
        result = importBookmarksIntoCatalog(catalog.paths, file);
    }
    QVERIFY(!result.ok);
    QVERIFY(writer.failures() > 0);
    QVERIFY2(result.error.contains(FailingFileWriter::reasonFor(fault)), qPrintable(result.error));
    QCOMPARE(snapshot(catalog.dir.path()).keys(), before.keys());
    QCOMPARE(snapshot(catalog.dir.path()), before);

    // The same import succeeds once the disk does.
    QVERIFY(importBookmarksIntoCatalog(catalog.paths, file).ok);
    QCOMPARE(loadFolderTree(catalog.paths).folders.size(), catalog.folders.size() + 6);
}

void TestCatalogBookmarks::treeWriteFailureKeepsTheOldTree()
{
    SmallCatalog catalog;
    const QString file = catalog.bookmarkFile("firefox.html", fixture("firefox.html"));
    const QByteArray tree = readFile(catalog.paths.TreeFilePath);
    FailingFileWriter writer;
    writer.failFrom(Fault::Create, 7); // past the six contents files: the first tree file
    {
        const FileWriterOverride override(writer);
        QVERIFY(!importBookmarksIntoCatalog(catalog.paths, file).ok);
    }
    QCOMPARE(readFile(catalog.paths.TreeFilePath), tree);
    QCOMPARE(loadFolderTree(catalog.paths).folders, catalog.folders);
}

void TestCatalogBookmarks::planNamesFilesLowestFirst()
{
    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    const BookmarkFolder imported = folder({}, {urlEntry("u", "t")}, {folder("A", {}, {folder("B", {})})});
    const BookmarkPlanResult planned =
        planBookmarkImport(paths, {"cat0.lsf", "cat2.lsf", "other.lsf", "cat4.lsf"}, imported, "Top");
    QVERIFY(planned.plan);
    QCOMPARE(planned.plan->folders,
             (QList<FolderRecord>{record(0, "Top", "cat1.lsf"), record(1, "A", "cat3.lsf"),
                                  record(2, "B", "cat5.lsf")}));
    QCOMPARE(planned.plan->contentsFiles.size(), 3);
    QCOMPARE(planned.plan->contentsFiles[0].path, dir.filePath(QStringLiteral("cat1.lsf")));
    QCOMPARE(planned.plan->contentsFiles[0].bytes, serializeContents({urlEntry("u", "t")}));
    QCOMPARE(planned.plan->entryCount, 1);
    // Nothing is written by planning.
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestCatalogBookmarks::importFolderName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("extension dropped") << QStringLiteral("/x/bookmarks.html") << QStringLiteral("bookmarks");
    QTest::newRow("last extension only")
        << QStringLiteral("/x/my.places.xbel") << QStringLiteral("my.places");
    QTest::newRow("no extension") << QStringLiteral("/x/places") << QStringLiteral("places");
    QTest::newRow("made a folder name")
        << QStringLiteral("/x/ \tspaced\nout.html") << QStringLiteral("spaced out");
    QTest::newRow("nothing left") << QStringLiteral("/x/.html") << QStringLiteral("Imported bookmarks");
    QTest::newRow("no name left") << QStringLiteral("/x/\n.html") << QStringLiteral("Imported bookmarks");
}

void TestCatalogBookmarks::importFolderName()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(::importFolderName(path), name);
}

LINKSHELF_TEST_CORE_MAIN(TestCatalogBookmarks)
#include "tst_catalogbookmarks.moc"
