// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the records over a contents file's bytes: any bytes must parse without reading
// outside them; after some texts are edited, the file written back must read as the records
// with those edits, every unedited text byte for byte, and a whole file that nobody edited
// must come back exactly as it was.
#include "contentsrecords.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The edited copy of a record: its texts changed in a way the data chooses.
MFile edited(const MFile &file, unsigned char how)
{
    MFile changed = file;
    changed.Path += QByteArray::number(how);
    if (how & 1)
        changed.Description = "edited\r\ndescription";
    if (how & 2)
        changed.Program.clear();
    return changed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte chooses which records are edited (every n-th, none for 0); the rest is the file.
    if (size < 1)
        return 0;
    const unsigned char every = data[0] % 5;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    ContentsRecords::ScanStatus status;
    ContentsRecords records = ContentsRecords::parse(bytes, status);
    const qsizetype read = records.size();
    std::vector<qsizetype> order(static_cast<size_t>(read));
    std::vector<MFile> expected;
    for (qsizetype i = 0; i < read; ++i) {
        order[size_t(i)] = i;
        MFile file = records.file(i);
        if (every && i % every == 0) {
            file = edited(file, data[0]);
            order[size_t(i)] = records.append(file);
        }
        expected.push_back(std::move(file));
    }
    const QByteArray written = records.serialized(read, [&order](qsizetype i) { return order[size_t(i)]; });
    if (!every && !status.damaged && !status.textsCut && written != bytes)
        std::abort();
    ContentsRecords::ScanStatus again;
    const ContentsRecords reread = ContentsRecords::parse(written, again);
    if (again.damaged || again.textsCut || reread.size() != read)
        std::abort();
    for (qsizetype i = 0; i < read; ++i)
        if (reread.file(i) != expected[size_t(i)])
            std::abort();
    return 0;
}
