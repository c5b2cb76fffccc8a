// SPDX-License-Identifier: GPL-3.0-or-later
// The record of one entry: a file or a URL, with the program that opens it and a description.
#pragma once

#include <QByteArray>
#include <QtGlobal>

// Texts stay 8-bit byte strings from the file to the record and back, so a catalog
// written under another code page round-trips byte for byte.
struct MFile
{
    enum : qint32 { FileKind = 0, UrlKind = 1 };

    qint32 Kind = FileKind; // 0 file entry; any other value reads as a URL entry
    QByteArray Path;        // full path of the file, or the URL, as it was given
    QByteArray Program;     // program that opens the entry; empty: the desktop's default
    QByteArray Description; // free text, line breaks stored as CR LF

    bool isUrl() const { return Kind != FileKind; }
    friend bool operator==(const MFile &, const MFile &) = default;
};

// The longest text the entry fields accept for each of an entry's three texts. The file
// format takes any length and the writer stores texts whole, so longer texts read from a
// file are kept as they are.
inline constexpr qsizetype MaxEntryTextLength = 1023;
