// SPDX-License-Identifier: GPL-3.0-or-later
#include "forwardedstart.h"

#include "commandline.h"
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
