// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the first selected entry through the desktop, and telling the user why not.
#pragma once

#include "shell.h"

#include <QString>

#include <functional>

class CatalogSession;

class EntryOpener final
{
public:
    // editPathMappings shows the path mappings dialog, offered for a Windows path that no
    // mapping turns into a path of this computer.
    EntryOpener(CatalogSession &session, std::function<void()> editPathMappings);
    Q_DISABLE_COPY_MOVE(EntryOpener)

    void OpenEntry();
    // Shows the error box for a result of 32 or less; nothing for a started program.
    void ShowShellError(int result);

    // The message for a failed result (empty for a started program).
    static QString shellErrorMessage(int result);
    // Why an entry is not even handed to the shell (empty when it is).
    static QString refusalMessage(Shell::Refusal refusal);

private:
    // False, after telling the user, when a path written on Windows has no mapping.
    bool mappedOrTold(const QByteArray &stored);

    CatalogSession &m_session;
    std::function<void()> m_editPathMappings;
};
