// SPDX-License-Identifier: GPL-3.0-or-later
// Restoring a snapshot from the running window: the tree and entries shown are the restored
// ones, and a date without a snapshot changes nothing.
#include "backups.h"
#include "entrylistmodel.h"
#include "maintree.h"
#include "restorebackupcommand.h"
#include "testenvironment.h"
#include "windowfixture.h"

class TestRestoreBackupCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theWindowShowsTheRestoredCatalog()
    {
        WindowFixture f;
        TMain &w = f.open();
        w.entryCommands().AddUrl(QStringLiteral("http://kept.example"));
        QCOMPARE(makeDailyBackup(f.workDir(), QDate(2024, 3, 1)).outcome, BackupResult::Made);
        w.folderCommands().CreateFolder(nullptr, QStringLiteral("Later"));
        w.mainTree()->setCurrentItem(w.mainTree()->topLevelItem(0));
        w.entryCommands().Delete2Click(); // nothing selected: a no-op that must not matter

        f.interaction.stringAnswers = {QStringLiteral("1999-01-01")};
        QVERIFY(!restoreBackupCommand(w.session()));
        QCOMPARE(w.mainTree()->topLevelItemCount(), 2);
        QVERIFY(f.interaction.messages.last().contains(QStringLiteral("2024-03-01")));

        f.interaction.stringAnswers = {QStringLiteral("2024-03-01")};
        QVERIFY(restoreBackupCommand(w.session()));
        QCOMPARE(w.mainTree()->topLevelItemCount(), 1);
        QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Hot Files"));
        QCOMPARE(w.mainList()->model().count(), 1);
        QVERIFY(f.interaction.prompts.last().contains(QStringLiteral("2024-03-01")));
    }
};

LINKSHELF_TEST_MAIN(TestRestoreBackupCommand)
#include "tst_restorebackupcommand.moc"
