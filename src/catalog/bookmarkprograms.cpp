// SPDX-License-Identifier: GPL-3.0-or-later
#include "bookmarkprograms.h"

namespace {

void collect(const BookmarkFolder &folder, QList<QByteArray> &path, QList<BookmarkWithProgram> &found)
{
    for (const MFile &entry : folder.entries)
        if (!entry.Program.isEmpty())
            found.append({path, entry});
    for (const BookmarkFolder &sub : folder.subfolders) {
        path.append(sub.name);
        collect(sub, path, found);
        path.removeLast();
    }
}

void clearPrograms(BookmarkFolder &folder)
{
    for (MFile &entry : folder.entries)
        entry.Program.clear();
    for (BookmarkFolder &sub : folder.subfolders)
        clearPrograms(sub);
}

} // namespace

QList<BookmarkWithProgram> bookmarksWithPrograms(const BookmarkFolder &root)
{
    QList<BookmarkWithProgram> found;
    QList<QByteArray> path;
    collect(root, path, found);
    return found;
}

BookmarkFolder withoutPrograms(BookmarkFolder root)
{
    clearPrograms(root);
    return root;
}
