// SPDX-License-Identifier: GPL-3.0-or-later
// The other machine of the two-writer test: at each line "go" on stdin it changes the catalog
// once, as a copy of Linkshelf elsewhere would through a sync tool (each file written beside
// and renamed over), and tells on stdout what it did, one line: "add FILE PATH",
// "delete FILE PATH", "folder NAME" or "none".
// Usage: linkshelf_outsidewriterchild WORKDIR SEED
#include "catalogpaths.h"
#include "contentsfile.h"
#include "foldertree.h"
#include "outsidewriter.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <iostream>
#include <random>
#include <string>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class OtherMachine
{
public:
    OtherMachine(const QString &workDir, unsigned seed)
        : m_paths(CatalogPaths::forWorkDirectory(workDir))
        , m_random(seed)
    {}

    QByteArray round(int number)
    {
        switch (m_random() % 4) {
        case 0:
            return addEntry("cat0.lsf", number);
        case 1:
            return deleteEntry("cat0.lsf");
        case 2:
            return addEntry("cat1.lsf", number);
        default:
            return addFolder(number);
        }
    }

private:
    QString file(const QByteArray &name) const { return m_paths.ContentsFilePath(MTree{name}).value(); }

    QByteArray addEntry(const QByteArray &name, int number)
    {
        QList<MFile> entries = parseContents(readAll(file(name))).entries;
        const QByteArray path = "https://other" + QByteArray::number(number) + ".example/";
        entries.append(MFile{MFile::UrlKind, path, {}, {}});
        replaceFileFromOutside(file(name), serializeContents(entries));
        return "add " + name + ' ' + path;
    }

    QByteArray deleteEntry(const QByteArray &name)
    {
        QList<MFile> entries = parseContents(readAll(file(name))).entries;
        if (entries.isEmpty())
            return "none";
        const MFile gone = entries.takeAt(qsizetype(m_random() % entries.size()));
        replaceFileFromOutside(file(name), serializeContents(entries));
        return "delete " + name + ' ' + gone.Path;
    }

    // The index first, then the names, then the states, as three separate renames: the
    // window meets the files out of step in between.
    QByteArray addFolder(int number)
    {
        FolderTreeLoad load = loadFolderTree(m_paths);
        const QByteArray name = "Other" + QByteArray::number(number);
        const QByteArray contents = "cat" + QByteArray::number(500 + number) + ".lsf";
        replaceFileFromOutside(file(contents), emptyContents());
        load.folders.append(FolderRecord{0, name, MTree{contents}});
        const FolderTreeBytes bytes = serializeFolderTree(load.folders);
        replaceFileFromOutside(m_paths.ITreeFilePath, bytes.index);
        replaceFileFromOutside(m_paths.TreeFilePath, bytes.tree);
        replaceFileFromOutside(m_paths.ETreeFilePath, bytes.state);
        return "folder " + name;
    }

    CatalogPaths m_paths;
    std::mt19937 m_random;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    OtherMachine other(QString::fromLocal8Bit(argv[1]), unsigned(std::stoul(argv[2])));
    std::string line;
    for (int number = 0; std::getline(std::cin, line) && line == "go"; ++number) {
        const QByteArray done = other.round(number) + '\n';
        std::fwrite(done.constData(), 1, size_t(done.size()), stdout);
        std::fflush(stdout);
    }
    return 0;
}
