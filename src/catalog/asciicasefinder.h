// SPDX-License-Identifier: GPL-3.0-or-later
// Finding ASCII text in raw bytes with ASCII letters matched in either case, without folding
// a copy of the bytes first: what lets a search look through a whole contents file at once.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

class AsciiCaseFinder
{
public:
    // needle must be ASCII.
    explicit AsciiCaseFinder(QByteArrayView needle);

    bool isIn(QByteArrayView haystack) const;

private:
    // A haystack byte b matches needle byte i when (b | m_caseBits[i]) == m_lower[i]: the bit
    // is 0x20 for a letter, which turns "A" into "a" and no other byte into one, else zero.
    QByteArray m_lower;
    QByteArray m_caseBits;
};

// True when some byte is above 0x7f: the bytes are not plain ASCII.
bool hasNonAsciiByte(QByteArrayView bytes);
