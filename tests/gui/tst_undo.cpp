// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Undo and Redo in the real window: commands taken back and brought back from the keys
// and the menu, applied to the catalog files as they are.
#include "backups.h"
#include "entrylistmodel.h"
#include "entrymakers.h"
#include "entrywindowfixture.h"
#include "maintree.h"
#include "outsidewriter.h"
#include "testenvironment.h"
#include "uiactions.h"

#include <QLineEdit>

#include <algorithm>

namespace {

QAction *action(TMain &w, const char *name)
{
    return w.findChild<QAction *>(QLatin1String(name));
}

void undoKey(QWidget *widget)
{
    QTest::keyClick(widget, Qt::Key_Z, Qt::ControlModifier);
}

void redoKey(QWidget *widget)
{
    QTest::keyClick(widget, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entryCommandsGoBackAndForthFromKeysAndMenu();
    void deletedFolderComesBackWithItsFileAndSubfolders();
    void undoAppliesToTheFilesAsTheyAreAndSaysWhatChanged();
    void restoredBackupGoesBackAndForth();
};

void TestUndo::entryCommandsGoBackAndForthFromKeysAndMenu()
{
    Fixture f;
    const QList<MFile> all{urlEntry("https://a/"), urlEntry("https://b/"), urlEntry("https://c/")};
    TMain &w = showWindow(openCatalogWith(f, all));
    QWidget *view = w.mainList()->currentView();
    QVERIFY(!action(w, "Undo1")->isEnabled());
    QVERIFY(!action(w, "Redo1")->isEnabled());

    clickEntry(w, rowShowing(w, urlEntry("https://b/")));
    f.interaction.yesNoAnswers = {true};
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    const QList<MFile> withoutB{urlEntry("https://a/"), urlEntry("https://c/")};
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), withoutB);
    QCOMPARE(action(w, "Undo1")->text(), QStringLiteral("&Undo Delete 1 entry"));

    undoKey(view);
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), all);
    QCOMPARE(entriesShown(w), all);
    QCOMPARE(action(w, "Redo1")->text(), QStringLiteral("&Redo Delete 1 entry"));
    QVERIFY(!action(w, "Undo1")->isEnabled());

    redoKey(view);
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), withoutB);
    QCOMPARE(entriesShown(w), withoutB);

    chooseMenuItem(w, QStringLiteral("Undo1"));
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), all);
    showWindow(w);

    // In a text field the keys edit the text, and the catalog stays as it is.
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(field);
    QTest::keyClicks(field, QStringLiteral("zz"));
    undoKey(field);
    QCOMPARE(field->text(), QString());
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), all);
    QVERIFY(action(w, "Redo1")->isEnabled());
    QVERIFY(f.interaction.unexpected.isEmpty());
}

// "Hot Files" holds a subfolder with one of its own: deleted and undone, the three are back,
// the folder's file with its entries as they were, and the folder shown. A rename goes back too.
void TestUndo::deletedFolderComesBackWithItsFileAndSubfolders()
{
    Fixture f;
    f.writeCatalogFile(contentsName, serializeContents({urlEntry("https://a/"), urlEntry("https://b/")}));
    f.writeTreeFiles("Hot Files\r\n\tSub\r\n\t\tDeep\r\nOther\r\n",
                     "cat0.lsf\r\ncat1.lsf\r\ncat2.lsf\r\ncat3.lsf\r\n", QByteArray("\x02\x00\x00\x00", 4));
    for (const char *name : {"cat1.lsf", "cat2.lsf", "cat3.lsf"})
        f.writeCatalogFile(QString::fromLatin1(name), emptyContents());
    const QByteArray entriesFile = f.readCatalogFile(contentsName);
    TMain &window = showWindow(f.open());
    QWidget *tree = window.mainTree();

    f.interaction.yesNoAnswers = {true};
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Other\r\n"));
    QVERIFY(!QFile::exists(f.catalogFile(contentsName)));
    QCOMPARE(action(window, "Undo1")->text(), QStringLiteral("&Undo Delete folder"));

    undoKey(tree);
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")),
             QByteArray("Hot Files\r\n\tSub\r\n\t\tDeep\r\nOther\r\n"));
    QCOMPARE(f.readCatalogFile(contentsName), entriesFile);
    QCOMPARE(window.mainTree()->selectedFolder()->text(0), QStringLiteral("Hot Files"));
    QCOMPARE(entriesShown(window), (QList<MFile>{urlEntry("https://a/"), urlEntry("https://b/")}));

    redoKey(tree);
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), QByteArray("Other\r\n"));
    QVERIFY(!QFile::exists(f.catalogFile(contentsName)));
    undoKey(tree);
    QCOMPARE(f.readCatalogFile(contentsName), entriesFile);

    // Renamed in place: there the key takes back the typing; in the tree, the rename.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("Typo"));
    undoKey(editor);
    QCOMPARE(editor->text(), QStringLiteral("Hot Files"));
    QTest::keyClicks(editor, QStringLiteral("Renamed"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), tree);
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")),
             QByteArray("Renamed\r\n\tSub\r\n\t\tDeep\r\nOther\r\n"));
    QCOMPARE(action(window, "Undo1")->text(), QStringLiteral("&Undo Rename folder"));
    undoKey(tree);
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")),
             QByteArray("Hot Files\r\n\tSub\r\n\t\tDeep\r\nOther\r\n"));
    QCOMPARE(action(window, "Redo1")->text(), QStringLiteral("&Redo Rename folder"));
    QVERIFY(f.interaction.unexpected.isEmpty());
}

// Another machine changes the folder between our command and its undo: the undo keeps what
// it wrote, and an undo that finds its entry already gone says so once.
void TestUndo::undoAppliesToTheFilesAsTheyAreAndSaysWhatChanged()
{
    Fixture f;
    TMain &w = showWindow(
        openCatalogWith(f, {urlEntry("https://a/"), urlEntry("https://b/"), urlEntry("https://c/")}));
    QWidget *view = w.mainList()->currentView();
    clickEntry(w, rowShowing(w, urlEntry("https://b/")));
    f.interaction.yesNoAnswers = {true};
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);

    QVERIFY(replaceFileFromOutside(
        f.catalogFile(contentsName),
        serializeContents({urlEntry("https://x/"), urlEntry("https://a/"), urlEntry("https://c/")})));
    QTRY_VERIFY(rowShowing(w, urlEntry("https://x/")) >= 0); // merged into the list while the history stays
    undoKey(view);
    const QList<MFile> merged{urlEntry("https://a/"), urlEntry("https://b/"), urlEntry("https://c/"),
                              urlEntry("https://x/")};
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), merged);
    QCOMPARE(entriesShown(w), merged);
    QVERIFY(f.interaction.messages.isEmpty());

    f.interaction.stringAnswers = {QStringLiteral("https://n/")};
    QTest::keyClick(view, Qt::Key_Insert, Qt::ShiftModifier);
    QVERIFY(replaceFileFromOutside(f.catalogFile(contentsName), serializeContents(merged)));
    QTRY_VERIFY(rowShowing(w, urlEntry("https://n/")) < 0);
    undoKey(view);
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), merged);
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY2(f.interaction.messages.constFirst().contains(QStringLiteral("changed elsewhere")),
             qPrintable(f.interaction.messages.constFirst()));
    QVERIFY(f.interaction.unexpected.isEmpty());
}

// A restore replaces the whole catalog: undone, the catalog it replaced is back; redone and
// undone again within the same second, each step still finds the catalog it kept.
void TestUndo::restoredBackupGoesBackAndForth()
{
    Fixture f;
    const QList<MFile> backedUp{urlEntry("https://a/"), urlEntry("https://b/")};
    TMain &w = showWindow(openCatalogWith(f, backedUp));
    QCOMPARE(makeDailyBackup(f.workDir(), QDate(2024, 3, 1)).outcome, BackupResult::Made);
    QWidget *view = w.mainList()->currentView();
    clickEntry(w, rowShowing(w, urlEntry("https://b/")));
    f.interaction.yesNoAnswers = {true};
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    const QList<MFile> afterDelete{urlEntry("https://a/")};

    f.interaction.stringAnswers = {QStringLiteral("2024-03-01")};
    chooseMenuItem(w, QStringLiteral("RestoreBackup1"));
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), backedUp);
    QCOMPARE(action(w, "Undo1")->text(), QStringLiteral("&Undo Restore backup"));
    for (int round = 0; round < 2; ++round) {
        undoKey(view);
        QCOMPARE(sortedByRecord(entriesOnDisk(f)), afterDelete);
        QCOMPARE(entriesShown(w), afterDelete);
        redoKey(view);
        QCOMPARE(sortedByRecord(entriesOnDisk(f)), backedUp);
        QCOMPARE(entriesShown(w), backedUp);
    }
    undoKey(view);
    undoKey(view); // and the delete before it
    QCOMPARE(sortedByRecord(entriesOnDisk(f)), backedUp);
    QVERIFY(f.interaction.messages.isEmpty());
    QVERIFY(f.interaction.unexpected.isEmpty());
}

LINKSHELF_TEST_MAIN(TestUndo)
#include "tst_undo.moc"
