// SPDX-License-Identifier: GPL-3.0-or-later
// Without a private folder the socket would sit in /tmp, where another user can create the
// name first and receive what a start hands over.
#include "channelaccess.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why folder may not hold the socket, or empty when it may.
QString problemOf(const QString &folder)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return QStringLiteral("\"%1\" cannot be made or read").arg(QDir::toNativeSeparators(folder));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("\"%1\" is not a folder").arg(QDir::toNativeSeparators(folder));
    if (info.st_uid != ::geteuid())
        return QStringLiteral("\"%1\" belongs to another user").arg(QDir::toNativeSeparators(folder));
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("\"%1\" is open to other users (mode %2)")
            .arg(QDir::toNativeSeparators(folder), QString::number(info.st_mode & 07777, 8));
    return {};
}

} // namespace

PrivateFolder privateRuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && problemOf(runtime).isEmpty())
        return {runtime, {}};
    const QString folder =
        QDir::tempPath() + QStringLiteral("/linkshelf-") + QString::number(currentUserId());
    // mkdir never follows or reuses what is there; the check below judges whatever is.
    ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU);
    const QString problem = problemOf(folder);
    if (!problem.isEmpty())
        return {{}, problem};
    return {folder, {}};
}

uint currentUserId()
{
    return uint(::geteuid());
}

std::optional<uint> peerUserId(qintptr socketDescriptor)
{
    struct ucred credentials
    {
    };
    socklen_t length = sizeof credentials;
    if (::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof credentials)
        return std::nullopt;
    return uint(credentials.uid);
}
