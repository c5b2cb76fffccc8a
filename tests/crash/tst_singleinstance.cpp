// SPDX-License-Identifier: GPL-3.0-or-later
// One writer per catalog, between real processes: a second start on the same catalog hands
// its command line over and ends, a start on another catalog runs, a lock left by a killed
// process or that names no live holder is taken over, one of another computer only when the
// user says so, and only this user's processes meet on the channel.
#include "catalogstart.h"
#include "channelaccess.h"
#include "scriptedinteraction.h"
#include "singleinstance.h"
#include "testenvironment.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Primary = 10 + int(SingleInstance::Start::Primary);
constexpr int Forwarded = 10 + int(SingleInstance::Start::Forwarded);
constexpr int NoAnswer = 10 + int(SingleInstance::Start::NoAnswer);
constexpr int Unlocked = 10 + int(SingleInstance::Start::Unlocked);
constexpr int NotCarriedOut = 9; // forwarded, and the holder said what it could not do

// Records the command lines that a holder carries out, answering each with failure.
struct Received
{
    explicit Received(SingleInstance &holder, const QString &failure = QString())
    {
        holder.setHandler([this, failure](const ForwardedCommandLine &commandLine) {
            lines.append(commandLine);
            return failure;
        });
    }
    qsizetype size() const { return lines.size(); }

    QList<ForwardedCommandLine> lines;
};

void startChild(QProcess &child, const QStringList &arguments, const QString &runIn = QString())
{
    child.setProgram(QStringLiteral(LINKSHELF_INSTANCE_CHILD));
    child.setArguments(arguments);
    if (!runIn.isEmpty())
        child.setWorkingDirectory(runIn);
    child.start();
    QVERIFY(child.waitForStarted());
}

// Waits for the child while this process keeps answering on its socket.
int exitCodeOf(QProcess &child)
{
    QDeadlineTimer deadline(10000);
    while (child.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(10);
    return child.state() == QProcess::NotRunning && child.exitStatus() == QProcess::NormalExit
               ? child.exitCode()
               : -1;
}

// This computer's lock; with earlier: the lock of earlier versions, one per catalog.
QString lockPath(const QTemporaryDir &catalog, bool earlier = false)
{
    return catalog.filePath(earlier ? SingleInstance::earlierLockFileName()
                                    : SingleInstance::lockFileName(CatalogLock::hostName()));
}

QByteArray readLock(const QTemporaryDir &catalog, bool earlier = false)
{
    QFile file(lockPath(catalog, earlier));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void writeLock(const QTemporaryDir &catalog, const QByteArray &bytes, bool earlier = false)
{
    QFile file(lockPath(catalog, earlier));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ourLockStart()
{
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n';
}

// Sets an environment variable for one scope.
auto environmentFor(const char *name, const QByteArray &value)
{
    const bool wasSet = qEnvironmentVariableIsSet(name);
    const QByteArray before = qgetenv(name);
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
    return qScopeGuard([=] { wasSet ? qputenv(name, before) : qunsetenv(name); });
}

// The user that the tests run a second process as, when they run as root.
constexpr uid_t Nobody = 65534;

// Runs body in a child process as Nobody, after prepare has run as root; body's result is
// the child's exit code. Only system calls happen in the child.
pid_t forkAsNobody(const std::function<void()> &prepare, const std::function<int()> &body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        prepare();
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(99);
        ::_exit(body());
    }
    return child;
}

bool waitReadable(int fd)
{
    pollfd one{fd, POLLIN, 0};
    return ::poll(&one, 1, 5000) == 1;
}

int unixSocketAt(const QByteArray &path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    return ::socket(AF_UNIX, SOCK_STREAM, 0);
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aSecondStartHandsItsCommandLineOver()
    {
        QTemporaryDir catalog, elsewhere;
        SingleInstance holder(catalog.path());
        QCOMPARE(holder.start({QDir::currentPath(), {QStringLiteral("linkshelf")}}),
                 SingleInstance::Start::Primary);
        Received received(holder);

        QProcess second;
        const QStringList handed{QStringLiteral("--add"), QStringLiteral("notes/ä b.txt"),
                                 QStringLiteral("https://example.org/?q=1")};
        startChild(second, QStringList{catalog.path(), QStringLiteral("5000")} + handed, elsewhere.path());
        QCOMPARE(exitCodeOf(second), Forwarded);
        QCOMPARE(received.size(), 1);
        const ForwardedCommandLine commandLine = received.lines.first();
        QCOMPARE(commandLine.arguments.mid(1), handed);
        QCOMPARE(QDir(commandLine.currentDir).canonicalPath(), QDir(elsewhere.path()).canonicalPath());
    }

    // The second start waits for the holder to carry its command line out, and ends with
    // what the holder could not do.
    void whatTheHolderCouldNotDoEndsTheSecondStart()
    {
        QTemporaryDir catalog;
        SingleInstance holder(catalog.path());
        QCOMPARE(holder.start({QDir::currentPath(), {QStringLiteral("linkshelf")}}),
                 SingleInstance::Start::Primary);
        Received received(holder, QStringLiteral("The catalog was not exported to \"/x\"."));
        QProcess second;
        startChild(second, {catalog.path(), QStringLiteral("5000"), QStringLiteral("--export"),
                            QStringLiteral("/x")});
        QCOMPARE(exitCodeOf(second), NotCarriedOut);
        QCOMPARE(second.readAllStandardOutput(), QByteArray("The catalog was not exported to \"/x\".\n"));
        QCOMPARE(received.size(), 1);
    }

    void aStartOnAnotherCatalogRuns()
    {
        QTemporaryDir catalog, other;
        SingleInstance holder(catalog.path());
        QCOMPARE(holder.start({QDir::currentPath(), {}}), SingleInstance::Start::Primary);
        QProcess start;
        startChild(start, {other.path(), QStringLiteral("2000")});
        QCOMPARE(exitCodeOf(start), Primary);
    }

    void aLockLeftByAKilledProcessIsTakenOver()
    {
        QTemporaryDir catalog;
        QProcess killed;
        startChild(killed, {catalog.path(), QStringLiteral("2000"), QStringLiteral("hold")});
        QVERIFY(killed.waitForReadyRead(5000));
        QCOMPARE(killed.readLine(), QByteArray("locked\n"));
        const qint64 pid = killed.processId();
        QVERIFY(pid > 0);
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(killed.waitForFinished(5000));
        QVERIFY(QFile::exists(lockPath(catalog))); // left behind

        SingleInstance next(catalog.path());
        Received received(next);
        QCOMPARE(next.start({QDir::currentPath(), {}}), SingleInstance::Start::Primary);
        QProcess later; // the dead holder's socket was replaced by a live one
        startChild(later, {catalog.path(), QStringLiteral("5000"), QStringLiteral("x")});
        QCOMPARE(exitCodeOf(later), Forwarded);
        QCOMPARE(received.size(), 1);
    }

    void aHolderThatDoesNotAnswerIsReported()
    {
        QTemporaryDir catalog;
        SingleInstance holder(catalog.path());
        QCOMPARE(holder.start({QDir::currentPath(), {}}), SingleInstance::Start::Primary);
        QProcess second;
        startChild(second, {catalog.path(), QStringLiteral("500"), QStringLiteral("x")});
        QVERIFY(second.waitForFinished(10000)); // no event loop here: the holder hangs
        QCOMPARE(second.exitCode(), NoAnswer);
    }

    void noLockWhereNoneCanBeMade()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("a-file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        SingleInstance instance(dir.filePath(QStringLiteral("a-file/catalog")));
        QCOMPARE(instance.start({QDir::currentPath(), {}}, 200), SingleInstance::Start::Unlocked);
        QCOMPARE(Unlocked, 13);
    }

    void aLockThatNamesNoLiveHolderIsTaken_data()
    {
        QTest::addColumn<QByteArray>("lock");
        QProcess ended;
        ended.start(QStringLiteral("true"));
        QVERIFY(ended.waitForFinished());
        const QByteArray host = CatalogLock::hostName().toUtf8();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        QTest::newRow("a process that has ended")
            << QByteArray::number(ended.processId()) + "\nlinkshelf\n" + host + '\n';
        // Its number may name any program after a restart; it holds no lock on the file.
        QTest::newRow("a live process that does not hold it")
            << QByteArray::number(::getppid()) + "\nlinkshelf\n" + host + '\n';
        QTest::newRow("no computer named") << QByteArray("1\n");
    }

    void aLockThatNamesNoLiveHolderIsTaken()
    {
        QFETCH(QByteArray, lock);
        QTemporaryDir catalog;
        writeLock(catalog, lock);
        SingleInstance instance(catalog.path());
        QCOMPARE(instance.start({QDir::currentPath(), {}}, 1000), SingleInstance::Start::Primary);
        QVERIFY(readLock(catalog).startsWith(ourLockStart()));
    }

    // Another user of this computer runs Linkshelf on a shared catalog: their lock, which
    // this user may read but not write, still keeps the catalog theirs.
    void aLockOfAnotherUserIsRespected()
    {
        if (::geteuid() != 0)
            QSKIP("only root can run a process as another user");
        QTemporaryDir catalog;
        QVERIFY(QFile::setPermissions(catalog.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                          QFile::ReadOther | QFile::ExeOther));
        CatalogLock theirs(lockPath(catalog));
        QCOMPARE(theirs.tryTake(), CatalogLock::State::Taken);
        const pid_t other = forkAsNobody([] {},
                                         [&] {
                                             CatalogLock mine(lockPath(catalog));
                                             return int(mine.tryTake());
                                         });
        int status = -1;
        QCOMPARE(::waitpid(other, &status, 0), other);
        QCOMPARE(WEXITSTATUS(status), int(CatalogLock::State::HeldHere));
    }

    // An earlier version elsewhere writes its own copy over what others add: the user decides.
    void anEarlierVersionsLockOfAnotherComputerIsTakenOnlyWhenTheUserSaysSo()
    {
        const QByteArray foreign = "4242\nlinkshelf\nother-computer.example\n";
        for (const bool yes : {false, true}) {
            QTemporaryDir catalog;
            writeLock(catalog, foreign, true);
            SingleInstance instance(catalog.path());
            ScriptedInteraction interaction;
            interaction.yesNoAnswers = {yes};
            const CatalogStart settled =
                settleCatalogLock(instance, {QDir::currentPath(), {}}, interaction, false);
            QCOMPARE(interaction.riskQuestions.size(), 1);
            QVERIFY(interaction.riskQuestions[0].contains(QStringLiteral("\"other-computer.example\"")));
            if (yes) {
                QCOMPARE(settled.start, SingleInstance::Start::Primary);
                QCOMPARE(settled.exitCode, std::nullopt);
                QVERIFY(readLock(catalog, true).startsWith(ourLockStart()));
            } else {
                QCOMPARE(settled.exitCode, std::optional<int>(1));
                QVERIFY2(settled.message.contains(QStringLiteral("\"other-computer.example\"")) &&
                             settled.message.contains(lockPath(catalog, true)),
                         qPrintable(settled.message));
                QCOMPARE(readLock(catalog, true), foreign);
            }
        }
    }

    // One window per computer and catalog: a start on a second computer takes its own lock,
    // whatever the first holds; an earlier version running here refuses the catalog.
    void eachComputerHasALockOfItsOwn()
    {
        QTemporaryDir catalog;
        SingleInstance first(catalog.path(), nullptr, QStringLiteral("machine-a"));
        QCOMPARE(first.start({QDir::currentPath(), {}}, 1000), SingleInstance::Start::Primary);
        SingleInstance second(catalog.path(), nullptr, QStringLiteral("machine-b"));
        QCOMPARE(second.start({QDir::currentPath(), {}}, 1000), SingleInstance::Start::Primary);
        QVERIFY(QFile::exists(catalog.filePath(SingleInstance::lockFileName(QStringLiteral("machine-a")))));
        QVERIFY(QFile::exists(catalog.filePath(SingleInstance::lockFileName(QStringLiteral("machine-b")))));

        // An earlier version on this computer: its lock held, in its three-line words.
        QTemporaryDir other;
        const QByteArray earlierPath = QFile::encodeName(lockPath(other, true));
        const int fd = ::open(earlierPath.constData(), O_RDWR | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        const auto closeIt = qScopeGuard([fd] { ::close(fd); });
        QVERIFY(::flock(fd, LOCK_EX | LOCK_NB) == 0);
        const QByteArray words = ourLockStart() + "linkshelf\n" + CatalogLock::hostName().toUtf8() + '\n';
        QCOMPARE(::write(fd, words.constData(), size_t(words.size())), ssize_t(words.size()));
        SingleInstance blocked(other.path());
        ScriptedInteraction interaction;
        const CatalogStart settled =
            settleCatalogLock(blocked, {QDir::currentPath(), {}}, interaction, false);
        QCOMPARE(settled.start, SingleInstance::Start::EarlierVersion);
        QCOMPARE(settled.exitCode, std::optional<int>(1));
        QVERIFY2(settled.message.contains(QStringLiteral("earlier version")), qPrintable(settled.message));
    }

    void aLockThatIsNoFileIsNamed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << QStringLiteral("folder");
        QTest::newRow("link to a file elsewhere") << QStringLiteral("link");
        QTest::newRow("pipe") << QStringLiteral("pipe");
    }

    void aLockThatIsNoFileIsNamed()
    {
        QFETCH(QString, kind);
        QTemporaryDir catalog, elsewhere;
        const QByteArray path = QFile::encodeName(lockPath(catalog));
        const QString target = elsewhere.filePath(QStringLiteral("precious"));
        if (kind == u"folder")
            QVERIFY(QDir().mkdir(lockPath(catalog)));
        if (kind == u"link") {
            QFile precious(target);
            QVERIFY(precious.open(QIODevice::WriteOnly));
            precious.write("kept");
            precious.close();
            QVERIFY(QFile::link(target, lockPath(catalog)));
        }
        if (kind == u"pipe")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        SingleInstance instance(catalog.path());
        ScriptedInteraction interaction;
        const CatalogStart settled =
            settleCatalogLock(instance, {QDir::currentPath(), {}}, interaction, false);
        QCOMPARE(settled.start, SingleInstance::Start::LockNotAFile);
        QCOMPARE(settled.exitCode, std::optional<int>(1));
        QVERIFY2(settled.message.contains(QStringLiteral("\"%1\"").arg(lockPath(catalog))),
                 qPrintable(settled.message));
        QVERIFY(interaction.unexpected.isEmpty());
        if (kind == u"link") {
            QFile precious(target);
            QVERIFY(precious.open(QIODevice::ReadOnly));
            QCOMPARE(precious.readAll(), QByteArray("kept"));
        }
    }

    void theChannelFolderIsPrivateOrRefused()
    {
        QTemporaryDir temp, catalog;
        const auto runtime = environmentFor("XDG_RUNTIME_DIR", QByteArray());
        const auto tmpdir = environmentFor("TMPDIR", QFile::encodeName(temp.path()));
        const QString folder = temp.filePath(QStringLiteral("linkshelf-%1").arg(::geteuid()));
        const QByteArray encoded = QFile::encodeName(folder);

        QString problem;
        QCOMPARE(QFileInfo(SingleInstance::serverName(catalog.path(), &problem)).path(), folder);
        QCOMPARE(problem, QString());
        struct stat info
        {
        };
        QCOMPARE(::lstat(encoded.constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
        QCOMPARE(info.st_uid, ::geteuid());

        // Open to others: no channel, and a later start says why instead of waiting.
        QCOMPARE(::chmod(encoded.constData(), 0755), 0);
        QCOMPARE(SingleInstance::serverName(catalog.path(), &problem), QString());
        QVERIFY2(problem.contains(folder), qPrintable(problem));
        SingleInstance holder(catalog.path());
        QCOMPARE(holder.start({QDir::currentPath(), {}}), SingleInstance::Start::Primary);
        SingleInstance later(catalog.path());
        QCOMPARE(later.start({QDir::currentPath(), {}}, 200), SingleInstance::Start::NoChannel);
        QVERIFY(later.channelProblem().contains(folder));

        // Made by another user first.
        if (::geteuid() == 0) {
            QCOMPARE(::chmod(encoded.constData(), 0700), 0);
            QCOMPARE(::chown(encoded.constData(), Nobody, Nobody), 0);
            QCOMPARE(SingleInstance::serverName(catalog.path(), &problem), QString());
            QVERIFY2(problem.contains(QStringLiteral("another user")), qPrintable(problem));
        }
    }

    // Through the seam: each end made to trust another user than its own.
    void aPeerOfAnotherUserIsRefused()
    {
        const QByteArray message = encodeCommandLine(
            {QDir::currentPath(), {QStringLiteral("linkshelf"), QStringLiteral("/private/file")}});

        QTemporaryDir catalog;
        SingleInstance holder(catalog.path());
        holder.setTrustedUserId(currentUserId() + 1);
        QCOMPARE(holder.start({QDir::currentPath(), {}}), SingleInstance::Start::Primary);
        Received received(holder);
        QLocalSocket peer;
        QSignalSpy answered(&peer, &QLocalSocket::readyRead);
        peer.connectToServer(SingleInstance::serverName(catalog.path()));
        QVERIFY(peer.waitForConnected(2000));
        peer.write(message);
        QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(answered.size(), 0); // not taken
        QCOMPARE(received.size(), 0);

        QTemporaryDir other;
        CatalogLock running(lockPath(other));
        QCOMPARE(running.tryTake(), CatalogLock::State::Taken);
        QLocalServer impostor;
        QVERIFY(impostor.listen(SingleInstance::serverName(other.path())));
        SingleInstance later(other.path());
        later.setTrustedUserId(currentUserId() + 1);
        QCOMPARE(
            later.start({QDir::currentPath(), {QStringLiteral("linkshelf"), QStringLiteral("/private/file")}},
                        300),
            SingleInstance::Start::NoAnswer);
        QVERIFY(impostor.waitForNewConnection(2000));
        QLocalSocket *accepted = impostor.nextPendingConnection();
        QVERIFY(accepted->waitForDisconnected(2000));
        QCOMPARE(accepted->readAll(), QByteArray()); // sent nothing
    }

    // A real second user, where the tests run as root: the kernel's word on the peer, not ours.
    void aProcessOfAnotherUserIsRefused()
    {
        if (::geteuid() != 0)
            QSKIP("only root can run a process as another user; the seam test covers the check");
        QTemporaryDir runtime, catalog, other;
        const auto environment = environmentFor("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QByteArray runtimePath = QFile::encodeName(runtime.path());
        const QByteArray message = encodeCommandLine(
            {QDir::currentPath(), {QStringLiteral("linkshelf"), QStringLiteral("/private/file")}});

        // The holder's end: the other user reaches the socket, as through a folder open to all.
        SingleInstance holder(catalog.path());
        QCOMPARE(holder.start({QDir::currentPath(), {}}), SingleInstance::Start::Primary);
        Received received(holder);
        const QByteArray socketPath = QFile::encodeName(SingleInstance::serverName(catalog.path()));
        QCOMPARE(::chmod(runtimePath.constData(), 0711), 0);
        QCOMPARE(::chmod(socketPath.constData(), 0777), 0);
        sockaddr_un address{};
        const pid_t sender =
            forkAsNobody([] {},
                         [&] {
                             const int fd = unixSocketAt(socketPath, address);
                             if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
                                 return 2;
                             if (::write(fd, message.constData(), size_t(message.size())) != message.size())
                                 return 3;
                             char answer = 0;
                             return waitReadable(fd) && ::read(fd, &answer, 1) == 1 && answer == 'K' ? 0 : 1;
                         });
        int status = -1;
        QTRY_VERIFY(status >= 0 || ::waitpid(sender, &status, WNOHANG) == sender);
        QCOMPARE(WEXITSTATUS(status), 1); // connected and sent, but not taken
        QCOMPARE(received.size(), 0);
        QCOMPARE(::chmod(runtimePath.constData(), 0700), 0);

        // The later start's end: the other user's server is bound in place and listens as them.
        CatalogLock running(lockPath(other));
        QCOMPARE(running.tryTake(), CatalogLock::State::Taken);
        const QByteArray impostorPath = QFile::encodeName(SingleInstance::serverName(other.path()));
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        int listener = -1;
        const pid_t impostor = forkAsNobody(
            [&] {
                listener = unixSocketAt(impostorPath, address);
                ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
            },
            [&] {
                if (::listen(listener, 8) != 0 || ::write(ready[1], "r", 1) != 1 || !waitReadable(listener))
                    return 100;
                const int connection = ::accept(listener, nullptr, nullptr);
                int bytes = 0;
                char buffer[256];
                for (ssize_t n = 1; n > 0 && waitReadable(connection) && bytes < 99; bytes += int(n))
                    n = ::read(connection, buffer, sizeof buffer);
                return bytes;
            });
        char signal = 0;
        QCOMPARE(::read(ready[0], &signal, 1), ssize_t(1));
        SingleInstance later(other.path());
        QCOMPARE(
            later.start({QDir::currentPath(), {QStringLiteral("linkshelf"), QStringLiteral("/private/file")}},
                        300),
            SingleInstance::Start::NoAnswer);
        QCOMPARE(::waitpid(impostor, &status, 0), impostor);
        QCOMPARE(WEXITSTATUS(status), 0); // sent nothing
        ::close(ready[0]);
        ::close(ready[1]);
    }

    void aHostilePeerIsDroppedAndTheChannelStaysOpen()
    {
        QTemporaryDir catalog;
        SingleInstance holder(catalog.path());
        QCOMPARE(holder.start({QDir::currentPath(), {}}), SingleInstance::Start::Primary);
        Received received(holder);
        for (const QByteArray &junk :
             {QByteArray("\xff\xff\xff\xff", 4), QByteArray("\x08\0\0\0\x09\0\0\0abcd", 12)}) {
            QLocalSocket peer;
            peer.connectToServer(SingleInstance::serverName(catalog.path()));
            QVERIFY(peer.waitForConnected(2000));
            peer.write(junk);
            peer.flush();
            QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
        }
        QCOMPARE(received.size(), 0);
        QProcess second;
        startChild(second, {catalog.path(), QStringLiteral("5000"), QStringLiteral("x")});
        QCOMPARE(exitCodeOf(second), Forwarded);
        QCOMPARE(received.size(), 1);
    }
};

LINKSHELF_TEST_CORE_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
