// SPDX-License-Identifier: GPL-3.0-or-later
// Daily snapshots of the catalog: one a day at most, none when nothing changed, the newest
// fifteen kept, links among them removed and never followed, and a restore that keeps the
// catalog it replaces. A snapshot costs a hard link per file, shows the catalog as one
// moment left it even while a save runs, and is made off the thread that asks for it.
#include "atomicfile.h"
#include "backups.h"
#include "contentsfile.h"
#include "dailybackups.h"
#include "filesunder.h"
#include "filewriter.h"
#include "foldertree.h"
#include "nohardlinkswriter.h"
#include "testenvironment.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWaitCondition>

#include <sys/stat.h>

namespace {

const QDate Day1(2024, 3, 1);

// As the program writes every catalog file: a new file renamed over the old one. A snapshot
// shares its files with the catalog, so a write in place would change the snapshot too.
void write(const QString &path, const QByteArray &bytes)
{
    QVERIFY(writeFileAtomically(path, bytes));
}

quint64 inode(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// The catalog's own files in a folder, by name.
QMap<QString, QByteArray> catalogFiles(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList({QStringLiteral("*.lsf")}, QDir::Files))
        files.insert(name, readWholeFile(dir + u'/' + name).value_or("<unreadable>"));
    return files;
}

// A later state of writeCatalog's catalog: a third folder with a file of its own, and
// another first entry.
const QList<FolderRecord> ThreeFolders{FolderRecord{0, "Links", MTree{"cat0.lsf"}, false, true},
                                       FolderRecord{0, "Tools", MTree{"cat1.lsf"}, false, false},
                                       FolderRecord{0, "New", MTree{"cat2.lsf"}, false, false}};

void saveThreeFolders(const QString &dir)
{
    write(dir + QStringLiteral("/cat2.lsf"), serializeContents({MFile{0, "/new", {}, {}}}));
    write(dir + QStringLiteral("/cat0.lsf"), serializeContents({MFile{1, "http://later", {}, {}}}));
    QVERIFY(saveFolderTree(CatalogPaths::forWorkDirectory(dir), ThreeFolders));
}

// Saves the catalog anew from inside the snapshot, after it has taken some files and
// before it takes the others, as the window's thread may while a snapshot is made.
class SaveDuringSnapshot final : public FileWriter
{
public:
    explicit SaveDuringSnapshot(QString dir)
        : m_dir(std::move(dir))
    {}
    std::optional<QString> link(const QString &existing, const QString &newName) override
    {
        if (++m_links == 2)
            saveThreeFolders(m_dir);
        return FileWriter::link(existing, newName);
    }

private:
    QString m_dir;
    int m_links = 0;
};

// A disk that stops answering at the first link until the test lets it go on.
class StuckDisk final : public FileWriter
{
public:
    std::optional<QString> link(const QString &existing, const QString &newName) override
    {
        {
            QMutexLocker lock(&m_mutex);
            ++stuck;
            while (!m_open)
                m_opened.wait(&m_mutex);
        }
        return FileWriter::link(existing, newName);
    }
    void open()
    {
        QMutexLocker lock(&m_mutex);
        m_open = true;
        m_opened.wakeAll();
    }
    std::atomic<int> stuck = 0;

private:
    QMutex m_mutex;
    QWaitCondition m_opened;
    bool m_open = false;
};

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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
        QCOMPARE(read(made.folder + QStringLiteral("/cat0.lsf")),
                 read(dir.filePath(QStringLiteral("cat0.lsf"))));

        write(dir.filePath(QStringLiteral("cat1.lsf")), serializeContents({MFile{0, "/x", {}, {}}}));
        QCOMPARE(makeDailyBackup(dir.path(), Day1).outcome, BackupResult::AlreadyToday);
        QCOMPARE(makeDailyBackup(dir.path(), Day1.addDays(1)).outcome, BackupResult::Made);
        QCOMPARE(makeDailyBackup(dir.path(), Day1.addDays(2)).outcome, BackupResult::Unchanged);
        QCOMPARE(availableBackups(dir.path()),
                 (QStringList{QStringLiteral("2024-03-02"), QStringLiteral("2024-03-01")}));
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

    void aSnapshotCostsALinkPerFile()
    {
        QTemporaryDir dir;
        writeCatalog(dir.path(), "http://a");
        const BackupResult linked = makeDailyBackup(dir.path(), Day1);
        QCOMPARE(linked.outcome, BackupResult::Made);
        const QMap<QString, QByteArray> before = catalogFiles(dir.path());
        for (const QString &name : before.keys())
            QCOMPARE(inode(linked.folder + u'/' + name), inode(dir.filePath(name)));

        // A save replaces the file and leaves the snapshot's as it was.
        write(dir.filePath(QStringLiteral("cat0.lsf")), serializeContents({MFile{1, "http://b", {}, {}}}));
        QCOMPARE(catalogFiles(linked.folder), before);

        // Where the file system has no hard links, the files are copied.
        NoHardLinksWriter noLinks;
        const FileWriterOverride override(noLinks);
        const BackupResult copied = makeDailyBackup(dir.path(), Day1.addDays(1));
        QCOMPARE(copied.outcome, BackupResult::Made);
        QCOMPARE(noLinks.refused, 5);
        QCOMPARE(catalogFiles(copied.folder), catalogFiles(dir.path()));
        QVERIFY(inode(copied.folder + QStringLiteral("/cat1.lsf")) !=
                inode(dir.filePath(QStringLiteral("cat1.lsf"))));
    }

    // A save whose renames stopped after the first (a disk that refused the second) left the
    // index new and the tree and state staged: the snapshot holds that save whole, as the
    // window reads it, and the work directory is left for the window's recovery.
    void aSplitTreeSaveIsTakenAsItsRecoveryReadsIt()
    {
        QTemporaryDir dir;
        writeCatalog(dir.path(), "http://a");
        const FolderTreeBytes later = serializeFolderTree(ThreeFolders);
        write(dir.filePath(QStringLiteral("cat2.lsf")), emptyContents());
        write(dir.filePath(QStringLiteral("itree.lsf")), later.index);
        write(dir.filePath(QStringLiteral("tree.lsf.new")), later.tree);
        write(dir.filePath(QStringLiteral("etree.lsf.new")), later.state);

        const BackupResult backup = makeDailyBackup(dir.path(), Day1);
        QCOMPARE(backup.outcome, BackupResult::Made);
        const QMap<QString, QByteArray> taken = catalogFiles(backup.folder);
        QCOMPARE(taken.keys(), (QStringList{QStringLiteral("cat0.lsf"), QStringLiteral("cat1.lsf"),
                                            QStringLiteral("cat2.lsf"), QStringLiteral("etree.lsf"),
                                            QStringLiteral("itree.lsf"), QStringLiteral("tree.lsf")}));
        QCOMPARE(taken.value(QStringLiteral("tree.lsf")), later.tree);
        QCOMPARE(taken.value(QStringLiteral("itree.lsf")), later.index);
        QCOMPARE(taken.value(QStringLiteral("etree.lsf")), later.state);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("tree.lsf.new"))));
    }

    // Files taken before the save and after it would make a snapshot of no moment: the old
    // first folder beside a tree that names a folder without its file.
    void aSaveDuringTheSnapshotNeverTearsIt()
    {
        QTemporaryDir dir;
        writeCatalog(dir.path(), "http://a");
        SaveDuringSnapshot saving(dir.path());
        const FileWriterOverride override(saving);
        const BackupResult backup = makeDailyBackup(dir.path(), Day1);
        QCOMPARE(backup.outcome, BackupResult::Made);
        QCOMPARE(catalogFiles(backup.folder), catalogFiles(dir.path()));
        QCOMPARE(catalogFiles(backup.folder).size(), 6);
    }

    // The caller's thread goes on while a disk holds the snapshot up; ending the backups then
    // does not wait for that disk, and the half snapshot is never kept.
    void madeOffTheCallersThread()
    {
        QTemporaryDir dir;
        writeCatalog(dir.path(), "http://a");
        const QString today = backupsFolder(dir.path()) + u'/' + QDate::currentDate().toString(Qt::ISODate);
        StuckDisk disk;
        const FileWriterOverride override(disk);
        auto backups = std::make_unique<DailyBackups>(dir.path(), nullptr);
        QSignalSpy finished(backups.get(), &DailyBackups::finished);
        backups->start();
        QTRY_COMPARE(disk.stuck.load(), 1);
        bool timerFired = false;
        QTimer::singleShot(0, backups.get(), [&timerFired] { timerFired = true; });
        QTRY_VERIFY(timerFired);
        QVERIFY(backups->isRunning());
        QVERIFY(!QFileInfo::exists(today));

        backups.reset(); // while the disk is stuck
        QCOMPARE(disk.stuck.load(), 1);
        QCOMPARE(finished.size(), 0);
        disk.open();
        QTRY_VERIFY(!QFileInfo::exists(today + QStringLiteral(".partial")));
        QVERIFY(!QFileInfo::exists(today));

        DailyBackups again(dir.path(), nullptr);
        QSignalSpy madeNow(&again, &DailyBackups::finished);
        again.start();
        QVERIFY(madeNow.wait());
        QCOMPARE(madeNow.first().first().value<BackupResult>().outcome, BackupResult::Made);
        QCOMPARE(catalogFiles(today), catalogFiles(dir.path()));
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
        QCOMPARE(read(backupsFolder(dir.path()) + u'/' + kept.first() + QStringLiteral("/tree.lsf")),
                 newTree);
        QCOMPARE(loadFolderTree(paths).folders.size(), 2);
    }
};

LINKSHELF_TEST_CORE_MAIN(TestBackups)
#include "tst_backups.moc"
