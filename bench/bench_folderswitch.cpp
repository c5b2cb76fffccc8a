// SPDX-License-Identifier: GPL-3.0-or-later
// A folder switch of 100k entries: from the tree's selection to the list painted again,
// sorted by name, against reading the file into records and sorting them by name with no UI.
#include "benchsupport.h"
#include "catalogpaths.h"
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "entryrow.h"
#include "syntheticcatalog.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <numeric>

namespace {

// The least work any program does to show the folder sorted: records, names, sort.
qsizetype readAndSortByName(const QString &path)
{
    const ContentsReadResult read = readContentsFile(path);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(read.entries.size()));
    for (const MFile &file : read.entries)
        keys.push_back(collator.sortKey(entryCaption(file, TextEncoding())));
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    return qsizetype(order.size());
}

int run()
{
    QTemporaryDir files;
    SyntheticCatalog catalog(files.path());
    const QString workDir = files.path() + QStringLiteral("/tree");
    const int count = bench::quick() ? 10000 : 100000;
    // Folder 0 is small and selected at start; folder 1 is the big one.
    catalog.writeWorkDirectory(workDir, 3, {{1, count}}, 0);
    const QString bigFile =
        CatalogPaths::forWorkDirectory(workDir).ContentsFilePath(MTree{"cat1.lsf"}).value();

    bench::BenchWindow window(workDir);
    TMain &w = window.openAndPaint();
    FolderItem *small = bench::folderAt(w, 0);
    FolderItem *big = bench::folderAt(w, 1);
    int resets = 0, inserts = 0;
    EntryListModel &model = w.mainList()->model();
    QObject::connect(&model, &QAbstractItemModel::modelReset, &model, [&resets] { ++resets; });
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model, [&inserts] { ++inserts; });

    const int runs = bench::runsFromArguments(9);
    std::vector<double> switches, baselines;
    qsizetype sink = 0;
    for (int i = 0; i < runs; ++i) {
        bench::selectAndPaint(w, small);
        resets = inserts = 0;
        switches.push_back(bench::timeMs([&] { bench::selectAndPaint(w, big); }));
        baselines.push_back(bench::timeMs([&] { sink += readAndSortByName(bigFile); }));
    }
    if (model.count() != count || sink != qsizetype(runs) * count)
        std::printf("unexpected row count %d\n", model.count());
    const double value = bench::median(switches), baseline = bench::median(baselines);
    bench::result("folder switch 100k, to painted list", bench::ms(value), bench::ms(baseline),
                  bench::times(value / baseline), "<= 2x and < 200 ms", value <= 2 * baseline && value < 200);
    bench::result("model resets / row inserts per switch", QString::number(resets), QStringLiteral("-"),
                  QString::number(inserts), "1 reset, 0 inserts", resets == 1 && inserts == 0);
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
