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

int sign(int c)
{
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
} // namespace

AsciiWeights::AsciiWeights(const QCollator &model)
{
    m_weight.fill(Outside);
    QCollator collator(model.locale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(model.ignorePunctuation());
    if (model.numericMode()) // digits in a row sort as numbers: no weight per character
        return;
    // The weight of a character is how many classes of characters collate before its own.
    std::vector<char> characters(Count);
    for (int i = 0; i < Count; ++i)
        characters[size_t(i)] = char(First + i);
    const auto before = [&](char a, char b) { return collator.compare(textOf({a}), textOf({b})) < 0; };
    std::stable_sort(characters.begin(), characters.end(), before);
    std::array<quint8, 256> weight;
    weight.fill(Outside);
    quint8 next = 0;
    for (size_t i = 0; i < characters.size(); ++i) {
        if (i > 0 && before(characters[i - 1], characters[i]))
            ++next;
        weight[uchar(characters[i])] = next;
    }
    // Every text of up to two characters, put in the weights' order: where the collator agrees
    // with each neighbour it agrees with the whole order, as both orders are transitive.
    std::vector<QString> texts{QString()};
    for (char a = First; a <= Last; ++a) {
        texts.push_back(textOf({a}));
        for (char b = First; b <= Last; ++b)
            texts.push_back(textOf({a, b}));
    }
    const auto weightsOf = [&weight](const QString &text) {
        std::vector<quint8> weights;
        for (QChar c : text)
            weights.push_back(weight[uchar(c.toLatin1())]);
        return weights;
    };
    std::vector<std::pair<std::vector<quint8>, QString>> keyed;
    keyed.reserve(texts.size());
    for (QString &text : texts)
        keyed.emplace_back(weightsOf(text), std::move(text));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return compareByWeights(a.first, b.first) < 0; });
    for (size_t i = 1; i < keyed.size(); ++i)
        if (sign(collator.compare(keyed[i - 1].second, keyed[i].second)) !=
            compareByWeights(keyed[i - 1].first, keyed[i].first))
            return;
    m_weight = weight;
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
