// SPDX-License-Identifier: GPL-3.0-or-later
// Writes that meet a real full disk: a child process writes a catalog under a file size limit
// (anyone may set one) or on a small file system filled to its last block (where the test may
// mount one), and every file must stay as it was, with the reason reported.
#include "atomicfile.h"
#include "catalogpaths.h"
#include "contentsfile.h"
#include "filesunder.h"
#include "foldertree.h"
#include "testenvironment.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <unistd.h>

namespace {

enum class Disk { SizeLimit, SmallTmpfs };

// Below the size of every new file the child writes, above every file of the old catalog
// but the big folder's.
constexpr qint64 FileSizeLimit = 2048;

// Two folders, one of them holding more than the size limit lets a copy take, and an earlier
// export.
void writeOldCatalog(const QString &dir)
{
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir);
    QList<MFile> big;
    for (int i = 0; i < 8; ++i)
        big.append(MFile{MFile::UrlKind, "https://example.org/" + QByteArray(900, 'b'), {}, "old"});
    QVERIFY(writeContentsFile(dir + QStringLiteral("/cat0.lsf"),
                              serializeContents({MFile{0, "/home/user/a.txt", {}, {}}})));
    QVERIFY(writeContentsFile(dir + QStringLiteral("/cat1.lsf"), serializeContents(big)));
    QVERIFY(saveFolderTree(paths, {FolderRecord{0, "Hot Files", MTree{"cat0.lsf"}, false, true},
                                   FolderRecord{0, "Big", MTree{"cat1.lsf"}, false, false}}));
    QVERIFY(writeFileAtomically(dir + QStringLiteral("/export.html"), "<!-- the export of yesterday -->"));
}

// Takes every block the file system has left.
void fillUp(const QString &dir)
{
    QFile filler(dir + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) > 0) {
    }
}

// A tmpfs of 64 KiB on a temporary folder, taken away with the object.
class SmallTmpfs
{
public:
    SmallTmpfs()
    {
        if (::geteuid() != 0)
            m_whyNot = QStringLiteral("mounting a tmpfs needs root");
        else if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                         "size=64k,mode=0700") != 0)
            m_whyNot = QStringLiteral("a tmpfs cannot be mounted here: %1")
                           .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~SmallTmpfs()
    {
        if (m_whyNot.isEmpty())
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    Q_DISABLE_COPY_MOVE(SmallTmpfs)

    QString path() const { return m_dir.path(); }
    QString whyNot() const { return m_whyNot; }

private:
    QTemporaryDir m_dir;
    QString m_whyNot;
};

} // namespace

Q_DECLARE_METATYPE(Disk)

class TestFullDisk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failedWriteLeavesEveryFileAsItWas_data();
    void failedWriteLeavesEveryFileAsItWas();
};

void TestFullDisk::failedWriteLeavesEveryFileAsItWas_data()
{
    QTest::addColumn<Disk>("disk");
    QTest::addColumn<QString>("write");
    for (const char *write : {"contents", "tree", "backup", "export"}) {
        QTest::addRow("%s, file size limit", write) << Disk::SizeLimit << QString::fromLatin1(write);
        QTest::addRow("%s, full tmpfs", write) << Disk::SmallTmpfs << QString::fromLatin1(write);
    }
}

void TestFullDisk::failedWriteLeavesEveryFileAsItWas()
{
    QFETCH(Disk, disk);
    QFETCH(QString, write);

    SmallTmpfs tmpfs;
    QTemporaryDir plainDir;
    QStringList arguments;
    QString workDir;
    QString reason;
    if (disk == Disk::SmallTmpfs) {
        if (!tmpfs.whyNot().isEmpty())
            QSKIP(qPrintable(tmpfs.whyNot()));
        workDir = tmpfs.path();
        reason = QString::fromLocal8Bit(std::strerror(ENOSPC));
    } else {
        workDir = plainDir.path();
        arguments = QStringList{QString::number(FileSizeLimit)};
        reason = QString::fromLocal8Bit(std::strerror(EFBIG));
    }
    writeOldCatalog(workDir);
    if (disk == Disk::SmallTmpfs)
        fillUp(workDir);
    if (QTest::currentTestFailed())
        return;
    const QMap<QString, QByteArray> before = filesUnder(workDir);

    QProcess child;
    child.start(QStringLiteral(LINKSHELF_FULL_DISK_CHILD), QStringList{workDir, write} + arguments);
    QVERIFY(child.waitForFinished(20000));
    const QString said = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             child.readAllStandardError().constData());

    QVERIFY2(said.startsWith(QStringLiteral("failed\t")) && said.contains(reason), qPrintable(said));
    const QMap<QString, QByteArray> after = filesUnder(workDir);
    QCOMPARE(after.keys(), before.keys());
    QVERIFY(after == before);
}

LINKSHELF_TEST_CORE_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
