// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the bookmark tests: a folder maker, the bookmark files of tests/data, and
// a readable dump of a folder tree, so that a failed comparison shows where two trees part.
#pragma once

#include "bookmarkfolder.h"
#include "testfiles.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QMetaType>

inline BookmarkFolder folder(const QByteArray &name, QList<MFile> entries,
                             QList<BookmarkFolder> subfolders = {})
{
    return BookmarkFolder{name, std::move(entries), std::move(subfolders)};
}

inline void dumpFolder(QByteArray &out, const BookmarkFolder &f, int depth)
{
    const QByteArray indent(depth * 2, ' ');
    out += indent + "[" + f.name + "]\n";
    for (const MFile &e : f.entries)
        out += indent + "  " + QByteArray::number(e.Kind) + " path=" + e.Path.toPercentEncoding("/:?&=#") +
               " program=" + e.Program.toPercentEncoding("/ ") +
               " description=" + e.Description.toPercentEncoding(" ") + "\n";
    for (const BookmarkFolder &sub : f.subfolders)
        dumpFolder(out, sub, depth + 1);
}

inline QByteArray dump(const BookmarkFolder &f)
{
    QByteArray out;
    dumpFolder(out, f, 0);
    return out;
}

inline QByteArray fixture(const char *name)
{
    return testData(("bookmarks/" + QByteArray(name)).constData());
}

Q_DECLARE_METATYPE(BookmarkFolder)
