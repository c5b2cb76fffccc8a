// SPDX-License-Identifier: GPL-3.0-or-later
// The work directory: the stored WorkDir value, or a default that is written back as the
// value, created when it does not exist yet.
#include "workdirectory.h"

#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

const QString WorkDirKey = QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf");
const QString WorkDirValue = QStringLiteral("WorkDir");

// The value ends at its first zero character, as a registry string does. An empty value
// would put the catalog's files at the file system's root: it counts as no value at all.
std::optional<QString> storedWorkDirectory(const SettingsStore &store)
{
    std::optional<QString> value =
        store.readString(SettingsStore::Root::LocalMachine, WorkDirKey, WorkDirValue);
    if (value && value->contains(QChar(0)))
        value->truncate(value->indexOf(QChar(0)));
    if (!value || value->isEmpty())
        return std::nullopt;
    return value;
}

// A directory the user named gets one level only: a mistyped parent should fail loudly rather
// than grow a tree of folders. The default lies under the user's data folder, whose missing
// parents are ours to make.
std::error_code createWorkDirectory(const QString &path, bool withParents)
{
    const std::filesystem::path native(QFile::encodeName(path).toStdString());
    std::error_code error;
    const bool created = withParents ? std::filesystem::create_directories(native, error)
                                     : std::filesystem::create_directory(native, error);
    if (!error && !created)
        error = std::make_error_code(std::errc::not_a_directory);
    return error;
}

// The program takes the catalog's lock before it builds the window, and so makes a missing
// work directory to hold the lock: a directory with nothing else in it is still a new catalog.
bool holdsOnlyItsLock(const QString &workDirectory)
{
    const QStringList names =
        QDir(workDirectory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return !names.isEmpty() && std::all_of(names.cbegin(), names.cend(), isCatalogLockFileName);
}

} // namespace

QString ResolveProgramDir(const QString &applicationDirPath)
{
    if (applicationDirPath.endsWith(QLatin1Char('/')))
        return applicationDirPath;
    return applicationDirPath + QLatin1Char('/');
}

QString defaultWorkDirectory(const QString &programDir, const QString &dataHome)
{
    const QString portable = programDir + QStringLiteral("tree");
    if (QFileInfo(portable).isDir())
        return portable;
    return dataHome + QStringLiteral("/Linkshelf/tree");
}

WorkDirResolution ResolveWorkDir(SettingsStore &store, const QString &programDir, const QString &dataHome)
{
    const std::optional<QString> stored = storedWorkDirectory(store);
    const QString workDirectory = stored ? *stored : defaultWorkDirectory(programDir, dataHome);
    if (!stored) // a failure to store the default only means it is worked out again next time
        store.writeString(SettingsStore::Root::LocalMachine, WorkDirKey, WorkDirValue, workDirectory);
    return resolveWorkDirectoryAt(workDirectory, !stored);
}

WorkDirResolution resolveWorkDirectoryAt(const QString &workDirectory, bool withParents)
{
    WorkDirResolution resolution;
    resolution.paths = CatalogPaths::forWorkDirectory(workDirectory);
    if (QFileInfo(workDirectory).isDir()) {
        resolution.newCatalog = holdsOnlyItsLock(workDirectory);
        return resolution;
    }
    resolution.newCatalog = true;
    const std::error_code error = createWorkDirectory(workDirectory, withParents);
    if (error) {
        resolution.usable = false;
        resolution.errorString =
            QStringLiteral("Cannot create the work directory \"%1\": %2")
                .arg(QDir::toNativeSeparators(workDirectory), QString::fromStdString(error.message()));
    }
    return resolution;
}

WorkDirResolution resolveRunWorkDirectory(SettingsStore &store, const QString &programDir,
                                          const QString &dataHome, const QString &chosen)
{
    return chosen.isEmpty() ? ResolveWorkDir(store, programDir, dataHome)
                            : resolveWorkDirectoryAt(chosen, true);
}
