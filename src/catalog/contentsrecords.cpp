// SPDX-License-Identifier: GPL-3.0-or-later
// The contents file as records over its bytes: little-endian 32-bit counts and lengths.
#include "contentsrecords.h"

#include "asciicasefinder.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// The smallest entry on disk: three empty texts (three lengths) and the Kind.
constexpr qsizetype MinEntrySize = 16;
constexpr qsizetype MaxTextLength = std::numeric_limits<qint32>::max();
// Entries are found by 32-bit offsets: a file larger than this is refused before it gets here.
constexpr qsizetype MaxBufferSize = std::numeric_limits<quint32>::max();

// A read position over one buffer that refuses every read running past its end.
class ContentsCursor
{
public:
    explicit ContentsCursor(QByteArrayView bytes)
        : m_bytes(bytes)
    {}

    qsizetype bytesLeft() const { return m_bytes.size() - m_pos; }
    qsizetype position() const { return m_pos; }

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
    bool readText(QByteArrayView &text)
    {
        qint32 length = 0;
        if (!readInt32(length) || length < 0 || length > bytesLeft())
            return false;
        const char *start = m_bytes.data() + m_pos;
        // Most programs and many descriptions are empty: no call for those.
        const void *zero = length > 0 ? std::memchr(start, 0, size_t(length)) : nullptr;
        const qsizetype kept = zero ? static_cast<const char *>(zero) - start : length;
        m_textsCut = m_textsCut || zero;
        m_entryCut = m_entryCut || zero;
        text = QByteArrayView(start, kept);
        m_pos += length;
        return true;
    }

    bool textsCut() const { return m_textsCut; }
    // Whether a text read since the last call was cut, and forgets it.
    bool takeEntryCut() { return std::exchange(m_entryCut, false); }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_textsCut = false;
    bool m_entryCut = false;
};

// One entry as the scan found it.
struct ScannedEntry
{
    qsizetype start = 0; // of its first length
    qint32 kind = 0;
    bool cut = false; // a text held a zero byte: the texts below end there, the bytes do not
    QByteArrayView texts[3];
};

// The count is untrusted: never make room for more entries than the bytes could hold.
qsizetype expectedEntries(QByteArrayView bytes)
{
    if (bytes.size() < 4)
        return 0;
    return std::clamp<qsizetype>(qFromLittleEndian<qint32>(bytes.data()), 0,
                                 (bytes.size() - 4) / MinEntrySize);
}

// A file too short for its count, a negative count, or an entry running past the end are
// all damage: the entries read before it are kept so that the user loses as little as possible.
// So are bytes after the last counted entry: a count too small for the entries that follow,
// which the next write of the folder would drop.
template <typename OnRecord>
ContentsRecords::ScanStatus scanRecords(QByteArrayView bytes, OnRecord &&onRecord)
{
    ContentsRecords::ScanStatus status;
    ContentsCursor cursor(bytes);
    qint32 count = 0;
    if (bytes.size() > MaxBufferSize || !cursor.readInt32(count) || count < 0) {
        status.damaged = true;
        return status;
    }
    ScannedEntry entry;
    for (qint32 i = 0; i < count; ++i) {
        entry.start = cursor.position();
        if (!cursor.readText(entry.texts[0]) || !cursor.readText(entry.texts[1]) ||
            !cursor.readText(entry.texts[2]) || !cursor.readInt32(entry.kind)) {
            status.damaged = true;
            break;
        }
        entry.cut = cursor.takeEntryCut();
        onRecord(std::as_const(entry));
    }
    status.damaged = status.damaged || cursor.bytesLeft() > 0;
    status.textsCut = cursor.textsCut();
    return status;
}

// A text longer than a 32-bit length can say is stored cut, so the file stays readable.
qsizetype storedLength(QByteArrayView text)
{
    return std::min(text.size(), MaxTextLength);
}

char *putInt32(char *out, qint32 value)
{
    qToLittleEndian(value, out);
    return out + 4;
}

char *putText(char *out, QByteArrayView text)
{
    const qsizetype length = storedLength(text);
    out = putInt32(out, qint32(length));
    if (length)
        std::memcpy(out, text.data(), size_t(length));
    return out + length;
}

} // namespace

ContentsRecords ContentsRecords::parse(QByteArray bytes, ScanStatus &status)
{
    ContentsRecords records;
    records.m_file = std::move(bytes);
    records.m_records.reserve(size_t(expectedEntries(records.m_file)));
    status = scanRecords(records.m_file, [&records](const ScannedEntry &entry) {
        if (entry.cut) // rare: the cut texts are what is shown and written back
            records.appendToArena(entry.kind, entry.texts);
        else
            records.m_records.push_back({quint32(entry.start), entry.kind, 0});
    });
    return records;
}

ContentsRecords::ScanStatus
ContentsRecords::scan(QByteArrayView bytes,
                      const std::function<void(qint32 kind, const QByteArrayView (&texts)[3])> &record)
{
    return scanRecords(bytes, [&record](const ScannedEntry &entry) { record(entry.kind, entry.texts); });
}

const char *ContentsRecords::entryStart(const Record &record) const
{
    return (record.inArena ? m_arena : m_file).constData() + record.start;
}

// The lengths were checked by the scan, or written by append, so the walk stays in the bytes.
QByteArrayView ContentsRecords::text(qsizetype record, Field field) const
{
    const char *at = entryStart(m_records[size_t(record)]);
    for (int f = 0; f < field; ++f)
        at += 4 + qFromLittleEndian<quint32>(at);
    return QByteArrayView(at + 4, qFromLittleEndian<quint32>(at));
}

QByteArrayView ContentsRecords::entryBytes(qsizetype record) const
{
    const char *start = entryStart(m_records[size_t(record)]);
    const char *at = start;
    for (int f = 0; f < 3; ++f)
        at += 4 + qFromLittleEndian<quint32>(at);
    return QByteArrayView(start, at + 4 - start);
}

MFile ContentsRecords::file(qsizetype record) const
{
    const auto owned = [](QByteArrayView text) { return text.isEmpty() ? QByteArray() : text.toByteArray(); };
    return MFile{kind(record), owned(text(record, PathField)), owned(text(record, ProgramField)),
                 owned(text(record, DescriptionField))};
}

qsizetype ContentsRecords::append(const MFile &file)
{
    const QByteArrayView texts[3] = {file.Path, file.Program, file.Description};
    appendToArena(file.Kind, texts);
    return size() - 1;
}

void ContentsRecords::appendToArena(qint32 kind, const QByteArrayView (&texts)[3])
{
    const qsizetype start = m_arena.size();
    qsizetype size = MinEntrySize;
    for (const QByteArrayView text : texts)
        size += storedLength(text);
    m_arena.resize(start + size);
    char *out = m_arena.data() + start;
    for (const QByteArrayView text : texts)
        out = putText(out, text);
    putInt32(out, kind);
    m_records.push_back({quint32(start), kind, 1});
}

bool ContentsRecords::allUtf8() const
{
    // Most texts are plain ASCII: those need no UTF-8 decoder.
    for (qsizetype i = 0; i < size(); ++i)
        for (Field f : {PathField, ProgramField, DescriptionField})
            if (const QByteArrayView t = text(i, f); hasNonAsciiByte(t) && !t.isValidUtf8())
                return false;
    return true;
}

// The exact size is known up front, so the whole file is one allocation filled in place.
QByteArray ContentsRecords::serialized(qsizetype count,
                                       const std::function<qsizetype(qsizetype)> &recordAt) const
{
    qsizetype size = 4;
    for (qsizetype i = 0; i < count; ++i)
        size += entryBytes(recordAt(i)).size();
    QByteArray bytes(size, Qt::Uninitialized);
    char *out = putInt32(bytes.data(), qint32(count));
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView entry = entryBytes(recordAt(i));
        std::memcpy(out, entry.data(), size_t(entry.size()));
        out += entry.size();
    }
    return bytes;
}
