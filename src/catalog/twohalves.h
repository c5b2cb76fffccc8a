// SPDX-License-Identifier: GPL-3.0-or-later
// The one way long scans use the second core: the range split in two, the upper half on a
// thread of its own for as long as the call lasts.
#pragma once

#include <thread>

// Runs work(from, to) over [first, middle) here and [middle, last) on a second thread, and
// returns when both are done. work must be safe to run on two threads at once.
template <typename Index, typename Work> void inTwoHalves(Index first, Index last, Work &&work)
{
    const Index middle = first + (last - first) / 2;
    std::thread helper([&] { work(middle, last); });
    work(first, middle);
    helper.join();
}
