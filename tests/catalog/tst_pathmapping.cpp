// SPDX-License-Identifier: GPL-3.0-or-later
// Paths written on Windows mapped to paths of this computer, the mapping suggested for a
// catalog, and the per-catalog settings that remember the rules.
#include "catalogsettings.h"
#include "pathmapping.h"
#include "settingsstore.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPathMapping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapping_data();
    void mapping();
    void windowsPaths();
    void suggestion();
    void rulesAreRememberedPerCatalog();
};

namespace {

const QList<PathMapping> Rules = {
    {QStringLiteral("C:\\Users\\ann\\"), QStringLiteral("/home/ann/")},
    {QStringLiteral("C:\\Users\\ann\\Music"), QStringLiteral("/srv/music")},
    {QStringLiteral("\\\\nas\\media\\"), QStringLiteral("/mnt/media/")},
    {QStringLiteral("E:\\"), QStringLiteral("/media/ann/STICK/")},
};

} // namespace

void TestPathMapping::mapping_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // empty: no rule matches

    QTest::newRow("user folder") << QStringLiteral("C:\\Users\\ann\\a b.txt")
                                 << QStringLiteral("/home/ann/a b.txt");
    QTest::newRow("deeper backslashes turn")
        << QStringLiteral("C:\\Users\\ann\\Docs\\x\\y.pdf") << QStringLiteral("/home/ann/Docs/x/y.pdf");
    QTest::newRow("drive letter in either case")
        << QStringLiteral("c:\\Users\\ann\\a.txt") << QStringLiteral("/home/ann/a.txt");
    QTest::newRow("other components keep their case") << QStringLiteral("C:\\users\\ann\\a.txt") << QString();
    QTest::newRow("forward slashes are separators too")
        << QStringLiteral("C:/Users/ann/a.txt") << QStringLiteral("/home/ann/a.txt");
    QTest::newRow("longest prefix wins")
        << QStringLiteral("C:\\Users\\ann\\Music\\b.ogg") << QStringLiteral("/srv/music/b.ogg");
    QTest::newRow("prefix without separator is the folder itself")
        << QStringLiteral("C:\\Users\\ann\\Music") << QStringLiteral("/srv/music");
    QTest::newRow("whole components only")
        << QStringLiteral("C:\\Users\\ann\\Musicals\\c.txt") << QStringLiteral("/home/ann/Musicals/c.txt");
    QTest::newRow("no partial user name") << QStringLiteral("C:\\Users\\anna\\a.txt") << QString();
    QTest::newRow("UNC host in either case")
        << QStringLiteral("\\\\NAS\\media\\film.mkv") << QStringLiteral("/mnt/media/film.mkv");
    QTest::newRow("UNC share keeps its case") << QStringLiteral("\\\\nas\\Media\\film.mkv") << QString();
    QTest::newRow("drive root") << QStringLiteral("e:\\photos\\ü.jpg")
                                << QStringLiteral("/media/ann/STICK/photos/ü.jpg");
    QTest::newRow("local path untouched") << QStringLiteral("/home/ann/a.txt") << QString();
    QTest::newRow("other drive") << QStringLiteral("D:\\a.txt") << QString();
}

void TestPathMapping::mapping()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const std::optional<QString> mapped = mappedPath(path, Rules);
    QCOMPARE(mapped.value_or(QString()), expected);
}

void TestPathMapping::windowsPaths()
{
    for (const char *windows : {"C:\\a.txt", "c:/a", "Z:", "\\\\host\\share\\x"})
        QVERIFY2(isWindowsPath(QString::fromLatin1(windows)), windows);
    for (const char *other : {"/home/a", "a:b.txt", "\\\\", "https://x.example/", "C:a.txt"})
        QVERIFY2(!isWindowsPath(QString::fromLatin1(other)), other);
}

void TestPathMapping::suggestion()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Documents")));
    const QString homeSlash = QDir::cleanPath(home.path()) + u'/';
    const QList<QString> noMatch = {QStringLiteral("/tmp/x"), QStringLiteral("C:\\Users\\bob\\Music\\a.ogg"),
                                    QStringLiteral("C:\\Program Files\\x\\y.exe")};
    QVERIFY(!suggestedPathMapping(noMatch, home.path()));
    const std::optional<PathMapping> byFolder = suggestedPathMapping(
        noMatch + QList<QString>{QStringLiteral("D:\\Users\\Bob\\Documents\\a.txt")}, home.path());
    QCOMPARE(byFolder, (PathMapping{QStringLiteral("D:\\Users\\Bob\\"), homeSlash}));
    const QString sameName =
        QStringLiteral("C:\\Users\\%1\\a.txt").arg(QFileInfo(home.path()).fileName().toUpper());
    QCOMPARE(suggestedPathMapping({sameName}, home.path())->opensAs, homeSlash);
}

void TestPathMapping::rulesAreRememberedPerCatalog()
{
    QTemporaryDir dirs;
    const QString one = dirs.path() + QStringLiteral("/one");
    const QString two = dirs.path() + QStringLiteral("/two");
    QVERIFY(QDir().mkpath(one) && QDir().mkpath(two));
    QVERIFY(QFile::link(one, dirs.path() + QStringLiteral("/link")));
    SettingsStore store(SettingsStore::registryPath());
    QVERIFY(CatalogSettings(store, one).setValue(QStringLiteral("PathMappings"), pathMappingsText(Rules)));

    // Another spelling of the same folder shares the rules; another catalog has none.
    for (const QString &spelling : {one + u'/', dirs.path() + QStringLiteral("/link")}) {
        const std::optional<QString> text =
            CatalogSettings(store, spelling).value(QStringLiteral("PathMappings"));
        QVERIFY2(text, qPrintable(spelling));
        QCOMPARE(pathMappingsFromText(*text), Rules);
    }
    QVERIFY(!CatalogSettings(store, two).value(QStringLiteral("PathMappings")));
    QCOMPARE(store.readString(SettingsStore::Root::CurrentUser, CatalogSettings::keyPathOf(one),
                              QStringLiteral("WorkDirectory")),
             QFileInfo(one).canonicalFilePath());
}

LINKSHELF_TEST_CORE_MAIN(TestPathMapping)
#include "tst_pathmapping.moc"
