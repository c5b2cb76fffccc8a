// SPDX-License-Identifier: GPL-3.0-or-later
// One writer per catalog, between real processes: a second start on the same catalog hands
// its command line over and ends, a start on another catalog runs, and a lock left by a
// killed process is taken over.
#include "singleinstance.h"
#include "testenvironment.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

Q_DECLARE_METATYPE(ForwardedCommandLine)

namespace {

constexpr int Primary = 10 + int(SingleInstance::Start::Primary);
constexpr int Forwarded = 10 + int(SingleInstance::Start::Forwarded);
constexpr int NoAnswer = 10 + int(SingleInstance::Start::NoAnswer);
constexpr int Unlocked = 10 + int(SingleInstance::Start::Unlocked);

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
    return child.state() == QProcess::NotRunning && child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
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
        QCOMPARE(holder.start({QDir::currentPath(), {QStringLiteral("linkshelf")}}), SingleInstance::Start::Primary);
        QSignalSpy received(&holder, &SingleInstance::commandLineReceived);

        QProcess second;
        const QStringList handed{QStringLiteral("--add"), QStringLiteral("notes/ä b.txt"),
                                 QStringLiteral("https://example.org/?q=1")};
        startChild(second, QStringList{catalog.path(), QStringLiteral("5000")} + handed, elsewhere.path());
        QCOMPARE(exitCodeOf(second), Forwarded);
        QCOMPARE(received.size(), 1);
        const auto commandLine = received.first().first().value<ForwardedCommandLine>();
        QCOMPARE(commandLine.arguments.mid(1), handed);
        QCOMPARE(QDir(commandLine.currentDir).canonicalPath(), QDir(elsewhere.path()).canonicalPath());
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
        QVERIFY(QFile::exists(catalog.filePath(SingleInstance::lockFileName()))); // left behind

        SingleInstance next(catalog.path());
        QSignalSpy received(&next, &SingleInstance::commandLineReceived);
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

    void aHostilePeerIsDroppedAndTheChannelStaysOpen()
    {
        QTemporaryDir catalog;
        SingleInstance holder(catalog.path());
        QCOMPARE(holder.start({QDir::currentPath(), {}}), SingleInstance::Start::Primary);
        QSignalSpy received(&holder, &SingleInstance::commandLineReceived);
        for (const QByteArray &junk : {QByteArray("\xff\xff\xff\xff", 4), QByteArray("\x08\0\0\0\x09\0\0\0abcd", 12)}) {
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
