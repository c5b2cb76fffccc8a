// SPDX-License-Identifier: GPL-3.0-or-later
// The reader of places.sqlite, where Firefox and the browsers built on it keep bookmarks and
// history: the moz_bookmarks tree, with the URLs of moz_places, as a bookmark folder tree.
#pragma once

#include "bookmarkimport.h"

#include <QString>

// Reads a copy of the database made in a temporary folder (with its write-ahead log, which
// holds what a running browser has not yet merged), so that the browser's lock never stands
// in the way and the browser's file is never written. The menu, toolbar, other and mobile
// roots become the top folders; tags and separators are left out. A file that is not such a
// database, or one whose tree is broken (a loop, too deep, too large), is refused whole.
BookmarkReadResult readFirefoxBookmarks(const QString &placesPath);
