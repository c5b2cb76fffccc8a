// SPDX-License-Identifier: GPL-3.0-or-later
// Bookmark files and the catalog: the folder tree to export, read from the contents files,
// and an import turned into new folders with contents files of their own.
#pragma once

#include "atomicfile.h"
#include "bookmarkfolder.h"
#include "bookmarkprograms.h"
#include "catalogpaths.h"
#include "foldertree.h"
#include "saveresult.h"
#include "textencoding.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The folders in pre-order as a bookmark tree under an unnamed root: all of them, or only
// the folder at index first with its subfolders (then the root's one subfolder). A folder's
// entries come from entriesOf; a folder without a record has none.
BookmarkFolder bookmarkTreeOfFolders(const QList<FolderRecord> &folders, std::optional<qsizetype> first,
                                     const std::function<QList<MFile>(const MTree &)> &entriesOf);

// The same, reading each folder's contents file; a file that is missing or damaged gives
// what the window would show for it.
BookmarkFolder catalogBookmarkTree(const CatalogPaths &paths, const QList<FolderRecord> &folders,
                                   std::optional<qsizetype> first = std::nullopt);

// Writes a bookmark file in the format its name says (bookmarkFormatForFileName), replacing
// it whole.
SaveResult exportBookmarkFile(const QString &path, const BookmarkFolder &root);

// Imported bookmarks (whose texts are UTF-8) in the catalog's encoding. A title that encoding
// cannot hold whole keeps each character it cannot hold as a numeric character reference
// ("&#1046;"), so that no bookmark is lost and none holds a "?"; replaced counts them. File
// paths stay as they are: they are names of this computer's files.
BookmarkFolder bookmarkTreeForCatalog(BookmarkFolder root, const TextEncoding &encoding, int &replaced);

// The tree as an export writes it: every text decoded with the catalog's encoding and carried
// as UTF-8 (what bookmark files hold), and each file entry's path as the system opens it
// (systemPath: after the catalog's path mappings), so that its file: URL leads to the file.
BookmarkFolder bookmarkTreeForExport(BookmarkFolder root, const TextEncoding &encoding,
                                     const std::function<QByteArray(const QByteArray &)> &systemPath);

// An import ready to be applied: the new folders, in pre-order, as one top-level folder named
// after the file with one subfolder per bookmark folder, each with a new contents file.
struct BookmarkImportPlan
{
    QList<FolderRecord> folders; // Level 0 for the new top-level folder
    QList<PendingFile> contentsFiles;
    qsizetype entryCount = 0;
};

struct BookmarkPlanResult
{
    std::optional<BookmarkImportPlan> plan;
    QString error; // why there is none
};

// Names the contents files lowest first among the names that the existing folders
// (takenNames) and the files of the work directory leave free (takenContentsNames); refused,
// with nothing to write, when too few are left.
BookmarkPlanResult planBookmarkImport(const CatalogPaths &paths, const QList<QByteArray> &takenNames,
                                      const BookmarkFolder &imported, const QByteArray &topName);

// Writes every contents file of the plan as one unit: all of them or none of them.
SaveResult writeBookmarkImport(const BookmarkImportPlan &plan);

// The name for the folder that receives a file's bookmarks: the file's name without its
// extension as a folder name (foldername.h), or "Imported bookmarks" when that leaves none.
QString importFolderName(const QString &path);

struct CatalogImportResult
{
    bool ok = false;
    QString error;
    qsizetype entryCount = 0;
    qsizetype folderCount = 0; // the new folders, the top-level one included
    qsizetype programsDropped = 0;
};

// Imports a bookmark file into the catalog on disk without a window: reads and checks the
// file, writes the new contents files, then the folder tree files with the new folders
// appended at the end of the top level. The selected and expanded folders stay as they are.
// Nothing is changed when any step before the tree files fails. With nobody to ask, the
// programs that bookmarks name are left out unless programs says to keep them.
CatalogImportResult importBookmarksIntoCatalog(const CatalogPaths &paths, const QString &bookmarkFile,
                                               ImportedPrograms programs = ImportedPrograms::Drop);
