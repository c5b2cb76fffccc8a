// SPDX-License-Identifier: GPL-3.0-or-later
// Handing a file or URL to the desktop, with ShellExecute-style result codes. Paths and URLs
// are the catalog's bytes, and reach the system as they are: a file name that is not valid
// UTF-8 still names its file.
#pragma once

#include <QByteArray>

#include <memory>

class Shell
{
public:
    // Result codes: above 32 the program was started.
    enum Code : int {
        OutOfResources = 0,
        FileNotFound = 2,
        PathNotFound = 3,
        AccessDenied = 5,
        BadFormat = 11,
        NoAssociation = 31,
        Started = 42,
    };

    // Why an entry must not be opened at all, whatever would open it.
    enum class Refusal {
        None,
        OptionLikePath, // begins with "-": a program would take it for an option of its own
        ScriptUrl,      // a "javascript:" or "data:" link, which carries its own code or content
    };

    virtual ~Shell() = default;

    // The refusal for what an entry hands on: the target of open(), the argument of start().
    // Both calls refuse such a text themselves with AccessDenied.
    static Refusal refusalOf(const QByteArray &entryPath);

    // Opens target, a path or a URL. A launcher (.desktop file) of the desktop's menus or
    // marked executable is started, a program file is run with no argument, and anything else
    // goes to the desktop's default handler of its type or URL scheme.
    virtual int open(const QByteArray &target) = 0;

    // Starts program (an executable file, a name looked up on PATH, or a launcher) with
    // argument as its one argument, or with none when argument is empty. No command
    // interpreter sees either.
    virtual int start(const QByteArray &program, const QByteArray &argument) = 0;

    // The desktop's implementation (GIO MIME associations).
    static std::unique_ptr<Shell> createDesktopShell();
};
