// SPDX-License-Identifier: GPL-3.0-or-later
#include "collationranks.h"

#include "twohalves.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Below this a second thread costs more than it saves.
constexpr size_t TwoThreadsFrom = 4096;

// The keys of one half of the texts: table keys one after the other in one buffer, and the
// collator's keys of the texts the table does not know.
struct HalfKeys
{
    QByteArray tableKeys;
    std::vector<std::pair<quint32, quint32>> tableRows; // text, end of its key in tableKeys
    std::vector<std::pair<quint32, QCollatorSortKey>> collatorRows;
};

HalfKeys keysOf(const QCollator &model, const AsciiCollation &table, size_t first, size_t last,
                const std::function<QString(size_t)> &textAt)
{
    HalfKeys half;
    half.tableRows.reserve(last - first);
    std::optional<QCollator> collator;
    for (size_t i = first; i < last; ++i) {
        const QString text = textAt(i);
        if (table.usable() && table.appendKey(text, half.tableKeys)) {
            half.tableRows.emplace_back(quint32(i), quint32(half.tableKeys.size()));
            continue;
        }
        if (!collator)
            collator.emplace(collatorLike(model));
        half.collatorRows.emplace_back(quint32(i), collator->sortKey(text));
    }
    return half;
}

// One group of texts in order, and for each whether it collates alike with the one before.
struct Group
{
    std::vector<quint32> texts;
    std::vector<bool> alikeBefore;
};

template <typename Key> Group sortedGroup(std::vector<std::pair<quint32, Key>> rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto &a, const auto &b) { return a.second.compare(b.second) < 0; });
    Group group;
    group.texts.reserve(rows.size());
    group.alikeBefore.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        group.texts.push_back(rows[i].first);
        group.alikeBefore.push_back(i > 0 && rows[i - 1].second.compare(rows[i].second) == 0);
    }
    return group;
}

Group tableGroup(const HalfKeys (&halves)[2])
{
    std::vector<std::pair<quint32, QByteArrayView>> rows;
    rows.reserve(halves[0].tableRows.size() + halves[1].tableRows.size());
    for (const HalfKeys &half : halves) {
        quint32 start = 0;
        for (const auto &[text, end] : half.tableRows) {
            rows.emplace_back(text, QByteArrayView(half.tableKeys.constData() + start, end - start));
            start = end;
        }
    }
    return sortedGroup(std::move(rows));
}

Group collatorGroup(HalfKeys (&halves)[2])
{
    std::vector<std::pair<quint32, QCollatorSortKey>> rows = std::move(halves[0].collatorRows);
    rows.reserve(rows.size() + halves[1].collatorRows.size());
    for (auto &row : halves[1].collatorRows)
        rows.push_back(std::move(row));
    return sortedGroup(std::move(rows));
}

// Where both groups hold texts: one merge, comparing the heads of the two with the collator,
// each text made once while it heads its group.
std::vector<std::pair<quint32, bool>> merged(const QCollator &collator, const Group &byTable,
                                             const Group &byCollator,
                                             const std::function<QString(size_t)> &textAt)
{
    std::vector<std::pair<quint32, bool>> order; // text, whether it comes from the table's group
    order.reserve(byTable.texts.size() + byCollator.texts.size());
    size_t t = 0, c = 0;
    QString tableHead = textAt(byTable.texts[0]), collatorHead = textAt(byCollator.texts[0]);
    while (t < byTable.texts.size() && c < byCollator.texts.size()) {
        if (collator.compare(tableHead, collatorHead) <= 0) {
            order.emplace_back(byTable.texts[t], true);
            if (++t < byTable.texts.size())
                tableHead = textAt(byTable.texts[t]);
        } else {
            order.emplace_back(byCollator.texts[c], false);
            if (++c < byCollator.texts.size())
                collatorHead = textAt(byCollator.texts[c]);
        }
    }
    for (; t < byTable.texts.size(); ++t)
        order.emplace_back(byTable.texts[t], true);
    for (; c < byCollator.texts.size(); ++c)
        order.emplace_back(byCollator.texts[c], false);
    return order;
}

std::vector<quint32> ranksOfGroup(size_t count, const Group &group)
{
    std::vector<quint32> ranks(count);
    quint32 rank = 0;
    for (size_t i = 0; i < group.texts.size(); ++i) {
        rank += i > 0 && !group.alikeBefore[i] ? 1 : 0;
        ranks[group.texts[i]] = rank;
    }
    return ranks;
}

} // namespace

QCollator collatorLike(const QCollator &model)
{
    QCollator collator(model.locale());
    collator.setCaseSensitivity(model.caseSensitivity());
    collator.setNumericMode(model.numericMode());
    collator.setIgnorePunctuation(model.ignorePunctuation());
    return collator;
}

std::vector<quint32> collationRanks(const QCollator &collator, const AsciiCollation &table, size_t count,
                                    const std::function<QString(size_t)> &textAt)
{
    HalfKeys halves[2];
    if (count < TwoThreadsFrom)
        halves[0] = keysOf(collator, table, 0, count, textAt);
    else
        sideBySide([&] { halves[0] = keysOf(collator, table, 0, count / 2, textAt); },
                   [&] { halves[1] = keysOf(collator, table, count / 2, count, textAt); });
    const Group byTable = tableGroup(halves);
    const Group byCollator = collatorGroup(halves);
    if (byCollator.texts.empty())
        return ranksOfGroup(count, byTable);
    if (byTable.texts.empty())
        return ranksOfGroup(count, byCollator);

    // Neighbours from one group are neighbours in it too, so its own keys say whether they
    // collate alike; only where the groups change hands does the collator decide.
    const std::vector<std::pair<quint32, bool>> order = merged(collator, byTable, byCollator, textAt);
    std::vector<size_t> next = {0, 0}; // position in the collator's group, in the table's
    std::vector<quint32> ranks(count);
    quint32 rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        const auto [text, fromTable] = order[i];
        const Group &group = fromTable ? byTable : byCollator;
        const size_t at = next[fromTable]++;
        if (i > 0) {
            const bool alike = order[i - 1].second == fromTable
                                   ? group.alikeBefore[at]
                                   : collator.compare(textAt(order[i - 1].first), textAt(text)) == 0;
            rank += alike ? 0 : 1;
        }
        ranks[text] = rank;
    }
    return ranks;
}
