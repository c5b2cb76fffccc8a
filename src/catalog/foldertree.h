// SPDX-License-Identifier: GPL-3.0-or-later
// The three folder tree files: names and nesting (tree.lsf), contents file names
// (itree.lsf) and expanded/selected states (etree.lsf), as plain structures.
#pragma once

#include "atomicfile.h"
#include "catalogpaths.h"
#include "filefingerprint.h"
#include "mtree.h"
#include "saveresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// One folder in pre-order: level 0 is a top-level folder.
struct FolderRecord
{
    int Level = 0;
    QByteArray Name;
    std::optional<MTree> Record; // none: "NULL" in the index file, or no index line
    bool Expanded = false;
    bool Selected = false;

    friend bool operator==(const FolderRecord &, const FolderRecord &) = default;
};

// A folder named by the names from its top-level folder down to itself: what stays the same
// for a folder when the tree is written again elsewhere, where its position may not.
using FolderPath = QList<QByteArray>;
// The path of each folder, in the same order.
QList<FolderPath> folderPaths(const QList<FolderRecord> &folders);

struct TreeParseResult
{
    QList<FolderRecord> folders;
    std::optional<QString> error; // "Invalid level (L) for item \"name\"": loading stopped
};

// The indented-line rules: tabs or blanks at the start count levels; CR, LF or CR LF end
// lines; the first zero byte ends the text; the first line is top-level whatever its
// indentation; a line more than one level deeper than the one before is an error.
TreeParseResult parseTreeText(QByteArrayView bytes);

// Gives folder i the record named by line i ("NULL": none). Lines past the last folder are
// ignored; folders past the last line get no record. A line that is not a contents file name
// (isContentsFileName: "../outside.lsf", say) gives no record either; returns how many did.
qsizetype applyIndexText(QList<FolderRecord> &folders, QByteArrayView bytes);

// The number of lines applyIndexText would read from bytes, however many folders there are.
qsizetype countIndexLines(QByteArrayView bytes);

// Gives folder i the states of byte i (bit 0 expanded, bit 1 selected); folders past the
// last byte get neither.
void applyStateBytes(QList<FolderRecord> &folders, QByteArrayView bytes);

struct FolderTreeBytes
{
    QByteArray tree, index, state;
};

// The three files' bytes for folders in pre-order; every text line ends with CR LF.
FolderTreeBytes serializeFolderTree(const QList<FolderRecord> &folders);

struct FolderTreeLoad
{
    enum Status {
        Loaded,
        TreeFileMissing,    // nothing is at its path
        TreeFileUnreadable, // something is there that cannot be read: errorMessage says why
        InvalidLevel,
    };
    Status status = Loaded;
    QList<FolderRecord> folders;
    QString errorMessage; // for TreeFileUnreadable and InvalidLevel
    bool indexRead = false;
    bool stateRead = false;
    // How the staging files of an interrupted save were settled before reading.
    UnitRecovery::Action recovery = UnitRecovery::Nothing;
    // The index file has another number of lines (a missing one has none), or a state file
    // another number of bytes, than the tree file has folders: our writer never leaves that,
    // so the files were damaged or written by something else.
    bool countsDiffer = false;
    // Index lines that were no contents file name, or named a symbolic link: their folders
    // got no record, as a record must never lead out of the work directory.
    qsizetype refusedRecords = 0;
    // The index or state file is there but could not be read, each as its name and why: the
    // load goes on as if it were missing, and saving would replace what nobody has read.
    QStringList unreadableFiles;
    // TreeFileMissing beside other files of the catalog (an index, a state or a contents
    // file): the catalog is damaged, not new.
    bool catalogFilesLeft = false;
    // The tree and index files as they were read: the folders' names, nesting and records.
    // The state file is left out: it changes with every selection, on every machine.
    FileFingerprint treeFingerprint, indexFingerprint;
};

// First settles a save that was interrupted between its renames, so that the three files are
// always read from one save (see recoverFilesUnit). TreeFileMissing and TreeFileUnreadable:
// nothing else is read. The files are read as readWholeFile does: a link is not followed.
// InvalidLevel: folders holds the folders before the bad line, without records or states;
// saving them would drop the rest of the tree. A missing index file leaves every folder without
// a record and the state file unapplied, so nothing is expanded or selected; a missing state
// file only leaves the states unset.
FolderTreeLoad loadFolderTree(const CatalogPaths &paths);

// The three files in the order in which saveFolderTree stages and renames them, which the
// recovery of an interrupted save relies on.
QStringList folderTreeUnit(const CatalogPaths &paths);

// Writes the three files as one unit: none is replaced unless all three could be written.
// written, when given, receives the fingerprints of the tree and index files as written.
SaveResult saveFolderTree(const CatalogPaths &paths, const QList<FolderRecord> &folders,
                          std::pair<FileFingerprint, FileFingerprint> *written = nullptr);
