// SPDX-License-Identifier: GPL-3.0-or-later
#include "forwardedstart.h"

#include "bookmarkcommands.h"
#include "commandline.h"
#include "entrycommands.h"
#include "tmain.h"

void ShowForwardedStart(TMain &window, const QStringList &arguments, const QString &currentDir)
{
    // Hidden in the tray or minimised, the window is where the user expects their start.
    window.ShowFromTray();
    const CommandLineOptions options = parseCommandLine(arguments, currentDir);
    if (options.action == CommandLineOptions::Action::Run)
        AddCommandLineEntries(window, options.add);
}

// The entries go in as the command line made them: a path from a file: URL may hold bytes
// that a text would change.
void AddCommandLineEntries(TMain &window, const QList<MFile> &entries)
{
    window.entryCommands().AddEntries(entries);
}

void ApplyStartOptions(TMain &window, const CommandLineOptions &options)
{
    if (!options.importFile.isEmpty())
        window.bookmarkCommands().ImportBookmarks(options.importFile, options.keepPrograms
                                                                          ? BookmarkCommands::Programs::Keep
                                                                          : BookmarkCommands::Programs::Drop);
    if (!options.exportFile.isEmpty())
        window.bookmarkCommands().ExportBookmarks(options.exportFile, nullptr);
    AddCommandLineEntries(window, options.add);
}
