// SPDX-License-Identifier: GPL-3.0-or-later
// Find in all folders over a catalog of 2,000 folders, one of them with 100,000 entries, from
// contents files the system has cached: a word many entries hold, one none holds, and one
// that needs case folding past ASCII.
#include "benchsupport.h"
#include "catalogentries.h"
#include "catalogpaths.h"
#include "catalogsearch.h"
#include "foldertree.h"
#include "syntheticcatalog.h"
#include "textencoding.h"

#include <atomic>

namespace {

int run()
{
    QTemporaryDir files;
    SyntheticCatalog synthetic(files.path());
    const QString workDir = files.path() + QStringLiteral("/tree");
    const int big = bench::quick() ? 10000 : 100000;
    synthetic.writeWorkDirectory(workDir, 2000, {{1000, big}}, 0);
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(workDir);
    const QList<CatalogFolder> folders = catalogFolders(loadFolderTree(paths).folders, TextEncoding());
    const int runs = bench::runsFromArguments(5);
    const struct
    {
        const char *figure;
        QString query;
    } cases[] = {
        {"find in all folders, 2,000 folders + 100k entries, a common word", QStringLiteral("holiday")},
        {"find in all folders, as above, a word no entry holds", QStringLiteral("zzz-absent")},
        {"find in all folders, as above, a word that needs case folding past ASCII",
         QStringLiteral("R\u00c9SUM\u00c9")}};
    for (const auto &c : cases) {
        qsizetype matches = 0;
        const std::atomic<bool> cancel = false;
        const double value = bench::medianMs(
            runs, [&] { matches = 0; },
            [&] {
                searchCatalog(paths, folders, c.query, {}, cancel,
                              {[&](QList<CatalogEntryRef> &&batch) { matches += batch.size(); }, {}});
            });
        bench::result(c.figure, bench::ms(value), QStringLiteral("%1 matches").arg(matches),
                      QStringLiteral("-"), "-", true);
    }
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
