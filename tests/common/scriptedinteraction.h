// SPDX-License-Identifier: GPL-3.0-or-later
// Answers the window's questions, prompts and file dialogs from a script, and records what
// the user would have seen.
#pragma once

#include "interaction.h"

#include <QList>

#include <functional>

#include <QStringList>

#include <optional>
#include <utility>

class ScriptedInteraction final : public Interaction
{
public:
    QList<bool> yesNoAnswers;
    QList<std::optional<QString>> stringAnswers;
    QList<QStringList> fileAnswers;
    QList<QString> directoryAnswers;
    QList<std::optional<EntryProperties>> propertyAnswers;
    QList<int> folderAnswers; // an index into the folders offered, or -1

    QStringList questions;
    QStringList riskQuestions; // confirmRisk, answered from yesNoAnswers too
    QStringList riskDetails;
    QStringList messages;
    QStringList errors;
    QStringList prompts;          // "caption|prompt"
    QStringList fileDialogStarts; // the initial directory of each open dialog
    QList<EntryProperties> propertiesShown;
    int directoryDialogs = 0;
    QList<QList<FolderChoice>> foldersOffered;
    int aboutBoxes = 0;
    QStringList unexpected; // asked with nothing scripted
    // Runs once while the next dialog is up, before it is answered: what happens elsewhere
    // (another machine writing the catalog) while the user looks at a dialog.
    std::function<void()> meanwhile;

    bool askYesNo(const QString &text) override
    {
        questions.append(text);
        return take(yesNoAnswers, QStringLiteral("question: ") + text).value_or(false);
    }
    bool confirmRisk(const QString &text, const QString &details) override
    {
        riskQuestions.append(text);
        riskDetails.append(details);
        return take(yesNoAnswers, QStringLiteral("risky question: ") + text).value_or(false);
    }
    void showMessage(const QString &text) override { messages.append(text); }
    void showError(const QString &message) override { errors.append(message); }
    // A scripted answer that refusal refuses ends as the user's Cancel after the message would.
    std::optional<QString> askForString(const QString &caption, const QString &prompt,
                                        const TextRefusal &refusal = {}) override
    {
        prompts.append(caption + u'|' + prompt);
        std::optional<QString> answer =
            take(stringAnswers, QStringLiteral("prompt: ") + caption).value_or(std::nullopt);
        if (answer && refusal)
            if (const QString why = refusal(*answer); !why.isEmpty()) {
                messages.append(why);
                return std::nullopt;
            }
        return answer;
    }
    QStringList chooseFiles(LastFolder &initialDir) override
    {
        fileDialogStarts.append(initialDir.path());
        return take(fileAnswers, QStringLiteral("open dialog")).value_or(QStringList());
    }
    QString chooseDirectory() override
    {
        ++directoryDialogs;
        return take(directoryAnswers, QStringLiteral("folder chooser")).value_or(QString());
    }
    int chooseFolder(const QString &, const QList<FolderChoice> &folders, int) override
    {
        foldersOffered.append(folders);
        return take(folderAnswers, QStringLiteral("folder of the catalog")).value_or(-1);
    }
    bool editProperties(EntryProperties &values, LastFolder &, const TextRefusal & = {}) override
    {
        propertiesShown.append(values);
        const auto answer = take(propertyAnswers, QStringLiteral("properties")).value_or(std::nullopt);
        if (!answer)
            return false;
        values = *answer;
        return true;
    }
    void showAbout() override { ++aboutBoxes; }

private:
    template <typename T> std::optional<T> take(QList<T> &queue, const QString &what)
    {
        if (meanwhile)
            std::exchange(meanwhile, nullptr)();
        if (queue.isEmpty()) {
            unexpected.append(what);
            return std::nullopt;
        }
        return queue.takeFirst();
    }
};
