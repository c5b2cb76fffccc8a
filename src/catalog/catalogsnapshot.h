// SPDX-License-Identifier: GPL-3.0-or-later
// A picture of the catalog's files as one moment left them, taken while the window may be
// saving: each file hard-linked (copied where the file system has no hard links) into a
// folder, and the picture kept only when no catalog file changed while it was taken.
#pragma once

#include "saveresult.h"

#include <QMap>
#include <QString>

#include <atomic>
#include <optional>

// What tells one version of a file from another. Catalog files are only ever replaced by a
// new file renamed over them, never written in place, so a name that still leads to the same
// file (device, inode, size and time of the last write) still holds the same bytes.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

struct CatalogFile
{
    QString source; // the file that holds its bytes (see listCatalogFiles)
    FileIdentity identity;

    friend bool operator==(const CatalogFile &, const CatalogFile &) = default;
};

// By name in the catalog's folder.
using CatalogFiles = QMap<QString, CatalogFile>;

// The names the catalog gives its files: the three tree files and "cat" + number + ".lsf".
bool isCatalogFileName(const QString &name);

// The catalog's files in a folder as a reader finds them once the folder tree unit is
// settled: a tree file whose rename a save left to be finished is its staging file
// (settledUnitSources). A link, or anything else but a regular file, is none of them (the
// catalog never reads through one). None when a file went while it was listed: a save is
// under way.
std::optional<CatalogFiles> listCatalogFiles(const QString &folder);

// Whether two sets of catalog files hold the same names and bytes; only files of equal size
// that are not the same file are read.
bool sameCatalogFiles(const CatalogFiles &a, const CatalogFiles &b);

struct SnapshotPlacement
{
    enum Outcome {
        Placed,   // every file is in the folder, as it was listed
        Changed,  // a file was replaced after it was listed: the picture would be torn
        Failed,   // result says why
        Cancelled // cancel was set
    };
    Outcome outcome = Placed;
    SaveResult result;
};

// Puts every listed file into folder under its name: a hard link to the very file listed,
// or a copy of it where the file system refuses the link. Whether the catalog stayed the
// same meanwhile is the caller's to check, by listing it again.
SnapshotPlacement placeCatalogFiles(const CatalogFiles &files, const QString &folder,
                                    const std::atomic<bool> *cancel = nullptr);
