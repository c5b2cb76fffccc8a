// SPDX-License-Identifier: GPL-3.0-or-later
// flock() is the proof of a live holder; the file's words only say who it is. A file system
// without such locks leaves the words alone: then a live process of this computer holds it.
#include "cataloglock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A lock file holds a few dozen bytes; a longer one is not a lock file at all.
constexpr qsizetype MaxLockFileBytes = 1024;

bool processIsAlive(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace

CatalogLock::CatalogLock(const QString &path, const QString &host)
    : m_path(path)
    , m_host(host)
{}

CatalogLock::~CatalogLock()
{
    release();
}

QString CatalogLock::hostName()
{
    return QSysInfo::machineHostName();
}

CatalogLock::State CatalogLock::tryTake()
{
    if (m_fd >= 0)
        return State::Taken;
    // A holder that ends removes its file; one opened just before is no longer the lock.
    for (int attempt = 0; attempt < 5; ++attempt) {
        int fd = -1;
        const Open opened = openFile(fd);
        if (opened == Open::NotAFile || opened == Open::Failed)
            return opened == Open::NotAFile ? State::NotAFile : State::Unavailable;
        const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        const bool heldByOther = !locked && errno == EWOULDBLOCK;
        if (locked && !isStillAtPath(fd)) {
            ::close(fd);
            continue;
        }
        readHolder(fd);
        State state = State::Taken;
        if (m_holder.pid > 0 && !m_holder.host.isEmpty() && m_holder.host != m_host)
            state = State::HeldElsewhere;
        else if (heldByOther || (!locked && processIsAlive(m_holder.pid)))
            state = State::HeldHere;
        // A free lock that this user may not rewrite (another user's) cannot be taken.
        if (state == State::Taken && opened == Open::ReadOnlyFile)
            state = State::Unavailable;
        if (state != State::Taken) {
            ::close(fd);
            return state;
        }
        writeOurselves(fd);
        m_fd = fd;
        return State::Taken;
    }
    return State::HeldHere;
}

bool CatalogLock::takeOver()
{
    if (m_fd >= 0)
        return true;
    int fd = -1;
    if (openFile(fd) != Open::File) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    // Another computer's kernel lock may reach here (NFS); a Linkshelf of this computer that
    // has started meanwhile keeps the catalog.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        readHolder(fd);
        if (m_holder.host.isEmpty() || m_holder.host == m_host) {
            ::close(fd);
            return false;
        }
    }
    writeOurselves(fd);
    m_fd = fd;
    return true;
}

void CatalogLock::release()
{
    if (m_fd < 0)
        return;
    // Only our own word is removed: after a take-over from elsewhere the file is the other's.
    readHolder(m_fd);
    if (m_holder.pid == QCoreApplication::applicationPid() && m_holder.host == m_host && isStillAtPath(m_fd))
        ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

// O_NONBLOCK: a FIFO in the lock's place would otherwise hang the start; O_NOFOLLOW: a link
// is never followed to a file elsewhere. Another user's lock is still read, so that a
// Linkshelf of theirs that holds it keeps the catalog.
CatalogLock::Open CatalogLock::openFile(int &fd) const
{
    const QByteArray path = QFile::encodeName(m_path);
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    Open opened = Open::File;
    fd = ::open(path.constData(), O_RDWR | O_CREAT | flags, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        fd = ::open(path.constData(), O_RDONLY | flags);
        opened = Open::ReadOnlyFile;
    }
    if (fd < 0)
        return errno == EISDIR || errno == ELOOP || errno == ENXIO ? Open::NotAFile : Open::Failed;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        fd = -1;
        return Open::NotAFile;
    }
    return opened;
}

bool CatalogLock::isStillAtPath(int fd) const
{
    struct stat atPath
    {
    };
    struct stat opened
    {
    };
    return ::lstat(QFile::encodeName(m_path).constData(), &atPath) == 0 && ::fstat(fd, &opened) == 0 &&
           atPath.st_dev == opened.st_dev && atPath.st_ino == opened.st_ino;
}

// Anything that is not a process number and a computer's name leaves an empty holder: a
// stale lock.
void CatalogLock::readHolder(int fd)
{
    m_holder = {};
    QByteArray bytes(MaxLockFileBytes + 1, '\0');
    const ssize_t length = ::pread(fd, bytes.data(), size_t(bytes.size()), 0);
    if (length <= 0 || length > MaxLockFileBytes)
        return;
    bytes.truncate(length);
    const QList<QByteArray> lines = bytes.split('\n');
    bool isNumber = false;
    const qint64 pid = lines[0].toLongLong(&isNumber);
    if (!isNumber || pid <= 0)
        return;
    m_holder.pid = pid;
    if (lines.size() > 2)
        m_holder.host = QString::fromUtf8(lines[2]);
    m_holder.merges = lines.size() > 3 && lines[3] == "merges";
}

// The format of QLockFile, which earlier versions used, so that either reads the other's;
// earlier versions read the first three lines only.
// A write that fails (a full disk) is not fatal: the kernel lock is what keeps others out.
void CatalogLock::writeOurselves(int fd)
{
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                            QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + '\n' +
                            m_host.toUtf8() + "\nmerges\n";
    if (::ftruncate(fd, 0) == 0 &&
        ::pwrite(fd, self.constData(), size_t(self.size()), 0) == ssize_t(self.size()))
        ::fdatasync(fd);
    m_holder = {QCoreApplication::applicationPid(), m_host, true};
}
