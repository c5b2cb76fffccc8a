// SPDX-License-Identifier: GPL-3.0-or-later
// The binary contents file of one folder ("catN.lsf"): reader, writer and file I/O.
#pragma once

#include "catalogpaths.h"
#include "contentsrecords.h"
#include "filefingerprint.h"
#include "mfile.h"
#include "saveresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <limits>

// How reading a contents file went, whatever form its entries take.
struct ContentsReadStatus
{
    // A count or length ran past the data, or bytes follow the last counted entry: entries
    // holds what was read.
    bool damaged = false;
    bool unreadable = false; // the file is missing or could not be read: entries is empty
    // Why a file that is there could not be read (a folder, a pipe, a link, no permission);
    // empty when it is simply missing, as the file of a folder given no entries yet may be.
    QString readError;
    // A text held a zero byte and was cut there: writing the entries back would drop the
    // bytes after it, so the original is worth keeping.
    bool textsCut = false;
    // What the file was as it was read (a missing file: does not exist), so that a later
    // write can tell whether someone else has changed it since.
    FileFingerprint fingerprint;
};

struct ContentsReadResult : ContentsReadStatus
{
    QList<MFile> entries;
};

// The entries as records over the file's bytes: what a big folder is read into.
struct ContentsRecordsRead : ContentsReadStatus
{
    ContentsRecords records;
};

// The largest contents file read: records find their entries by 32-bit offsets.
inline constexpr qint64 MaxContentsFileSize = std::numeric_limits<quint32>::max();

// Parses the bytes of a contents file. Never reads outside bytes, never allocates from an
// untrusted count before checking it against the bytes left. Fewer than four bytes: no entries,
// damaged. A text ends at its first zero byte; Kind values are kept whatever they are.
ContentsReadResult parseContents(QByteArrayView bytes);

// Serialises entries in the given order: a 32-bit count, then path, program, description
// (each as a 32-bit length and its bytes) and the 32-bit Kind, all little-endian.
QByteArray serializeContents(const QList<MFile> &entries);
QByteArray serializeContents(qsizetype count, const std::function<const MFile &(qsizetype)> &entryAt);

// Reads the whole file and parses it: only a regular file, never through a link (see
// readRegularFile). A file larger than 4 GiB is refused as unreadable, and left as it is.
ContentsReadResult readContentsFile(const QString &path);
ContentsRecordsRead readContentsRecords(const QString &path);

// Reads the contents file of a folder's record; a record whose name is no contents file name
// reads as unreadable, with that as its error, and nothing is opened.
ContentsReadResult readFolderContents(const CatalogPaths &paths, const MTree &record);
ContentsRecordsRead readFolderRecords(const CatalogPaths &paths, const MTree &record);

// Replaces the file atomically with the serialised entries. A link in the file's place is
// refused: the new file would be written where the link leads.
SaveResult writeContentsFile(const QString &path, const QByteArray &serialized);

// The four bytes 00 00 00 00 of a folder without entries.
QByteArray emptyContents();
