// SPDX-License-Identifier: GPL-3.0-or-later
// The entry commands of the real main window, answered by a script, with the folder's
// contents file checked on disk after each of them.
#include "entryicons.h"
#include "entrylistmodel.h"
#include "entrymakers.h"
#include "entrywindowfixture.h"
#include "filewritecounter.h"
#include "forwardedstart.h"
#include "maintree.h"
#include "testenvironment.h"
#include "testfiles.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QDirIterator>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>

#include <functional>

namespace {
QList<MFile> entriesInList(TMain &w)
{
    QList<MFile> files;
    for (int row = 0; row < w.mainList()->model().count(); ++row)
        files.append(w.mainList()->model().rowAt(row).file);
    return files;
}

QStringList captionsInList(TMain &w)
{
    QStringList captions;
    for (int row = 0; row < w.mainList()->model().count(); ++row)
        captions.append(w.mainList()->model().rowAt(row).caption);
    return captions;
}

QList<MFile> sortedByPath(QList<MFile> files)
{
    std::sort(files.begin(), files.end(), [](const MFile &a, const MFile &b) { return a.Path < b.Path; });
    return files;
}

void setClipboard(QMimeData *mime)
{
    QGuiApplication::clipboard()->setMimeData(mime); // takes it
}

// Drops a text/uri-list on the entry list, as a file manager or a browser does. The list
// does not take drops itself, so Qt hands the drag on to the window; the drop then goes to
// whichever widget accepted the drag's entry. Returns whether the drop was taken.
bool dropUriList(TMain &w, const QByteArray &uriList)
{
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), uriList);
    QWidget *target = w.mainList()->currentView()->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// Chooses an item of the menu bar as a user does from the keyboard: Alt and the menu's
// letter, the arrow key down to the item, Enter; inDialog then acts in the dialog it opens.
void chooseMenuItemWithKeys(TMain &w, Qt::Key menuLetter, const QString &itemName,
                            std::function<void(QWidget *)> inDialog)
{
    showWindow(w);
    QTest::keyClick(&w, menuLetter, Qt::AltModifier);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY2(menu, "the menu did not open");
    const auto onItem = [&] {
        return menu->activeAction() && menu->activeAction()->objectName() == itemName;
    };
    for (int i = 0; i < menu->actions().size() && !onItem(); ++i)
        QTest::keyClick(menu, Qt::Key_Down);
    QVERIFY2(onItem(), qPrintable(itemName));
    whenModalShows(std::move(inDialog));
    QTest::keyClick(menu, Qt::Key_Return);
}

using MimeFiller = std::function<void(QMimeData &)>;
} // namespace

Q_DECLARE_METATYPE(MimeFiller)

class TestEntryCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void chosenFilesAreOneCommandInTheDialogsOrder();
    void directoryAddsItsFilesButNotItsSubdirectories();
    void urlPromptTakesWhatIsConfirmed();
    void pasteTakesOnlyLowerCaseLinksAtTheStart_data();
    void pasteTakesOnlyLowerCaseLinksAtTheStart();
    void deleteAsksAndKeepsTheOthersInOrder();
    void withoutAFolderNothingIsShownOrWritten_data();
    void withoutAFolderNothingIsShownOrWritten();
    void enterOpensOnlyTheTopmostSelectedEntry();
    void descriptionPaneFollowsTheSelection();
    void propertiesNeedExactlyOneEntry();
    void propertiesStoreWhatTheDialogConfirms();
    void propertiesKeepTheKindOfAnEntry();
    void propertiesNeverCutAPathOrAProgram();
    void propertiesReencodeOnlyTheFieldsTheUserChanged();
    void dropsFromOutsideAreOneCommand_data();
    void dropsFromOutsideAreOneCommand();
    void aHandedOverStartIsOneCommand();

private:
    QTemporaryDir m_files; // real files to choose, insert and drop
};

void TestEntryCommands::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(m_files.isValid());
}

void TestEntryCommands::chosenFilesAreOneCommandInTheDialogsOrder()
{
    Fixture f;
    TMain &w = showWindow(openCatalogWith(f, {fileEntry("/old/same.txt")}));
    QAbstractItemModelTester tester(&w.mainList()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    FileWriteCounter writes(f.workDir(), contentsName);
    QVERIFY(writes.isValid());

    // The same caption for all: the list's sort cannot hide the order they were added in.
    const QStringList chosen{QStringLiteral("/c/same.txt"), QStringLiteral("/a/same.txt"),
                             QStringLiteral("/b/same.txt")};
    f.interaction.fileAnswers = {chosen};
    releaseKey(w.mainList()->currentView(), Qt::Key_Insert);
    QCOMPARE(f.interaction.fileDialogStarts.size(), 1);
    const QList<MFile> expected{fileEntry("/old/same.txt"), fileEntry(QFile::encodeName(chosen[0])),
                                fileEntry(QFile::encodeName(chosen[1])),
                                fileEntry(QFile::encodeName(chosen[2]))};
    QCOMPARE(entriesOnDisk(f), expected);
    QCOMPARE(entriesInList(w), expected);
    QCOMPARE(writes.takeCount(), 1);
    QCOMPARE(captionsInList(w), QStringList(4, QStringLiteral("same.txt")));

    // The same file again is a second entry; Ctrl is not looked at.
    f.interaction.fileAnswers = {{chosen[0]}};
    releaseKey(w.mainTree(), Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(entriesOnDisk(f).count(fileEntry(QFile::encodeName(chosen[0]))), 2);
    QCOMPARE(writes.takeCount(), 1);

    // Cancelled: nothing changes, nothing is written.
    const QByteArray before = f.readCatalogFile(contentsName);
    f.interaction.fileAnswers = {QStringList()};
    w.Addfile1Click();
    QCOMPARE(f.readCatalogFile(contentsName), before);
    QCOMPARE(writes.takeCount(), 0);
    QVERIFY(f.interaction.unexpected.isEmpty());
    QVERIFY(f.interaction.messages.isEmpty());
}

void TestEntryCommands::directoryAddsItsFilesButNotItsSubdirectories()
{
    Fixture f;
    TMain &w = openCatalogWith(f, {});
    FileWriteCounter writes(f.workDir(), contentsName);
    QTemporaryDir chosen;
    const QDir dir(chosen.path());
    for (const char *name : {"b.txt", "a.pdf", ".hidden", "sub/inner.txt"}) {
        QVERIFY(dir.mkpath(QFileInfo(dir.filePath(QString::fromLatin1(name))).path()));
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    f.interaction.directoryAnswers = {chosen.path()};
    w.AddDirButClick();
    QCOMPARE(f.interaction.directoryDialogs, 1);
    const QList<MFile> expected{fileEntry(QFile::encodeName(dir.filePath(QStringLiteral(".hidden")))),
                                fileEntry(QFile::encodeName(dir.filePath(QStringLiteral("a.pdf")))),
                                fileEntry(QFile::encodeName(dir.filePath(QStringLiteral("b.txt"))))};
    QCOMPARE(sortedByPath(entriesOnDisk(f)), expected);
    QCOMPARE(entriesOnDisk(f), entriesInList(w)); // written in the order shown
    QCOMPARE(writes.takeCount(), 1);              // a whole directory is one command

    // An empty directory and a cancelled chooser add nothing and write nothing.
    QTemporaryDir empty;
    QVERIFY(QDir(empty.path()).mkdir(QStringLiteral("only a folder")));
    f.interaction.directoryAnswers = {empty.path(), QString()};
    w.AddDirButClick();
    w.AddDirButClick();
    QCOMPARE(f.interaction.directoryDialogs, 3);
    QCOMPARE(w.mainList()->model().count(), 3);
    QCOMPARE(writes.takeCount(), 0);
    QVERIFY(f.interaction.messages.isEmpty());
}

void TestEntryCommands::urlPromptTakesWhatIsConfirmed()
{
    Fixture f;
    TMain &w = showWindow(openCatalogWith(f, {}));
    FileWriteCounter writes(f.workDir(), contentsName);

    f.interaction.stringAnswers = {std::nullopt, QString(), QStringLiteral("gopher://example.org/ x")};
    releaseKey(w.mainList()->currentView(), Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(f.interaction.prompts, QStringList{QStringLiteral("Add URL|Enter URL location")});
    QCOMPARE(writes.takeCount(), 0);

    w.RxSpeedButton6Click(); // an empty text is an entry with an empty caption
    QCOMPARE(entriesOnDisk(f), QList<MFile>{urlEntry({})});
    QCOMPARE(captionsInList(w), QStringList{QString()});

    releaseKey(w.mainTree(), Qt::Key_Insert, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(entriesOnDisk(f).last(), urlEntry("gopher://example.org/ x")); // never checked
    QCOMPARE(writes.takeCount(), 2);
    QVERIFY(f.interaction.unexpected.isEmpty());
}

void TestEntryCommands::pasteTakesOnlyLowerCaseLinksAtTheStart_data()
{
    QTest::addColumn<MimeFiller>("clipboard");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("added"); // the URL entry's path and caption, when one is added

    const QString noLink = QStringLiteral("Clipboard contains no HTTP or FTP link");
    const auto text = [](const QString &t) { return MimeFiller([t](QMimeData &m) { m.setText(t); }); };
    const QString longText = QStringLiteral("http://example.com/") + QString(2981, u'x');
    QCOMPARE(longText.size(), 3000);

    QTest::newRow("secure link") << text(QStringLiteral("https://example.com/a?b=1&c=%20")) << QString()
                                 << QStringLiteral("https://example.com/a?b=1&c=%20");
    QTest::newRow("ftp link") << text(QStringLiteral("ftp://ftp.example.org/pub/")) << QString()
                              << QStringLiteral("ftp://ftp.example.org/pub/");
    QTest::newRow("ftp without separator")
        << text(QStringLiteral("ftpserver")) << QString() << QStringLiteral("ftpserver");
    QTest::newRow("trailing line break kept") << text(QStringLiteral("http://example.com/\n")) << QString()
                                              << QStringLiteral("http://example.com/\n");
    QTest::newRow("words after the link kept") << text(QStringLiteral("http://example.com/ see this"))
                                               << QString() << QStringLiteral("http://example.com/ see this");
    QTest::newRow("3000 characters cut to 1023") << text(longText) << QString() << longText.left(1023);
    QTest::newRow("capitals") << text(QStringLiteral("HTTP://EXAMPLE.COM/")) << noLink << QString();
    QTest::newRow("capital first letter")
        << text(QStringLiteral("Http://example.com/")) << noLink << QString();
    QTest::newRow("leading blank") << text(QStringLiteral(" http://example.com/")) << noLink << QString();
    QTest::newRow("leading line break")
        << text(QStringLiteral("\nhttp://example.com/")) << noLink << QString();
    QTest::newRow("other scheme") << text(QStringLiteral("mailto:someone@example.com")) << noLink
                                  << QString();
    QTest::newRow("bare host name") << text(QStringLiteral("www.example.com")) << noLink << QString();
    QTest::newRow("too short for http") << text(QStringLiteral("htt")) << noLink << QString();
    QTest::newRow("empty text") << text(QString()) << noLink << QString();
    QTest::newRow("picture only") << MimeFiller([](QMimeData &m) {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        m.setImageData(image);
    }) << QStringLiteral("Clipboard contains no text")
                                  << QString();
    QTest::newRow("nothing at all") << MimeFiller([](QMimeData &) {})
                                    << QStringLiteral("Clipboard contains no text") << QString();
}

void TestEntryCommands::pasteTakesOnlyLowerCaseLinksAtTheStart()
{
    QFETCH(MimeFiller, clipboard);
    QFETCH(QString, message);
    QFETCH(QString, added);

    Fixture f;
    const MFile existing = urlEntry("https://existing.example/");
    TMain &w = openCatalogWith(f, {existing});
    FileWriteCounter writes(f.workDir(), contentsName);
    auto *mime = new QMimeData;
    clipboard(*mime);
    setClipboard(mime);

    w.PasteURLlink1Click();
    if (message.isEmpty()) {
        QVERIFY(f.interaction.messages.isEmpty());
        const QList<MFile> onDisk = entriesOnDisk(f);
        QCOMPARE(onDisk.size(), 2);
        QVERIFY(onDisk.contains(existing));
        QVERIFY(onDisk.contains(urlEntry(added.toLocal8Bit())));
        QVERIFY(captionsInList(w).contains(added));
        QCOMPARE(writes.takeCount(), 1);
    } else {
        QCOMPARE(f.interaction.messages, QStringList{message});
        QCOMPARE(entriesOnDisk(f), QList<MFile>{existing});
        QCOMPARE(writes.takeCount(), 0);
    }
    QVERIFY(f.interaction.prompts.isEmpty()); // a pasted link never asks
}

void TestEntryCommands::deleteAsksAndKeepsTheOthersInOrder()
{
    Fixture f;
    QList<MFile> five;
    for (const char *url : {"a", "b", "c", "d", "e"})
        five.append(urlEntry(QString::fromLatin1(url).toLocal8Bit()));
    TMain &w = showWindow(openCatalogWith(f, five));
    FileWriteCounter writes(f.workDir(), contentsName);
    const QByteArray before = f.readCatalogFile(contentsName);
    auto *desc = w.findChild<QPlainTextEdit *>(QStringLiteral("Desc"));

    w.Delete2Click(); // nothing selected: no question
    QVERIFY(f.interaction.questions.isEmpty());

    w.mainList()->selectRows({0, 2, 4});
    desc->setPlainText(QStringLiteral("shown"));
    f.interaction.yesNoAnswers = {false, true};
    w.Delete2Click();
    QCOMPARE(f.interaction.questions,
             QStringList{QStringLiteral("Do you really want to delete all selected files ?")});
    QCOMPARE(w.mainList()->model().count(), 5);
    QCOMPARE(f.readCatalogFile(contentsName), before);
    QCOMPARE(writes.takeCount(), 0);

    releaseKey(w.mainList()->currentView(), Qt::Key_Delete);
    QCOMPARE(f.interaction.questions.size(), 2);
    QCOMPARE(entriesOnDisk(f), (QList<MFile>{five[1], five[3]}));
    QCOMPARE(entriesInList(w), (QList<MFile>{five[1], five[3]}));
    QCOMPARE(writes.takeCount(), 1);
    QCOMPARE(desc->toPlainText(), QString());
    QVERIFY(f.interaction.unexpected.isEmpty());
}

void TestEntryCommands::withoutAFolderNothingIsShownOrWritten_data()
{
    QTest::addColumn<bool>("noFolderAtAll");
    QTest::newRow("folder without a record") << false;
    QTest::newRow("no folder at all") << true;
}

void TestEntryCommands::withoutAFolderNothingIsShownOrWritten()
{
    QFETCH(bool, noFolderAtAll);

    Fixture f;
    if (noFolderAtAll) {
        openCatalogWith(f, {urlEntry("https://example.com/")});
        f.interaction.yesNoAnswers = {true};
        f.window->Delete1Click();
        f.interaction.questions.clear();
    } else {
        f.writeTreeFiles("Plain\r\nLost\r\n", "cat0.lsf\r\nNULL\r\n", QByteArray("\x00\x02", 2));
        f.writeCatalogFile(contentsName, serializeContents({urlEntry("https://example.com/")}));
        f.open();
    }
    TMain &w = showWindow(*f.window);
    QCOMPARE(w.mainList()->model().count(), 0);
    const QMap<QString, QByteArray> before = snapshot(f.workDir());

    QWidget *list = w.mainList()->currentView();
    releaseKey(list, Qt::Key_Insert);
    releaseKey(list, Qt::Key_Insert, Qt::ShiftModifier);
    w.Addfile1Click();
    w.RxSpeedButton6Click();
    w.AddDirButClick();
    w.Delete2Click();
    w.Properties1Click();
    releaseKey(list, Qt::Key_Delete);
    releaseKey(list, Qt::Key_Return);
    auto *link = new QMimeData;
    link->setText(QStringLiteral("https://example.org/"));
    setClipboard(link);
    w.PasteURLlink1Click();                                 // a link is dropped without a word
    QVERIFY(dropUriList(w, "file:///tmp/dropped.txt\r\n")); // the drop is still taken and finished

    QCOMPARE(w.mainList()->model().count(), 0);
    QCOMPARE(snapshot(f.workDir()), before);
    QCOMPARE(f.interaction.fileDialogStarts.size(), 0);
    QCOMPARE(f.interaction.directoryDialogs, 0);
    QVERIFY(f.interaction.prompts.isEmpty());
    QVERIFY(f.interaction.questions.isEmpty());
    QVERIFY(f.interaction.messages.isEmpty());
    QVERIFY(f.interaction.propertiesShown.isEmpty());
    QVERIFY(f.shell.calls.isEmpty());

    // What the clipboard holds is looked at first: a text that is no link still says so.
    auto *words = new QMimeData;
    words->setText(QStringLiteral("just words"));
    setClipboard(words);
    w.PasteURLlink1Click();
    QCOMPARE(f.interaction.messages, QStringList{QStringLiteral("Clipboard contains no HTTP or FTP link")});
    QCOMPARE(snapshot(f.workDir()), before);
}

void TestEntryCommands::enterOpensOnlyTheTopmostSelectedEntry()
{
    Fixture f;
    TMain &w =
        showWindow(openCatalogWith(f, {urlEntry("https://a.example/"), urlEntry("https://b.example/"),
                                       urlEntry("https://c.example/"), urlEntry("https://d.example/")}));
    QWidget *view = w.mainList()->currentView();

    QTest::keyClick(view, Qt::Key_Return); // nothing selected: nothing opens
    QVERIFY(f.shell.calls.isEmpty());

    w.mainList()->selectRows({3, 1, 2});
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Enter, Qt::ShiftModifier); // the keypad's Enter; Shift is not looked at
    using Call = QPair<QString, QString>;
    QCOMPARE(f.shell.calls, (QList<Call>{{QStringLiteral("https://b.example/"), QString()},
                                         {QStringLiteral("https://b.example/"), QString()}}));
    QCOMPARE(w.mainList()->selectedCount(), 3); // opening leaves the selection alone
    QVERIFY(f.interaction.errors.isEmpty());
}

void TestEntryCommands::descriptionPaneFollowsTheSelection()
{
    Fixture f;
    TMain &w = showWindow(
        openCatalogWith(f, {MFile{MFile::UrlKind, "a", {}, "first\r\nline two"},
                            MFile{MFile::UrlKind, "b", {}, "second"}, MFile{MFile::UrlKind, "c", {}, {}}}));
    auto *desc = w.findChild<QPlainTextEdit *>(QStringLiteral("Desc"));
    auto *selFiles = w.findChild<QLabel *>(QStringLiteral("SelFiles"));
    QVERIFY(desc->isReadOnly());
    QCOMPARE(desc->toPlainText(), QString());

    w.mainList()->selectRows({1});
    QCOMPARE(desc->toPlainText(), QStringLiteral("second"));
    w.mainList()->selectRows({2, 0}); // the topmost selected one, as its whole text
    QCOMPARE(desc->toPlainText(), QStringLiteral("first\nline two"));
    w.mainList()->selectRows({2});
    QCOMPARE(desc->toPlainText(), QString());
    w.mainList()->selectRows({1});
    w.mainList()->clearSelection(); // no selection: the pane keeps what it shows
    QCOMPARE(desc->toPlainText(), QStringLiteral("second"));

    // A click on an entry shows its description and the number selected.
    auto *report = w.mainList()->reportView();
    const QPoint onFirst = report->visualRect(w.mainList()->model().index(0, 0)).center();
    QTest::mouseClick(report->viewport(), Qt::LeftButton, Qt::NoModifier, onFirst);
    QCOMPARE(w.mainList()->selectedRows(), QList<int>{0});
    QCOMPARE(desc->toPlainText(), QStringLiteral("first\nline two"));
    QCOMPARE(selFiles->text(), QStringLiteral("1"));

    // Another folder: the pane is emptied with the list.
    FolderItem *hot = w.mainTree()->topFolder(0);
    w.folderCommands().CreateFolder(nullptr, QStringLiteral("Other"));
    QCOMPARE(desc->toPlainText(), QString());
    w.mainTree()->setCurrentItem(hot);
    w.mainList()->selectRows({1});
    QCOMPARE(desc->toPlainText(), QStringLiteral("second"));
}

void TestEntryCommands::propertiesNeedExactlyOneEntry()
{
    Fixture f;
    TMain &w = openCatalogWith(f, {urlEntry("a"), urlEntry("b")});
    FileWriteCounter writes(f.workDir(), contentsName);

    w.Properties1Click();
    QVERIFY(f.interaction.messages.isEmpty());

    w.mainList()->selectRows({0, 1});
    w.Properties1Click();
    QCOMPARE(f.interaction.messages,
             QStringList{QStringLiteral(
                 "Can not set properties for a group of files.\nPlease, select a single file.")});
    QVERIFY(f.interaction.propertiesShown.isEmpty());
    QCOMPARE(writes.takeCount(), 0);
    QVERIFY(f.interaction.unexpected.isEmpty());
}

void TestEntryCommands::propertiesStoreWhatTheDialogConfirms()
{
    Fixture f;
    const MFile original{MFile::FileKind, "/docs/old.txt", "/usr/bin/viewer", "one\r\ntwo"};
    TMain &w = openCatalogWith(f, {original, urlEntry("zzz")});
    QAbstractItemModelTester tester(&w.mainList()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    FileWriteCounter writes(f.workDir(), contentsName);
    auto *desc = w.findChild<QPlainTextEdit *>(QStringLiteral("Desc"));
    const QByteArray before = f.readCatalogFile(contentsName);

    // Cancel after editing: nothing changes, on disk or in the list.
    w.mainList()->selectRows({0});
    f.interaction.propertyAnswers = {std::nullopt};
    w.Properties1Click();
    const EntryProperties shown{QStringLiteral("/docs/old.txt"), QStringLiteral("/usr/bin/viewer"),
                                QStringLiteral("one\ntwo")};
    QCOMPARE(f.interaction.propertiesShown, QList<EntryProperties>{shown});
    QCOMPARE(f.readCatalogFile(contentsName), before);
    QCOMPARE(writes.takeCount(), 0);
    QCOMPARE(entriesInList(w).first(), original);

    // OK: the three texts are stored, line breaks as CR LF; the caption follows the path.
    const QString longDescription = QString(1500, u'd');
    f.interaction.propertyAnswers = {
        EntryProperties{QStringLiteral("/docs/new name.odt"), QString(), QStringLiteral("three\nfour")},
        EntryProperties{QStringLiteral("/docs/new name.odt"), QStringLiteral("/opt/editor"),
                        longDescription}};
    w.Properties1Click();
    const MFile edited{MFile::FileKind, "/docs/new name.odt", {}, "three\r\nfour"};
    QCOMPARE(entriesOnDisk(f), (QList<MFile>{edited, urlEntry("zzz")}));
    QCOMPARE(captionsInList(w).first(), QStringLiteral("new name.odt"));
    QCOMPARE(w.mainList()->model().rowAt(0).description, QStringLiteral("three four"));
    QCOMPARE(desc->toPlainText(), QStringLiteral("three\nfour"));
    QCOMPARE(writes.takeCount(), 1);

    w.Properties1Click(); // the entry is still the selected one
    QCOMPARE(f.interaction.propertiesShown.size(), 3);
    const MFile withProgram = entriesOnDisk(f).first();
    QCOMPARE(withProgram.Program, QByteArray("/opt/editor"));
    QCOMPARE(withProgram.Description, longDescription.left(1023).toLatin1());
    QVERIFY(f.interaction.unexpected.isEmpty());
}

void TestEntryCommands::propertiesKeepTheKindOfAnEntry()
{
    Fixture f;
    const MFile url = urlEntry("https://example.com/");
    TMain &w = openCatalogWith(f, {url});
    w.mainList()->selectRows({0});
    f.interaction.propertyAnswers = {
        EntryProperties{QStringLiteral("/home/me/notes.txt"), QString(), QString()}};
    w.Properties1Click();
    // Edited into a file path, it is still a URL entry: caption and icon of a URL.
    QCOMPARE(entriesOnDisk(f), QList<MFile>{urlEntry("/home/me/notes.txt")});
    QCOMPARE(captionsInList(w), QStringList{QStringLiteral("/home/me/notes.txt")});
    QCOMPARE(w.mainList()->model().rowAt(0).iconIndex, w.session().entryIcons().UrlIconIndex());

    // An entry of an unknown kind keeps its kind through the dialog too.
    MFile odd{7, "https://odd.example/", {}, {}};
    Fixture g;
    TMain &w2 = openCatalogWith(g, {odd});
    w2.mainList()->selectRows({0});
    g.interaction.propertyAnswers = {
        EntryProperties{QStringLiteral("https://odd.example/2"), QString(), QString()}};
    w2.Properties1Click();
    QCOMPARE(parseContents(g.readCatalogFile(contentsName)).entries.first().Kind, 7);
}

void TestEntryCommands::propertiesNeverCutAPathOrAProgram()
{
    // Paths longer than 1,023 bytes come in by drops; cut, they would name another file.
    QString longPath = QStringLiteral("/data");
    while (longPath.size() < 1100)
        longPath += u'/' + QString(99, u'p');
    const QString longProgram = longPath + QStringLiteral("/bin/tool");
    Fixture f;
    TMain &w = openCatalogWith(f, {fileEntry(QFile::encodeName(longPath))});
    w.mainList()->selectRows({0});
    f.interaction.propertyAnswers = {
        EntryProperties{longPath, longProgram, QStringLiteral("only this changed")}};
    w.Properties1Click();
    QCOMPARE(f.interaction.propertiesShown.first().Path, longPath);
    const MFile stored = entriesOnDisk(f).first();
    QCOMPARE(stored.Path, longPath.toLocal8Bit());
    QCOMPARE(stored.Program, longProgram.toLocal8Bit());
    QCOMPARE(stored.Description, QByteArray("only this changed"));
}

// A catalog carried over from Windows holds texts in a legacy code page, which the dialog can
// only show with replacement characters: written back, they would replace the real bytes.
void TestEntryCommands::propertiesReencodeOnlyTheFieldsTheUserChanged()
{
    Fixture f;
    f.useRealDialogs();
    QFile fixture(QStringLiteral(LINKSHELF_TEST_DATA "/contents-windows-1252.lsf"));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    const QByteArray legacy = fixture.readAll();
    f.writeTreeFiles("Hot Files\r\n", "cat0.lsf\r\n", "\x02");
    f.writeCatalogFile(contentsName, legacy);
    TMain &w = showWindow(f.open());
    QAbstractItemView *view = w.mainList()->currentView();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(0, 0)).center());

    const auto clickOk = [](QWidget *dialog) {
        QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("OKBut")), Qt::LeftButton);
    };
    chooseMenuItemWithKeys(w, Qt::Key_F, QStringLiteral("Properties2"), clickOk);
    QCOMPARE(f.readCatalogFile(contentsName), legacy);

    chooseMenuItemWithKeys(w, Qt::Key_F, QStringLiteral("Properties2"), [clickOk](QWidget *dialog) {
        auto *description = dialog->findChild<QPlainTextEdit *>(QStringLiteral("FileDesc"));
        QTest::mouseClick(description->viewport(), Qt::LeftButton);
        QTest::keyClick(description, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(description, QStringLiteral(" neu"));
        clickOk(dialog);
    });
    const MFile stored = entriesOnDisk(f).first();
    const MFile original = parseContents(legacy).entries.first();
    QCOMPARE(stored.Path, original.Path);
    QCOMPARE(stored.Program, original.Program);
    QVERIFY2(stored.Description.endsWith("\r\nzweite Zeile neu"), stored.Description.constData());
}

void TestEntryCommands::dropsFromOutsideAreOneCommand_data()
{
    QTest::addColumn<QByteArray>("uriList");
    QTest::addColumn<QList<MFile>>("added");

    const QString dir = m_files.path();
    const QByteArray dirUrl = QUrl::fromLocalFile(dir).toEncoded();
    for (const char *name : {"a b.txt", "c.txt"}) {
        QFile file(dir + u'/' + QString::fromLatin1(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QString longPath = QStringLiteral("/data");
    while (longPath.size() < 1100)
        longPath += u'/' + QString(99, u'd');
    longPath += QStringLiteral("/end.txt");

    QTest::newRow("two local files") << QByteArray(dirUrl + "/a%20b.txt\r\n" + dirUrl + "/c.txt\r\n")
                                     << QList<MFile>{
                                            fileEntry(QFile::encodeName(dir + QStringLiteral("/a b.txt"))),
                                            fileEntry(QFile::encodeName(dir + QStringLiteral("/c.txt")))};
    QTest::newRow("a folder") << QByteArray(dirUrl + "\r\n")
                              << QList<MFile>{fileEntry(QFile::encodeName(dir))};
    QTest::newRow("browser link") << QByteArray("https://example.com/page\r\n")
                                  << QList<MFile>{urlEntry("https://example.com/page")};
    QTest::newRow("link kept as the browser wrote it")
        << QByteArray("https://example.com/find?q=a%20b&x=%C3%BC#top\r\n")
        << QList<MFile>{urlEntry("https://example.com/find?q=a%20b&x=%C3%BC#top")};
    QTest::newRow("mixture") << QByteArray("# a comment line\r\nftp://ftp.example.org/pub/\r\n" + dirUrl +
                                           "/c.txt\r\nhttps://example.com/\r\n")
                             << QList<MFile>{urlEntry("ftp://ftp.example.org/pub/"),
                                             fileEntry(QFile::encodeName(dir + QStringLiteral("/c.txt"))),
                                             urlEntry("https://example.com/")};
    QTest::newRow("path longer than 1023 bytes")
        << QByteArray(QUrl::fromLocalFile(longPath).toEncoded() + "\r\n")
        << QList<MFile>{fileEntry(QFile::encodeName(longPath))};
    QTest::newRow("encoded non-ASCII name") << QByteArray("file:///tmp/%C3%BCber%20plan.txt\r\n")
                                            << QList<MFile>{fileEntry("/tmp/\u00fcber plan.txt")};
}

void TestEntryCommands::dropsFromOutsideAreOneCommand()
{
    QFETCH(QByteArray, uriList);
    QFETCH(QList<MFile>, added);

    Fixture f;
    const MFile existing = urlEntry("https://existing.example/");
    TMain &w = showWindow(openCatalogWith(f, {existing}));
    FileWriteCounter writes(f.workDir(), contentsName);

    QVERIFY(dropUriList(w, uriList));
    added.append(existing);
    QCOMPARE(sortedByPath(entriesOnDisk(f)), sortedByPath(added));
    QCOMPARE(entriesOnDisk(f), entriesInList(w));
    QCOMPARE(writes.takeCount(), 1);
    QVERIFY(f.interaction.messages.isEmpty());
}

void TestEntryCommands::aHandedOverStartIsOneCommand()
{
    Fixture f;
    TMain &w = openCatalogWith(f, {});
    FileWriteCounter writes(f.workDir(), contentsName);
    QStringList arguments{QStringLiteral("linkshelf"), QStringLiteral("--add"),
                          QStringLiteral("https://example.org/")};
    QList<MFile> handed{urlEntry("https://example.org/")};
    for (int i = 0; i < 1000; ++i) {
        arguments.append(QStringLiteral("handed %1.txt").arg(i));
        handed.append(fileEntry(QFile::encodeName(QStringLiteral("/elsewhere/handed %1.txt").arg(i))));
    }
    showForwardedStart(w, arguments, QStringLiteral("/elsewhere"));
    QCOMPARE(writes.takeCount(), 1);
    QCOMPARE(sortedByPath(entriesOnDisk(f)), sortedByPath(handed));
    QCOMPARE(entriesOnDisk(f), entriesInList(w));
}

LINKSHELF_TEST_MAIN(TestEntryCommands)
#include "tst_entrycommands.moc"
