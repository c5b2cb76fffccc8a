// SPDX-License-Identifier: GPL-3.0-or-later
#include "asciicollation.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

// Between the primary and the tertiary part of a key: below every primary weight, so that a
// text whose characters are a prefix of another's sorts first.
constexpr char LevelSeparator = 1;

QString single(int c)
{
    return QString(QChar(char16_t(c)));
}

QByteArray keyOf(const AsciiCollation &collation, const QString &text)
{
    QByteArray key;
    collation.appendKey(text, key);
    return key;
}

int byteOrder(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// Texts whose order a per-character table could get wrong: every pair of the characters that
// contractions and case are made of, and pairs across classes of characters.
QStringList probeTexts()
{
    QString alphabet;
    for (char c = 'a'; c <= 'z'; ++c)
        alphabet += QLatin1Char(c);
    alphabet += alphabet.toUpper() + QStringLiteral("09 -_.'/\t");
    QStringList texts;
    texts.reserve(alphabet.size() * alphabet.size() + 8);
    for (const QChar first : alphabet)
        for (const QChar second : alphabet)
            texts.append(QString(first) + second);
    texts << QString() << QStringLiteral("a\x01") << QStringLiteral("ab c") << QStringLiteral("abc")
          << QStringLiteral("ab-c") << QStringLiteral("file 10.txt") << QStringLiteral("file 9.txt")
          << QStringLiteral("File 9.TXT");
    return texts;
}

} // namespace

AsciiCollation::AsciiCollation(const QCollator &collator)
{
    if (collator.numericMode() || collator.ignorePunctuation() ||
        collator.caseSensitivity() != Qt::CaseSensitive)
        return;
    learn(collator);
    m_usable = agreesWith(collator);
}

// Characters that collate alike apart from case share a primary weight; within such a class
// the collator's own order of the characters gives the tertiary weight.
void AsciiCollation::learn(const QCollator &collator)
{
    QCollator caseBlind(collator.locale());
    caseBlind.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<int> counted;
    for (int c = 1; c < Size; ++c) {
        // Not against the empty text: the collator puts that before every other.
        if (collator.compare(single(c) + QLatin1Char('a'), QStringLiteral("a")) == 0)
            m_primary[size_t(c)] = Ignorable;
        else
            counted.push_back(c);
    }
    std::stable_sort(counted.begin(), counted.end(),
                     [&collator](int a, int b) { return collator.compare(single(a), single(b)) < 0; });
    int primary = LevelSeparator, tertiary = 0;
    for (size_t i = 0; i < counted.size(); ++i) {
        const bool sameClass = i > 0 && caseBlind.compare(single(counted[i - 1]), single(counted[i])) == 0;
        if (sameClass) {
            tertiary += collator.compare(single(counted[i - 1]), single(counted[i])) != 0 ? 1 : 0;
        } else {
            ++primary;
            tertiary = 0;
        }
        m_primary[size_t(counted[i])] = char(primary);
        m_tertiary[size_t(counted[i])] = char(tertiary + 1);
    }
}

// The table stands in for the collator only if it puts the probe texts in the collator's
// order, ties included.
bool AsciiCollation::agreesWith(const QCollator &collator) const
{
    const QStringList texts = probeTexts();
    std::vector<QByteArray> keys;
    keys.reserve(size_t(texts.size()));
    for (const QString &text : texts)
        keys.push_back(keyOf(*this, text));
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&keys](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    for (size_t i = 1; i < order.size(); ++i) {
        const int a = order[i - 1], b = order[i];
        if (sign(collator.compare(texts[a], texts[b])) != byteOrder(keys[size_t(a)], keys[size_t(b)]))
            return false;
    }
    return true;
}

bool AsciiCollation::appendKey(QStringView text, QByteArray &keys) const
{
    // The collator puts the empty text first, even before one of characters that count for
    // nothing: its key is the only one without a separator.
    if (text.isEmpty())
        return true;
    const qsizetype start = keys.size();
    keys.resize(start + 2 * text.size() + 1);
    char *primary = keys.data() + start;
    char *tertiary = primary + text.size() + 1;
    char *const tertiaryStart = tertiary;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= Size || c == 0) {
            keys.resize(start);
            return false;
        }
        if (m_primary[c] == Ignorable)
            continue;
        *primary++ = m_primary[c];
        *tertiary++ = m_tertiary[c];
    }
    *primary++ = LevelSeparator;
    // Ignorable characters left a gap between the two parts: close it.
    const qsizetype tertiaryLength = tertiary - tertiaryStart;
    std::memmove(primary, tertiaryStart, size_t(tertiaryLength));
    keys.resize(primary + tertiaryLength - keys.data());
    return true;
}

bool AsciiCollation::knows(QByteArrayView text) const
{
    for (const char c : text)
        if (c <= 0) // zero, or a byte past ASCII as char is signed
            return false;
    return true;
}

AsciiCollation::Order AsciiCollation::compare(QByteArrayView a, QByteArrayView b) const
{
    if (!m_usable || !knows(a) || !knows(b))
        return Undecided;
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() ? (b.isEmpty() ? Same : Before) : After;
    // The first primary difference decides; where there is none, the first case difference.
    Order byCase = Same;
    qsizetype i = 0, j = 0;
    for (;;) {
        while (i < a.size() && m_primary[size_t(a[i])] == Ignorable)
            ++i;
        while (j < b.size() && m_primary[size_t(b[j])] == Ignorable)
            ++j;
        if (i == a.size() || j == b.size())
            return i == a.size() ? (j == b.size() ? byCase : Before) : After;
        const char pa = m_primary[size_t(a[i])], pb = m_primary[size_t(b[j])];
        if (pa != pb)
            return pa < pb ? Before : After;
        if (byCase == Same && m_tertiary[size_t(a[i])] != m_tertiary[size_t(b[j])])
            byCase = m_tertiary[size_t(a[i])] < m_tertiary[size_t(b[j])] ? Before : After;
        ++i;
        ++j;
    }
}
