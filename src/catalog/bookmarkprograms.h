// SPDX-License-Identifier: GPL-3.0-or-later
// Programs named by imported bookmarks. Opened, such an entry runs its program with the
// bookmark's address as the argument, and a bookmark file from anyone can choose both; so an
// import keeps them only when the user says so.
#pragma once

#include "bookmarkfolder.h"

#include <QByteArray>
#include <QList>

enum class ImportedPrograms { Drop, Keep };

// An imported entry that names a program, with the folders above it in the file.
struct BookmarkWithProgram
{
    QList<QByteArray> folders; // from the file's top level down; empty at the top level
    MFile entry;
};

// Every entry of the tree that names a program, in the order of the file.
QList<BookmarkWithProgram> bookmarksWithPrograms(const BookmarkFolder &root);

// The tree with no entry naming a program; the entries themselves stay.
BookmarkFolder withoutPrograms(BookmarkFolder root);
