// SPDX-License-Identifier: GPL-3.0-or-later
// Readers of the two bookmark formats that browsers and desktops write: Netscape bookmark
// HTML and XBEL. Bytes in, a folder tree of entry records or a clear error out.
#pragma once

#include "bookmarkfolder.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The mapping of a bookmark to an entry is bookmarkmapping.h's: a file: URL becomes a file
// entry with the decoded path, any other URL a URL entry; the title becomes the Description,
// followed by CR LF and the bookmark's description when it has one; an XBEL application's
// exec (or the PROGRAM attribute in HTML) becomes the Program. Separators are dropped, and
// a folder's entries and subfolders are kept in their order, each kind apart.

// A damaged or hostile file is refused whole rather than imported in part.
inline constexpr qsizetype MaxBookmarkFileSize = 64 * 1024 * 1024;
inline constexpr int MaxBookmarkNesting = 256;
inline constexpr qsizetype MaxBookmarkItems = 200000; // bookmarks and folders together
// What the user is told when a file goes past one of those limits, whichever reader found it.
QString bookmarkFileTooLargeMessage();
QString bookmarkFoldersTooDeepMessage();
QString tooManyBookmarksMessage();

enum class BookmarkFormat { NetscapeHtml, Xbel };

struct BookmarkReadResult
{
    std::optional<BookmarkFolder> root; // none when the file was refused
    QString error;                      // why, for the user
    qsizetype entryCount = 0;
    qsizetype folderCount = 0; // below the root

    explicit operator bool() const { return root.has_value(); }
};

// Netscape bookmark HTML, read as tolerantly as browsers read it: tags and attributes in any
// case, quoted or bare attribute values, <DT> and <p> never closed, named and numeric
// character references. UTF-8, or Windows-1252 when the file is not valid UTF-8. A file that
// ends inside a tag, a comment or an open folder list is taken as cut short and refused.
BookmarkReadResult parseNetscapeBookmarks(QByteArrayView bytes);

// XBEL, as KDE and GLib write it. Errors name their line and column. A document type that
// declares entities is refused, so no entity is ever expanded; external ones are never read.
BookmarkReadResult parseXbelBookmarks(QByteArrayView bytes);

// XBEL when the file says so (an <xbel> element or an XML declaration), else Netscape HTML.
BookmarkFormat detectBookmarkFormat(QByteArrayView bytes);
BookmarkReadResult parseBookmarks(QByteArrayView bytes);

// Reads a file of at most MaxBookmarkFileSize bytes and parses it in the format it holds.
BookmarkReadResult readBookmarkFile(const QString &path);
