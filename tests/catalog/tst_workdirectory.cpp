// SPDX-License-Identifier: GPL-3.0-or-later
// Finding and creating the work directory from the stored WorkDir value or its default.
#include "settingsstore.h"
#include "testenvironment.h"
#include "workdirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString WorkDirKey = QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf");
const QString WorkDirValue = QStringLiteral("WorkDir");

// A program folder, a data home and a settings store, all inside one temporary folder.
struct Setup
{
    QTemporaryDir dir;
    QString programDir = dir.filePath(QStringLiteral("app/bin/"));
    QString dataHome = dir.filePath(QStringLiteral("data"));
    SettingsStore store{dir.filePath(QStringLiteral("config/registry.ini"))};

    Setup() { QDir().mkpath(programDir); }
    QString path(const char *relative) const { return dir.filePath(QLatin1String(relative)); }
    std::optional<QString> storedWorkDir() const
    {
        return store.readString(SettingsStore::Root::LocalMachine, WorkDirKey, WorkDirValue);
    }
    void storeWorkDir(const QString &value)
    {
        QVERIFY(store.writeString(SettingsStore::Root::LocalMachine, WorkDirKey, WorkDirValue, value));
    }
    WorkDirResolution resolve() { return ResolveWorkDir(store, programDir, dataHome); }
};

} // namespace

class TestWorkDirectory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void programDir_data();
    void programDir();
    void portableTreeWinsAsDefault();
    void noValueWritesAndCreatesTheDefault();
    void emptyValueCountsAsNone();
    void existingDirectoryIsUsedAsIs();
    void missingDirectoryWithParentIsCreated();
    void missingParentMakesItUnusable();
    void fileInTheWayMakesItUnusable();
    void trailingSlashIsKept();
};

void TestWorkDirectory::programDir_data()
{
    QTest::addColumn<QString>("applicationDirPath");
    QTest::addColumn<QString>("programDir");
    QTest::newRow("installed") << QStringLiteral("/usr/bin") << QStringLiteral("/usr/bin/");
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
    QTest::newRow("blank in path") << QStringLiteral("/opt/My Apps") << QStringLiteral("/opt/My Apps/");
}

void TestWorkDirectory::programDir()
{
    QFETCH(QString, applicationDirPath);
    QFETCH(QString, programDir);
    QCOMPARE(ResolveProgramDir(applicationDirPath), programDir);
}

void TestWorkDirectory::portableTreeWinsAsDefault()
{
    Setup s;
    const QString dataDefault = s.dataHome + QStringLiteral("/Linkshelf/tree");
    QCOMPARE(defaultWorkDirectory(s.programDir, s.dataHome), dataDefault);
    QVERIFY(
        QFile(s.programDir + QStringLiteral("tree")).open(QIODevice::WriteOnly)); // a file is not a folder
    QCOMPARE(defaultWorkDirectory(s.programDir, s.dataHome), dataDefault);
    QVERIFY(QFile::remove(s.programDir + QStringLiteral("tree")));
    QVERIFY(QDir().mkdir(s.programDir + QStringLiteral("tree")));
    QCOMPARE(defaultWorkDirectory(s.programDir, s.dataHome), s.programDir + QStringLiteral("tree"));

    const WorkDirResolution resolution = s.resolve();
    QCOMPARE(resolution.paths.WorkDirectory, s.programDir + QStringLiteral("tree"));
    QVERIFY(!resolution.newCatalog);
    QCOMPARE(s.storedWorkDir(), std::optional<QString>(s.programDir + QStringLiteral("tree")));
}

// The default lies under the data home, whose missing parents are created with it.
void TestWorkDirectory::noValueWritesAndCreatesTheDefault()
{
    Setup s;
    const QString expected = s.dataHome + QStringLiteral("/Linkshelf/tree");
    const WorkDirResolution resolution = s.resolve();
    QVERIFY(resolution.usable);
    QVERIFY(resolution.newCatalog);
    QCOMPARE(resolution.paths.WorkDirectory, expected);
    QCOMPARE(resolution.paths.TreeFilePath, expected + QStringLiteral("/tree.lsf"));
    QCOMPARE(resolution.paths.ITreeFilePath, expected + QStringLiteral("/itree.lsf"));
    QCOMPARE(resolution.paths.ETreeFilePath, expected + QStringLiteral("/etree.lsf"));
    QVERIFY(QFileInfo(expected).isDir());
    QCOMPARE(s.storedWorkDir(), std::optional<QString>(expected));

    const WorkDirResolution again = s.resolve();
    QVERIFY(again.usable && !again.newCatalog);
    QCOMPARE(again.paths.WorkDirectory, expected);
}

void TestWorkDirectory::emptyValueCountsAsNone()
{
    Setup s;
    s.storeWorkDir(QString());
    const WorkDirResolution resolution = s.resolve();
    QCOMPARE(resolution.paths.WorkDirectory, s.dataHome + QStringLiteral("/Linkshelf/tree"));
    QCOMPARE(s.storedWorkDir(), std::optional<QString>(resolution.paths.WorkDirectory));
}

void TestWorkDirectory::existingDirectoryIsUsedAsIs()
{
    Setup s;
    const QString work = s.path("existing");
    QVERIFY(QDir().mkdir(work));
    s.storeWorkDir(work);
    const WorkDirResolution resolution = s.resolve();
    QVERIFY(resolution.usable && !resolution.newCatalog);
    QCOMPARE(resolution.paths.WorkDirectory, work);
    QVERIFY(!QFileInfo::exists(s.dataHome));
}

void TestWorkDirectory::missingDirectoryWithParentIsCreated()
{
    Setup s;
    const QString work = s.path("links");
    s.storeWorkDir(work);
    const WorkDirResolution resolution = s.resolve();
    QVERIFY(resolution.usable);
    QVERIFY(resolution.newCatalog);
    QCOMPARE(resolution.paths.WorkDirectory, work);
    QVERIFY(QFileInfo(work).isDir());
    QCOMPARE(s.storedWorkDir(), std::optional<QString>(work));
}

// A value the user set gets one level only: a mistyped parent is not created.
void TestWorkDirectory::missingParentMakesItUnusable()
{
    Setup s;
    const QString work = s.path("nowhere/links");
    s.storeWorkDir(work);
    const WorkDirResolution resolution = s.resolve();
    QVERIFY(!resolution.usable);
    QVERIFY(resolution.newCatalog);
    QVERIFY2(resolution.errorString.contains(work), qPrintable(resolution.errorString));
    QVERIFY(!QFileInfo::exists(s.path("nowhere")));
    QCOMPARE(s.storedWorkDir(), std::optional<QString>(work));
}

void TestWorkDirectory::fileInTheWayMakesItUnusable()
{
    Setup s;
    const QString work = s.path("afile");
    QVERIFY(QFile(work).open(QIODevice::WriteOnly));
    s.storeWorkDir(work);
    const WorkDirResolution resolution = s.resolve();
    QVERIFY(!resolution.usable);
    QVERIFY(!resolution.errorString.isEmpty());
    QVERIFY(QFileInfo(work).isFile());
}

void TestWorkDirectory::trailingSlashIsKept()
{
    Setup s;
    const QString work = s.path("slash") + QLatin1Char('/');
    s.storeWorkDir(work);
    const WorkDirResolution resolution = s.resolve();
    QVERIFY(resolution.usable && resolution.newCatalog);
    QCOMPARE(resolution.paths.WorkDirectory, work);
    QCOMPARE(resolution.paths.TreeFilePath, work + QStringLiteral("/tree.lsf"));
    QCOMPARE(resolution.paths.ContentsFilePath(MTree{"cat0.lsf"}).value(),
             work + QStringLiteral("/cat0.lsf"));
    QVERIFY(QFileInfo(work).isDir());
}

LINKSHELF_TEST_CORE_MAIN(TestWorkDirectory)
#include "tst_workdirectory.moc"
