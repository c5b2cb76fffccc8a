// SPDX-License-Identifier: GPL-3.0-or-later
// How a start settles who writes the catalog before anything reads it, and what the user is
// told when this start cannot go on.
#pragma once

#include "singleinstance.h"

#include <QString>

#include <optional>

class Interaction;
struct WorkDirResolution;

struct CatalogStart
{
    SingleInstance::Start start = SingleInstance::Start::Unlocked;
    std::optional<int> exitCode;      // set: this start ends here
    QString message;                  // what the user is told first, when not empty
    bool toldInRunningWindow = false; // message is for the terminal: the running window told the user
};

// Takes the catalog's lock, or hands commandLine to the Linkshelf that holds it, which carries
// it out; what it could not do ends this start with a failure. A lock of another computer is
// offered to be taken over, No being the default. A start that restores a backup cannot hand
// over: the running Linkshelf would go on with the old catalog.
CatalogStart settleCatalogLock(SingleInstance &instance, const ForwardedCommandLine &commandLine,
                               Interaction &interaction, bool restoringBackup);

// What a start does once settleStart is done with the catalog.
struct StartPlan
{
    std::optional<int> exitCode;  // set: this start ends here, the user told why
    bool makeDailyBackup = false; // once the window shows: only the start that writes the catalog
};

// The whole policy of a start before the window opens: the catalog's lock or the hand-over of
// commandLine to the Linkshelf that holds it (settleCatalogLock), the temporary files a crashed
// writer left, and the backup restored when restoreDate is set. What ends the start is told on
// the terminal and, unless the running window told it, in a message.
StartPlan settleStart(SingleInstance &instance, const WorkDirResolution &catalog,
                      const std::optional<QString> &restoreDate, const ForwardedCommandLine &commandLine,
                      Interaction &interaction);

// Tells the terminal of a start's trouble, as "linkshelf: text".
void tellTerminal(const QString &text);
