// SPDX-License-Identifier: GPL-3.0-or-later
// One writer per catalog: a lock file in the work directory, and a local socket through
// which a second start on the same catalog hands its command line to the running Linkshelf.
#pragma once

#include "cataloglock.h"
#include "forwardedcommandline.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    enum class Start {
        Primary,       // this process holds the catalog and listens for later starts
        Forwarded,     // another process holds it and has carried this command line out (see handOverFailure)
        NoAnswer,      // another process holds it but took nothing: it may be hanging
        Unlocked,      // no lock could be made (an unwritable or missing folder): nothing to guard
        HeldElsewhere, // an earlier version's lock names another computer (lock().holder().host); see
                       // takeOver()
        EarlierVersion, // an earlier version, which does not merge, runs on the catalog here
        LockNotAFile,   // a folder or a special file is where the lock file belongs
        NoChannel,      // another process holds it, and no private folder can reach it
    };

    // host: this computer's name, which names its lock (tests play other computers).
    explicit SingleInstance(const QString &workDirectory, QObject *parent = nullptr,
                            const QString &host = CatalogLock::hostName());
    ~SingleInstance() override;
    Q_DISABLE_COPY_MOVE(SingleInstance)

    // Carries out a command line that a later start handed over; returns why it could not do
    // all of it, or nothing when it did. The later start waits for the answer and reports it.
    using Handler = std::function<QString(const ForwardedCommandLine &commandLine)>;

    // Takes the catalog's lock, or hands commandLine to the process that holds it, waiting
    // at most timeoutMs for that process to take it (it may itself be starting). Once taken,
    // it waits for the holder to carry it out, however long that takes: the user may be
    // answering its questions. A holder that ends first is a failure.
    Start start(const ForwardedCommandLine &commandLine, int timeoutMs = 5000);
    // After Forwarded: why the holder could not carry out all of the command line; empty when
    // it did.
    const QString &handOverFailure() const { return m_handOverFailure; }
    // What the holder does with the command lines handed over, one after the other. Those
    // that arrive before there is a handler (while the window is being built) wait for it.
    void setHandler(Handler handler);
    // After HeldElsewhere, once the user agreed: takes the lock from the other computer.
    // Primary, or HeldElsewhere again when it could not be taken.
    Start takeOver();

    // The lock that decided the start: this computer's, or an earlier version's that blocks.
    const CatalogLock &lock() const { return *m_decisive; }
    // Why there is no channel (after NoChannel, or a Primary that cannot listen).
    const QString &channelProblem() const { return m_channelProblem; }

    // Only processes of this user may hand over or take a command line. A test makes the
    // check fail by trusting another user.
    void setTrustedUserId(uint uid) { m_trustedUid = uid; }

    // This computer's lock file in the work directory: one window per computer and catalog,
    // as every write merges with what another computer wrote. The catalog knows the names
    // (isCatalogLockFileName), so that a directory holding only locks is still a new catalog.
    static QString lockFileName(const QString &host);
    // The lock of earlier versions, one for the whole catalog. Held too while this one runs,
    // so that an earlier version started on this computer hands over to it; its fourth line
    // tells other computers that the holder merges.
    static QString earlierLockFileName() { return QStringLiteral("linkshelf.lock"); }
    // The socket's path: in the user's private runtime folder, named after the work
    // directory, so that two catalogs never meet. Empty, with problem set, without one.
    static QString serverName(const QString &workDirectory, QString *problem = nullptr);

private:
    struct HandedOver
    {
        QPointer<QLocalSocket> socket; // null once the later start has gone
        ForwardedCommandLine commandLine;
    };

    bool listen();
    bool forward(const QString &name, const ForwardedCommandLine &commandLine, int timeoutMs);
    QString awaitOutcome(QLocalSocket &socket);
    void carryOutHandedOver();
    bool isTrusted(qintptr socketDescriptor) const;
    void onNewConnection();
    void onReadyRead(QLocalSocket *socket);

    QString m_workDirectory;
    // An earlier version that does not merge, running here or on another computer: none
    // when there is none.
    std::optional<Start> earlierVersionInTheWay();

    CatalogLock m_lock;
    CatalogLock m_earlier;
    CatalogLock *m_decisive = &m_lock;
    QLocalServer *m_server = nullptr;
    QString m_channelProblem;
    QString m_handOverFailure;
    uint m_trustedUid;
    Handler m_handler;
    QList<HandedOver> m_handedOver;
    bool m_carryingOut = false;
};
