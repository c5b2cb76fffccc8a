// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the program out of a desktop entry's Exec= value: the escapes and quotes of the
// format, and field codes that are never the program.
#include "desktopprogram.h"
#include "testenvironment.h"

#include <QTest>

class TestDesktopProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstWord_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("program");
        // Values as written in the file, before the format's string escapes are undone.
        QTest::newRow("path and field code") << "/usr/bin/viewer %U"
                                             << "/usr/bin/viewer";
        QTest::newRow("bare name") << "viewer --new-window %f"
                                   << "viewer";
        QTest::newRow("quoted with blanks") << "\"/opt/My Tools/run\" --x"
                                            << "/opt/My Tools/run";
        QTest::newRow("escaped quote in quotes") << "\"/opt/a\\\\\"b/run\" %u"
                                                 << "/opt/a\"b/run";
        QTest::newRow("escaped backslash in quotes") << "\"/opt/a\\\\\\\\b/run\""
                                                     << "/opt/a\\b/run";
        QTest::newRow("\\s separates") << "tool\\s--flag"
                                       << "tool";
        QTest::newRow("leading blanks") << "   tool"
                                        << "tool";
        QTest::newRow("field code only") << "%F" << QString();
        QTest::newRow("empty") << QString() << QString();
    }

    void firstWord()
    {
        QFETCH(QString, exec);
        QFETCH(QString, program);
        QCOMPARE(firstWordOfExec(exec), program);
    }

    void desktopFilesAreRecognisedByName()
    {
        QVERIFY(isDesktopEntryFile(QStringLiteral("/usr/share/applications/viewer.desktop")));
        QVERIFY(isDesktopEntryFile(QStringLiteral("/x/VIEWER.DESKTOP")));
        QVERIFY(!isDesktopEntryFile(QStringLiteral("/x/viewer.desktop.bak")));
        QVERIFY(!isDesktopEntryFile(QStringLiteral("/x/desktop")));
    }

    void unreadableEntryGivesNothing()
    {
        QCOMPARE(programOfDesktopEntry(QStringLiteral("/nonexistent/viewer.desktop")), QString());
    }
};

LINKSHELF_TEST_MAIN(TestDesktopProgram)
#include "tst_desktopprogram.moc"
