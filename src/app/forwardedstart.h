// SPDX-License-Identifier: GPL-3.0-or-later
// What a command line asks of the window: at start, and when a later start on the same
// catalog is handed over by SingleInstance (the window comes to the front and adds what that
// command line names).
#pragma once

#include "mfile.h"

struct CommandLineOptions;
#include <QList>
#include <QString>
#include <QStringList>

class TMain;

// arguments as the second start's main() got them (the program first); currentDir is where
// it ran, against which relative paths are read. The window comes to the front and carries
// out the options as at a start (applyStartOptions). Returns what could not be done, in the
// words of the window's own messages, for the second start to report; empty when everything
// was. Those messages are shown after this returns, so that the second start has its answer
// without waiting for anyone to close them.
QString showForwardedStart(TMain &window, const QStringList &arguments, const QString &currentDir);

// Adds the entries that a command line names to the selected folder as they are, in one
// command (EntryCommands::addEntries): one list update, one write of the folder's contents
// file, however many there are. False, after a message, when they were not added.
bool addCommandLineEntries(TMain &window, const QList<MFile> &entries);

// The options of the command line that started the window, once its catalog is loaded:
// import (imported programs left out unless --keep-programs), export, then the entries. A
// message tells of each that failed; false when one did.
bool applyStartOptions(TMain &window, const CommandLineOptions &options);
