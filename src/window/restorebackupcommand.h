// SPDX-License-Identifier: GPL-3.0-or-later
// The command behind a "Restore backup..." menu item: pick a dated snapshot, put it back as
// the catalog, and show the catalog restored.
#pragma once

class CatalogSession;

// Asks for the date of a snapshot (the prompt lists the ones kept), restores it and reloads
// the tree and the selected folder's entries. A failure is told and changes nothing shown.
// Returns true when a snapshot was restored.
bool restoreBackupCommand(CatalogSession &session);
