// SPDX-License-Identifier: GPL-3.0-or-later
// The contents file against hand-built fixtures, damaged files and the file I/O around it.
#include "contentsfile.h"
#include "contentsrecords.h"
#include "testenvironment.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <limits>

namespace {

QByteArray le32(qint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray text(const QByteArray &bytes)
{
    return le32(qint32(bytes.size())) + bytes;
}

QByteArray entry(const QByteArray &path, const QByteArray &program, const QByteArray &description,
                 qint32 kind)
{
    return text(path) + text(program) + text(description) + le32(kind);
}

QList<QByteArray> pathsOf(const QList<MFile> &entries)
{
    QList<QByteArray> paths;
    for (const MFile &file : entries)
        paths.append(file.Path);
    return paths;
}

constexpr qint32 Int32Max = std::numeric_limits<qint32>::max();
constexpr qint32 Int32Min = std::numeric_limits<qint32>::min();

} // namespace

class TestContentsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixtures_data();
    void fixtures();
    void damagedFiles_data();
    void damagedFiles();
    void zeroByteCutsTextButNotPosition();
    void roundTripKeepsEveryByte_data();
    void roundTripKeepsEveryByte();
    void bothSerialisersAgree();
    void fileIo();
    void missingFileIsUnreadable();
    void writeFailureNamesTheFile();
};

void TestContentsFile::fixtures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<MFile>>("entries");

    QTest::newRow("no entries") << testData("contents-empty.lsf") << QList<MFile>{};
    QTest::newRow("file entry of 16 bytes plus its path")
        << testData("contents-file-entry.lsf")
        << QList<MFile>{{MFile::FileKind, "/home/ana/notes.txt", {}, {}}};
    QTest::newRow("description of two lines joined by CR LF")
        << testData("contents-multiline.lsf")
        << QList<MFile>{{MFile::UrlKind, "https://example.org/", {}, "first line\r\nsecond line"}};
    QTest::newRow("kind 2 kept as 2")
        << testData("contents-kind2.lsf")
        << QList<MFile>{{2, "/tmp/a.txt", {}, {}}, {0, "/tmp/b.txt", "/bin/vim", "note"}};
    QTest::newRow("texts that are not UTF-8") << testData("contents-non-utf8.lsf")
                                              << QList<MFile>{{0, "/srv/caf\xe9/\xff.txt",
                                                               "/opt/\xc3\x28"
                                                               "b",
                                                               "\x80\x81 end"}};
}

// Reading the fixture gives the records, and writing the records gives the fixture back.
void TestContentsFile::fixtures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<MFile>, entries);

    const ContentsReadResult read = parseContents(bytes);
    QVERIFY(!read.damaged);
    QCOMPARE(read.entries, entries);
    QCOMPARE(serializeContents(entries), bytes);
}

void TestContentsFile::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("keptPaths");
    QTest::addColumn<bool>("damaged");

    const QByteArray first = entry("/a", "", "", 0);
    const QByteArray second = entry("/b", "/bin/b", "B", 1);
    using Paths = QList<QByteArray>;

    QTest::newRow("empty file") << QByteArray() << Paths{} << true;
    QTest::newRow("three bytes") << QByteArray(3, '\0') << Paths{} << true;
    // Whatever follows the counted entries would be dropped by the next write.
    QTest::newRow("count one less than entries") << le32(1) + first + second << Paths{"/a"} << true;
    QTest::newRow("bytes after the last entry") << le32(1) + first + "junk" << Paths{"/a"} << true;
    QTest::newRow("negative count") << le32(-1) + first << Paths{} << true;
    QTest::newRow("most negative count") << le32(Int32Min) + first << Paths{} << true;
    QTest::newRow("largest count, no entries") << le32(Int32Max) << Paths{} << true;
    QTest::newRow("largest count, one entry") << le32(Int32Max) + first << Paths{"/a"} << true;
    QTest::newRow("count one more than entries") << le32(3) + first + second << Paths{"/a", "/b"} << true;
    QTest::newRow("cut inside a length") << le32(2) + first + QByteArray(2, '\x02') << Paths{"/a"} << true;
    QTest::newRow("cut inside a text") << le32(2) + first + le32(10) + "/b" << Paths{"/a"} << true;
    QTest::newRow("cut before the kind") << le32(2) + first + second.chopped(4) << Paths{"/a"} << true;
    QTest::newRow("cut inside the kind") << le32(1) + first.chopped(1) << Paths{} << true;
    QTest::newRow("length one past the end") << le32(1) + le32(3) + "/a" << Paths{} << true;
    QTest::newRow("negative path length") << le32(2) + first + le32(-1) + "/b" << Paths{"/a"} << true;
    QTest::newRow("negative program length")
        << le32(2) + first + text("/b") + le32(-7) << Paths{"/a"} << true;
    QTest::newRow("most negative description length")
        << le32(2) + first + text("/b") + text("") + le32(Int32Min) + le32(0) << Paths{"/a"} << true;
    QTest::newRow("largest length") << le32(2) + first + le32(Int32Max) + QByteArray(64, 'x') << Paths{"/a"}
                                    << true;
}

// A damaged file keeps what was read before the damage and never reads past its end
// (the sanitizer build checks the second half).
void TestContentsFile::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, keptPaths);
    QFETCH(bool, damaged);

    // A copy of exactly the right size, so that reading one byte too far is caught.
    const QByteArray exact(bytes.constData(), bytes.size());
    const ContentsReadResult read = parseContents(exact);
    QCOMPARE(read.damaged, damaged);
    QCOMPARE(pathsOf(read.entries), keptPaths);
    QVERIFY(!read.unreadable);
}

void TestContentsFile::zeroByteCutsTextButNotPosition()
{
    const QByteArray bytes =
        le32(1) + text(QByteArray("/a\0hidden", 9)) + text("/bin/x") + text("") + le32(0);
    const ContentsReadResult read = parseContents(bytes);
    QVERIFY(!read.damaged);
    QVERIFY(read.textsCut);
    QCOMPARE(read.entries, (QList<MFile>{{0, "/a", "/bin/x", {}}}));

    // The records over the file's bytes show and write back the cut text, like the entries.
    ContentsRecords::ScanStatus status;
    const ContentsRecords records = ContentsRecords::parse(bytes + bytes.mid(4), status);
    QVERIFY(status.textsCut && status.damaged); // the second copy is past the count
    QCOMPARE(records.file(0), read.entries[0]);
    QCOMPARE(records.text(0, ContentsRecords::ProgramField), "/bin/x");
    QCOMPARE(records.serialized(1, [](qsizetype i) { return i; }), serializeContents(read.entries));
}

void TestContentsFile::roundTripKeepsEveryByte_data()
{
    QTest::addColumn<QList<MFile>>("entries");

    QByteArray everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte.append(char(b));
    QTest::newRow("every byte but zero") << QList<MFile>{{1, everyByte, everyByte, everyByte}};
    QTest::newRow("texts longer than 1023 bytes")
        << QList<MFile>{{0, QByteArray(5000, 'p'), QByteArray(1024, 'q'), QByteArray(70000, 'd')}};
    QTest::newRow("unusual kinds") << QList<MFile>{
        {-1, "a", {}, {}}, {Int32Min, "b", {}, {}}, {Int32Max, "c", {}, {}}};
    QTest::newRow("many entries") << QList<MFile>(1000, MFile{0, "/some/path", "", "d"});
}

void TestContentsFile::roundTripKeepsEveryByte()
{
    QFETCH(QList<MFile>, entries);

    const QByteArray bytes = serializeContents(entries);
    qsizetype expectedSize = 4;
    for (const MFile &file : entries)
        expectedSize += 16 + file.Path.size() + file.Program.size() + file.Description.size();
    QCOMPARE(bytes.size(), expectedSize);
    const ContentsReadResult read = parseContents(bytes);
    QVERIFY(!read.damaged);
    QCOMPARE(read.entries, entries);
}

void TestContentsFile::bothSerialisersAgree()
{
    const QList<MFile> entries{{0, "/x", "/p", "d"}, {1, "https://y", {}, "e\r\nf"}};
    const QByteArray viaCallback =
        serializeContents(entries.size(), [&entries](qsizetype i) -> const MFile & { return entries[i]; });
    QCOMPARE(viaCallback, serializeContents(entries));
    QCOMPARE(serializeContents(0, [&entries](qsizetype) -> const MFile & { return entries[0]; }),
             emptyContents());
    QCOMPARE(emptyContents(), QByteArray(4, '\0'));
}

// Writing replaces a longer old file completely, and reading gives back what was written.
void TestContentsFile::fileIo()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cat0.lsf"));
    const QList<MFile> many(50, MFile{0, "/long/old/path", "/bin/prog", "old"});
    QVERIFY(writeContentsFile(path, serializeContents(many)));
    const QList<MFile> one{{1, "https://example.org/", {}, {}}};
    QVERIFY(writeContentsFile(path, serializeContents(one)));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), serializeContents(one));
    const ContentsReadResult read = readContentsFile(path);
    QVERIFY(!read.damaged && !read.unreadable);
    QCOMPARE(read.entries, one);
}

void TestContentsFile::missingFileIsUnreadable()
{
    QTemporaryDir dir;
    const ContentsReadResult read = readContentsFile(dir.filePath(QStringLiteral("cat7.lsf")));
    QVERIFY(read.unreadable);
    QVERIFY(read.entries.isEmpty());
    QVERIFY(readContentsFile(dir.path()).unreadable); // a folder, not a file
}

void TestContentsFile::writeFailureNamesTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/cat0.lsf"));
    const SaveResult result = writeContentsFile(path, emptyContents());
    QVERIFY(!result);
    QVERIFY2(result.errorString.contains(QStringLiteral("cat0.lsf")), qPrintable(result.errorString));
    QVERIFY(!QFile::exists(path));
}

LINKSHELF_TEST_CORE_MAIN(TestContentsFile)
#include "tst_contentsfile.moc"
