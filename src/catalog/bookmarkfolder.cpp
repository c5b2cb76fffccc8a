// SPDX-License-Identifier: GPL-3.0-or-later
// Comparison of bookmark folder trees, for tests and for callers that check a round trip.
#include "bookmarkfolder.h"

bool operator==(const BookmarkFolder &a, const BookmarkFolder &b)
{
    return a.name == b.name && a.entries == b.entries && a.subfolders == b.subfolders;
}
