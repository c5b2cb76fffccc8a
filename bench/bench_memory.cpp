// SPDX-License-Identifier: GPL-3.0-or-later
// Memory for a shown folder of 100k entries against the size of its contents file: the peak
// while the folder is read and shown (resident high-water mark, reset just before), and
// what stays allocated once it is shown and its icons are resolved (malloc's own count).
#include "benchsupport.h"
#include "catalogpaths.h"
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "syntheticcatalog.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <malloc.h>

namespace {

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Returns what malloc holds to the system and makes the current resident size the peak.
void resetPeak()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

int run()
{
    QTemporaryDir files;
    const QString workDir = files.path() + QStringLiteral("/tree");
    const int count = bench::quick() ? 10000 : 100000;
    qint64 textBytes = 0, fileBytes = 0;
    {
        SyntheticCatalog catalog(files.path());
        catalog.writeWorkDirectory(workDir, 2, {{1, count}}, 0);
        const CatalogPaths paths = CatalogPaths::forWorkDirectory(workDir);
        const QString contents = paths.ContentsFilePath(MTree{"cat1.lsf"}).value();
        textBytes = SyntheticCatalog::textBytes(readContentsFile(contents).entries);
        fileBytes = QFileInfo(contents).size();
    }
    bench::BenchWindow window(workDir);
    TMain &w = window.openAndPaint();
    bench::settle(200);
    resetPeak();
    const qint64 rssBefore = statusKb("VmRSS");
    const qint64 heapBefore = bench::allocated();
    bench::selectAndPaint(w, bench::folderAt(w, 1));
    const qint64 peakShown = statusKb("VmHWM") - rssBefore;
    bench::settle(bench::quick() ? 500 : 3000); // the icons of existing files arrive meanwhile
    const qint64 peak = (statusKb("VmHWM") - rssBefore) * 1024;
    const qint64 held = bench::allocated() - heapBefore;
    const qint64 budget = fileBytes * 6 / 5 + 48 * qint64(count);
    const auto mb = [](qint64 bytes) {
        return QString::number(double(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
    };
    const auto perEntry = [count](qint64 bytes) { return QString::number(double(bytes) / count, 'f', 0); };
    const QString file = mb(fileBytes) + QStringLiteral(" file");
    bench::result("memory 100k: peak while shown",
                  mb(peak) + QStringLiteral(" (") + perEntry(peak) + QStringLiteral(" B/entry)"), file,
                  bench::times(double(peak) / fileBytes), "<= 1.2x file + 48 B/entry", peak <= budget);
    bench::result("memory 100k: held once shown",
                  mb(held) + QStringLiteral(" (") + perEntry(held) + QStringLiteral(" B/entry)"), file,
                  bench::times(double(held) / fileBytes), "<= 1.2x file + 48 B/entry", held <= budget);
    std::printf(
        "# file %lld B (%.0f B/entry), texts %.0f B/entry, budget %lld; peak at first paint %lld kB\n",
        static_cast<long long>(fileBytes), double(fileBytes) / count, double(textBytes) / count,
        static_cast<long long>(budget), static_cast<long long>(peakShown));
    if (w.mainList()->model().count() != count)
        std::printf("unexpected row count %d\n", w.mainList()->model().count());
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
