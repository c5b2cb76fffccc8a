// SPDX-License-Identifier: GPL-3.0-or-later
// Import writes every new contents file before a single folder appears in the tree, and the
// tree files are then written by the selection of the new folder, as for any new folder.
#include "bookmarkcommands.h"

#include "bookmarkimport.h"
#include "bookmarkmapping.h"
#include "bookmarkprograms.h"
#include "catalogbookmarks.h"
#include "catalogsession.h"
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "folderitem.h"
#include "interaction.h"
#include "lastfolder.h"
#include "levelparents.h"
#include "maintree.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <memory>
#include <utility>
#include <vector>

namespace {

// What opening the entry would run, under the folders that hold it.
QString programLine(const BookmarkWithProgram &found)
{
    QStringList where;
    for (const QByteArray &folder : found.folders)
        where.append(textFromBytes(folder));
    const QString description = textFromBytes(found.entry.Description);
    where.append(description.left(description.indexOf(u'\r')));
    return where.join(QStringLiteral(" / ")) + QStringLiteral(": ") + textFromBytes(found.entry.Program) +
           u' ' + textFromBytes(found.entry.Path);
}

QString programQuestion(const QString &name, const QList<BookmarkWithProgram> &found)
{
    constexpr qsizetype Shown = 10;
    constexpr qsizetype LineLength = 120;
    QStringList lines;
    for (qsizetype i = 0; i < std::min(found.size(), Shown); ++i) {
        const QString line = programLine(found[i]);
        lines.append(line.size() > LineLength ? line.left(LineLength - 1) + u'\u2026' : line);
    }
    if (found.size() > Shown)
        lines.append(QStringLiteral("and %1 more (see the details)").arg(found.size() - Shown));
    return QStringLiteral(
               "A bookmark that names a program runs that program when it is opened, and a bookmark "
               "file can name any command. Bookmarks in \"%1\" that name a program: %2\n\n%3\n\n"
               "Keep their programs? With No, these bookmarks are imported without them.")
        .arg(name, QString::number(found.size()), lines.join(u'\n'));
}

QString programList(const QList<BookmarkWithProgram> &found)
{
    QStringList lines;
    for (const BookmarkWithProgram &entry : found)
        lines.append(programLine(entry));
    return lines.join(u'\n');
}

} // namespace

BookmarkCommands::BookmarkCommands(CatalogSession &session, FileChooser chooser)
    : m_session(session)
    , m_chooser(std::move(chooser))
{}

void BookmarkCommands::importBookmarksClick()
{
    const QString path = m_chooser(FileRole::Import);
    if (!path.isEmpty())
        importBookmarks(path);
}

void BookmarkCommands::exportBookmarksClick()
{
    const QString path = m_chooser(FileRole::Export);
    if (!path.isEmpty())
        exportBookmarks(path, nullptr);
}

void BookmarkCommands::exportFolderBookmarksClick()
{
    FolderItem *folder = m_session.controls().tree->selectedFolder();
    if (!folder) {
        m_session.interaction().showMessage(QStringLiteral("Select the folder to export first."));
        return;
    }
    const QString path = m_chooser(FileRole::Export);
    if (!path.isEmpty())
        exportBookmarks(path, folder);
}

FolderItem *BookmarkCommands::importBookmarks(const QString &path, Programs programs)
{
    if (!m_session.treeTakesChanges())
        return nullptr;
    const BookmarkReadResult read = readBookmarkFile(path);
    const ImportSource source{QDir::toNativeSeparators(path), QFileInfo(path).fileName(),
                              importFolderName(path)};
    if (!read) {
        refuseImport(source, read.error);
        return nullptr;
    }
    return importBookmarkTree(*read.root, source, programs);
}

void BookmarkCommands::refuseImport(const ImportSource &source, const QString &why)
{
    m_session.interaction().showMessage(
        QStringLiteral("The bookmarks of \"%1\" were not imported.\n%2").arg(source.where, why));
}

FolderItem *BookmarkCommands::importBookmarkTree(BookmarkFolder imported, const ImportSource &source,
                                                 Programs programs)
{
    if (!m_session.treeTakesChanges())
        return nullptr;
    MainTree *tree = m_session.controls().tree;
    const QList<QByteArray> taken = tree->contentsFileNames();
    const QList<BookmarkWithProgram> withPrograms = bookmarksWithPrograms(imported);
    const bool dropPrograms = !withPrograms.isEmpty() && !keepPrograms(source.name, withPrograms, programs);
    if (dropPrograms)
        imported = withoutPrograms(std::move(imported));
    int replaced = 0;
    const TextEncoding &encoding = m_session.choices().textEncoding();
    imported = bookmarkTreeForCatalog(std::move(imported), encoding, replaced);
    const QByteArray topName = encoding.encodeWithReferences(source.topFolder, replaced);
    const BookmarkPlanResult planned = planBookmarkImport(m_session.paths(), taken, imported, topName);
    if (!planned.plan) {
        refuseImport(source, planned.error);
        return nullptr;
    }
    const SaveResult written = writeBookmarkImport(*planned.plan);
    if (!written) {
        refuseImport(source, written.errorString);
        return nullptr;
    }

    // The plan lists the folders in pre-order; the stack holds the new folder's ancestors.
    // Each is added as a change of its own, which the write applies to the tree files as
    // they are on disk: folders added or renamed elsewhere meanwhile stay.
    LevelParents<std::pair<FolderItem *, FolderRef>> ancestors;
    QList<FolderChange> changes;
    {
        const QSignalBlocker blocker(tree); // written below, with the changes
        for (const FolderRecord &record : planned.plan->folders) {
            const auto [parent, parentRef] = ancestors.parentAt(record.Level);
            changes.append(FolderChange::adding(parentRef, record.Name, *record.Record));
            FolderItem *item = tree->appendFolder(parent, record.Name, record.Record);
            ancestors.place({item, FolderRef{record.Record, FolderPath(parentRef.path) << record.Name}});
        }
    }
    m_session.SaveFolderTree(changes);
    // The tree may have been read again around the changes: the new folder is found by its file.
    FolderItem *top = nullptr;
    for (FolderItem *folder : tree->foldersInPreOrder())
        if (folder->record == planned.plan->folders.constFirst().Record)
            top = folder;
    if (!top)
        return nullptr;
    tree->setCurrentItem(top); // the selection events show its entries and write the tree files
    tree->scrollToItem(top);
    // Undone as the deletion of the imported folders: their files are kept for a redo.
    CatalogEdit undo;
    for (const FolderRecord &record : planned.plan->folders)
        if (record.Level == 0)
            undo.folders.append(FolderChange::removing({record.Record, {record.Name}}));
    m_session.history().record(QStringLiteral("Import bookmarks"), undo);
    m_session.UpdateFileCounts();
    if (dropPrograms && programs == Programs::Drop)
        m_session.interaction().showMessage(
            QStringLiteral("Bookmarks in \"%1\" that named a program: %2. They were imported without their "
                           "programs; import with --keep-programs to keep them.")
                .arg(source.name, QString::number(withPrograms.size())));
    if (replaced > 0)
        m_session.interaction().showMessage(
            QStringLiteral(
                "%1 character(s) of the bookmarks in \"%2\" cannot be stored in this catalog's text "
                "encoding, %3: each was kept as a numeric reference such as \"&#1046;\".")
                .arg(QString::number(replaced), source.name, encoding.name()));
    return top;
}

bool BookmarkCommands::keepPrograms(const QString &name, const QList<BookmarkWithProgram> &found,
                                    Programs programs)
{
    switch (programs) {
    case Programs::Keep:
        return true;
    case Programs::Drop:
        return false;
    case Programs::Ask:
        break;
    }
    return m_session.interaction().confirmRisk(programQuestion(name, found), programList(found));
}

bool BookmarkCommands::exportBookmarks(const QString &path, FolderItem *folder)
{
    MainTree *tree = m_session.controls().tree;
    const QList<FolderItem *> items = tree->foldersInPreOrder();
    std::optional<qsizetype> first;
    if (folder)
        first = items.indexOf(folder);
    // The list is what the user sees of the selected folder, even when its last save failed.
    const FolderItem *shown = tree->selectedFolder();
    const BookmarkFolder root = bookmarkTreeOfFolders(tree->toRecords(), first, [&](const MTree &record) {
        if (shown && shown->record == record)
            return parseContents(m_session.model().serialized()).entries;
        return readFolderContents(m_session.paths(), record).entries;
    });
    const CatalogChoices &choices = m_session.choices();
    const SaveResult written = exportBookmarkFile(
        path, bookmarkTreeForExport(root, choices.textEncoding(), [&choices](const QByteArray &stored) {
            return choices.systemPath(stored);
        }));
    if (!written)
        m_session.interaction().showMessage(
            QStringLiteral("The bookmarks were not exported.\n%1").arg(written.errorString));
    return written.ok;
}

BookmarkCommands::FileChooser BookmarkCommands::dialogChooser(QWidget *parent)
{
    auto lastDir = std::make_shared<LastFolder>(QDir::homePath());
    return [parent, lastDir](FileRole role) {
        const QString html = QStringLiteral("Bookmarks HTML (*.html *.htm)");
        const QString xbel = QStringLiteral("XBEL bookmarks (*.xbel *.xml)");
        QString path;
        if (role == FileRole::Import) {
            path = QFileDialog::getOpenFileName(
                parent, QStringLiteral("Import bookmarks"), lastDir->path(),
                QStringLiteral("Bookmark files (*.html *.htm *.xbel *.xml);;%1;;%2;;All files (*)")
                    .arg(html, xbel));
        } else {
            QString filter = html;
            path =
                QFileDialog::getSaveFileName(parent, QStringLiteral("Export bookmarks"),
                                             QDir(lastDir->path()).filePath(QStringLiteral("bookmarks.html")),
                                             html + QStringLiteral(";;") + xbel, &filter);
            if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
                path += filter == xbel ? QStringLiteral(".xbel") : QStringLiteral(".html");
        }
        if (!path.isEmpty())
            lastDir->rememberFolderOf(path);
        return path;
    };
}
