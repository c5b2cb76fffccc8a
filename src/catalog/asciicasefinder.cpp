// SPDX-License-Identifier: GPL-3.0-or-later
#include "asciicasefinder.h"

#include <cstring>

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

quint64 load64(const uchar *at)
{
    quint64 word;
    std::memcpy(&word, at, sizeof word);
    return word;
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

// The first byte is looked for eight at a time, folded the same way; only where it is found
// is the rest compared. Texts are short and most hold no match, so that first pass is the cost.
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
        for (qsizetype i = 1; i < length; ++i)
            if ((at[i] | caseBits[i]) != lower[i])
                return false;
        return true;
    };
    const auto *at = reinterpret_cast<const uchar *>(haystack.data());
    const uchar *const lastStart = at + (haystack.size() - length);
    const quint64 firstBits = everyLane(caseBits[0]);
    const quint64 first = everyLane(lower[0]);
    for (; at + 8 <= lastStart + 1; at += 8) {
        if (!zeroLanes((load64(at) | firstBits) ^ first))
            continue;
        for (int lane = 0; lane < 8; ++lane)
            if ((at[lane] | caseBits[0]) == lower[0] && matchesAt(at + lane))
                return true;
    }
    for (; at <= lastStart; ++at)
        if ((*at | caseBits[0]) == lower[0] && matchesAt(at))
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
