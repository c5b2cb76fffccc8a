// SPDX-License-Identifier: GPL-3.0-or-later
// The binary contents file of one folder ("catN.lsf"): reader, writer and file I/O.
#pragma once

#include "mfile.h"
#include "saveresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

struct ContentsReadResult
{
    QList<MFile> entries;
    // A count or length ran past the data, or bytes follow the last counted entry: entries
    // holds what was read.
    bool damaged = false;
    bool unreadable = false; // the file is missing or could not be read: entries is empty
    // A text held a zero byte and was cut there: writing the entries back would drop the
    // bytes after it, so the original is worth keeping.
    bool textsCut = false;
};

// Parses the bytes of a contents file. Never reads outside bytes, never allocates from an
// untrusted count before checking it against the bytes left. Fewer than four bytes: no entries,
// damaged. A text ends at its first zero byte; Kind values are kept whatever they are.
ContentsReadResult parseContents(QByteArrayView bytes);

// Serialises entries in the given order: a 32-bit count, then path, program, description
// (each as a 32-bit length and its bytes) and the 32-bit Kind, all little-endian.
QByteArray serializeContents(const QList<MFile> &entries);
QByteArray serializeContents(qsizetype count, const std::function<const MFile &(qsizetype)> &entryAt);

// Reads the whole file in one call and parses it.
ContentsReadResult readContentsFile(const QString &path);

// Replaces the file atomically with the serialised entries.
SaveResult writeContentsFile(const QString &path, const QByteArray &serialized);

// The four bytes 00 00 00 00 of a folder without entries.
QByteArray emptyContents();
