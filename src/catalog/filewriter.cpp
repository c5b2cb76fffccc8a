// SPDX-License-Identifier: GPL-3.0-or-later
// The disk as the catalog writes to it: QSaveFile for new files, rename(2) to replace. Every
// call checks what the disk answered, so that no failure passes for a success.
#include "filewriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

FileWriter &diskWriter()
{
    // A plain FileWriter is the disk: every call does the real thing.
    struct Disk final : FileWriter
    {
    };
    static Disk disk;
    return disk;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// A rename is only on disk once the directory that holds it is; without this a power cut
// could keep a later rename and lose an earlier one.
void syncDirectoryOf(const QString &path)
{
    syncDirectory(QFileInfo(path).absolutePath());
}

} // namespace

void syncDirectory(const QString &directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // a file system that cannot sync a directory has nothing more to give
    ::close(fd);
}

FileWriter *FileWriter::s_current = nullptr;

FileWriter &FileWriter::current()
{
    return s_current ? *s_current : diskWriter();
}

// Unbuffered: each write goes to the file at once and says whether the disk took it. A
// buffered QSaveFile accepts every byte, flushes at commit and renames even when that flush
// failed, putting an empty or torn file in the target's place.
std::optional<QString> FileWriter::open(QSaveFile &file)
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    return std::nullopt;
}

// A disk that fills up takes part of a write and reports nothing wrong; writing the rest
// again gives the reason (no space, a file size limit).
std::optional<QString> FileWriter::write(QSaveFile &file, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return file.errorString();
        done += written;
    }
    return std::nullopt;
}

// QSaveFile syncs before its rename but ignores a failed sync, and a file system may only
// find out there that it cannot keep the bytes (a network disk, a quota): the sync is done
// here first, and a failure stops the rename.
std::optional<QString> FileWriter::commit(QSaveFile &file)
{
    if (::fdatasync(file.handle()) != 0)
        return systemError(errno);
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

// QFile::rename refuses to replace an existing file; rename(2) replaces it atomically.
std::optional<QString> FileWriter::rename(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return systemError(errno);
    syncDirectoryOf(to);
    return std::nullopt;
}

bool FileWriter::remove(const QString &path)
{
    return QFile::remove(path) || !QFileInfo::exists(path);
}

std::optional<QString> FileWriter::link(const QString &existing, const QString &newName)
{
    if (::link(QFile::encodeName(existing).constData(), QFile::encodeName(newName).constData()) != 0)
        return systemError(errno);
    return std::nullopt;
}

FileWriterOverride::FileWriterOverride(FileWriter &writer)
    : m_previous(FileWriter::s_current)
{
    FileWriter::s_current = &writer;
}

FileWriterOverride::~FileWriterOverride()
{
    FileWriter::s_current = m_previous;
}
