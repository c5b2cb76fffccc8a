// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping damaged catalog files aside when they are read, and telling the user where.
#pragma once

#include "catalogpaths.h"

class Interaction;

// A contents file that was read only in part: its original is copied aside before the next
// command can rewrite it, and the user is told once where the copy is.
void keepDamagedContentsFile(const CatalogPaths &paths, const QString &file, Interaction &interaction);

// Tree files that do not describe the same folders (or do not load): all three are copied
// aside together, and the user is told once.
void keepDamagedTreeFiles(const CatalogPaths &paths, Interaction &interaction);
