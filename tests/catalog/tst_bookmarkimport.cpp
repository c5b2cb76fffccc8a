// SPDX-License-Identifier: GPL-3.0-or-later
// The bookmark readers against files written by hand in the shapes that Firefox, Chromium,
// KDE and GLib write, against the rules of each format, and against damaged and hostile files.
#include "bookmarkimport.h"
#include "bookmarkmapping.h"
#include "bookmarktestsupport.h"
#include "entrymakers.h"
#include "testenvironment.h"

#include <QTemporaryDir>
#include <QTest>

using Parser = BookmarkReadResult (*)(QByteArrayView);
Q_DECLARE_METATYPE(Parser)
Q_DECLARE_METATYPE(BookmarkFormat)

namespace {

QByteArray inList(const QByteArray &items)
{
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n" + items + "\n</DL><p>\n";
}

QByteArray repeated(const QByteArray &piece, int times)
{
    QByteArray out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

QByteArray u8(const char8_t *text)
{
    return QByteArray(reinterpret_cast<const char *>(text));
}

} // namespace

class TestBookmarkImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void browserAndDesktopFiles_data();
    void browserAndDesktopFiles();
    void htmlEntryRules_data();
    void htmlEntryRules();
    void htmlFolderRules_data();
    void htmlFolderRules();
    void xbelEntryRules_data();
    void xbelEntryRules();
    void programFromExec_data();
    void programFromExec();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void limitsAreInclusive_data();
    void limitsAreInclusive();
    void formatIsDetected_data();
    void formatIsDetected();
    void readsFilesAndReportsMissingOnes();
};

void TestBookmarkImport::browserAndDesktopFiles_data()
{
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<BookmarkFolder>("expected");
    QTest::addColumn<qsizetype>("entries");
    QTest::addColumn<qsizetype>("folders");

    QTest::newRow("Firefox")
        << QByteArray("firefox.html")
        << folder(
               {}, {urlEntry("https://www.example.org/start/", "Getting Started")},
               {folder("Help & Support", {urlEntry("https://support.example.org/products?lang=en&page=2",
                                                   "Get Help\r\nAnswers & articles"),
                                          urlEntry("https://www.example.org/about/", "About Us")}),
                folder(
                    "Bookmarks Toolbar",
                    {urlEntry("https://news.example.net/",
                              u8(u8"Fish & Chips <3 \"quoted\" 'single' café ☺\r\n"
                                 u8"First line of the note\r\nsecond line <b>"))},
                    {folder(u8(u8"Ünïcödé — 日本語"),
                            {fileEntry(u8(u8"/home/user/Documents/report 2023 été.pdf"), u8(u8"Report été")),
                             urlEntry("https://ja.example.jp/%E6%97%A5%E6%9C%AC", u8(u8"日本語のページ"))},
                            {folder("Empty", {})})}),
                folder("Other Bookmarks",
                       {urlEntry("place:parent=toolbar_____&sort=12", "Recently Bookmarked")})})
        << qsizetype(7) << qsizetype(5);

    // Chromium writes the "other" bookmarks at the top level, after the bookmarks bar.
    QTest::newRow("Chromium")
        << QByteArray("chromium.html")
        << folder(
               {},
               {urlEntry("https://other.example/page#section", "Other bookmark"),
                fileEntry("/C:/Users/Public/Desktop/notes.txt", "notes.txt")},
               {folder("Bookmarks bar", {urlEntry("https://www.chromium.example/", "The Chromium Projects")},
                       {folder("News & Blogs",
                               {urlEntry("https://lwn.example/Articles/?q=a&b=%22c%22",
                                         "Tom & Jerry's \"weekly\" <news>"),
                                urlEntry(u8(u8"https://ελληνικά.example/"), u8(u8"Ελληνικά νέα"))},
                               {folder("Deep", {},
                                       {folder("Deeper",
                                               {urlEntry("javascript:alert(%22hi%22)", "Bookmarklet")})})})}),
                folder("Mobile bookmarks", {})})
        << qsizetype(6) << qsizetype(5);

    QTest::newRow("KDE bookmarks")
        << QByteArray("kde-bookmarks.xml")
        << folder({}, {urlEntry("https://kde.example/", "KDE & Friends")},
                  {folder("Linux <kernel>",
                          {urlEntry("https://kernel.example/",
                                    "The Linux Kernel Archives\r\nReleases\r\nand patches")},
                          {folder(u8(u8"Documentation — Ünïcödé"),
                                  {fileEntry("/usr/share/doc/linux-doc/index.html", "Local docs",
                                             "/opt/Web Browser/bin/browser")})}),
                   folder("", {})})
        << qsizetype(3) << qsizetype(3);

    // GLib quotes the whole command line of an application, and often has no titles.
    QTest::newRow("GLib recently used")
        << QByteArray("glib-recently-used.xbel")
        << folder({}, {fileEntry(u8(u8"/home/user/Documents/notes été.txt"), "", "gnome-text-editor"),
                       fileEntry("/tmp/It's 100%.png", "Screenshot", "/usr/bin/image viewer")})
        << qsizetype(2) << qsizetype(0);

    // Old browsers wrote the Windows code page, bare attributes and anchors left open.
    QTest::newRow("legacy Windows-1252")
        << QByteArray("legacy-windows-1252.html")
        << folder(
               {},
               {fileEntry("/C:/My Files/a.txt", "Local file", "C:\\Tools\\viewer.exe"),
                fileEntry("//server/share/doc.txt", "On a server")},
               {folder(u8(u8"Café € prices"), {urlEntry("http://old.example/menu.html", u8(u8"Menu “today”")),
                                               urlEntry("http://old.example/a?x=1&copy=2",
                                                        u8(u8"Copy © &unknown; &amp é A\r\nSaid “hi”"))})})
        << qsizetype(4) << qsizetype(1);
}

void TestBookmarkImport::browserAndDesktopFiles()
{
    QFETCH(QByteArray, fileName);
    QFETCH(BookmarkFolder, expected);
    QFETCH(qsizetype, entries);
    QFETCH(qsizetype, folders);

    const QByteArray bytes = fixture(fileName.constData());
    QVERIFY(!bytes.isEmpty());
    const BookmarkReadResult result = parseBookmarks(bytes);
    QVERIFY2(result, qPrintable(result.error));
    QCOMPARE(dump(*result.root), dump(expected));
    QCOMPARE(*result.root, expected);
    QCOMPARE(result.entryCount, entries);
    QCOMPARE(result.folderCount, folders);
}

void TestBookmarkImport::htmlEntryRules_data()
{
    QTest::addColumn<QByteArray>("items");
    QTest::addColumn<QList<MFile>>("expected");

    QTest::newRow("named and numeric references")
        << QByteArray("<DT><A "
                      "HREF=\"https://a.example/"
                      "?x=1&amp;y=2\">&lt;&gt;&amp;&quot;&apos;&nbsp;&eacute;&#65;&#x42;&#X43</A>")
        << QList<MFile>{urlEntry("https://a.example/?x=1&y=2", u8(u8"<>&\"'\u00A0éABC"))};
    QTest::newRow("numbers 128 to 159 are Windows-1252") << QByteArray("<DT><A HREF=u>&#128;&#150;&#x9D;</A>")
                                                         << QList<MFile>{urlEntry("u", u8(u8"€–\u009D"))};
    QTest::newRow("impossible numbers are the replacement character")
        << QByteArray("<DT><A HREF=u>&#0;&#xD800;&#x110000;&#99999999999;</A>")
        << QList<MFile>{urlEntry("u", u8(u8"\uFFFD\uFFFD\uFFFD\uFFFD"))};
    QTest::newRow("unknown and unfinished references stay as written")
        << QByteArray("<DT><A HREF=\"u?a=1&copy=2\">&bogus; &amp &# &#x; a&b &</A>")
        << QList<MFile>{urlEntry("u?a=1&copy=2", "&bogus; &amp &# &#x; a&b &")};
    QTest::newRow("bare and single-quoted attributes")
        << QByteArray("<dt><a href=https://b.example/x program='/usr/bin/my viewer'>t</a>")
        << QList<MFile>{urlEntry("https://b.example/x", "t", "/usr/bin/my viewer")};
    QTest::newRow("tags and attributes in any case")
        << QByteArray("<dT><a HrEf=\"https://c.example/\" PrOgRaM=\"p\">T</A>")
        << QList<MFile>{urlEntry("https://c.example/", "T", "p")};
    QTest::newRow("the first of two attributes counts")
        << QByteArray("<DT><A HREF=\"https://first.example/\" HREF=\"https://second.example/\">t</A>")
        << QList<MFile>{urlEntry("https://first.example/", "t")};
    QTest::newRow("a quoted value may hold > and line breaks")
        << QByteArray("<DT><A HREF=\"https://d.example/?a>b\" PROGRAM=\"x\ny\">t</A>")
        << QList<MFile>{urlEntry("https://d.example/?a>b", "t", "x\ny")};
    QTest::newRow("an anchor left open ends at the next item, without its trailing blanks")
        << QByteArray("<DT><A HREF=\"u1\">First  \n    <DT><A HREF=\"u2\">Second\n")
        << QList<MFile>{urlEntry("u1", "First"), urlEntry("u2", "Second")};
    QTest::newRow("a closed anchor keeps its blanks")
        << QByteArray("<DT><A HREF=u> spaced </A>") << QList<MFile>{urlEntry("u", " spaced ")};
    QTest::newRow("tags inside a title are dropped, their text kept")
        << QByteArray("<DT><A HREF=u><B>bold</B> and <I>italic</I></A>")
        << QList<MFile>{urlEntry("u", "bold and italic")};
    QTest::newRow("a bare < is text")
        << QByteArray("<DT><A HREF=u>a < b <3</A>") << QList<MFile>{urlEntry("u", "a < b <3")};
    QTest::newRow("description without its layout blanks")
        << QByteArray("<DT><A HREF=u>t</A>\n        <DD>  the note  \n        ")
        << QList<MFile>{urlEntry("u", "t\r\nthe note")};
    QTest::newRow("description blanks written as references stay")
        << QByteArray("<DT><A HREF=u>t</A>\n<DD>&#32;a&#10;b&#9;\n")
        << QList<MFile>{urlEntry("u", "t\r\n a\r\nb\t")};
    QTest::newRow("every line break becomes CR LF") << QByteArray("<DT><A HREF=u>t</A><DD>a\nb\rc\r\nd")
                                                    << QList<MFile>{urlEntry("u", "t\r\na\r\nb\r\nc\r\nd")};
    QTest::newRow("an empty description still ends the title's line")
        << QByteArray("<DT><A HREF=u>t</A><DD>\n<DT><A HREF=v></A>")
        << QList<MFile>{urlEntry("u", "t\r\n"), urlEntry("v", "")};
    QTest::newRow("an empty title before a description")
        << QByteArray("<DT><A HREF=u></A><DD>note") << QList<MFile>{urlEntry("u", "\r\nnote")};
    QTest::newRow("only the first description counts")
        << QByteArray("<DT><A HREF=u>t</A><DD>one<DD>two") << QList<MFile>{urlEntry("u", "t\r\none")};
    QTest::newRow("file URL with an empty authority")
        << QByteArray("<DT><A HREF=\"file:///a%20b/c%C3%A9\">t</A>")
        << QList<MFile>{fileEntry(u8(u8"/a b/cé"), "t")};
    QTest::newRow("file URL on localhost, scheme in capitals")
        << QByteArray("<DT><A HREF=\"FILE://LocalHost/x\">t</A>") << QList<MFile>{fileEntry("/x", "t")};
    QTest::newRow("file URL on a server") << QByteArray("<DT><A HREF=\"file://srv/share/y\">t</A>")
                                          << QList<MFile>{fileEntry("//srv/share/y", "t")};
    QTest::newRow("file URL without authority")
        << QByteArray("<DT><A HREF=\"file:/z\">t</A>") << QList<MFile>{fileEntry("/z", "t")};
    QTest::newRow("relative file URL") << QByteArray("<DT><A HREF=\"file:C%3A%5Cdocs%5Ca.txt\">t</A>")
                                       << QList<MFile>{fileEntry("C:\\docs\\a.txt", "t")};
    QTest::newRow("file URL bytes that are not UTF-8 stay bytes")
        << QByteArray("<DT><A HREF=\"file:///%FF%E9.txt\">t</A>")
        << QList<MFile>{fileEntry("/\xFF\xE9.txt", "t")};
    QTest::newRow("a zero byte in a file URL is dropped")
        << QByteArray("<DT><A HREF=\"file:///a%00b\">t</A>") << QList<MFile>{fileEntry("/ab", "t")};
    QTest::newRow("KIND=URL keeps a file URL a URL entry")
        << QByteArray("<DT><A HREF=\"file:///x\" KIND=\"url\">t</A>")
        << QList<MFile>{urlEntry("file:///x", "t")};
    QTest::newRow("control characters are dropped")
        << QByteArray("<DT><A HREF=\"u\x01v\">a\x02&#1;b\tc</A>") << QList<MFile>{urlEntry("uv", "ab\tc")};
    QTest::newRow("UNTITLED: the entry's name is no title, any other text is one")
        << QByteArray("<DT><A HREF=\"file:///d/a.txt\" UNTITLED=1>a.txt</A><DT><A HREF=u UNTITLED>u</A>"
                      "<DT><A HREF=v UNTITLED>edited</A>")
        << QList<MFile>{fileEntry("/d/a.txt", ""), urlEntry("u", ""), urlEntry("v", "edited")};
    QTest::newRow("an anchor without HREF is an empty URL entry")
        << QByteArray("<DT><A>t</A>") << QList<MFile>{urlEntry("", "t")};
    QTest::newRow("comments, separators and paragraphs are skipped")
        << QByteArray("<!-- <DT><A HREF=no>no</A> --><HR><p><DT><A HREF=u>t</A><HR>")
        << QList<MFile>{urlEntry("u", "t")};
}

void TestBookmarkImport::htmlEntryRules()
{
    QFETCH(QByteArray, items);
    QFETCH(QList<MFile>, expected);
    const BookmarkReadResult result = parseNetscapeBookmarks(inList(items));
    QVERIFY2(result, qPrintable(result.error));
    QCOMPARE(dump(*result.root), dump(folder({}, expected)));
}

void TestBookmarkImport::htmlFolderRules_data()
{
    QTest::addColumn<QByteArray>("items");
    QTest::addColumn<BookmarkFolder>("expected");

    QTest::newRow("a folder without a list is empty") << QByteArray("<DT><H3>A</H3>\n<DT><A HREF=u>t</A>")
                                                      << folder({}, {urlEntry("u", "t")}, {folder("A", {})});
    QTest::newRow("a list after another item adds to the folder around it")
        << QByteArray("<DT><H3>A</H3><DT><A HREF=u>t</A><DL><p><DT><A HREF=v>w</A></DL><p>")
        << folder({}, {urlEntry("u", "t"), urlEntry("v", "w")}, {folder("A", {})});
    QTest::newRow("a folder's description is dropped")
        << QByteArray("<DT><H3>A</H3>\n<DD>about A\n<DL><p><DT><A HREF=u>t</A></DL><p>")
        << folder({}, {}, {folder("A", {urlEntry("u", "t")})});
    QTest::newRow("folder names lose line breaks and leading indent")
        << QByteArray("<DT><H3> \t Name\nwith\r\nbreaks </H3>")
        << folder({}, {}, {folder("Name with breaks ", {})});
    QTest::newRow("a folder name left open ends at its list")
        << QByteArray("<DT><H3>Open \n<DL><p><DT><A HREF=u>t</A></DL><p>")
        << folder({}, {}, {folder("Open", {urlEntry("u", "t")})});
    QTest::newRow("entries and subfolders keep their order apart")
        << QByteArray("<DT><A HREF=1>1</A><DT><H3>X</H3><DL><p></DL><p><DT><A "
                      "HREF=2>2</A><DT><H3>Y</H3><DL><p></DL><p>")
        << folder({}, {urlEntry("1", "1"), urlEntry("2", "2")}, {folder("X", {}), folder("Y", {})});
    QTest::newRow("a closing list too many is ignored")
        << QByteArray("</DL><p></DL><p><DT><A HREF=u>t</A>") << folder({}, {urlEntry("u", "t")});
}

void TestBookmarkImport::htmlFolderRules()
{
    QFETCH(QByteArray, items);
    QFETCH(BookmarkFolder, expected);
    const BookmarkReadResult result = parseNetscapeBookmarks(inList(items));
    QVERIFY2(result, qPrintable(result.error));
    QCOMPARE(dump(*result.root), dump(expected));
}

void TestBookmarkImport::xbelEntryRules_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<BookmarkFolder>("expected");

    QTest::newRow("title and description keep their blanks")
        << QByteArray("<bookmark href=\"u\"><title> t </title><desc>\n a \n</desc></bookmark>")
        << folder({}, {urlEntry("u", " t \r\n\r\n a \r\n")});
    QTest::newRow("references and CDATA")
        << QByteArray(
               "<bookmark href=\"u?a=1&amp;b=2\"><title>&lt;&#233;&#x263A;<![CDATA[<x>]]></title></bookmark>")
        << folder({}, {urlEntry("u?a=1&b=2", u8(u8"<é☺<x>"))});
    QTest::newRow("the first application gives the program")
        << QByteArray("<bookmark href=\"file:///f\"><info><metadata owner=\"http://freedesktop.org\">"
                      "<bookmark:applications><bookmark:application name=\"a\" exec=\"'first' %u\"/>"
                      "<bookmark:application name=\"b\" exec=\"second\"/></bookmark:applications>"
                      "</metadata></info></bookmark>")
        << folder({}, {fileEntry("/f", "", "first")});
    QTest::newRow("undeclared prefixes still read")
        << QByteArray(
               "<bookmark href=\"u\"><info><metadata owner=\"x\"><app:application exec=\"p %f\"/></metadata>"
               "</info></bookmark>")
        << folder({}, {urlEntry("u", "", "p")});
    QTest::newRow("our metadata keeps a file URL a URL entry")
        << QByteArray("<bookmark href=\"file:///x\"><info><metadata owner=\"urn:linkshelf\"><kind>url</kind>"
                      "</metadata></info></bookmark>")
        << folder({}, {urlEntry("file:///x", "")});
    QTest::newRow("aliases, separators and unknown elements are skipped")
        << QByteArray("<alias ref=\"a\"/><separator/><unknown><bookmark href=\"no\"/></unknown>"
                      "<folder id=\"a\"><title>F</title><desc>d</desc><info/></folder>")
        << folder({}, {}, {folder("F", {})});
    QTest::newRow("a folder without a title has an empty name")
        << QByteArray("<folder><bookmark href=\"u\"/></folder>")
        << folder({}, {}, {folder({}, {urlEntry("u", "")})});
    QTest::newRow("a bookmark without href is an empty URL entry")
        << QByteArray("<bookmark><title>t</title></bookmark>") << folder({}, {urlEntry("", "t")});
}

void TestBookmarkImport::xbelEntryRules()
{
    QFETCH(QByteArray, body);
    QFETCH(BookmarkFolder, expected);
    const QByteArray xml =
        "<?xml version=\"1.0\"?>\n<xbel version=\"1.0\"><title>Root</title>" + body + "</xbel>";
    const BookmarkReadResult result = parseXbelBookmarks(xml);
    QVERIFY2(result, qPrintable(result.error));
    QCOMPARE(dump(*result.root), dump(expected));
}

void TestBookmarkImport::programFromExec_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("program");

    QTest::newRow("quoted program, field code after")
        << QStringLiteral("'prog' %u") << QStringLiteral("prog");
    QTest::newRow("GLib's whole quoted line")
        << QStringLiteral("'gnome-text-editor %u'") << QStringLiteral("gnome-text-editor");
    QTest::newRow("GLib's quoted line of a quoted path")
        << QStringLiteral("''\\''/usr/bin/image viewer'\\'' %U'") << QStringLiteral("/usr/bin/image viewer");
    QTest::newRow("bare words") << QStringLiteral("firefox --new-window %u") << QStringLiteral("firefox");
    QTest::newRow("double quotes with escapes")
        << QStringLiteral("\"/opt/My \\\"App\\\"/run\" %U") << QStringLiteral("/opt/My \"App\"/run");
    QTest::newRow("escaped blank") << QStringLiteral("my\\ app %f") << QStringLiteral("my app");
    QTest::newRow("a quote inside single quotes")
        << QStringLiteral("'it'\\''s' %u") << QStringLiteral("it's");
    QTest::newRow("percent signs") << QStringLiteral("/usr/bin/100%%/tool%f %F")
                                   << QStringLiteral("/usr/bin/100%/tool");
    QTest::newRow("a lone percent sign stays") << QStringLiteral("a%") << QStringLiteral("a%");
    QTest::newRow("an unclosed quote runs to the end")
        << QStringLiteral("'unclosed %u") << QStringLiteral("unclosed");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks only") << QStringLiteral("  \t ") << QString();
}

void TestBookmarkImport::programFromExec()
{
    QFETCH(QString, exec);
    QFETCH(QString, program);
    QCOMPARE(::programFromExec(exec), program);
}

void TestBookmarkImport::damagedFilesAreRefused_data()
{
    QTest::addColumn<Parser>("parse");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    const Parser html = &parseNetscapeBookmarks;
    const Parser xbel = &parseXbelBookmarks;
    const QByteArray kde = fixture("kde-bookmarks.xml");

    QTest::newRow("HTML without a list") << html << QByteArray("<html><body><a href=u>t</a></body></html>")
                                         << QStringLiteral("no bookmark list");
    QTest::newRow("binary garbage") << html << QByteArray("\x00\xFF\xFE<<<>>>\x01", 10)
                                    << QStringLiteral("no bookmark list");
    QTest::newRow("empty file") << html << QByteArray() << QStringLiteral("no bookmark list");
    QTest::newRow("HTML cut inside a folder")
        << html << fixture("firefox.html").chopped(40) << QStringLiteral("ends inside a folder");
    QTest::newRow("HTML cut inside a tag")
        << html << QByteArray("<DL><p><DT><A HREF=\"https://x") << QStringLiteral("ends inside a tag");
    QTest::newRow("HTML cut inside a comment") << html << QByteArray("<DL><p></DL><!-- never closed")
                                               << QStringLiteral("ends inside a tag or comment");
    QTest::newRow("HTML lists 258 deep") << html << repeated("<DL><p>", 258) + repeated("</DL><p>", 258)
                                         << QStringLiteral("nested more than 256 levels");
    QTest::newRow("HTML with 200,001 bookmarks")
        << html << "<DL><p>" + repeated("<DT><A HREF=u>t</A>\n", 200001) + "</DL>"
        << QStringLiteral("more than 200000 bookmarks and folders");
    QTest::newRow("HTML over 64 MiB")
        << html << QByteArray(64 * 1024 * 1024 + 1, ' ') << QStringLiteral("larger than 64 MiB");

    QTest::newRow("XBEL cut short") << xbel << kde.left(kde.size() / 2)
                                    << QStringLiteral("Premature end of document");
    QTest::newRow("XBEL cut short names its line")
        << xbel << kde.left(kde.indexOf("<separator/>")) << QStringLiteral("Line 20, column 1: ");
    QTest::newRow("wrong root element")
        << xbel << QByteArray("<?xml version=\"1.0\"?>\n<html><body/></html>")
        << QStringLiteral("Line 2: this is not an XBEL bookmark file: its root "
                          "element is <html>, not <xbel>.");
    QTest::newRow("not XML at all") << xbel << QByteArray("just text") << QStringLiteral("Line 1, column ");
    QTest::newRow("no element at all")
        << xbel << QByteArray("<?xml version=\"1.0\"?>\n") << QStringLiteral("Premature end of document");
    QTest::newRow("mismatched tags") << xbel << QByteArray("<xbel><folder><title>a</title></xbel>")
                                     << QStringLiteral("Line 1, column ");
    QTest::newRow("junk after the root")
        << xbel << QByteArray("<xbel></xbel><xbel>") << QStringLiteral("Line 1, column ");
    QTest::newRow("declared entity")
        << xbel
        << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE xbel [<!ENTITY a \"aaaa\">]>\n"
                      "<xbel><bookmark href=\"&a;\"/></xbel>")
        << QStringLiteral("Line 2: the document type declares entities, which are refused.");
    QTest::newRow("nested entities (billion laughs)")
        << xbel
        << QByteArray(
               "<?xml version=\"1.0\"?>\n<!DOCTYPE xbel [<!ENTITY a \"aaaaaaaaaa\">"
               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
               "<xbel><bookmark href=\"&c;\"><title>&c;</title></bookmark></xbel>")
        << QStringLiteral("declares entities");
    QTest::newRow("external entity")
        << xbel
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE xbel [<!ENTITY ext SYSTEM \"file:///etc/passwd\">]>"
                      "<xbel><bookmark href=\"u\"><title>&ext;</title></bookmark></xbel>")
        << QStringLiteral("declares entities");
    QTest::newRow("parameter entity")
        << xbel << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE xbel [<!ENTITY % p \"x\">]><xbel/>")
        << QStringLiteral("declares entities");
    QTest::newRow("undeclared entity")
        << xbel << QByteArray("<xbel><bookmark href=\"&x;\"/></xbel>") << QStringLiteral("Line 1, column ");
    QTest::newRow("XBEL folders 257 deep")
        << xbel << "<xbel>" + repeated("<folder>", 257) + repeated("</folder>", 257) + "</xbel>"
        << QStringLiteral("nested more than 256 levels");
    QTest::newRow("XBEL with 200,001 bookmarks")
        << xbel << "<xbel>" + repeated("<bookmark href=\"u\"/>", 200001) + "</xbel>"
        << QStringLiteral("more than 200000 bookmarks and folders");
    QTest::newRow("XBEL over 64 MiB")
        << xbel << QByteArray(64 * 1024 * 1024 + 1, ' ') << QStringLiteral("larger than 64 MiB");
}

void TestBookmarkImport::damagedFilesAreRefused()
{
    QFETCH(Parser, parse);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const BookmarkReadResult result = parse(bytes);
    QVERIFY(!result);
    QVERIFY(!result.root);
    QVERIFY2(result.error.contains(error), qPrintable(result.error));
}

void TestBookmarkImport::limitsAreInclusive_data()
{
    QTest::addColumn<Parser>("parse");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("entries");
    QTest::addColumn<qsizetype>("folders");

    QTest::newRow("HTML folders 256 deep, in 257 lists")
        << Parser(&parseNetscapeBookmarks)
        << "<DL><p>" + repeated("<DT><H3>F</H3><DL><p>", 256) + repeated("</DL><p>", 257) << qsizetype(0)
        << qsizetype(256);
    QTest::newRow("XBEL folders 256 deep")
        << Parser(&parseXbelBookmarks)
        << "<xbel>" + repeated("<folder>", 256) + repeated("</folder>", 256) + "</xbel>" << qsizetype(0)
        << qsizetype(256);
    QTest::newRow("200,000 bookmarks")
        << Parser(&parseXbelBookmarks) << "<xbel>" + repeated("<bookmark href=\"u\"/>", 200000) + "</xbel>"
        << qsizetype(200000) << qsizetype(0);
}

void TestBookmarkImport::limitsAreInclusive()
{
    QFETCH(Parser, parse);
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, entries);
    QFETCH(qsizetype, folders);
    const BookmarkReadResult result = parse(bytes);
    QVERIFY2(result, qPrintable(result.error));
    QCOMPARE(result.entryCount, entries);
    QCOMPARE(result.folderCount, folders);
}

void TestBookmarkImport::formatIsDetected_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<BookmarkFormat>("format");

    QTest::newRow("Firefox") << fixture("firefox.html") << BookmarkFormat::NetscapeHtml;
    QTest::newRow("KDE") << fixture("kde-bookmarks.xml") << BookmarkFormat::Xbel;
    QTest::newRow("GLib") << fixture("glib-recently-used.xbel") << BookmarkFormat::Xbel;
    QTest::newRow("XBEL without declaration, with byte order mark")
        << QByteArray("\xEF\xBB\xBF<xbel version=\"1.0\"/>") << BookmarkFormat::Xbel;
    QTest::newRow("any XML") << QByteArray("  <?xml version=\"1.0\"?><html/>") << BookmarkFormat::Xbel;
    QTest::newRow("HTML without the document type")
        << QByteArray("<dl><p><dt><a href=u>t</a></dl>") << BookmarkFormat::NetscapeHtml;
    QTest::newRow("short garbage") << QByteArray("\xEF\xBB") << BookmarkFormat::NetscapeHtml;
}

void TestBookmarkImport::formatIsDetected()
{
    QFETCH(QByteArray, bytes);
    QFETCH(BookmarkFormat, format);
    QCOMPARE(detectBookmarkFormat(bytes), format);
}

void TestBookmarkImport::readsFilesAndReportsMissingOnes()
{
    const BookmarkReadResult read =
        readBookmarkFile(QStringLiteral(LINKSHELF_TEST_DATA "/bookmarks/kde-bookmarks.xml"));
    QVERIFY2(read, qPrintable(read.error));
    QCOMPARE(read.entryCount, 3);

    QTemporaryDir dir;
    const BookmarkReadResult missing = readBookmarkFile(dir.filePath(QStringLiteral("none.html")));
    QVERIFY(!missing);
    QVERIFY2(missing.error.startsWith(QStringLiteral("It cannot be read: ")), qPrintable(missing.error));
    const BookmarkReadResult folderPath = readBookmarkFile(dir.path());
    QVERIFY(!folderPath);
}

LINKSHELF_TEST_CORE_MAIN(TestBookmarkImport)
#include "tst_bookmarkimport.moc"
