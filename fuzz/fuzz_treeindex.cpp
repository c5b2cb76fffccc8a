// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the index and state readers and the count check that tells tree files from two
// saves. The input: two bytes giving the number of folders (the low ten bits), then the index text, the byte
// 0x1E, and the state bytes. Each folder gets at most its own line and byte, the line count
// agrees with what was applied, and whatever loads is written back to the same records.
#include "foldertree.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // Up to 1,023 folders: enough for every rule, few enough to keep the fuzzer fast.
    const qsizetype count = (data[0] | (data[1] << 8)) & 0x03ff;
    QByteArrayView rest(reinterpret_cast<const char *>(data) + 2, qsizetype(size) - 2);
    const qsizetype at = rest.indexOf('\x1e');
    const QByteArrayView index = at < 0 ? rest : rest.first(at);
    const QByteArrayView state = at < 0 ? QByteArrayView() : rest.sliced(at + 1);

    QList<FolderRecord> folders(count);
    applyIndexText(folders, index);
    applyStateBytes(folders, state);

    const qsizetype lines = countIndexLines(index);
    qsizetype withRecords = 0;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        withRecords += folders[i].Record.has_value();
        if (i >= lines && folders[i].Record)
            std::abort(); // a folder past the last line got a record
        if (i >= state.size() && (folders[i].Expanded || folders[i].Selected))
            std::abort(); // a folder past the last byte got a state
    }
    if (withRecords > std::min(count, lines))
        std::abort();

    // Written back and read again, the records and states are the same, and the counts agree.
    const FolderTreeBytes written = serializeFolderTree(folders);
    if (countIndexLines(written.index) != count || written.state.size() != count)
        std::abort();
    QList<FolderRecord> again(count);
    applyIndexText(again, written.index);
    applyStateBytes(again, written.state);
    for (qsizetype i = 0; i < count; ++i) {
        // A record whose name holds a line break or is "NULL" cannot be written back as itself;
        // the index file has no way to say it, and no writer of ours makes one.
        const bool writable = !folders[i].Record || (!folders[i].Record->FileName.contains('\r') &&
                                                     !folders[i].Record->FileName.contains('\n') &&
                                                     folders[i].Record->FileName != "NULL");
        if (writable && again[i].Record != folders[i].Record)
            std::abort();
        if (again[i].Expanded != folders[i].Expanded || again[i].Selected != folders[i].Selected)
            std::abort();
    }
    return 0;
}
