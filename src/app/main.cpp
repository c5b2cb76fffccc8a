// SPDX-License-Identifier: GPL-3.0-or-later
// Linkshelf's entry point: the application, the desktop services and the main window.
#include "desktopinteraction.h"
#include "linkshelfapplication.h"
#include "settingsstore.h"
#include "shell.h"
#include "systemicons.h"
#include "tmain.h"
#include "workdirectory.h"

#include <QStandardPaths>

int main(int argc, char **argv)
{
    LinkshelfApplication app(argc, argv);
    SettingsStore registry(SettingsStore::registryPath());
    SettingsStore iniFile(SettingsStore::iniFilePath());
    const std::unique_ptr<Shell> shell = Shell::createDesktopShell();
    SystemIcons icons;
    DesktopInteraction interaction(nullptr, iniFile, *shell);
    TMain::Services services{&interaction, shell.get(), &icons, &registry,
                             ResolveProgramDir(QCoreApplication::applicationDirPath()),
                             QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)};
    try {
        TMain window(services);
        window.show();
        return app.exec();
    } catch (const std::exception &e) {
        // A catalog that cannot be loaded ends the program before it could damage it.
        LinkshelfApplication::showException(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
