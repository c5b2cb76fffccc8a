// SPDX-License-Identifier: GPL-3.0-or-later
// Daily snapshots of the catalog: one a day at most, none when nothing changed, the newest
// fifteen kept, links among them removed and never followed, and a restore that keeps the
// catalog it replaces.
#include "backups.h"
#include "contentsfile.h"
#include "filesunder.h"
#include "foldertree.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate Day1(2024, 3, 1);

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A catalog of two folders, with the things beside it that are not catalog files.
void writeCatalog(const QString &dir, const QByteArray &firstEntry)
{
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir);
    QVERIFY(saveFolderTree(paths, {FolderRecord{0, "Links", MTree{"cat0.lsf"}, false, true},
                                   FolderRecord{0, "Tools", MTree{"cat1.lsf"}, false, false}}));
    write(dir + QStringLiteral("/cat0.lsf"), serializeContents({MFile{1, firstEntry, {}, {}}}));
    write(dir + QStringLiteral("/cat1.lsf"), emptyContents());
    write(dir + QStringLiteral("/linkshelf.lock"), "123\nlinkshelf\nhost\n");
    write(dir + QStringLiteral("/notes.txt"), "the user's own file");
}

} // namespace

class TestBackups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneSnapshotADayWhenSomethingChanged()
    {
        QTemporaryDir dir;
        writeCatalog(dir.path(), "http://a");
        BackupResult made = makeDailyBackup(dir.path(), Day1);
        QCOMPARE(made.outcome, BackupResult::Made);
        QVERIFY(made.result);
        QCOMPARE(filesIn(made.folder), (QStringList{QStringLiteral("cat0.lsf"), QStringLiteral("cat1.lsf"),
                                                    QStringLiteral("etree.lsf"), QStringLiteral("itree.lsf"),
                                                    QStringLiteral("tree.lsf")}));
        QCOMPARE(read(made.folder + QStringLiteral("/cat0.lsf")), read(dir.filePath(QStringLiteral("cat0.lsf"))));

        write(dir.filePath(QStringLiteral("cat1.lsf")), serializeContents({MFile{0, "/x", {}, {}}}));
        QCOMPARE(makeDailyBackup(dir.path(), Day1).outcome, BackupResult::AlreadyToday);
        QCOMPARE(makeDailyBackup(dir.path(), Day1.addDays(1)).outcome, BackupResult::Made);
        QCOMPARE(makeDailyBackup(dir.path(), Day1.addDays(2)).outcome, BackupResult::Unchanged);
        QCOMPARE(availableBackups(dir.path()), (QStringList{QStringLiteral("2024-03-02"), QStringLiteral("2024-03-01")}));
        // The snapshots are not catalog files: the tree still loads the two folders alone.
        QCOMPARE(loadFolderTree(CatalogPaths::forWorkDirectory(dir.path())).folders.size(), 2);
    }

    void theNewestFifteenAreKept()
    {
        QTemporaryDir dir;
        for (int day = 0; day < 20; ++day) {
            writeCatalog(dir.path(), "http://day/" + QByteArray::number(day));
            QCOMPARE(makeDailyBackup(dir.path(), Day1.addDays(day)).outcome, BackupResult::Made);
        }
        const QStringList kept = availableBackups(dir.path());
        QCOMPARE(kept.size(), KeptBackups);
        QCOMPARE(kept.first(), Day1.addDays(19).toString(Qt::ISODate));
        QCOMPARE(kept.last(), Day1.addDays(5).toString(Qt::ISODate));
    }

    void aHalfWrittenSnapshotIsNeverTakenForOne()
    {
        QTemporaryDir dir;
        writeCatalog(dir.path(), "http://a");
        QVERIFY(QDir().mkpath(backupsFolder(dir.path()) + QStringLiteral("/2024-03-01.partial")));
        QVERIFY(availableBackups(dir.path()).isEmpty());
        QCOMPARE(makeDailyBackup(dir.path(), Day1).outcome, BackupResult::Made);
        QCOMPARE(availableBackups(dir.path()), QStringList{QStringLiteral("2024-03-01")});
    }

    // A link where pruning or the clean-up of a crashed snapshot removes something, pointing
    // at folders of the user's that look like snapshots.
    void linksAreRemovedNeverFollowed_data()
    {
        QTest::addColumn<QString>("link"); // below the work directory
        QTest::addColumn<bool>("snapshotMade");
        QTest::newRow("the oldest snapshot") << QStringLiteral("backups/2024-02-01") << true;
        QTest::newRow("a crashed snapshot") << QStringLiteral("backups/2024-03-20.partial") << true;
        QTest::newRow("the backups folder") << QStringLiteral("backups") << false;
    }

    void linksAreRemovedNeverFollowed()
    {
        QFETCH(QString, link);
        QFETCH(bool, snapshotMade);
        QTemporaryDir dir, outside;
        writeCatalog(dir.path(), "http://a");
        for (int day = 0; day <= KeptBackups; ++day) {
            const QString folder = outside.filePath(Day1.addDays(day).toString(Qt::ISODate));
            QVERIFY(QDir().mkpath(folder));
            write(folder + QStringLiteral("/notes.txt"), "the user's own file");
        }
        write(outside.filePath(QStringLiteral("notes.txt")), "the user's own file");
        if (link != QStringLiteral("backups"))
            for (int day = 0; day < KeptBackups; ++day) // a full set, so that pruning takes the oldest
                QVERIFY(QDir().mkpath(backupsFolder(dir.path()) + u'/' +
                                      Day1.addDays(day).toString(Qt::ISODate)));
        QVERIFY(QFile::link(outside.path(), dir.filePath(link)));
        const QMap<QString, QByteArray> userFiles = filesUnder(outside.path());

        const BackupResult backup = makeDailyBackup(dir.path(), Day1.addDays(19));
        QCOMPARE(backup.outcome == BackupResult::Made, snapshotMade);
        QCOMPARE(filesUnder(outside.path()), userFiles);
        QCOMPARE(QFileInfo(dir.filePath(link)).isSymLink(), !snapshotMade); // a link goes as a link
        if (!snapshotMade)
            QVERIFY2(backup.result.errorString.contains(QStringLiteral("link")),
                     qPrintable(backup.result.errorString));
    }

    void restoreBringsTheDayBackAndKeepsWhatItReplaces()
    {
        QTemporaryDir dir;
        writeCatalog(dir.path(), "http://old");
        QCOMPARE(makeDailyBackup(dir.path(), Day1).outcome, BackupResult::Made);
        const QByteArray oldTree = read(dir.filePath(QStringLiteral("tree.lsf")));
        const QByteArray oldFirst = read(dir.filePath(QStringLiteral("cat0.lsf")));

        // Later: a third folder, and other entries.
        const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
        QVERIFY(saveFolderTree(paths, {FolderRecord{0, "Links", MTree{"cat0.lsf"}, false, true},
                                       FolderRecord{0, "Tools", MTree{"cat1.lsf"}, false, false},
                                       FolderRecord{0, "New", MTree{"cat2.lsf"}, false, false}}));
        write(dir.filePath(QStringLiteral("cat0.lsf")), serializeContents({MFile{1, "http://new", {}, {}}}));
        write(dir.filePath(QStringLiteral("cat2.lsf")), emptyContents());
        const QByteArray newTree = read(dir.filePath(QStringLiteral("tree.lsf")));

        const SaveResult missing = restoreBackup(dir.path(), QStringLiteral("2023-01-01"));
        QVERIFY(!missing);
        QVERIFY2(missing.errorString.contains(QStringLiteral("2024-03-01")), qPrintable(missing.errorString));
        QCOMPARE(read(dir.filePath(QStringLiteral("tree.lsf"))), newTree);

        QVERIFY(restoreBackup(dir.path(), QStringLiteral("2024-03-01")));
        QCOMPARE(read(dir.filePath(QStringLiteral("tree.lsf"))), oldTree);
        QCOMPARE(read(dir.filePath(QStringLiteral("cat0.lsf"))), oldFirst);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("cat2.lsf"))));
        QCOMPARE(read(dir.filePath(QStringLiteral("notes.txt"))), QByteArray("the user's own file"));

        const QStringList kept = availableBackups(dir.path());
        QCOMPARE(kept.size(), 2);
        QVERIFY2(kept.first().contains(QStringLiteral("-before-restore-")), qPrintable(kept.first()));
        QCOMPARE(read(backupsFolder(dir.path()) + u'/' + kept.first() + QStringLiteral("/tree.lsf")), newTree);
        QCOMPARE(loadFolderTree(paths).folders.size(), 2);
    }
};

LINKSHELF_TEST_CORE_MAIN(TestBackups)
#include "tst_backups.moc"
