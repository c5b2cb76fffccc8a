// SPDX-License-Identifier: GPL-3.0-or-later
// The window's Interaction: everything goes to the real one, except that notices and error
// boxes can be held back while a command line handed over by a later start is carried out.
// That start waits for the outcome and must not wait for someone to close a box; the boxes
// are shown once it has its answer.
#pragma once

#include "interaction.h"

#include <QList>

class HoldingInteraction final : public Interaction
{
public:
    struct Held
    {
        bool error = false; // shown by showError, else by showMessage
        QString text;
    };

    explicit HoldingInteraction(Interaction &shown);
    Q_DISABLE_COPY_MOVE(HoldingInteraction)

    // From now on, notices and errors are kept instead of shown.
    void hold();
    // Stops holding; returns what was kept, in order.
    QList<Held> release();
    // Shows what release() returned.
    void show(const QList<Held> &held);

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
    Interaction &m_shown;
    bool m_holding = false;
    QList<Held> m_held;
};
