// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged catalog files met by the real window: the original is copied aside before the next
// command rewrites it, the user is told once where, and a copy is never made twice.
#include "contentsfile.h"
#include "damagedfiles.h"
#include "entrylistmodel.h"
#include "maintree.h"
#include "testenvironment.h"
#include "windowfixture.h"

namespace {

QStringList keptCopies(const WindowFixture &f)
{
    return QDir(damagedFilesFolder(f.workDir())).entryList(QDir::Files, QDir::Name);
}

QByteArray readKept(const WindowFixture &f, const QString &name)
{
    QFile file(damagedFilesFolder(f.workDir()) + u'/' + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeOneFolderTree(WindowFixture &f)
{
    f.writeCatalogFile(QStringLiteral("tree.lsf"), "Links\r\n");
    f.writeCatalogFile(QStringLiteral("itree.lsf"), "cat0.lsf\r\n");
    f.writeCatalogFile(QStringLiteral("etree.lsf"), QByteArray("\x02", 1));
}

// Two whole entries, then a third whose path length runs past the end of the file.
QByteArray cutOffContents()
{
    QByteArray bytes = serializeContents({MFile{0, "/a", {}, {}}, MFile{1, "http://b", {}, "kept"},
                                          MFile{0, "/c/this/path/is/cut", {}, {}}});
    bytes[0] = 3;
    return bytes.chopped(12);
}

} // namespace

class TestDamagedFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void aDamagedContentsFileIsKeptBeforeItIsRewritten()
    {
        WindowFixture f;
        writeOneFolderTree(f);
        const QByteArray original = cutOffContents();
        f.writeCatalogFile(QStringLiteral("cat0.lsf"), original);

        TMain &w = f.open();
        QCOMPARE(w.mainList()->model().count(), 2); // what could be read
        QCOMPARE(keptCopies(f).size(), 1);
        const QString copy = keptCopies(f).first();
        QVERIFY2(copy.startsWith(QStringLiteral("cat0.lsf.damaged-")), qPrintable(copy));
        QCOMPARE(readKept(f, copy), original);
        QCOMPARE(f.interaction.messages.size(), 1);
        QVERIFY2(f.interaction.messages.first().contains(damagedFilesFolder(f.workDir()) + u'/' + copy),
                 qPrintable(f.interaction.messages.first()));

        // Reading it again, in this run or the next, neither copies nor tells again.
        w.mainTree()->setCurrentItem(nullptr);
        w.mainTree()->setCurrentItem(w.mainTree()->topLevelItem(0));
        f.closeWindow();
        TMain &again = f.open();
        QCOMPARE(keptCopies(f).size(), 1);
        QCOMPARE(f.interaction.messages.size(), 1);

        again.entryCommands().AddUrl(QStringLiteral("http://new.example"));
        QCOMPARE(parseContents(f.readCatalogFile(QStringLiteral("cat0.lsf"))).entries.size(), 3);
        QCOMPARE(readKept(f, copy), original);
    }

    void filesWithNothingToLoseGetNoCopy()
    {
        WindowFixture f;
        writeOneFolderTree(f);
        f.writeCatalogFile(QStringLiteral("cat0.lsf"), QByteArray()); // no count at all
        f.open();
        QVERIFY(keptCopies(f).isEmpty());
        QVERIFY(f.interaction.messages.isEmpty());
    }

    void treeFilesThatDisagreeAreKeptTogether()
    {
        WindowFixture f;
        const QByteArray tree("Links\r\n\tNews\r\nTools\r\n"), index("cat0.lsf\r\ncat1.lsf\r\n"),
            state("\x01\x02\x00\x00", 4);
        f.writeCatalogFile(QStringLiteral("tree.lsf"), tree);
        f.writeCatalogFile(QStringLiteral("itree.lsf"), index);
        f.writeCatalogFile(QStringLiteral("etree.lsf"), state);
        f.writeCatalogFile(QStringLiteral("cat0.lsf"), QByteArray(4, '\0'));
        f.writeCatalogFile(QStringLiteral("cat1.lsf"), QByteArray(4, '\0'));

        TMain &w = f.open();
        QCOMPARE(w.mainTree()->foldersInPreOrder().size(), 3);
        const QStringList copies = keptCopies(f);
        QCOMPARE(copies.size(), 3);
        const QString stamp = copies.first().section(u'-', 1); // one time stamp for the set
        QCOMPARE(readKept(f, QStringLiteral("etree.lsf.damaged-") + stamp), state);
        QCOMPARE(readKept(f, QStringLiteral("itree.lsf.damaged-") + stamp), index);
        QCOMPARE(readKept(f, QStringLiteral("tree.lsf.damaged-") + stamp), tree);
        QCOMPARE(f.interaction.messages.size(), 1);
        QVERIFY(f.interaction.messages.first().contains(QStringLiteral("itree.lsf")));

        w.mainTree()->setCurrentItem(w.mainTree()->topLevelItem(1)); // saves the tree files
        QCOMPARE(f.readCatalogFile(QStringLiteral("itree.lsf")), QByteArray("cat0.lsf\r\ncat1.lsf\r\nNULL\r\n"));
        QCOMPARE(readKept(f, QStringLiteral("itree.lsf.damaged-") + stamp), index);
    }

    void aTreeThatCannotLoadIsKeptAside()
    {
        WindowFixture f;
        const QByteArray tree("Top\r\n\t\tToo deep\r\n");
        f.writeCatalogFile(QStringLiteral("tree.lsf"), tree);
        QVERIFY_THROWS_EXCEPTION(CatalogLoadError, f.open());
        QCOMPARE(keptCopies(f).size(), 1);
        QCOMPARE(readKept(f, keptCopies(f).first()), tree);
        QCOMPARE(f.interaction.messages.size(), 1);
    }

    void aCopyThatCannotBeMadeIsSaid()
    {
        WindowFixture f;
        writeOneFolderTree(f);
        f.writeCatalogFile(QStringLiteral("cat0.lsf"), cutOffContents());
        f.writeCatalogFile(QStringLiteral("damaged"), "a file where the folder would go");
        f.open();
        QCOMPARE(f.interaction.messages.size(), 1);
        QVERIFY2(f.interaction.messages.first().contains(QStringLiteral("No copy could be kept")),
                 qPrintable(f.interaction.messages.first()));
    }
};

LINKSHELF_TEST_MAIN(TestDamagedFiles)
#include "tst_damagedfiles.moc"
