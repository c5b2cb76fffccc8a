// SPDX-License-Identifier: GPL-3.0-or-later
// What the two bookmark readers share: the count of what a file holds, against its limit,
// and the result of a file refused.
#pragma once

#include "bookmarkimport.h"

#include <QByteArrayView>

// Bookmarks and folders are counted together against MaxBookmarkItems, so that a file of
// only folders is refused as early as one of only bookmarks.
class BookmarkItemCounter
{
public:
    // False once the file holds more than the limit.
    [[nodiscard]] bool addEntry() { return add(m_entries); }
    [[nodiscard]] bool addFolder() { return add(m_folders); }

    qsizetype entries() const { return m_entries; }
    qsizetype folders() const { return m_folders; }

private:
    bool add(qsizetype &counter)
    {
        ++counter;
        return m_entries + m_folders <= MaxBookmarkItems;
    }

    qsizetype m_entries = 0;
    qsizetype m_folders = 0;
};

inline BookmarkReadResult refusedBookmarks(const QString &error)
{
    BookmarkReadResult result;
    result.error = error;
    return result;
}

inline QByteArrayView withoutByteOrderMark(QByteArrayView bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}
