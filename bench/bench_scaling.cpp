// SPDX-License-Identifier: GPL-3.0-or-later
// How the work on one folder grows with its size: reading its file, switching the window to
// it (to the list painted), sorting it, the memory it holds once shown, and finding in it, at
// 1k, 10k, 100k and 1M entries, with the growth of each tenfold step (the goal: none above
// 11x, which is linear work plus a little). Then find in all folders of a catalog of 2,000
// folders and 120k entries. Each folder's file is in the order Linkshelf writes it.
#include "benchsupport.h"
#include "catalogentries.h"
#include "catalogpaths.h"
#include "catalogsearch.h"
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "entryrow.h"
#include "foldertree.h"
#include "syntheticcatalog.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QFile>
#include <QTimer>

#include <malloc.h>

#include <numeric>

namespace {

constexpr int Sizes[] = {1000, 10000, 100000, 1000000};

QString sizeName(int count)
{
    return count >= 1000000 ? QString::number(count / 1000000) + u'M' : QString::number(count / 1000) + u'k';
}

// The entries sorted by name as the list sorts them, so the file is as Linkshelf wrote it.
QByteArray contentsInListOrder(QList<MFile> entries)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(entries.size()));
    for (const MFile &file : entries)
        keys.push_back(collator.sortKey(entryCaption(file, TextEncoding())));
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    QList<MFile> sorted;
    sorted.reserve(entries.size());
    for (int i : order)
        sorted.append(std::move(entries[i]));
    return serializeContents(sorted);
}

struct Figures
{
    double read = 0, rawRead = 0, switchMs = 0, sortMs = 0, resortMs = 0, findMs = 0;
    double heldPerEntry = 0, heldOfFile = 0;
};

QByteArray rawRead(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double findInFolders(const CatalogPaths &paths, const QList<CatalogFolder> &folders, const QString &query,
                     int runs, qsizetype &hits)
{
    const std::atomic<bool> cancel = false;
    SearchCallbacks callbacks;
    callbacks.batch = [&hits](QList<CatalogEntryRef> &&found) { hits += found.size(); };
    return bench::medianMs(runs,
                           [&] { searchCatalog(paths, folders, query, TextEncoding(), cancel, callbacks); });
}

Figures measure(TMain &w, FolderItem *small, FolderItem *big, const CatalogPaths &paths, int count)
{
    Figures f;
    const int runs = bench::runsFromArguments(count >= 1000000 ? 3 : (count >= 100000 ? 5 : 15));
    const QString path = paths.ContentsFilePath(*big->record).value();
    qsizetype sink = 0;
    std::vector<double> reads, rawReads;
    for (int i = 0; i < runs; ++i) {
        rawReads.push_back(bench::timeMs([&] { sink += rawRead(path).size(); }));
        reads.push_back(bench::timeMs([&] { sink += readContentsRecords(path).records.size(); }));
    }
    f.read = bench::median(reads);
    f.rawRead = bench::median(rawReads);
    EntryListModel &model = w.mainList()->model();
    f.switchMs = bench::medianMs(
        runs, [&] { bench::selectAndPaint(w, small); }, [&] { bench::selectAndPaint(w, big); });
    // The first sort by a column the folder was not shown in, then a click back.
    f.sortMs = bench::medianMs(
        runs,
        [&] {
            bench::selectAndPaint(w, small);
            bench::selectAndPaint(w, big);
        },
        [&] { model.sort(EntryListModel::DescriptionColumn, Qt::AscendingOrder); });
    f.resortMs =
        bench::medianMs(runs, [&] { model.sort(EntryListModel::FileNameColumn, Qt::AscendingOrder); });
    bench::selectAndPaint(w, small);
    bench::settle(100);
    malloc_trim(0);
    const qint64 before = bench::allocated();
    bench::selectAndPaint(w, big);
    bench::settle(bench::quick() ? 200 : 1000);
    const qint64 held = bench::allocated() - before;
    f.heldPerEntry = double(held) / count;
    f.heldOfFile = double(held) / double(QFileInfo(path).size());
    const QList<CatalogFolder> one{CatalogFolder{0, {}, big->record->FileName}};
    qsizetype hits = 0;
    f.findMs = findInFolders(paths, one, QStringLiteral("zq9"), runs, hits);
    if (sink < 0 || model.count() != count)
        std::printf("unexpected row count %d\n", model.count());
    return f;
}

QString growth(double from, double to)
{
    return from > 0 ? QString::number(to / from, 'f', 1) + u'x' : QStringLiteral("-");
}

void report(const std::vector<int> &sizes, const std::vector<Figures> &figures)
{
    struct Row
    {
        const char *name;
        double Figures::*value;
    };
    const Row rows[] = {{"read", &Figures::read},
                        {"folder switch, to painted list", &Figures::switchMs},
                        {"first sort by Description", &Figures::sortMs},
                        {"sort back by name", &Figures::resortMs},
                        {"find in the folder", &Figures::findMs},
                        {"memory held, bytes per entry", &Figures::heldPerEntry}};
    for (const Row &row : rows) {
        QStringList values, steps;
        double worst = 0;
        for (size_t i = 0; i < sizes.size(); ++i) {
            const double v = figures[i].*row.value;
            values << (row.value == &Figures::heldPerEntry ? QString::number(v, 'f', 0) : bench::ms(v));
            if (i > 0) {
                steps << growth(figures[i - 1].*row.value, v);
                worst = std::max(worst, v / std::max(figures[i - 1].*row.value, 1e-9));
            }
        }
        const bool perEntry = row.value == &Figures::heldPerEntry;
        const QByteArray figure = QByteArray("scaling: ") + row.name;
        bench::result(figure.constData(), values.join(QStringLiteral(" / ")),
                      QStringLiteral("1k / 10k / 100k / 1M"), steps.join(QStringLiteral(" ")),
                      perEntry ? "flat per entry" : "no step above 11x", perEntry || worst <= 11);
    }
    for (size_t i = 0; i < sizes.size(); ++i)
        std::fprintf(stderr, "%s: read %.2f ms (raw %.2f ms, %.1fx), held %.0f B/entry = %.2fx the file\n",
                     qPrintable(sizeName(sizes[i])), figures[i].read, figures[i].rawRead,
                     figures[i].read / std::max(figures[i].rawRead, 1e-9), figures[i].heldPerEntry,
                     figures[i].heldOfFile);
}

// Find in all folders: 2,000 folders, 120k entries in all.
void findInAllFolders(const QString &root)
{
    SyntheticShare share;
    share.existingPercent = 0;
    SyntheticCatalog catalog(root + QStringLiteral("/files"), share);
    const QString workDir = root + QStringLiteral("/many");
    const int folderCount = 2000;
    QList<SyntheticCatalog::BigFolder> big;
    for (int i = 0; i < folderCount; ++i)
        big.append({i, 60});
    catalog.writeWorkDirectory(workDir, folderCount, big, 0);
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(workDir);
    const QList<CatalogFolder> folders = catalogFolders(loadFolderTree(paths).folders, TextEncoding());
    qsizetype hits = 0;
    const double ms =
        findInFolders(paths, folders, QStringLiteral("zq9"), bench::runsFromArguments(11), hits);
    bench::result("find in all folders, 2,000 folders / 120k entries", bench::ms(ms), QStringLiteral("-"),
                  QStringLiteral("-"), "<= 40 ms", ms <= 40);
}

int run()
{
    QTemporaryDir files;
    SyntheticShare share;
    share.existingPercent = 5;
    SyntheticCatalog catalog(files.path(), share);
    const QString workDir = files.path() + QStringLiteral("/tree");
    std::vector<int> sizes(std::begin(Sizes), std::end(Sizes));
    if (bench::quick())
        sizes.resize(2);
    // Folder 0 is small and selected at start; folder i + 1 holds sizes[i] entries.
    catalog.writeWorkDirectory(workDir, int(sizes.size()) + 1, {}, 0);
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(workDir);
    for (size_t i = 0; i < sizes.size(); ++i) {
        QFile file(paths.ContentsFilePath(MTree{"cat" + QByteArray::number(int(i) + 1) + ".lsf"}).value());
        if (file.open(QIODevice::WriteOnly))
            file.write(contentsInListOrder(catalog.entries(sizes[i], unsigned(i) + 1)));
    }
    std::vector<Figures> figures;
    {
        bench::BenchWindow window(workDir);
        TMain &w = window.openAndPaint();
        for (size_t i = 0; i < sizes.size(); ++i)
            figures.push_back(
                measure(w, bench::folderAt(w, 0), bench::folderAt(w, int(i) + 1), paths, sizes[i]));
    }
    report(sizes, figures);
    findInAllFolders(files.path());
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
