// SPDX-License-Identifier: GPL-3.0-or-later
// Linkshelf's entry point: the application, the desktop services, the catalog's lock and
// daily backup, and the main window.
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
#include <memory>

namespace {

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
    const ProgramArguments decoded = programArguments(raw);
    if (!decoded.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(decoded.error));
        return 2;
    }
    const CommandLineOptions options = parseCommandLine(decoded.arguments);
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

// The window on the settled catalog, until the user closes it. The daily backup starts once
// the window has loaded the catalog (settling an interrupted save) and is up: the snapshot
// takes its own thread and never holds up the first paint.
int runWindow(const TMain::Services &services, const CommandLineOptions &options, const StartPlan &plan,
              SingleInstance &instance)
{
    try {
        TMain window(services);
        instance.setHandler([&window](const ForwardedCommandLine &later) {
            return showForwardedStart(window, later.arguments, later.currentDir);
        });
        // A later start that is still waiting then hears that nothing more was done.
        const auto windowGone = qScopeGuard([&instance] { instance.setHandler({}); });
        applyStartOptions(window, options);
        window.show();
        std::unique_ptr<DailyBackups> backups;
        if (plan.makeDailyBackup) {
            Interaction &interaction = *services.interaction;
            backups = std::make_unique<DailyBackups>(
                services.catalog.paths.WorkDirectory, [&interaction](const QString &why) {
                    tellTerminal(why);
                    interaction.showMessage(
                        QStringLiteral("Today's backup of the catalog could not be made.\n%1").arg(why));
                });
            backups->start();
        }
        return QApplication::exec();
    } catch (const std::exception &e) {
        // A catalog that cannot be loaded ends the program before it could damage it.
        LinkshelfApplication::showException(QString::fromLocal8Bit(e.what()));
        return 1;
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
    const QStringList arguments = QCoreApplication::arguments();
    const CommandLineOptions options = parseCommandLine(arguments);
    const QString programDir = ResolveProgramDir(QCoreApplication::applicationDirPath());
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    TMain::Services services{&interaction, shell.get(), &icons, &registry, programDir};
    services.catalog = resolveRunWorkDirectory(registry, programDir, dataHome, options.workDir);
    // The lock is taken before the window reads or writes anything.
    SingleInstance instance(services.catalog.paths.WorkDirectory);
    const StartPlan plan = settleStart(instance, services.catalog, options.restoreBackupDate,
                                       {QDir::currentPath(), arguments}, interaction);
    if (plan.exitCode)
        return *plan.exitCode;
    return runWindow(services, options, plan, instance);
}
