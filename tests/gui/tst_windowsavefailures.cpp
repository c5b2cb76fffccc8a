// SPDX-License-Identifier: GPL-3.0-or-later
// The real main window on a disk that refuses writes: the change stays in the window, the
// next command that can write stores it, and the user hears of the failure once.
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "failingfilewriter.h"
#include "foldertree.h"
#include "maintree.h"
#include "testenvironment.h"
#include "windowfixture.h"

using Fault = FailingFileWriter::Fault;

namespace {

const QByteArray emptyFolder("\0\0\0\0", 4);

QStringList pathsOnDisk(const WindowFixture &f, const QString &name)
{
    QStringList paths;
    for (const MFile &entry : parseContents(f.readCatalogFile(name)).entries)
        paths.append(QString::fromLocal8Bit(entry.Path));
    paths.sort();
    return paths;
}

QStringList folderNamesOnDisk(const WindowFixture &f)
{
    QStringList names;
    for (const FolderRecord &folder : loadFolderTree(CatalogPaths::forWorkDirectory(f.workDir())).folders)
        names.append(QString::fromLocal8Bit(folder.Name));
    return names;
}

} // namespace

class TestWindowSaveFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void entriesWaitForTheNextWrite();
    void aNewFolderWaitsForTheNextTreeSave();
    void aDeletedFolderKeepsItsFileUntilTheTreeIsSaved();
};

// Each kind of write failure is the contents file's own test; here one, a file cut short by a
// full disk, reaches the window.
void TestWindowSaveFailures::entriesWaitForTheNextWrite()
{
    const Fault fault = Fault::FullDisk;
    const qint64 diskSpace = 6; // past the count of entries

    WindowFixture f;
    TMain &w = f.open();
    FailingFileWriter writer;
    const FileWriterOverride override(writer);

    writer.failFrom(fault, 1, diskSpace);
    w.entryCommands().AddUrl(QStringLiteral("http://one.example"));
    w.entryCommands().AddUrl(QStringLiteral("http://two.example"));
    QCOMPARE(w.mainList()->model().count(), 2);
    QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")), emptyFolder);
    QCOMPARE(f.interaction.messages.size(), 1); // two failed commands, one message
    const QString &message = f.interaction.messages.first();
    QVERIFY2(message.contains(QStringLiteral("could not be saved")), qPrintable(message));
    QVERIFY2(message.contains(FailingFileWriter::reasonFor(fault)), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("cat0.lsf")), qPrintable(message));

    writer.heal();
    w.entryCommands().AddUrl(QStringLiteral("http://three.example"));
    QCOMPARE(pathsOnDisk(f, QStringLiteral("cat0.lsf")),
             (QStringList{QStringLiteral("http://one.example"), QStringLiteral("http://three.example"),
                          QStringLiteral("http://two.example")}));
    QCOMPARE(f.interaction.messages.size(), 1);

    // A failure after a success is news again.
    writer.failFrom(fault, 1, diskSpace);
    w.entryCommands().AddUrl(QStringLiteral("http://four.example"));
    QCOMPARE(f.interaction.messages.size(), 2);
    QCOMPARE(pathsOnDisk(f, QStringLiteral("cat0.lsf")).size(), 3);
    QVERIFY(f.interaction.errors.isEmpty());
}

// How each failure of the tree files' save leaves them is the tree's own test; here one of
// them reaches the window. The new folder's own contents file is the first file written, the
// tree file the third.
void TestWindowSaveFailures::aNewFolderWaitsForTheNextTreeSave()
{
    WindowFixture f;
    TMain &w = f.open();
    FailingFileWriter writer;
    {
        const FileWriterOverride override(writer);
        writer.failFrom(Fault::Write, 3);
        const FolderItem *news = w.folderCommands().CreateFolder(nullptr, QStringLiteral("News"));
        QVERIFY(news && news->record);
        QCOMPARE(w.mainTree()->topLevelItemCount(), 2);
        QCOMPARE(f.readCatalogFile(QString::fromLatin1(news->record->FileName)), emptyFolder);
        QCOMPARE(f.interaction.messages.size(), 1);
        QVERIFY2(f.interaction.messages.first().contains(FailingFileWriter::reasonFor(Fault::Write)),
                 qPrintable(f.interaction.messages.first()));
        QCOMPARE(folderNamesOnDisk(f), QStringList{QStringLiteral("Hot Files")});

        writer.heal();
        w.mainTree()->setCurrentItem(w.mainTree()->topLevelItem(0)); // the next selection saves
    }
    QCOMPARE(f.interaction.messages.size(), 1);
    f.closeWindow();
    TMain &again = f.open();
    QCOMPARE(again.mainTree()->topLevelItemCount(), 2);
    QCOMPARE(again.mainTree()->topLevelItem(1)->text(0), QStringLiteral("News"));
    QCOMPARE(again.mainTree()->selectedFolder()->text(0), QStringLiteral("Hot Files"));
}

// The tree on disk still names the folder after a failed save, so the folder comes back at the
// next start: with its entries, not without them.
void TestWindowSaveFailures::aDeletedFolderKeepsItsFileUntilTheTreeIsSaved()
{
    WindowFixture f;
    f.writeTreeFiles("Hot Files\r\nNews\r\n", "cat0.lsf\r\ncat1.lsf\r\n", QByteArray("\x00\x02", 2));
    f.writeCatalogFile(QStringLiteral("cat0.lsf"), emptyFolder);
    const QByteArray news = serializeContents({MFile{MFile::UrlKind, "http://news.example", {}, {}}});
    f.writeCatalogFile(QStringLiteral("cat1.lsf"), news);
    TMain &w = f.open();
    FailingFileWriter writer;
    {
        const FileWriterOverride override(writer);
        writer.failFrom(Fault::Create);
        f.interaction.yesNoAnswers = {true};
        releaseKeyIn(w, w.mainTree(), Qt::Key_Delete);
        QCOMPARE(w.mainTree()->topLevelItemCount(), 1);
        QCOMPARE(f.interaction.messages.size(), 1);
    }
    QCOMPARE(f.readCatalogFile(QStringLiteral("cat1.lsf")), news);
    w.hide();
    TMain &again = f.open(); // as after a crash: nothing saved the tree since
    QCOMPARE(again.mainTree()->selectedFolder()->text(0), QStringLiteral("News"));
    QCOMPARE(again.mainList()->model().count(), 1);
    again.hide();
}

LINKSHELF_TEST_MAIN(TestWindowSaveFailures)
#include "tst_windowsavefailures.moc"
