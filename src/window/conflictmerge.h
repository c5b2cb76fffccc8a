// SPDX-License-Identifier: GPL-3.0-or-later
// The conflict copies that sync tools leave beside the catalog's files: what a copy holds
// that the catalog lacks is merged in, and the copy is moved aside, never deleted.
#pragma once

class CatalogSession;

// Merges every conflict copy in the work directory (entries by record, folders by their path
// of names) and tells the user once what was merged; each merged copy is moved into the
// folder "merged" of the work directory. Returns how many copies were moved aside.
int mergeConflictCopies(CatalogSession &session);
