// SPDX-License-Identifier: GPL-3.0-or-later
// Finding entries in every folder: the matching rules, the search over generated catalogs
// checked against a plain reference, batches, cancelling, and the worker-thread search.
#include "catalogbuilder.h"
#include "catalogsearch.h"
#include "entrymakers.h"
#include "testenvironment.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What the user means by a match, written the slow and obvious way.
bool referenceMatch(const MFile &file, const QString &query)
{
    QString caption = QString::fromLocal8Bit(file.Path);
    if (!file.isUrl())
        caption = caption.mid(std::max(caption.lastIndexOf(u'/'), caption.lastIndexOf(u'\\')) + 1);
    for (const QString &text :
         {caption, QString::fromLocal8Bit(file.Path), QString::fromLocal8Bit(file.Description)})
        if (text.contains(query, Qt::CaseInsensitive))
            return true;
    return false;
}

QList<CatalogEntryRef> referenceSearch(const CatalogBuilder &catalog, const QString &query)
{
    QList<CatalogEntryRef> hits;
    for (const CatalogFolder &folder : catalog.catalog()) {
        const QList<MFile> entries =
            readContentsFile(catalog.paths.ContentsFilePath(MTree{folder.contentsFileName}).value()).entries;
        for (qsizetype i = 0; i < entries.size(); ++i)
            if (referenceMatch(entries[i], query))
                hits.append({folder.index, folder.path, folder.contentsFileName, int(i), entries[i]});
    }
    return hits;
}

} // namespace

class TestCatalogSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void folderPaths();
    void queryMatches_data();
    void queryMatches();
    void queryInTheCatalogsCodePage();
    void searchMatchesReference_data();
    void searchMatchesReference();
    void batchesAndProgress();
    void cancelledSearchStops();
    void newSearchDropsOldResults();
};

void TestCatalogSearch::folderPaths()
{
    const QList<FolderRecord> folders{
        {0, "Work", MTree{"cat0.lsf"}}, {1, "Clients", std::nullopt},
        {2, "Acme", MTree{"cat2.lsf"}}, {1, "Notes", MTree{"cat3.lsf"}},
        {0, "Home", MTree{"cat4.lsf"}}, {1, "Caf\xc3\xa9", MTree{"cat5.lsf"}},
    };
    const QList<CatalogFolder> catalog = catalogFolders(folders, TextEncoding());
    QStringList seen;
    for (const CatalogFolder &folder : catalog)
        seen.append(QString::number(folder.index) + u'=' + folder.path + u'=' +
                    QString::fromLatin1(folder.contentsFileName));
    // The folder without a record is left out, still counts in the index and names the path.
    QCOMPARE(seen,
             QStringList({QStringLiteral("0=Work=cat0.lsf"), QStringLiteral("2=Work/Clients/Acme=cat2.lsf"),
                          QStringLiteral("3=Work/Notes=cat3.lsf"), QStringLiteral("4=Home=cat4.lsf"),
                          QStringLiteral("5=Home/Caf\u00e9=cat5.lsf")}));
}

void TestCatalogSearch::queryMatches_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<MFile>("entry");
    QTest::addColumn<bool>("matches");

    QTest::newRow("name, other case") << QStringLiteral("REPORT") << fileEntry("/home/u/Report.pdf") << true;
    QTest::newRow("folder part of the path")
        << QStringLiteral("home/u") << fileEntry("/HOME/U/a.txt") << true;
    QTest::newRow("windows path") << QStringLiteral("c:\\data") << fileEntry("C:\\Data\\x.doc") << true;
    QTest::newRow("url host") << QStringLiteral("example.com") << urlEntry("https://WWW.Example.COM/")
                              << true;
    QTest::newRow("description") << QStringLiteral("budget") << fileEntry("/a", "Yearly BUDGET\r\nline")
                                 << true;
    QTest::newRow("across description lines")
        << QStringLiteral("budget\r\nline") << fileEntry("/a", "Budget\r\nLine") << true;
    QTest::newRow("absent") << QStringLiteral("zebra") << fileEntry("/zoo/lion", "big cat") << false;
    QTest::newRow("query longer than text") << QStringLiteral("abcdef") << fileEntry("abc") << false;
    QTest::newRow("match ending the text, past eight-byte steps")
        << QStringLiteral("PDF") << fileEntry("/home/user/reports/2024.pdf") << true;
    // Only letters fold: "[" and "{" differ by the same bit as "A" and "a".
    QTest::newRow("punctuation keeps its case") << QStringLiteral("[x]") << fileEntry("/a/{x}") << false;
    QTest::newRow("program is not searched")
        << QStringLiteral("firefox") << MFile{1, "http://a", "firefox", {}} << false;
    QTest::newRow("non-ASCII, other case")
        << QStringLiteral("\u00c9T\u00c9") << fileEntry("/x/\xc3\xa9t\xc3\xa9.jpg") << true;
    QTest::newRow("non-ASCII in description") << QStringLiteral("stra\u00dfe")
                                              << fileEntry("/a", "STRA\xc3\x9f"
                                                                 "E")
                                              << true;
    // The Kelvin sign folds to an ASCII "k", so a text of ASCII alone can still match it.
    QTest::newRow("non-ASCII query, ASCII text") << QStringLiteral("\u212a") << fileEntry("/x/kilo") << true;
    QTest::newRow("non-ASCII absent") << QStringLiteral("\u00e9t\u00e9") << fileEntry("/x/ete.jpg") << false;
    // Bytes above 0x7f never fold into ASCII letters on the byte path.
    QTest::newRow("ASCII query, 8-bit text") << QStringLiteral("a") << fileEntry("\xc1\xe1") << false;
    QTest::newRow("empty query") << QString() << fileEntry("/anything") << true;
}

void TestCatalogSearch::queryMatches()
{
    QFETCH(QString, query);
    QFETCH(MFile, entry);
    QFETCH(bool, matches);
    QCOMPARE(EntryQuery(query).matches(entry), matches);
    if (!query.isEmpty())
        QCOMPARE(referenceMatch(entry, query), matches); // the table itself means what it says
}

// Texts are matched as the catalog's encoding reads them: a Cyrillic query finds windows-1251
// text, and in windows-31j an ASCII letter never matches the second byte of a letter ("ソ" is
// 0x83 0x5C, "フ" 0x83 0x74: "t").
void TestCatalogSearch::queryInTheCatalogsCodePage()
{
    const TextEncoding cyrillic = *TextEncoding::named(QStringLiteral("windows-1251"));
    QVERIFY(EntryQuery(QStringLiteral("отчёт"), cyrillic).matches(fileEntry("C:\\\xce\xf2\xf7\xb8\xf2.txt")));
    const TextEncoding japanese = *TextEncoding::named(QStringLiteral("windows-31j"));
    const MFile soft = fileEntry("/x/\x83\x5c\x83\x74\x83\x67");
    QVERIFY(!EntryQuery(QStringLiteral("t"), japanese).matches(soft));
    QVERIFY(EntryQuery(QStringLiteral("フト"), japanese).matches(soft));
}

void TestCatalogSearch::searchMatchesReference_data()
{
    QTest::addColumn<QString>("query");
    QTest::newRow("common word") << QStringLiteral("report");
    QTest::newRow("mixed case") << QStringLiteral("InVoIcE");
    QTest::newRow("url part") << QStringLiteral("s://www.b");
    QTest::newRow("description line") << QStringLiteral("second line h");
    QTest::newRow("number") << QStringLiteral("-17.");
    QTest::newRow("non-ASCII") << QStringLiteral("\u00c9t\u00e9");
    QTest::newRow("sharp s") << QStringLiteral("STRA\u00dfE");
    QTest::newRow("nothing") << QStringLiteral("no such text");
}

void TestCatalogSearch::searchMatchesReference()
{
    QFETCH(QString, query);
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    for (int i = 0; i < 40; ++i) {
        const QList<MFile> entries = generatedEntries(i * 13, i);
        catalog.addFolder(i % 3, "F" + QByteArray::number(i), i % 7 == 5 ? nullptr : &entries);
    }
    catalog.save();
    // A missing and a damaged contents file: the first gives nothing, the second what it holds.
    QFile::remove(catalog.paths.ContentsFilePath(*catalog.folders[1].Record).value());
    QFile damaged(catalog.paths.ContentsFilePath(*catalog.folders[2].Record).value());
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    damaged.resize(damaged.size() - 3);
    damaged.close();

    QList<CatalogEntryRef> hits;
    std::atomic<bool> cancel = false;
    QVERIFY(searchCatalog(catalog.paths, catalog.catalog(), query, {}, cancel,
                          {[&](QList<CatalogEntryRef> &&batch) { hits.append(batch); }, {}}));
    QCOMPARE(hits, referenceSearch(catalog, query));
    if (query != QStringLiteral("no such text"))
        QVERIFY(!hits.isEmpty());
}

void TestCatalogSearch::batchesAndProgress()
{
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    QList<MFile> many;
    for (int i = 0; i < 1234; ++i)
        many.append(fileEntry("/m/" + QByteArray::number(i)));
    catalog.addFolder(0, "One", many);
    catalog.addFolder(0, "Two", many.mid(0, 10));
    catalog.save();

    QList<qsizetype> sizes;
    QList<int> progress;
    std::atomic<bool> cancel = false;
    QVERIFY(searchCatalog(catalog.paths, catalog.catalog(), QStringLiteral("/m/"), {}, cancel,
                          {[&](QList<CatalogEntryRef> &&batch) { sizes.append(batch.size()); },
                           [&](int done) { progress.append(done); }}));
    qsizetype total = 0;
    for (qsizetype size : sizes) {
        QVERIFY(size > 0 && size <= 500);
        total += size;
    }
    QCOMPARE(total, 1244);
    QVERIFY(sizes.size() >= 3);
    QCOMPARE(progress.last(), 2);
}

void TestCatalogSearch::cancelledSearchStops()
{
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    catalog.addFolder(0, "A", generatedEntries(2000, 1));
    catalog.addFolder(0, "B", generatedEntries(2000, 2));
    catalog.save();

    std::atomic<bool> cancel = true;
    int batches = 0;
    QVERIFY(!searchCatalog(catalog.paths, catalog.catalog(), QStringLiteral("e"), {}, cancel,
                           {[&](QList<CatalogEntryRef> &&) { ++batches; }, {}}));
    QCOMPARE(batches, 0);

    // Cancelled from the first batch on: no later batch is handed over.
    cancel = false;
    QVERIFY(!searchCatalog(catalog.paths, catalog.catalog(), QStringLiteral("e"), {}, cancel,
                           {[&](QList<CatalogEntryRef> &&) {
                                ++batches;
                                cancel = true;
                            },
                            {}}));
    QCOMPARE(batches, 1);
}

// A search on the worker runs to its end with its progress; a new one drops the old one's
// results, even those already posted.
void TestCatalogSearch::newSearchDropsOldResults()
{
    QTemporaryDir dir;
    CatalogBuilder catalog(dir.path());
    for (int i = 0; i < 20; ++i)
        catalog.addFolder(0, "F" + QByteArray::number(i), generatedEntries(2000, i));
    catalog.save();

    CatalogSearch search;
    QList<CatalogEntryRef> hits;
    connect(&search, &CatalogSearch::hitsFound, this,
            [&](const QList<CatalogEntryRef> &batch) { hits.append(batch); });
    QSignalSpy finished(&search, &CatalogSearch::finished);
    QSignalSpy progress(&search, &CatalogSearch::progressChanged);
    QSignalSpy firstHits(&search, &CatalogSearch::hitsFound);
    search.start(catalog.paths, catalog.catalog(), QStringLiteral("pdf"));
    QVERIFY(firstHits.wait(20000)); // the first one goes on posting batches meanwhile
    hits.clear();
    search.start(catalog.paths, catalog.catalog(), QStringLiteral("recipe"));
    QVERIFY(search.isRunning());
    QVERIFY(finished.wait(20000));
    QVERIFY(!search.isRunning());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(hits, referenceSearch(catalog, QStringLiteral("recipe")));
    QCOMPARE(progress.last().at(0).toInt(), 20);
    QCOMPARE(progress.last().at(1).toInt(), 20);

    // A cancelled search says nothing more, for as long as the same search takes on another
    // object. And the object can go while a worker runs.
    hits.clear();
    search.start(catalog.paths, catalog.catalog(), QStringLiteral("pdf"));
    search.cancel();
    CatalogSearch witness;
    QSignalSpy witnessDone(&witness, &CatalogSearch::finished);
    witness.start(catalog.paths, catalog.catalog(), QStringLiteral("pdf"));
    QVERIFY(witnessDone.wait(20000));
    QVERIFY(hits.isEmpty());
    QCOMPARE(finished.size(), 1);
    auto gone = std::make_unique<CatalogSearch>();
    gone->start(catalog.paths, catalog.catalog(), QStringLiteral("pdf"));
    gone.reset();
}

LINKSHELF_TEST_CORE_MAIN(TestCatalogSearch)
#include "tst_catalogsearch.moc"
