// SPDX-License-Identifier: GPL-3.0-or-later
#include "conflictmerge.h"

#include "catalogsession.h"
#include "conflictcopies.h"
#include "contentsfile.h"
#include "folderitem.h"
#include "interaction.h"
#include "maintree.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

const QString MergedFolder = QStringLiteral("merged");

// The copy's entries that the catalog's file does not hold, as many times as the copy holds
// them more often. Conflict copies are rare and small: a scan per entry is enough.
QList<MFile> entriesMissing(QList<MFile> held, const QList<MFile> &copy)
{
    QList<MFile> missing;
    for (const MFile &file : copy) {
        if (const qsizetype at = held.indexOf(file); at >= 0)
            held.removeAt(at);
        else
            missing.append(file);
    }
    return missing;
}

bool moveAside(const QString &workDirectory, const QString &name)
{
    QDir dir(workDirectory);
    return dir.mkpath(MergedFolder) &&
           QFile::rename(dir.filePath(name), dir.filePath(MergedFolder + u'/' + name));
}

QString folderCaption(const CatalogSession &session, const QString &contentsFileName)
{
    for (const FolderItem *folder : session.controls().tree->foldersInPreOrder())
        if (folder->record && folder->record->FileName == QFile::encodeName(contentsFileName))
            return folder->text(0);
    return contentsFileName;
}

// Adds the entries to a folder's file as it is now: through the list when it is shown.
bool addEntries(CatalogSession &session, const QString &path, const QList<MFile> &entries)
{
    if (session.shownContentsFile() == path)
        return session.applyToShownFolder(EntryChange::adding(entries));
    const ContentsReadResult fresh = readContentsFile(path);
    if (!fresh.readError.isEmpty() || fresh.damaged || fresh.textsCut)
        return false; // left for the user, with the copy
    return writeContentsFile(
               path, serializeContents(applyEntryChange(fresh.entries, EntryChange::adding(entries)).entries))
        .ok;
}

// The tree item at a path of names; null for the top level or when there is none.
FolderItem *folderAt(MainTree &tree, const FolderPath &path)
{
    FolderItem *found = nullptr;
    for (const QByteArray &name : path) {
        FolderItem *next = nullptr;
        const int count = found ? found->childCount() : tree.topLevelItemCount();
        for (int i = 0; i < count && !next; ++i) {
            auto *child = static_cast<FolderItem *>(found ? found->child(i) : tree.topLevelItem(i));
            if (child->nameBytes() == name)
                next = child;
        }
        if (!next)
            return nullptr;
        found = next;
    }
    return found;
}

// The folders of a tree file's copy that the tree lacks, by path of names, with the contents
// files its index copy names when that copy is there and the file is no other folder's.
int mergeTreeCopy(CatalogSession &session, const QString &copyPath, const QString &indexCopyPath)
{
    const std::optional<QByteArray> text = readWholeFile(copyPath);
    if (!text)
        return -1;
    QList<FolderRecord> theirs = parseTreeText(*text).folders;
    if (const std::optional<QByteArray> index = readWholeFile(indexCopyPath))
        applyIndexText(theirs, *index);
    MainTree &tree = *session.controls().tree;
    QList<QByteArray> held = tree.contentsFileNames();
    int added = 0;
    const QList<FolderPath> paths = folderPaths(theirs);
    for (qsizetype i = 0; i < theirs.size(); ++i) {
        if (folderAt(tree, paths[i]))
            continue;
        const FolderPath parentPath = paths[i].mid(0, paths[i].size() - 1);
        FolderItem *parent = folderAt(tree, parentPath);
        std::optional<MTree> record = theirs[i].Record;
        // A folder of ours with its file is the same folder, renamed or moved on one side.
        if (record && held.contains(record->FileName))
            continue;
        if (record && (!session.paths().ContentsFilePath(*record) ||
                       !QFile::exists(*session.paths().ContentsFilePath(*record))))
            record.reset();
        if (record)
            held.append(record->FileName);
        const FolderRef parentRef = parent ? FolderRef{parent->record, parentPath} : FolderRef{};
        tree.appendFolder(parent, theirs[i].Name, record);
        session.SaveFolderTree(FolderChange{FolderChange::Add, parentRef, theirs[i].Name, record});
        ++added;
    }
    return added;
}

// An index copy without its tree copy names contents files but not their folders: a file it
// names that no folder holds would be lost with it, so each such file gets a top-level folder
// named after it.
int mergeIndexCopy(CatalogSession &session, const QString &copyPath)
{
    const std::optional<QByteArray> text = readWholeFile(copyPath);
    if (!text)
        return -1;
    QList<FolderRecord> named(countIndexLines(*text));
    applyIndexText(named, *text);
    MainTree &tree = *session.controls().tree;
    QList<QByteArray> held = tree.contentsFileNames();
    int added = 0;
    for (const FolderRecord &folder : std::as_const(named)) {
        if (!folder.Record || held.contains(folder.Record->FileName))
            continue;
        const std::optional<QString> path = session.paths().ContentsFilePath(*folder.Record);
        if (!path || !QFile::exists(*path))
            continue;
        held.append(folder.Record->FileName);
        const QByteArray name = QByteArrayLiteral("Recovered ") + folder.Record->FileName.chopped(4);
        tree.appendFolder(nullptr, name, folder.Record);
        session.SaveFolderTree(FolderChange::adding({}, name, *folder.Record));
        ++added;
    }
    return added;
}

} // namespace

int mergeConflictCopies(CatalogSession &session)
{
    const QString workDirectory = session.paths().WorkDirectory;
    if (workDirectory.isEmpty())
        return 0;
    QList<ConflictCopy> copies =
        conflictCopiesAmong(QDir(workDirectory).entryList(QDir::Files | QDir::Hidden | QDir::System));
    // Tree copies first: each reads the index copy beside it before that is moved aside.
    std::stable_partition(copies.begin(), copies.end(), [](const ConflictCopy &copy) {
        return copy.originalName == QLatin1String("tree.lsf");
    });
    QStringList merged;
    int movedAside = 0;
    for (const ConflictCopy &copy : copies) {
        const QString copyPath = workDirectory + u'/' + copy.fileName;
        if (copy.originalName == QLatin1String("tree.lsf")) {
            // The index copy that the same conflict left beside it, named the same way.
            const QString indexCopy = workDirectory + QStringLiteral("/i") + copy.fileName;
            const int folders = session.treeTakesChanges() ? mergeTreeCopy(session, copyPath, indexCopy) : -1;
            if (folders < 0)
                continue;
            if (folders > 0)
                merged.append(QStringLiteral("%1 folder(s) from %2").arg(folders).arg(copy.fileName));
            // Its index and state copies go with it; alone, they wait for it.
            for (const QString &sibling : {QStringLiteral("i"), QStringLiteral("e")})
                if (QFile::exists(workDirectory + u'/' + sibling + copy.fileName))
                    moveAside(workDirectory, sibling + copy.fileName);
        } else if (copy.originalName.startsWith(QLatin1String("cat"))) {
            const ContentsReadResult theirs = readContentsFile(copyPath);
            if (theirs.unreadable)
                continue;
            const QString path = workDirectory + u'/' + copy.originalName;
            const QList<MFile> missing = entriesMissing(readContentsFile(path).entries, theirs.entries);
            if (!missing.isEmpty()) {
                if (!addEntries(session, path, missing))
                    continue;
                merged.append(QStringLiteral("%1 entry(s) into the folder \"%2\" from %3")
                                  .arg(missing.size())
                                  .arg(folderCaption(session, copy.originalName), copy.fileName));
            }
        } else if (QFile::exists(workDirectory + u'/' + copy.fileName.mid(1))) {
            continue; // an index or state copy: read and moved with its tree copy
        } else if (copy.originalName == QLatin1String("itree.lsf")) {
            const int folders = session.treeTakesChanges() ? mergeIndexCopy(session, copyPath) : -1;
            if (folders < 0)
                continue;
            if (folders > 0)
                merged.append(QStringLiteral("%1 folder(s) from %2").arg(folders).arg(copy.fileName));
        } // a state copy alone holds only which folders were open: nothing to merge
        if (moveAside(workDirectory, copy.fileName))
            ++movedAside;
    }
    if (!merged.isEmpty())
        session.interaction().showMessage(
            QStringLiteral("A sync tool left conflicting copies of catalog files. Merged into the catalog: "
                           "%1.\nThe copies were moved into the folder \"%2\" of the catalog.")
                .arg(merged.join(QStringLiteral("; ")), MergedFolder));
    return movedAside;
}
