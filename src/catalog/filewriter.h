// SPDX-License-Identifier: GPL-3.0-or-later
// The few file system calls through which every catalog file is written, so that a test can
// make any one of them fail the way a disk does.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

class QSaveFile;

class FileWriter
{
public:
    virtual ~FileWriter() = default;

    // Each call returns why it failed, or nothing when it succeeded.

    // Creates the hidden new file that will replace the file's target when committed.
    virtual std::optional<QString> open(QSaveFile &file);
    // Appends bytes to the new file, unbuffered; a disk that takes only some of them fails it.
    virtual std::optional<QString> write(QSaveFile &file, QByteArrayView bytes);
    // Syncs the new file to disk and, when the sync succeeded, puts it in the target's place.
    virtual std::optional<QString> commit(QSaveFile &file);
    // Replaces to by from in one step, and makes the change durable before returning, so that
    // renames done one after the other reach the disk in that order.
    virtual std::optional<QString> rename(const QString &from, const QString &to);
    // Removes a file; false when it is still there.
    virtual bool remove(const QString &path);
    // Gives the file at existing a second name (a hard link); fails where the file system has
    // none, or across file systems.
    virtual std::optional<QString> link(const QString &existing, const QString &newName);

    // The writer every catalog write goes through: the disk, unless a test put another in place.
    static FileWriter &current();

protected:
    FileWriter() = default;
    FileWriter(const FileWriter &) = default;
    FileWriter &operator=(const FileWriter &) = default;

private:
    friend class FileWriterOverride;
    static FileWriter *s_current;
};

// Makes the names made or removed in a folder durable (a folder's own entries, which syncing
// its files does not cover).
void syncDirectory(const QString &directory);

// Puts a writer in place of the disk for as long as it lives (tests only: the program never
// makes one). Overrides nest; each gives back the writer it replaced.
class FileWriterOverride
{
public:
    explicit FileWriterOverride(FileWriter &writer);
    ~FileWriterOverride();
    FileWriterOverride(const FileWriterOverride &) = delete;
    FileWriterOverride &operator=(const FileWriterOverride &) = delete;

private:
    FileWriter *m_previous;
};
