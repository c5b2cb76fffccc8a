// SPDX-License-Identifier: GPL-3.0-or-later
// Changes to a folder's entries and to the folder tree, applied to whatever the files hold
// now, and the fingerprint that tells a file changed from outside.
#include "catalogedit.h"
#include "conflictcopies.h"
#include "contentsfile.h"
#include "entrychange.h"
#include "entrymakers.h"
#include "filefingerprint.h"
#include "folderchange.h"
#include "testenvironment.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

QList<MFile> sorted(QList<MFile> files)
{
    std::sort(files.begin(), files.end(),
              [](const MFile &a, const MFile &b) { return serializeContents({a}) < serializeContents({b}); });
    return files;
}

} // namespace

class TestCatalogChanges : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appliesByRecordToWhatIsThere();
    void invertedChangeTakesItBack();
    void folderChangesFindTheirFolderWhereverItIs();
    void folderEditsTakeBackWhatTheyDidWithTheFiles();
    void fingerprintSeesWhatTheStampMisses();
    void conflictCopiesAreKnownByTheirNames_data();
    void conflictCopiesAreKnownByTheirNames();
};

// The other side added "x" and deleted "b" since our list was read: our change still finds
// its entries by record, wherever they moved, and loses nothing of theirs.
void TestCatalogChanges::appliesByRecordToWhatIsThere()
{
    const QList<MFile> onDisk{urlEntry("x"), urlEntry("a"), urlEntry("c"), urlEntry("a"), urlEntry("d")};
    EntryChange change;
    change.added = {urlEntry("n1"), urlEntry("n2")};
    change.removed = {urlEntry("a"), urlEntry("b")}; // "b" is gone already
    change.replaced = {{urlEntry("c"), urlEntry("c", "edited")}, {urlEntry("b"), urlEntry("b", "edited")}};
    const EntryChangeOutcome outcome = applyEntryChange(onDisk, change);
    // One "a" of two goes; the edit of the deleted "b" is kept, as a new entry before the adds.
    const QList<MFile> expected{urlEntry("x"), urlEntry("c", "edited"), urlEntry("a"),
                                urlEntry("d"), urlEntry("b", "edited"), urlEntry("n1"),
                                urlEntry("n2")};
    QCOMPARE(outcome.entries, expected);
    QCOMPARE(outcome.keptAsNew, QList<MFile>{urlEntry("b", "edited")});
    QCOMPARE(outcome.alreadyGone, QList<MFile>{urlEntry("b")});
}

void TestCatalogChanges::invertedChangeTakesItBack()
{
    const QList<MFile> before{urlEntry("a"), urlEntry("b"), urlEntry("c")};
    EntryChange change;
    change.added = {urlEntry("n")};
    change.removed = {urlEntry("a")};
    change.replaced = {{urlEntry("b"), urlEntry("b", "edited")}};
    const QList<MFile> after = applyEntryChange(before, change).entries;
    QCOMPARE(sorted(applyEntryChange(after, change.inverted()).entries), sorted(before));
    QCOMPARE(change.inverted().inverted(), change);

    // A folder added, renamed or removed comes back as it was, found by record or by path.
    const QList<FolderRecord> folders{
        {0, "A", MTree{"cat0.lsf"}}, {1, "A1", std::nullopt}, {0, "B", MTree{"cat2.lsf"}}};
    const QList<FolderChange> folderChanges{
        FolderChange::adding({MTree{"cat0.lsf"}, {"A"}}, "A2", MTree{"cat3.lsf"}),
        FolderChange::renaming({std::nullopt, {"A", "A1"}}, "A1 renamed"),
        FolderChange::removing({MTree{"cat2.lsf"}, {"B"}})};
    for (const FolderChange &folderChange : folderChanges) {
        QList<FolderRecord> changed = folders;
        QVERIFY(applyFolderChange(changed, folderChange).applied);
        QVERIFY(changed != folders);
        QVERIFY(applyFolderChange(changed, folderChange.inverted()).applied);
        QCOMPARE(changed, folders);
    }
}

// Elsewhere, "New" was added before A and A was renamed "A renamed": our changes find their
// folders by record, and an add under a folder deleted elsewhere lands at the top level.
void TestCatalogChanges::folderChangesFindTheirFolderWhereverItIs()
{
    const auto folder = [](int level, const char *name, const char *file) {
        return FolderRecord{level, name, MTree{file}};
    };
    const QList<FolderRecord> onDisk{folder(0, "New", "cat9.lsf"), folder(0, "A renamed", "cat0.lsf"),
                                     folder(1, "A1", "cat1.lsf"), folder(2, "A11", "cat2.lsf"),
                                     folder(0, "B", "cat3.lsf")};
    QList<FolderRecord> folders = onDisk;
    FolderChangeOutcome outcome = applyFolderChange(
        folders, FolderChange::adding({MTree{"cat0.lsf"}, {"A", {}}}, "A2", MTree{"cat4.lsf"}));
    QVERIFY(outcome.applied);
    QCOMPARE(folders[outcome.at], folder(1, "A2", "cat4.lsf")); // last among A's children
    QCOMPARE(outcome.at, 4);

    QVERIFY(applyFolderChange(folders, FolderChange::renaming({MTree{"cat1.lsf"}, {}}, "A1 mine")).applied);
    QCOMPARE(folders[2].Name, QByteArray("A1 mine"));

    outcome = applyFolderChange(folders, FolderChange::removing({MTree{"cat1.lsf"}, {}}));
    QCOMPARE(outcome.removed.size(), 2); // with its subfolder
    QCOMPARE(folders.size(), 4);

    outcome = applyFolderChange(folders,
                                FolderChange::adding({MTree{"cat7.lsf"}, {}}, "Orphan", MTree{"cat5.lsf"}));
    QVERIFY(!outcome.applied);
    QCOMPARE(folders.constLast(), folder(0, "Orphan", "cat5.lsf"));
    QVERIFY(!applyFolderChange(folders, FolderChange::removing({MTree{"cat7.lsf"}, {}})).applied);
    // A folder without a record is found by its path of names.
    folders.append(FolderRecord{1, "loose", std::nullopt});
    QVERIFY(applyFolderChange(folders, FolderChange::renaming({std::nullopt, {"Orphan", "loose"}}, "kept"))
                .applied);
    QCOMPARE(folders.constLast().Name, QByteArray("kept"));
}

// A sync tool may put back the time a file had, and a rewrite may keep its size: the stamp
// alone would call the file unchanged, the bytes do not.
// A folder deleted with its subfolders comes back with them and with its contents file as it
// was; undoing the undo deletes them again, and renames and adds go back and forth the same way.
void TestCatalogChanges::folderEditsTakeBackWhatTheyDidWithTheFiles()
{
    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    const auto folder = [](int level, const char *name, const char *file) {
        return FolderRecord{level, name, MTree{file}, false, false};
    };
    const QList<FolderRecord> start{folder(0, "A", "cat0.lsf"), folder(1, "B", "cat1.lsf"),
                                    folder(2, "B2", "cat3.lsf"), folder(0, "C", "cat2.lsf")};
    QVERIFY(saveFolderTree(paths, start));
    const QByteArray entriesOfA = serializeContents({urlEntry("https://a/")});
    for (const char *file : {"cat1.lsf", "cat2.lsf", "cat3.lsf"})
        QVERIFY(writeContentsFile(*paths.ContentsFilePath(MTree{file}), emptyContents()));
    QVERIFY(writeContentsFile(*paths.ContentsFilePath(MTree{"cat0.lsf"}), entriesOfA));
    const auto names = [&paths] {
        QList<QByteArray> names;
        for (const FolderRecord &folder : loadFolderTree(paths).folders)
            names.append(QByteArray(folder.Level, '>') + folder.Name);
        return names;
    };
    const QString fileOfA = *paths.ContentsFilePath(MTree{"cat0.lsf"});

    CatalogEdit remove;
    remove.folders = {FolderChange::removing({MTree{"cat0.lsf"}, {"A"}})};
    const CatalogEditOutcome removed = applyCatalogEdit(paths, remove);
    QVERIFY(removed.saved);
    QCOMPARE(names(), QList<QByteArray>{"C"});
    QVERIFY(!QFile::exists(fileOfA));

    const CatalogEditOutcome restored = applyCatalogEdit(paths, removed.inverse);
    QVERIFY(restored.saved);
    QCOMPARE(restored.changedElsewhere, 0);
    QCOMPARE(names(), (QList<QByteArray>{"A", ">B", ">>B2", "C"})); // back in its place
    QCOMPARE(readContentsFile(fileOfA).entries, QList<MFile>{urlEntry("https://a/")});
    QCOMPARE(restored.folderToShow, MTree{"cat0.lsf"});
    QCOMPARE(applyCatalogEdit(paths, restored.inverse).saved.ok, true);
    QCOMPARE(names(), QList<QByteArray>{"C"});
    QVERIFY(!QFile::exists(fileOfA));

    const QList<FolderRecord> before = loadFolderTree(paths).folders;
    const FolderChange rename = FolderChange::renaming({MTree{"cat2.lsf"}, {"C"}}, "D");
    CatalogEdit renaming;
    renaming.folders = {rename};
    const CatalogEdit undoRename = folderEditUndoing(paths, before, rename);
    QVERIFY(applyCatalogEdit(paths, renaming).saved);
    QCOMPARE(names(), QList<QByteArray>{"D"});
    QVERIFY(applyCatalogEdit(paths, undoRename).saved);
    QCOMPARE(names(), QList<QByteArray>{"C"});

    // Undoing an add where the folder was deleted elsewhere changes nothing, and says so.
    CatalogEdit undoAdd = folderEditUndoing(paths, before, FolderChange::adding({}, "N", MTree{"cat9.lsf"}));
    const CatalogEditOutcome gone = applyCatalogEdit(paths, undoAdd);
    QCOMPARE(gone.changedElsewhere, 1);
    QCOMPARE(names(), QList<QByteArray>{"C"});
}

void TestCatalogChanges::fingerprintSeesWhatTheStampMisses()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cat0.lsf"));
    const QByteArray ours = serializeContents({urlEntry("aaaa")});
    const QDateTime time = QDateTime::fromSecsSinceEpoch(1700000000);
    const auto writeAt = [&](const QByteArray &bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
    };
    writeAt(ours);
    const FileFingerprint written = fingerprintAfterWrite(path, ours);
    QCOMPARE(readContentsFile(path).fingerprint, written); // read as it was written

    writeAt(serializeContents({urlEntry("bbbb")})); // the same size, the same time
    QVERIFY(stampUnchanged(path, written));
    QVERIFY(!readContentsFile(path).fingerprint.sameBytes(written));

    QVERIFY(QFile::remove(path));
    QVERIFY(!stampUnchanged(path, written));
    QVERIFY(!readContentsFile(path).fingerprint.exists);
}

void TestCatalogChanges::conflictCopiesAreKnownByTheirNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("original"); // empty: no conflict copy of a catalog file

    QTest::newRow("Syncthing") << QStringLiteral("cat0.sync-conflict-20240101-120000-ABCDEFG.lsf")
                               << QStringLiteral("cat0.lsf");
    QTest::newRow("Nextcloud") << QStringLiteral("cat0 (conflicted copy 2024-01-01 120000).lsf")
                               << QStringLiteral("cat0.lsf");
    QTest::newRow("Dropbox") << QStringLiteral("cat0 (ann's conflicted copy 2024-01-01).lsf")
                             << QStringLiteral("cat0.lsf");
    QTest::newRow("Dropbox, second copy of a day")
        << QStringLiteral("cat12 (Ann Lee's conflicted copy 2024-01-01 (1)).lsf")
        << QStringLiteral("cat12.lsf");
    QTest::newRow("the tree file") << QStringLiteral("tree.sync-conflict-20240101-120000-ABCDEFG.lsf")
                                   << QStringLiteral("tree.lsf");
    QTest::newRow("not a catalog file")
        << QStringLiteral("notes.sync-conflict-20240101-120000-ABCDEFG.txt") << QString();
    QTest::newRow("a catalog file") << QStringLiteral("cat0.lsf") << QString();
    QTest::newRow("a device id too short")
        << QStringLiteral("cat0.sync-conflict-20240101-120000-ABC.lsf") << QString();
}

void TestCatalogChanges::conflictCopiesAreKnownByTheirNames()
{
    QFETCH(QString, name);
    QFETCH(QString, original);
    const QList<ConflictCopy> expected =
        original.isEmpty() ? QList<ConflictCopy>() : QList<ConflictCopy>{ConflictCopy{name, original}};
    QCOMPARE(conflictCopiesAmong({name}), expected);
}

LINKSHELF_TEST_CORE_MAIN(TestCatalogChanges)
#include "tst_catalogchanges.moc"
