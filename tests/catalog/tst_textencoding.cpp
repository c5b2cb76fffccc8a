// SPDX-License-Identifier: GPL-3.0-or-later
// A catalog's text encoding: what each language's code page is, what encoding keeps and what
// it refuses, and how imported text that a code page cannot hold is kept.
#include "catalogbookmarks.h"
#include "pathmapping.h"
#include "testenvironment.h"
#include "textencoding.h"

#include <QTest>

class TestTextEncoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codePageOfLanguage_data();
    void codePageOfLanguage();
    void encodeKeepsOrRefuses_data();
    void encodeKeepsOrRefuses();
    void importedTextKeepsWhatCannotBeEncoded();
    void exportCarriesUtf8AndMappedPaths();
};

void TestTextEncoding::codePageOfLanguage_data()
{
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<QString>("codePage");
    QTest::newRow("Russian") << QLocale::Russian << QStringLiteral("windows-1251");
    QTest::newRow("Japanese") << QLocale::Japanese << QStringLiteral("windows-31j");
    QTest::newRow("Chinese") << QLocale::Chinese << QStringLiteral("GBK");
    QTest::newRow("Polish") << QLocale::Polish << QStringLiteral("windows-1250");
    QTest::newRow("Greek") << QLocale::Greek << QStringLiteral("windows-1253");
    QTest::newRow("Turkish") << QLocale::Turkish << QStringLiteral("windows-1254");
    QTest::newRow("Korean") << QLocale::Korean << QStringLiteral("windows-949");
    QTest::newRow("none of its own") << QLocale::French << QStringLiteral("windows-1252");
}

// Each name must be one the converters know: an unknown one would leave the catalog UTF-8.
void TestTextEncoding::codePageOfLanguage()
{
    QFETCH(QLocale::Language, language);
    QFETCH(QString, codePage);
    QCOMPARE(legacyEncodingOf(language).name(), codePage);
    QVERIFY(offeredEncodingNames().contains(codePage));
}

void TestTextEncoding::encodeKeepsOrRefuses_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes"); // when kept
    QTest::addColumn<uint>("refused");     // 0: kept
    QTest::newRow("1252 euro and dash") << QStringLiteral("windows-1252") << QStringLiteral("5 € – ü")
                                        << QByteArray("5 \x80 \x96 \xfc") << 0u;
    QTest::newRow("1252 refuses Cyrillic, names the first")
        << QStringLiteral("windows-1252") << QStringLiteral("aЖbЯ") << QByteArray() << 0x416u;
    QTest::newRow("1251 Cyrillic") << QStringLiteral("windows-1251") << QStringLiteral("Отчёт")
                                   << QByteArray("\xce\xf2\xf7\xb8\xf2") << 0u;
    QTest::newRow("31j letter whose second byte is a backslash")
        << QStringLiteral("windows-31j") << QStringLiteral("表") << QByteArray("\x95\x5c") << 0u;
    QTest::newRow("31j refuses what is outside it")
        << QStringLiteral("windows-31j") << QStringLiteral("ok 😀") << QByteArray() << 0x1F600u;
    QTest::newRow("UTF-8 holds all") << QStringLiteral("UTF-8") << QStringLiteral("😀")
                                     << QByteArray("\xf0\x9f\x98\x80") << 0u;
}

void TestTextEncoding::encodeKeepsOrRefuses()
{
    QFETCH(QString, codePage);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(uint, refused);
    const std::optional<TextEncoding> encoding = TextEncoding::named(codePage);
    QVERIFY(encoding);
    const EncodedText encoded = encoding->encode(text);
    QCOMPARE(uint(encoded.unencodable.value_or(0)), refused);
    if (refused) {
        QVERIFY(encoded.bytes.isEmpty()); // never a "?" in place of the character
        const QString message = encoding->unencodableMessage(*encoded.unencodable);
        const char32_t character = refused;
        QVERIFY2(message.contains(QString::fromUcs4(&character, 1)) && message.contains(codePage),
                 qPrintable(message));
        return;
    }
    QCOMPARE(encoded.bytes, bytes);
    QCOMPARE(encoding->decode(bytes), text);
}

// Imported bookmarks arrive as UTF-8; in a windows-1252 catalog a Cyrillic title keeps its
// letters as numeric references, and the file path stays the bytes of the file's name.
void TestTextEncoding::importedTextKeepsWhatCannotBeEncoded()
{
    BookmarkFolder root;
    root.subfolders.append(BookmarkFolder{QByteArray("Café"), {}, {}});
    root.entries.append(MFile{MFile::FileKind, QByteArray("/home/ann/Жук.txt"), {}, QByteArray("Жук – 5 €")});
    int replaced = 0;
    const BookmarkFolder stored =
        bookmarkTreeForCatalog(root, *TextEncoding::named(QStringLiteral("windows-1252")), replaced);
    QCOMPARE(replaced, 3);
    QCOMPARE(stored.subfolders.first().name, QByteArray("Caf\xe9"));
    QCOMPARE(stored.entries.first().Description, QByteArray("&#1046;&#1091;&#1082; \x96 5 \x80"));
    QCOMPARE(stored.entries.first().Path, root.entries.first().Path);
}

// An export of a windows-1251 catalog: texts become UTF-8, a file entry's Windows path the
// path it opens as; a URL entry's address is text like any other.
void TestTextEncoding::exportCarriesUtf8AndMappedPaths()
{
    BookmarkFolder root;
    root.subfolders.append(BookmarkFolder{QByteArray("\xc4\xee\xea"), {}, {}});
    root.entries.append(
        MFile{MFile::FileKind, QByteArray("C:\\Users\\ann\\\xce\xf2.txt"), {}, QByteArray("\xcf\xf0")});
    root.entries.append(MFile{MFile::UrlKind, QByteArray("https://x.example/\xe6"), {}, {}});
    const TextEncoding cyrillic = *TextEncoding::named(QStringLiteral("windows-1251"));
    const QList<PathMapping> mappings{{QStringLiteral("C:\\Users\\ann\\"), QStringLiteral("/home/ann/")}};
    const BookmarkFolder exported = bookmarkTreeForExport(root, cyrillic, [&](const QByteArray &stored) {
        return mappedPath(cyrillic.decode(stored), mappings).value_or(QString()).toUtf8();
    });
    QCOMPARE(exported.subfolders.first().name, QStringLiteral("Док").toUtf8());
    QCOMPARE(exported.entries[0].Path, QStringLiteral("/home/ann/От.txt").toUtf8());
    QCOMPARE(exported.entries[0].Description, QStringLiteral("Пр").toUtf8());
    QCOMPARE(exported.entries[1].Path, QStringLiteral("https://x.example/ж").toUtf8());
}

LINKSHELF_TEST_CORE_MAIN(TestTextEncoding)
#include "tst_textencoding.moc"
