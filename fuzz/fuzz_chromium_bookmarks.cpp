// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the reader of Chromium's bookmark JSON, and the bookmark file writers on whatever it
// reads: a browser's bookmarks must export and import again unchanged.
#include "chromiumbookmarks.h"
#include "fuzzbookmarks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkBookmarkRead(
        parseChromiumBookmarks(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size))));
    return 0;
}
