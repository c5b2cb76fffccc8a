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

using namespace Qt::StringLiterals;

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
    void storedValue_data();
    void storedValue();
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

// A stored value the user set: used as it is, created one level deep only (a mistyped parent
// is not created), and unusable when that fails. An empty value counts as none.
void TestWorkDirectory::storedValue_data()
{
    QTest::addColumn<QString>("stored"); // below the test's folder; empty: an empty value
    QTest::addColumn<QString>("before"); // what is at that path before: "dir", "file" or nothing
    QTest::addColumn<bool>("usable");
    QTest::addColumn<bool>("newCatalog");

    QTest::newRow("empty value counts as none") << QString() << QString() << true << true;
    QTest::newRow("existing directory used as is") << u"existing"_s << u"dir"_s << true << false;
    QTest::newRow("missing directory with parent is created") << u"links"_s << QString() << true << true;
    QTest::newRow("trailing slash is kept") << u"slash/"_s << QString() << true << true;
    QTest::newRow("missing parent makes it unusable") << u"nowhere/links"_s << QString() << false << true;
    QTest::newRow("file in the way makes it unusable") << u"afile"_s << u"file"_s << false << true;
}

void TestWorkDirectory::storedValue()
{
    QFETCH(QString, stored);
    QFETCH(QString, before);
    QFETCH(bool, usable);
    QFETCH(bool, newCatalog);

    Setup s;
    const QString work = stored.isEmpty() ? s.dataHome + u"/Linkshelf/tree"_s : s.dir.filePath(stored);
    if (before == u"dir"_s)
        QVERIFY(QDir().mkdir(work));
    if (before == u"file"_s)
        QVERIFY(QFile(work).open(QIODevice::WriteOnly));
    s.storeWorkDir(stored.isEmpty() ? QString() : work);

    const WorkDirResolution resolution = s.resolve();
    QCOMPARE(resolution.usable, usable);
    QCOMPARE(resolution.newCatalog, newCatalog);
    QCOMPARE(resolution.paths.WorkDirectory, work);
    QCOMPARE(s.storedWorkDir(), std::optional<QString>(work));
    QCOMPARE(QFileInfo::exists(s.dataHome), stored.isEmpty());
    QVERIFY(!QFileInfo::exists(s.path("nowhere")));
    if (usable) {
        QVERIFY(QFileInfo(work).isDir());
        QCOMPARE(resolution.paths.TreeFilePath, work + u"/tree.lsf"_s);
        QCOMPARE(resolution.paths.ContentsFilePath(MTree{"cat0.lsf"}).value(), work + u"/cat0.lsf"_s);
    } else {
        QVERIFY2(resolution.errorString.contains(work), qPrintable(resolution.errorString));
        QCOMPARE(QFileInfo(work).isFile(), before == u"file"_s);
    }
}

LINKSHELF_TEST_CORE_MAIN(TestWorkDirectory)
#include "tst_workdirectory.moc"
