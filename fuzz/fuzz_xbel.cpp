// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the XBEL reader, and the writers on whatever it reads.
#include "fuzzbookmarks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkBookmarkRead(
        parseXbelBookmarks(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size))));
    return 0;
}
