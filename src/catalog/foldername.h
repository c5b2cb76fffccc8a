// SPDX-License-Identifier: GPL-3.0-or-later
// The one rule for what a folder's name may hold, whatever gives the name: the prompt, a
// rename in place, a bookmark file's name or its folder titles.
#pragma once

#include <QString>

// The text as a name the folder tree file keeps. That file holds one folder per line, counts
// tabs and blanks at the start of a line as depth, and ends at a zero byte, so:
// - every run of line breaks (CR, LF, VT, FF, NEL, U+2028, U+2029) and tabs inside the name
//   becomes one blank; such a run at either end goes;
// - blanks at the start go;
// - every other control character goes.
// Anything else stays as given, blanks at the end and inside included; the result may be empty.
QString folderNameFromText(const QString &text);
