// SPDX-License-Identifier: GPL-3.0-or-later
// Importing the bookmarks of browser profiles in the real window: profiles that the test makes
// itself under its own HOME and XDG_CONFIG_HOME, listed with their counts and imported as new
// folders; damaged or foreign files listed with their reason and never imported.
#include "../catalog/bookmarktestsupport.h"
#include "catalogbookmarks.h"
#include "entrymakers.h"
#include "foldertree.h"
#include "maintree.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "uiactions.h"
#include "windowfixture.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

namespace {

QString firefoxDir()
{
    return QDir::home().filePath(QStringLiteral(".mozilla/firefox"));
}

QString configDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

void addFirefoxProfile(const QString &name, const QString &folder)
{
    QFile ini(QDir(firefoxDir()).filePath(QStringLiteral("profiles.ini")));
    QDir().mkpath(firefoxDir());
    QVERIFY(ini.open(QIODevice::Append));
    ini.write(QStringLiteral("[Profile%1]\nName=%2\nIsRelative=1\nPath=%3\n\n")
                  .arg(QString::number(ini.size()), name, folder)
                  .toUtf8());
    QDir(firefoxDir()).mkpath(folder);
}

// A places database as the browser lays it out: the fixed roots, a tag that repeats a
// bookmark, a separator, a nested folder. Left open in write-ahead-log mode with an exclusive
// lock, as a running browser holds it, and with its last bookmark only in the log.
class RunningPlaces
{
public:
    explicit RunningPlaces(const QString &path)
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("browser"));
        m_db.setDatabaseName(path);
        QVERIFY(m_db.open());
        run("PRAGMA journal_mode=WAL");
        run("PRAGMA wal_autocheckpoint=0");
        run("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR)");
        run("CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, parent INTEGER, "
            "position INTEGER, title LONGVARCHAR, guid TEXT)");
        run("INSERT INTO moz_places VALUES (1, 'https://example.org/', 'x'), (2, 'https://www.debian.org/', "
            "'x'), "
            "(3, 'file:///home/ann/notes.txt', 'x'), (4, 'https://kernel.org/', 'x')");
        run("INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'), "
            "(2, 2, NULL, 1, 0, 'menu', 'menu________'), (3, 2, NULL, 1, 1, 'toolbar', 'toolbar_____'), "
            "(4, 2, NULL, 1, 2, 'tags', 'tags________'), (5, 2, NULL, 1, 3, 'unfiled', 'unfiled_____'), "
            "(6, 2, NULL, 1, 4, 'mobile', 'mobile______'), "
            "(10, 1, 1, 3, 0, 'Example', 'a1'), (11, 3, NULL, 3, 1, NULL, 'a2'), (12, 2, NULL, 3, 2, "
            "'Reading', 'a3'), "
            "(13, 1, 2, 12, 1, 'Debian', 'a4'), (14, 1, 3, 12, 0, 'Notes', 'a5'), "
            "(15, 2, NULL, 4, 0, 'linux', 'a6'), (16, 1, 2, 15, 0, NULL, 'a7')");
        run("PRAGMA locking_mode=EXCLUSIVE");
        run("INSERT INTO moz_bookmarks VALUES (17, 1, 4, 5, 0, 'Kernel', 'a8')");
    }
    ~RunningPlaces()
    {
        m_db.close();
        m_db = {};
        QSqlDatabase::removeDatabase(QStringLiteral("browser"));
    }

private:
    void run(const char *sql)
    {
        QSqlQuery query(m_db);
        QVERIFY2(query.exec(QString::fromLatin1(sql)), sql);
    }
    QSqlDatabase m_db;
};

// Written with single quotes for reading's sake.
const QByteArray ChromiumBookmarks =
    QByteArray("{\n"
               "  'checksum': '0',\n"
               "  'roots': {\n"
               "    'bookmark_bar': {'name': 'Bookmarks bar', 'type': 'folder', 'children': [\n"
               "      {'type': 'url', 'name': 'Qt', 'url': 'https://www.qt.io/'},\n"
               "      {'type': 'folder', 'name': 'Tools', 'children': [\n"
               "        {'type': 'url', 'name': 'CMake \\u00e9', 'url': 'https://cmake.org/'}]}]},\n"
               "    'other': {'name': 'Other bookmarks', 'type': 'folder', 'children': []},\n"
               "    'synced': {'name': 'Mobile bookmarks', 'type': 'folder', 'children': [\n"
               "      {'type': 'url', 'name': '', 'url': 'https://lwn.net/'}]}\n"
               "  },\n"
               "  'version': 1\n"
               "}\n")
        .replace('\'', '"');

// The profile list as the dialog shows it; then clicks its Import button after check(list).
QStringList chooseInDialog(TMain &w, const std::function<void(QListWidget *)> &check = {})
{
    QStringList shown;
    whenModalShows<QDialog>([&](QDialog *dialog) {
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("profiles"));
        for (int row = 0; row < list->count(); ++row)
            shown.append(list->item(row)->text() + (list->item(row)->flags() & Qt::ItemIsUserCheckable
                                                        ? QString()
                                                        : QStringLiteral(" [x]")));
        if (check)
            check(list);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    });
    chooseMenuItem(showWindow(w), QStringLiteral("ImportFromBrowser1"));
    return shown;
}

QMap<QString, QByteArray> catalogFiles(const WindowFixture &f)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(f.workDir()).entryList(QDir::Files))
        files.insert(name, f.readCatalogFile(name));
    return files;
}

} // namespace

class TestBrowserImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QDir(firefoxDir()).removeRecursively();
        QDir(configDir()).removeRecursively();
    }
    void importsTheChosenProfilesAsNewFolders();
    void damagedProfilesAreShownAndChangeNothing();
};

void TestBrowserImport::importsTheChosenProfilesAsNewFolders()
{
    addFirefoxProfile(QStringLiteral("default-release"), QStringLiteral("k2p1.default-release"));
    const QString places = QDir(firefoxDir()).filePath(QStringLiteral("k2p1.default-release/places.sqlite"));
    RunningPlaces browser(places);
    writeFile(configDir() + QStringLiteral("/chromium/Default/Bookmarks"), ChromiumBookmarks);
    writeFile(configDir() + QStringLiteral("/BraveSoftware/Brave-Browser/Profile 1/Bookmarks"),
              ChromiumBookmarks);

    WindowFixture f;
    TMain &w = f.open();
    const QStringList shown = chooseInDialog(w, [](QListWidget *list) {
        list->setCurrentRow(2); // Brave, left out with the space bar as a user does
        QTest::keyClick(list, Qt::Key_Space);
    });
    QCOMPARE(shown, (QStringList{QStringLiteral("Firefox \u2013 default-release: 4 bookmarks"),
                                 QStringLiteral("Chromium \u2013 Default: 3 bookmarks"),
                                 QStringLiteral("Brave \u2013 Profile 1: 3 bookmarks")}));
    QVERIFY2(f.interaction.messages.isEmpty(), qPrintable(f.interaction.messages.join(u'\n')));

    const CatalogPaths paths = CatalogPaths::forWorkDirectory(f.workDir());
    const BookmarkFolder onDisk = catalogBookmarkTree(paths, loadFolderTree(paths).folders);
    QCOMPARE(onDisk.subfolders.size(), 3); // the catalog's own folder, then one per profile
    // Tags repeat bookmarks and are left out; the bookmark only in the running browser's log
    // is there.
    const BookmarkFolder firefox =
        folder("Firefox (default-release)", {},
               {folder("Bookmarks Toolbar", {urlEntry("https://example.org/", "Example")},
                       {folder("Reading", {fileEntry("/home/ann/notes.txt", "Notes"),
                                           urlEntry("https://www.debian.org/", "Debian")})}),
                folder("Other Bookmarks", {urlEntry("https://kernel.org/", "Kernel")})});
    QCOMPARE(dump(onDisk.subfolders[1]), dump(firefox));
    const BookmarkFolder chromium =
        folder("Chromium (Default)", {},
               {folder("Bookmarks bar", {urlEntry("https://www.qt.io/", "Qt")},
                       {folder("Tools", {urlEntry("https://cmake.org/", "CMake \xc3\xa9")})}),
                folder("Mobile bookmarks", {urlEntry("https://lwn.net/", "")})});
    QCOMPARE(dump(onDisk.subfolders[2]), dump(chromium));
    QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Chromium (Default)"));
}

void TestBrowserImport::damagedProfilesAreShownAndChangeNothing()
{
    addFirefoxProfile(QStringLiteral("broken"), QStringLiteral("b.broken"));
    writeFile(QDir(firefoxDir()).filePath(QStringLiteral("b.broken/places.sqlite")),
              QByteArray("SQLite format 3\0", 16) + QByteArray(4096, '\xff'));
    addFirefoxProfile(QStringLiteral("other-app"), QStringLiteral("o.other"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(QDir(firefoxDir()).filePath(QStringLiteral("o.other/places.sqlite")));
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes (id INTEGER)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    writeFile(configDir() + QStringLiteral("/google-chrome/Default/Bookmarks"), ChromiumBookmarks.left(200));
    writeFile(configDir() + QStringLiteral("/vivaldi/Default/Bookmarks"), "{\"version\": 1}");

    WindowFixture f;
    TMain &w = f.open();
    const QMap<QString, QByteArray> before = catalogFiles(f);
    const QStringList shown = chooseInDialog(w);
    QCOMPARE(shown.size(), 4);
    for (const QString &line : shown) {
        QVERIFY2(line.contains(QStringLiteral(": cannot be read. ")) && line.endsWith(QStringLiteral(" [x]")),
                 qPrintable(line));
        QVERIFY2(line.size() > 60, qPrintable(line)); // a reason, not just a refusal
    }
    QCOMPARE(catalogFiles(f), before);
    QCOMPARE(w.mainTree()->topLevelItemCount(), 1);
}

LINKSHELF_TEST_MAIN(TestBrowserImport)
#include "tst_browserimport.moc"
