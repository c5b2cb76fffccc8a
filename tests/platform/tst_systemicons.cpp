// SPDX-License-Identifier: GPL-3.0-or-later
// The entry icon table: which icon a path or type gets, and that each icon is stored once.
#include "nativefile.h"
#include "systemicons.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

class TestSystemIcons : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void extensionOf_data();
    void extensionOf();
    void sameTypeSameIndex_data();
    void sameTypeSameIndex();
    void typesShowTheirThemeIcons();
    void pathsWithoutAFileShowTheirExtension_data();
    void pathsWithoutAFileShowTheirExtension();
    void existingFileShowsItsContentType();
    void desktopFileShowsItsOwnIcon();
    void iconKeyOfExistingFile_data();
    void iconKeyOfExistingFile();
    void pathsGoThroughTheInjectedProvider();
    void everyIconIsDrawable();

private:
    QString fixture(const QString &name) const { return m_fixtures.filePath(name); }
    QByteArray path(const QString &name) const { return QFile::encodeName(fixture(name)); }
    void writeFile(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_fixtures;
    std::unique_ptr<NativeFile> m_latin1Script;
};

void TestSystemIcons::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(fixture(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestSystemIcons::initTestCase()
{
    QVERIFY(m_fixtures.isValid());
    writeFile(u"plain.txt"_s, "text\n");
    writeFile(u"script"_s, "#!/bin/sh\necho hello\n");
    m_latin1Script = std::make_unique<NativeFile>(path(u"script-"_s) + Latin1Name, "#!/bin/sh\necho hello\n");
    QVERIFY(m_latin1Script->written());
    writeFile(u"red.svg"_s, "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>"
                            "<rect width='16' height='16' fill='#ff0000'/></svg>\n");
    writeFile(u"own-icon.desktop"_s, "[Desktop Entry]\nType=Application\nName=Own\nExec=true\nIcon = " +
                                         QFile::encodeName(fixture(u"red.svg"_s)) + "\n");
    writeFile(u"themed.desktop"_s, "[Desktop Entry]\nType=Application\nName=Themed\nIcon=text-html\n");
    writeFile(u"no-icon.desktop"_s, "[Desktop Entry]\nType=Application\nName=Bare\n"
                                    "[Desktop Action New]\nIcon=text-html\n");
    QVERIFY(QDir(fixture(QString())).mkpath(u"folder.htm"_s));
    QVERIFY(QDir(fixture(QString())).mkpath(u"folder"_s));
    QVERIFY(QFile::link(fixture(u"plain.txt"_s), fixture(u"text-link"_s)));
    QVERIFY(QFile::link(fixture(u"folder"_s), fixture(u"folder-link.txt"_s)));
}

void TestSystemIcons::extensionOf_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("extension");

    QTest::newRow("file") << u"/home/me/notes.txt"_s << u".txt"_s;
    QTest::newRow("last dot only") << u"/home/me/backup.tar.gz"_s << u".gz"_s;
    QTest::newRow("none") << u"/home/me/README"_s << QString();
    QTest::newRow("dot in a folder") << u"/home/me.d/README"_s << QString();
    QTest::newRow("dot in a Windows folder") << u"C:\\My.Files\\README"_s << QString();
    QTest::newRow("Windows file") << u"C:\\Files\\plan.doc"_s << u".doc"_s;
    QTest::newRow("colon is ordinary") << u"notes:plan.txt"_s << u".txt"_s;
    QTest::newRow("hidden file") << u"/home/me/.profile"_s << u".profile"_s;
    QTest::newRow("trailing dot") << u"/home/me/odd."_s << u"."_s;
    QTest::newRow("URL") << u"http://example.org/page.htm"_s << u".htm"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestSystemIcons::extensionOf()
{
    QFETCH(QString, path);
    QFETCH(QString, extension);

    QCOMPARE(SystemIcons::extensionOf(path), extension);
}

void TestSystemIcons::sameTypeSameIndex_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");

    QTest::newRow("with and without dot") << u".txt"_s << u"txt"_s;
    QTest::newRow("html, with and without dot") << u"htm"_s << u".htm"_s;
    QTest::newRow("two names of one type") << u"htm"_s << u"html"_s;
    QTest::newRow("letter case") << u"PDF"_s << u"pdf"_s;
    QTest::newRow("none, with and without dot") << u"."_s << QString();
    QTest::newRow("unknown is plain data") << u"linkshelf-unknown"_s << QString();
}

void TestSystemIcons::sameTypeSameIndex()
{
    QFETCH(QString, first);
    QFETCH(QString, second);

    SystemIcons icons;
    const int index = icons.IconIndexOfExtension(first);
    const int count = icons.count();
    QCOMPARE(icons.IconIndexOfExtension(second), index);
    QCOMPARE(icons.IconIndexOfExtension(first), index);
    QCOMPARE(icons.count(), count);
}

// htm is what URL entries show, so it must not look like any other text.
void TestSystemIcons::typesShowTheirThemeIcons()
{
    SystemIcons icons;
    const int html = icons.IconIndexOfExtension(u"htm"_s);
    QCOMPARE(icons.icon(html).name(), u"text-html"_s);
    QCOMPARE(icons.iconIndexOfMimeType(u"text/html"_s), html);
    QVERIFY(icons.IconIndexOfExtension(u"txt"_s) != html);
    QVERIFY(icons.IconIndexOfExtension(QString()) != icons.IconIndexOfExtension(u"txt"_s));
    QCOMPARE(icons.count(), 3);
}

void TestSystemIcons::pathsWithoutAFileShowTheirExtension_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("extension");

    QTest::newRow("missing file") << path(u"gone.htm"_s) << u"htm"_s;
    QTest::newRow("missing, no extension") << path(u"gone"_s) << QString();
    QTest::newRow("missing folder on the way") << path(u"gone/plan.txt"_s) << u"txt"_s;
    QTest::newRow("empty path") << QByteArray() << QString();
}

void TestSystemIcons::pathsWithoutAFileShowTheirExtension()
{
    QFETCH(QByteArray, path);
    QFETCH(QString, extension);

    SystemIcons icons;
    const int index = icons.IconIndexOfPath(path);
    QCOMPARE(index, icons.IconIndexOfExtension(extension));
    QVERIFY(index != icons.iconIndexOfMimeType(u"inode/directory"_s));
}

// An existing file is judged by its content too, as a file manager shows it: a script without
// extension is a script, not plain data, and a directory is a folder.
void TestSystemIcons::existingFileShowsItsContentType()
{
    SystemIcons icons;
    const int script = icons.IconIndexOfPath(path(u"script"_s));
    QCOMPARE(script, icons.iconIndexOfMimeType(u"application/x-shellscript"_s));
    QVERIFY(script != icons.IconIndexOfExtension(QString()));
    QCOMPARE(icons.IconIndexOfPath(path(u"plain.txt"_s)), icons.IconIndexOfExtension(u"txt"_s));
    const int folder = icons.IconIndexOfPath(path(u"folder"_s));
    QCOMPARE(folder, icons.iconIndexOfMimeType(u"inode/directory"_s));
    QVERIFY(folder != icons.IconIndexOfExtension(QString()));
}

void TestSystemIcons::desktopFileShowsItsOwnIcon()
{
    SystemIcons icons;
    const int own = icons.IconIndexOfPath(path(u"own-icon.desktop"_s));
    const QImage image = icons.icon(own).pixmap(16, 16).toImage();
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixelColor(8, 8), QColor(Qt::red));

    QCOMPARE(icons.IconIndexOfPath(path(u"themed.desktop"_s)), icons.IconIndexOfExtension(u"htm"_s));
    QCOMPARE(icons.IconIndexOfPath(path(u"no-icon.desktop"_s)),
             icons.iconIndexOfMimeType(u"application/x-desktop"_s));
}

void TestSystemIcons::iconKeyOfExistingFile_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("key");

    QTest::newRow("text") << path(u"plain.txt"_s) << u"mime:text/plain"_s;
    QTest::newRow("link to text") << path(u"text-link"_s) << u"mime:text/plain"_s;
    QTest::newRow("link to a folder") << path(u"folder-link.txt"_s) << u"mime:inode/directory"_s;
    QTest::newRow("script by content") << path(u"script"_s) << u"mime:application/x-shellscript"_s;
    QTest::newRow("launcher") << path(u"themed.desktop"_s) << u"desktop:text-html"_s;
    // Named by bytes that are not valid UTF-8, and still known by its content.
    QTest::newRow("name not valid UTF-8") << m_latin1Script->path() << u"mime:application/x-shellscript"_s;
    QTest::newRow("launcher without icon") << path(u"no-icon.desktop"_s) << u"mime:application/x-desktop"_s;
    QTest::newRow("folder, whatever its name") << path(u"folder.htm"_s) << u"mime:inode/directory"_s;
    QTest::newRow("missing") << path(u"gone.txt"_s) << QString();
}

// Run on a worker thread, as the window resolves its entries' files off the UI thread.
void TestSystemIcons::iconKeyOfExistingFile()
{
    QFETCH(QByteArray, path);
    QFETCH(QString, key);

    QString found;
    std::thread worker([&] { found = SystemIcons::iconKeyOfExistingFile(path); });
    worker.join();
    QCOMPARE(found, key);
}

void TestSystemIcons::pathsGoThroughTheInjectedProvider()
{
    QList<QByteArray> asked;
    SystemIcons icons([&asked](const QByteArray &path) {
        asked.append(path);
        return path.endsWith(".exists") ? u"mime:text/html"_s : QString();
    });
    QCOMPARE(icons.IconIndexOfPath("/net/slow/page.exists"), icons.IconIndexOfExtension(u"htm"_s));
    QCOMPARE(icons.IconIndexOfPath(path(u"script"_s)), icons.IconIndexOfExtension(QString()));
    QCOMPARE(asked, QList<QByteArray>({"/net/slow/page.exists", path(u"script"_s)}));
}

// Whatever the theme offers, no entry is drawn blank: a type the theme lacks falls back to
// Qt's own file icon.
void TestSystemIcons::everyIconIsDrawable()
{
    SystemIcons icons;
    icons.iconIndexOfMimeType(u"application/x-linkshelf-unknown"_s);
    for (const QString &extension : {u"htm"_s, u"txt"_s, u"pdf"_s, u"png"_s, u"zip"_s, QString()})
        icons.IconIndexOfExtension(extension);
    icons.IconIndexOfPath(path(u"own-icon.desktop"_s));
    for (int index = 0; index < icons.count(); ++index)
        QVERIFY2(!icons.icon(index).pixmap(16, 16).isNull(), qPrintable(QString::number(index)));
    QVERIFY(icons.icon(-1).isNull());
    QVERIFY(icons.icon(icons.count()).isNull());
}

LINKSHELF_TEST_MAIN(TestSystemIcons)
#include "tst_systemicons.moc"
