// SPDX-License-Identifier: GPL-3.0-or-later
// Writes that the disk refuses at every step: the files on disk stay a whole old version,
// the reason reaches the caller, and the next write puts the new version in place.
#include "atomicfile.h"
#include "contentsfile.h"
#include "failingfilewriter.h"
#include "foldertree.h"
#include "testenvironment.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Fault = FailingFileWriter::Fault;
Q_DECLARE_METATYPE(FailingFileWriter::Fault)

namespace {

FolderRecord folder(int level, const char *name, const char *file, bool expanded = false,
                    bool selected = false)
{
    return FolderRecord{level, name, MTree{file}, expanded, selected};
}

// Entries whose texts make a file of several write chunks, so that faults can hit the middle.
QList<MFile> manyEntries(int count, char fill)
{
    QList<MFile> entries;
    for (int i = 0; i < count; ++i)
        entries.append(MFile{i % 2, QByteArray(1000, fill) + QByteArray::number(i), {}, "note"});
    return entries;
}

} // namespace

class TestIoFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contentsFileKeepsItsOldVersion_data();
    void contentsFileKeepsItsOldVersion();
    void treeFilesStayOneSave_data();
    void treeFilesStayOneSave();
};

void TestIoFailures::contentsFileKeepsItsOldVersion_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("nth");
    QTest::addColumn<qint64>("diskSpace");
    QTest::newRow("create") << Fault::Create << 1 << qint64(0);
    QTest::newRow("first write") << Fault::Write << 1 << qint64(0);
    QTest::newRow("third write, mid-file") << Fault::Write << 3 << qint64(0);
    QTest::newRow("disk full before the first byte") << Fault::FullDisk << 1 << qint64(0);
    QTest::newRow("disk full after 1,000 bytes") << Fault::FullDisk << 1 << qint64(1000);
    QTest::newRow("disk full in the second megabyte") << Fault::FullDisk << 1 << qint64(1'500'000);
    QTest::newRow("sync on commit") << Fault::Commit << 1 << qint64(0);
}

void TestIoFailures::contentsFileKeepsItsOldVersion()
{
    QFETCH(Fault, fault);
    QFETCH(int, nth);
    QFETCH(qint64, diskSpace);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cat0.lsf"));
    const QByteArray oldBytes = serializeContents(manyEntries(3, 'o'));
    const QByteArray newBytes = serializeContents(manyEntries(3000, 'n')); // about 3 MB
    QVERIFY(writeContentsFile(path, oldBytes));

    FailingFileWriter writer;
    {
        const FileWriterOverride override(writer);
        writer.failFrom(fault, nth, diskSpace);
        const SaveResult failed = writeContentsFile(path, newBytes);
        QVERIFY(!failed);
        QVERIFY2(failed.errorString.contains(FailingFileWriter::reasonFor(fault)),
                 qPrintable(failed.errorString));
        QVERIFY2(failed.errorString.contains(QStringLiteral("cat0.lsf")), qPrintable(failed.errorString));
        QCOMPARE(writer.failures(), 1);
        QCOMPARE(readFile(path), oldBytes);
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("cat0.lsf")}); // no half-written file left

        writer.heal();
        QVERIFY(writeContentsFile(path, newBytes));
    }
    QCOMPARE(readFile(path), newBytes);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("cat0.lsf")});
}

void TestIoFailures::treeFilesStayOneSave_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("nth");
    QTest::addColumn<qint64>("diskSpace");
    QTest::addColumn<bool>("newSaveLoads"); // the save was past its point of no return

    // Files are staged and renamed in the order index, tree, state.
    for (int nth = 1; nth <= 3; ++nth) {
        const QByteArray n = QByteArray::number(nth);
        QTest::newRow("create #" + n) << Fault::Create << nth << qint64(0) << false;
        QTest::newRow("write #" + n) << Fault::Write << nth << qint64(0) << false;
        QTest::newRow("commit #" + n) << Fault::Commit << nth << qint64(0) << false;
        // After the first rename the unit can only go forward: the rest are finished later.
        QTest::newRow("rename #" + n) << Fault::Rename << nth << qint64(0) << (nth > 1);
    }
    QTest::newRow("disk full at once") << Fault::FullDisk << 1 << qint64(0) << false;
    QTest::newRow("disk full in the tree file") << Fault::FullDisk << 1 << qint64(20) << false;
    QTest::newRow("disk full at the state file") << Fault::FullDisk << 1 << qint64(33) << false;
}

void TestIoFailures::treeFilesStayOneSave()
{
    QFETCH(Fault, fault);
    QFETCH(int, nth);
    QFETCH(qint64, diskSpace);
    QFETCH(bool, newSaveLoads);

    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    const QList<FolderRecord> oldTree{folder(0, "Hot Files", "cat0.lsf", true),
                                      folder(1, "News", "cat1.lsf", false, true)};
    const QList<FolderRecord> newTree{folder(0, "Archive", "cat2.lsf", false, true),
                                      folder(0, "Hot Files", "cat0.lsf"), folder(1, "News", "cat1.lsf"),
                                      folder(1, "Daily", "cat3.lsf")};
    QVERIFY(saveFolderTree(paths, oldTree));
    const QStringList catalogFiles = filesIn(dir.path());

    FailingFileWriter writer;
    const FileWriterOverride override(writer);
    writer.failFrom(fault, nth, diskSpace);
    const SaveResult failed = saveFolderTree(paths, newTree);
    QVERIFY(!failed);
    QVERIFY2(failed.errorString.contains(FailingFileWriter::reasonFor(fault)),
             qPrintable(failed.errorString));

    writer.heal();
    const FolderTreeLoad load = loadFolderTree(paths);
    QCOMPARE(load.status, FolderTreeLoad::Loaded);
    QCOMPARE(load.folders, newSaveLoads ? newTree : oldTree);
    QVERIFY(!load.countsDiffer);
    QCOMPARE(filesIn(dir.path()), catalogFiles); // every staging file settled

    QVERIFY(saveFolderTree(paths, newTree));
    QCOMPARE(loadFolderTree(paths).folders, newTree);
}

LINKSHELF_TEST_CORE_MAIN(TestIoFailures)
#include "tst_iofailures.moc"
