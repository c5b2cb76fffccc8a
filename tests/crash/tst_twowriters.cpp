// SPDX-License-Identifier: GPL-3.0-or-later
// Two writers on one catalog: the real window, driven with keys and clicks, and a child
// process playing another machine, take turns for a few hundred random rounds. Whatever
// order the turns come in and whether the window has seen the other's change yet, every
// entry added and not deleted ends up in the files exactly once, and no deletion comes back.
#include "entrylistmodel.h"
#include "entrywindowfixture.h"
#include "maintree.h"
#include "testenvironment.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QToolButton>

#include <random>

namespace {

constexpr int Rounds = 300;

QMultiMap<QByteArray, int> pathCounts(const QList<MFile> &entries)
{
    QMultiMap<QByteArray, int> counts;
    for (const MFile &file : entries)
        counts.insert(file.Path, 1);
    return counts;
}

// Scrolls the entry into view and clicks it.
void clickEntryWithPath(TMain &w, const QByteArray &path)
{
    for (int row = 0; row < w.mainList()->model().count(); ++row)
        if (w.mainList()->model().rowAt(row).file.Path == path) {
            w.mainList()->scrollToRow(row);
            clickEntry(w, row);
            return;
        }
    QFAIL("no such entry");
}

QTreeWidgetItem *topFolderNamed(TMain &w, const QString &name)
{
    for (int i = 0; i < w.mainTree()->topLevelItemCount(); ++i)
        if (w.mainTree()->topLevelItem(i)->text(0) == name)
            return w.mainTree()->topLevelItem(i);
    return nullptr;
}

} // namespace

class TestTwoWriters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyAddStaysAndNoDeletionComesBack();
};

void TestTwoWriters::everyAddStaysAndNoDeletionComesBack()
{
    const unsigned seed = qEnvironmentVariableIsSet("LINKSHELF_SEED")
                              ? qEnvironmentVariable("LINKSHELF_SEED").toUInt()
                              : QRandomGenerator::global()->generate();
    qInfo("seed %u (LINKSHELF_SEED=%u repeats this run)", seed, seed);
    std::mt19937 random(seed);

    Fixture f;
    f.writeTreeFiles("Hot Files\r\nOther\r\n", "cat0.lsf\r\ncat1.lsf\r\n", QByteArray("\x02\x00", 2));
    f.writeCatalogFile(QStringLiteral("cat0.lsf"), emptyContents());
    f.writeCatalogFile(QStringLiteral("cat1.lsf"), emptyContents());
    TMain &w = showWindow(f.open());
    QWidget *view = w.mainList()->currentView();

    QProcess other;
    other.start(QStringLiteral(LINKSHELF_OUTSIDE_WRITER_CHILD), {f.workDir(), QString::number(seed)});
    QVERIFY(other.waitForStarted());

    QSet<QByteArray> live;            // in cat0.lsf: added by either side and not deleted
    QSet<QByteArray> deleted;         // never to come back
    QSet<QByteArray> otherFolderAdds; // the other machine's adds to cat1.lsf
    QStringList folders{QStringLiteral("Hot Files"), QStringLiteral("Other")};
    int windowRounds = 0, otherRounds = 0;

    for (int round = 0; round < Rounds; ++round) {
        if (random() % 2) {
            ++otherRounds;
            other.write("go\n");
            while (!other.canReadLine())
                QVERIFY(other.waitForReadyRead(10000));
            const QByteArray line = other.readLine().trimmed();
            const QList<QByteArray> done = line.split(' ');
            if (done[0] == "add" && done[1] == "cat0.lsf")
                live.insert(done[2]);
            else if (done[0] == "add")
                otherFolderAdds.insert(done[2]);
            else if (done[0] == "delete") {
                live.remove(done[2]);
                deleted.insert(done[2]);
            } else if (done[0] == "folder")
                folders.append(QString::fromLatin1(done[1]));
        } else {
            ++windowRounds;
            // The list may not show the other side's last change yet: act on what it shows.
            QList<QByteArray> shown;
            for (int row = 0; row < w.mainList()->model().count(); ++row)
                if (live.contains(w.mainList()->model().rowAt(row).file.Path))
                    shown.append(w.mainList()->model().rowAt(row).file.Path);
            showWindow(w); // a menu that closed leaves no window active on the offscreen platform
            const unsigned action = random() % 5;
            if (action == 0 && !shown.isEmpty()) {
                const QByteArray path = shown[qsizetype(random() % shown.size())];
                clickEntryWithPath(w, path);
                f.interaction.yesNoAnswers = {true};
                view->setFocus();
                QTest::keyClick(view, Qt::Key_Delete);
                live.remove(path);
                deleted.insert(path);
            } else if (action == 1 && !shown.isEmpty()) {
                const QByteArray path = shown[qsizetype(random() % shown.size())];
                clickEntryWithPath(w, path);
                f.interaction.propertyAnswers = {EntryProperties{
                    QString::fromLatin1(path), {}, QStringLiteral("edited in round %1").arg(round)}};
                QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("RxSpeedButton8")),
                                  Qt::LeftButton);
            } else if (action == 2) {
                const QString name = QStringLiteral("Mine%1").arg(round);
                f.interaction.stringAnswers = {name};
                w.mainTree()->setFocus();
                QTest::keyClick(w.mainTree(), Qt::Key_F7);
                folders.append(name);
                // Back to the folder the two sides share, with a click as the user would.
                QTreeWidgetItem *hot = topFolderNamed(w, QStringLiteral("Hot Files"));
                QVERIFY(hot);
                w.mainTree()->scrollToItem(hot);
                QTest::mouseClick(w.mainTree()->viewport(), Qt::LeftButton, {},
                                  w.mainTree()->visualItemRect(hot).center());
                QCOMPARE(w.mainTree()->selectedFolder()->text(0), QStringLiteral("Hot Files"));
            } else {
                const QByteArray path = "https://mine" + QByteArray::number(round) + ".example/";
                f.interaction.stringAnswers = {QString::fromLatin1(path)};
                view->setFocus();
                QTest::keyClick(view, Qt::Key_Insert, Qt::ShiftModifier);
                live.insert(path);
            }
            QVERIFY2(f.interaction.unexpected.isEmpty(), qPrintable(f.interaction.unexpected.join(u',')));
            QVERIFY(f.interaction.stringAnswers.isEmpty() && f.interaction.yesNoAnswers.isEmpty() &&
                    f.interaction.propertyAnswers.isEmpty()); // every command took its answer
        }
        if (random() % 2) // sometimes the window sees the other's change before its next command
            QCoreApplication::processEvents();
    }
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished());

    const QList<MFile> shared = readContentsFile(f.catalogFile(QStringLiteral("cat0.lsf"))).entries;
    const QList<MFile> otherFolder = readContentsFile(f.catalogFile(QStringLiteral("cat1.lsf"))).entries;
    const FolderTreeLoad tree = loadFolderTree(CatalogPaths::forWorkDirectory(f.workDir()));
    QStringList foldersFound;
    for (const FolderRecord &folder : tree.folders)
        foldersFound.append(QString::fromLatin1(folder.Name));
    qInfo("rounds %d (window %d, other machine %d); shared folder: %lld entries expected, %lld found; "
          "other folder: %lld expected, %lld found; folders: %lld expected, %lld found",
          Rounds, windowRounds, otherRounds, qlonglong(live.size()), qlonglong(shared.size()),
          qlonglong(otherFolderAdds.size()), qlonglong(otherFolder.size()), qlonglong(folders.size()),
          qlonglong(foldersFound.size()));

    const QMultiMap<QByteArray, int> counts = pathCounts(shared);
    for (const QByteArray &path : live)
        QVERIFY2(counts.count(path) == 1, path.constData());
    for (const QByteArray &path : deleted)
        QVERIFY2(!counts.contains(path), path.constData());
    QCOMPARE(shared.size(), live.size());
    QTRY_COMPARE(w.mainList()->model().count(), shared.size()); // and the window shows them
    QCOMPARE(otherFolder.size(), otherFolderAdds.size());
    for (const MFile &file : otherFolder)
        QVERIFY(otherFolderAdds.contains(file.Path));
    std::sort(folders.begin(), folders.end());
    std::sort(foldersFound.begin(), foldersFound.end());
    QCOMPARE(foldersFound, folders);
    QVERIFY(f.interaction.messages.isEmpty());
}

LINKSHELF_TEST_MAIN(TestTwoWriters)
#include "tst_twowriters.moc"
