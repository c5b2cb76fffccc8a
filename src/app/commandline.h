// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: what a run was asked to do, as a plain structure. Reading it
// changes nothing; main() acts on the result.
#pragma once

#include "mfile.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct CommandLineOptions
{
    enum class Action {
        Run,         // start (or hand the entries to a running Linkshelf)
        ShowHelp,    // print message and end with success
        ShowVersion, // print message and end with success
        Error,       // print message and end with failure
    };
    Action action = Action::Run;
    QString message;           // the help text, the version, or what was wrong and how to get help
    QString workDir;           // --workdir, absolute; empty: the stored work directory
    QList<MFile> add;          // --add values, then the other arguments: entries for the selected folder
    QString importFile;        // --import, absolute; empty: none
    bool keepPrograms = false; // --keep-programs: the imported bookmarks keep the programs they name
    QString exportFile;        // --export, absolute; empty: none
    // --restore-backup: the date of the daily backup that replaces the catalog before the
    // window opens; none: no restore.
    std::optional<QString> restoreBackupDate;
};

struct ProgramArguments
{
    QStringList arguments; // as text, the program first
    QString error;         // an argument refused, and why; empty when all are taken
};

// The program's arguments from the bytes main() got. Qt carries names as UTF-8 text, so an
// argument that is not valid UTF-8 (a folder named under a Latin-1 locale, "caf\xE9") would
// come back as another name, and --workdir would quietly make a new catalog under it: such an
// argument is refused, with its bytes shown. The program's own name is taken as it is.
ProgramArguments programArguments(const QList<QByteArray> &argv);

// arguments as main() gets them, the program first. Relative paths are made absolute against
// currentDir, so that they still name the same files when handed to another process.
//
// What is added: a file: URL (as a desktop's %U passes a file) is a file entry with the URL's
// path; an existing file or folder is a file entry; any other text that begins with a URL
// scheme ("https:", "mailto:") is a URL entry, as given; anything else is a file entry, which
// may name a file that does not exist yet.
CommandLineOptions parseCommandLine(const QStringList &arguments,
                                    const QString &currentDir = QDir::currentPath());

// The entry that one argument of --add (or one positional argument) stands for.
MFile entryForArgument(const QString &argument, const QString &currentDir);
