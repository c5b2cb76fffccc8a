// SPDX-License-Identifier: GPL-3.0-or-later
#include "entrycommands.h"

#include "catalogchoicecommands.h"
#include "catalogsession.h"
#include "clipboardtext.h"
#include "entrylistmodel.h"
#include "entryopener.h"
#include "folderitem.h"
#include "interaction.h"
#include "mainlist.h"
#include "maintree.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDir>
#include <QFile>

namespace {
// A file of this computer is stored by the bytes of its name, in any catalog, so that it opens.
MFile fileEntry(const QString &path)
{
    return MFile{MFile::FileKind, QFile::encodeName(path), {}, {}};
}

QString withCrLf(const QString &text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(u'\n', QStringLiteral("\r\n"));
    return s;
}

// The text with every line break (CR LF, CR or LF) as LF: the description field gives back
// its lines with CR LF whatever they were shown with.
QString withLfLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// What the user left in one field of the properties dialog. Decoding bytes that the
// catalog's encoding does not read and encoding the text again would turn each such byte into
// U+FFFD, so a field whose text is still the one shown keeps the bytes it was read from, and
// only a field the user changed is encoded anew (the dialog refused what cannot be).
QByteArray storedField(const QByteArray &stored, const QString &shown, const QString &edited,
                       const TextEncoding &encoding)
{
    return edited == shown ? stored : encoding.encode(edited).bytes;
}
} // namespace

std::optional<QString> pastableLink(const QString &clipboardText)
{
    const QString text = clipboardText.left(MaxEntryTextLength);
    if (text.startsWith(QLatin1String("http")) || text.startsWith(QLatin1String("ftp")))
        return text;
    return std::nullopt;
}

EntryCommands::EntryCommands(CatalogSession &session, EntryOpener &opener, LastFolder &fileDialogInitialDir)
    : m_session(session)
    , m_opener(opener)
    , m_fileDialogInitialDir(fileDialogInitialDir)
{}

void EntryCommands::AddFiles(const std::optional<QString> &path)
{
    if (!m_session.selectedFolderTakesChanges())
        return;
    const QStringList names =
        path ? QStringList{*path} : m_session.interaction().chooseFiles(m_fileDialogInitialDir);
    std::vector<MFile> files;
    files.reserve(size_t(names.size()));
    for (const QString &name : names)
        files.push_back(fileEntry(name));
    addEntries(std::move(files));
}

void EntryCommands::AddUrl(const std::optional<QString> &text)
{
    if (!m_session.selectedFolderTakesChanges())
        return;
    const TextRefusal refusal = textRefusal(m_session.choices().textEncoding());
    const std::optional<QString> url =
        text ? text
             : m_session.interaction().askForString(QStringLiteral("Add URL"),
                                                    QStringLiteral("Enter URL location"), refusal);
    if (!url)
        return;
    if (const QString why = refusal(*url); !why.isEmpty()) { // a pasted or handed-over link
        m_session.interaction().showMessage(why);
        return;
    }
    std::vector<MFile> files;
    files.push_back(urlEntry(*url));
    addEntries(std::move(files));
}

MFile EntryCommands::urlEntry(const QString &url) const
{
    return MFile{MFile::UrlKind, m_session.choices().textEncoding().encode(url).bytes, {}, {}};
}

bool EntryCommands::addEntries(const QList<MFile> &entries)
{
    if (entries.isEmpty() || !m_session.selectedFolderTakesChanges())
        return false;
    addEntries(std::vector<MFile>(entries.cbegin(), entries.cend()));
    return true;
}

void EntryCommands::AddDirectory()
{
    if (!m_session.selectedFolderTakesChanges())
        return;
    const QString directory = m_session.interaction().chooseDirectory();
    if (directory.isEmpty())
        return;
    // Every file, hidden and system ones included, no subdirectories, in the order the file
    // system gives them.
    const QDir dir(directory);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    std::vector<MFile> files;
    files.reserve(size_t(names.size()));
    for (const QString &name : names)
        files.push_back(fileEntry(dir.filePath(name)));
    addEntries(std::move(files));
}

void EntryCommands::DropFiles(const QList<QUrl> &urls)
{
    if (!m_session.selectedFolderTakesChanges())
        return;
    std::vector<MFile> files;
    files.reserve(size_t(urls.size()));
    // Links are kept encoded, as the browser handed them over: decoded, "q=a%20b" would
    // become a link with a blank in it, no longer the address the user dragged.
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            files.push_back(fileEntry(url.toLocalFile())); // the full path, never cut
        else if (url.isValid() && !url.scheme().isEmpty())
            files.push_back(urlEntry(url.toString(QUrl::FullyEncoded)));
    }
    addEntries(std::move(files));
}

void EntryCommands::PasteURLlink1Click()
{
    const std::optional<QString> text = clipboardText();
    if (!text) {
        m_session.interaction().showMessage(QStringLiteral("Clipboard contains no text"));
        return;
    }
    if (const std::optional<QString> link = pastableLink(*text))
        AddUrl(*link);
    else
        m_session.interaction().showMessage(QStringLiteral("Clipboard contains no HTTP or FTP link"));
}

void EntryCommands::Delete2Click()
{
    const QList<int> rows = m_session.controls().list->selectedRows();
    if (rows.isEmpty() || !m_session.selectedFolderTakesChanges())
        return;
    if (!m_session.interaction().askYesNo(
            QStringLiteral("Do you really want to delete all selected files ?")))
        return;
    const QList<MFile> files = m_session.model().filesAt(rows);
    m_session.clearDescription();
    m_session.applyToShownFolder(EntryChange::removing(files),
                                 entriesStepName(QStringLiteral("Delete"), files.size()));
}

void EntryCommands::Properties1Click()
{
    MainList *list = m_session.controls().list;
    const int count = list->selectedCount();
    if (count == 0)
        return;
    if (count > 1) {
        m_session.interaction().showMessage(
            QStringLiteral("Can not set properties for a group of files.\nPlease, select a single file."));
        return;
    }
    const int row = list->firstSelectedRow();
    const MFile before = m_session.model().rowAt(row).file;
    MFile file = before;
    const TextEncoding &encoding = m_session.choices().textEncoding();
    const EntryProperties shown{encoding.decode(file.Path), encoding.decode(file.Program),
                                descriptionText(file.Description, encoding)};
    EntryProperties values = shown;
    if (!m_session.interaction().editProperties(values, m_fileDialogInitialDir, textRefusal(encoding)) ||
        !m_session.selectedFolderTakesChanges())
        return;
    // A path or program is stored whole: one longer than the description's limit (a dropped
    // path can be) would, cut short, name another file.
    file.Path = storedField(file.Path, shown.Path, values.Path, encoding);
    file.Program = storedField(file.Program, shown.Program, values.Program, encoding);
    const QString description = withLfLineBreaks(values.Description);
    if (description != withLfLineBreaks(shown.Description))
        file.Description = encoding.encode(withCrLf(description.left(MaxEntryTextLength))).bytes;
    m_session.showDescription(file);
    if (!m_session.applyToShownFolder(EntryChange::replacing(before, file),
                                      QStringLiteral("Change properties")))
        return;
    if (const int newRow = rowOfRecord(file); newRow >= 0)
        list->selectRows({newRow});
}

void EntryCommands::MainListKeyUp(int key)
{
    if (key == Qt::Key_Delete)
        Delete2Click();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        m_opener.OpenEntry();
}

void EntryCommands::MainListChange()
{
    if (m_session.controls().list->firstSelectedRow() >= 0)
        showDescriptionOfFirstSelected();
}

void EntryCommands::MainListClick()
{
    MainList *list = m_session.controls().list;
    if (list->firstSelectedRow() < 0)
        return;
    showDescriptionOfFirstSelected();
    if (m_oneClickCheck && m_oneClickCheck->isChecked())
        m_opener.OpenEntry();
}

void EntryCommands::MainListExit()
{
    m_session.UpdateFileCounts();
}

void EntryCommands::MainListMouseUp()
{
    m_session.UpdateFileCounts();
}

void EntryCommands::addEntries(std::vector<MFile> files)
{
    if (files.empty())
        return;
    const MFile last = files.back();
    if (!m_session.applyToShownFolder(EntryChange::adding(QList<MFile>(files.begin(), files.end())),
                                      entriesStepName(QStringLiteral("Add"), qsizetype(files.size()))))
        return;
    // The last of equal records is the one just added: adds go after equal entries.
    const EntryListModel &model = m_session.model();
    for (int row = model.count() - 1; row >= 0; --row)
        if (model.rowAt(row).file == last) {
            m_session.controls().list->scrollToRow(row);
            break;
        }
}

int EntryCommands::rowOfRecord(const MFile &file) const
{
    const EntryListModel &model = m_session.model();
    for (int row = 0; row < model.count(); ++row)
        if (model.rowAt(row).file == file)
            return row;
    return -1;
}

void EntryCommands::showDescriptionOfFirstSelected()
{
    const int row = m_session.controls().list->firstSelectedRow();
    m_session.showDescription(m_session.model().rowAt(row).file);
}
