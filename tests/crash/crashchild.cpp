// SPDX-License-Identifier: GPL-3.0-or-later
// The process the crash test kills: it changes a catalog through the real write paths, one
// change after another, and tells its parent on stdout what it is about to write and when
// each write is done, so that the parent knows which versions a kill may leave.
// Usage: linkshelf_crashchild WORKDIR SEED
#include "atomicfile.h"
#include "catalogedit.h"
#include "catalogpaths.h"
#include "contentsfile.h"
#include "contentsnames.h"
#include "foldertree.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <random>

#include <unistd.h>

namespace {

// Straight to the pipe, unbuffered: a line is with the parent before the write it announces.
void tell(const QByteArray &line)
{
    const QByteArray out = line + '\n';
    for (qsizetype done = 0; done < out.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, out.constData() + done, size_t(out.size() - done));
        if (n <= 0)
            ::_exit(3);
        done += n;
    }
}

QByteArray hashOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

class Catalog
{
public:
    Catalog(const QString &workDir, quint32 seed)
        : m_paths(CatalogPaths::forWorkDirectory(workDir))
        , m_random(seed)
    {}

    // As the program starts: with the catalog to itself, it clears what killed writes left.
    void open()
    {
        removeAbandonedTemporaryFiles(m_paths.WorkDirectory);
        const FolderTreeLoad load = loadFolderTree(m_paths);
        // No tree file yet: a new catalog, which gets its first folder as the program's does.
        if (load.status == FolderTreeLoad::InvalidLevel)
            ::_exit(4);
        m_folders = load.folders;
        if (m_folders.isEmpty())
            createFolder(-1);
    }

    void changeSomething()
    {
        if (m_folders.isEmpty()) {
            createFolder(-1);
            return;
        }
        const int pick = below(100);
        if (pick < 40)
            changeEntries();
        else if (pick < 55)
            createFolder(below(3) == 0 ? -1 : below(int(m_folders.size())));
        else if (pick < 65 && m_folders.size() > 1)
            deleteFolder(below(int(m_folders.size())));
        else if (pick < 85)
            undoOrRedo();
        else
            moveSelection();
    }

private:
    int below(int n) { return int(m_random() % quint32(n)); }

    void writeContents(const MTree &record, const QByteArray &bytes)
    {
        tell("C " + record.FileName + ' ' + hashOf(bytes));
        if (!writeContentsFile(m_paths.ContentsFilePath(record).value(), bytes))
            ::_exit(5);
        tell("c " + record.FileName);
    }

    void saveTree()
    {
        const FolderTreeBytes bytes = serializeFolderTree(m_folders);
        tell("T " + hashOf(bytes.index) + ' ' + hashOf(bytes.tree) + ' ' + hashOf(bytes.state));
        if (!saveFolderTree(m_paths, m_folders))
            ::_exit(6);
        tell("t");
    }

    // Read, change, write back whole: what a command does to the selected folder.
    void changeEntries()
    {
        const FolderRecord &folder = m_folders[below(int(m_folders.size()))];
        if (!folder.Record)
            return;
        QList<MFile> entries = readContentsFile(m_paths.ContentsFilePath(*folder.Record).value()).entries;
        EntryChange change;
        if (entries.size() > 150 || (!entries.isEmpty() && below(4) == 0)) {
            change = EntryChange::removing({entries.takeAt(below(int(entries.size())))});
        } else {
            entries.append(MFile{
                below(2), "entry " + QByteArray::number(m_random()) + QByteArray(below(3000), 'p'),
                below(2) ? QByteArray() : QByteArrayLiteral("/usr/bin/prog"), QByteArray(below(500), 'd')});
            change = EntryChange::adding({entries.constLast()});
        }
        writeContents(*folder.Record, serializeContents(entries));
        done(entryEditUndoing({{*folder.Record, change}}));
    }

    // A command was done: edit takes it back.
    void done(CatalogEdit edit)
    {
        m_undo.append(std::move(edit));
        m_redo.clear();
    }

    bool named(const QList<FolderRecord> &folders, const MTree &record) const
    {
        return findFolder(folders, FolderRef{record, {}}) >= 0;
    }

    // Undo or redo, as the Edit menu does: every file the edit may write is announced with
    // the version it gets, then all are written, and the end is told.
    void undoOrRedo()
    {
        const bool redo = !m_redo.isEmpty() && (m_undo.isEmpty() || below(3) == 0);
        if (!redo && m_undo.isEmpty())
            return;
        const CatalogEdit edit = redo ? m_redo.takeLast() : m_undo.takeLast();
        announce(edit);
        const CatalogEditOutcome outcome = applyCatalogEdit(m_paths, edit);
        if (!outcome.saved)
            ::_exit(7);
        tell("g");
        (redo ? m_undo : m_redo).append(outcome.inverse);
        m_folders = loadFolderTree(m_paths).folders;
    }

    void announce(const CatalogEdit &edit)
    {
        QList<FolderRecord> folders = m_folders;
        for (const KeptContentsFile &kept : edit.files) {
            const QFileInfo file(m_paths.ContentsFilePath(kept.record).value());
            if (!named(folders, kept.record) && !file.exists())
                tell("G " + kept.record.FileName + ' ' + hashOf(kept.bytes));
        }
        const QList<MTree> removed = applyFolderEdit(m_paths, folders, edit).filesToRemove;
        if (!edit.folders.isEmpty()) {
            const FolderTreeBytes bytes = serializeFolderTree(folders);
            tell("GT " + hashOf(bytes.index) + ' ' + hashOf(bytes.tree) + ' ' + hashOf(bytes.state));
        }
        for (const MTree &record : removed)
            if (!named(folders, record))
                tell("G " + record.FileName + " -");
        for (const FolderEntryChange &entries : edit.entries)
            if (named(folders, entries.record)) {
                const QList<MFile> now =
                    readContentsFile(m_paths.ContentsFilePath(entries.record).value()).entries;
                tell("G " + entries.record.FileName + ' ' +
                     hashOf(serializeContents(applyEntryChange(now, entries.change).entries)));
            }
    }

    // As folder creation does: the new folder's empty file first, then the tree that names it.
    void createFolder(int parent)
    {
        QList<QByteArray> taken;
        for (const FolderRecord &folder : m_folders)
            if (folder.Record)
                taken.append(folder.Record->FileName);
        const std::optional<QByteArray> name = firstFreeContentsName(taken);
        if (!name)
            return;
        const MTree record{*name};
        const QByteArray folderName = "Folder " + QByteArray::number(m_random());
        const CatalogEdit undo =
            folderEditUndoing(m_paths, m_folders,
                              FolderChange::adding(parent >= 0 ? folderRefAt(m_folders, parent) : FolderRef{},
                                                   folderName, record));
        writeContents(record, emptyContents());
        qsizetype at = m_folders.size();
        int level = 0;
        if (parent >= 0) {
            level = m_folders[parent].Level + 1;
            at = subtreeEnd(parent);
            m_folders[parent].Expanded = true;
        }
        m_folders.insert(at, FolderRecord{level, folderName, record, false, false});
        select(at);
        saveTree();
        done(undo);
    }

    // As folder deletion does: the folder's own file goes, then the tree without the folder
    // and its subfolders.
    void deleteFolder(int index)
    {
        if (subtreeEnd(index) - index == m_folders.size())
            return; // the last folders stay, as a catalog with none has nowhere to put entries
        const CatalogEdit undo =
            folderEditUndoing(m_paths, m_folders, FolderChange::removing(folderRefAt(m_folders, index)));
        if (const std::optional<MTree> record = m_folders[index].Record) {
            tell("D " + record->FileName);
            QFile::remove(m_paths.ContentsFilePath(*record).value());
            tell("d " + record->FileName);
        }
        m_folders.remove(index, subtreeEnd(index) - index);
        if (!m_folders.isEmpty())
            select(std::min<qsizetype>(index, m_folders.size() - 1));
        saveTree();
        done(undo);
    }

    void moveSelection()
    {
        select(below(int(m_folders.size())));
        FolderRecord &folder = m_folders[below(int(m_folders.size()))];
        folder.Expanded = !folder.Expanded;
        saveTree();
    }

    qsizetype subtreeEnd(qsizetype index) const
    {
        qsizetype end = index + 1;
        while (end < m_folders.size() && m_folders[end].Level > m_folders[index].Level)
            ++end;
        return end;
    }

    void select(qsizetype index)
    {
        for (qsizetype i = 0; i < m_folders.size(); ++i)
            m_folders[i].Selected = i == index;
    }

    CatalogPaths m_paths;
    std::mt19937 m_random;
    QList<FolderRecord> m_folders;
    QList<CatalogEdit> m_undo, m_redo; // of this run: each kill ends a session
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    Catalog catalog(QFile::decodeName(argv[1]), quint32(std::strtoul(argv[2], nullptr, 10)));
    catalog.open();
    tell("ready");
    for (;;)
        catalog.changeSomething();
}
