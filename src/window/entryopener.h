// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the first selected entry through the desktop, and telling the user why not.
#pragma once

#include "shell.h"

#include <QString>

class CatalogSession;

class EntryOpener final
{
public:
    explicit EntryOpener(CatalogSession &session);
    Q_DISABLE_COPY_MOVE(EntryOpener)

    void OpenEntry();
    // Shows the error box for a result of 32 or less; nothing for a started program.
    void ShowShellError(int result);

    // The message for a failed result (empty for a started program).
    static QString shellErrorMessage(int result);
    // Why an entry is not even handed to the shell (empty when it is).
    static QString refusalMessage(Shell::Refusal refusal);

private:
    CatalogSession &m_session;
};
