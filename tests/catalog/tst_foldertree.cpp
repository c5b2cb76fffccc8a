// SPDX-License-Identifier: GPL-3.0-or-later
// The folder tree files: every rule of the indented-line reader, the index and state files,
// the writer against hand-built fixtures, and loading and saving in a work directory.
#include "foldername.h"
#include "foldertree.h"
#include "testenvironment.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray NoRecordMark = QByteArrayLiteral("<none>");

QList<FolderRecord> folders(const QList<int> &levels)
{
    QList<FolderRecord> result;
    for (int i = 0; i < levels.size(); ++i)
        result.append(FolderRecord{levels[i], "F" + QByteArray::number(i), std::nullopt, false, false});
    return result;
}

// The example tree with the records and states of the itree/etree fixtures.
QList<FolderRecord> exampleTree()
{
    return {{0, "Hot Files", MTree{"cat0.lsf"}, true, false},
            {1, "News", std::nullopt, true, false},
            {2, "Daily", MTree{"cat1.lsf"}, false, true},
            {0, "Tools", MTree{"cat2.lsf"}, false, false}};
}

} // namespace

class TestFolderTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void treeReaderRules_data();
    void treeReaderRules();
    void indexLines_data();
    void indexLines();
    void stateBytes_data();
    void stateBytes();
    void writerMatchesFixtures();
    void writerEdgeCases_data();
    void writerEdgeCases();
    void loadFixtures();
    void loadWithMissingFiles();
    void loadStopsAtInvalidLevel();
    void saveThenLoadGivesSameTree();
    void saveIsOneUnit();
    void folderNames_data();
    void folderNames();
};

void TestFolderTree::treeReaderRules_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("levels");
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::addColumn<QString>("error");

    using Levels = QList<int>;
    using Names = QList<QByteArray>;
    const Names example{"Hot Files", "News", "Daily", "Tools"};
    const Levels exampleLevels{0, 1, 2, 0};

    QTest::newRow("example, CR LF") << testData("tree-example.lsf") << exampleLevels << example << QString();
    QTest::newRow("LF alone") << QByteArray("Hot Files\n\tNews\n\t\tDaily\nTools\n") << exampleLevels
                              << example << QString();
    QTest::newRow("CR alone") << QByteArray("Hot Files\r\tNews\r\t\tDaily\rTools\r") << exampleLevels
                              << example << QString();
    QTest::newRow("mixed line ends") << QByteArray("Hot Files\n\tNews\r\t\tDaily\r\nTools") << exampleLevels
                                     << example << QString();
    QTest::newRow("blanks as levels")
        << QByteArray("Hot Files\r\n News\r\n  Daily\r\nTools\r\n") << exampleLevels << example << QString();
    QTest::newRow("tab and blank each count one")
        << QByteArray("A\r\n\tB\r\n \tC\r\n\t D\r\n") << Levels{0, 1, 2, 2} << Names{"A", "B", "C", "D"}
        << QString();
    QTest::newRow("no final line break")
        << QByteArray("A\r\n\tB") << Levels{0, 1} << Names{"A", "B"} << QString();
    QTest::newRow("final break makes no empty line")
        << QByteArray("A\r\n") << Levels{0} << Names{"A"} << QString();
    QTest::newRow("two final breaks make one empty line")
        << QByteArray("A\r\n\r\n") << Levels{0, 0} << Names{"A", ""} << QString();
    QTest::newRow("CR CR is two breaks")
        << QByteArray("A\r\rB") << Levels{0, 0, 0} << Names{"A", "", "B"} << QString();
    QTest::newRow("LF CR is two breaks")
        << QByteArray("A\n\rB") << Levels{0, 0, 0} << Names{"A", "", "B"} << QString();
    QTest::newRow("only a line break") << QByteArray("\r\n") << Levels{0} << Names{""} << QString();
    QTest::newRow("empty line is a top-level folder")
        << QByteArray("A\r\n\tB\r\n\t\tC\r\n\r\n\tD\r\n") << Levels{0, 1, 2, 0, 1}
        << Names{"A", "B", "C", "", "D"} << QString();
    QTest::newRow("indented empty name")
        << QByteArray("A\r\n\t\r\n") << Levels{0, 1} << Names{"A", ""} << QString();
    QTest::newRow("first line indented")
        << QByteArray("\t\tA\r\n\tB\r\nC") << Levels{0, 1, 0} << Names{"A", "B", "C"} << QString();
    QTest::newRow("after an indented first line, level 2 is too deep")
        << QByteArray("\t\tA\r\n\t\tB\r\n") << Levels{0} << Names{"A"}
        << QStringLiteral("Invalid level (2) for item \"B\"");
    QTest::newRow("back up several levels")
        << QByteArray("A\n\tB\n\t\tC\n\t\t\tD\n\tE\nF") << Levels{0, 1, 2, 3, 1, 0}
        << Names{"A", "B", "C", "D", "E", "F"} << QString();
    QTest::newRow("invalid level stops loading")
        << QByteArray("Hot Files\r\n\t\t\tDaily\r\nTools\r\n") << Levels{0} << Names{"Hot Files"}
        << QStringLiteral("Invalid level (3) for item \"Daily\"");
    QTest::newRow("invalid level keeps the name's blanks")
        << QByteArray("A\r\n\tB\r\n\t\t\t Two  words \r\n") << Levels{0, 1} << Names{"A", "B"}
        << QStringLiteral("Invalid level (4) for item \"Two  words \"");
    QTest::newRow("trailing blanks belong to the name")
        << QByteArray("A  \r\n\tB \t\r\n") << Levels{0, 1} << Names{"A  ", "B \t"} << QString();
    QTest::newRow("zero byte ends the text")
        << QByteArray("A\r\nB\0\r\n\t\t\tC", 11) << Levels{0, 0} << Names{"A", "B"} << QString();
    QTest::newRow("zero byte first") << QByteArray("\0A\r\n", 4) << Levels{} << Names{} << QString();
    QTest::newRow("empty text") << QByteArray() << Levels{} << Names{} << QString();
    QTest::newRow("bytes that are not UTF-8")
        << QByteArray("Caf\xe9\r\n\t\xff\xfe") << Levels{0, 1} << Names{"Caf\xe9", "\xff\xfe"} << QString();
}

void TestFolderTree::treeReaderRules()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, levels);
    QFETCH(QList<QByteArray>, names);
    QFETCH(QString, error);

    // An exact-size copy catches a read past the end; an empty text is also tried as a view
    // without any data pointer.
    const QByteArray exact(text.constData(), text.size());
    const TreeParseResult result = parseTreeText(text.isEmpty() ? QByteArrayView() : QByteArrayView(exact));
    QList<int> gotLevels;
    QList<QByteArray> gotNames;
    for (const FolderRecord &folder : result.folders) {
        gotLevels.append(folder.Level);
        gotNames.append(folder.Name);
        QVERIFY(!folder.Record && !folder.Expanded && !folder.Selected);
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotLevels, levels);
    QCOMPARE(result.error.value_or(QString()), error);
}

void TestFolderTree::indexLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("records"); // NoRecordMark: no record
    QTest::addColumn<int>("refused");               // lines that named no file of the work directory

    using Records = QList<QByteArray>;
    const QByteArray longName = QByteArray(600, 'x') + ".lsf";
    const QByteArray none = NoRecordMark;
    QTest::newRow("fixture") << testData("itree-example.lsf")
                             << Records{"cat0.lsf", none, "cat1.lsf", "cat2.lsf"} << 0;
    QTest::newRow("LF and CR alone") << QByteArray("cat0.lsf\nNULL\rcat1.lsf\r\ncat2.lsf")
                                     << Records{"cat0.lsf", none, "cat1.lsf", "cat2.lsf"} << 0;
    QTest::newRow("NULL is exact") << QByteArray("null\r\nNULL \r\n NULL\r\nNULL\r\n")
                                   << Records{none, none, none, none} << 3;
    QTest::newRow("fewer lines than folders")
        << QByteArray("cat0.lsf\r\n") << Records{"cat0.lsf", none, none, none} << 0;
    QTest::newRow("more lines than folders") << QByteArray("a.lsf\r\nb.lsf\r\nc.lsf\r\nd.lsf\r\ne.lsf\r\n")
                                             << Records{"a.lsf", "b.lsf", "c.lsf", "d.lsf"} << 0;
    QTest::newRow("empty file") << QByteArray() << Records{none, none, none, none} << 0;
    QTest::newRow("an empty line names no file")
        << QByteArray("cat0.lsf\r\n\r\ncat1.lsf\r\n") << Records{"cat0.lsf", none, "cat1.lsf", none} << 1;
    QTest::newRow("line longer than 510 characters is taken whole")
        << QByteArray(longName + "\r\ncat1.lsf\r\n") << Records{longName, "cat1.lsf", none, none} << 0;
    // A record names a file directly in the work directory, and none that the catalog keeps
    // for itself: nothing outside is read, written, copied or removed through it.
    QTest::newRow("leading out") << QByteArray(
                                        "../outside.lsf\r\nsub/../../x.lsf\r\n/etc/x.lsf\r\n..\\x.lsf\r\n")
                                 << Records{none, none, none, none} << 4;
    QTest::newRow("hidden, a control character, not UTF-8, good UTF-8")
        << QByteArray(".hidden.lsf\r\ncat\x01.lsf\r\ncaf\xe9.lsf\r\ncaf\xc3\xa9.lsf\r\n")
        << Records{none, none, none, "caf\xc3\xa9.lsf"} << 3;
    QTest::newRow("names the catalog keeps for itself")
        << QByteArray("tree.lsf\r\nitree.lsf.new\r\nlinkshelf.lock\r\ncat2.lsf.AbC123\r\n")
        << Records{none, none, none, none} << 4;
}

void TestFolderTree::indexLines()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, records);
    QFETCH(int, refused);

    QList<FolderRecord> tree = folders({0, 1, 2, 0});
    QCOMPARE(applyIndexText(tree, QByteArray(text.constData(), text.size())), refused);
    QList<QByteArray> got;
    for (const FolderRecord &folder : tree)
        got.append(folder.Record ? folder.Record->FileName : NoRecordMark);
    QCOMPARE(got, records);
}

void TestFolderTree::stateBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<bool>>("expanded");
    QTest::addColumn<QList<bool>>("selected");

    using Flags = QList<bool>;
    QTest::newRow("fixture") << testData("etree-example.lsf") << Flags{true, true, false, false}
                             << Flags{false, false, true, false};
    QTest::newRow("both bits") << QByteArray("\x03\x00\x00\x00", 4) << Flags{true, false, false, false}
                               << Flags{true, false, false, false};
    QTest::newRow("unused bits are ignored")
        << QByteArray("\xfc\xfd\xfe\xff") << Flags{false, true, false, true}
        << Flags{false, false, true, true};
    QTest::newRow("fewer bytes than folders")
        << QByteArray("\x01") << Flags{true, false, false, false} << Flags{false, false, false, false};
    QTest::newRow("more bytes than folders")
        << QByteArray("\x00\x00\x00\x00\x03\x03", 6) << Flags{false, false, false, false}
        << Flags{false, false, false, false};
    QTest::newRow("empty file") << QByteArray() << Flags{false, false, false, false}
                                << Flags{false, false, false, false};
}

void TestFolderTree::stateBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<bool>, expanded);
    QFETCH(QList<bool>, selected);

    QList<FolderRecord> tree = folders({0, 1, 2, 0});
    applyStateBytes(tree, QByteArray(bytes.constData(), bytes.size()));
    QList<bool> gotExpanded, gotSelected;
    for (const FolderRecord &folder : tree) {
        gotExpanded.append(folder.Expanded);
        gotSelected.append(folder.Selected);
    }
    QCOMPARE(gotExpanded, expanded);
    QCOMPARE(gotSelected, selected);
}

void TestFolderTree::writerMatchesFixtures()
{
    const FolderTreeBytes bytes = serializeFolderTree(exampleTree());
    QCOMPARE(bytes.tree, testData("tree-example.lsf"));
    QCOMPARE(bytes.index, testData("itree-example.lsf"));
    QCOMPARE(bytes.state, testData("etree-example.lsf"));
}

void TestFolderTree::writerEdgeCases_data()
{
    QTest::addColumn<QList<FolderRecord>>("tree");
    QTest::addColumn<QByteArray>("treeText");
    QTest::addColumn<QByteArray>("indexText");
    QTest::addColumn<QByteArray>("stateBytes");

    QTest::newRow("no folders") << QList<FolderRecord>{} << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("subfolder with an empty name")
        << QList<FolderRecord>{{0, "A", MTree{"cat0.lsf"}, true, true},
                               {1, "", MTree{"cat1.lsf"}, false, false}}
        << QByteArray("A\r\n\t\r\n") << QByteArray("cat0.lsf\r\ncat1.lsf\r\n") << QByteArray("\x03\x00", 2);
    QTest::newRow("folders without records")
        << QList<FolderRecord>{{0, "A", std::nullopt, false, false}} << QByteArray("A\r\n")
        << QByteArray("NULL\r\n") << QByteArray(1, '\0');
    QTest::newRow("names that are not UTF-8")
        << QList<FolderRecord>{{0, "Caf\xe9", MTree{"cat0.lsf"}, false, false}} << QByteArray("Caf\xe9\r\n")
        << QByteArray("cat0.lsf\r\n") << QByteArray(1, '\0');
}

void TestFolderTree::writerEdgeCases()
{
    QFETCH(QList<FolderRecord>, tree);
    QFETCH(QByteArray, treeText);
    QFETCH(QByteArray, indexText);
    QFETCH(QByteArray, stateBytes);

    const FolderTreeBytes bytes = serializeFolderTree(tree);
    QCOMPARE(bytes.tree, treeText);
    QCOMPARE(bytes.index, indexText);
    QCOMPARE(bytes.state, stateBytes);
}

void TestFolderTree::loadFixtures()
{
    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    writeFile(paths.TreeFilePath, testData("tree-example.lsf"));
    writeFile(paths.ITreeFilePath, testData("itree-example.lsf"));
    writeFile(paths.ETreeFilePath, testData("etree-example.lsf"));

    const FolderTreeLoad load = loadFolderTree(paths);
    QCOMPARE(load.status, FolderTreeLoad::Loaded);
    QVERIFY(load.indexRead && load.stateRead);
    QCOMPARE(load.folders, exampleTree());
}

// Without the index file, folders have no records and nothing is expanded or selected, even
// when the state file is there; without the state file, the records are still read.
void TestFolderTree::loadWithMissingFiles()
{
    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    QCOMPARE(loadFolderTree(paths).status, FolderTreeLoad::TreeFileMissing);

    writeFile(paths.TreeFilePath, testData("tree-example.lsf"));
    writeFile(paths.ETreeFilePath, testData("etree-example.lsf"));
    FolderTreeLoad load = loadFolderTree(paths);
    QCOMPARE(load.status, FolderTreeLoad::Loaded);
    QVERIFY(!load.indexRead && !load.stateRead);
    QCOMPARE(load.folders, parseTreeText(testData("tree-example.lsf")).folders);

    QVERIFY(QFile::remove(paths.ETreeFilePath));
    writeFile(paths.ITreeFilePath, testData("itree-example.lsf"));
    load = loadFolderTree(paths);
    QVERIFY(load.indexRead && !load.stateRead);
    QList<FolderRecord> expected = exampleTree();
    for (FolderRecord &folder : expected)
        folder.Expanded = folder.Selected = false;
    QCOMPARE(load.folders, expected);

    writeFile(paths.TreeFilePath, {});
    writeFile(paths.ITreeFilePath, {});
    writeFile(paths.ETreeFilePath, {});
    load = loadFolderTree(paths);
    QCOMPARE(load.status, FolderTreeLoad::Loaded);
    QVERIFY(load.folders.isEmpty());
}

void TestFolderTree::loadStopsAtInvalidLevel()
{
    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    writeFile(paths.TreeFilePath, "Hot Files\r\n\tNews\r\n\t\t\tDaily\r\nTools\r\n");
    writeFile(paths.ITreeFilePath, testData("itree-example.lsf"));
    writeFile(paths.ETreeFilePath, testData("etree-example.lsf"));

    const FolderTreeLoad load = loadFolderTree(paths);
    QCOMPARE(load.status, FolderTreeLoad::InvalidLevel);
    QCOMPARE(load.errorMessage, QStringLiteral("Invalid level (3) for item \"Daily\""));
    QCOMPARE(load.folders.size(), 2);
    QCOMPARE(load.folders[1].Name, QByteArray("News"));
}

void TestFolderTree::saveThenLoadGivesSameTree()
{
    QTemporaryDir dir;
    // A work directory ending in "/" gives doubled separators, which must work all the same.
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path() + QLatin1Char('/'));
    const QList<FolderRecord> tree{{0, "Hot Files", MTree{"cat0.lsf"}, true, false},
                                   {1, "", std::nullopt, false, false},
                                   {2, "Deep  ", MTree{"cat3.lsf"}, false, false},
                                   {1, "Caf\xe9", MTree{"cat1.lsf"}, true, true},
                                   {0, "Tools", MTree{"cat2.lsf"}, false, false}};
    QVERIFY(saveFolderTree(paths, tree));
    const FolderTreeLoad load = loadFolderTree(paths);
    QCOMPARE(load.status, FolderTreeLoad::Loaded);
    QCOMPARE(load.folders, tree);
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::Files, QDir::Name),
        (QStringList{QStringLiteral("etree.lsf"), QStringLiteral("itree.lsf"), QStringLiteral("tree.lsf")}));
}

// One unwritable file leaves all three old files in place, so they never describe
// different trees.
void TestFolderTree::saveIsOneUnit()
{
    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    QVERIFY(saveFolderTree(paths, exampleTree()));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("etree.lsf.new")));

    QList<FolderRecord> changed = exampleTree();
    changed.append({0, "More", MTree{"cat3.lsf"}, false, false});
    const SaveResult result = saveFolderTree(paths, changed);
    QVERIFY(!result);
    QVERIFY2(result.errorString.contains(QStringLiteral("etree.lsf")), qPrintable(result.errorString));
    QCOMPARE(readFile(paths.TreeFilePath), testData("tree-example.lsf"));
    QCOMPARE(readFile(paths.ITreeFilePath), testData("itree-example.lsf"));
    QCOMPARE(readFile(paths.ETreeFilePath), testData("etree-example.lsf"));
}

void TestFolderTree::folderNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    const QChar zero(0);
    QTest::newRow("a plain name") << QStringLiteral("Music") << QStringLiteral("Music");
    QTest::newRow("blanks inside and at the end stay")
        << QStringLiteral("Two  words ") << QStringLiteral("Two  words ");
    QTest::newRow("leading blanks and tabs go") << QStringLiteral(" \t Name") << QStringLiteral("Name");
    QTest::newRow("a copied line with its break") << QStringLiteral("Name\r\n") << QStringLiteral("Name");
    QTest::newRow("a break and an indent are one blank")
        << QStringLiteral("Evil\n\t\t\tName") << QStringLiteral("Evil Name");
    QTest::newRow("every kind of line break")
        << QStringLiteral("a\rb\nc\r\nd\ve\ff\u0085g\u2028h\u2029i") << QStringLiteral("a b c d e f g h i");
    QTest::newRow("a tab inside") << QStringLiteral("a\tb") << QStringLiteral("a b");
    QTest::newRow("blanks around a break stay") << QStringLiteral("a \n b") << QStringLiteral("a   b");
    QTest::newRow("other control characters go")
        << (QStringLiteral("a") + zero + QStringLiteral("b\u0001c\u001b\u007f\u0090d"))
        << QStringLiteral("abcd");
    QTest::newRow("a control character does not end a run of breaks")
        << QStringLiteral("a\n\x01\nb") << QStringLiteral("a b");
    QTest::newRow("nothing but breaks") << QStringLiteral("\r\n\t") << QString();
    QTest::newRow("text that came from other bytes stays")
        << QStringLiteral("\uFFFDbersicht") << QStringLiteral("\uFFFDbersicht");
}

// The rule is what keeps a folder on its own line at its own depth: a name it gives is read
// back from the tree file as the one folder it was written as.
void TestFolderTree::folderNames()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(folderNameFromText(text), name);

    const QList<FolderRecord> written{{0, "A", std::nullopt, false, false},
                                      {1, name.toUtf8(), std::nullopt, false, false},
                                      {1, "B", std::nullopt, false, false}};
    const TreeParseResult read = parseTreeText(serializeFolderTree(written).tree);
    QVERIFY(!read.error);
    QCOMPARE(read.folders, written);
}

LINKSHELF_TEST_CORE_MAIN(TestFolderTree)
#include "tst_foldertree.moc"
