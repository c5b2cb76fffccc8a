// SPDX-License-Identifier: GPL-3.0-or-later
// The bookmark writers: the exact shape of what they write, and export followed by import
// giving back the same folders and entries in both formats, with the few documented
// exceptions for texts the formats cannot carry.
#include "bookmarkexport.h"
#include "bookmarkimport.h"
#include "bookmarkmapping.h"
#include "bookmarktestsupport.h"
#include "entrymakers.h"
#include "testenvironment.h"

#include <QTest>

Q_DECLARE_METATYPE(BookmarkFormat)

namespace {

QByteArray u8(const char8_t *text)
{
    return QByteArray(reinterpret_cast<const char *>(text));
}

const char *formatName(BookmarkFormat format)
{
    return format == BookmarkFormat::Xbel ? "XBEL" : "HTML";
}

struct RoundTripCase
{
    const char *name;
    BookmarkFolder root;
};

QList<RoundTripCase> exactCases()
{
    return {
        {"URL entries",
         folder({}, {urlEntry("https://a.example/", "Title"), urlEntry("mailto:x@example.org", "")})},
        {"file entries of every shape",
         folder({}, {fileEntry("/home/u/a b.txt", ""), fileEntry("C:\\Docs\\x.doc", "on Windows"),
                     fileEntry("//server/share/f", ""), fileEntry("relative/name", ""), fileEntry("", ""),
                     fileEntry("/home/u/folder/", ""), fileEntry("/", ""),
                     fileEntry("/x/named like it", "named like it"),
                     fileEntry("/odd/%41%&amp;#hash?q=1;x'\"<>", "")})},
        {"file path bytes that are not UTF-8", folder({}, {fileEntry("/data/caf\xE9 \x80\xFF.txt", "t")})},
        {"descriptions of several lines",
         folder({},
                {urlEntry("u1", "Title\r\nline 2\r\n\r\nline 4"), urlEntry("u2", "\r\nstarts with a break"),
                 urlEntry("u3", "ends with a break\r\n"), urlEntry("u4", "\r\n"), urlEntry("u5", "\r\n\r\n"),
                 urlEntry("u6", "  padded  \r\n  second  "), urlEntry("u7", "a\r\n\tb\t\r\n ")})},
        {"programs",
         folder({}, {urlEntry("u", "", "/usr/bin/my app"), fileEntry("/f", "t", "it's 100%u done"),
                     urlEntry("v", "", " leading blank"), urlEntry("w", "", "C:\\Program Files\\x.exe"),
                     fileEntry("/g", "", "\"quoted\" & <tagged>")})},
        {"markup characters",
         folder({}, {urlEntry("https://e.example/?a=1&b=<2>\"'", "<b>&amp;</b> \"q\" 'a' &#65;")},
                {folder("<F&G> \"x\"", {})})},
        {"text beyond ASCII",
         folder({}, {urlEntry(u8(u8"https://ελ.example/日本"), u8(u8"Ünïcödé ☺ 😀\r\nüber"))},
                {folder(u8(u8"Папка 😀"), {})})},
        {"URL entries whose URL is a file URL",
         folder({},
                {urlEntry("file:///x/y.html", "t"), urlEntry("FILE:z", ""), fileEntry("/x/y.html", "t")})},
        {"nested and empty folders",
         folder({}, {urlEntry("top", "at the top")},
                {folder("A", {urlEntry("a1", "one"), fileEntry("/a2", "two")},
                        {folder("B", {}, {folder("C", {urlEntry("c", "deep")})}), folder("B2", {})}),
                 folder("D", {}), folder("", {urlEntry("e", "in a folder without a name")})})},
        {"tabs inside texts", folder({}, {urlEntry("u\tv", "a\tb", "p\tq")})},
        {"an empty catalog", folder({}, {})},
    };
}

} // namespace

class TestBookmarkExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportThenImportGivesTheSame_data();
    void exportThenImportGivesTheSame();
    void whatChangesOnTheWay_data();
    void whatChangesOnTheWay();
    void netscapeShape();
    void xbelShape();
    void programsRoundTrip_data();
    void programsRoundTrip();
    void formatFollowsTheFileName_data();
    void formatFollowsTheFileName();
};

void TestBookmarkExport::exportThenImportGivesTheSame_data()
{
    QTest::addColumn<BookmarkFormat>("format");
    QTest::addColumn<BookmarkFolder>("root");
    for (const RoundTripCase &c : exactCases())
        for (const BookmarkFormat format : {BookmarkFormat::NetscapeHtml, BookmarkFormat::Xbel})
            QTest::addRow("%s, %s", c.name, formatName(format)) << format << c.root;
}

void TestBookmarkExport::exportThenImportGivesTheSame()
{
    QFETCH(BookmarkFormat, format);
    QFETCH(BookmarkFolder, root);
    const QByteArray written = writeBookmarks(format, root);
    QVERIFY2(isValidUtf8(written), written.constData());
    QCOMPARE(detectBookmarkFormat(written), format);
    const BookmarkReadResult read = parseBookmarks(written);
    QVERIFY2(read, qPrintable(read.error));
    QCOMPARE(dump(*read.root), dump(root));
    QCOMPARE(*read.root, root);
    // A second trip writes the same bytes: nothing drifts.
    QCOMPARE(writeBookmarks(format, *read.root), written);
}

void TestBookmarkExport::whatChangesOnTheWay_data()
{
    QTest::addColumn<BookmarkFormat>("format");
    QTest::addColumn<BookmarkFolder>("root");
    QTest::addColumn<BookmarkFolder>("expected");

    const QList<std::tuple<const char *, BookmarkFolder, BookmarkFolder>> cases{
        // Bookmark files are UTF-8; catalogs carried over from Western Windows are not.
        {"texts that are not UTF-8 are read as Windows-1252",
         folder({},
                {urlEntry("u", "caf\xE9 \x80 \x93q\x94",
                          "C:\\Outils\\\xE9"
                          "diteur.exe")},
                {folder("Caf\xE9", {})}),
         folder({}, {urlEntry("u", u8(u8"café € “q”"), u8(u8"C:\\Outils\\éditeur.exe"))},
                {folder(u8(u8"Café"), {})})},
        {"a URL that is not UTF-8 is percent-encoded", folder({}, {urlEntry("http://x.example/caf\xE9", "")}),
         folder({}, {urlEntry("http://x.example/caf%E9", "")})},
        {"lone CR and LF become CR LF", folder({}, {urlEntry("u", "a\nb\rc")}),
         folder({}, {urlEntry("u", "a\r\nb\r\nc")})},
        {"control characters are dropped", folder({}, {urlEntry("u\x01", "a\x02\x1F", "p\x7F")}),
         folder({}, {urlEntry("u", "a", "p\x7F")})},
        {"kinds other than 0 and 1 are URL entries",
         folder({}, {MFile{2, "u", {}, "t"}, MFile{-1, "file:///v", {}, ""}}),
         folder({}, {urlEntry("u", "t"), urlEntry("file:///v", "")})},
    };
    for (const auto &[name, root, expected] : cases)
        for (const BookmarkFormat format : {BookmarkFormat::NetscapeHtml, BookmarkFormat::Xbel})
            QTest::addRow("%s, %s", name, formatName(format)) << format << root << expected;
}

void TestBookmarkExport::whatChangesOnTheWay()
{
    QFETCH(BookmarkFormat, format);
    QFETCH(BookmarkFolder, root);
    QFETCH(BookmarkFolder, expected);
    const QByteArray written = writeBookmarks(format, root);
    QVERIFY(isValidUtf8(written));
    const BookmarkReadResult read = parseBookmarks(written);
    QVERIFY2(read, qPrintable(read.error));
    QCOMPARE(dump(*read.root), dump(expected));
}

void TestBookmarkExport::netscapeShape()
{
    const BookmarkFolder root = folder(
        {},
        {urlEntry("https://a.example/?x=1&y=2", "A & B\r\nnote\r\n second "), fileEntry("/h/r 1.pdf", "")},
        {folder("Sub <1>", {urlEntry("file:///k", "", "/usr/bin/view")})});
    const QByteArray expected = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                                "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                                "<TITLE>Bookmarks</TITLE>\n"
                                "<H1>Bookmarks</H1>\n"
                                "<DL><p>\n"
                                "    <DT><H3>Sub &lt;1&gt;</H3>\n"
                                "    <DL><p>\n"
                                "        <DT><A HREF=\"file:///k\" PROGRAM=\"/usr/bin/view\" KIND=\"URL\" "
                                "UNTITLED=\"1\">file:///k</A>\n"
                                "    </DL><p>\n"
                                "    <DT><A HREF=\"https://a.example/?x=1&amp;y=2\">A &amp; B</A>\n"
                                "    <DD>note\n second&#32;\n"
                                "    <DT><A HREF=\"file:///h/r%201.pdf\" UNTITLED=\"1\">r 1.pdf</A>\n"
                                "</DL><p>\n";
    QCOMPARE(writeNetscapeBookmarks(root), expected);
}

void TestBookmarkExport::xbelShape()
{
    const BookmarkFolder root =
        folder("Linkshelf",
               {urlEntry("https://a.example/?x=1&y=2", "A & B\r\nnote\r\nmore"), fileEntry("/h/r 1.pdf", "")},
               {folder("Sub <1>", {urlEntry("file:///k", "", "/opt/it's/view")})});
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE xbel>\n"
        "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\">\n"
        " <title>Linkshelf</title>\n"
        " <folder>\n"
        "  <title>Sub &lt;1&gt;</title>\n"
        "  <bookmark href=\"file:///k\">\n"
        "   <info>\n"
        "    <metadata owner=\"http://freedesktop.org\">\n"
        "     <bookmark:applications>\n"
        "      <bookmark:application name=\"view\" exec=\"'/opt/it'\\''s/view' %u\" count=\"1\"/>\n"
        "     </bookmark:applications>\n"
        "    </metadata>\n"
        "    <metadata owner=\"urn:linkshelf\"><kind>url</kind></metadata>\n"
        "   </info>\n"
        "  </bookmark>\n"
        " </folder>\n"
        " <bookmark href=\"https://a.example/?x=1&amp;y=2\">\n"
        "  <title>A &amp; B</title>\n"
        "  <desc>note\nmore</desc>\n"
        " </bookmark>\n"
        " <bookmark href=\"file:///h/r%201.pdf\">\n"
        " </bookmark>\n"
        "</xbel>\n";
    QCOMPARE(writeXbelBookmarks(root), expected);
}

void TestBookmarkExport::programsRoundTrip_data()
{
    QTest::addColumn<QString>("program");
    for (const char *program :
         {"prog", "/usr/bin/my app", "it's", "100%", "%u", "a%%b", "\"q\"", "back\\slash", " lead", "trail ",
          "$HOME/x", "`cmd`", "semi;colon", "tab\tin"})
        QTest::newRow(program) << QString::fromUtf8(program);
}

void TestBookmarkExport::programsRoundTrip()
{
    QFETCH(QString, program);
    QCOMPARE(programFromExec(execFromProgram(program)), program);
}

void TestBookmarkExport::formatFollowsTheFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<BookmarkFormat>("format");
    QTest::newRow("xbel") << QStringLiteral("/tmp/b.xbel") << BookmarkFormat::Xbel;
    QTest::newRow("XML in capitals") << QStringLiteral("/tmp/B.XML") << BookmarkFormat::Xbel;
    QTest::newRow("html") << QStringLiteral("/tmp/b.html") << BookmarkFormat::NetscapeHtml;
    QTest::newRow("no extension") << QStringLiteral("/tmp/bookmarks") << BookmarkFormat::NetscapeHtml;
}

void TestBookmarkExport::formatFollowsTheFileName()
{
    QFETCH(QString, path);
    QFETCH(BookmarkFormat, format);
    QCOMPARE(bookmarkFormatForFileName(path), format);
}

LINKSHELF_TEST_CORE_MAIN(TestBookmarkExport)
#include "tst_bookmarkexport.moc"
