// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryremoval.h"

#include "atomicfile.h"
#include "contentsfile.h"

#include <QMap>

#include <algorithm>
#include <vector>

QList<qsizetype> positionsToRemove(const QList<MFile> &entries, const QList<std::pair<int, MFile>> &wanted,
                                   QList<qsizetype> *missing)
{
    std::vector<bool> taken(size_t(entries.size()), false);
    QList<qsizetype> positions;
    QList<qsizetype> left; // wanted records whose recorded position no longer holds them
    // Recorded positions first, so that a record found elsewhere never takes another's place.
    for (qsizetype w = 0; w < wanted.size(); ++w) {
        const auto &[at, file] = wanted[w];
        if (at >= 0 && at < entries.size() && !taken[size_t(at)] && entries[at] == file) {
            taken[size_t(at)] = true;
            positions.append(at);
        } else {
            left.append(w);
        }
    }
    for (qsizetype w : left) {
        const MFile &file = wanted[w].second;
        qsizetype i = 0;
        while (i < entries.size() && (taken[size_t(i)] || !(entries[i] == file)))
            ++i;
        if (i < entries.size()) {
            taken[size_t(i)] = true;
            positions.append(i);
        } else if (missing) {
            missing->append(w);
        }
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

EntryRemovalResult removeCatalogEntries(const CatalogPaths &paths, const QList<CatalogEntryRef> &entries,
                                        const EntryRemovalHooks &hooks)
{
    EntryRemovalResult result;
    QMap<QByteArray, QList<CatalogEntryRef>> byFile; // sorted, so files are written in a fixed order
    for (const CatalogEntryRef &ref : entries)
        byFile[ref.contentsFileName].append(ref);

    QList<PendingFile> pending;
    QList<FolderEntryChange> removed;
    int removedFromFiles = 0;
    QList<CatalogEntryRef> shown;
    for (auto it = byFile.cbegin(); it != byFile.cend(); ++it) {
        if (!hooks.shownContentsFileName.isEmpty() && it.key() == hooks.shownContentsFileName &&
            hooks.removeFromShown) {
            shown = it.value();
            continue;
        }
        ContentsReadResult read = readFolderContents(paths, MTree{it.key()});
        QList<std::pair<int, MFile>> wanted;
        for (const CatalogEntryRef &ref : it.value())
            wanted.append({ref.entryIndex, ref.file});
        QList<qsizetype> missing;
        const QList<qsizetype> positions = positionsToRemove(read.entries, wanted, &missing);
        for (qsizetype w : missing)
            result.notFound.append(it.value()[w]);
        if (positions.isEmpty())
            continue;
        const QString path = paths.ContentsFilePath(MTree{it.key()}).value(); // it was read
        if ((read.damaged || read.textsCut) && hooks.beforeRewritingDamaged &&
            !hooks.beforeRewritingDamaged(path)) {
            for (qsizetype w = 0; w < wanted.size(); ++w)
                if (!missing.contains(w))
                    result.notFound.append(it.value()[w]);
            continue;
        }
        QList<MFile> records;
        for (qsizetype at : positions)
            records.append(read.entries[at]);
        removed.append({MTree{it.key()}, EntryChange::removing(records)});
        for (qsizetype i = positions.size() - 1; i >= 0; --i)
            read.entries.removeAt(positions[i]);
        pending.append({path, serializeContents(read.entries)});
        removedFromFiles += int(positions.size());
    }
    if (!pending.isEmpty()) {
        result.save = writeFilesAtomically(pending);
        if (!result.save.ok)
            return result; // nothing changed anywhere, the shown folder included
        result.removed = removedFromFiles;
    }
    if (!shown.isEmpty()) {
        QList<MFile> files;
        for (const CatalogEntryRef &ref : shown)
            files.append(ref.file);
        const QList<qsizetype> missing = hooks.removeFromShown(files);
        result.removed += int(shown.size() - missing.size());
        for (qsizetype w : missing)
            result.notFound.append(shown[w]);
        QList<MFile> records;
        for (qsizetype w = 0; w < files.size(); ++w)
            if (!missing.contains(w))
                records.append(files[w]);
        if (!records.isEmpty())
            removed.append({MTree{hooks.shownContentsFileName}, EntryChange::removing(records)});
    }
    if (!removed.isEmpty() && hooks.removedEntries)
        hooks.removedEntries(removed);
    return result;
}
