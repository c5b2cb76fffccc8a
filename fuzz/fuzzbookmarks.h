// SPDX-License-Identifier: GPL-3.0-or-later
// What both bookmark fuzz targets check of any input: the reader gives a tree or an error,
// never both, and a tree survives being written in either format and read back unchanged.
#pragma once

#include "bookmarkexport.h"
#include "bookmarkimport.h"

#include <cstdlib>

inline void checkBookmarkRead(const BookmarkReadResult &first)
{
    if (first.root.has_value() == !first.error.isEmpty())
        std::abort();
    if (!first.root)
        return;
    for (const BookmarkFormat format : {BookmarkFormat::NetscapeHtml, BookmarkFormat::Xbel}) {
        const QByteArray written = writeBookmarks(format, *first.root);
        const BookmarkReadResult second =
            format == BookmarkFormat::Xbel ? parseXbelBookmarks(written) : parseNetscapeBookmarks(written);
        if (!second.root || !(*second.root == *first.root) || second.entryCount != first.entryCount)
            std::abort();
    }
}
