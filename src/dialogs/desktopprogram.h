// SPDX-License-Identifier: GPL-3.0-or-later
// The program that a desktop entry (.desktop file) starts: what a chosen menu entry stands
// for when the user picks it as the program that opens an entry.
#pragma once

#include <QString>

// True for a file name ending in ".desktop".
bool isDesktopEntryFile(const QString &path);

// The program of the entry's Exec= key, as a path: the first word of the command, resolved on
// PATH when it has no "/". Empty when the file cannot be read or has no Exec= key.
QString programOfDesktopEntry(const QString &desktopFilePath);

// The first word of an Exec= value after the desktop entry's own escapes are undone: quotes
// removed, a field code (%f, %U, ...) never taken for the program. Empty when there is none.
QString firstWordOfExec(const QString &execValue);
