// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the folder tree loader. The input holds the three files one after the other,
// separated by the byte 0x1E: tree text, index text, state bytes. What loads must be a
// well-formed tree, and saving and loading it again must give the same folders.
#include "foldertree.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr char Separator = '\x1e';

QByteArrayView takePart(QByteArrayView &rest)
{
    const qsizetype at = rest.indexOf(Separator);
    if (at < 0) {
        const QByteArrayView part = rest;
        rest = {};
        return part;
    }
    const QByteArrayView part = rest.first(at);
    rest = rest.sliced(at + 1);
    return part;
}

void checkLevels(const QList<FolderRecord> &folders)
{
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const int previous = i == 0 ? -1 : folders[i - 1].Level;
        if (folders[i].Level < 0 || folders[i].Level > previous + 1)
            std::abort();
    }
}

QList<FolderRecord> load(QByteArrayView tree, QByteArrayView index, QByteArrayView state)
{
    TreeParseResult parsed = parseTreeText(tree);
    if (parsed.error && parsed.error->isEmpty())
        std::abort();
    applyIndexText(parsed.folders, index);
    applyStateBytes(parsed.folders, state);
    return parsed.folders;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArrayView rest(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArrayView tree = takePart(rest);
    const QByteArrayView index = takePart(rest);
    const QByteArrayView state = rest;

    const QList<FolderRecord> folders = load(tree, index, state);
    checkLevels(folders);
    const FolderTreeBytes written = serializeFolderTree(folders);
    if (load(written.tree, written.index, written.state) != folders)
        std::abort();
    return 0;
}
