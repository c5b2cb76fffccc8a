// SPDX-License-Identifier: GPL-3.0-or-later
// The process the full-disk test runs: it makes one write to a catalog through the real write
// paths, optionally under a file size limit, and tells its parent on stdout what the write
// reported ("ok", or "failed" and the reason).
// Usage: linkshelf_fulldiskchild WORKDIR contents|tree|backup|export [FILE_SIZE_LIMIT]
#include "backups.h"
#include "catalogbookmarks.h"
#include "catalogpaths.h"
#include "contentsfile.h"
#include "foldertree.h"
#include "nohardlinkswriter.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

namespace {

// Without the signal ignored, a write past the limit would kill the process instead of
// failing with EFBIG, as a full disk fails with ENOSPC.
bool limitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Several kilobytes in all, yet less than a stdio-sized buffer holds: a writer that buffers
// would accept it all in one call and meet the full disk only when flushing.
QList<MFile> newEntries()
{
    QList<MFile> entries;
    for (int i = 0; i < 8; ++i)
        entries.append(
            MFile{MFile::FileKind, "/home/user/new " + QByteArray::number(i) + QByteArray(900, 'n'), {}, {}});
    return entries;
}

QList<FolderRecord> newTree()
{
    QList<FolderRecord> folders;
    for (int i = 0; i < 500; ++i)
        folders.append(FolderRecord{0, "Folder " + QByteArray::number(i), MTree{"cat0.lsf"}, false, i == 0});
    return folders;
}

SaveResult write(const CatalogPaths &paths, const QByteArray &what)
{
    if (what == "contents")
        return writeContentsFile(paths.WorkDirectory + QStringLiteral("/cat0.lsf"),
                                 serializeContents(newEntries()));
    if (what == "tree")
        return saveFolderTree(paths, newTree());
    if (what == "backup") {
        // Hard links take no data blocks, so only copies meet the full disk.
        NoHardLinksWriter copiesOnly;
        const FileWriterOverride override(copiesOnly);
        return makeDailyBackup(paths.WorkDirectory).result;
    }
    if (what == "export")
        return exportBookmarkFile(paths.WorkDirectory + QStringLiteral("/export.html"),
                                  catalogBookmarkTree(paths, loadFolderTree(paths).folders));
    std::fprintf(stderr, "unknown write %s\n", what.constData());
    std::exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4)
        return 2;
    if (argc == 4 && !limitFileSize(rlim_t(std::strtoull(argv[3], nullptr, 10))))
        return 3;
    const SaveResult result = write(CatalogPaths::forWorkDirectory(QFile::decodeName(argv[1])), argv[2]);
    std::printf("%s\n", result ? "ok" : qPrintable(QStringLiteral("failed\t") + result.errorString));
    return 0;
}
