// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to the first painted window on a catalog of 2,000 folders whose selected folder
// holds 10k entries, against start-up on a catalog of one empty folder; and the same start
// on the day's first run, when the daily snapshot is made as main() makes it; and on the same
// catalog read in a Windows code page.
#include "backups.h"
#include "benchsupport.h"
#include "dailybackups.h"
#include "filewriter.h"
#include "nohardlinkswriter.h"
#include "syntheticcatalog.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

namespace {

double startAndPaint(bench::BenchWindow &window, const std::function<void(TMain &)> &afterShow = {})
{
    window.window.reset();
    const double value = bench::timeMs([&] { window.openAndPaint(afterShow); });
    window.window.reset();
    return value;
}

// Every run is the day's first: today's snapshot (and any other) goes before it, untimed.
void forgetSnapshots(const QString &workDir)
{
    QDir(backupsFolder(workDir)).removeRecursively();
}

// The window shown with the daily snapshot started right after show(), as main() does; the
// snapshot's own time, to its end on its thread, in backupMs.
double startWithDailyBackup(bench::BenchWindow &window, const QString &workDir, double &backupMs)
{
    forgetSnapshots(workDir);
    std::unique_ptr<DailyBackups> backups;
    QElapsedTimer sinceStart;
    const double shown = startAndPaint(window, [&](TMain &) {
        backups = std::make_unique<DailyBackups>(workDir, nullptr);
        sinceStart.start();
        backups->start();
    });
    QSignalSpy finished(backups.get(), &DailyBackups::finished);
    if (backups->isRunning() && !finished.wait(60000))
        std::fprintf(stderr, "the snapshot did not end\n");
    backupMs = double(sinceStart.nsecsElapsed()) / 1e6;
    return shown;
}

double backupAlone(const QString &workDir)
{
    forgetSnapshots(workDir);
    return bench::timeMs([&] { makeDailyBackup(workDir); });
}

int run()
{
    QTemporaryDir files;
    SyntheticCatalog catalog(files.path());
    const QString bigDir = files.path() + QStringLiteral("/big");
    const QString emptyDir = files.path() + QStringLiteral("/empty");
    catalog.writeWorkDirectory(bigDir, 2000, {{1234, 10000}}, 1234);
    catalog.writeWorkDirectory(emptyDir, 1, {{0, 0}}, 0);
    // The same catalog with one folder name in a Windows code page: the whole catalog is then
    // read in that code page, every text of the shown folder decoded by the system's converter.
    const QString legacyDir = files.path() + QStringLiteral("/legacy");
    catalog.writeWorkDirectory(legacyDir, 2000, {{1234, 10000}}, 1234);
    {
        QFile tree(legacyDir + QStringLiteral("/tree.lsf"));
        QByteArray text;
        if (tree.open(QIODevice::ReadOnly))
            text = tree.readAll();
        tree.close();
        text.insert(text.indexOf('\r'), "\xc4");
        if (tree.open(QIODevice::WriteOnly | QIODevice::Truncate))
            tree.write(text);
    }
    bench::BenchWindow legacy(legacyDir);
    bench::BenchWindow big(bigDir);
    bench::BenchWindow empty(emptyDir);
    startAndPaint(empty); // the first window of a process loads styles, fonts and icons
    startAndPaint(big);
    const int runs = bench::runsFromArguments(9);
    startAndPaint(legacy);
    std::vector<double> legacyTimes, bigTimes, emptyTimes, backupStartTimes, backupTimes, linkedTimes,
        copiedTimes;
    for (int i = 0; i < runs; ++i) {
        emptyTimes.push_back(startAndPaint(empty));
        bigTimes.push_back(startAndPaint(big));
        legacyTimes.push_back(startAndPaint(legacy));
        double backupMs = 0;
        backupStartTimes.push_back(startWithDailyBackup(big, bigDir, backupMs));
        backupTimes.push_back(backupMs);
        linkedTimes.push_back(backupAlone(bigDir));
        if (i < 3) { // syncing every copy takes seconds
            NoHardLinksWriter copies;
            const FileWriterOverride override(copies);
            copiedTimes.push_back(backupAlone(bigDir));
        }
    }
    const double value = bench::median(bigTimes), baseline = bench::median(emptyTimes);
    bench::result("start-up, 2,000 folders + 10k selected", bench::ms(value), bench::ms(baseline),
                  QStringLiteral("+") + bench::ms(value - baseline), "adds <= 300 ms",
                  value - baseline <= 300);
    const double legacyValue = bench::median(legacyTimes);
    bench::result("the same in a Windows code page (texts decoded by ICU)", bench::ms(legacyValue),
                  bench::ms(value), bench::times(legacyValue / value), "adds <= 50 ms",
                  legacyValue - value <= 50);
    const double withBackup = bench::median(backupStartTimes);
    const double added = withBackup - value;
    bench::result("the same, the day's first start (snapshot made)", bench::ms(withBackup), bench::ms(value),
                  (added < 0 ? QString() : QStringLiteral("+")) + bench::ms(added), "adds <= 50 ms",
                  added <= 50);
    const double linked = bench::median(linkedTimes), copied = bench::median(copiedTimes);
    bench::result("daily snapshot of 2,000 folders, hard links / copies", bench::ms(linked),
                  bench::ms(copied), bench::times(linked / copied), "off the UI thread", true);
    std::fprintf(stderr, "snapshot to its end on its thread, started with the window: %s\n",
                 qPrintable(bench::ms(bench::median(backupTimes))));
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
