// SPDX-License-Identifier: GPL-3.0-or-later
// Builds small and large catalogs in a temporary work directory for the catalog-wide
// commands' tests: the tree files through the catalog's own writer, contents files per folder.
#pragma once

#include "catalogentries.h"
#include "catalogpaths.h"
#include "contentsfile.h"
#include "foldertree.h"

#include <QTest>

#include <random>

class CatalogBuilder
{
public:
    explicit CatalogBuilder(const QString &workDir)
        : paths(CatalogPaths::forWorkDirectory(workDir))
    {}

    // Adds a folder at level with the given entries; without a record when entries is null.
    void addFolder(int level, const QByteArray &name, const QList<MFile> *entries)
    {
        FolderRecord folder{level, name, std::nullopt};
        if (entries) {
            folder.Record = MTree{"cat" + QByteArray::number(folders.size()) + ".lsf"};
            QVERIFY(
                writeContentsFile(paths.ContentsFilePath(*folder.Record).value(), serializeContents(*entries))
                    .ok);
        }
        folders.append(folder);
    }
    void addFolder(int level, const QByteArray &name, const QList<MFile> &entries)
    {
        addFolder(level, name, &entries);
    }

    void save() { QVERIFY(saveFolderTree(paths, folders).ok); }

    QList<CatalogFolder> catalog() const { return catalogFolders(folders, TextEncoding()); }

    QList<MFile> contents(int folder) const
    {
        return readContentsFile(paths.ContentsFilePath(*folders[folder].Record).value()).entries;
    }

    CatalogPaths paths;
    QList<FolderRecord> folders;
};

// Entries of the kinds a catalog holds: file paths in nested folders, web links, some with a
// description, a few with non-ASCII names. The same seed gives the same entries.
inline QList<MFile> generatedEntries(int count, unsigned seed)
{
    static const char *const words[] = {"report", "Invoice", "holiday", "Recipe", "manual", "notes",
                                        "Budget", "photo",   "letter",  "backup", "éTé",    "Straße"};
    std::mt19937 random(seed);
    const auto word = [&] { return QByteArray(words[random() % std::size(words)]); };
    QList<MFile> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        MFile file;
        if (random() % 3 == 0) {
            file.Kind = MFile::UrlKind;
            file.Path = "https://www." + word() + QByteArray::number(random() % 500) + ".example/" + word();
        } else {
            file.Path = "/home/user/" + word() + '/' + word() + '-' + QByteArray::number(i) + ".pdf";
        }
        if (random() % 10 < 3)
            file.Description = "About the " + word() + "\r\nsecond line " + word();
        entries.append(file);
    }
    return entries;
}
