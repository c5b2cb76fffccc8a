// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryopener.h"

#include "catalogsession.h"
#include "entrylistmodel.h"
#include "interaction.h"
#include "mainlist.h"
#include "shell.h"

EntryOpener::EntryOpener(CatalogSession &session, std::function<void()> editPathMappings)
    : m_session(session)
    , m_editPathMappings(std::move(editPathMappings))
{}

void EntryOpener::OpenEntry()
{
    const int row = m_session.controls().list->firstSelectedRow();
    if (row < 0)
        return;
    const MFile &file = m_session.model().rowAt(row).file;
    if (const QString why = refusalMessage(Shell::refusalOf(file.Path)); !why.isEmpty()) {
        m_session.interaction().showError(why);
        return;
    }
    if (!file.isUrl() && !mappedOrTold(file.Path))
        return;
    if (!file.Program.isEmpty() && !mappedOrTold(file.Program))
        return;
    // The stored bytes go as they are, after any path mapping: a name that is not valid UTF-8
    // still names its file. With its own program, the entry's path reaches it as exactly one
    // argument, and an entry without a path starts its program with none.
    const CatalogChoices &choices = m_session.choices();
    const QByteArray path = file.isUrl() ? file.Path : choices.systemPath(file.Path);
    Shell &shell = m_session.shell();
    ShowShellError(file.Program.isEmpty() ? shell.open(path)
                                          : shell.start(choices.systemPath(file.Program), path));
}

bool EntryOpener::mappedOrTold(const QByteArray &stored)
{
    const std::optional<QString> windowsPath = m_session.choices().unmappedWindowsPath(stored);
    if (!windowsPath)
        return true;
    // "File not found" would send the user looking for a file that may well be here, under
    // another path: say what is missing, and offer to add the mapping.
    const bool edit = m_session.interaction().askYesNo(
        QStringLiteral("\"%1\" is a path written on Windows, and no path mapping turns it into a "
                       "path of this computer, so it cannot be opened.\n\nSet up a path mapping now?")
            .arg(*windowsPath));
    if (edit && m_editPathMappings)
        m_editPathMappings();
    return false;
}

QString EntryOpener::refusalMessage(Shell::Refusal refusal)
{
    switch (refusal) {
    case Shell::Refusal::None:
        break;
    case Shell::Refusal::OptionLikePath:
        return QStringLiteral("The entry's path begins with \"-\", so a program would take it for an option. "
                              "It was not opened.");
    case Shell::Refusal::ScriptUrl:
        return QStringLiteral("The link begins with \"javascript:\" or \"data:\", so it carries code or "
                              "content of its own. It was not opened.");
    }
    return {};
}

void EntryOpener::ShowShellError(int result)
{
    const QString message = shellErrorMessage(result);
    if (!message.isEmpty())
        m_session.interaction().showError(message);
}

QString EntryOpener::shellErrorMessage(int result)
{
    if (result > 32)
        return {};
    switch (result) {
    case Shell::OutOfResources:
        return QStringLiteral("Out of memory !");
    case Shell::FileNotFound:
        return QStringLiteral("File not found !");
    case Shell::PathNotFound:
        return QStringLiteral("Path not found !");
    case Shell::AccessDenied:
        return QStringLiteral("Access is denied !");
    case Shell::BadFormat:
        return QStringLiteral("Bad EXE file !");
    default:
        return QStringLiteral("Shell execute error !");
    }
}
