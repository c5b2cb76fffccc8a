// SPDX-License-Identifier: GPL-3.0-or-later
// Paths written on another system, chiefly Windows ("C:\Users\ann\a.txt", "\\nas\media\x"),
// turned into paths of this computer by the user's rules "stored prefix -> opens as". The
// catalog keeps the paths as they were written; only what reaches the desktop is mapped.
#pragma once

#include <QList>
#include <QString>

#include <optional>

struct PathMapping
{
    QString storedPrefix; // as the catalog holds it: "C:\Users\ann\", "\\nas\media\", "E:\"
    QString opensAs;      // a path of this computer: "/home/ann/"

    friend bool operator==(const PathMapping &, const PathMapping &) = default;
};

// The path that path opens as: the longest stored prefix that matches, replaced by its
// opensAs, with every "\" after it turned into "/". A prefix matches whole path components
// ("C:\Users\ann" does not match "C:\Users\anna\x"); "\" and "/" are the same separator, as
// Windows takes both; a drive letter and a UNC host name match in either case, as Windows
// treats them so, while the other components must match exactly. None when no rule matches.
std::optional<QString> mappedPath(const QString &path, const QList<PathMapping> &mappings);

// A path only Windows can open: a drive letter ("C:\", "c:/") or a UNC name ("\\host\...").
bool isWindowsPath(const QString &path);

// The rules as one text for the settings store, and back; lines that are not rules are
// skipped. A prefix or a path never holds a tab or a line break (the dialog refuses them).
QString pathMappingsText(const QList<PathMapping> &mappings);
QList<PathMapping> pathMappingsFromText(const QString &text);

// A mapping to suggest for a catalog whose paths were written on Windows: for the first
// path under "X:\Users\NAME\" (or "X:\Documents and Settings\NAME\") whose NAME's home folder
// is homeDirectory (same name, in any case) or that exists under it, the rule from that
// user folder to homeDirectory. None when nothing fits.
std::optional<PathMapping> suggestedPathMapping(const QList<QString> &paths, const QString &homeDirectory);
