// SPDX-License-Identifier: GPL-3.0-or-later
// Finding entries that point to the same file or the same page, in one folder or across the
// catalog.
#pragma once

#include "catalogentries.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// A URL as duplicates are compared: scheme and host in lower case, one trailing "/" of the
// path dropped ("HTTP://Example.COM/a/" and "http://example.com/a" are the same). The rest
// (user name, path, query, fragment) keeps its case, since servers tell it apart.
QByteArray normalizedUrl(QByteArrayView url);

// Entries with equal keys are duplicates: file entries by their path's bytes, URL entries by
// their normalised URL. A file entry never equals a URL entry.
QByteArray duplicateKey(const MFile &file);

struct DuplicateGroup
{
    // In the order of the tree and then of the contents files.
    QList<CatalogEntryRef> entries;
    // The copy offered for keeping (see keptCopy); the others are offered for deleting.
    qsizetype kept = 0;
};

// The copy of a group worth keeping: the one that carries the most of its own, a program and
// a description counting first and the length of their texts next; the first of equals.
// Deleting any other loses nothing that the kept one does not also hold, as far as can be.
qsizetype keptCopy(const QList<CatalogEntryRef> &copies);

enum class DuplicateScope {
    WithinFolder, // only entries of the same folder are compared
    Catalog,      // entries of every given folder are compared with each other
};

// The groups of two or more duplicates, ordered by where their first entry is.
QList<DuplicateGroup> findDuplicates(const QList<FolderEntries> &folders, DuplicateScope scope);
