// SPDX-License-Identifier: GPL-3.0-or-later
// Reader and writer of the binary contents file: little-endian 32-bit counts and lengths.
#include "contentsfile.h"

#include "atomicfile.h"
#include "regularfile.h"

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

// A read position over one buffer that refuses every read running past its end.
class ContentsCursor
{
public:
    explicit ContentsCursor(QByteArrayView bytes)
        : m_bytes(bytes)
    {}

    qsizetype bytesLeft() const { return m_bytes.size() - m_pos; }

    bool readInt32(qint32 &value)
    {
        if (bytesLeft() < 4)
            return false;
        value = qFromLittleEndian<qint32>(m_bytes.data() + m_pos);
        m_pos += 4;
        return true;
    }

    // A text ends at its first zero byte, as the records never hold one, but the position
    // still moves past all of its stored length.
    bool readText(QByteArray &text)
    {
        qint32 length = 0;
        if (!readInt32(length) || length < 0 || length > bytesLeft())
            return false;
        const char *start = m_bytes.data() + m_pos;
        const void *zero = std::memchr(start, 0, size_t(length));
        const qsizetype kept = zero ? static_cast<const char *>(zero) - start : length;
        m_textsCut = m_textsCut || zero;
        text = kept ? QByteArray(start, kept) : QByteArray();
        m_pos += length;
        return true;
    }

    bool textsCut() const { return m_textsCut; }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_textsCut = false;
};

bool readEntry(ContentsCursor &cursor, MFile &entry)
{
    return cursor.readText(entry.Path) && cursor.readText(entry.Program) &&
           cursor.readText(entry.Description) && cursor.readInt32(entry.Kind);
}

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

} // namespace

// A file too short for its count, a negative count, or an entry running past the end are
// all damage: the entries read before it are kept so that the user loses as little as possible.
// So are bytes after the last counted entry: a count too small for the entries that follow,
// which the next write of the folder would drop.
ContentsReadResult parseContents(QByteArrayView bytes)
{
    ContentsReadResult result;
    ContentsCursor cursor(bytes);
    qint32 count = 0;
    if (!cursor.readInt32(count) || count < 0) {
        result.damaged = true;
        return result;
    }
    // The count is untrusted: never make room for more entries than the bytes could hold.
    result.entries.reserve(std::min<qsizetype>(count, cursor.bytesLeft() / MinEntrySize));
    for (qint32 i = 0; i < count; ++i) {
        MFile entry;
        if (!readEntry(cursor, entry)) {
            result.damaged = true;
            break;
        }
        result.entries.append(std::move(entry));
    }
    result.damaged = result.damaged || cursor.bytesLeft() > 0;
    result.textsCut = cursor.textsCut();
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
    const RegularFileRead read = readRegularFile(path, SymbolicLinks::Refuse);
    if (!read) {
        ContentsReadResult result;
        result.unreadable = true;
        if (!read.missing)
            result.readError = read.error;
        return result;
    }
    ContentsReadResult result = parseContents(*read.bytes);
    result.fingerprint = fingerprintOf(read.stamp, *read.bytes);
    return result;
}

ContentsReadResult readFolderContents(const CatalogPaths &paths, const MTree &record)
{
    if (const std::optional<QString> path = paths.ContentsFilePath(record))
        return readContentsFile(*path);
    ContentsReadResult result;
    result.unreadable = true;
    result.readError = QStringLiteral("\"%1\" is not a name of a file in the work directory")
                           .arg(QString::fromLocal8Bit(record.FileName));
    return result;
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
