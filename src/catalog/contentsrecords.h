// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of one folder as the bytes of its contents file and 12 bytes per entry: a text
// becomes a string only when something needs it, and an entry added or changed since the file
// was read keeps its bytes in an arena beside the file's.
#pragma once

#include "mfile.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <vector>

class ContentsRecords
{
public:
    enum Field : int { PathField = 0, ProgramField = 1, DescriptionField = 2 };

    // What a scan of a file's bytes found besides its records.
    struct ScanStatus
    {
        bool damaged = false;  // a count or length ran past the data, or bytes follow the entries
        bool textsCut = false; // a text held a zero byte and ends there
    };

    ContentsRecords() = default;

    // Takes the bytes of a contents file (shared, not copied) and finds its records. Every
    // count and length is checked against the bytes left; the records read before a bad one
    // are kept. A text ends at its first zero byte.
    static ContentsRecords parse(QByteArray bytes, ScanStatus &status);
    // The same scan over bytes that stay the caller's, handing out each record's texts.
    static ScanStatus scan(QByteArrayView bytes,
                           const std::function<void(qint32 kind, const QByteArrayView (&texts)[3])> &record);

    qsizetype size() const { return qsizetype(m_records.size()); }
    qint32 kind(qsizetype record) const { return m_records[size_t(record)].kind; }
    bool isUrl(qsizetype record) const { return kind(record) != MFile::FileKind; }
    QByteArrayView text(qsizetype record, Field field) const;
    // The record as a value, for the commands and dialogs.
    MFile file(qsizetype record) const;

    // Adds a record whose texts go to the arena; returns its number.
    qsizetype append(const MFile &file);

    // True when every text is valid UTF-8.
    bool allUtf8() const;

    // The contents file of the given records in that order: one buffer filled in one pass,
    // each entry copied as it is held, so an entry nobody edited goes back as it came.
    QByteArray serialized(qsizetype count, const std::function<qsizetype(qsizetype)> &recordAt) const;

private:
    // Where an entry's bytes begin, as stored on disk: three texts, each after its 32-bit
    // length, then the kind. The kind is kept here too, as it is asked for every row.
    struct Record
    {
        quint32 start = 0;
        qint32 kind = MFile::FileKind;
        quint32 inArena = 0; // the bytes are in m_arena, not m_file
    };
    static_assert(sizeof(Record) == 12);

    QByteArray m_file;  // the file as read
    QByteArray m_arena; // entries added since, and entries whose texts were cut, laid out as on disk
    std::vector<Record> m_records;

    const char *entryStart(const Record &record) const;
    // The entry's bytes as they go to disk.
    QByteArrayView entryBytes(qsizetype record) const;
    void appendToArena(qint32 kind, const QByteArrayView (&texts)[3]);
};
