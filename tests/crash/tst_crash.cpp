// SPDX-License-Identifier: GPL-3.0-or-later
// Kills a process that is writing a catalog (commands, and undo and redo of them) at hundreds of
// random points, and checks after each kill that every file is a whole old or new version and that
// the catalog loads with nothing lost but the change that was cut off.
#include "atomicfile.h"
#include "catalogpaths.h"
#include "contentsfile.h"
#include "foldertree.h"
#include "testenvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

const QByteArray Absent = QByteArrayLiteral("-");
const QStringList TreeFiles{QStringLiteral("itree.lsf"), QStringLiteral("tree.lsf"),
                            QStringLiteral("etree.lsf")};

QByteArray hashOfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Absent;
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
}

// What the parent knows of the catalog: the version of each file that is on disk for sure,
// and the change the child had announced but not finished when it was killed.
struct Expectation
{
    QHash<QByteArray, QByteArray> contents; // file name -> hash, or Absent
    QList<QByteArray> tree{Absent, Absent, Absent};

    enum class Pending { None, Contents, Delete, Tree, Undo };
    Pending pending = Pending::None;
    QByteArray pendingName;
    QByteArray pendingHash;
    QList<QByteArray> pendingTree;
    // Folder deletion removes the folder's file before it saves the tree without the folder;
    // a kill between the two brings the folder back with its entries gone, as deleted.
    QSet<QByteArray> deletedFiles;
    bool deletionOpen = false; // a deletion has begun and its tree save has not ended
    // An undo or redo writes several files, each announced with its new version (Absent: it
    // goes); any of them may be old or new after a kill, the tree files as one.
    QHash<QByteArray, QByteArray> undoContents;
    bool undoTree = false;
    int undoStepsDone = 0;

    bool treePending() const { return pending == Pending::Tree || (pending == Pending::Undo && undoTree); }

    void beginUndo()
    {
        if (pending == Pending::Undo)
            return;
        pending = Pending::Undo;
        undoContents.clear();
        undoTree = false;
    }

    void follow(const QList<QByteArray> &journal)
    {
        for (const QByteArray &line : journal) {
            const QList<QByteArray> word = line.split(' ');
            if (word[0] == "C") {
                pending = Pending::Contents;
                pendingName = word[1];
                pendingHash = word[2];
            } else if (word[0] == "c") {
                deletedFiles.remove(word[1]); // the folder's file is whole again
                contents[word[1]] = pendingHash;
                pending = Pending::None;
            } else if (word[0] == "D") {
                deletedFiles.insert(word[1]);
                deletionOpen = true;
                pending = Pending::Delete;
                pendingName = word[1];
            } else if (word[0] == "d") {
                contents[word[1]] = Absent;
                pending = Pending::None;
            } else if (word[0] == "T") {
                pending = Pending::Tree;
                pendingTree = word.mid(1);
            } else if (word[0] == "G") {
                beginUndo();
                undoContents.insert(word[1], word[2] == "-" ? Absent : word[2]);
            } else if (word[0] == "GT") {
                beginUndo();
                undoTree = true;
                pendingTree = word.mid(1);
            } else if (word[0] == "g") {
                for (auto it = undoContents.cbegin(); it != undoContents.cend(); ++it) {
                    contents[it.key()] = it.value();
                    if (it.value() != Absent)
                        deletedFiles.remove(it.key()); // the folder's file is whole again
                }
                if (undoTree)
                    tree = pendingTree;
                ++undoStepsDone;
                pending = Pending::None;
            } else if (word[0] == "t") {
                deletionOpen = false;
                tree = pendingTree;
                pending = Pending::None;
            }
        }
    }
};

struct Tally
{
    int kills = 0;
    int survived = 0;
    int duringContentsWrite = 0;
    int duringDelete = 0;
    int duringTreeSave = 0;
    int duringUndo = 0;
    int beforeReady = 0;
    int treeFinishedAtLoad = 0;
    int treeDroppedAtLoad = 0;
    int treeFilesFromTwoSaves = 0; // seen on disk before the loader settled them
    int deletionsCut = 0;          // between removing the folder's file and its tree save
    int deletedFolderBack = 0;     // of those, the folder showed again, without entries
    int temporaryFilesRemoved = 0;
};

} // namespace

class TestCrash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killsNeverCostMoreThanTheChangeCutOff();

private:
    QString m_workDir;
    Expectation m_expect;
    Tally m_tally;
    QStringList m_failures;

    QList<QByteArray> runAndKill(quint32 seed, int delayMs, bool waitForReady);
    void check();
    void fail(const QString &what)
    {
        m_failures.append(QStringLiteral("kill %1: %2").arg(m_tally.kills).arg(what));
    }
    void checkContentsFiles();
    bool checkTreeFilesBeforeLoad();
    void checkLoad();
};

QList<QByteArray> TestCrash::runAndKill(quint32 seed, int delayMs, bool waitForReady)
{
    QProcess child;
    child.setProgram(QStringLiteral(LINKSHELF_CRASH_CHILD));
    child.setArguments({m_workDir, QString::number(seed)});
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start();
    if (!child.waitForStarted())
        qFatal("cannot start the crash child");
    QElapsedTimer clock;
    clock.start();
    if (waitForReady) {
        // The lines stay in the buffer for the journal.
        while (!child.peek(child.bytesAvailable()).contains("ready\n") && child.waitForReadyRead(2000)) {
        }
        clock.restart();
    }
    while (clock.elapsed() < delayMs && child.state() == QProcess::Running)
        QThread::usleep(200);
    // Only ever the child itself: a pid of 0 would signal this whole process group.
    const qint64 pid = child.processId();
    const bool running = child.state() == QProcess::Running && pid > 0;
    if (running)
        ::kill(pid_t(pid), SIGKILL);
    child.waitForFinished(5000);
    if (!running)
        fail(QStringLiteral("the child ended by itself (exit %1, status %2): %3")
                 .arg(child.exitCode())
                 .arg(child.exitStatus())
                 .arg(QString::fromLocal8Bit(child.readAllStandardError())));
    const QByteArray out = child.readAllStandardOutput();
    if (qEnvironmentVariableIsSet("LINKSHELF_CRASH_TRACE"))
        qInfo("kill %d after %d ms: %s | %s", m_tally.kills, int(clock.elapsed()), out.right(60).constData(),
              child.readAllStandardError().constData());
    QList<QByteArray> lines = out.split('\n');
    lines.removeLast(); // the empty tail, or a line cut off by the kill: never a finished write
    if (!lines.contains("ready"))
        ++m_tally.beforeReady;
    return lines;
}

void TestCrash::checkContentsFiles()
{
    QHash<QByteArray, QByteArray> onDisk;
    const QRegularExpression contentsName(QStringLiteral("^cat[0-9]+\\.lsf$"));
    // What a writer killed before its commit leaves; it is never read, and the next start
    // removes it.
    const QRegularExpression temporaryName(
        QStringLiteral("^(cat[0-9]+|tree|itree|etree)\\.lsf(\\.new)?\\.[A-Za-z0-9]{6}$"));
    for (const QString &name : QDir(m_workDir).entryList(QDir::Files | QDir::Hidden)) {
        if (TreeFiles.contains(name) || TreeFiles.contains(name.chopped(std::min<qsizetype>(4, name.size()))))
            continue;
        if (!contentsName.match(name).hasMatch()) {
            if (!temporaryName.match(name).hasMatch())
                fail(QStringLiteral("a stray file %1").arg(name));
            continue;
        }
        onDisk.insert(QFile::encodeName(name), hashOfFile(m_workDir + u'/' + name));
    }
    QSet<QByteArray> names(m_expect.contents.keyBegin(), m_expect.contents.keyEnd());
    for (auto it = onDisk.cbegin(); it != onDisk.cend(); ++it)
        names.insert(it.key());
    for (const QByteArray &name : names) {
        const QByteArray actual = onDisk.value(name, Absent);
        const QByteArray committed = m_expect.contents.value(name, Absent);
        const bool pendingHere = m_expect.pendingName == name;
        const bool allowed =
            actual == committed ||
            (pendingHere && m_expect.pending == Expectation::Pending::Contents &&
             actual == m_expect.pendingHash) ||
            (pendingHere && m_expect.pending == Expectation::Pending::Delete && actual == Absent) ||
            (m_expect.pending == Expectation::Pending::Undo && m_expect.undoContents.value(name) == actual &&
             m_expect.undoContents.contains(name));
        if (!allowed)
            fail(QStringLiteral("%1 is neither the old nor the new version").arg(QString::fromLatin1(name)));
        m_expect.contents[name] = actual;
    }
}

// Each tree file, and each staging file left beside it, is whole: one save's version.
bool TestCrash::checkTreeFilesBeforeLoad()
{
    QList<QByteArray> triple;
    for (int i = 0; i < 3; ++i) {
        const QString path = m_workDir + u'/' + TreeFiles[i];
        const QByteArray actual = hashOfFile(path);
        const bool pendingTree = m_expect.treePending();
        if (actual != m_expect.tree[i] && !(pendingTree && actual == m_expect.pendingTree[i]))
            fail(QStringLiteral("%1 is torn or from no save").arg(TreeFiles[i]));
        const QByteArray staged = hashOfFile(stagingPath(path));
        if (staged != Absent && !(pendingTree && staged == m_expect.pendingTree[i]))
            fail(QStringLiteral("the staging file of %1 is torn").arg(TreeFiles[i]));
        triple.append(actual);
    }
    const bool oneSave =
        triple == m_expect.tree || (m_expect.treePending() && triple == m_expect.pendingTree);
    if (!oneSave)
        ++m_tally.treeFilesFromTwoSaves;
    return oneSave;
}

void TestCrash::checkLoad()
{
    const FolderTreeLoad load = loadFolderTree(CatalogPaths::forWorkDirectory(m_workDir));
    if (load.recovery == UnitRecovery::Completed)
        ++m_tally.treeFinishedAtLoad;
    if (load.recovery == UnitRecovery::Discarded)
        ++m_tally.treeDroppedAtLoad;
    if (load.recovery == UnitRecovery::Unexpected)
        fail(QStringLiteral("staging files no save leaves"));
    QList<QByteArray> triple;
    for (const QString &name : TreeFiles) {
        triple.append(hashOfFile(m_workDir + u'/' + name));
        if (QFileInfo::exists(stagingPath(m_workDir + u'/' + name)))
            fail(QStringLiteral("a staging file of %1 outlived the load").arg(name));
    }
    const bool pendingTree = m_expect.treePending();
    if (triple != m_expect.tree && !(pendingTree && triple == m_expect.pendingTree))
        fail(QStringLiteral("the tree files loaded are not one save"));
    if (triple != m_expect.tree && load.status != FolderTreeLoad::TreeFileMissing) {
        if (load.status != FolderTreeLoad::Loaded || load.countsDiffer)
            fail(QStringLiteral("the tree did not load whole"));
    }
    m_expect.tree = triple;
    // Every folder's entries are there: its file is whole, unless the folder was deleted.
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(m_workDir);
    bool deletedBack = false;
    for (const FolderRecord &folder : load.folders) {
        if (!folder.Record)
            continue;
        const ContentsReadResult read = readContentsFile(paths.ContentsFilePath(*folder.Record).value());
        const bool deleted = m_expect.deletedFiles.contains(folder.Record->FileName);
        deletedBack = deletedBack || (read.unreadable && deleted);
        if (read.damaged || (read.unreadable && !deleted))
            fail(QStringLiteral("the entries of %1 are lost (%2; pending %3 %4)")
                     .arg(QString::fromLatin1(folder.Record->FileName),
                          read.damaged ? QStringLiteral("damaged") : QStringLiteral("missing"))
                     .arg(int(m_expect.pending))
                     .arg(QString::fromLatin1(m_expect.pendingName)));
    }
    if (m_expect.deletionOpen) {
        ++m_tally.deletionsCut;
        m_tally.deletedFolderBack += deletedBack;
        m_expect.deletionOpen = false;
    }
}

void TestCrash::check()
{
    switch (m_expect.pending) {
    case Expectation::Pending::Contents:
        ++m_tally.duringContentsWrite;
        break;
    case Expectation::Pending::Delete:
        ++m_tally.duringDelete;
        break;
    case Expectation::Pending::Tree:
        ++m_tally.duringTreeSave;
        break;
    case Expectation::Pending::Undo:
        ++m_tally.duringUndo;
        break;
    case Expectation::Pending::None:
        break;
    }
    const int failuresBefore = int(m_failures.size());
    checkContentsFiles();
    checkTreeFilesBeforeLoad();
    checkLoad();
    m_tally.temporaryFilesRemoved += removeAbandonedTemporaryFiles(m_workDir);
    m_expect.pending = Expectation::Pending::None;
    if (m_failures.size() == failuresBefore)
        ++m_tally.survived;
}

void TestCrash::killsNeverCostMoreThanTheChangeCutOff()
{
    QTemporaryDir dir;
    m_workDir = dir.path();
    const int kills = qEnvironmentVariableIntValue("LINKSHELF_CRASH_KILLS") > 0
                          ? qEnvironmentVariableIntValue("LINKSHELF_CRASH_KILLS")
                          : 300;
    QRandomGenerator random(20240607);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kills; ++i) {
        // Most kills land while the child writes; some while it starts and settles the files.
        const bool duringWrites = random.bounded(5) != 0;
        const QList<QByteArray> journal =
            runAndKill(random.generate(), random.bounded(duringWrites ? 40 : 15), duringWrites);
        ++m_tally.kills;
        m_expect.follow(journal);
        check();
    }
    qInfo("%d of %d kills survived (in %.1f s)", m_tally.survived, m_tally.kills, clock.elapsed() / 1000.0);
    qInfo("cut off: %d contents writes, %d folder deletions, %d tree saves, %d undo or redo steps; %d before "
          "the catalog was open",
          m_tally.duringContentsWrite, m_tally.duringDelete, m_tally.duringTreeSave, m_tally.duringUndo,
          m_tally.beforeReady);
    qInfo("undo or redo steps finished: %d", m_expect.undoStepsDone);
    qInfo("tree files from two saves on disk: %d; at load %d saves finished, %d dropped",
          m_tally.treeFilesFromTwoSaves, m_tally.treeFinishedAtLoad, m_tally.treeDroppedAtLoad);
    qInfo("folder deletions cut off: %d, of which the folder showed again without its entries: %d",
          m_tally.deletionsCut, m_tally.deletedFolderBack);
    qInfo("temporary files of killed writes removed at the next start: %d", m_tally.temporaryFilesRemoved);
    qInfo("folders at the end: %d",
          int(loadFolderTree(CatalogPaths::forWorkDirectory(m_workDir)).folders.size()));
    for (const QString &failure : std::as_const(m_failures).first(std::min<qsizetype>(20, m_failures.size())))
        qWarning("%s", qPrintable(failure));
    QCOMPARE(m_tally.survived, m_tally.kills);
}

LINKSHELF_TEST_CORE_MAIN(TestCrash)
#include "tst_crash.moc"
