// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the contents file reader: any bytes must parse without reading outside them, and
// whatever was read must survive a write and a second read unchanged.
#include "contentsfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ContentsReadResult first = parseContents(bytes);
    if (first.unreadable)
        std::abort();
    const QByteArray written = serializeContents(first.entries);
    const ContentsReadResult second = parseContents(written);
    if (second.damaged || second.entries != first.entries)
        std::abort();
    return 0;
}
