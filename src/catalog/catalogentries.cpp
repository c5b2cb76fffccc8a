// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogentries.h"

#include "contentsfile.h"

QList<CatalogFolder> catalogFolders(const QList<FolderRecord> &folders, const TextEncoding &encoding)
{
    QList<CatalogFolder> result;
    QStringList names; // the names of the current folder's ancestors and its own, by level
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const FolderRecord &folder = folders[i];
        names.resize(std::min<qsizetype>(folder.Level, names.size()));
        names.append(encoding.decode(folder.Name));
        if (folder.Record)
            result.append({int(i), names.join(u'/'), folder.Record->FileName});
    }
    return result;
}

QList<FolderEntries> readCatalogEntries(const CatalogPaths &paths, const QList<CatalogFolder> &folders,
                                        const std::atomic<bool> *cancel)
{
    QList<FolderEntries> result;
    result.reserve(folders.size());
    for (const CatalogFolder &folder : folders) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        result.append({folder, readFolderContents(paths, MTree{folder.contentsFileName}).entries});
    }
    return result;
}
