// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that put entries into the selected folder and take them out again, and the
// entry list's own reactions to the user.
#pragma once

#include "mfile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

class CatalogSession;
class LastFolder;
class EntryOpener;
class QCheckBox;

class EntryCommands final
{
public:
    // fileDialogInitialDir is where the open dialog starts; it follows the user's choices.
    EntryCommands(CatalogSession &session, EntryOpener &opener, LastFolder &fileDialogInitialDir);
    Q_DISABLE_COPY_MOVE(EntryCommands)

    void setOneClickCheck(const QCheckBox *check) { m_oneClickCheck = check; }

    // Adds the path as a file entry, or, with none, the files chosen in the open dialog.
    void AddFiles(const std::optional<QString> &path = std::nullopt);
    // Adds the text as a URL entry, or, with none, the URL typed at the prompt.
    void AddUrl(const std::optional<QString> &text = std::nullopt);
    // Adds entries made elsewhere (a command line's) as they are, in one command: their paths
    // are kept byte for byte, as no text carries a name that is not valid UTF-8. False when
    // nothing was added: no entries, or the selected folder takes none (none is selected, or
    // it is read-only).
    bool addEntries(const QList<MFile> &entries);
    // Adds every file of a chosen directory (hidden ones too, no subdirectories) at once.
    void AddDirectory();
    // Adds what the file manager or a browser dropped: local files as file entries, other
    // URLs as URL entries, in one command.
    void DropFiles(const QList<QUrl> &urls);
    void PasteURLlink1Click();
    void Delete2Click();
    void Properties1Click();

    void MainListKeyUp(int key);
    void MainListChange();
    void MainListClick();
    void MainListExit();
    void MainListMouseUp();

private:
    // Appends the entries as one command: one list update, one write of the contents file.
    void addEntries(std::vector<MFile> files);
    void showDescriptionOfFirstSelected();
    int rowOfRecord(const MFile &file) const; // the first row holding it, or -1
    MFile urlEntry(const QString &url) const;

    CatalogSession &m_session;
    EntryOpener &m_opener;
    LastFolder &m_fileDialogInitialDir;
    const QCheckBox *m_oneClickCheck = nullptr;
};

// The clipboard's text when it is a link that paste accepts: it starts, case-sensitively and
// at its very first character, with "http" or "ftp". Cut to the 1,023 characters a text holds.
std::optional<QString> pastableLink(const QString &clipboardText);
