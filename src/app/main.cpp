// SPDX-License-Identifier: GPL-3.0-or-later
// Linkshelf's entry point: the application, the desktop services, the catalog's lock and
// daily backup, and the main window.
#include "atomicfile.h"
#include "backups.h"
#include "catalogstart.h"
#include "commandline.h"
#include "dailybackups.h"
#include "desktopinteraction.h"
#include "forwardedstart.h"
#include "linkshelfapplication.h"
#include "settingsstore.h"
#include "shell.h"
#include "singleinstance.h"
#include "systemicons.h"
#include "tmain.h"
#include "workdirectory.h"

#include <QDir>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cstdio>

namespace {

// "--restore-backup DATE" (or "--restore-backup=DATE"), taken out of arguments; none when
// absent. An empty date when the option has no value.
std::optional<QString> takeRestoreBackupOption(QStringList &arguments)
{
    const QString option = QStringLiteral("--restore-backup");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(option + u'=')) {
            const QString date = arguments.takeAt(i).mid(option.size() + 1);
            return date;
        }
        if (arguments[i] == option) {
            arguments.removeAt(i);
            return i < arguments.size() ? arguments.takeAt(i) : QString();
        }
    }
    return std::nullopt;
}

void complain(const QString &text)
{
    std::fprintf(stderr, "linkshelf: %s\n", qPrintable(text));
}

// Options that only print (--help, --version, a mistake) are answered before the window
// system is asked for, so they work over ssh and in scripts. Returns the exit code then.
// An argument that no text carries exactly is refused here too, before anything is created.
std::optional<int> answerPrintingOptions(int argc, char **argv)
{
    QCoreApplication probe(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("linkshelf"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LINKSHELF_VERSION));
    QList<QByteArray> raw;
    for (int i = 0; i < argc; ++i) // what Qt left of argv: its own options are taken out
        raw.append(QByteArray(argv[i]));
    ProgramArguments decoded = programArguments(raw);
    if (!decoded.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(decoded.error));
        return 2;
    }
    QStringList &arguments = decoded.arguments;
    takeRestoreBackupOption(arguments);
    const CommandLineOptions options = parseCommandLine(arguments);
    switch (options.action) {
    case CommandLineOptions::Action::Run:
        return std::nullopt;
    case CommandLineOptions::Action::Error:
        std::fprintf(stderr, "%s\n", qPrintable(options.message));
        return 2;
    default:
        std::fprintf(stdout, "%s\n", qPrintable(options.message));
        return 0;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (const std::optional<int> exitCode = answerPrintingOptions(argc, argv))
        return *exitCode;
    LinkshelfApplication app(argc, argv);
    SettingsStore registry(SettingsStore::registryPath());
    SettingsStore iniFile(SettingsStore::iniFilePath());
    const std::unique_ptr<Shell> shell = Shell::createDesktopShell();
    SystemIcons icons;
    DesktopInteraction interaction(nullptr, iniFile, *shell);
    TMain::Services services{&interaction,
                             shell.get(),
                             &icons,
                             &registry,
                             ResolveProgramDir(QCoreApplication::applicationDirPath()),
                             QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)};

    QStringList arguments = QCoreApplication::arguments();
    const std::optional<QString> restoreDate = takeRestoreBackupOption(arguments);
    const CommandLineOptions options = parseCommandLine(arguments);
    services.workDirectory = options.workDir;

    // The lock is taken before the window reads or writes anything. A directory made here
    // for it still counts as a new catalog when the window resolves it again.
    const WorkDirResolution where = options.workDir.isEmpty()
                                        ? ResolveWorkDir(registry, services.programDir, services.dataHome)
                                        : resolveWorkDirectoryAt(options.workDir, true);
    const QString workDirectory = where.paths.WorkDirectory;
    SingleInstance instance(workDirectory);
    const CatalogStart settled = where.usable ? settleCatalogLock(instance, {QDir::currentPath(), arguments},
                                                                  interaction, restoreDate.has_value())
                                              : CatalogStart{};
    if (!settled.message.isEmpty()) {
        complain(settled.message);
        if (!settled.toldInRunningWindow)
            interaction.showMessage(settled.message);
    }
    if (settled.exitCode)
        return *settled.exitCode;
    const SingleInstance::Start start = settled.start;
    if (start == SingleInstance::Start::Primary)
        removeAbandonedTemporaryFiles(workDirectory); // no other writer can be busy with them

    if (restoreDate) {
        const SaveResult restored = restoreBackup(workDirectory, *restoreDate);
        if (!restored) {
            complain(restored.errorString);
            interaction.showMessage(
                QStringLiteral("The backup was not restored.\n%1").arg(restored.errorString));
            return 1;
        }
    }

    try {
        TMain window(services);
        instance.setHandler([&window](const ForwardedCommandLine &later) {
            return ShowForwardedStart(window, later.arguments, later.currentDir);
        });
        // A later start that is still waiting then hears that nothing more was done.
        const auto windowGone = qScopeGuard([&instance] { instance.setHandler({}); });
        ApplyStartOptions(window, options);
        window.show();
        // After the window has loaded the catalog (settling an interrupted save) and is up:
        // the snapshot takes its own thread and never holds up the first paint.
        std::unique_ptr<DailyBackups> backups;
        if (start == SingleInstance::Start::Primary) {
            backups = std::make_unique<DailyBackups>(workDirectory, [&interaction](const QString &why) {
                complain(why);
                interaction.showMessage(
                    QStringLiteral("Today's backup of the catalog could not be made.\n%1").arg(why));
            });
            backups->start();
        }
        return app.exec();
    } catch (const std::exception &e) {
        // A catalog that cannot be loaded ends the program before it could damage it.
        LinkshelfApplication::showException(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
