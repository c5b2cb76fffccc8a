// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the two bookmark formats a file holds, and the reading of a bookmark file; the
// readers themselves are netscapebookmarks.cpp and xbelbookmarks.cpp, which build the same
// folder tree through bookmarkmapping.h.
#include "bookmarkimport.h"

#include "bookmarkreading.h"
#include "regularfile.h"

#include <algorithm>

QString bookmarkFileTooLargeMessage()
{
    return QStringLiteral("The file is larger than %1 MiB, more than any bookmark file holds.")
        .arg(MaxBookmarkFileSize / (1024 * 1024));
}

QString bookmarkFoldersTooDeepMessage()
{
    return QStringLiteral("Its folders are nested more than %1 levels deep.").arg(MaxBookmarkNesting);
}

QString tooManyBookmarksMessage()
{
    return QStringLiteral("It holds more than %1 bookmarks and folders.").arg(MaxBookmarkItems);
}

BookmarkFormat detectBookmarkFormat(QByteArrayView bytes)
{
    const QByteArrayView text = withoutByteOrderMark(bytes);
    const QByteArray head = text.first(std::min<qsizetype>(text.size(), 4096)).toByteArray().toLower();
    if (head.contains("netscape-bookmark-file"))
        return BookmarkFormat::NetscapeHtml;
    if (head.contains("<xbel") || head.trimmed().startsWith("<?xml"))
        return BookmarkFormat::Xbel;
    return BookmarkFormat::NetscapeHtml;
}

BookmarkReadResult parseBookmarks(QByteArrayView bytes)
{
    return detectBookmarkFormat(bytes) == BookmarkFormat::Xbel ? parseXbelBookmarks(bytes)
                                                               : parseNetscapeBookmarks(bytes);
}

// The user chose the file, so a link to it is followed; what it leads to must still be a
// regular file, as a pipe or a device would hold the import up for ever.
BookmarkReadResult readBookmarkFile(const QString &path)
{
    const RegularFileRead read = readRegularFile(path, SymbolicLinks::Follow, MaxBookmarkFileSize);
    if (read.tooLarge)
        return refusedBookmarks(bookmarkFileTooLargeMessage());
    if (!read)
        return refusedBookmarks(QStringLiteral("It cannot be read: %1.").arg(read.error));
    return parseBookmarks(*read.bytes);
}
