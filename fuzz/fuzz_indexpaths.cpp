// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the index file's lines as contents file names: whatever a line says, the path made
// from it names a file directly in the work directory, byte for byte, and never a tree file;
// and a folder gets a record exactly when its line gives such a path.
#include "catalogpaths.h"
#include "foldertree.h"

#include <QFile>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const QString WorkDirectory = QStringLiteral("/home/user/catalog");

void checkInsideWorkDirectory(const CatalogPaths &paths, const MTree &record)
{
    const std::optional<QString> path = paths.ContentsFilePath(record);
    if (!path)
        return;
    const QByteArray bytes = QFile::encodeName(*path);
    const QByteArray prefix = QFile::encodeName(WorkDirectory) + '/';
    if (!bytes.startsWith(prefix) || bytes.sliced(prefix.size()) != record.FileName)
        std::abort(); // not exactly the name in the work directory
    const QByteArray name = record.FileName;
    if (name.isEmpty() || name.contains('/') || name == "." || name == ".." || name == "tree.lsf" ||
        name == "itree.lsf" || name == "etree.lsf")
        std::abort(); // another folder, or a file the catalog keeps for itself
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView index(reinterpret_cast<const char *>(data), qsizetype(size));
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(WorkDirectory);
    QList<QByteArray> lines;
    for (const QByteArray &line : index.toByteArray().replace("\r\n", "\n").replace('\r', '\n').split('\n'))
        lines.append(line);
    for (const QByteArray &line : std::as_const(lines))
        checkInsideWorkDirectory(paths, MTree{line});

    QList<FolderRecord> folders(std::min<qsizetype>(countIndexLines(index), 4096));
    const qsizetype refused = applyIndexText(folders, index);
    qsizetype named = 0;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const bool expected = lines[i] != "NULL" && paths.ContentsFilePath(MTree{lines[i]});
        if (folders[i].Record.has_value() != expected ||
            (expected && folders[i].Record->FileName != lines[i]))
            std::abort();
        named += lines[i] != "NULL";
    }
    if (refused != named - std::count_if(folders.cbegin(), folders.cend(),
                                         [](const FolderRecord &f) { return f.Record.has_value(); }))
        std::abort();
    return 0;
}
