// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderchange.h"

namespace {

// One past the last folder of the subtree that starts at index.
qsizetype subtreeEnd(const QList<FolderRecord> &folders, qsizetype index)
{
    qsizetype end = index + 1;
    while (end < folders.size() && folders[end].Level > folders[index].Level)
        ++end;
    return end;
}

} // namespace

FolderChange FolderChange::inverted() const
{
    switch (kind) {
    case Add:
        return removing({record, FolderPath(folder.path) << name});
    case Rename: {
        FolderPath renamed = folder.path;
        const QByteArray oldName = renamed.isEmpty() ? QByteArray() : renamed.takeLast();
        return renaming({folder.record, renamed << name}, oldName);
    }
    case Remove: {
        // The parent is known by its path alone; an empty path is the top level.
        const FolderPath parent = folder.path.mid(0, folder.path.size() - 1);
        return {Add, {std::nullopt, parent}, folder.path.value(folder.path.size() - 1), folder.record};
    }
    }
    return *this;
}

qsizetype findFolder(const QList<FolderRecord> &folders, const FolderRef &ref)
{
    if (ref.record) {
        for (qsizetype i = 0; i < folders.size(); ++i)
            if (folders[i].Record == ref.record)
                return i;
        return -1; // the record is what names it: a folder of the same path is another one
    }
    if (ref.path.isEmpty())
        return -1;
    const QList<FolderPath> paths = folderPaths(folders);
    return paths.indexOf(ref.path);
}

FolderRef folderRefAt(const QList<FolderRecord> &folders, qsizetype index)
{
    return {folders[index].Record, folderPaths(folders.mid(0, index + 1)).constLast()};
}

FolderChangeOutcome applyFolderChange(QList<FolderRecord> &folders, const FolderChange &change)
{
    FolderChangeOutcome outcome;
    const qsizetype at = findFolder(folders, change.folder);
    switch (change.kind) {
    case FolderChange::Add: {
        const bool topLevel = !change.folder.record && change.folder.path.isEmpty();
        outcome.applied = topLevel || at >= 0;
        const qsizetype insertAt = at >= 0 ? subtreeEnd(folders, at) : folders.size();
        const int level = at >= 0 ? folders[at].Level + 1 : 0;
        folders.insert(insertAt, FolderRecord{level, change.name, change.record});
        outcome.at = insertAt;
        break;
    }
    case FolderChange::Rename:
        outcome.applied = at >= 0;
        if (at >= 0) {
            folders[at].Name = change.name;
            outcome.at = at;
        }
        break;
    case FolderChange::Remove:
        outcome.applied = at >= 0;
        if (at >= 0) {
            const qsizetype end = subtreeEnd(folders, at);
            outcome.removed = folders.mid(at, end - at);
            folders.remove(at, end - at);
        }
        break;
    }
    return outcome;
}
