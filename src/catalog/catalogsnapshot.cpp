// SPDX-License-Identifier: GPL-3.0-or-later
// Hard links cost one directory entry each and no data, and they are safe here only because
// no catalog file is ever changed in place: every writer (atomicfile.h) writes a new file and
// renames it over the old name, which leaves the linked file, and so the snapshot, untouched.
#include "catalogsnapshot.h"

#include "atomicfile.h"
#include "catalogpaths.h"
#include "filewriter.h"
#include "foldertree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

bool isCatalogFileName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^(cat[0-9]+|tree|itree|etree)\\.lsf$"));
    return pattern.match(name).hasMatch();
}

namespace {

// None when nothing is there or it is not a regular file of its own.
std::optional<FileIdentity> identityOf(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileIdentity{quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
                        qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

// Where each tree file's bytes are read from, by the tree file's path.
QMap<QString, QString> treeSources(const QString &folder)
{
    const QStringList targets = folderTreeUnit(CatalogPaths::forWorkDirectory(folder));
    const QStringList sources = settledUnitSources(targets);
    QMap<QString, QString> byTarget;
    for (qsizetype i = 0; i < targets.size(); ++i)
        byTarget.insert(targets[i], sources[i]);
    return byTarget;
}

bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load();
}

SnapshotPlacement placeFile(const QString &name, const CatalogFile &file, const QString &folder)
{
    FileWriter &writer = FileWriter::current();
    const QString target = folder + u'/' + name;
    if (!writer.link(file.source, target))
        return {identityOf(target) == file.identity ? SnapshotPlacement::Placed : SnapshotPlacement::Changed,
                {}};
    const std::optional<QByteArray> bytes = readWholeFile(file.source);
    if (!bytes)
        return {SnapshotPlacement::Changed, {}}; // gone since it was listed
    if (const SaveResult written = writeFileAtomically(target, *bytes); !written)
        return {SnapshotPlacement::Failed, written};
    return {};
}

} // namespace

std::optional<CatalogFiles> listCatalogFiles(const QString &folder)
{
    const QMap<QString, QString> trees = treeSources(folder);
    CatalogFiles files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (!isCatalogFileName(name))
            continue;
        const QString path = dir.filePath(name);
        const QString source = trees.value(path, path);
        const std::optional<FileIdentity> identity = identityOf(source);
        if (!identity)
            return std::nullopt;
        files.insert(name, {source, *identity});
    }
    // A tree file that exists only as the staging file of a save still to be finished.
    for (auto it = trees.cbegin(); it != trees.cend(); ++it) {
        const QString name = QFileInfo(it.key()).fileName();
        if (it.value() != it.key() && !files.contains(name)) {
            const std::optional<FileIdentity> identity = identityOf(it.value());
            if (!identity)
                return std::nullopt;
            files.insert(name, {it.value(), *identity});
        }
    }
    return files;
}

bool sameCatalogFiles(const CatalogFiles &a, const CatalogFiles &b)
{
    if (a.keys() != b.keys())
        return false;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        const CatalogFile &other = b.value(it.key());
        if (it->identity == other.identity)
            continue;
        if (it->identity.size != other.identity.size)
            return false;
        const std::optional<QByteArray> mine = readWholeFile(it->source);
        if (!mine || mine != readWholeFile(other.source))
            return false;
    }
    return true;
}

SnapshotPlacement placeCatalogFiles(const CatalogFiles &files, const QString &folder,
                                    const std::atomic<bool> *cancel)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (cancelled(cancel))
            return {SnapshotPlacement::Cancelled, {}};
        const SnapshotPlacement placed = placeFile(it.key(), *it, folder);
        if (placed.outcome != SnapshotPlacement::Placed)
            return placed;
    }
    syncDirectory(folder);
    return {};
}
