// SPDX-License-Identifier: GPL-3.0-or-later
// Folder trees of 200,000 and 1,000,000 folders without records, flat and nested: reading and
// writing the three tree files, the window's start to its first paint, and a folder change
// (which saves the tree). Each figure is printed with its growth from the smaller tree, which
// stays near the ratio of the sizes (5x) when the work is linear.
#include "benchsupport.h"
#include "foldertree.h"

#include <QTreeWidgetItemIterator>

namespace {

// Nested: each folder is the first subfolder of the one before, a hundred levels deep, then
// again from the top; every folder is expanded, so that the view lays out the whole tree.
QList<FolderRecord> makeTree(int count, bool nested)
{
    QList<FolderRecord> folders;
    folders.reserve(count);
    for (int i = 0; i < count; ++i)
        folders.append(FolderRecord{nested ? i % 100 : 0, "Folder " + QByteArray::number(i), std::nullopt,
                                    nested, i == 0});
    return folders;
}

struct Figures
{
    double load = 0, save = 0, start = 0, change = 0;
};

Figures measure(const QList<FolderRecord> &folders, int runs)
{
    QTemporaryDir dir;
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(dir.path());
    saveFolderTree(paths, folders);
    Figures figures;
    figures.load = bench::medianMs(runs, [&] { loadFolderTree(paths); });
    figures.save = bench::medianMs(runs, [&] { saveFolderTree(paths, folders); });
    bench::BenchWindow window(dir.path());
    std::vector<double> starts, changes;
    for (int i = 0; i < runs; ++i) {
        window.window.reset();
        starts.push_back(bench::timeMs([&] { window.openAndPaint(); }));
        TMain &w = *window.window;
        FolderItem *last =
            static_cast<FolderItem *>(w.mainTree()->topLevelItem(w.mainTree()->topLevelItemCount() - 1));
        changes.push_back(bench::timeMs([&] { bench::selectAndPaint(w, last); }));
        window.window.reset();
        saveFolderTree(paths, folders); // the first folder selected again
    }
    figures.start = bench::median(starts);
    figures.change = bench::median(changes);
    return figures;
}

void report(const QByteArray &name, double small, double large, int smallCount, int largeCount)
{
    const double sizeRatio = double(largeCount) / smallCount;
    // Linear work grows by the size ratio; twice that allows for caches and the machine's load.
    bench::result(name.constData(), bench::ms(large), bench::ms(small), bench::times(large / small),
                  "growth <= 2x the size ratio", large / small <= 2 * sizeRatio);
}

// The two sizes may be given after the options: bench_foldertree [--quick] [SMALL LARGE].
int sizeArgument(int index, int normal, int quick)
{
    QStringList numbers = QCoreApplication::arguments().mid(1);
    numbers.removeAll(QStringLiteral("--quick"));
    if (index < numbers.size())
        return numbers[index].toInt();
    return bench::quick() ? quick : normal;
}

int run()
{
    const int small = sizeArgument(0, 200000, 2000);
    const int large = sizeArgument(1, 1000000, 10000);
    const int runs = bench::runsFromArguments(3);
    for (const bool nested : {false, true}) {
        const Figures a = measure(makeTree(small, nested), runs);
        const Figures b = measure(makeTree(large, nested), runs);
        const QByteArray shape = (nested ? "nested " : "flat ") + QByteArray::number(large / 1000) + "k vs " +
                                 QByteArray::number(small / 1000) + "k folders: ";
        report(shape + "load the tree files", a.load, b.load, small, large);
        report(shape + "save the tree files", a.save, b.save, small, large);
        report(shape + "start to a painted window", a.start, b.start, small, large);
        report(shape + "change folder (saves the tree)", a.change, b.change, small, large);
    }
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
