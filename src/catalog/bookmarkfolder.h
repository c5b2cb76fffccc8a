// SPDX-License-Identifier: GPL-3.0-or-later
// A folder of bookmarks as the bookmark file readers give it and the writers take it.
#pragma once

#include "mfile.h"

#include <QByteArray>
#include <QList>

// The entries are catalog records already: the readers map each bookmark to an MFile, and
// the writers map each MFile back, so that one mapping (bookmarkimport.h) governs both.
struct BookmarkFolder
{
    QByteArray name; // as a catalog folder name: 8-bit text, no line break, no leading indent
    QList<MFile> entries;
    QList<BookmarkFolder> subfolders;

    // Defined out of line: a comparison defaulted here would have Qt's check for "==" on the
    // list of subfolders ask about this type while it is still incomplete.
    friend bool operator==(const BookmarkFolder &a, const BookmarkFolder &b);
};

// The folder tree a reader gives: the top level of the file is the root, whose own name is
// empty (the file's title is not kept).
using ImportedFolder = BookmarkFolder;
