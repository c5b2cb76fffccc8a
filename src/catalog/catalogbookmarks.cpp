// SPDX-License-Identifier: GPL-3.0-or-later
// Export reads contents files; import writes all new contents files before the tree files
// name them, so that a failure leaves at worst unnamed files, never a folder without its file.
#include "catalogbookmarks.h"

#include "bookmarkexport.h"
#include "bookmarkimport.h"
#include "contentsfile.h"
#include "contentsnames.h"
#include "filewriter.h"
#include "foldername.h"

#include <QFileInfo>

#include <limits>
#include <vector>

BookmarkFolder bookmarkTreeOfFolders(const QList<FolderRecord> &folders, std::optional<qsizetype> first,
                                     const std::function<QList<MFile>(const MTree &)> &entriesOf)
{
    BookmarkFolder root;
    qsizetype begin = 0;
    qsizetype end = folders.size();
    if (first) {
        if (*first < 0 || *first >= folders.size())
            return root;
        begin = *first;
        end = begin + 1;
        while (end < folders.size() && folders[end].Level > folders[begin].Level)
            ++end;
    }
    // Ancestors of the folder being added, with their levels; a pointer stays valid because
    // a folder's list of subfolders grows only while no deeper folder is on the stack.
    std::vector<std::pair<BookmarkFolder *, int>> stack{{&root, std::numeric_limits<int>::min()}};
    for (qsizetype i = begin; i < end; ++i) {
        const FolderRecord &record = folders[i];
        while (stack.size() > 1 && stack.back().second >= record.Level)
            stack.pop_back();
        BookmarkFolder &parent = *stack.back().first;
        BookmarkFolder folder{record.Name, record.Record ? entriesOf(*record.Record) : QList<MFile>(), {}};
        parent.subfolders.append(std::move(folder));
        stack.emplace_back(&parent.subfolders.last(), record.Level);
    }
    return root;
}

BookmarkFolder catalogBookmarkTree(const CatalogPaths &paths, const QList<FolderRecord> &folders,
                                   std::optional<qsizetype> first)
{
    return bookmarkTreeOfFolders(
        folders, first, [&paths](const MTree &record) { return readFolderContents(paths, record).entries; });
}

SaveResult exportBookmarkFile(const QString &path, const BookmarkFolder &root)
{
    return writeFileAtomically(path, writeBookmarks(bookmarkFormatForFileName(path), root));
}

namespace {

qsizetype folderCount(const BookmarkFolder &folder)
{
    qsizetype count = 1;
    for (const BookmarkFolder &sub : folder.subfolders)
        count += folderCount(sub);
    return count;
}

class ImportPlanner
{
public:
    ImportPlanner(const CatalogPaths &paths, QList<QByteArray> taken)
        : m_paths(paths)
        , m_taken(std::move(taken))
    {}

    void add(const BookmarkFolder &folder, const QByteArray &name, int level)
    {
        // Names were checked to suffice before the first call.
        const QByteArray fileName = *firstFreeContentsName(m_taken);
        m_taken.append(fileName);
        m_plan.folders.append(FolderRecord{level, name, MTree{fileName}, false, false});
        m_plan.contentsFiles.append(PendingFile{m_paths.ContentsFilePath(MTree{fileName}).value(),
                                                serializeContents(folder.entries)});
        m_plan.entryCount += folder.entries.size();
        for (const BookmarkFolder &sub : folder.subfolders)
            add(sub, sub.name, level + 1);
    }

    BookmarkImportPlan take() { return std::move(m_plan); }

private:
    const CatalogPaths &m_paths;
    QList<QByteArray> m_taken;
    BookmarkImportPlan m_plan;
};

} // namespace

BookmarkPlanResult planBookmarkImport(const CatalogPaths &paths, const QList<QByteArray> &takenNames,
                                      const BookmarkFolder &imported, const QByteArray &topName)
{
    BookmarkPlanResult result;
    const qsizetype needed = folderCount(imported);
    // Only the names a new folder could get count; the tree may hold others.
    const QList<QByteArray> taken = takenContentsNames(paths.WorkDirectory, takenNames);
    QList<QByteArray> takenCandidates;
    for (int n = 0; n < MaxContentsFiles; ++n) {
        const QByteArray name = QByteArrayLiteral("cat") + QByteArray::number(n) + QByteArrayLiteral(".lsf");
        if (!IsContentsNameFree(taken, name))
            takenCandidates.append(name);
    }
    const qsizetype free = MaxContentsFiles - takenCandidates.size();
    if (needed > free) {
        result.error =
            QStringLiteral("The bookmarks need %1 new folders, but the catalog has room for only %2 more "
                           "(it keeps at most %3 folders). Nothing was imported.")
                .arg(needed)
                .arg(free)
                .arg(MaxContentsFiles);
        return result;
    }
    ImportPlanner planner(paths, takenCandidates);
    planner.add(imported, topName, 0);
    result.plan = planner.take();
    return result;
}

// The new files take names that no folder holds, so when the unit fails part-way (a rename
// refused after others were done) they are removed again: no half import is left behind
// for a later save to finish.
SaveResult writeBookmarkImport(const BookmarkImportPlan &plan)
{
    const SaveResult written = writeFilesAtomically(plan.contentsFiles);
    if (!written) {
        FileWriter &writer = FileWriter::current();
        for (const PendingFile &file : plan.contentsFiles) {
            writer.remove(stagingPath(file.path));
            writer.remove(file.path);
        }
    }
    return written;
}

QString importFolderName(const QString &path)
{
    // A file's name may hold line breaks and tabs as well as any folder title.
    const QString name = folderNameFromText(QFileInfo(path).completeBaseName());
    return name.isEmpty() ? QStringLiteral("Imported bookmarks") : name;
}

CatalogImportResult importBookmarksIntoCatalog(const CatalogPaths &paths, const QString &bookmarkFile,
                                               ImportedPrograms programs)
{
    CatalogImportResult result;
    const BookmarkReadResult read = readBookmarkFile(bookmarkFile);
    if (!read) {
        result.error = read.error;
        return result;
    }
    FolderTreeLoad tree = loadFolderTree(paths);
    if (tree.status == FolderTreeLoad::TreeFileMissing || tree.status == FolderTreeLoad::TreeFileUnreadable) {
        result.error = QStringLiteral("The catalog's folder tree file cannot be read.");
        return result;
    }
    if (tree.status != FolderTreeLoad::Loaded) {
        result.error = tree.errorMessage;
        return result;
    }
    // Saving would write the index without the lines it refused, with no copy of them kept.
    if (tree.refusedRecords) {
        result.error = QStringLiteral("The catalog's folder index names files outside its folder.");
        return result;
    }
    // Tree files that disagree may be half-way through a sync tool's delivery: written over
    // now, what has arrived would be lost, and the rest would arrive beside a tree it no longer fits.
    if (tree.countsDiffer || !tree.unreadableFiles.isEmpty() ||
        (!tree.indexRead && !tree.folders.isEmpty())) {
        result.error = QStringLiteral("The catalog's folder tree files do not agree with each other (a sync "
                                      "may still be delivering them). Try again once they have arrived.");
        return result;
    }
    QList<QByteArray> taken;
    for (const FolderRecord &folder : std::as_const(tree.folders))
        if (folder.Record)
            taken.append(folder.Record->FileName);
    BookmarkFolder imported = *read.root;
    if (programs == ImportedPrograms::Drop) {
        result.programsDropped = bookmarksWithPrograms(imported).size();
        imported = withoutPrograms(std::move(imported));
    }
    const BookmarkPlanResult planned =
        planBookmarkImport(paths, taken, imported, importFolderName(bookmarkFile).toLocal8Bit());
    if (!planned.plan) {
        result.error = planned.error;
        return result;
    }
    const SaveResult written = writeBookmarkImport(*planned.plan);
    if (!written) {
        result.error = written.errorString;
        return result;
    }
    tree.folders.append(planned.plan->folders);
    const SaveResult saved = saveFolderTree(paths, tree.folders);
    if (!saved) {
        result.error = saved.errorString;
        return result;
    }
    result.ok = true;
    result.entryCount = planned.plan->entryCount;
    result.folderCount = planned.plan->folders.size();
    return result;
}

BookmarkFolder bookmarkTreeForExport(BookmarkFolder root, const TextEncoding &encoding,
                                     const std::function<QByteArray(const QByteArray &)> &systemPath)
{
    const auto utf8 = [&encoding](const QByteArray &text) {
        return encoding.isUtf8() ? text : encoding.decode(text).toUtf8();
    };
    root.name = utf8(root.name);
    for (MFile &entry : root.entries) {
        entry.Path = entry.isUrl() ? utf8(entry.Path) : systemPath(entry.Path);
        entry.Program = utf8(entry.Program);
        entry.Description = utf8(entry.Description);
    }
    for (BookmarkFolder &sub : root.subfolders)
        sub = bookmarkTreeForExport(std::move(sub), encoding, systemPath);
    return root;
}

BookmarkFolder bookmarkTreeForCatalog(BookmarkFolder root, const TextEncoding &encoding, int &replaced)
{
    if (encoding.isUtf8())
        return root;
    const auto encoded = [&](const QByteArray &utf8) {
        return encoding.encodeWithReferences(QString::fromUtf8(utf8), replaced);
    };
    root.name = encoded(root.name);
    for (MFile &entry : root.entries) {
        if (entry.isUrl())
            entry.Path = encoded(entry.Path);
        entry.Program = encoded(entry.Program);
        entry.Description = encoded(entry.Description);
    }
    for (BookmarkFolder &sub : root.subfolders)
        sub = bookmarkTreeForCatalog(std::move(sub), encoding, replaced);
    return root;
}
