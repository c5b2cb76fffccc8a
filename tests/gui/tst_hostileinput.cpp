// SPDX-License-Identifier: GPL-3.0-or-later
// Files no Linkshelf writes, met by the readers and the real window: huge files and counts,
// very long texts, zero and invalid bytes, full and deep trees, and work directories that
// cannot be written. Nothing crashes, the time stays bounded, and nothing is lost.
#include "atomicfile.h"
#include "bookmarkimport.h"
#include "contentsfile.h"
#include "contentsnames.h"
#include "damagedfiles.h"
#include "entrylistmodel.h"
#include "foldertree.h"
#include "maintree.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "windowfixture.h"

#include <QDirIterator>
#include <QtEndian>

#include <atomic>
#include <limits>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray int32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

void writeOneFolderCatalog(WindowFixture &f, const QByteArray &contents)
{
    f.writeTreeFiles("Links\r\n", "cat0.lsf\r\n", QByteArray("\x02", 1));
    f.writeCatalogFile(QStringLiteral("cat0.lsf"), contents);
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void aContentsFileOfHundredsOfMegabytes();
    void hugeCountsAndLengthsInAHugeSparseFile();
    void longAndStrangeTextsSurviveARewrite_data();
    void longAndStrangeTextsSurviveARewrite();
    void aZeroInATextKeepsTheOriginalAside();
    void aFullCatalogAndOneFolderMore();
    void aTreeNestedAThousandDeep();
    void aWorkDirectoryUnderAFile();
    void aWorkDirectoryWithoutWriteAccess();
    void specialFilesAreNeitherWaitedOnNorReadForEver_data();
    void specialFilesAreNeitherWaitedOnNorReadForEver();
    void indexLinesThatLeadOutOfTheWorkDirectory_data();
    void indexLinesThatLeadOutOfTheWorkDirectory();
    void unreadableContentsFilesAreLeftAlone_data();
    void unreadableContentsFilesAreLeftAlone();
    void anUnreadableTreeFileIsLeftAlone();
};

void TestHostileInput::aContentsFileOfHundredsOfMegabytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cat0.lsf"));
    // 4,800 entries whose paths are 64 KiB each: about 300 MB.
    const QByteArray entry =
        serializeContents({MFile{0, QByteArray(64 * 1024, 'p'), "/bin/p", "d"}}).sliced(4);
    const int count = 4800;
    writeFile(path, int32(count) + entry.repeated(count));
    QVERIFY(QFileInfo(path).size() > 300'000'000);

    const ContentsReadResult read = readContentsFile(path);
    QVERIFY(!read.damaged && !read.unreadable);
    QCOMPARE(read.entries.size(), count);
    QCOMPARE(read.entries.last().Path.size(), 64 * 1024);
}

void TestHostileInput::hugeCountsAndLengthsInAHugeSparseFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cat0.lsf"));
    {
        // A count of 2^31-1, a first path that claims 2^31-1 bytes, then 400 MB of hole.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(int32(std::numeric_limits<qint32>::max()) + int32(std::numeric_limits<qint32>::max()));
        QVERIFY(file.resize(400'000'000));
    }
    const ContentsReadResult read = readContentsFile(path);
    QVERIFY(read.damaged);
    QVERIFY(read.entries.isEmpty());

    // The same count with a few real entries keeps them.
    const QByteArray two = serializeContents({MFile{0, "/a", {}, {}}, MFile{1, "http://b", {}, {}}});
    const ContentsReadResult few = parseContents(int32(std::numeric_limits<qint32>::max()) + two.sliced(4));
    QVERIFY(few.damaged);
    QCOMPARE(few.entries.size(), 2);
}

void TestHostileInput::longAndStrangeTextsSurviveARewrite_data()
{
    QTest::addColumn<MFile>("entry");
    QTest::newRow("1 MB description") << MFile{0, "/a", {}, QByteArray(1 << 20, 'd')};
    QTest::newRow("1 MB path, program and description")
        << MFile{1, QByteArray(1 << 20, 'u'), QByteArray(1 << 20, 'p'), QByteArray(1 << 20, 'd')};
    QTest::newRow("64 KiB path") << MFile{0, "/" + QByteArray(64 * 1024 - 1, 'x'), {}, {}};
    QTest::newRow("invalid UTF-8") << MFile{0, "/tmp/\xff\xfe\xc3(\xed\xa0\x80.txt", "\x80\x81",
                                            "caf\xe9\r\nna\xefve"};
    QTest::newRow("Kind far out of range") << MFile{std::numeric_limits<qint32>::min(), "odd", {}, {}};
}

// The window keeps texts as read, whatever their length or bytes, and writes them back whole
// when another command rewrites the folder.
void TestHostileInput::longAndStrangeTextsSurviveARewrite()
{
    QFETCH(MFile, entry);
    WindowFixture f;
    writeOneFolderCatalog(f, serializeContents({entry}));
    TMain &w = f.open();
    QCOMPARE(w.mainList()->model().count(), 1);
    w.entryCommands().AddUrl(QStringLiteral("http://added.example"));
    const ContentsReadResult again = parseContents(f.readCatalogFile(QStringLiteral("cat0.lsf")));
    QCOMPARE(again.entries.size(), 2);
    QVERIFY(again.entries.contains(entry));
    QVERIFY(f.interaction.messages.isEmpty());
}

void TestHostileInput::aZeroInATextKeepsTheOriginalAside()
{
    WindowFixture f;
    QByteArray original = serializeContents({MFile{0, "/before-after", {}, {}}});
    original[4 + 4 + 7] = '\0'; // "/before\0after"
    writeOneFolderCatalog(f, original);
    TMain &w = f.open();
    QCOMPARE(w.mainList()->model().rowAt(0).file.Path, QByteArray("/before"));
    QCOMPARE(f.interaction.messages.size(), 1);
    const QStringList kept = QDir(damagedFilesFolder(f.workDir())).entryList(QDir::Files);
    QCOMPARE(kept.size(), 1);
    QFile copy(damagedFilesFolder(f.workDir()) + u'/' + kept.first());
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original);
}

void TestHostileInput::aFullCatalogAndOneFolderMore()
{
    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    QList<FolderRecord> folders;
    QList<QByteArray> taken;
    for (int i = 0; i < MaxContentsFiles; ++i) {
        const QByteArray name = "cat" + QByteArray::number(MaxContentsFiles - 1 - i) + ".lsf";
        folders.append(FolderRecord{i % 3 == 0 ? 0 : 1, "Folder " + QByteArray::number(i), MTree{name}, false,
                                    i == 1999});
        taken.append(name);
    }
    QVERIFY(!firstFreeContentsName(taken)); // the 2,001st gets no name another folder holds
    QVERIFY(saveFolderTree(paths, folders));
    const FolderTreeLoad load = loadFolderTree(paths);
    QCOMPARE(load.folders, folders);
    QVERIFY(!load.countsDiffer);

    // A 2,001st line in the files themselves (written by something else) still loads, with
    // its name, and the catalog refuses to give it or any new folder a taken file.
    QFile tree(paths.TreeFilePath);
    QVERIFY(tree.open(QIODevice::Append));
    tree.write("One more\r\n");
    tree.close();
    const FolderTreeLoad more = loadFolderTree(paths);
    QCOMPARE(more.folders.size(), MaxContentsFiles + 1);
    QVERIFY(!more.folders.last().Record);
    QVERIFY(more.countsDiffer);
}

void TestHostileInput::aTreeNestedAThousandDeep()
{
    WindowFixture f;
    QByteArray tree, index, state;
    for (int level = 0; level < 1000; ++level) {
        tree += QByteArray(level, '\t') + "Level " + QByteArray::number(level) + "\r\n";
        index += "cat" + QByteArray::number(level) + ".lsf\r\n";
        state += char(level == 999 ? 2 : 1);
    }
    f.writeTreeFiles(tree, index, state);
    TMain &w = f.open();
    QCOMPARE(w.mainTree()->foldersInPreOrder().size(), 1000);
    QCOMPARE(w.mainTree()->selectedFolder()->level(), 999);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    f.closeWindow(); // closing writes the tree files
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")), tree);
    QCOMPARE(f.readCatalogFile(QStringLiteral("itree.lsf")), index);
    QCOMPARE(f.readCatalogFile(QStringLiteral("etree.lsf")), state);
}

void TestHostileInput::aWorkDirectoryUnderAFile()
{
    WindowFixture f;
    writeFile(f.dir.filePath(QStringLiteral("plain-file")), "not a folder");
    f.registry.writeString(SettingsStore::Root::LocalMachine, QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"),
                           QStringLiteral("WorkDir"), f.dir.filePath(QStringLiteral("plain-file/tree")));
    TMain &w = f.open();
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY2(f.interaction.messages.first().contains(QStringLiteral("could not be created")),
             qPrintable(f.interaction.messages.first()));
    QCOMPARE(w.mainTree()->topLevelItemCount(), 0);
    w.folderCommands().AddFolder(); // nothing scripted: the prompt is cancelled
    w.close();
    QVERIFY(QFileInfo(f.dir.filePath(QStringLiteral("plain-file"))).isFile());
}

// Root writes through any mode bits, so this can only be seen as an ordinary user; the same
// refusal is injected for every user by tst_windowsavefailures.
void TestHostileInput::aWorkDirectoryWithoutWriteAccess()
{
    if (::geteuid() == 0)
        QSKIP("running as root, whom a read-only mode does not stop");
    WindowFixture f;
    TMain &w = f.open();
    w.entryCommands().AddUrl(QStringLiteral("http://kept.example"));
    const QByteArray before = f.readCatalogFile(QStringLiteral("cat0.lsf"));
    QVERIFY(QFile::setPermissions(f.workDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    w.entryCommands().AddUrl(QStringLiteral("http://waits.example"));
    QCOMPARE(f.interaction.messages.size(), 1);
    QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")), before);
    QVERIFY(QFile::setPermissions(f.workDir(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    w.entryCommands().AddUrl(QStringLiteral("http://third.example"));
    QCOMPARE(parseContents(f.readCatalogFile(QStringLiteral("cat0.lsf"))).entries.size(), 3);
}

enum class Reader { TreeFile, ContentsFile, BookmarkFile };
Q_DECLARE_METATYPE(Reader)

void TestHostileInput::specialFilesAreNeitherWaitedOnNorReadForEver_data()
{
    QTest::addColumn<Reader>("reader");
    QTest::addColumn<QString>("kind");  // "pipe", or what a link leads to: "device", "file"
    QTest::addColumn<QString>("error"); // what the refusal says

    QTest::newRow("tree file: a pipe") << Reader::TreeFile << QStringLiteral("pipe") << QString();
    QTest::newRow("tree file: a link to a file") << Reader::TreeFile << QStringLiteral("file") << QString();
    QTest::newRow("contents file: a pipe")
        << Reader::ContentsFile << QStringLiteral("pipe") << QStringLiteral("pipe");
    QTest::newRow("contents file: a link to a file")
        << Reader::ContentsFile << QStringLiteral("file") << QStringLiteral("symbolic link");
    QTest::newRow("bookmark file: a pipe")
        << Reader::BookmarkFile << QStringLiteral("pipe") << QStringLiteral("pipe");
    QTest::newRow("bookmark file: a link to a device")
        << Reader::BookmarkFile << QStringLiteral("device") << QStringLiteral("device");
}

// A pipe would hold the open for ever and a device never end: only regular files are read,
// checked without blocking. A catalog file is not read through a link; a file the user chose
// is, but what it leads to is checked the same way.
void TestHostileInput::specialFilesAreNeitherWaitedOnNorReadForEver()
{
    QFETCH(Reader, reader);
    QFETCH(QString, kind);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("special"));
    const QByteArray native = QFile::encodeName(path);
    if (kind == QStringLiteral("pipe")) {
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    } else {
        const QString target = kind == QStringLiteral("device") ? QStringLiteral("/dev/null")
                                                                : dir.filePath(QStringLiteral("target"));
        writeFile(dir.filePath(QStringLiteral("target")), QByteArray(4, '\0'));
        QVERIFY(QFile::link(target, path));
    }

    std::atomic<bool> done = false;
    bool read = false;
    QString said;
    std::thread worker([&] {
        switch (reader) {
        case Reader::TreeFile:
            read = readWholeFile(path).has_value();
            break;
        case Reader::ContentsFile: {
            const ContentsReadResult result = readContentsFile(path);
            read = !result.unreadable;
            said = result.readError;
            break;
        }
        case Reader::BookmarkFile: {
            const BookmarkReadResult result = readBookmarkFile(path);
            read = bool(result);
            said = result.error;
            break;
        }
        }
        done = true;
    });
    const bool returned = QTest::qWaitFor([&] { return done.load(); }, 5000);
    if (!returned) { // a writer that comes and goes lets a reader stuck in open() go on
        const int writer = ::open(native.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    worker.join();
    QVERIFY2(returned, "the reader waited on the file");
    QVERIFY(!read);
    QVERIFY2(said.contains(error), qPrintable(said));
}

void TestHostileInput::indexLinesThatLeadOutOfTheWorkDirectory_data()
{
    QTest::addColumn<QByteArray>("indexLine");
    QTest::addColumn<QString>("outside"); // relative to the work directory
    QTest::addColumn<bool>("linked");     // cat0.lsf is a link to the outside file

    QTest::newRow("parent") << QByteArray("../outside.lsf") << QStringLiteral("../outside.lsf") << false;
    QTest::newRow("two up") << QByteArray("../../outside.lsf") << QStringLiteral("../../outside.lsf")
                            << false;
    QTest::newRow("down and up") << QByteArray("sub/../../outside.lsf") << QStringLiteral("../outside.lsf")
                                 << false;
    QTest::newRow("a link in the file's place")
        << QByteArray("cat0.lsf") << QStringLiteral("../outside.lsf") << true;
}

// Whatever the index names, adding, deleting and keeping damaged copies stay inside the work
// directory: the folder has no record, and the user hears of the damage once.
void TestHostileInput::indexLinesThatLeadOutOfTheWorkDirectory()
{
    QFETCH(QByteArray, indexLine);
    QFETCH(QString, outside);
    QFETCH(bool, linked);
    WindowFixture f;
    const QString workDir = f.dir.filePath(QStringLiteral("a/b/tree")); // deep enough for "../../"
    f.registry.writeString(SettingsStore::Root::LocalMachine, QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"),
                           QStringLiteral("WorkDir"), workDir);
    QVERIFY(QDir().mkpath(workDir + QStringLiteral("/sub")));
    const QString outsideFile = QDir::cleanPath(workDir + u'/' + outside);
    const QByteArray secret("a private key, and not a contents file"); // reads as damaged
    writeFile(outsideFile, secret);
    writeFile(workDir + QStringLiteral("/tree.lsf"), "Links\r\n");
    writeFile(workDir + QStringLiteral("/itree.lsf"), indexLine + "\r\n");
    writeFile(workDir + QStringLiteral("/etree.lsf"), QByteArray("\x02", 1));
    if (linked)
        QVERIFY(QFile::link(outsideFile, workDir + QStringLiteral("/cat0.lsf")));

    TMain &w = f.open();
    QVERIFY(!w.mainTree()->selectedFolder()->record);
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY2(f.interaction.messages.first().contains(QStringLiteral("itree.lsf")),
             qPrintable(f.interaction.messages.first()));
    w.entryCommands().AddUrl(QStringLiteral("http://added.example"));
    f.interaction.yesNoAnswers = {true};
    releaseKeyIn(w, w.mainTree(), Qt::Key_Delete);
    f.closeWindow();

    QFile kept(outsideFile);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), secret);
    QDirIterator copies(damagedFilesFolder(workDir), QDir::Files);
    while (copies.hasNext()) {
        QFile copy(copies.next());
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QVERIFY2(copy.readAll() != secret, qPrintable(copy.fileName()));
    }
    TMain &again = f.open(); // the damage was told once: the index no longer names the file
    QCOMPARE(f.interaction.messages.size(), 1);
    QCOMPARE(again.mainTree()->topLevelItemCount(), 1);
}

void TestHostileInput::unreadableContentsFilesAreLeftAlone_data()
{
    QTest::addColumn<bool>("folderInItsPlace"); // else a file without read permission
    QTest::newRow("a folder in its place") << true;
    QTest::newRow("no read permission") << false;
}

// Writing such a folder would replace entries nobody could read: it is shown empty with a
// message, and nothing writes its file while the window runs.
void TestHostileInput::unreadableContentsFilesAreLeftAlone()
{
    QFETCH(bool, folderInItsPlace);
    if (!folderInItsPlace && ::geteuid() == 0)
        QSKIP("running as root, whom a missing read permission does not stop");
    WindowFixture f;
    const QByteArray entries = serializeContents({MFile{0, "/kept", {}, {}}});
    writeOneFolderCatalog(f, entries);
    const QString contents = f.catalogFile(QStringLiteral("cat0.lsf"));
    if (folderInItsPlace) {
        QVERIFY(QFile::remove(contents));
        QVERIFY(QDir().mkdir(contents));
    } else {
        QVERIFY(QFile::setPermissions(contents, QFileDevice::WriteOwner));
    }
    TMain &w = f.open();
    QCOMPARE(w.mainList()->model().count(), 0);
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY2(f.interaction.messages.first().contains(QStringLiteral("cat0.lsf")),
             qPrintable(f.interaction.messages.first()));
    w.entryCommands().AddUrl(QStringLiteral("http://one.example"));
    QCOMPARE(w.mainList()->model().count(), 0); // refused, and said
    QCOMPARE(f.interaction.messages.size(), 2);
    f.interaction.yesNoAnswers = {true};
    releaseKeyIn(w, w.mainTree(), Qt::Key_Delete); // the folder goes, its file stays
    QCOMPARE(w.mainTree()->topLevelItemCount(), 0);
    if (folderInItsPlace) {
        QVERIFY(QFileInfo(contents).isDir());
    } else {
        QVERIFY(QFile::setPermissions(contents, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")), entries);
    }
}

// The tree file's name taken by a folder: nothing can load, and nothing replaces it.
void TestHostileInput::anUnreadableTreeFileIsLeftAlone()
{
    WindowFixture f;
    QVERIFY(QDir().mkpath(f.catalogFile(QStringLiteral("tree.lsf"))));
    TMain &w = f.open();
    QVERIFY(f.interaction.errors.isEmpty());
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY2(f.interaction.messages.first().contains(QStringLiteral("tree.lsf cannot be read")),
             qPrintable(f.interaction.messages.first()));
    releaseKeyIn(w, w.mainTree(), Qt::Key_F7); // refused, and said
    QCOMPARE(w.mainTree()->topLevelItemCount(), 0);
    QCOMPARE(f.interaction.messages.size(), 2);
    f.closeWindow();
    QVERIFY(QFileInfo(f.catalogFile(QStringLiteral("tree.lsf"))).isDir());
    QVERIFY(!QFileInfo::exists(f.catalogFile(QStringLiteral("itree.lsf"))));
}

LINKSHELF_TEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
