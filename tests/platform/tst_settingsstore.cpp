// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store: where its files are, how keys are laid out in the INI text, and
// that values come back as written.
#include "settingsstore.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// The settings file is replaced by a new one at each write.
quint64 inode(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

QString iniText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filesLiveUnderTheConfigFolder();
    void roundTrip_data();
    void roundTrip();
    void keyLayoutInTheIniText();
    void missingValueIsNone();
    void writeCreatesTheFolder();
    void writeFailureIsReported();
    void valuesStoredAlreadyAreNotWrittenAgain();
};

void TestSettingsStore::filesLiveUnderTheConfigFolder()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY(!config.isEmpty());
    QCOMPARE(SettingsStore::registryPath(), config + QStringLiteral("/Quorvane/Linkshelf/registry.ini"));
    QCOMPARE(SettingsStore::iniFilePath(), config + QStringLiteral("/Quorvane/Linkshelf/linkshelf.ini"));
}

void TestSettingsStore::roundTrip_data()
{
    QTest::addColumn<int>("root");
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QString>("value");

    QTest::newRow("work directory") << int(SettingsStore::Root::LocalMachine)
                                    << QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf")
                                    << QStringLiteral("WorkDir") << QStringLiteral("/home/ana/My Links/tree");
    QTest::newRow("user value") << int(SettingsStore::Root::CurrentUser)
                                << QStringLiteral("Software/linkshelf/TMain")
                                << QStringLiteral("MainTree_Width") << QStringLiteral("200");
    QTest::newRow("ini section") << int(SettingsStore::Root::None) << QStringLiteral("TFileProp")
                                 << QStringLiteral("Left") << QStringLiteral("-5");
    QTest::newRow("empty value") << int(SettingsStore::Root::CurrentUser)
                                 << QStringLiteral("Software\\LINKSHELF\\Sort") << QStringLiteral("SortCol")
                                 << QString();
    QTest::newRow("characters INI syntax uses")
        << int(SettingsStore::Root::LocalMachine) << QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf")
        << QStringLiteral("WorkDir") << QStringLiteral("/a;b=c,d\\e \"f\" [g] é");
}

// A second store on the same file stands for the next start of the program.
void TestSettingsStore::roundTrip()
{
    QFETCH(int, root);
    QFETCH(QString, keyPath);
    QFETCH(QString, valueName);
    QFETCH(QString, value);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.ini"));
    {
        SettingsStore store(path);
        QVERIFY(store.writeString(SettingsStore::Root(root), keyPath, valueName, value));
    }
    SettingsStore store(path);
    QCOMPARE(store.readString(SettingsStore::Root(root), keyPath, valueName), std::optional<QString>(value));
    QString otherSpelling = keyPath;
    otherSpelling.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QCOMPARE(store.readString(SettingsStore::Root(root), otherSpelling, valueName),
             std::optional<QString>(value));
}

// Each root is a section of its own, and the key path below it keeps its parts.
void TestSettingsStore::keyLayoutInTheIniText()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.ini"));
    SettingsStore store(path);
    QVERIFY(store.writeString(SettingsStore::Root::LocalMachine,
                              QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"), QStringLiteral("WorkDir"),
                              QStringLiteral("/w")));
    QVERIFY(store.writeString(SettingsStore::Root::CurrentUser, QStringLiteral("Software\\linkshelf\\TMain"),
                              QStringLiteral("MainTree_Width"), QStringLiteral("150")));
    QVERIFY(store.writeString(SettingsStore::Root::None, QStringLiteral("TFileProp"), QStringLiteral("Top"),
                              QStringLiteral("7")));

    const QString text = iniText(path);
    QVERIFY2(
        text.contains(QStringLiteral("[HKEY_LOCAL_MACHINE]\nSOFTWARE\\Quorvane\\Linkshelf\\WorkDir=/w\n")),
        qPrintable(text));
    QVERIFY2(text.contains(
                 QStringLiteral("[HKEY_CURRENT_USER]\nSoftware\\linkshelf\\TMain\\MainTree_Width=150\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("[TFileProp]\nTop=7\n")), qPrintable(text));
}

void TestSettingsStore::missingValueIsNone()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("registry.ini")));
    QVERIFY(!store.readString(SettingsStore::Root::LocalMachine,
                              QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"), QStringLiteral("WorkDir")));
    QVERIFY(store.writeString(SettingsStore::Root::CurrentUser,
                              QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"), QStringLiteral("WorkDir"),
                              QStringLiteral("/user")));
    // The same key under the other root is another value.
    QVERIFY(!store.readString(SettingsStore::Root::LocalMachine,
                              QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"), QStringLiteral("WorkDir")));
}

void TestSettingsStore::writeCreatesTheFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a/b/registry.ini"));
    SettingsStore store(path);
    QCOMPARE(store.fileName(), path);
    QVERIFY(store.writeString(SettingsStore::Root::None, QStringLiteral("S"), QStringLiteral("k"),
                              QStringLiteral("v")));
    QVERIFY(QFile::exists(path));
}

void TestSettingsStore::writeFailureIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.ini"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("registry.ini"))); // a folder in the file's place
    SettingsStore store(path);
    QVERIFY(!store.writeString(SettingsStore::Root::None, QStringLiteral("S"), QStringLiteral("k"),
                               QStringLiteral("v")));
}

void TestSettingsStore::valuesStoredAlreadyAreNotWrittenAgain()
{
    // A window closing with the settings it opened with syncs no file to disk.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.ini"));
    SettingsStore store(path);
    const QString key = QStringLiteral("Software\\linkshelf\\TMain");
    QVERIFY(
        store.writeStrings(SettingsStore::Root::CurrentUser, key,
                           {{QStringLiteral("A"), QStringLiteral("1")}, {QStringLiteral("B"), QString()}}));
    const quint64 written = inode(path);
    QVERIFY(written != 0);
    QVERIFY(
        store.writeStrings(SettingsStore::Root::CurrentUser, key,
                           {{QStringLiteral("A"), QStringLiteral("1")}, {QStringLiteral("B"), QString()}}));
    QCOMPARE(inode(path), written);
    QVERIFY(store.writeStrings(
        SettingsStore::Root::CurrentUser, key,
        {{QStringLiteral("A"), QStringLiteral("1")}, {QStringLiteral("B"), QStringLiteral("2")}}));
    QVERIFY(inode(path) != written);
    QCOMPARE(SettingsStore(path).readString(SettingsStore::Root::CurrentUser, key, QStringLiteral("B")),
             std::optional<QString>(QStringLiteral("2")));
}

LINKSHELF_TEST_CORE_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
