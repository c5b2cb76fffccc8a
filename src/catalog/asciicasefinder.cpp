// SPDX-License-Identifier: GPL-3.0-or-later
#include "asciicasefinder.h"

#include <QtEndian>

#include <bit>

namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Eight bytes at a time: every lane holds byte.
constexpr quint64 everyLane(uchar byte)
{
    return 0x0101010101010101ULL * byte;
}

constexpr quint64 LowBits = everyLane(0x01);
constexpr quint64 HighBits = everyLane(0x80);

// Lane i is the byte at + i, whatever the machine's byte order.
quint64 load64(const uchar *at)
{
    return qFromLittleEndian<quint64>(at);
}

// The high bit of each zero lane is set; a lane above a zero lane may be set too (a borrow),
// so the result only says "look here", never "found". Zero means no lane is zero.
quint64 zeroLanes(quint64 word)
{
    return (word - LowBits) & ~word & HighBits;
}

} // namespace

AsciiCaseFinder::AsciiCaseFinder(QByteArrayView needle)
    : m_lower(needle.size(), Qt::Uninitialized)
    , m_caseBits(needle.size(), Qt::Uninitialized)
{
    for (qsizetype i = 0; i < needle.size(); ++i) {
        const char c = needle[i];
        m_caseBits[i] = isAsciiLetter(c) ? 0x20 : 0;
        m_lower[i] = char(c | m_caseBits[i]);
    }
}

// The first and the last byte are looked for eight starts at a time, folded the same way;
// only where both are found is the whole needle compared. Most bytes hold neither, so that
// first pass is the cost: one step per eight bytes whatever the needle is.
bool AsciiCaseFinder::isIn(QByteArrayView haystack) const
{
    const qsizetype length = m_lower.size();
    if (length == 0)
        return true;
    if (haystack.size() < length)
        return false;
    const auto *lower = reinterpret_cast<const uchar *>(m_lower.constData());
    const auto *caseBits = reinterpret_cast<const uchar *>(m_caseBits.constData());
    const auto matchesAt = [&](const uchar *at) {
        for (qsizetype i = 0; i < length; ++i)
            if ((at[i] | caseBits[i]) != lower[i])
                return false;
        return true;
    };
    const auto *at = reinterpret_cast<const uchar *>(haystack.data());
    const uchar *const lastStart = at + (haystack.size() - length);
    const qsizetype end = length - 1;
    const quint64 firstBits = everyLane(caseBits[0]), first = everyLane(lower[0]);
    const quint64 lastBits = everyLane(caseBits[end]), last = everyLane(lower[end]);
    for (; lastStart - at >= 7; at += 8) {
        quint64 candidates =
            zeroLanes((load64(at) | firstBits) ^ first) & zeroLanes((load64(at + end) | lastBits) ^ last);
        for (; candidates; candidates &= candidates - 1)
            if (matchesAt(at + std::countr_zero(candidates) / 8))
                return true;
    }
    for (; at <= lastStart; ++at)
        if (matchesAt(at))
            return true;
    return false;
}

bool hasNonAsciiByte(QByteArrayView bytes)
{
    // No early exit: the loop is one the compiler runs many bytes per step.
    const auto *at = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = at + bytes.size();
    quint64 seen = 0;
    for (; at + 8 <= end; at += 8)
        seen |= load64(at);
    for (; at < end; ++at)
        seen |= *at;
    return (seen & HighBits) != 0;
}
