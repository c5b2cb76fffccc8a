// SPDX-License-Identifier: GPL-3.0-or-later
// Undoing commands against doing them: a command reads the folder's file (to see whether it
// changed elsewhere) and writes the list it holds; an undo reads the tree and the file, applies
// its change to what it read and writes the result.
#include "benchsupport.h"
#include "catalogedit.h"
#include "contentsfile.h"
#include "foldertree.h"
#include "syntheticcatalog.h"

namespace {

void measure(SyntheticCatalog &catalog, const QString &dir, int count)
{
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir);
    const MTree record{"cat0.lsf"};
    const QString path = *paths.ContentsFilePath(record);
    QList<MFile> entries = catalog.entries(count, 17);
    saveFolderTree(
        paths, {FolderRecord{0, "Folder", record, false, true}, FolderRecord{0, "Other", MTree{"cat1.lsf"}}});
    writeContentsFile(*paths.ContentsFilePath(MTree{"cat1.lsf"}), emptyContents());
    const int runs = bench::runsFromArguments(count >= 100000 ? 9 : 31);
    // "Delete 12 entries": the command writes the list without them; its undo adds them back.
    const EntryChange deletion = EntryChange::removing(entries.mid(count / 2, 12));
    std::vector<double> commands, undos, folderDeletes, folderUndos;
    for (int i = 0; i < runs; ++i) {
        writeContentsFile(path, serializeContents(entries));
        const QList<MFile> after = applyEntryChange(entries, deletion).entries;
        commands.push_back(bench::timeMs([&] {
            readContentsFile(path);
            writeContentsFile(path, serializeContents(after));
        }));
        const CatalogEdit undo = entryEditUndoing({{record, deletion}});
        undos.push_back(bench::timeMs([&] { applyCatalogEdit(paths, undo); }));
        // "Delete folder" of the whole folder, and its undo that brings back its file.
        CatalogEdit removeFolder;
        removeFolder.folders = {FolderChange::removing({record, {"Folder"}})};
        CatalogEditOutcome removed;
        folderDeletes.push_back(bench::timeMs([&] { removed = applyCatalogEdit(paths, removeFolder); }));
        folderUndos.push_back(bench::timeMs([&] { applyCatalogEdit(paths, removed.inverse); }));
    }
    const double command = bench::median(commands), undo = bench::median(undos);
    const double folderDelete = bench::median(folderDeletes), folderUndo = bench::median(folderUndos);
    const QByteArray size = QByteArray::number(count / 1000) + "k entries";
    bench::result(("undo delete 12 of " + size).constData(), bench::ms(undo), bench::ms(command),
                  bench::times(undo / command), "<= 3x the command", undo <= 3 * command);
    bench::result(("undo delete folder of " + size).constData(), bench::ms(folderUndo),
                  bench::ms(folderDelete), bench::times(folderUndo / folderDelete),
                  "<= 3x + 20 ms the deletion", folderUndo <= 3 * folderDelete + 20);
}

int run()
{
    QTemporaryDir dir;
    SyntheticCatalog catalog(dir.path());
    measure(catalog, dir.path(), 1000);
    if (!bench::quick())
        measure(catalog, dir.path(), 100000);
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
