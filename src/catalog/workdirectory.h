// SPDX-License-Identifier: GPL-3.0-or-later
// Finding, and if need be creating, the work directory that holds the catalog.
#pragma once

#include "catalogpaths.h"

#include <QString>

class SettingsStore;

// The directory of the running program, ending with "/".
QString ResolveProgramDir(const QString &applicationDirPath);

// ProgramDir + "tree" when that folder exists (a portable copy), else
// dataHome + "/Linkshelf/tree".
QString defaultWorkDirectory(const QString &programDir, const QString &dataHome);

struct WorkDirResolution
{
    CatalogPaths paths;
    bool newCatalog = false; // the directory did not exist, or holds only the catalog's lock:
                             // the caller makes "Hot Files"
    bool usable = true;      // false: the directory could not be created
    QString errorString;     // why, when not usable
};

// Reads WorkDir under HKEY_LOCAL_MACHINE/SOFTWARE/Quorvane/Linkshelf, writes the default
// there when it cannot be read, and creates a missing directory. A stored value gets one
// level created (its parent must exist); the default also gets its missing parents.
WorkDirResolution ResolveWorkDir(SettingsStore &store, const QString &programDir, const QString &dataHome);

// The catalog in workDirectory, chosen for one run (not stored): created when missing, with
// its missing parents when withParents.
WorkDirResolution resolveWorkDirectoryAt(const QString &workDirectory, bool withParents);

// The catalog of one run: the one chosen for it (chosen not empty; its missing parents are
// created), else the stored one (ResolveWorkDir). Resolved once, before the catalog is locked.
WorkDirResolution resolveRunWorkDirectory(SettingsStore &store, const QString &programDir,
                                          const QString &dataHome, const QString &chosen = QString());
