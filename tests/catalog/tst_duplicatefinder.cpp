// SPDX-License-Identifier: GPL-3.0-or-later
// Duplicates: URL normalising, groups within a folder and across the catalog, and deleting
// chosen entries from several contents files, the shown folder through the window only.
#include "catalogbuilder.h"
#include "duplicatefinder.h"
#include "entrymakers.h"
#include "entryremoval.h"
#include "failingfilewriter.h"
#include "testenvironment.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// "folder:entry" of each member, groups separated by "|".
QString describe(const QList<DuplicateGroup> &groups)
{
    QStringList parts;
    for (const DuplicateGroup &group : groups) {
        QStringList members;
        for (const CatalogEntryRef &ref : group.entries)
            members.append(ref.folderPath + u':' + QString::number(ref.entryIndex));
        parts.append(members.join(u' '));
    }
    return parts.join(QStringLiteral(" | "));
}

} // namespace

class TestDuplicateFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void urlsNormalised_data();
    void urlsNormalised();
    void sameEntries_data();
    void sameEntries();
    void groupsByScope();
    void keptCopyCarriesTheMost_data();
    void keptCopyCarriesTheMost();
    void groupsOnGeneratedCatalog();
    void removesFromSeveralFiles();
    void shownFolderGoesThroughTheWindow();
    void changedFilesAreNotGuessed();
    void failedWriteChangesNothing();
    void damagedFileKeptBeforeRewrite();
};

void TestDuplicateFinder::urlsNormalised_data()
{
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("normalised");

    QTest::newRow("scheme and host case, trailing slash")
        << QByteArray("HTTP://Example.COM/a/") << QByteArray("http://example.com/a");
    QTest::newRow("root slash") << QByteArray("https://Example.com/") << QByteArray("https://example.com");
    QTest::newRow("no path") << QByteArray("https://example.com") << QByteArray("https://example.com");
    QTest::newRow("path case kept") << QByteArray("http://a.org/Docs/Index.HTML")
                                    << QByteArray("http://a.org/Docs/Index.HTML");
    QTest::newRow("slash before query")
        << QByteArray("http://A.org/p/?Q=1") << QByteArray("http://a.org/p?Q=1");
    QTest::newRow("slash before fragment")
        << QByteArray("http://a.org/p/#Top") << QByteArray("http://a.org/p#Top");
    QTest::newRow("slash inside query kept")
        << QByteArray("http://a.org/p?next=/") << QByteArray("http://a.org/p?next=/");
    QTest::newRow("user name case kept")
        << QByteArray("FTP://Bob:PW@Files.Example.org/x/") << QByteArray("ftp://Bob:PW@files.example.org/x");
    QTest::newRow("port") << QByteArray("http://Host:8080/") << QByteArray("http://host:8080");
    QTest::newRow("only one slash dropped")
        << QByteArray("http://a.org/p//") << QByteArray("http://a.org/p/");
    QTest::newRow("no scheme: bytes kept") << QByteArray("www.Example.com/") << QByteArray("www.Example.com");
    QTest::newRow("not a scheme") << QByteArray("1x://Host/") << QByteArray("1x://Host");
    QTest::newRow("mailto kept") << QByteArray("mailto:Bob@Example.com")
                                 << QByteArray("mailto:Bob@Example.com");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("8-bit host bytes kept")
        << QByteArray("http://Caf\xc3\x89.fr/") << QByteArray("http://caf\xc3\x89.fr");
}

void TestDuplicateFinder::urlsNormalised()
{
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, normalised);
    QCOMPARE(normalizedUrl(url), normalised);
}

void TestDuplicateFinder::sameEntries_data()
{
    QTest::addColumn<MFile>("a");
    QTest::addColumn<MFile>("b");
    QTest::addColumn<bool>("same");

    QTest::newRow("equal file paths") << fileEntry("/a/b.txt", "one") << fileEntry("/a/b.txt", "two") << true;
    QTest::newRow("file path case differs") << fileEntry("/a/B.txt") << fileEntry("/a/b.txt") << false;
    QTest::newRow("file trailing slash differs") << fileEntry("/a/dir/") << fileEntry("/a/dir") << false;
    QTest::newRow("urls equal after normalising")
        << urlEntry("HTTP://Example.COM/a/") << urlEntry("http://example.com/a") << true;
    QTest::newRow("url kinds 1 and 2")
        << urlEntry("http://x.org") << MFile{2, "http://X.org/", {}, {}} << true;
    QTest::newRow("url path case differs")
        << urlEntry("http://x.org/A") << urlEntry("http://x.org/a") << false;
    QTest::newRow("file and url with same text")
        << fileEntry("http://x.org") << urlEntry("http://x.org") << false;
    QTest::newRow("programs do not matter")
        << MFile{1, "http://x.org", "a", {}} << MFile{1, "http://x.org", "b", {}} << true;
}

void TestDuplicateFinder::sameEntries()
{
    QFETCH(MFile, a);
    QFETCH(MFile, b);
    QFETCH(bool, same);
    QCOMPARE(duplicateKey(a) == duplicateKey(b), same);
    const QList<FolderEntries> folder{{{0, QStringLiteral("F"), "cat0.lsf"}, {a, b}}};
    QCOMPARE(findDuplicates(folder, DuplicateScope::WithinFolder).size(), same ? 1 : 0);
}

void TestDuplicateFinder::groupsByScope()
{
    const QList<FolderEntries> folders{
        {{0, QStringLiteral("A"), "cat0.lsf"},
         {urlEntry("http://x.org/"), fileEntry("/f"), urlEntry("HTTP://X.ORG"), fileEntry("/g"),
          urlEntry("http://x.org")}},
        {{2, QStringLiteral("A/B/C"), "cat2.lsf"}, {fileEntry("/g"), fileEntry("/f"), fileEntry("/f")}},
        {{3, QStringLiteral("D"), "cat3.lsf"}, {urlEntry("http://x.org/"), fileEntry("/h")}},
    };
    QCOMPARE(describe(findDuplicates(folders, DuplicateScope::WithinFolder)),
             QStringLiteral("A:0 A:2 A:4 | A/B/C:1 A/B/C:2"));
    QCOMPARE(describe(findDuplicates(folders, DuplicateScope::Catalog)),
             QStringLiteral("A:0 A:2 A:4 D:0 | A:1 A/B/C:1 A/B/C:2 | A:3 A/B/C:0"));
    QVERIFY(findDuplicates({}, DuplicateScope::Catalog).isEmpty());
}

void TestDuplicateFinder::keptCopyCarriesTheMost_data()
{
    QTest::addColumn<QList<MFile>>("copies");
    QTest::addColumn<int>("kept");
    const MFile bare = fileEntry("/f");
    const MFile described = fileEntry("/f", "notes");
    const MFile withProgram{MFile::FileKind, "/f", "/usr/bin/view", {}};
    const MFile both{MFile::FileKind, "/f", "/usr/bin/view", "notes"};
    QTest::newRow("all bare: the first") << QList<MFile>{bare, bare, bare} << 0;
    QTest::newRow("a description beats none") << QList<MFile>{bare, described} << 1;
    QTest::newRow("a program beats none") << QList<MFile>{bare, bare, withProgram} << 2;
    QTest::newRow("both beat either") << QList<MFile>{described, both, withProgram} << 1;
    QTest::newRow("then the longer texts") << QList<MFile>{described, fileEntry("/f", "more notes")} << 1;
    QTest::newRow("equals: the first") << QList<MFile>{bare, described, described} << 1;
}

void TestDuplicateFinder::keptCopyCarriesTheMost()
{
    QFETCH(QList<MFile>, copies);
    QFETCH(int, kept);
    const QList<DuplicateGroup> groups =
        findDuplicates({{{0, QStringLiteral("F"), "cat0.lsf"}, copies}}, DuplicateScope::WithinFolder);
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups[0].kept, kept);
}

void TestDuplicateFinder::groupsOnGeneratedCatalog()
{
    // Checked against counting keys the plain way: every key seen n > 1 times is one group
    // of n, listed in the order of first sight.
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    for (int i = 0; i < 25; ++i)
        catalog.addFolder(i % 2, "F" + QByteArray::number(i), generatedEntries(200, i));
    catalog.save();
    QList<FolderEntries> folders = readCatalogEntries(catalog.paths, catalog.catalog());
    QCOMPARE(folders.size(), 25);
    // File paths carry their entry's number, so make some repeat across folders.
    folders[3].entries.append(folders[1].entries.mid(0, 5));
    const QList<DuplicateGroup> groups = findDuplicates(folders, DuplicateScope::Catalog);

    QHash<QByteArray, int> counts;
    QList<QByteArray> order;
    for (const FolderEntries &folder : folders)
        for (const MFile &file : folder.entries)
            if (counts[duplicateKey(file)]++ == 0)
                order.append(duplicateKey(file));
    QList<int> expected;
    for (const QByteArray &key : order)
        if (counts[key] > 1)
            expected.append(counts[key]);
    QList<int> found;
    for (const DuplicateGroup &group : groups) {
        found.append(int(group.entries.size()));
        for (const CatalogEntryRef &ref : group.entries) {
            QCOMPARE(duplicateKey(ref.file), duplicateKey(group.entries.first().file));
            QCOMPARE(folders[ref.folderIndex].entries[ref.entryIndex], ref.file);
        }
    }
    QCOMPARE(found, expected);
    QVERIFY(groups.size() > 10);
}

void TestDuplicateFinder::removesFromSeveralFiles()
{
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    catalog.addFolder(0, "A", {fileEntry("/1"), fileEntry("/2"), fileEntry("/1"), fileEntry("/3")});
    catalog.addFolder(0, "B", {urlEntry("http://x.org"), fileEntry("/1")});
    catalog.addFolder(0, "C", {fileEntry("/9")});
    catalog.save();
    const QByteArray untouched =
        QFile(catalog.paths.ContentsFilePath(*catalog.folders[2].Record).value()).exists() ? "" : "x";
    QCOMPARE(untouched, QByteArray());

    const QList<DuplicateGroup> groups =
        findDuplicates(readCatalogEntries(catalog.paths, catalog.catalog()), DuplicateScope::Catalog);
    QCOMPARE(groups.size(), 1);
    const EntryRemovalResult result = removeCatalogEntries(catalog.paths, groups[0].entries.mid(1), {});
    QVERIFY(result.save.ok);
    QCOMPARE(result.removed, 2);
    QVERIFY(result.notFound.isEmpty());
    QCOMPARE(catalog.contents(0), QList<MFile>({fileEntry("/1"), fileEntry("/2"), fileEntry("/3")}));
    QCOMPARE(catalog.contents(1), QList<MFile>({urlEntry("http://x.org")}));
    QCOMPARE(catalog.contents(2), QList<MFile>({fileEntry("/9")}));
}

void TestDuplicateFinder::shownFolderGoesThroughTheWindow()
{
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    catalog.addFolder(0, "A", {fileEntry("/1"), fileEntry("/1")});
    catalog.addFolder(0, "Shown", {fileEntry("/1"), fileEntry("/2")});
    catalog.save();
    const QString shownFile = catalog.paths.ContentsFilePath(*catalog.folders[1].Record).value();
    QFile file(shownFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray shownBytes = file.readAll();

    QList<QList<MFile>> askedOfWindow;
    EntryRemovalHooks hooks;
    hooks.shownContentsFileName = catalog.folders[1].Record->FileName;
    hooks.removeFromShown = [&](const QList<MFile> &entries) {
        askedOfWindow.append(entries);
        return QList<qsizetype>{}; // the window found all of them
    };
    const QList<DuplicateGroup> groups =
        findDuplicates(readCatalogEntries(catalog.paths, catalog.catalog()), DuplicateScope::Catalog);
    const EntryRemovalResult result = removeCatalogEntries(catalog.paths, groups[0].entries.mid(1), hooks);
    QVERIFY(result.save.ok);
    QCOMPARE(result.removed, 2);
    QCOMPARE(askedOfWindow, QList<QList<MFile>>({{fileEntry("/1")}}));
    QCOMPARE(catalog.contents(0), QList<MFile>({fileEntry("/1")}));
    file.seek(0);
    QCOMPARE(file.readAll(), shownBytes); // the window writes its own file
}

void TestDuplicateFinder::changedFilesAreNotGuessed()
{
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    catalog.addFolder(0, "A",
                      {fileEntry("/1", "a"), fileEntry("/2"), fileEntry("/1", "b"), fileEntry("/1", "a")});
    catalog.save();
    const QList<FolderEntries> read = readCatalogEntries(catalog.paths, catalog.catalog());
    const CatalogEntryRef secondCopy{0, QStringLiteral("A"), catalog.folders[0].Record->FileName, 2,
                                     fileEntry("/1", "b")};
    const CatalogEntryRef thirdCopy{0, QStringLiteral("A"), catalog.folders[0].Record->FileName, 3,
                                    fileEntry("/1", "a")};
    QCOMPARE(read[0].entries[2], secondCopy.file);

    // Since the search, another command put an entry in front: the records are found where
    // they moved; a record that is gone is reported, not replaced by a look-alike.
    QVERIFY(writeContentsFile(catalog.paths.ContentsFilePath(*catalog.folders[0].Record).value(),
                              serializeContents({fileEntry("/0"), fileEntry("/1", "a"), fileEntry("/2"),
                                                 fileEntry("/1", "b")}))
                .ok);
    const EntryRemovalResult result = removeCatalogEntries(catalog.paths, {secondCopy, thirdCopy}, {});
    QCOMPARE(result.removed, 2);
    QCOMPARE(catalog.contents(0), QList<MFile>({fileEntry("/0"), fileEntry("/2")}));
    const EntryRemovalResult again = removeCatalogEntries(catalog.paths, {secondCopy}, {});
    QCOMPARE(again.removed, 0);
    QCOMPARE(again.notFound, QList<CatalogEntryRef>({secondCopy}));

    // The choice itself: recorded positions win, then the first equal entry left.
    const QList<MFile> entries{fileEntry("/x"), fileEntry("/x"), fileEntry("/y"), fileEntry("/x")};
    QList<qsizetype> missing;
    QCOMPARE(positionsToRemove(entries, {{3, fileEntry("/x")}, {-1, fileEntry("/x")}, {2, fileEntry("/x")}},
                               &missing),
             QList<qsizetype>({0, 1, 3}));
    QVERIFY(missing.isEmpty());
    QCOMPARE(positionsToRemove(entries, {{2, fileEntry("/y")}, {0, fileEntry("/y")}}, &missing),
             QList<qsizetype>({2}));
    QCOMPARE(missing, QList<qsizetype>({1}));
}

void TestDuplicateFinder::failedWriteChangesNothing()
{
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    catalog.addFolder(0, "A", {fileEntry("/1"), fileEntry("/1")});
    catalog.addFolder(0, "B", {fileEntry("/2"), fileEntry("/2")});
    catalog.addFolder(0, "Shown", {fileEntry("/3"), fileEntry("/3")});
    catalog.save();
    const QList<DuplicateGroup> groups =
        findDuplicates(readCatalogEntries(catalog.paths, catalog.catalog()), DuplicateScope::WithinFolder);
    QCOMPARE(groups.size(), 3);
    QList<CatalogEntryRef> extra;
    for (const DuplicateGroup &group : groups)
        extra.append(group.entries.mid(1));

    bool windowAsked = false;
    EntryRemovalHooks hooks;
    hooks.shownContentsFileName = catalog.folders[2].Record->FileName;
    hooks.removeFromShown = [&](const QList<MFile> &) {
        windowAsked = true;
        return QList<qsizetype>{};
    };
    FailingFileWriter writer;
    FileWriterOverride override(writer);
    writer.failFrom(FailingFileWriter::Fault::Write, 2); // the second file cannot be written
    const EntryRemovalResult result = removeCatalogEntries(catalog.paths, extra, hooks);
    QVERIFY(!result.save.ok);
    QVERIFY(!result.save.errorString.isEmpty());
    QCOMPARE(result.removed, 0);
    QVERIFY(!windowAsked);
    QCOMPARE(catalog.contents(0).size(), 2);
    QCOMPARE(catalog.contents(1).size(), 2);
}

void TestDuplicateFinder::damagedFileKeptBeforeRewrite()
{
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    catalog.addFolder(0, "A", {fileEntry("/1"), fileEntry("/1"), fileEntry("/2")});
    catalog.save();
    const QString path = catalog.paths.ContentsFilePath(*catalog.folders[0].Record).value();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.resize(file.size() - 2); // the last entry runs past the end
    file.close();

    QStringList kept;
    QList<qint64> sizesSeen;
    bool copyMade = false; // a copy that cannot be made leaves the file as it is
    EntryRemovalHooks hooks;
    hooks.beforeRewritingDamaged = [&](const QString &damaged) {
        kept.append(damaged);
        sizesSeen.append(QFileInfo(damaged).size());
        return copyMade;
    };
    const QList<DuplicateGroup> groups =
        findDuplicates(readCatalogEntries(catalog.paths, catalog.catalog()), DuplicateScope::WithinFolder);
    QCOMPARE(groups.size(), 1);
    const qint64 damagedSize = 4 + 3 * 16 + 6 - 2;
    const EntryRemovalResult refused = removeCatalogEntries(catalog.paths, groups[0].entries.mid(1), hooks);
    QCOMPARE(refused.removed, 0);
    QCOMPARE(refused.notFound.size(), 1);
    QCOMPARE(QFileInfo(path).size(), damagedSize);
    copyMade = true;
    QCOMPARE(removeCatalogEntries(catalog.paths, groups[0].entries.mid(1), hooks).removed, 1);
    QCOMPARE(kept, QStringList({path, path}));
    QCOMPARE(sizesSeen, QList<qint64>({damagedSize, damagedSize})); // still the damaged original
    QCOMPARE(catalog.contents(0), QList<MFile>({fileEntry("/1")}));
}

LINKSHELF_TEST_CORE_MAIN(TestDuplicateFinder)
#include "tst_duplicatefinder.moc"
