// SPDX-License-Identifier: GPL-3.0-or-later
// The process the crash test kills: it changes a catalog through the real write paths, one
// change after another, and tells its parent on stdout what it is about to write and when
// each write is done, so that the parent knows which versions a kill may leave.
// Usage: linkshelf_crashchild WORKDIR SEED
#include "atomicfile.h"
#include "catalogpaths.h"
#include "contentsfile.h"
#include "contentsnames.h"
#include "foldertree.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>

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
        if (pick < 50)
            changeEntries();
        else if (pick < 65)
            createFolder(below(3) == 0 ? -1 : below(int(m_folders.size())));
        else if (pick < 75 && m_folders.size() > 1)
            deleteFolder(below(int(m_folders.size())));
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
        if (entries.size() > 150 || (!entries.isEmpty() && below(4) == 0))
            entries.removeAt(below(int(entries.size())));
        else
            entries.append(MFile{below(2), "entry " + QByteArray::number(m_random()) + QByteArray(below(3000), 'p'),
                                 below(2) ? QByteArray() : QByteArrayLiteral("/usr/bin/prog"),
                                 QByteArray(below(500), 'd')});
        writeContents(*folder.Record, serializeContents(entries));
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
        writeContents(record, emptyContents());
        qsizetype at = m_folders.size();
        int level = 0;
        if (parent >= 0) {
            level = m_folders[parent].Level + 1;
            at = subtreeEnd(parent);
            m_folders[parent].Expanded = true;
        }
        m_folders.insert(at, FolderRecord{level, "Folder " + QByteArray::number(m_random()), record, false, false});
        select(at);
        saveTree();
    }

    // As folder deletion does: the folder's own file goes, then the tree without the folder
    // and its subfolders.
    void deleteFolder(int index)
    {
        if (subtreeEnd(index) - index == m_folders.size())
            return; // the last folders stay, as a catalog with none has nowhere to put entries
        if (const std::optional<MTree> record = m_folders[index].Record) {
            tell("D " + record->FileName);
            QFile::remove(m_paths.ContentsFilePath(*record).value());
            tell("d " + record->FileName);
        }
        m_folders.remove(index, subtreeEnd(index) - index);
        if (!m_folders.isEmpty())
            select(std::min<qsizetype>(index, m_folders.size() - 1));
        saveTree();
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
