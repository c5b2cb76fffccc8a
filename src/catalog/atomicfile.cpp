// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file replacement through a temporary file in the target's own folder.
#include "atomicfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <filesystem>
#include <optional>
#include <system_error>

namespace {

QString failureText(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), reason);
}

// QSaveFile writes to a temporary file, syncs it to disk and renames it on commit, so the
// file at path is either the old one or the complete new one. Returns why it failed, or
// nothing.
std::optional<QString> commitFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

QString stagingPath(const QString &path)
{
    return path + QStringLiteral(".new");
}

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

void removeStagingFiles(const QList<PendingFile> &files, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i)
        QFile::remove(stagingPath(files[i].path));
}

} // namespace

SaveResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const std::optional<QString> reason = commitFile(path, bytes);
    return reason ? SaveResult::failure(failureText(path, *reason)) : SaveResult::success();
}

// QFile::rename refuses to replace an existing file; rename(2), behind std::filesystem,
// replaces it atomically. The renames cannot fail for want of space, as every byte is on
// disk by then, so the unit can only be split by a failure no write order could prevent.
SaveResult writeFilesAtomically(const QList<PendingFile> &files)
{
    for (qsizetype i = 0; i < files.size(); ++i) {
        const std::optional<QString> reason = commitFile(stagingPath(files[i].path), files[i].bytes);
        if (reason) {
            removeStagingFiles(files, i);
            return SaveResult::failure(failureText(files[i].path, *reason));
        }
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        std::error_code error;
        std::filesystem::rename(nativePath(stagingPath(files[i].path)), nativePath(files[i].path), error);
        if (error) {
            removeStagingFiles(files.mid(i), files.size() - i);
            return SaveResult::failure(failureText(files[i].path, QString::fromStdString(error.message())));
        }
    }
    return SaveResult::success();
}
