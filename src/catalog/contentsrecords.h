// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of one folder as the bytes of its contents file and a few offsets per entry:
// a text becomes a string only when something needs it, and an entry added or changed since
// the file was read keeps its texts in an arena beside the file's bytes.
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
    // each text copied as it is held, so a text nobody edited goes back as it came.
    QByteArray serialized(qsizetype count, const std::function<qsizetype(qsizetype)> &recordAt) const;

private:
    struct Span
    {
        quint32 start = 0;
        quint32 length = 0;
    };
    struct Record
    {
        qint32 kind = MFile::FileKind;
        quint32 inArena = 0; // one bit per field: its span is in m_arena, not m_file
        Span texts[3];
    };
    static_assert(sizeof(Record) == 32);

    QByteArray m_file;  // the file as read
    QByteArray m_arena; // texts of records added since
    std::vector<Record> m_records;
};
