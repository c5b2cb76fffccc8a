// SPDX-License-Identifier: GPL-3.0-or-later
// Every refusal names the lock file: it is what the user can look at, and remove when no
// Linkshelf is running.
#include "catalogstart.h"

#include "atomicfile.h"
#include "backups.h"
#include "interaction.h"
#include "workdirectory.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

CatalogStart ending(SingleInstance::Start start, const QString &message)
{
    return {start, 1, message};
}

CatalogStart offerTakeOver(SingleInstance &instance, Interaction &interaction)
{
    const CatalogLock &lock = instance.lock();
    const QString catalog = native(QFileInfo(lock.path()).absolutePath());
    const QString host = lock.holder().host;
    const QString question =
        QStringLiteral(
            "The catalog \"%1\" is in use by an earlier version of Linkshelf on the computer \"%2\" "
            "(lock file \"%3\"), which writes its own copy over what other computers add. Update "
            "Linkshelf there to use the catalog on both computers at once.\n\nTake the catalog over "
            "from \"%2\"?")
            .arg(catalog, host, native(lock.path()));
    if (interaction.confirmRisk(question, QString()) && instance.takeOver() == SingleInstance::Start::Primary)
        return {SingleInstance::Start::Primary, std::nullopt, {}};
    return ending(
        SingleInstance::Start::HeldElsewhere,
        QStringLiteral("Linkshelf did not start: the catalog \"%1\" is in use on the computer \"%2\", "
                       "as its lock file \"%3\" says.")
            .arg(catalog, host, native(lock.path())));
}

} // namespace

CatalogStart settleCatalogLock(SingleInstance &instance, const ForwardedCommandLine &commandLine,
                               Interaction &interaction, bool restoringBackup)
{
    using Start = SingleInstance::Start;
    const Start start = instance.start(commandLine);
    const QString lockFile = native(instance.lock().path());
    const QString catalog = native(QFileInfo(instance.lock().path()).absolutePath());
    switch (start) {
    case Start::Primary:
    case Start::Unlocked:
        return {start, std::nullopt, {}};
    case Start::HeldElsewhere:
        return offerTakeOver(instance, interaction);
    case Start::EarlierVersion:
        return ending(start,
                      QStringLiteral("An earlier version of Linkshelf (process %1) is running on the catalog "
                                     "\"%2\", as its lock file \"%3\" says. It writes its own copy over what "
                                     "other windows add: close it, then start Linkshelf again.")
                          .arg(QString::number(instance.lock().holder().pid), catalog, lockFile));
    case Start::LockNotAFile:
        return ending(start,
                      QStringLiteral("Linkshelf cannot lock the catalog \"%1\": \"%2\" is not a plain file "
                                     "(a folder or a link is in its place). Move it away, then start "
                                     "Linkshelf again.")
                          .arg(catalog, lockFile));
    case Start::Forwarded:
    case Start::NoAnswer:
    case Start::NoChannel:
        break;
    }
    if (restoringBackup)
        return ending(start, QStringLiteral("Close Linkshelf before restoring a backup of its catalog."));
    if (start == Start::Forwarded) {
        if (instance.handOverFailure().isEmpty())
            return {start, 0, {}}; // the running Linkshelf has done it
        return {start, 1, instance.handOverFailure(), true};
    }
    const QString running =
        QStringLiteral("Linkshelf (process %1) is already running on the catalog \"%2\", as its "
                       "lock file \"%3\" says, ")
            .arg(QString::number(instance.lock().holder().pid), catalog, lockFile);
    if (start == Start::NoChannel)
        return ending(start,
                      running + QStringLiteral("but cannot be reached: %1.").arg(instance.channelProblem()));
    return ending(start, running + QStringLiteral("but does not answer."));
}

void tellTerminal(const QString &text)
{
    std::fprintf(stderr, "linkshelf: %s\n", qPrintable(text));
}

StartPlan settleStart(SingleInstance &instance, const WorkDirResolution &catalog,
                      const std::optional<QString> &restoreDate, const ForwardedCommandLine &commandLine,
                      Interaction &interaction)
{
    const CatalogStart settled =
        catalog.usable ? settleCatalogLock(instance, commandLine, interaction, restoreDate.has_value())
                       : CatalogStart{};
    if (!settled.message.isEmpty()) {
        tellTerminal(settled.message);
        if (!settled.toldInRunningWindow)
            interaction.showMessage(settled.message);
    }
    if (settled.exitCode)
        return {settled.exitCode};
    const bool writer = settled.start == SingleInstance::Start::Primary;
    const QString workDirectory = catalog.paths.WorkDirectory;
    if (writer)
        removeAbandonedTemporaryFiles(workDirectory); // no other writer can be busy with them
    if (restoreDate) {
        const SaveResult restored = restoreBackup(workDirectory, *restoreDate);
        if (!restored) {
            tellTerminal(restored.errorString);
            interaction.showMessage(
                QStringLiteral("The backup was not restored.\n%1").arg(restored.errorString));
            return {1};
        }
    }
    return {std::nullopt, writer};
}
