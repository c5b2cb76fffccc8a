// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the bookmark tests: short record makers and a readable dump of a folder
// tree, so that a failed comparison shows where two trees part.
#pragma once

#include "bookmarkfolder.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QMetaType>

inline MFile urlEntry(const QByteArray &path, const QByteArray &description, const QByteArray &program = {})
{
    return MFile{MFile::UrlKind, path, program, description};
}

inline MFile fileEntry(const QByteArray &path, const QByteArray &description, const QByteArray &program = {})
{
    return MFile{MFile::FileKind, path, program, description};
}

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
    QFile file(QStringLiteral(LINKSHELF_TEST_DATA "/bookmarks/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Q_DECLARE_METATYPE(BookmarkFolder)
