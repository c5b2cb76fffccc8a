// SPDX-License-Identifier: GPL-3.0-or-later
#include "restorebackupcommand.h"

#include "backups.h"
#include "catalogsession.h"
#include "interaction.h"

bool restoreBackupCommand(CatalogSession &session)
{
    Interaction &interaction = session.interaction();
    const QString workDirectory = session.paths().WorkDirectory;
    const QStringList kept = availableBackups(workDirectory);
    if (kept.isEmpty()) {
        interaction.showMessage(QStringLiteral("There is no backup of this catalog yet."));
        return false;
    }
    const std::optional<QString> date = interaction.askForString(
        QStringLiteral("Restore backup"),
        QStringLiteral("Date of the backup to restore (%1)").arg(kept.join(QStringLiteral(", "))));
    if (!date)
        return false;
    // Every command has written its change already, so nothing in the window is newer than
    // the files; the catalog as it is goes into a snapshot of its own before it is replaced.
    QString replacedKeptAs;
    const SaveResult restored = restoreBackup(workDirectory, date->trimmed(), &replacedKeptAs);
    if (!restored) {
        interaction.showMessage(QStringLiteral("The backup was not restored.\n%1").arg(restored.errorString));
        return false;
    }
    session.LoadFolderTree();
    if (!replacedKeptAs.isEmpty()) // an empty catalog was kept as nothing: nothing to go back to
        session.history().record(QStringLiteral("Restore backup"),
                                 CatalogEdit{.wholeCatalogFrom = replacedKeptAs});
    return true;
}
