// SPDX-License-Identifier: GPL-3.0-or-later
// A start of the program handed to the window: the entries of a command line reach the
// catalog, and a second start on a held catalog is carried out by the running window.
#include "commandline.h"
#include "contentsfile.h"
#include "entrymakers.h"
#include "forwardedstart.h"
#include "maintree.h"
#include "singleinstance.h"
#include "testenvironment.h"
#include "windowfixture.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

class TestForwardedStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aFileUrlKeepsItsBytesIntoTheCatalog();
    void aRunningWindowCarriesOutImportAndExportAndSaysHowItWent();
};

// What a text cannot carry reaches the catalog through a file: URL, byte for byte.
void TestForwardedStart::aFileUrlKeepsItsBytesIntoTheCatalog()
{
    WindowFixture f;
    TMain &w = f.open();
    addCommandLineEntries(
        w, parseCommandLine({QStringLiteral("linkshelf"), QStringLiteral("file:///x/caf%E9")}).add);
    QCOMPARE(parseContents(f.readCatalogFile(QStringLiteral("cat0.lsf"))).entries,
             QList<MFile>{fileEntry("/x/caf\xE9")});
}

// The real program started again on a catalog that this process holds, as from a script: the
// window here carries its command line out, and the exit code says whether it could.
void TestForwardedStart::aRunningWindowCarriesOutImportAndExportAndSaysHowItWent()
{
    WindowFixture f;
    TMain &w = f.open();
    SingleInstance holder(f.workDir());
    QCOMPARE(holder.start({QDir::currentPath(), {QStringLiteral("linkshelf")}}),
             SingleInstance::Start::Primary);
    holder.setHandler([&w](const ForwardedCommandLine &later) {
        return showForwardedStart(w, later.arguments, later.currentDir);
    });
    const auto startAgain = [&f](const QStringList &arguments, QByteArray *said = nullptr) {
        QProcess program;
        program.start(QStringLiteral(LINKSHELF_PROGRAM),
                      QStringList{QStringLiteral("--workdir"), f.workDir()} + arguments);
        QDeadlineTimer deadline(30000);
        while (program.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(10); // this process answers on the channel meanwhile
        if (said)
            *said = program.readAllStandardError();
        return program.state() == QProcess::NotRunning ? program.exitCode() : -1;
    };

    const QString exported = f.dir.filePath(QStringLiteral("out.html"));
    QCOMPARE(startAgain({QStringLiteral("--export"), exported}), 0);
    QFile file(exported);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("Hot Files"));

    QByteArray said;
    const QString missing = f.dir.filePath(QStringLiteral("missing.html"));
    QCOMPARE(startAgain({QStringLiteral("--import"), missing}, &said), 1);
    QVERIFY2(said.contains("were not imported"), said.constData());
    QTRY_COMPARE(f.interaction.messages.size(), 1); // the window says why, once the start has its answer
    QCOMPARE(w.mainTree()->topLevelItemCount(), 1);
}

LINKSHELF_TEST_MAIN(TestForwardedStart)
#include "tst_forwardedstart.moc"
