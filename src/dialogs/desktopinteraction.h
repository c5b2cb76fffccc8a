// SPDX-License-Identifier: GPL-3.0-or-later
// The real Interaction: message boxes, the text prompt, file dialogs and the dialogs.
#pragma once

#include "interaction.h"

class QWidget;
class SettingsStore;
class Shell;

class DesktopInteraction final : public Interaction
{
public:
    // parent owns the boxes; iniFile keeps the properties dialog's placement; shell opens
    // the about box's links.
    DesktopInteraction(QWidget *parent, SettingsStore &iniFile, Shell &shell);

    bool askYesNo(const QString &text) override;
    bool confirmRisk(const QString &text, const QString &details) override;
    void showMessage(const QString &text) override;
    void showError(const QString &message) override;
    std::optional<QString> askForString(const QString &caption, const QString &prompt,
                                        const TextRefusal &refusal = {}) override;
    QStringList chooseFiles(LastFolder &initialDir) override;
    QString chooseDirectory() override;
    int chooseFolder(const QString &caption, const QList<FolderChoice> &folders, int current) override;
    bool editProperties(EntryProperties &values, LastFolder &fileDialogInitialDir,
                        const TextRefusal &refusal = {}) override;
    void showAbout() override;

private:
    QWidget *m_parent;
    SettingsStore &m_iniFile;
    Shell &m_shell;
};
