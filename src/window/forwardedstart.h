// SPDX-License-Identifier: GPL-3.0-or-later
// A later start on the same catalog, handed over by SingleInstance: the window comes to the
// front and adds what the command line names.
#pragma once

#include "mfile.h"

#include <QList>
#include <QString>
#include <QStringList>

class TMain;

// arguments as the second start's main() got them (the program first); currentDir is where
// it ran, against which relative paths are read. The paths and URLs it names are added to
// the selected folder.
void ShowForwardedStart(TMain &window, const QStringList &arguments, const QString &currentDir);

// Adds the entries that a command line names to the selected folder as they are, in one
// command (EntryCommands::AddEntries).
void AddCommandLineEntries(TMain &window, const QList<MFile> &entries);
