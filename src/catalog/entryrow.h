// SPDX-License-Identifier: GPL-3.0-or-later
// One row of the entry list as a value: its record and what the views show of it, made when
// something asks for that row (the list itself holds records over the file's bytes).
#pragma once

#include "mfile.h"
#include "textencoding.h"

#include <QString>

struct EntryRow
{
    MFile file;
    QString caption;     // derived from the record, never stored
    QString description; // the description as one line, for the "Description" column
    int iconIndex = -1;  // index into the shared SystemIcons table
};

// The caption of an entry: the whole Path of a URL entry, the file-name part of a file
// entry's Path (after its last "/" or "\\", so catalogs made on Windows still show names).
QString entryCaption(const MFile &file, const TextEncoding &encoding);
QString entryCaption(qint32 kind, QByteArrayView path, const TextEncoding &encoding);

// The description as the description pane and the properties dialog show it: its stored CR LF
// line breaks become single ones, as a text field keeps them.
QString descriptionText(const QByteArray &description, const TextEncoding &encoding);

// The description as the list's column shows it: line breaks become blanks.
QString descriptionColumnText(QByteArrayView description, const TextEncoding &encoding);

// Builds the row for a record, without its icon, its texts decoded with the catalog's encoding.
EntryRow makeEntryRow(MFile file, const TextEncoding &encoding);
