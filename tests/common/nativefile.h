// SPDX-License-Identifier: GPL-3.0-or-later
// Files named by bytes, for names that no QString carries: a Latin-1 byte, as a folder
// copied from an older system holds, is not valid UTF-8, and Qt would name another file.
#pragma once

#include <QByteArray>

#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

// A name whose "é" is the single byte E9, as Latin-1 and windows-1252 write it.
inline const QByteArray Latin1Name = QByteArrayLiteral("caf\xe9");

// A file written at a path of bytes, and removed with this object: Qt cannot remove what it
// cannot name, so a temporary folder that holds it would stay behind.
class NativeFile
{
public:
    NativeFile(QByteArray path, const QByteArray &bytes, mode_t mode = 0600)
        : m_path(std::move(path))
    {
        const int fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
        if (fd < 0)
            return;
        const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        m_written = ::close(fd) == 0 && written && ::chmod(m_path.constData(), mode) == 0;
    }
    ~NativeFile() { ::unlink(m_path.constData()); }
    NativeFile(const NativeFile &) = delete;
    NativeFile &operator=(const NativeFile &) = delete;

    bool written() const { return m_written; }
    const QByteArray &path() const { return m_path; }

private:
    QByteArray m_path;
    bool m_written = false;
};

// True when the process runs under a UTF-8 locale, where such a name is not valid text.
inline bool localeIsUtf8()
{
    return QByteArray(::nl_langinfo(CODESET)) == "UTF-8";
}
