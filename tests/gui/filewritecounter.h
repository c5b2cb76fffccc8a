// SPDX-License-Identifier: GPL-3.0-or-later
// Counts how often one file of a folder is written, from the kernel's own notifications, so
// a test can tell one write from several that leave the same bytes behind.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

class FileWriteCounter
{
public:
    // Watches the folder rather than the file: an atomic write replaces the file by another
    // one, and a watch on the old file would see nothing of it.
    FileWriteCounter(const QString &folder, const QString &fileName)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
        , m_name(QFile::encodeName(fileName))
    {
        if (m_fd >= 0)
            ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~FileWriteCounter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileWriteCounter(const FileWriteCounter &) = delete;
    FileWriteCounter &operator=(const FileWriteCounter &) = delete;

    bool isValid() const { return m_fd >= 0; }

    // The writes since the last call: a file renamed into place under the name, or the file
    // itself closed after writing. Each event is queued by the kernel when it happens, so
    // nothing is missed by reading them later. -1 when events were lost.
    int takeCount()
    {
        int count = 0;
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
            if (length <= 0)
                return (length < 0 && errno != EAGAIN) ? -1 : count;
            for (ssize_t at = 0; at < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->mask & IN_Q_OVERFLOW)
                    return -1;
                if (event->len > 0 && QByteArray(event->name) == m_name)
                    ++count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int m_fd;
    QByteArray m_name;
};
