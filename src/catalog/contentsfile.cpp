// SPDX-License-Identifier: GPL-3.0-or-later
// Reader and writer of the binary contents file: little-endian 32-bit counts and lengths.
#include "contentsfile.h"

#include "atomicfile.h"
#include "regularfile.h"
#include "twohalves.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The smallest entry on disk: three empty texts (three lengths) and the Kind.
constexpr qsizetype MinEntrySize = 16;
constexpr qsizetype MaxTextLength = std::numeric_limits<qint32>::max();
// Above this (some 40,000 entries) a second thread pays for its start.
constexpr qsizetype BigContentsFile = 4 * 1024 * 1024;

// A text longer than a 32-bit length can say is stored cut, so the file stays readable.
qsizetype storedLength(const QByteArray &text)
{
    return std::min(text.size(), MaxTextLength);
}

qsizetype storedSize(const MFile &entry)
{
    return MinEntrySize + storedLength(entry.Path) + storedLength(entry.Program) +
           storedLength(entry.Description);
}

char *putInt32(char *out, qint32 value)
{
    qToLittleEndian(value, out);
    return out + 4;
}

char *putText(char *out, const QByteArray &text)
{
    const qsizetype length = storedLength(text);
    out = putInt32(out, qint32(length));
    if (length)
        std::memcpy(out, text.constData(), size_t(length));
    return out + length;
}

QByteArray owned(QByteArrayView text)
{
    return text.isEmpty() ? QByteArray() : text.toByteArray();
}

// The one way a contents file is read: the whole regular file, then the status of the read
// for the caller's result, with parse making the entries from the bytes.
template <typename Result, typename Parse> Result readContents(const QString &path, Parse &&parse)
{
    const RegularFileRead read = readRegularFile(path, SymbolicLinks::Refuse, MaxContentsFileSize);
    if (!read) {
        Result result;
        result.unreadable = true;
        if (!read.missing)
            result.readError = read.error;
        return result;
    }
    Result result;
    FileFingerprint fingerprint;
    const auto parseAll = [&] { result = parse(*read.bytes); };
    const auto hashAll = [&] { fingerprint = fingerprintOf(read.stamp, *read.bytes); };
    // Both read every byte: on a big folder the fingerprint costs a third of the parse, and
    // the second core hides it.
    if (read.bytes->size() >= BigContentsFile) {
        sideBySide(parseAll, hashAll);
    } else {
        parseAll();
        hashAll();
    }
    result.fingerprint = fingerprint;
    return result;
}

template <typename Result> Result unreadableRecord(const MTree &record)
{
    Result result;
    result.unreadable = true;
    result.readError = QStringLiteral("\"%1\" is not a name of a file in the work directory")
                           .arg(QString::fromLocal8Bit(record.FileName));
    return result;
}

} // namespace

ContentsReadResult parseContents(QByteArrayView bytes)
{
    ContentsReadResult result;
    bool reserved = false;
    const ContentsRecords::ScanStatus status =
        ContentsRecords::scan(bytes, [&](qint32 kind, const QByteArrayView(&texts)[3]) {
            if (!reserved) {
                // Never more than the bytes could hold: the count itself is untrusted.
                result.entries.reserve(std::min<qsizetype>(qFromLittleEndian<qint32>(bytes.data()),
                                                           (bytes.size() - 4) / MinEntrySize));
                reserved = true;
            }
            result.entries.append(MFile{kind, owned(texts[0]), owned(texts[1]), owned(texts[2])});
        });
    result.damaged = status.damaged;
    result.textsCut = status.textsCut;
    return result;
}

QByteArray serializeContents(const QList<MFile> &entries)
{
    return serializeContents(entries.size(), [&entries](qsizetype i) -> const MFile & { return entries[i]; });
}

// The exact size is known up front, so the whole file is one allocation filled in place.
QByteArray serializeContents(qsizetype count, const std::function<const MFile &(qsizetype)> &entryAt)
{
    qsizetype size = 4;
    for (qsizetype i = 0; i < count; ++i)
        size += storedSize(entryAt(i));
    QByteArray bytes(size, Qt::Uninitialized);
    char *out = putInt32(bytes.data(), qint32(count));
    for (qsizetype i = 0; i < count; ++i) {
        const MFile &entry = entryAt(i);
        out = putText(out, entry.Path);
        out = putText(out, entry.Program);
        out = putText(out, entry.Description);
        out = putInt32(out, entry.Kind);
    }
    return bytes;
}

ContentsReadResult readContentsFile(const QString &path)
{
    return readContents<ContentsReadResult>(path,
                                            [](const QByteArray &bytes) { return parseContents(bytes); });
}

ContentsRecordsRead readContentsRecords(const QString &path)
{
    return readContents<ContentsRecordsRead>(path, [](const QByteArray &bytes) {
        ContentsRecordsRead result;
        ContentsRecords::ScanStatus status;
        result.records = ContentsRecords::parse(bytes, status);
        result.damaged = status.damaged;
        result.textsCut = status.textsCut;
        return result;
    });
}

ContentsReadResult readFolderContents(const CatalogPaths &paths, const MTree &record)
{
    if (const std::optional<QString> path = paths.ContentsFilePath(record))
        return readContentsFile(*path);
    return unreadableRecord<ContentsReadResult>(record);
}

ContentsRecordsRead readFolderRecords(const CatalogPaths &paths, const MTree &record)
{
    if (const std::optional<QString> path = paths.ContentsFilePath(record))
        return readContentsRecords(*path);
    return unreadableRecord<ContentsRecordsRead>(record);
}

// QSaveFile writes through a link to wherever it leads, so a link is refused here.
SaveResult writeContentsFile(const QString &path, const QByteArray &serialized)
{
    if (QFileInfo(path).isSymLink())
        return SaveResult::failure(
            QStringLiteral("Cannot write \"%1\": it is a symbolic link, which Linkshelf "
                           "does not write through")
                .arg(QDir::toNativeSeparators(path)));
    return writeFileAtomically(path, serialized);
}

QByteArray emptyContents()
{
    return QByteArray(4, '\0');
}
