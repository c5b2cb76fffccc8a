// SPDX-License-Identifier: GPL-3.0-or-later
// Writers of Netscape bookmark HTML and XBEL for a tree of catalog folders, shaped as
// browsers and desktops write them, so that they import them, and so that our own readers
// give back the same folders and entries.
#pragma once

#include "bookmarkfolder.h"
#include "bookmarkimport.h"

#include <QByteArray>
#include <QString>

// What is written for each entry is bookmarkmapping.h's inverse mapping: the entry's path as
// the URL (a file entry as a file: URL), the first line of its Description as the title and
// the other lines as the description (<DD> or <desc>), its program in a PROGRAM attribute
// (HTML) or as a desktop application's exec (XBEL). The root's own name is the document's
// title; its entries and subfolders are the file's top level. Every file is UTF-8. In HTML an
// entry without a title gets its bookmarkName as the link's text, with an UNTITLED attribute
// that tells our reader so.
QByteArray writeNetscapeBookmarks(const BookmarkFolder &root);
QByteArray writeXbelBookmarks(const BookmarkFolder &root);
QByteArray writeBookmarks(BookmarkFormat format, const BookmarkFolder &root);

// XBEL for names ending in ".xbel" or ".xml", Netscape HTML for any other.
BookmarkFormat bookmarkFormatForFileName(const QString &path);
