// SPDX-License-Identifier: GPL-3.0-or-later
// Atomic replacement of one file and of several files as a unit.
#include "atomicfile.h"
#include "testenvironment.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {} // namespace

class TestAtomicFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void singleFileReplacesWhole();
    void singleFileFailureNamesTheFile();
    void unitReplacesAll();
    void unitFailureTouchesNothing_data();
    void unitFailureTouchesNothing();
};

void TestAtomicFile::singleFileReplacesWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.lsf"));
    QVERIFY(writeFileAtomically(path, QByteArray(1000, 'x')));
    QVERIFY(writeFileAtomically(path, "short"));
    QCOMPARE(readFile(path), QByteArray("short"));
    QVERIFY(writeFileAtomically(path, {}));
    QCOMPARE(readFile(path), QByteArray());
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("a.lsf")});
}

void TestAtomicFile::singleFileFailureNamesTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no/such/folder/a.lsf"));
    const SaveResult result = writeFileAtomically(path, "x");
    QVERIFY(!result);
    QVERIFY2(result.errorString.contains(QStringLiteral("a.lsf")), qPrintable(result.errorString));

    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("b.lsf"))); // a folder in the file's place
    QVERIFY(!writeFileAtomically(dir.filePath(QStringLiteral("b.lsf")), "x"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("b.lsf"))).isDir());
}

void TestAtomicFile::unitReplacesAll()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a")), b = dir.filePath(QStringLiteral("b"));
    QVERIFY(writeFilesAtomically({{a, "old a, longer"}, {b, "old b"}}));
    QVERIFY(writeFilesAtomically({{a, "new a"}, {b, ""}}));
    QCOMPARE(readFile(a), QByteArray("new a"));
    QCOMPARE(readFile(b), QByteArray());
    QCOMPARE(filesIn(dir.path()), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

void TestAtomicFile::unitFailureTouchesNothing_data()
{
    QTest::addColumn<int>("blocked");
    QTest::newRow("first file") << 0;
    QTest::newRow("middle file") << 1;
    QTest::newRow("last file") << 2;
}

// A folder where a staging file must go makes that file impossible to write; the targets
// written before it must not be replaced, and no staging file may be left behind.
void TestAtomicFile::unitFailureTouchesNothing()
{
    QFETCH(int, blocked);

    QTemporaryDir dir;
    const QStringList names{QStringLiteral("itree.lsf"), QStringLiteral("tree.lsf"),
                            QStringLiteral("etree.lsf")};
    QList<PendingFile> oldFiles, newFiles;
    for (const QString &name : names) {
        oldFiles.append({dir.filePath(name), "old " + name.toLatin1()});
        newFiles.append({dir.filePath(name), "new " + name.toLatin1()});
    }
    QVERIFY(writeFilesAtomically(oldFiles));
    const QString blocker = names[blocked] + QStringLiteral(".new");
    QVERIFY(QDir(dir.path()).mkdir(blocker));

    const SaveResult result = writeFilesAtomically(newFiles);
    QVERIFY(!result);
    QVERIFY2(result.errorString.contains(names[blocked]), qPrintable(result.errorString));
    for (const PendingFile &file : oldFiles)
        QCOMPARE(readFile(file.path), file.bytes);
    QStringList expected = names + QStringList{blocker};
    expected.sort();
    QCOMPARE(filesIn(dir.path()), expected);
}

LINKSHELF_TEST_CORE_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
