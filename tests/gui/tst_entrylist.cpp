// SPDX-License-Identifier: GPL-3.0-or-later
// The entry list of the real main window as a user meets it: chosen with the mouse in every
// view style, opened and deleted with keys that act only where they were pressed, counted,
// kept in order, and drawn with the icon of what each entry names.
#include "entrylistmodel.h"
#include "entrymakers.h"
#include "entrywindowfixture.h"
#include "findallfoldersdialog.h"
#include "modalanswerer.h"
#include "testenvironment.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTreeView>

namespace {
using Call = QPair<QString, QString>; // what the shell was asked to open: (file, parameters)

Call opened(const char *url)
{
    return {QString::fromLatin1(url), QString()};
}

QLabel *counter(TMain &w, const char *name)
{
    return w.findChild<QLabel *>(QLatin1String(name));
}

void clickButton(TMain &w, const char *name)
{
    QTest::mouseClick(w.findChild<QToolButton *>(QLatin1String(name)), Qt::LeftButton);
}

// A right click on an entry, then a click on an item of the pop-up menu that it opens.
void chooseFromPopup(TMain &w, int row, const char *item)
{
    QWidget *viewport = w.mainList()->currentView()->viewport();
    const QPoint at = entryPoint(w, row);
    QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, at);
    // What the window system sends after a right click; a test's click does not bring it.
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &request);
    auto *popup = w.findChild<QMenu *>(QStringLiteral("FilePopup"));
    QTRY_VERIFY(popup->isVisible());
    QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier,
                      popup->actionGeometry(w.findChild<QAction *>(QLatin1String(item))).center());
    QTRY_VERIFY(!popup->isVisible());
}

// Answers each modal dialog as a user confirms it with Enter: a file dialog gets a file's
// name typed first. Only the press goes to the dialog.
void confirmWithEnter(QWidget *dialog, const QString &fileToChoose)
{
    if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
        auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setFocus();
        QTest::keyClicks(name, fileToChoose);
    }
    ModalAnswerer::pressKey(dialog, Qt::Key_Return);
}
} // namespace

class TestEntryList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyEntryCommandWorksInEveryViewStyle_data();
    void everyEntryCommandWorksInEveryViewStyle();
    void anEnterPressedInADialogIsNoEnterForTheList();
    void theCountersFollowEveryChange();
    void propertiesKeepAnEntryInPlaceAmongItsEquals();
    void aDirectoryEntryShowsTheFolderIcon();

private:
    QTemporaryDir m_files; // real files and folders for entries to name
};

void TestEntryList::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(m_files.isValid());
}

void TestEntryList::everyEntryCommandWorksInEveryViewStyle_data()
{
    QTest::addColumn<QString>("styleButton");
    QTest::addColumn<int>("style");
    QTest::newRow("large icons") << QStringLiteral("RxSpeedButton1") << int(MainList::ViewStyle::Icon);
    QTest::newRow("small icons") << QStringLiteral("RxSpeedButton2") << int(MainList::ViewStyle::SmallIcon);
    QTest::newRow("list") << QStringLiteral("RxSpeedButton3") << int(MainList::ViewStyle::List);
    QTest::newRow("report") << QStringLiteral("GridButton") << int(MainList::ViewStyle::Report);
}

void TestEntryList::everyEntryCommandWorksInEveryViewStyle()
{
    QFETCH(QString, styleButton);
    QFETCH(int, style);

    Fixture f;
    const QList<MFile> entries{urlEntry("https://a.example/", "first"),
                               urlEntry("https://b.example/", "second"), urlEntry("https://c.example/")};
    TMain &w = showWindow(openCatalogWith(f, entries));
    clickButton(w, qPrintable(styleButton));
    QCOMPARE(int(w.mainList()->viewStyle()), style);
    QTRY_VERIFY(!entryPoint(w, 2).isNull()); // laid out
    auto *desc = w.findChild<QPlainTextEdit *>(QStringLiteral("Desc"));

    clickEntry(w, 1);
    QCOMPARE(w.mainList()->selectedRows(), QList<int>{1});
    QCOMPARE(desc->toPlainText(), QStringLiteral("second"));
    QCOMPARE(counter(w, "SelFiles")->text(), QStringLiteral("1"));

    QTest::keyClick(w.mainList()->currentView(), Qt::Key_Return);
    doubleClickEntry(w, 1);
    QCOMPARE(f.shell.calls, QList<Call>(2, opened("https://b.example/")));

    f.interaction.propertyAnswers = {std::nullopt};
    chooseFromPopup(w, 1, "Properties1");
    QCOMPARE(f.interaction.propertiesShown.size(), 1);
    QCOMPARE(f.interaction.propertiesShown.first().Path, QStringLiteral("https://b.example/"));

    f.interaction.yesNoAnswers = {true};
    QTest::keyClick(w.mainList()->currentView(), Qt::Key_Delete);
    QCOMPARE(entriesOnDisk(f), (QList<MFile>{entries[0], entries[2]}));
    QCOMPARE(counter(w, "NumFiles")->text(), QStringLiteral("2"));
    QCOMPARE(counter(w, "SelFiles")->text(), QStringLiteral("0"));
    QVERIFY(f.interaction.unexpected.isEmpty());
}

// The dialogs close on the press of Enter, and the release then reaches the window: the list
// must not take it for an Enter of its own. The real dialogs are shown and answered.
void TestEntryList::anEnterPressedInADialogIsNoEnterForTheList()
{
    Fixture f;
    f.useRealDialogs();
    TMain &w = showWindow(
        openCatalogWith(f, {urlEntry("https://a.example/"), urlEntry("https://b.example/", "find me")}));
    QAbstractItemView *list = w.mainList()->currentView();
    const QString chosenFile = m_files.filePath(QStringLiteral("chosen.txt"));
    QVERIFY(QFile(chosenFile).open(QIODevice::WriteOnly));
    ModalAnswerer answerer([chosenFile](QWidget *dialog) { confirmWithEnter(dialog, chosenFile); });
    // Once the dialog has gone, the window manager gives the window the focus back, and the
    // key's release reaches the list.
    const auto releaseEnterInTheWindow = [&w, list] {
        w.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &w);
        QCOMPARE(QApplication::focusWidget(), list);
        QTest::keyRelease(list, Qt::Key_Return);
    };

    // "File not found !" closed with Enter does not come back at the Enter's release.
    f.shell.result = Shell::FileNotFound;
    clickEntry(w, 0);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(answerer.answered(), 1);
    releaseEnterInTheWindow();
    QCOMPARE(answerer.answered(), 1);
    QCOMPARE(f.shell.calls.size(), 1);
    f.shell.result = Shell::Started;

    // The open dialog confirmed with Enter adds the file and opens no entry.
    QTest::keyClick(list, Qt::Key_Insert);
    QCOMPARE(answerer.answered(), 2);
    releaseEnterInTheWindow();
    QCOMPARE(entriesOnDisk(f).size(), 3);
    QCOMPARE(f.shell.calls.size(), 1);

    // "Can not set properties for a group of files." dismissed with Enter opens nothing.
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    clickButton(w, "RxSpeedButton8");
    QCOMPARE(answerer.answered(), 3);
    releaseEnterInTheWindow();
    QCOMPARE(f.shell.calls.size(), 1);

    // Enter on a match of "Find in all folders" jumps to it, and that is all.
    clickEntry(w, 0);
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto *find = w.findChild<FindInAllFoldersDialog *>();
    QVERIFY(find && find->isVisible());
    QTest::keyClicks(find->queryField(), QStringLiteral("find me"));
    QTRY_COMPARE(find->resultsView()->model()->rowCount(), 1);
    find->resultsView()->setFocus();
    QTest::keyClick(find->resultsView(), Qt::Key_Down);
    QTest::keyPress(find->resultsView(), Qt::Key_Return);
    QCOMPARE(w.mainList()->model().rowAt(w.mainList()->firstSelectedRow()).file.Path,
             QByteArray("https://b.example/"));
    releaseEnterInTheWindow();
    QCOMPARE(f.shell.calls.size(), 1);
    QCOMPARE(answerer.answered(), 3);
}

void TestEntryList::theCountersFollowEveryChange()
{
    Fixture f;
    QList<MFile> many;
    for (int i = 0; i < 20000; ++i)
        many.append(MFile{MFile::UrlKind, "https://example.com/" + QByteArray::number(i), {}, {}});
    TMain &w = showWindow(openCatalogWith(f, many));
    QLabel *total = counter(w, "NumFiles");
    QLabel *selected = counter(w, "SelFiles");
    QAbstractItemView *list = w.mainList()->currentView();
    const auto counts = [&] { return total->text() + u'/' + selected->text(); };
    QCOMPARE(counts(), QStringLiteral("20000/0"));

    clickEntry(w, 0);
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(counts(), QStringLiteral("20000/20000"));
    // Wide enough for every digit.
    for (QLabel *label : {total, selected})
        QTRY_VERIFY(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text()));

    f.interaction.stringAnswers = {QStringLiteral("https://added.example/")};
    QTest::keyClick(list, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(counts(), QStringLiteral("20001/20000"));
    QTemporaryDir directory;
    for (const char *name : {"one.txt", "two.txt"})
        QVERIFY(QFile(directory.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
    f.interaction.directoryAnswers = {directory.path()};
    clickButton(w, "AddDirBut");
    QCOMPARE(counts(), QStringLiteral("20003/20000"));

    clickEntry(w, 0);
    clickEntry(w, 1, Qt::ControlModifier);
    QCOMPARE(selected->text(), QStringLiteral("2"));
    f.interaction.yesNoAnswers = {true};
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(counts(), QStringLiteral("20001/0"));
    QVERIFY(f.interaction.unexpected.isEmpty());
}

// Sorted by name, entries of one name keep their order when one of them is edited: a stable
// sort, as the list's own sorts are.
void TestEntryList::propertiesKeepAnEntryInPlaceAmongItsEquals()
{
    Fixture f;
    const QList<MFile> same{MFile{MFile::FileKind, "/c/same.txt", {}, {}},
                            MFile{MFile::FileKind, "/a/same.txt", {}, {}},
                            MFile{MFile::FileKind, "/b/same.txt", {}, {}}};
    TMain &w = showWindow(openCatalogWith(f, same));
    clickEntry(w, 0);
    f.interaction.propertyAnswers = {
        EntryProperties{QStringLiteral("/c/same.txt"), QString(), QStringLiteral("noted")}};
    clickButton(w, "RxSpeedButton8");
    QList<MFile> expected = same;
    expected[0].Description = "noted";
    QCOMPARE(entriesOnDisk(f), expected);
    QCOMPARE(w.mainList()->selectedRows(), QList<int>{0});
}

void TestEntryList::aDirectoryEntryShowsTheFolderIcon()
{
    Fixture f;
    TMain &w =
        showWindow(openCatalogWith(f, {MFile{MFile::FileKind, QFile::encodeName(m_files.path()), {}, {}}}));
    const int folderIcon = f.icons.iconIndexOfMimeType(QStringLiteral("inode/directory"));
    QVERIFY(folderIcon != f.icons.IconIndexOfExtension(QString()));
    QTRY_COMPARE(w.mainList()->model().rowAt(0).iconIndex, folderIcon);
}

LINKSHELF_TEST_MAIN(TestEntryList)
#include "tst_entrylist.moc"
