// SPDX-License-Identifier: GPL-3.0-or-later
// How a bookmark's URL, title, description and program map to an entry's record and back.
// The readers and the writers of both bookmark formats share these functions, so that
// writing an entry and reading it again gives back the same record.
#pragma once

#include "mfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What the two bookmark formats can carry for one bookmark.
struct BookmarkFields
{
    QString href;                       // the URL
    QString title;                      // one line
    std::optional<QString> description; // <DD> or <desc>; present even when empty
    QString program;                    // our PROGRAM attribute, or an XBEL application's exec
    bool markedAsUrl = false;           // a URL entry whose URL is a file: URL
    // The title is the entry's name standing in for a title it does not have (HTML only,
    // where a link without text cannot be seen or clicked).
    bool titleIsName = false;
};

// Import:
// - href: a file: URL gives a file entry (Kind 0) whose Path is the URL's path with its
//   percent escapes decoded to bytes, so any file name comes back byte for byte; any other
//   URL gives a URL entry (Kind 1) whose Path is the URL text as written. markedAsUrl keeps
//   a file: URL as a URL entry.
// - title and description: Description = title, or title + CR LF + description when the
//   bookmark has a description element (even an empty one). Every line break becomes CR LF,
//   the catalog's own.
// - program: Program as it is.
// - titleIsName: a title equal to the entry's bookmarkName is no title (the writer put the name
//   there for an entry whose Description has an empty first line); any other title is kept,
//   so a title edited by hand survives.
// Texts lose the control characters that XML cannot carry (all below 0x20 except tab, CR and
// LF) and any zero byte; they become 8-bit text with toLocal8Bit (UTF-8 on Linux).
MFile entryFromBookmark(const BookmarkFields &fields);

// Export, the inverse: a file entry becomes a file: URL of its percent-encoded path bytes; a
// URL entry's Path is the URL (bytes that are not UTF-8 are percent-encoded, which is the same
// URL); the Description's first line is the title and the rest, when it has more than one
// line, is the description. Kinds other than 0 and 1 are URL entries and come back as 1.
// Texts that are not valid UTF-8 are taken as Windows-1252, the code page of catalogs carried
// over from Western Windows, and so come back as the UTF-8 of the same characters.
BookmarkFields bookmarkFromEntry(const MFile &entry);

// The name a list shows for an entry, as a link's text for an entry without a title: a URL
// entry's URL (as href), the file-name part of a file entry's path (after its last "/" or
// "\\", trailing ones ignored, so a folder's path gives the folder's name).
QString bookmarkName(const MFile &entry);

// A folder name from a bookmark file's folder title, by the catalog's rule for folder names
// (foldername.h).
QByteArray folderNameFromTitle(const QString &title);
// A folder name for a bookmark file.
QString textFromFolderName(const QByteArray &name);

// 8-bit catalog text as Unicode: UTF-8 when it is valid UTF-8, else Windows-1252.
QString textFromBytes(QByteArrayView bytes);
bool isValidUtf8(QByteArrayView bytes);
// The character that Windows-1252 gives a byte from 0x80 to 0x9F (HTML reads numeric
// references in that range the same way).
char16_t windows1252Character(unsigned char byte);

// Removes the characters that XML cannot carry and that the catalog's texts never hold.
QString withoutControlCharacters(QString text);
// Every line break (CR LF, CR or LF) as CR LF.
QString withCrLfLineBreaks(const QString &text);

// file: URLs and paths: the path bytes percent-encoded except unreserved characters and "/".
QString fileUrlFromPath(QByteArrayView path);
std::optional<QByteArray> pathFromFileUrl(const QString &url); // none: not a file: URL

// XBEL application exec lines: "'program' %u" is written; on reading, the first word with
// its shell quotes and field codes removed is the program, also in GLib's form that quotes
// the whole command line ("'program %u'").
QString execFromProgram(const QString &program);
QString programFromExec(const QString &exec);
