// SPDX-License-Identifier: GPL-3.0-or-later
#include "entrychange.h"

#include "contentsfile.h"

#include <QHash>

#include <vector>

namespace {

QByteArray recordKey(const MFile &file)
{
    return serializeContents({file}); // every field, unambiguously
}

// The positions of each record in entries, first ones first, for changes that name many
// records of a large folder: a scan per record would be quadratic.
class RecordPositions
{
public:
    explicit RecordPositions(const QList<MFile> &entries)
    {
        for (qsizetype i = entries.size() - 1; i >= 0; --i)
            m_positions[recordKey(entries[i])].push_back(i);
    }

    // The first position holding file that is not taken yet, or -1.
    qsizetype take(const MFile &file)
    {
        const auto it = m_positions.find(recordKey(file));
        if (it == m_positions.end() || it->empty())
            return -1;
        const qsizetype at = it->back();
        it->pop_back();
        return at;
    }

private:
    QHash<QByteArray, std::vector<qsizetype>> m_positions; // last first, so the back is the first
};

} // namespace

EntryChange EntryChange::inverted() const
{
    EntryChange back{removed, added, {}};
    for (const auto &[before, after] : replaced)
        back.replaced.append({after, before});
    return back;
}

EntryChange EntryChange::followedBy(const EntryChange &next) const
{
    EntryChange both = *this;
    both.added += next.added;
    both.removed += next.removed;
    both.replaced += next.replaced;
    return both;
}

EntryChangeOutcome applyEntryChange(QList<MFile> entries, const EntryChange &change)
{
    EntryChangeOutcome outcome;
    std::vector<bool> gone(size_t(entries.size()), false);
    if (!change.removed.isEmpty() || !change.replaced.isEmpty()) {
        RecordPositions positions(entries);
        for (const auto &[before, after] : change.replaced) {
            if (const qsizetype at = positions.take(before); at >= 0)
                entries[at] = after;
            else
                outcome.keptAsNew.append(after);
        }
        for (const MFile &file : change.removed) {
            if (const qsizetype at = positions.take(file); at >= 0)
                gone[size_t(at)] = true;
            else
                outcome.alreadyGone.append(file);
        }
    }
    outcome.entries.reserve(entries.size() + change.added.size() + outcome.keptAsNew.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (!gone[size_t(i)])
            outcome.entries.append(std::move(entries[i]));
    outcome.entries += outcome.keptAsNew;
    outcome.entries += change.added;
    return outcome;
}
