// SPDX-License-Identifier: GPL-3.0-or-later
// The way the tool windows delete the entries the user ticked: ask, remove from every folder
// as one unit, then tell what was left as it was.
#pragma once

#include "entryremoval.h"

#include <QString>

#include <optional>

class CatalogView;
class Interaction;

// How a tool names what it deletes, in its own words.
struct DeletionWords
{
    QString one;      // "the checked entry"
    QString many;     // "the %1 checked entries"
    QString noneGone; // "No entry was deleted."
    QString changed;  // "%1 of the checked entries had changed since the check"
};

// Asks whether to delete entries, then removes them; none when the user said no. A failed
// save and entries that had changed since are told before this returns.
std::optional<EntryRemovalResult> deleteAfterAsking(CatalogView &catalog, Interaction &interaction,
                                                    const QList<CatalogEntryRef> &entries,
                                                    const DeletionWords &words);
