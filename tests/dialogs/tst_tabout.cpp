// SPDX-License-Identifier: GPL-3.0-or-later
// The about box: the four links reach the shell with the right targets, a refused link shows
// nothing, and the box stays open until OK or the close box.
#include "dialogtesthelpers.h"
#include "tabout.h"
#include "testenvironment.h"

#include <QLabel>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

class TestTAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void texts()
    {
        FakeShell shell;
        TAbout about(shell);
        about.show();
        QCOMPARE(about.windowTitle(), QStringLiteral("About Linkshelf"));
        const auto *memo = about.findChild<QTextEdit *>(QStringLiteral("Memo1"));
        const QString notice = memo->toPlainText();
        QVERIFY2(notice.contains(QStringLiteral("1.2.0")), qPrintable(notice));
        QVERIFY(notice.contains(QStringLiteral("Quorvane")));
        // The rights notice is the licence's, and none of it is cut off.
        QVERIFY2(notice.contains(QStringLiteral("GNU GPL, version 3 or later")), qPrintable(notice));
        QVERIFY(!notice.contains(QStringLiteral("All rights reserved")));
        QVERIFY(memo->document()->size().height() <= memo->viewport()->height());
        const QStringList captions{QStringLiteral("Open Quorvane home page:"),
                                   QStringLiteral("Open Linkshelf home page:"),
                                   QStringLiteral("Linkshelf support:"), QStringLiteral("E-Mail to author:")};
        for (int i = 0; i < 4; ++i) {
            const auto *label = about.findChild<QLabel *>(QStringLiteral("Label%1").arg(2 * i + 1));
            QVERIFY(label);
            QCOMPARE(label->text(), captions.at(i));
        }
        QCOMPARE(about.findChild<QToolButton *>(QStringLiteral("RxSpeedButton1"))->text().remove(u'&'),
                 QStringLiteral("  OK"));
        QVERIFY(about.width() >= 469 && about.height() >= 182);
        QCOMPARE(about.minimumSize(), about.maximumSize());
    }

    void linksReachTheShell_data()
    {
        QTest::addColumn<int>("shellAnswer");
        QTest::newRow("opened") << int(Shell::Started);
        QTest::newRow("refused") << int(Shell::NoAssociation);
    }

    void linksReachTheShell()
    {
        QFETCH(int, shellAnswer);
        FakeShell shell;
        shell.result = shellAnswer;
        TAbout about(shell);
        about.show();
        const QStringList expected{
            QStringLiteral("https://www.example.com/"), QStringLiteral("https://www.example.com/linkshelf/"),
            QStringLiteral("mailto:support@example.com"), QStringLiteral("mailto:author@example.com")};
        QCOMPARE(TAbout::linkTargets(), expected);
        for (int i = 0; i < 4; ++i) {
            auto *link = about.findChild<QLabel *>(QStringLiteral("Label%1").arg(2 * i + 2));
            QVERIFY(link);
            // The label shows the address itself, without the mail scheme.
            QCOMPARE(link->text(), QString(expected.at(i)).remove(QStringLiteral("mailto:")));
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(link->font().underline());
            QTest::mouseClick(link, Qt::LeftButton);
            QCOMPARE(shell.calls.size(), i + 1);
            QCOMPARE(shell.calls.last().first, expected.at(i));
            QCOMPARE(shell.calls.last().second, QString());
            QVERIFY(about.isVisible());
        }
        QCOMPARE(QApplication::activeModalWidget(), nullptr); // no message, whatever the answer
    }

    // Tab goes from the notice to each link in turn, and Enter or Space opens the one that
    // has the focus; the box stays open.
    void linksOpenFromTheKeyboard()
    {
        FakeShell shell;
        TAbout about(shell);
        about.show();
        about.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Memo1"));
        const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter, Qt::Key_Space};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *link = QApplication::focusWidget();
            QCOMPARE(link->objectName(), QStringLiteral("Label%1").arg(2 * i + 2));
            QTest::keyClick(link, keys[i]);
            QCOMPARE(shell.calls.size(), i + 1);
            QCOMPARE(shell.calls.last().first, TAbout::linkTargets().at(i));
        }
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Return); // pressed elsewhere: nothing
        QCOMPARE(shell.calls.size(), 4);
        QVERIFY(about.isVisible());
    }

    void pressOutsideReleaseDoesNotOpen()
    {
        FakeShell shell;
        TAbout about(shell);
        about.show();
        auto *link = about.findChild<QLabel *>(QStringLiteral("Label2"));
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 20, link->height() + 20));
        QVERIFY(shell.calls.isEmpty());
    }

    void okAndCloseBoxClose_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("OK") << false;
        QTest::newRow("close box") << true;
    }

    void okAndCloseBoxClose()
    {
        QFETCH(bool, closeBox);
        FakeShell shell;
        whenModalShows([closeBox](QWidget *box) {
            if (closeBox)
                box->close();
            else
                QTest::mouseClick(box->findChild<QToolButton *>(QStringLiteral("RxSpeedButton1")),
                                  Qt::LeftButton);
        });
        TAbout about(shell);
        about.exec(); // returns only when the box closes
        QVERIFY(!about.isVisible());
        QVERIFY(shell.calls.isEmpty());
    }
};

LINKSHELF_TEST_MAIN(TestTAbout)
#include "tst_tabout.moc"
