// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping damaged catalog files aside when they are read, and telling the user where.
#pragma once

#include "catalogpaths.h"

#include <QString>

class Interaction;

// What keeping damaged files aside came to.
struct DamagedNotice
{
    bool kept = true;  // every file was copied aside, or had nothing to lose: it may be rewritten
    bool told = false; // the user was told: of a new copy, or of one that could not be made
};

// A contents file that was read only in part: its original is copied aside before the next
// command can rewrite it, and the user is told once where the copy is.
DamagedNotice keepDamagedContentsFile(const CatalogPaths &paths, const QString &file,
                                      Interaction &interaction);

// Tree files that do not describe the same folders (or do not load): all three are copied
// aside together, and the user is told once. headline says what is wrong; by default, that
// the three files are damaged.
DamagedNotice keepDamagedTreeFiles(const CatalogPaths &paths, Interaction &interaction,
                                   const QString &headline = QString());
