// SPDX-License-Identifier: GPL-3.0-or-later
#include "forwardedstart.h"

#include "commandline.h"
#include "tmain.h"

#include <QFile>

void ShowForwardedStart(TMain &window, const QStringList &arguments, const QString &currentDir)
{
    // Hidden in the tray or minimised, the window is where the user expects their start.
    window.ShowFromTray();
    const CommandLineOptions options = parseCommandLine(arguments, currentDir);
    if (options.action == CommandLineOptions::Action::Run)
        AddCommandLineEntries(window, options.add);
}

void AddCommandLineEntries(TMain &window, const QList<MFile> &entries)
{
    for (const MFile &entry : entries) {
        if (entry.isUrl())
            window.entryCommands().AddUrl(QString::fromLocal8Bit(entry.Path));
        else
            window.entryCommands().AddFiles(QFile::decodeName(entry.Path));
    }
}
