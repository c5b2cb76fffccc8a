// SPDX-License-Identifier: GPL-3.0-or-later
// Contents file names: free ones of cat0.lsf to cat1999.lsf, compared byte for byte.
#include "contentsnames.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray catName(int n)
{
    return "cat" + QByteArray::number(n) + ".lsf";
}

QList<QByteArray> catNames(int from, int to)
{
    QList<QByteArray> names;
    for (int n = from; n <= to; ++n)
        names.append(catName(n));
    return names;
}

} // namespace

class TestContentsNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isFree_data();
    void isFree();
    void firstFree_data();
    void firstFree();
    void namesAreReusedLowestFirst();
    void machinesRarelyDrawTheSameName();
    void namesInTheWorkDirectoryAreTaken();
};

void TestContentsNames::isFree_data()
{
    QTest::addColumn<QList<QByteArray>>("taken");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("free");

    QTest::newRow("nothing taken") << QList<QByteArray>{} << QByteArray("cat0.lsf") << true;
    QTest::newRow("taken") << QList<QByteArray>{"cat3.lsf", "cat0.lsf"} << QByteArray("cat0.lsf") << false;
    QTest::newRow("case differs") << QList<QByteArray>{"CAT0.LSF"} << QByteArray("cat0.lsf") << true;
    QTest::newRow("leading zero differs") << QList<QByteArray>{"cat00.lsf"} << QByteArray("cat0.lsf") << true;
    QTest::newRow("trailing blank differs")
        << QList<QByteArray>{"cat0.lsf "} << QByteArray("cat0.lsf") << true;
    QTest::newRow("prefix differs") << QList<QByteArray>{"cat0.ls"} << QByteArray("cat0.lsf") << true;
    QTest::newRow("empty name taken by an empty record") << QList<QByteArray>{""} << QByteArray("") << false;
}

void TestContentsNames::isFree()
{
    QFETCH(QList<QByteArray>, taken);
    QFETCH(QByteArray, name);
    QFETCH(bool, free);
    QCOMPARE(IsContentsNameFree(taken, name), free);
}

void TestContentsNames::firstFree_data()
{
    QTest::addColumn<QList<QByteArray>>("taken");
    QTest::addColumn<QByteArray>("expected"); // empty: none free

    QTest::newRow("new catalog") << QList<QByteArray>{} << QByteArray("cat0.lsf");
    QTest::newRow("gap is filled first")
        << QList<QByteArray>{"cat0.lsf", "cat2.lsf"} << QByteArray("cat1.lsf");
    QTest::newRow("other spellings block nothing")
        << QList<QByteArray>{"Cat0.lsf", "cat00.lsf", "cat0.LSF", "", "cat-0.lsf"} << QByteArray("cat0.lsf");
    QTest::newRow("duplicates") << QList<QByteArray>{"cat0.lsf", "cat0.lsf", "cat1.lsf"}
                                << QByteArray("cat2.lsf");
    QTest::newRow("only the last is free") << catNames(0, 1998) << QByteArray("cat1999.lsf");
    QTest::newRow("all 2000 taken") << catNames(0, 1999) << QByteArray();
    QTest::newRow("names past the range do not help") << catNames(0, 2500) << QByteArray();
}

void TestContentsNames::firstFree()
{
    QFETCH(QList<QByteArray>, taken);
    QFETCH(QByteArray, expected);

    const std::optional<QByteArray> name = firstFreeContentsName(taken);
    QCOMPARE(name.value_or(QByteArray()), expected);
    if (name)
        QVERIFY(IsContentsNameFree(taken, *name));
}

void TestContentsNames::namesAreReusedLowestFirst()
{
    QList<QByteArray> taken{"cat0.lsf", "cat2.lsf"};
    for (const char *expected : {"cat1.lsf", "cat3.lsf", "cat4.lsf"}) {
        const std::optional<QByteArray> name = firstFreeContentsName(taken);
        QCOMPARE(name.value_or(QByteArray()), QByteArray(expected));
        taken.append(*name);
    }
    taken.removeOne("cat2.lsf"); // the folder holding cat2.lsf was deleted
    QCOMPARE(firstFreeContentsName(taken).value_or(QByteArray()), QByteArray("cat2.lsf"));
}

// Two machines adding a folder at once must not both take the lowest free name.
void TestContentsNames::machinesRarelyDrawTheSameName()
{
    const QList<QByteArray> taken = catNames(0, 9);
    QSet<QByteArray> drawn;
    for (quint32 machine = 1; machine <= 50; ++machine) {
        QRandomGenerator random(machine);
        const std::optional<QByteArray> name = randomFreeContentsName(taken, random);
        QVERIFY(name && IsContentsNameFree(taken, *name));
        QVERIFY(!IsContentsNameFree(catNames(0, 1999), *name));
        drawn.insert(*name);
    }
    QVERIFY(drawn.size() >= 45);
    QRandomGenerator random(1);
    QCOMPARE(randomFreeContentsName(catNames(0, 1998), random).value_or(QByteArray()),
             QByteArray("cat1999.lsf"));
    QVERIFY(!randomFreeContentsName(catNames(0, 1999), random));
}

// A file the tree no longer names may hold a lost folder's entries; a link that leads nowhere
// would be written through to where it points.
void TestContentsNames::namesInTheWorkDirectoryAreTaken()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("cat0.lsf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("cat2.lsf")));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(QStringLiteral("cat3.lsf"))));
    const QList<QByteArray> taken = takenContentsNames(dir.path(), {"cat1.lsf"});
    QCOMPARE(firstFreeContentsName(taken).value_or(QByteArray()), QByteArray("cat4.lsf"));
}

LINKSHELF_TEST_CORE_MAIN(TestContentsNames)
#include "tst_contentsnames.moc"
