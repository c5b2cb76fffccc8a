// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a whole file without trusting what its path leads to: the one way every reader of
// catalog files, and of the files a user hands to an import, gets their bytes.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file's size and modification time, as the file system tells them.
struct FileStamp
{
    qint64 size = -1;
    qint64 modifiedNs = 0; // since the epoch, in nanoseconds where the file system keeps them

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

struct RegularFileRead
{
    std::optional<QByteArray> bytes; // none: the file was not read, see below
    bool missing = false;            // nothing is at the path
    bool tooLarge = false;           // a regular file larger than the caller takes
    QString error;                   // why it was not read, for the user; empty when read
    FileStamp stamp;                 // of the file that was read, taken from the open file

    explicit operator bool() const { return bytes.has_value(); }
};

enum class SymbolicLinks {
    Refuse, // a catalog's own files: a link could lead out of the work directory
    Follow, // a file the user chose: a link is theirs to make
};

// Only a regular file is read: a FIFO would block the open for ever and a device such as
// /dev/zero would never end, so the type is checked on a descriptor opened without blocking.
// At most the size the file had when it was opened is read, and a file that changes size
// meanwhile is refused rather than read torn. maxSize < 0: no limit beyond the file's size.
RegularFileRead readRegularFile(const QString &path, SymbolicLinks links, qint64 maxSize = -1);

// The stamp of the file at path now, without following a link; none when nothing is there or
// it is no regular file.
std::optional<FileStamp> currentFileStamp(const QString &path);
