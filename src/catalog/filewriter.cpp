// SPDX-License-Identifier: GPL-3.0-or-later
// The disk as the catalog writes to it: QSaveFile for new files, rename(2) to replace.
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
    {};
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
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // a file system that cannot sync a directory has nothing more to give
    ::close(fd);
}

} // namespace

FileWriter *FileWriter::s_current = nullptr;

FileWriter &FileWriter::current()
{
    return s_current ? *s_current : diskWriter();
}

std::optional<QString> FileWriter::open(QSaveFile &file)
{
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> FileWriter::write(QSaveFile &file, QByteArrayView bytes)
{
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> FileWriter::commit(QSaveFile &file)
{
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

FileWriterOverride::FileWriterOverride(FileWriter &writer)
    : m_previous(FileWriter::s_current)
{
    FileWriter::s_current = &writer;
}

FileWriterOverride::~FileWriterOverride()
{
    FileWriter::s_current = m_previous;
}
