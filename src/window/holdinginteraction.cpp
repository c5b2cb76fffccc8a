// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdinginteraction.h"

#include <utility>

HoldingInteraction::HoldingInteraction(Interaction &shown)
    : m_shown(shown)
{}

void HoldingInteraction::hold()
{
    m_holding = true;
}

QList<HoldingInteraction::Held> HoldingInteraction::release()
{
    m_holding = false;
    return std::exchange(m_held, {});
}

void HoldingInteraction::show(const QList<Held> &held)
{
    for (const Held &one : held)
        one.error ? m_shown.showError(one.text) : m_shown.showMessage(one.text);
}

void HoldingInteraction::showMessage(const QString &text)
{
    if (m_holding)
        m_held.append({false, text});
    else
        m_shown.showMessage(text);
}

void HoldingInteraction::showError(const QString &message)
{
    if (m_holding)
        m_held.append({true, message});
    else
        m_shown.showError(message);
}

// A question cannot wait: it is asked at once, and the later start waits for the answer.
bool HoldingInteraction::askYesNo(const QString &text)
{
    return m_shown.askYesNo(text);
}

bool HoldingInteraction::confirmRisk(const QString &text, const QString &details)
{
    return m_shown.confirmRisk(text, details);
}

std::optional<QString> HoldingInteraction::askForString(const QString &caption, const QString &prompt,
                                                        const TextRefusal &refusal)
{
    return m_shown.askForString(caption, prompt, refusal);
}

QStringList HoldingInteraction::chooseFiles(LastFolder &initialDir)
{
    return m_shown.chooseFiles(initialDir);
}

QString HoldingInteraction::chooseDirectory()
{
    return m_shown.chooseDirectory();
}

int HoldingInteraction::chooseFolder(const QString &caption, const QList<FolderChoice> &folders, int current)
{
    return m_shown.chooseFolder(caption, folders, current);
}

bool HoldingInteraction::editProperties(EntryProperties &values, LastFolder &fileDialogInitialDir,
                                        const TextRefusal &refusal)
{
    return m_shown.editProperties(values, fileDialogInitialDir, refusal);
}

void HoldingInteraction::showAbout()
{
    m_shown.showAbout();
}
