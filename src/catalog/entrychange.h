// SPDX-License-Identifier: GPL-3.0-or-later
// A command on a folder's entries as a value: records to add, records to remove, records to
// replace. It is applied to the contents file as it is on disk when the command writes, so
// that what another machine wrote in the meantime is kept, and it can be inverted.
#pragma once

#include "mfile.h"

#include <QList>

#include <utility>

struct EntryChange
{
    QList<MFile> added;                      // appended, in this order
    QList<MFile> removed;                    // each takes away one entry equal to it
    QList<std::pair<MFile, MFile>> replaced; // the first entry equal to .first becomes .second

    static EntryChange adding(QList<MFile> files) { return {std::move(files), {}, {}}; }
    static EntryChange removing(QList<MFile> files) { return {{}, std::move(files), {}}; }
    static EntryChange replacing(MFile before, MFile after)
    {
        return {{}, {}, {{std::move(before), std::move(after)}}};
    }

    bool isEmpty() const { return added.isEmpty() && removed.isEmpty() && replaced.isEmpty(); }
    // The change that takes this one back: its adds removed, its removals added, each
    // replacement the other way round.
    EntryChange inverted() const;
    // This change, then next, as one.
    EntryChange followedBy(const EntryChange &next) const;

    friend bool operator==(const EntryChange &, const EntryChange &) = default;
};

struct EntryChangeOutcome
{
    QList<MFile> entries;
    // Replacements whose entry was no longer there (removed elsewhere): the new record was
    // added as an entry of its own, so that the edit is not lost.
    QList<MFile> keptAsNew;
    // Removals that found no entry: someone else removed it already.
    QList<MFile> alreadyGone;
};

// Applies the change to entries, by record and never by position: replacements first, then
// removals, then the adds appended at the end. Equal records are alike, so the first one
// equal to a record is the one it names.
EntryChangeOutcome applyEntryChange(QList<MFile> entries, const EntryChange &change);
