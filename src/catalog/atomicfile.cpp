// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file replacement through a temporary file in the target's own folder.
#include "atomicfile.h"

#include "filewriter.h"
#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {

// Large files go out in pieces, as a disk that fills up takes some and refuses the rest.
constexpr qsizetype WriteChunk = qsizetype(1) << 20;

QString failureText(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), reason);
}

// The size the file system gives the new file, against the bytes meant for it: the last
// check before the rename, which holds whatever the writes said.
std::optional<QString> checkSize(const QSaveFile &file, qsizetype expected)
{
    const qint64 size = file.size();
    if (size == expected)
        return std::nullopt;
    return QStringLiteral("only %1 of its %2 bytes reached the disk").arg(size).arg(expected);
}

// QSaveFile writes to a temporary file, syncs it to disk and renames it on commit, so the
// file at path is either the old one or the complete new one. Returns why it failed, or
// nothing.
std::optional<QString> commitFile(FileWriter &writer, const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (std::optional<QString> reason = writer.open(file))
        return reason;
    for (qsizetype at = 0; at < bytes.size(); at += WriteChunk) {
        const QByteArrayView chunk =
            QByteArrayView(bytes).sliced(at, std::min(WriteChunk, bytes.size() - at));
        if (std::optional<QString> reason = writer.write(file, chunk)) {
            file.cancelWriting();
            return reason;
        }
    }
    if (std::optional<QString> reason = checkSize(file, bytes.size())) {
        file.cancelWriting();
        return reason;
    }
    if (std::optional<QString> reason = writer.commit(file)) {
        file.cancelWriting();
        return reason;
    }
    return std::nullopt;
}

bool isStaged(const QString &target)
{
    return QFileInfo(stagingPath(target)).isFile();
}

// Last first: a removal cut short leaves the first files staged, which still reads as a
// save that died while staging.
SaveResult removeStagingFiles(FileWriter &writer, const QStringList &targets, qsizetype count)
{
    for (qsizetype i = count - 1; i >= 0; --i)
        if (isStaged(targets[i]) && !writer.remove(stagingPath(targets[i])))
            return SaveResult::failure(
                failureText(stagingPath(targets[i]), QStringLiteral("cannot be removed")));
    return SaveResult::success();
}

SaveResult renameStagingFiles(FileWriter &writer, const QStringList &targets, qsizetype from)
{
    for (qsizetype i = from; i < targets.size(); ++i)
        if (std::optional<QString> reason = writer.rename(stagingPath(targets[i]), targets[i]))
            return SaveResult::failure(failureText(targets[i], *reason));
    return SaveResult::success();
}

QStringList targetsOf(const QList<PendingFile> &files)
{
    QStringList targets;
    for (const PendingFile &file : files)
        targets.append(file.path);
    return targets;
}

} // namespace

QString stagingPath(const QString &target)
{
    return target + QStringLiteral(".new");
}

SaveResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const std::optional<QString> reason = commitFile(FileWriter::current(), path, bytes);
    return reason ? SaveResult::failure(failureText(path, *reason)) : SaveResult::success();
}

// Which staging files are left says how far a save got, because a save stages the files in
// order, renames them in the same order only once the last is staged, and removes them last
// first:
// - none left: the targets are one save;
// - the last one and every one after some point (all of them included): every file had been
//   staged and the renames had begun, so the targets before that point are already new.
//   Finishing the renames gives the new save whole;
// - the first ones only: the save died while staging and no target was touched. Dropping
//   them leaves the old save whole;
// - any other set: no save of ours leaves it. The staging files are dropped and the targets
//   left as they are, for the readers' own checks to judge.
namespace {

struct UnitState
{
    UnitRecovery::Action action = UnitRecovery::Nothing;
    qsizetype firstStaged = 0; // for Completed: the renames still to do start here
};

UnitState unitState(const QStringList &targets)
{
    QList<bool> staged;
    for (const QString &target : targets)
        staged.append(isStaged(target));
    const auto first = std::find(staged.cbegin(), staged.cend(), true);
    if (first == staged.cend())
        return {};
    const qsizetype begin = first - staged.cbegin();
    const auto lastStaged = std::find(staged.crbegin(), staged.crend(), true);
    const qsizetype end = staged.size() - (lastStaged - staged.crbegin()); // one past the last
    const bool contiguous =
        std::all_of(staged.cbegin() + begin, staged.cbegin() + end, [](bool s) { return s; });
    if (contiguous && end == targets.size())
        return {UnitRecovery::Completed, begin};
    return {contiguous && begin == 0 ? UnitRecovery::Discarded : UnitRecovery::Unexpected, 0};
}

} // namespace

UnitRecovery recoverFilesUnit(const QStringList &targets)
{
    FileWriter &writer = FileWriter::current();
    UnitRecovery recovery;
    const UnitState state = unitState(targets);
    recovery.action = state.action;
    if (state.action == UnitRecovery::Completed)
        recovery.result = renameStagingFiles(writer, targets, state.firstStaged);
    else if (state.action != UnitRecovery::Nothing)
        recovery.result = removeStagingFiles(writer, targets, targets.size());
    return recovery;
}

QStringList settledUnitSources(const QStringList &targets)
{
    const UnitState state = unitState(targets);
    QStringList sources = targets;
    if (state.action == UnitRecovery::Completed)
        for (qsizetype i = state.firstStaged; i < targets.size(); ++i)
            sources[i] = stagingPath(targets[i]);
    return sources;
}

// Once a rename has been done the unit is split until the rest are: the remaining staging
// files are then left in place, so that recoverFilesUnit finishes the save later.
SaveResult writeFilesAtomically(const QList<PendingFile> &files)
{
    FileWriter &writer = FileWriter::current();
    const QStringList targets = targetsOf(files);
    const UnitRecovery leftover = recoverFilesUnit(targets);
    if (!leftover.result)
        return leftover.result;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const std::optional<QString> reason = commitFile(writer, stagingPath(files[i].path), files[i].bytes);
        if (reason) {
            removeStagingFiles(writer, targets, i);
            return SaveResult::failure(failureText(files[i].path, *reason));
        }
    }
    const SaveResult renamed = renameStagingFiles(writer, targets, 0);
    if (!renamed && isStaged(targets.constFirst()))
        removeStagingFiles(writer, targets, targets.size()); // nothing renamed yet: the old unit stands
    return renamed;
}

// QSaveFile names its file after the target with a random six-character suffix; a kill before
// the commit leaves it behind, never read by anything, and never cleaned by Qt.
int removeAbandonedTemporaryFiles(const QString &directory)
{
    static const QRegularExpression abandoned(
        QStringLiteral("^(cat[0-9]+|tree|itree|etree)\\.lsf(\\.new)?\\.[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QDir dir(directory);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (abandoned.match(name).hasMatch() && QFile::remove(dir.filePath(name)))
            ++removed;
    return removed;
}

std::optional<QByteArray> readWholeFile(const QString &path)
{
    return readRegularFile(path, SymbolicLinks::Refuse).bytes;
}
