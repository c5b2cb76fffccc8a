// SPDX-License-Identifier: GPL-3.0-or-later
// Handing a file or URL to the desktop, with ShellExecute-style result codes.
#pragma once

#include <QString>

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

    // The refusal for open(file, parameters): the entry's path is parameters when a program is
    // given, else file. open() itself refuses such a call with AccessDenied.
    static Refusal refusalOf(const QString &file, const QString &parameters);

    // Opens file: with an empty parameters, by the desktop's default handler of its type or
    // URL scheme; otherwise file is a program, started directly with parameters as its one
    // argument (never through a command interpreter).
    virtual int open(const QString &file, const QString &parameters) = 0;

    // The desktop's implementation (GIO MIME associations).
    static std::unique_ptr<Shell> createDesktopShell();
};
