// SPDX-License-Identifier: GPL-3.0-or-later
#include "forwardedstart.h"

#include "bookmarkcommands.h"
#include "commandline.h"
#include "entrycommands.h"
#include "tmain.h"

#include <QTimer>

QString showForwardedStart(TMain &window, const QStringList &arguments, const QString &currentDir)
{
    // Hidden in the tray or minimised, the window is where the user expects their start.
    window.ShowFromTray();
    const CommandLineOptions options = parseCommandLine(arguments, currentDir);
    if (options.action != CommandLineOptions::Action::Run)
        return options.message; // the later start checked it; a change of version might not
    window.interaction().hold();
    const bool done = applyStartOptions(window, options);
    const QList<HoldingInteraction::Held> held = window.interaction().release();
    QTimer::singleShot(0, &window, [&window, held] { window.interaction().show(held); });
    if (done)
        return {};
    QStringList said;
    for (const HoldingInteraction::Held &one : held)
        said.append(one.text);
    return said.isEmpty() ? QStringLiteral("Linkshelf could not carry out the whole command line.")
                          : said.join(u'\n');
}

// The entries go in as the command line made them: a path from a file: URL may hold bytes
// that a text would change.
bool addCommandLineEntries(TMain &window, const QList<MFile> &entries)
{
    if (entries.isEmpty())
        return true;
    if (!window.session().folderTakingEntries()) {
        window.interaction().showMessage(
            QStringLiteral("The files and addresses of the command line were not "
                           "added: no folder that takes entries is selected."));
        return false;
    }
    return window.entryCommands().addEntries(entries); // a read-only folder says so itself
}

bool applyStartOptions(TMain &window, const CommandLineOptions &options)
{
    BookmarkCommands &bookmarks = window.bookmarkCommands();
    const auto programs =
        options.keepPrograms ? BookmarkCommands::Programs::Keep : BookmarkCommands::Programs::Drop;
    const bool imported =
        options.importFile.isEmpty() || bookmarks.importBookmarks(options.importFile, programs);
    const bool exported =
        options.exportFile.isEmpty() || bookmarks.exportBookmarks(options.exportFile, nullptr);
    const bool added = addCommandLineEntries(window, options.add);
    return imported && exported && added;
}
