// SPDX-License-Identifier: GPL-3.0-or-later
// One writer per catalog: a lock file in the work directory, and a local socket through
// which a second start on the same catalog hands its command line to the running Linkshelf.
#pragma once

#include "forwardedcommandline.h"

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    enum class Start {
        Primary,     // this process holds the catalog and listens for later starts
        Forwarded,   // another process holds it and has taken this command line
        NoAnswer,    // another process holds it but took nothing: it may be hanging
        Unlocked,    // no lock could be made (an unwritable or missing folder): nothing to guard
    };

    explicit SingleInstance(const QString &workDirectory, QObject *parent = nullptr);
    ~SingleInstance() override;
    Q_DISABLE_COPY_MOVE(SingleInstance)

    // Takes the catalog's lock, or hands commandLine to the process that holds it, waiting
    // at most timeoutMs for that process to answer (it may itself be starting).
    Start start(const ForwardedCommandLine &commandLine, int timeoutMs = 5000);

    // The lock file's name in the work directory (CatalogLockFileName, which the catalog
    // knows so that a directory holding only the lock still counts as a new catalog).
    static QString lockFileName() { return QStringLiteral("linkshelf.lock"); }
    // The socket's path: in the user's runtime folder, named after the work directory, so
    // that two catalogs never meet and two users never share one.
    static QString serverName(const QString &workDirectory);

Q_SIGNALS:
    // A later start on this catalog; the window comes to the front and acts on it.
    void commandLineReceived(const ForwardedCommandLine &commandLine);

private:
    bool listen();
    bool forward(const ForwardedCommandLine &commandLine, int timeoutMs);
    void onNewConnection();
    void onReadyRead(QLocalSocket *socket);

    QString m_workDirectory;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};
