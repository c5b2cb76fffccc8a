// SPDX-License-Identifier: GPL-3.0-or-later
#include "singleinstance.h"

#include "channelaccess.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

namespace {

// What the holder answers once it has the whole command line.
constexpr char Taken = 'K';
// A peer that starts a message and stops is dropped after this long.
constexpr int ReadTimeoutMs = 5000;
const QString ReadTimeoutName = QStringLiteral("readTimeout");

} // namespace

SingleInstance::SingleInstance(const QString &workDirectory, QObject *parent, const QString &host)
    : QObject(parent)
    , m_workDirectory(workDirectory)
    , m_lock(workDirectory + u'/' + lockFileName(host), host)
    , m_earlier(workDirectory + u'/' + earlierLockFileName(), host)
    , m_trustedUid(currentUserId())
{}

// A name of any computer makes a plain file name: a separator or a control character in it
// becomes "_".
QString SingleInstance::lockFileName(const QString &host)
{
    QString name = host.isEmpty() ? QStringLiteral("unnamed") : host;
    for (QChar &c : name)
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            c = u'_';
    return QStringLiteral("linkshelf-%1.lock").arg(name);
}

// The earlier version's lock is taken as well while this one runs. Held by an earlier version
// here, the catalog is refused: that version writes its list over what others wrote. Named
// by an earlier version elsewhere, the user is asked, as that version always did. A Linkshelf
// that merges, here or elsewhere, is no obstacle.
std::optional<SingleInstance::Start> SingleInstance::earlierVersionInTheWay()
{
    switch (m_earlier.tryTake()) {
    case CatalogLock::State::HeldHere:
        if (m_earlier.holder().merges)
            return std::nullopt;
        m_decisive = &m_earlier;
        return Start::EarlierVersion;
    case CatalogLock::State::HeldElsewhere:
        if (m_earlier.holder().merges)
            return std::nullopt;
        m_decisive = &m_earlier;
        return Start::HeldElsewhere;
    case CatalogLock::State::Taken:
    case CatalogLock::State::NotAFile:
    case CatalogLock::State::Unavailable:
        return std::nullopt;
    }
    return std::nullopt;
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString &workDirectory, QString *problem)
{
    const PrivateFolder folder = privateRuntimeFolder();
    if (problem)
        *problem = folder.problem;
    if (folder.path.isEmpty())
        return {};
    const QString canonical = QFileInfo(workDirectory).canonicalFilePath();
    const QByteArray key =
        QFile::encodeName(canonical.isEmpty() ? QDir::cleanPath(workDirectory) : canonical);
    const QString id =
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(20));
    return folder.path + QStringLiteral("/linkshelf-") + id;
}

SingleInstance::Start SingleInstance::start(const ForwardedCommandLine &commandLine, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    if (const std::optional<Start> inTheWay = earlierVersionInTheWay())
        return *inTheWay;
    for (;;) {
        switch (m_lock.tryTake()) {
        case CatalogLock::State::Taken:
            listen();
            return Start::Primary;
        case CatalogLock::State::HeldElsewhere:
            return Start::HeldElsewhere;
        case CatalogLock::State::NotAFile:
            return Start::LockNotAFile;
        case CatalogLock::State::Unavailable:
            return Start::Unlocked;
        case CatalogLock::State::HeldHere:
            break;
        }
        const QString name = serverName(m_workDirectory, &m_channelProblem);
        if (name.isEmpty())
            return Start::NoChannel;
        if (forward(name, commandLine, int(deadline.remainingTime())))
            return Start::Forwarded;
        if (deadline.hasExpired())
            return Start::NoAnswer;
        QThread::msleep(50); // the holder may be between taking its lock and listening
    }
}

void SingleInstance::setHandler(Handler handler)
{
    m_handler = std::move(handler);
    QTimer::singleShot(0, this, &SingleInstance::carryOutHandedOver);
}

SingleInstance::Start SingleInstance::takeOver()
{
    if (!m_decisive->takeOver())
        return Start::HeldElsewhere;
    if (m_decisive == &m_earlier) {
        m_decisive = &m_lock;
        if (m_lock.tryTake() != CatalogLock::State::Taken)
            return Start::HeldElsewhere;
    }
    listen();
    return Start::Primary;
}

// A socket left by a holder that crashed is in the way: with the lock held, it is ours to
// replace. Without a server, later starts wait and give up; the catalog is still safe.
bool SingleInstance::listen()
{
    const QString name = serverName(m_workDirectory, &m_channelProblem);
    if (name.isEmpty()) {
        qWarning("Later starts cannot hand over to this one: %s", qPrintable(m_channelProblem));
        return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        QLocalServer::removeServer(name);
        if (!m_server->listen(name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

// A server of another user (one that took the socket's name first) is not sent anything.
bool SingleInstance::forward(const QString &name, const ForwardedCommandLine &commandLine, int timeoutMs)
{
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    if (!isTrusted(socket.socketDescriptor()))
        return false;
    socket.write(encodeCommandLine(commandLine));
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    char answer = 0;
    if (!socket.getChar(&answer) || answer != Taken)
        return false;
    m_handOverFailure = awaitOutcome(socket);
    return true;
}

// The holder has the command line; what it made of it comes when it is done.
QString SingleInstance::awaitOutcome(QLocalSocket &socket)
{
    const QString lost = QStringLiteral("The running Linkshelf took the command line but ended before saying "
                                        "whether it was carried out.");
    std::optional<qsizetype> size;
    while (!(size = outcomeSize(socket.peek(4))) || socket.bytesAvailable() < *size) {
        if (socket.bytesAvailable() >= 4 && !size)
            return lost; // longer than any outcome: not a Linkshelf's answer
        if (!socket.waitForReadyRead(-1))
            return lost;
    }
    return decodeOutcome(socket.read(*size));
}

bool SingleInstance::isTrusted(qintptr socketDescriptor) const
{
    return peerUserId(socketDescriptor) == m_trustedUid;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (!isTrusted(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        auto *readTimeout = new QTimer(socket);
        readTimeout->setObjectName(ReadTimeoutName);
        readTimeout->setSingleShot(true);
        connect(readTimeout, &QTimer::timeout, socket, [socket] { socket->abort(); });
        readTimeout->start(ReadTimeoutMs);
    }
}

void SingleInstance::onReadyRead(QLocalSocket *socket)
{
    const QByteArray received = socket->peek(socket->bytesAvailable());
    if (received.size() < 4)
        return;
    const std::optional<qsizetype> size = forwardedMessageSize(received);
    if (!size) {
        socket->abort(); // larger than any command line
        return;
    }
    if (received.size() < *size)
        return;
    const std::optional<ForwardedCommandLine> commandLine = decodeCommandLine(socket->read(*size));
    if (!commandLine) {
        socket->abort();
        return;
    }
    // Taken: the later start now waits for the outcome, however long carrying it out takes.
    socket->findChild<QTimer *>(ReadTimeoutName, Qt::FindDirectChildrenOnly)->stop();
    socket->disconnect(this);
    socket->putChar(Taken);
    socket->flush();
    m_handedOver.append({socket, *commandLine});
    // Out of the socket's handler: carrying out may show dialogs, whose event loops must not
    // run inside it.
    QTimer::singleShot(0, this, &SingleInstance::carryOutHandedOver);
}

// One after the other: a command line that arrives while another is being carried out (its
// dialogs run event loops) waits for it to end.
void SingleInstance::carryOutHandedOver()
{
    if (m_carryingOut || !m_handler)
        return;
    m_carryingOut = true;
    while (!m_handedOver.isEmpty()) {
        const HandedOver next = m_handedOver.takeFirst();
        const QString failure = m_handler(next.commandLine);
        if (next.socket) {
            next.socket->write(encodeOutcome(failure));
            next.socket->flush();
            next.socket->disconnectFromServer();
        }
    }
    m_carryingOut = false;
}
