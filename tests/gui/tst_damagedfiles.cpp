// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged catalog files met by the real window: the original is copied aside before the next
// command rewrites it, the user is told once where, and a copy is never made twice.
#include "contentsfile.h"
#include "damagedfiles.h"
#include "entrylistmodel.h"
#include "forwardedstart.h"
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
    f.writeTreeFiles("Links\r\n", "cat0.lsf\r\n", QByteArray("\x02", 1));
}

// Two whole entries, then a third whose path length runs past the end of the file.
QByteArray cutOffContents()
{
    QByteArray bytes = serializeContents(
        {MFile{0, "/a", {}, {}}, MFile{1, "http://b", {}, "kept"}, MFile{0, "/c/this/path/is/cut", {}, {}}});
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
        f.writeTreeFiles(tree, index, state);
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
        QCOMPARE(f.readCatalogFile(QStringLiteral("itree.lsf")),
                 QByteArray("cat0.lsf\r\ncat1.lsf\r\nNULL\r\n"));
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

    // Nothing writes a damaged file whose copy failed: neither a command in the window nor an
    // entry handed over on the command line.
    void aCopyThatCannotBeMadeIsSaidAndTheFileLeftAlone()
    {
        WindowFixture f;
        writeOneFolderTree(f);
        const QByteArray original = cutOffContents();
        f.writeCatalogFile(QStringLiteral("cat0.lsf"), original);
        f.writeCatalogFile(QStringLiteral("damaged"), "a file where the folder would go");
        TMain &w = f.open();
        QCOMPARE(f.interaction.messages.size(), 1);
        QVERIFY2(f.interaction.messages.first().contains(QStringLiteral("No copy could be kept")),
                 qPrintable(f.interaction.messages.first()));
        w.entryCommands().AddUrl(QStringLiteral("http://new.example"));
        addCommandLineEntries(w, {MFile{MFile::UrlKind, "http://handed.example", {}, {}}});
        QCOMPARE(f.interaction.messages.size(), 3); // each refusal says why
        QCOMPARE(w.mainList()->model().count(), 2);
        QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")), original);
    }

    void aMissingTreeFileBesideTheOthers_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("tree.lsf") << QStringLiteral("tree.lsf");
        QTest::newRow("itree.lsf") << QStringLiteral("itree.lsf");
    }

    // Without its tree or index file the catalog is damaged, not new: the user is told which
    // file is missing, the others are kept aside, and a new folder takes a name no file has.
    void aMissingTreeFileBesideTheOthers()
    {
        QFETCH(QString, missing);
        WindowFixture f;
        writeOneFolderTree(f);
        const QByteArray entries = serializeContents({MFile{0, "/kept", {}, {}}});
        f.writeCatalogFile(QStringLiteral("cat0.lsf"), entries);
        QVERIFY(QFile::remove(f.catalogFile(missing)));
        TMain &w = f.open();
        QVERIFY(f.interaction.errors.isEmpty());
        QCOMPARE(f.interaction.messages.size(), 1);
        QVERIFY2(f.interaction.messages.first().contains(missing + QStringLiteral(" is missing")),
                 qPrintable(f.interaction.messages.first()));
        QVERIFY(keptCopies(f).filter(QStringLiteral("etree.lsf.damaged-")).size() == 1);

        f.interaction.stringAnswers = {QStringLiteral("New")};
        releaseKeyIn(w, w.mainTree(), Qt::Key_F7);
        QCOMPARE(w.mainTree()->selectedFolder()->record->FileName, QByteArray("cat1.lsf"));
        QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")), entries);
    }
};

LINKSHELF_TEST_MAIN(TestDamagedFiles)
#include "tst_damagedfiles.moc"
