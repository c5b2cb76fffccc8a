// SPDX-License-Identifier: GPL-3.0-or-later
// The one way long scans use the second core: two pieces of work, or a range split in two, the
// second on a thread of its own for as long as the call lasts.
#pragma once

#include <thread>

// Runs there() on a second thread while here() runs on this one, and returns when both are
// done.
template <typename Here, typename There> void sideBySide(Here &&here, There &&there)
{
    std::thread helper([&] { there(); });
    here();
    helper.join();
}

// Runs work(from, to) over [first, middle) here and [middle, last) on a second thread, and
// returns when both are done. work must be safe to run on two threads at once.
template <typename Index, typename Work> void inTwoHalves(Index first, Index last, Work &&work)
{
    const Index middle = first + (last - first) / 2;
    sideBySide([&] { work(first, middle); }, [&] { work(middle, last); });
}
