// SPDX-License-Identifier: GPL-3.0-or-later
// The command that imports the bookmarks of the browsers on this computer: it lists the
// profiles found, with the number of bookmarks in each, and imports the chosen ones as a
// bookmark file is imported, one new top-level folder per profile.
#pragma once

#include "bookmarkcommands.h"
#include "browserprofiles.h"

#include <QList>

#include <functional>

class Interaction;
class QWidget;

class BrowserImport final
{
public:
    struct Found
    {
        BrowserProfile profile;
        BookmarkReadResult read; // refused when the profile's file could not be read
    };
    // Shows what was found and gives the indexes of the profiles chosen; empty: cancelled.
    using ProfileChooser = std::function<QList<qsizetype>(const QList<Found> &found)>;
    using ProfileFinder = std::function<QList<BrowserProfile>()>;

    BrowserImport(
        BookmarkCommands &bookmarks, Interaction &interaction, ProfileChooser chooser,
        ProfileFinder finder = [] { return findBrowserProfiles(); });
    Q_DISABLE_COPY_MOVE(BrowserImport)

    // The menu item. Every profile is read once, before the list shows, so that the list can
    // count its bookmarks and name a file it cannot read; the chosen ones are imported from
    // what was read then.
    void importFromBrowserClick();

    // The real list: a dialog with a check box per profile; a profile that cannot be read
    // is shown with the reason and cannot be chosen.
    static ProfileChooser dialogChooser(QWidget *parent);

private:
    BookmarkCommands &m_bookmarks;
    Interaction &m_interaction;
    ProfileChooser m_chooser;
    ProfileFinder m_finder;
};
