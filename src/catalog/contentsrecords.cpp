// SPDX-License-Identifier: GPL-3.0-or-later
// The contents file as records over its bytes: little-endian 32-bit counts and lengths.
#include "contentsrecords.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The smallest entry on disk: three empty texts (three lengths) and the Kind.
constexpr qsizetype MinEntrySize = 16;
constexpr qsizetype MaxTextLength = std::numeric_limits<qint32>::max();
// Spans are 32-bit: a file larger than this is refused before it gets here.
constexpr qsizetype MaxBufferSize = std::numeric_limits<quint32>::max();

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
    bool readText(QByteArrayView &text)
    {
        qint32 length = 0;
        if (!readInt32(length) || length < 0 || length > bytesLeft())
            return false;
        const char *start = m_bytes.data() + m_pos;
        const void *zero = std::memchr(start, 0, size_t(length));
        const qsizetype kept = zero ? static_cast<const char *>(zero) - start : length;
        m_textsCut = m_textsCut || zero;
        text = QByteArrayView(start, kept);
        m_pos += length;
        return true;
    }

    bool textsCut() const { return m_textsCut; }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_textsCut = false;
};

// A file too short for its count, a negative count, or an entry running past the end are
// all damage: the entries read before it are kept so that the user loses as little as possible.
// So are bytes after the last counted entry: a count too small for the entries that follow,
// which the next write of the folder would drop.
template <typename OnRecord>
ContentsRecords::ScanStatus scanRecords(QByteArrayView bytes, qsizetype &expected, OnRecord &&onRecord)
{
    ContentsRecords::ScanStatus status;
    ContentsCursor cursor(bytes);
    qint32 count = 0;
    expected = 0;
    if (bytes.size() > MaxBufferSize || !cursor.readInt32(count) || count < 0) {
        status.damaged = true;
        return status;
    }
    // The count is untrusted: never make room for more entries than the bytes could hold.
    expected = std::min<qsizetype>(count, cursor.bytesLeft() / MinEntrySize);
    QByteArrayView texts[3];
    for (qint32 i = 0; i < count; ++i) {
        qint32 kind = 0;
        if (!cursor.readText(texts[0]) || !cursor.readText(texts[1]) || !cursor.readText(texts[2]) ||
            !cursor.readInt32(kind)) {
            status.damaged = true;
            break;
        }
        onRecord(kind, texts);
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
    const char *base = records.m_file.constData();
    qsizetype expected = 0;
    bool reserved = false;
    status = scanRecords(records.m_file, expected, [&](qint32 kind, const QByteArrayView(&texts)[3]) {
        if (!reserved) {
            records.m_records.reserve(size_t(expected));
            reserved = true;
        }
        Record record;
        record.kind = kind;
        for (int f = 0; f < 3; ++f)
            record.texts[f] = {quint32(texts[f].data() - base), quint32(texts[f].size())};
        records.m_records.push_back(record);
    });
    return records;
}

ContentsRecords::ScanStatus
ContentsRecords::scan(QByteArrayView bytes,
                      const std::function<void(qint32 kind, const QByteArrayView (&texts)[3])> &record)
{
    qsizetype expected = 0;
    return scanRecords(bytes, expected, record);
}

QByteArrayView ContentsRecords::text(qsizetype record, Field field) const
{
    const Record &r = m_records[size_t(record)];
    const Span span = r.texts[field];
    const QByteArray &bytes = (r.inArena >> field) & 1 ? m_arena : m_file;
    return QByteArrayView(bytes.constData() + span.start, span.length);
}

MFile ContentsRecords::file(qsizetype record) const
{
    const auto owned = [](QByteArrayView text) { return text.isEmpty() ? QByteArray() : text.toByteArray(); };
    return MFile{kind(record), owned(text(record, PathField)), owned(text(record, ProgramField)),
                 owned(text(record, DescriptionField))};
}

qsizetype ContentsRecords::append(const MFile &file)
{
    Record record;
    record.kind = file.Kind;
    record.inArena = 0b111;
    const QByteArray *texts[3] = {&file.Path, &file.Program, &file.Description};
    for (int f = 0; f < 3; ++f) {
        record.texts[f] = {quint32(m_arena.size()), quint32(texts[f]->size())};
        m_arena.append(*texts[f]);
    }
    m_records.push_back(record);
    return size() - 1;
}

bool ContentsRecords::allUtf8() const
{
    for (qsizetype i = 0; i < size(); ++i)
        for (Field f : {PathField, ProgramField, DescriptionField})
            if (!text(i, f).isValidUtf8())
                return false;
    return true;
}

// The exact size is known up front, so the whole file is one allocation filled in place.
QByteArray ContentsRecords::serialized(qsizetype count,
                                       const std::function<qsizetype(qsizetype)> &recordAt) const
{
    qsizetype size = 4;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype r = recordAt(i);
        size += MinEntrySize + storedLength(text(r, PathField)) + storedLength(text(r, ProgramField)) +
                storedLength(text(r, DescriptionField));
    }
    QByteArray bytes(size, Qt::Uninitialized);
    char *out = putInt32(bytes.data(), qint32(count));
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype r = recordAt(i);
        out = putText(out, text(r, PathField));
        out = putText(out, text(r, ProgramField));
        out = putText(out, text(r, DescriptionField));
        out = putInt32(out, kind(r));
    }
    return bytes;
}
