// SPDX-License-Identifier: GPL-3.0-or-later
// The browser profiles on this computer that hold bookmarks: where each browser keeps them,
// found without starting or asking any browser.
#pragma once

#include "bookmarkimport.h"

#include <QList>
#include <QString>

struct BrowserProfile
{
    enum class Format { Firefox, Chromium };
    QString browser; // "Firefox", "Chromium", "Google Chrome", ...
    QString name;    // the profile's own name: "default-release", "Default", "Profile 1"
    QString file;    // places.sqlite or Bookmarks
    Format format = Format::Firefox;

    QString caption() const { return browser + QStringLiteral(" \u2013 ") + name; }
};

// Firefox profiles from the profiles.ini under firefoxDir (~/.mozilla/firefox), in its order,
// each with a places.sqlite; then each Chromium-family browser's profile folders under
// configDir (~/.config) that hold a Bookmarks file, in name order.
QList<BrowserProfile> findBrowserProfiles(const QString &firefoxDir, const QString &configDir);
// The same in the places of the user running the program.
QList<BrowserProfile> findBrowserProfiles();

// The profile's bookmarks as a folder tree, or why they cannot be read.
BookmarkReadResult readBrowserBookmarks(const BrowserProfile &profile);
