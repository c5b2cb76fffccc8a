// SPDX-License-Identifier: GPL-3.0-or-later
// Every modal question, prompt and file dialog the commands need, behind one interface, so
// that tests answer from a script and the real program shows the dialogs.
#pragma once

#include "entryproperties.h"
#include "lastfolder.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Why a text typed into a dialog cannot be kept (the catalog's encoding cannot hold one of its
// characters); empty when it can. The dialog shows the reason and stays open with the text.
using TextRefusal = std::function<QString(const QString &text)>;

// A folder that the folder chooser offers: its depth in the tree (0 at the top), its name, and
// whether it can take entries.
struct FolderChoice
{
    int level = 0;
    QString name;
    bool takesEntries = true;
};

class Interaction
{
public:
    virtual ~Interaction() = default;

    // A question in the box titled "Linkshelf Message" with Yes and No; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // A question whose Yes could harm the user, in the same box: No is the default button, so
    // Enter and Escape answer No. details, when not empty, is shown on request. True for Yes.
    virtual bool confirmRisk(const QString &text, const QString &details) = 0;
    // A notice in the box titled "Linkshelf Message" with OK.
    virtual void showMessage(const QString &text) = 0;
    // The error box: "Error ! " + message, titled "LS Error !", OK only.
    virtual void showError(const QString &message) = 0;
    // The text prompt; the confirmed text (at most 511 characters), or none when cancelled.
    // A text that refusal refuses is not confirmed: the prompt says why and keeps it.
    virtual std::optional<QString> askForString(const QString &caption, const QString &prompt,
                                                const TextRefusal &refusal = {}) = 0;
    // The open dialog ("All files"), several files; starts in initialDir and leaves there the
    // folder of the chosen files. Empty when cancelled.
    virtual QStringList chooseFiles(LastFolder &initialDir) = 0;
    // The folder chooser titled "Select a directory"; empty when cancelled.
    virtual QString chooseDirectory() = 0;
    // The folder chooser of the catalog's own folders, shown as their tree with current chosen
    // at first; the index of the folder chosen, or -1 when cancelled.
    virtual int chooseFolder(const QString &caption, const QList<FolderChoice> &folders, int current) = 0;
    // The entry properties dialog, filled with values; true and the edited values on OK.
    // A field changed to a text that refusal refuses keeps the dialog open, saying why.
    virtual bool editProperties(EntryProperties &values, LastFolder &fileDialogInitialDir,
                                const TextRefusal &refusal = {}) = 0;
    // The about box.
    virtual void showAbout() = 0;
};
