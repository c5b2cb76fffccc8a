// SPDX-License-Identifier: GPL-3.0-or-later
// Opening entries from the real main window: what the shell is asked, and what the user is
// told when it refuses.
#include "entrylistmodel.h"
#include "entryopener.h"
#include "entrywindowfixture.h"
#include "nativefile.h"
#include "testenvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QTableView>

#include <climits>
#include <memory>

Q_DECLARE_METATYPE(FakeShell::Request)

namespace {
using Call = QPair<QString, QString>; // (file, parameters)
} // namespace

class TestOpenEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyShellResultHasItsMessage_data();
    void everyShellResultHasItsMessage();
    void theEntryReachesTheShellAsStored_data();
    void theEntryReachesTheShellAsStored();
    void theShellGetsTheStoredBytes_data();
    void theShellGetsTheStoredBytes();
    void nothingSelectedOpensNothing();
    void entriesThatWouldRunCodeAreRefused_data();
    void entriesThatWouldRunCodeAreRefused();
    void oneClickExecuteAddsTheSingleClick();

private:
    // One window serves every row of the result table.
    std::unique_ptr<Fixture> m_table;
};

void TestOpenEntry::initTestCase()
{
    m_table = std::make_unique<Fixture>();
    TMain &w = openCatalogWith(*m_table, {MFile{MFile::FileKind, "/nowhere/gone.txt", {}, {}}});
    w.mainList()->selectRows({0});
}

void TestOpenEntry::cleanupTestCase()
{
    m_table.reset();
}

void TestOpenEntry::everyShellResultHasItsMessage_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message"); // empty: the program was started, nothing is shown

    const QString generic = QStringLiteral("Shell execute error !");
    QTest::newRow("0") << 0 << QStringLiteral("Out of memory !");
    QTest::newRow("2") << 2 << QStringLiteral("File not found !");
    QTest::newRow("3") << 3 << QStringLiteral("Path not found !");
    QTest::newRow("5") << 5 << QStringLiteral("Access is denied !");
    QTest::newRow("11") << 11 << QStringLiteral("Bad EXE file !");
    for (int r = 1; r <= 32; ++r)
        if (r != 2 && r != 3 && r != 5 && r != 11)
            QTest::addRow("%d", r) << r << generic;
    for (int r : {-1, -2, -11, -32, -33, INT_MIN})
        QTest::addRow("%d", r) << r << generic;
    for (int r : {33, 34, 42, 1000, INT_MAX})
        QTest::addRow("%d", r) << r << QString();
}

void TestOpenEntry::everyShellResultHasItsMessage()
{
    QFETCH(int, result);
    QFETCH(QString, message);
    const QStringList shown = message.isEmpty() ? QStringList() : QStringList{message};
    Fixture &f = *m_table;
    TMain &w = *f.window;

    QCOMPARE(EntryOpener::shellErrorMessage(result), message);

    f.interaction.errors.clear();
    w.entryOpener().ShowShellError(result);
    QCOMPARE(f.interaction.errors, shown);

    // The same answer from the shell when an entry is opened: one box, nothing retried.
    const QByteArray before = f.readCatalogFile(contentsName);
    f.interaction.errors.clear();
    f.shell.calls.clear();
    f.shell.result = result;
    w.MainListDblClick();
    QCOMPARE(f.shell.calls.size(), 1);
    QCOMPARE(f.interaction.errors, shown);
    QCOMPARE(f.readCatalogFile(contentsName), before);
    QVERIFY(f.interaction.messages.isEmpty());
}

void TestOpenEntry::theEntryReachesTheShellAsStored_data()
{
    QTest::addColumn<MFile>("entry");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("parameters");

    QTest::newRow("file, default program") << MFile{MFile::FileKind, "/home/me/My Notes/plan.txt", {}, {}}
                                           << QStringLiteral("/home/me/My Notes/plan.txt") << QString();
    QTest::newRow("link, default program") << MFile{MFile::UrlKind, "https://example.com/a?b=c d", {}, {}}
                                           << QStringLiteral("https://example.com/a?b=c d") << QString();
    // The whole path is one parameter: split at its blanks it would name other files.
    QTest::newRow("file with blanks, own program")
        << MFile{MFile::FileKind, "/home/me/My Notes/plan.txt", "/usr/bin/editor", {}}
        << QStringLiteral("/usr/bin/editor") << QStringLiteral("/home/me/My Notes/plan.txt");
    QTest::newRow("link, own program")
        << MFile{MFile::UrlKind, "https://example.com/", "/opt/My Browser/run", {}}
        << QStringLiteral("/opt/My Browser/run") << QStringLiteral("https://example.com/");
    QTest::newRow("quotes kept") << MFile{MFile::FileKind, "/tmp/\"quoted\" name.txt", "/bin/viewer", {}}
                                 << QStringLiteral("/bin/viewer")
                                 << QStringLiteral("/tmp/\"quoted\" name.txt");
    QTest::newRow("kind plays no part")
        << MFile{7, "/tmp/file.txt", {}, {}} << QStringLiteral("/tmp/file.txt") << QString();
    QTest::newRow("non-ASCII path") << MFile{MFile::FileKind,
                                             "/tmp/\xc3\xbc"
                                             "ber.txt",
                                             {},
                                             {}}
                                    << QStringLiteral("/tmp/\u00fcber.txt") << QString();
}

void TestOpenEntry::theEntryReachesTheShellAsStored()
{
    QFETCH(MFile, entry);
    QFETCH(QString, file);
    QFETCH(QString, parameters);

    Fixture f;
    // Among other entries, so that only the selected one can be meant.
    TMain &w = openCatalogWith(
        f, {MFile{MFile::UrlKind, "a", {}, {}}, entry, MFile{MFile::UrlKind, "z", "/bin/z", {}}});
    int row = 0;
    while (row < w.mainList()->model().count() && !(w.mainList()->model().rowAt(row).file == entry))
        ++row;
    QVERIFY(row < w.mainList()->model().count());
    w.mainList()->selectRows({row});

    w.MainListDblClick();
    w.findChild<QAction *>(QStringLiteral("Open1"))->trigger(); // "Open" of the list's pop-up
    w.entryOpener().OpenEntry();
    QCOMPARE(f.shell.calls, QList<Call>(3, Call{file, parameters}));
    QVERIFY(f.interaction.errors.isEmpty());
}

// A name that is not valid UTF-8 reaches the shell unchanged, and an entry's program starts
// even when the entry has no path.
void TestOpenEntry::theShellGetsTheStoredBytes_data()
{
    QTest::addColumn<MFile>("entry");
    QTest::addColumn<FakeShell::Request>("request");

    const QByteArray latin1 = "/home/me/" + Latin1Name + ".txt";
    QTest::newRow("name not valid UTF-8")
        << MFile{MFile::FileKind, latin1, {}, {}} << FakeShell::Request{latin1, std::nullopt};
    QTest::newRow("the same, given to its program") << MFile{MFile::FileKind, latin1, "/usr/bin/editor", {}}
                                                    << FakeShell::Request{"/usr/bin/editor", latin1};
    QTest::newRow("program without a path") << MFile{MFile::FileKind, {}, "/usr/bin/editor", {}}
                                            << FakeShell::Request{"/usr/bin/editor", QByteArray()};
}

void TestOpenEntry::theShellGetsTheStoredBytes()
{
    QFETCH(MFile, entry);
    QFETCH(FakeShell::Request, request);
    Fixture f;
    TMain &w = showWindow(openCatalogWith(f, {entry}));
    doubleClickEntry(w, 0);
    QCOMPARE(f.shell.requests, QList<FakeShell::Request>{request});
    QVERIFY(f.interaction.errors.isEmpty());
}

void TestOpenEntry::nothingSelectedOpensNothing()
{
    Fixture f;
    TMain &w = showWindow(openCatalogWith(f, {MFile{MFile::UrlKind, "https://example.com/", {}, {}}}));
    w.entryOpener().OpenEntry();
    w.MainListDblClick();
    // A double click on the empty part of the list, below the one entry.
    QTableView *report = w.mainList()->reportView();
    QTest::mouseDClick(report->viewport(), Qt::LeftButton, Qt::NoModifier,
                       report->viewport()->rect().bottomLeft() + QPoint(5, -5));
    QCOMPARE(w.mainList()->selectedCount(), 0);
    QVERIFY(f.shell.calls.isEmpty());
    QVERIFY(f.interaction.errors.isEmpty());
}

void TestOpenEntry::entriesThatWouldRunCodeAreRefused_data()
{
    QTest::addColumn<MFile>("entry");
    QTest::addColumn<QString>("message");
    QTest::newRow("path that is an option") << MFile{MFile::UrlKind, "-cimport os", "/usr/bin/python3", {}}
                                            << EntryOpener::refusalMessage(Shell::Refusal::OptionLikePath);
    QTest::newRow("javascript: link") << MFile{MFile::UrlKind, "javascript:alert(1)", {}, {}}
                                      << EntryOpener::refusalMessage(Shell::Refusal::ScriptUrl);
}

void TestOpenEntry::entriesThatWouldRunCodeAreRefused()
{
    QFETCH(MFile, entry);
    QFETCH(QString, message);
    Fixture f;
    TMain &w = showWindow(openCatalogWith(f, {entry}));
    doubleClickEntry(w, 0);
    QVERIFY(f.shell.calls.isEmpty());
    QCOMPARE(f.interaction.errors, QStringList{message});
    QVERIFY(!message.isEmpty());
}

void TestOpenEntry::oneClickExecuteAddsTheSingleClick()
{
    Fixture f;
    TMain &w = showWindow(openCatalogWith(f, {MFile{MFile::UrlKind, "https://a.example/", {}, {}},
                                              MFile{MFile::UrlKind, "https://b.example/", {}, {}}}));
    auto *oneClick = w.findChild<QCheckBox *>(QStringLiteral("OneClickCheck"));
    QVERIFY(!oneClick->isChecked());
    const Call b{QStringLiteral("https://b.example/"), QString()};

    clickEntry(w, 1); // off: a click only selects
    QCOMPARE(w.mainList()->selectedRows(), QList<int>{1});
    QVERIFY(f.shell.calls.isEmpty());
    doubleClickEntry(w, 1);
    QCOMPARE(f.shell.calls, QList<Call>{b});

    f.shell.calls.clear();
    oneClick->click();
    clickEntry(w, 1);
    QCOMPARE(f.shell.calls, QList<Call>{b});

    // A double click is a click and then a double click: each of the two opens the entry,
    // and the release that ends it is no third click.
    f.shell.calls.clear();
    doubleClickEntry(w, 1);
    QCOMPARE(f.shell.calls, QList<Call>(2, b));

    // A right click opens nothing.
    f.shell.calls.clear();
    QTableView *report = w.mainList()->reportView();
    QTest::mouseClick(report->viewport(), Qt::RightButton, Qt::NoModifier,
                      report->visualRect(w.mainList()->model().index(0, 0)).center());
    QVERIFY(f.shell.calls.isEmpty());
}

LINKSHELF_TEST_MAIN(TestOpenEntry)
#include "tst_openentry.moc"
