// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to the first painted window on a catalog of 2,000 folders whose selected folder
// holds 10k entries, against start-up on a catalog of one empty folder.
#include "benchsupport.h"
#include "syntheticcatalog.h"

namespace {

double startAndPaint(bench::BenchWindow &window)
{
    window.window.reset();
    const double value = bench::timeMs([&] { window.openAndPaint(); });
    window.window.reset();
    return value;
}

int run()
{
    QTemporaryDir files;
    SyntheticCatalog catalog(files.path());
    const QString bigDir = files.path() + QStringLiteral("/big");
    const QString emptyDir = files.path() + QStringLiteral("/empty");
    catalog.writeWorkDirectory(bigDir, 2000, {{1234, 10000}}, 1234);
    catalog.writeWorkDirectory(emptyDir, 1, {{0, 0}}, 0);
    bench::BenchWindow big(bigDir);
    bench::BenchWindow empty(emptyDir);
    startAndPaint(empty); // the first window of a process loads styles, fonts and icons
    startAndPaint(big);
    const int runs = bench::runsFromArguments(9);
    std::vector<double> bigTimes, emptyTimes;
    for (int i = 0; i < runs; ++i) {
        emptyTimes.push_back(startAndPaint(empty));
        bigTimes.push_back(startAndPaint(big));
    }
    const double value = bench::median(bigTimes), baseline = bench::median(emptyTimes);
    bench::result("start-up, 2,000 folders + 10k selected", bench::ms(value), bench::ms(baseline),
                  QStringLiteral("+") + bench::ms(value - baseline), "adds <= 300 ms",
                  value - baseline <= 300);
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
