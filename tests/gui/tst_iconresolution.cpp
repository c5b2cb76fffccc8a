// SPDX-License-Identifier: GPL-3.0-or-later
// The window never waits for a disk to show a folder: the icons of existing files are found
// on worker threads and arrive later, even when the disk does not answer at all.
#include "contentsfile.h"
#include "entryicons.h"
#include "entrylistmodel.h"
#include "entrymakers.h"
#include "fakeshell.h"
#include "folderitem.h"
#include "foldertree.h"
#include "maintree.h"
#include "nativefile.h"
#include "scriptedinteraction.h"
#include "settingsstore.h"
#include "systemicons.h"
#include "testenvironment.h"
#include "tmain.h"
#include "uiactions.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QLabel>
#include <QMutex>
#include <QTemporaryDir>
#include <QTimer>
#include <QWaitCondition>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// A disk that hangs, as an unreachable network share does, until the test opens it.
class HangingDisk
{
public:
    explicit HangingDisk(QString key)
        : m_key(std::move(key))
    {}

    // Files under /net/hanging/ hang; they all exist and show the key's icon.
    QString iconKeyOfPath(const QByteArray &path)
    {
        {
            QMutexLocker lock(&m_mutex);
            m_asked.append(path);
        }
        if (!path.startsWith("/net/hanging/"))
            return SystemIcons::iconKeyOfExistingFile(path);
        ++m_calls;
        QMutexLocker lock(&m_mutex);
        while (!m_open)
            m_opened.wait(&m_mutex);
        ++m_returned;
        return m_key;
    }

    void open()
    {
        QMutexLocker lock(&m_mutex);
        m_open = true;
        m_opened.wakeAll();
    }

    int calls() const { return m_calls; }
    int returned() const { return m_returned; }
    // Every path the workers asked about, hanging or not.
    QList<QByteArray> asked()
    {
        QMutexLocker lock(&m_mutex);
        return m_asked;
    }

private:
    QString m_key;
    QMutex m_mutex;
    QWaitCondition m_opened;
    bool m_open = false;
    std::atomic<int> m_calls = 0;
    std::atomic<int> m_returned = 0;
    QList<QByteArray> m_asked;
};

// A catalog of two folders: "Near" with one URL (selected at start) and "Hanging" with the
// given entries, and a window on it whose icons read files through a hanging disk.
class HangingFixture
{
public:
    explicit HangingFixture(const QList<MFile> &hangingEntries)
        : registry(dir.filePath(QStringLiteral("registry.ini")))
        , disk(QStringLiteral("desktop:") + pictureFile())
        , icons([this](const QByteArray &path) { return disk.iconKeyOfPath(path); })
    {
        const QString work = dir.filePath(QStringLiteral("tree"));
        QDir().mkpath(work);
        QDir().mkpath(dir.filePath(QStringLiteral("prog")));
        registry.writeString(SettingsStore::Root::LocalMachine,
                             QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"), QStringLiteral("WorkDir"),
                             work);
        const CatalogPaths paths = CatalogPaths::forWorkDirectory(work);
        saveFolderTree(paths, {{0, "Near", MTree{"cat0.lsf"}, false, true},
                               {0, "Hanging", MTree{"cat1.lsf"}, false, false}});
        writeContentsFile(paths.ContentsFilePath(MTree{"cat0.lsf"}).value(),
                          serializeContents({MFile{MFile::UrlKind, "https://example.com/", {}, {}}}));
        writeContentsFile(paths.ContentsFilePath(MTree{"cat1.lsf"}).value(),
                          serializeContents(hangingEntries));
        const QString programDir = dir.filePath(QStringLiteral("prog")) + u'/';
        window = std::make_unique<TMain>(TMain::Services{
            &interaction, &shell, &icons, &registry, programDir,
            resolveRunWorkDirectory(registry, programDir, dir.filePath(QStringLiteral("data")))});
        window->show();
    }

    ~HangingFixture()
    {
        disk.open(); // the window waits for the workers' files in hand as it goes
        window.reset();
    }

    FolderItem *folder(int i) const { return static_cast<FolderItem *>(window->mainTree()->topLevelItem(i)); }
    EntryListModel &model() const { return window->mainList()->model(); }
    // The icon that the hanging disk's files show once it answers.
    int iconOfHangingFiles() { return icons.iconIndexOfKey(QStringLiteral("desktop:") + pictureFile()); }

    int iconOfCaption(const QString &caption) const
    {
        for (int row = 0; row < model().count(); ++row)
            if (model().rowAt(row).caption == caption)
                return model().rowAt(row).iconIndex;
        return -2;
    }

    QTemporaryDir dir;
    SettingsStore registry;
    HangingDisk disk;
    SystemIcons icons;
    ScriptedInteraction interaction;
    FakeShell shell;
    std::unique_ptr<TMain> window;

private:
    // An image of its own, so that its icon differs from every file type's.
    QString pictureFile()
    {
        const QString path = dir.filePath(QStringLiteral("own.png"));
        if (!QFile::exists(path)) {
            QImage image(16, 16, QImage::Format_ARGB32);
            image.fill(Qt::red);
            image.save(path);
        }
        return path;
    }
};

} // namespace

class TestIconResolution : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aFolderOnAHangingDiskShowsAtOnceAndItsIconsFollow()
    {
        HangingFixture f({fileEntry("/net/hanging/a.txt"), fileEntry("/net/hanging/b.pdf"),
                          MFile{MFile::UrlKind, "https://example.org/", {}, {}}});
        QAbstractItemModelTester tester(&f.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Should the UI thread ask the hanging disk, this opens it so that the test ends and
        // says so, instead of hanging for good.
        std::atomic<bool> uiThreadWaited = false;
        std::atomic<bool> testDone = false;
        std::thread watchdog([&] {
            for (int i = 0; i < 300 && !testDone; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!testDone) {
                uiThreadWaited = true;
                f.disk.open();
            }
        });
        const auto finish = qScopeGuard([&] {
            testDone = true;
            watchdog.join();
        });

        f.window->mainTree()->setCurrentItem(f.folder(1));
        QCOMPARE(f.model().count(), 3);
        QCOMPARE(f.window->findChild<QLabel *>(QStringLiteral("NumFiles"))->text(), QStringLiteral("3"));
        // Until the disk answers, each file shows its extension's icon, and a URL its own.
        QCOMPARE(f.iconOfCaption(QStringLiteral("a.txt")),
                 f.icons.IconIndexOfExtension(QStringLiteral("txt")));
        QCOMPARE(f.iconOfCaption(QStringLiteral("b.pdf")),
                 f.icons.IconIndexOfExtension(QStringLiteral("pdf")));
        QCOMPARE(f.iconOfCaption(QStringLiteral("https://example.org/")),
                 f.window->session().entryIcons().UrlIconIndex());
        QTRY_VERIFY(f.disk.calls() >= 1); // a worker is stuck on the disk now...
        bool timerFired = false;
        QTimer::singleShot(0, f.window.get(), [&timerFired] { timerFired = true; });
        QTRY_VERIFY(timerFired); // ...and the window still handles its events
        f.window->mainList()->selectRows({1});
        QCOMPARE(f.window->mainList()->selectedCount(), 1);
        // Sorted the other way while the answers are on their way: they find their rows.
        f.model().sort(EntryListModel::FileNameColumn, Qt::DescendingOrder);
        QVERIFY(!uiThreadWaited);

        f.disk.open();
        const int own = f.iconOfHangingFiles();
        QVERIFY(own != f.icons.IconIndexOfExtension(QStringLiteral("txt")));
        QTRY_COMPARE(f.iconOfCaption(QStringLiteral("a.txt")), own);
        QTRY_COMPARE(f.iconOfCaption(QStringLiteral("b.pdf")), own);
        QCOMPARE(f.iconOfCaption(QStringLiteral("https://example.org/")),
                 f.window->session().entryIcons().UrlIconIndex());
        QTRY_VERIFY(!f.window->session().entryIcons().resolving());
        QVERIFY(!uiThreadWaited);
    }

    void theAnswersForAFolderThatWasLeftAreDropped()
    {
        QList<MFile> entries;
        for (int i = 0; i < 50; ++i)
            entries.append(fileEntry("/net/hanging/file" + QByteArray::number(i) + ".txt"));
        HangingFixture f(entries);
        f.window->mainTree()->setCurrentItem(f.folder(1));
        QCOMPARE(f.model().count(), 50);
        QTRY_VERIFY(f.disk.calls() >= 1);
        f.window->mainTree()->setCurrentItem(f.folder(0)); // left while the disk hangs
        QCOMPARE(f.model().count(), 1);
        const int urlIcon = f.model().rowAt(0).iconIndex;
        f.disk.open();
        QTRY_VERIFY(!f.window->session().entryIcons().resolving());
        QCoreApplication::processEvents(); // an answer the workers posted before they ended
        QCOMPARE(f.model().rowAt(0).iconIndex, urlIcon);
        // The workers stop asking about the files of a folder that is no longer shown: each
        // ends with the file it was stuck on.
        QVERIFY2(f.disk.calls() <= 2, qPrintable(QString::number(f.disk.calls())));
        // Shown again, the folder asks again and gets the icons of the rows in sight, then of
        // those scrolled to.
        f.window->mainTree()->setCurrentItem(f.folder(1));
        const int own = f.iconOfHangingFiles();
        QTRY_COMPARE(f.iconOfCaption(QStringLiteral("file0.txt")), own);
        QTest::keyClicks(f.window->mainList()->currentView(), QStringLiteral("file9")); // typed to find it
        QTRY_COMPARE(f.iconOfCaption(QStringLiteral("file9.txt")), own);                // the last, by name
    }

    // Every view style asks for the icons of the rows it shows, and only for those: a folder's
    // rows that nobody scrolls to cost nothing.
    void eachViewStyleGetsTheIconsOfTheRowsItShows_data()
    {
        QTest::addColumn<QString>("styleItem");
        QTest::newRow("large icons") << QStringLiteral("LargeIcons1");
        QTest::newRow("small icons") << QStringLiteral("SmallIcons1");
        QTest::newRow("list") << QStringLiteral("List1");
        QTest::newRow("report") << QStringLiteral("Report1");
    }

    void eachViewStyleGetsTheIconsOfTheRowsItShows()
    {
        QFETCH(QString, styleItem);
        QList<MFile> entries;
        for (int i = 0; i < 1000; ++i)
            entries.append(fileEntry("/net/hanging/" + QByteArray::number(1000 + i) + ".txt"));
        HangingFixture f(entries);
        f.disk.open();
        chooseMenuItem(*f.window, styleItem);
        f.window->mainTree()->setCurrentItem(f.folder(1));
        const int own = f.iconOfHangingFiles();
        QTRY_COMPARE(f.iconOfCaption(QStringLiteral("1000.txt")), own);
        QTRY_VERIFY(!f.window->session().entryIcons().resolving());
        QVERIFY2(f.disk.calls() < 500, qPrintable(QString::number(f.disk.calls())));
        QCOMPARE(f.iconOfCaption(QStringLiteral("1999.txt")),
                 f.icons.IconIndexOfExtension(QStringLiteral("txt")));
        QTest::keyClicks(f.window->mainList()->currentView(), QStringLiteral("1999")); // typed to find it
        QTRY_COMPARE(f.iconOfCaption(QStringLiteral("1999.txt")), own);
    }

    // The window closes and goes, and with it the program, while a worker is stuck on the
    // disk: the worker ends by itself once the disk answers.
    void closingDoesNotWaitForAHangingDisk()
    {
        HangingFixture f({fileEntry("/net/hanging/a.txt")});
        // Should closing wait for the disk, this opens it so that the test ends and says so.
        std::atomic<bool> closed = false;
        std::thread watchdog([&] {
            for (int i = 0; i < 300 && !closed; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            f.disk.open();
        });
        const auto finish = qScopeGuard([&] {
            closed = true;
            watchdog.join();
        });
        f.window->mainTree()->setCurrentItem(f.folder(1));
        QTRY_COMPARE(f.disk.calls(), 1);
        f.window->close();
        f.window.reset();
        QCOMPARE(f.disk.returned(), 0);
        closed = true;
        QTRY_COMPARE(f.disk.returned(), 1);
    }

    void anAddedFileGetsTheIconOfTheFileItself()
    {
        HangingFixture f({});
        f.window->mainTree()->setCurrentItem(f.folder(1));
        f.window->entryCommands().AddFiles(QStringLiteral("/net/hanging/new.txt"));
        QCOMPARE(f.iconOfCaption(QStringLiteral("new.txt")),
                 f.icons.IconIndexOfExtension(QStringLiteral("txt")));
        f.disk.open();
        QTRY_COMPARE(f.iconOfCaption(QStringLiteral("new.txt")), f.iconOfHangingFiles());
        // A file that does not exist keeps its extension's icon.
        const QString missing = f.dir.filePath(QStringLiteral("missing.pdf"));
        f.window->entryCommands().AddFiles(missing);
        QTRY_VERIFY(f.disk.asked().contains(QFile::encodeName(missing)));
        QTRY_VERIFY(!f.window->session().entryIcons().resolving());
        QCOMPARE(f.iconOfCaption(QStringLiteral("missing.pdf")),
                 f.icons.IconIndexOfExtension(QStringLiteral("pdf")));
    }

    // The workers look at the file by its bytes: a script whose name is not valid UTF-8
    // shows a script's icon, not that of a name without extension.
    void aFileWhoseNameIsNotUtf8GetsTheIconOfItsContent()
    {
        QTemporaryDir files;
        const NativeFile script(QFile::encodeName(files.path()) + "/run-" + Latin1Name,
                                "#!/bin/sh\necho hello\n");
        QVERIFY(script.written());
        HangingFixture f({fileEntry(script.path())});
        f.window->mainTree()->setCurrentItem(f.folder(1));
        const int scriptIcon = f.icons.iconIndexOfMimeType(QStringLiteral("application/x-shellscript"));
        QVERIFY(scriptIcon != f.icons.IconIndexOfExtension(QString()));
        // The name reads as the catalog's code page reads it (it is not UTF-8).
        const QString caption = f.window->session().choices().decode("run-" + Latin1Name);
        QTRY_COMPARE(f.iconOfCaption(caption), scriptIcon);
    }
};

LINKSHELF_TEST_MAIN(TestIconResolution)
#include "tst_iconresolution.moc"
