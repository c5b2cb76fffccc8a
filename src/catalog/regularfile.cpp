// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX calls beside QtCore, as filewriter.cpp does: QFile cannot open without blocking, nor
// refuse a link, nor say what kind of file it opened before it reads.
#include "regularfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

RegularFileRead failure(const QString &why)
{
    RegularFileRead read;
    read.error = why;
    return read;
}

FileStamp stampOf(const struct stat &status)
{
    return {qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QString fileTypeError(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a pipe, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a file");
    return QStringLiteral("it is not a regular file");
}

// With O_NOFOLLOW a link at the path itself fails with ELOOP, which a link loop further up
// the path also gives; lstat tells the two apart for the message.
QString openError(const QByteArray &path, int code, SymbolicLinks links)
{
    struct stat status;
    if (code == ELOOP && links == SymbolicLinks::Refuse && ::lstat(path.constData(), &status) == 0 &&
        S_ISLNK(status.st_mode))
        return QStringLiteral("it is a symbolic link, which Linkshelf does not follow here");
    return systemError(code);
}

// Reads exactly size bytes, then makes sure the file ends there.
std::optional<QString> readExactly(int fd, QByteArray &bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + at, size_t(bytes.size() - at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return systemError(errno);
        if (got == 0)
            return QStringLiteral("it became shorter while it was read");
        at += got;
    }
    char more;
    ssize_t got;
    do
        got = ::read(fd, &more, 1);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return systemError(errno);
    if (got > 0)
        return QStringLiteral("it grew while it was read");
    return std::nullopt;
}

} // namespace

RegularFileRead readRegularFile(const QString &path, SymbolicLinks links, qint64 maxSize)
{
    const QByteArray native = QFile::encodeName(path);
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == SymbolicLinks::Refuse ? O_NOFOLLOW : 0);
    int fd;
    do
        fd = ::open(native.constData(), flags);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int code = errno;
        RegularFileRead read = failure(openError(native, code, links));
        read.missing = code == ENOENT;
        return read;
    }
    const Descriptor file(fd);
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return failure(systemError(errno));
    if (!S_ISREG(status.st_mode))
        return failure(fileTypeError(status.st_mode));
    if (maxSize >= 0 && status.st_size > maxSize) {
        RegularFileRead read = failure(QStringLiteral("it is larger than %1 bytes").arg(maxSize));
        read.tooLarge = true;
        return read;
    }
    QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
    if (const std::optional<QString> why = readExactly(fd, bytes))
        return failure(*why);
    RegularFileRead read;
    read.bytes = std::move(bytes);
    read.stamp = stampOf(status);
    return read;
}

std::optional<FileStamp> currentFileStamp(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return stampOf(status);
}
