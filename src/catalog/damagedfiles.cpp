// SPDX-License-Identifier: GPL-3.0-or-later
// A damaged file is read as far as it goes, and the next write of its folder replaces it with
// what was read: the copy keeps the rest for the user, or for a tool that can mend it.
#include "damagedfiles.h"

#include "atomicfile.h"
#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString damagedFilesFolder(const QString &workDirectory)
{
    return workDirectory + QStringLiteral("/damaged");
}

DamagedCopy keepDamagedCopy(const QString &workDirectory, const QString &file, const QDateTime &now)
{
    DamagedCopy copy;
    const RegularFileRead read = readRegularFile(file, SymbolicLinks::Refuse);
    if (read.missing || (read && read.bytes->isEmpty()))
        return copy;
    if (!read) { // there is something, and it cannot be kept: it must not be written over
        copy.result = SaveResult::failure(
            QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(file), read.error));
        return copy;
    }
    const std::optional<QByteArray> &bytes = read.bytes;
    const QString name = QFileInfo(file).fileName();
    const QDir folder(damagedFilesFolder(workDirectory));
    const QString prefix = name + QStringLiteral(".damaged-");
    for (const QString &kept : folder.entryList({prefix + u'*'}, QDir::Files, QDir::Name)) {
        if (readWholeFile(folder.filePath(kept)) == bytes) {
            copy.path = folder.filePath(kept);
            return copy;
        }
    }
    if (!QDir().mkpath(folder.path())) {
        copy.result = SaveResult::failure(
            QStringLiteral("Cannot create the folder \"%1\"").arg(QDir::toNativeSeparators(folder.path())));
        return copy;
    }
    // Two damaged versions within one second are kept side by side.
    const QString stamp = prefix + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    copy.path = folder.filePath(stamp);
    for (int n = 2; QFileInfo::exists(copy.path); ++n)
        copy.path = folder.filePath(stamp + u'-' + QString::number(n));
    copy.result = writeFileAtomically(copy.path, *bytes);
    copy.made = copy.result.ok;
    return copy;
}
