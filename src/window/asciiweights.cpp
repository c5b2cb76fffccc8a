// SPDX-License-Identifier: GPL-3.0-or-later
#include "asciiweights.h"

#include <QCollator>
#include <QString>

#include <algorithm>
#include <utility>
#include <vector>

namespace {
constexpr char First = ' ';
constexpr char Last = '~';
constexpr int Count = Last - First + 1;

QString textOf(std::initializer_list<char> characters)
{
    QString text;
    for (char c : characters)
        text.append(QLatin1Char(c));
    return text;
}

// Lexicographic by weight, a text before every longer one it begins.
int compareByWeights(const std::vector<quint8> &a, const std::vector<quint8> &b)
{
    const auto [pa, pb] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (pa != a.end() && pb != b.end())
        return *pa < *pb ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

namespace {
using Weights = std::array<quint8, 256>;

// The weight of a character is how many classes of characters collate before its own.
Weights weightsBy(const QCollator &collator)
{
    std::vector<char> characters(Count);
    for (int i = 0; i < Count; ++i)
        characters[size_t(i)] = char(First + i);
    const auto before = [&](char a, char b) { return collator.compare(textOf({a}), textOf({b})) < 0; };
    std::stable_sort(characters.begin(), characters.end(), before);
    Weights weight;
    weight.fill(0xff);
    quint8 next = 0;
    for (size_t i = 0; i < characters.size(); ++i) {
        if (i > 0 && before(characters[i - 1], characters[i]))
            ++next;
        weight[uchar(characters[i])] = next;
    }
    return weight;
}

// True when every two texts of up to two characters that the weights tell apart sort the
// same way by the collator. The texts are put in the weights' order, in runs that tie; when
// the last of each run (by the collator) sorts before the first of the next, every text of a
// run sorts before every text of the runs after it, the collator's order being transitive.
bool collatorAgrees(const QCollator &collator, const Weights &weight)
{
    std::vector<std::pair<std::vector<quint8>, QString>> texts;
    const auto add = [&](std::initializer_list<char> characters) {
        std::vector<quint8> weights;
        for (char c : characters)
            weights.push_back(weight[uchar(c)]);
        texts.emplace_back(std::move(weights), textOf(characters));
    };
    add({});
    for (char a = First; a <= Last; ++a) {
        add({a});
        for (char b = First; b <= Last; ++b)
            add({a, b});
    }
    std::stable_sort(texts.begin(), texts.end(),
                     [](const auto &a, const auto &b) { return compareByWeights(a.first, b.first) < 0; });
    const QString *lastOfRun = nullptr;
    for (size_t first = 0; first < texts.size();) {
        size_t end = first + 1;
        while (end < texts.size() && compareByWeights(texts[first].first, texts[end].first) == 0)
            ++end;
        const QString *firstOfRun = &texts[first].second;
        const QString *last = firstOfRun;
        for (size_t i = first + 1; i < end; ++i) {
            if (collator.compare(texts[i].second, *firstOfRun) < 0)
                firstOfRun = &texts[i].second;
            if (collator.compare(texts[i].second, *last) > 0)
                last = &texts[i].second;
        }
        if (lastOfRun && collator.compare(*lastOfRun, *firstOfRun) >= 0)
            return false;
        lastOfRun = last;
        first = end;
    }
    return true;
}
} // namespace

AsciiWeights::AsciiWeights(const QCollator &collator)
{
    m_weight.fill(Outside);
    if (collator.numericMode()) // digits in a row sort as numbers: no weight per character
        return;
    // Case apart first, as most locales order letters; then as the collator itself has them
    // (the C locale orders by code, "Z" before "a").
    QCollator caseless(collator.locale());
    caseless.setCaseSensitivity(Qt::CaseInsensitive);
    caseless.setIgnorePunctuation(collator.ignorePunctuation());
    for (const QCollator *classes : {static_cast<const QCollator *>(&caseless), &collator}) {
        const Weights weight = weightsBy(*classes);
        if (collatorAgrees(collator, weight)) {
            m_weight = weight;
            return;
        }
    }
}

AsciiWeights::Order AsciiWeights::compare(QByteArrayView a, QByteArrayView b) const
{
    // Every character is looked at: one outside the range, even after the first difference,
    // may join with the one before it (a combining accent makes "a" another letter in some
    // languages).
    Order order = Tied;
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const quint8 wa = m_weight[uchar(a[i])];
        const quint8 wb = m_weight[uchar(b[i])];
        if (wa == Outside || wb == Outside)
            return Undecided;
        if (order == Tied && wa != wb)
            order = wa < wb ? Before : After;
    }
    for (QByteArrayView longer : {a, b})
        for (qsizetype i = common; i < longer.size(); ++i)
            if (m_weight[uchar(longer[i])] == Outside)
                return Undecided;
    if (order == Tied && a.size() != b.size())
        order = a.size() < b.size() ? Before : After;
    return order;
}
