// SPDX-License-Identifier: GPL-3.0-or-later
// The reader of the "Bookmarks" file that Chromium and the browsers built on it keep in each
// profile: JSON in, the same folder tree as a bookmark file's out.
#pragma once

#include "bookmarkimport.h"

#include <QByteArrayView>
#include <QString>

// The file's roots (the bookmarks bar, other bookmarks, mobile bookmarks) become the top
// folders, named as the browser shows them; a root without bookmarks is left out. Each
// bookmark's name is its title and its URL its address, mapped as an imported bookmark is.
// A file that is not this JSON, is cut short or breaks the limits of bookmarkimport.h is
// refused whole.
BookmarkReadResult parseChromiumBookmarks(QByteArrayView bytes);
BookmarkReadResult readChromiumBookmarks(const QString &path);
