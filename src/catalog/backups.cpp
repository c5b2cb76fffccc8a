// SPDX-License-Identifier: GPL-3.0-or-later
// A snapshot is a plain folder of the catalog's files, so a user can also restore one by hand.
#include "backups.h"

#include "atomicfile.h"
#include "catalogsnapshot.h"
#include "filewriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMutex>
#include <QRegularExpression>
#include <QThread>

#include <optional>

namespace {

// The daily backup runs on a thread of its own; a restore in the window waits for it rather
// than meet its snapshot half made or pruned under it.
QMutex backupsMutex;

const QStringList TreeFileNames{QStringLiteral("itree.lsf"), QStringLiteral("tree.lsf"),
                                QStringLiteral("etree.lsf")};

bool isSnapshotName(const QString &name)
{
    static const QRegularExpression dated(
        QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}(-before-restore-[0-9]{6})?$"));
    return dated.match(name).hasMatch();
}

// The catalog's files in a folder, by name. A file that cannot be read makes the whole read
// fail: a snapshot without it would look whole and not be. A link is none of the catalog's
// files (the catalog never reads through one), so it is left out rather than failing them all.
std::optional<QMap<QString, QByteArray>> catalogFilesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (!isCatalogFileName(name))
            continue;
        const std::optional<QByteArray> bytes = readWholeFile(folder + u'/' + name);
        if (!bytes)
            return std::nullopt;
        files.insert(name, *bytes);
    }
    return files;
}

QStringList snapshots(const QString &workDirectory)
{
    QStringList names;
    for (const QString &name :
         QDir(backupsFolder(workDirectory)).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (isSnapshotName(name))
            names.append(name);
    return names; // oldest first: the names sort by date
}

SaveResult failure(const QString &what, const QString &path)
{
    return SaveResult::failure(what.arg(QDir::toNativeSeparators(path)));
}

// Snapshots are removed by pruning and a crashed snapshot's leftovers at the next one. What
// stands at such a name may be a link to anywhere (a user's documents): a link goes as a link,
// and only a real folder is emptied, which QDir does without following the links inside it.
void removeSnapshot(const QString &path)
{
    const QFileInfo entry(path);
    if (entry.isSymLink() || !entry.isDir())
        QFile::remove(path);
    else
        QDir(path).removeRecursively();
}

// A backups folder that is a link puts the snapshots, and their pruning, in a place the
// catalog does not own: nothing is written or removed there.
SaveResult checkBackupsFolder(const QString &workDirectory)
{
    const QString folder = backupsFolder(workDirectory);
    if (QFileInfo(folder).isSymLink())
        return failure(QStringLiteral("The backups folder \"%1\" is a link to another place: no backup "
                                      "is made or removed there"),
                       folder);
    return SaveResult::success();
}

SaveResult writeFiles(const QString &folder, const QMap<QString, QByteArray> &files)
{
    if (!QDir().mkpath(folder))
        return failure(QStringLiteral("Cannot create the folder \"%1\""), folder);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (const SaveResult written = writeFileAtomically(folder + u'/' + it.key(), it.value()); !written)
            return written;
    return SaveResult::success();
}

// A snapshot that could not be written whole is taken away at once: on a full disk its
// files hold space that the catalog itself needs.
SaveResult writeSnapshot(const QString &workDirectory, const QString &name,
                         const QMap<QString, QByteArray> &files)
{
    if (const SaveResult usable = checkBackupsFolder(workDirectory); !usable)
        return usable;
    const QDir backups(backupsFolder(workDirectory));
    const QString partial = backups.filePath(name + QStringLiteral(".partial"));
    removeSnapshot(partial); // left by a crash in an earlier snapshot
    SaveResult written = writeFiles(partial, files);
    if (written && !QDir().rename(partial, backups.filePath(name)))
        written = failure(QStringLiteral("Cannot name the snapshot \"%1\""), backups.filePath(name));
    if (!written)
        removeSnapshot(partial);
    return written;
}

struct SnapshotAttempt
{
    enum Outcome { Done, CatalogChanged };
    Outcome outcome = Done;
    BackupResult::Outcome backupOutcome = BackupResult::NothingToKeep;
    SaveResult result;
};

SnapshotAttempt changed()
{
    return {SnapshotAttempt::CatalogChanged, BackupResult::Postponed, {}};
}

// Places the listed files in a folder of their own and names it when whole.
SnapshotAttempt placeSnapshot(const QString &workDirectory, const QString &name, const CatalogFiles &files,
                              const std::atomic<bool> *cancel)
{
    if (const SaveResult usable = checkBackupsFolder(workDirectory); !usable)
        return {SnapshotAttempt::Done, BackupResult::NothingToKeep, usable};
    const QDir backups(backupsFolder(workDirectory));
    const QString partial = backups.filePath(name + QStringLiteral(".partial"));
    removeSnapshot(partial); // left by a crash in an earlier snapshot
    if (!QDir().mkpath(partial))
        return {SnapshotAttempt::Done, BackupResult::NothingToKeep,
                failure(QStringLiteral("Cannot create the folder \"%1\""), partial)};
    const SnapshotPlacement placed = placeCatalogFiles(files, partial, cancel);
    if (placed.outcome == SnapshotPlacement::Placed && listCatalogFiles(workDirectory) == files) {
        const std::optional<QString> refused = FileWriter::current().rename(partial, backups.filePath(name));
        if (!refused)
            return {SnapshotAttempt::Done, BackupResult::Made, {}};
        removeSnapshot(partial);
        return {
            SnapshotAttempt::Done, BackupResult::NothingToKeep,
            failure(QStringLiteral("Cannot name the snapshot \"%1\": ") + *refused, backups.filePath(name))};
    }
    removeSnapshot(partial);
    switch (placed.outcome) {
    case SnapshotPlacement::Failed:
        return {SnapshotAttempt::Done, BackupResult::NothingToKeep, placed.result};
    case SnapshotPlacement::Cancelled:
        return {SnapshotAttempt::Done, BackupResult::Postponed, {}};
    default:
        return changed();
    }
}

// The catalog counts as unchanged, or the snapshot as taken, only when listing the catalog
// again finds every file as it was listed first: then each name led to the same file from the
// first listing to the second, and the snapshot is the catalog as it stood at one moment.
SnapshotAttempt trySnapshot(const QString &workDirectory, const QString &name,
                            const std::atomic<bool> *cancel)
{
    const std::optional<CatalogFiles> files = listCatalogFiles(workDirectory);
    if (!files)
        return changed();
    if (files->isEmpty())
        return {};
    const QStringList earlier = snapshots(workDirectory);
    if (!earlier.isEmpty()) {
        const std::optional<CatalogFiles> newest =
            listCatalogFiles(backupsFolder(workDirectory) + u'/' + earlier.last());
        if (newest && sameCatalogFiles(*files, *newest))
            return listCatalogFiles(workDirectory) == files
                       ? SnapshotAttempt{SnapshotAttempt::Done, BackupResult::Unchanged, {}}
                       : changed();
    }
    return placeSnapshot(workDirectory, name, *files, cancel);
}

// Lets a save that got in the way finish; a cancel cuts it short.
void pause(int ms, const std::atomic<bool> *cancel)
{
    for (int slept = 0; slept < ms && !(cancel && cancel->load()); slept += 5)
        QThread::msleep(5);
}

// Only after a snapshot was made, which refuses a backups folder that is a link.
void keepNewest(const QString &workDirectory)
{
    const QStringList all = snapshots(workDirectory);
    for (qsizetype i = 0; i + KeptBackups < all.size(); ++i)
        removeSnapshot(backupsFolder(workDirectory) + u'/' + all[i]);
}

} // namespace

QString backupsFolder(const QString &workDirectory)
{
    return workDirectory + QStringLiteral("/backups");
}

QStringList availableBackups(const QString &workDirectory)
{
    QStringList names = snapshots(workDirectory);
    std::reverse(names.begin(), names.end());
    return names;
}

BackupResult makeDailyBackup(const QString &workDirectory, const QDate &today,
                             const std::atomic<bool> *cancel)
{
    const QMutexLocker lock(&backupsMutex);
    BackupResult backup;
    const QString name = today.toString(Qt::ISODate);
    backup.folder = backupsFolder(workDirectory) + u'/' + name;
    if (QFileInfo(backup.folder).isDir()) {
        backup.outcome = BackupResult::AlreadyToday;
        return backup;
    }
    // A save that keeps coming back between the listing and the check gets the snapshot
    // postponed after a few tries, never made torn.
    constexpr int Attempts = 8;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (attempt > 0)
            pause(25 * attempt, cancel);
        if (cancel && cancel->load())
            break;
        const SnapshotAttempt tried = trySnapshot(workDirectory, name, cancel);
        if (tried.outcome != SnapshotAttempt::CatalogChanged) {
            backup.outcome = tried.backupOutcome;
            backup.result = tried.result;
            if (backup.outcome == BackupResult::Made)
                keepNewest(workDirectory);
            return backup;
        }
    }
    backup.outcome = BackupResult::Postponed;
    return backup;
}

namespace {

// "2026-12-09-before-restore-HHMMSS" of now, or of the next second that no snapshot has: a
// restore undone within the second it was made must not write over the snapshot it reads.
QString freeBeforeRestoreName(const QString &workDirectory)
{
    const QStringList taken = snapshots(workDirectory);
    QDateTime at = QDateTime::currentDateTime();
    for (;; at = at.addSecs(1)) {
        const QString name = at.date().toString(Qt::ISODate) + QStringLiteral("-before-restore-") +
                             at.time().toString(QStringLiteral("HHmmss"));
        if (!taken.contains(name))
            return name;
    }
}

} // namespace

SaveResult restoreBackup(const QString &workDirectory, const QString &date, QString *keptAs)
{
    const QMutexLocker lock(&backupsMutex);
    if (!isSnapshotName(date) || !snapshots(workDirectory).contains(date))
        return SaveResult::failure(
            QStringLiteral("There is no backup of %1. Backups kept: %2")
                .arg(date, availableBackups(workDirectory).join(QStringLiteral(", "))));
    const std::optional<QMap<QString, QByteArray>> wanted =
        catalogFilesIn(backupsFolder(workDirectory) + u'/' + date);
    if (!wanted || !wanted->contains(QStringLiteral("tree.lsf")))
        return failure(QStringLiteral("The backup \"%1\" cannot be read whole"),
                       backupsFolder(workDirectory) + u'/' + date);
    const std::optional<QMap<QString, QByteArray>> current = catalogFilesIn(workDirectory);
    if (!current)
        return failure(QStringLiteral("Cannot read the catalog in \"%1\""), workDirectory);
    if (!current->isEmpty()) {
        const QString keep = freeBeforeRestoreName(workDirectory);
        if (const SaveResult kept = writeSnapshot(workDirectory, keep, *current); !kept)
            return kept;
        if (keptAs)
            *keptAs = keep;
    }
    QList<PendingFile> tree;
    for (auto it = wanted->cbegin(); it != wanted->cend(); ++it) {
        if (TreeFileNames.contains(it.key()))
            continue;
        if (const SaveResult written = writeFileAtomically(workDirectory + u'/' + it.key(), it.value());
            !written)
            return written;
    }
    for (const QString &name : TreeFileNames)
        tree.append({workDirectory + u'/' + name, wanted->value(name)});
    if (const SaveResult written = writeFilesAtomically(tree); !written)
        return written;
    for (auto it = current->cbegin(); it != current->cend(); ++it)
        if (!wanted->contains(it.key()))
            QFile::remove(workDirectory + u'/' + it.key());
    return SaveResult::success();
}
