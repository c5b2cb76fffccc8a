// SPDX-License-Identifier: GPL-3.0-or-later
// The text prompt: keys on release, the result and AskedStr, the 511-character limit, the
// paste button and line breaks.
#include "dialogtesthelpers.h"
#include "taskforstr.h"
#include "testenvironment.h"

#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {
QPlainTextEdit *strEdit(QWidget *dialog)
{
    return dialog->findChild<QPlainTextEdit *>(QStringLiteral("StrEdit"));
}
QToolButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QToolButton *>(QString::fromLatin1(name));
}
} // namespace

class TestTAskForStr : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TAskForStr> shownPrompt()
    {
        auto dialog = std::make_unique<TAskForStr>(QStringLiteral("New folder"),
                                                   QStringLiteral("Enter a new folder name"));
        dialog->show();
        return dialog;
    }

private Q_SLOTS:
    void init() { QGuiApplication::clipboard()->clear(); }

    void controlsAndTexts()
    {
        auto dialog = shownPrompt();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("New folder"));
        QCOMPARE(dialog->findChild<QWidget *>(QStringLiteral("NameBox"))->property("title").toString(),
                 QStringLiteral("Enter a new folder name"));
        QCOMPARE(button(dialog.get(), "OKBut")->text().remove(u'&'), QStringLiteral("  OK"));
        QCOMPARE(button(dialog.get(), "CancelBut")->text().remove(u'&'), QStringLiteral("  Cancel"));
        QCOMPARE(button(dialog.get(), "PasteBut")->toolTip(), QStringLiteral("Paste from clipboard"));
        QVERIFY(dialog->width() >= 481 && dialog->height() >= 94);
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    }

    void enterActsOnReleaseNotPress()
    {
        auto dialog = shownPrompt();
        QTest::keyClicks(strEdit(dialog.get()), QStringLiteral("abc"));
        QTest::keyPress(strEdit(dialog.get()), Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QCOMPARE(strEdit(dialog.get())->toPlainText(), QStringLiteral("abc")); // no line break
        QTest::keyRelease(strEdit(dialog.get()), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->takenText(), QStringLiteral("abc"));
    }

    void escapeActsOnReleaseNotPress()
    {
        auto dialog = shownPrompt();
        QTest::keyClicks(strEdit(dialog.get()), QStringLiteral("abc"));
        QTest::keyPress(strEdit(dialog.get()), Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QTest::keyRelease(strEdit(dialog.get()), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }

    void autoRepeatedReleaseDoesNotConfirm()
    {
        auto dialog = shownPrompt();
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(strEdit(dialog.get()), &repeat);
        QVERIFY(dialog->isVisible());
    }

    void result_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("asked");
        QTest::newRow("OK, empty") << QString() << "ok" << true << QString();
        QTest::newRow("Enter, empty") << QString() << "enter" << true << QString();
        QTest::newRow("OK, text") << "Music"
                                  << "ok" << true << "Music";
        QTest::newRow("Enter, text") << "Music"
                                     << "enter" << true << "Music";
        QTest::newRow("Cancel") << "Music"
                                << "cancel" << false << "earlier answer";
        QTest::newRow("Escape") << "Music"
                                << "escape" << false << "earlier answer";
        QTest::newRow("close box") << "Music"
                                   << "close" << false << "earlier answer";
    }

    void result()
    {
        QFETCH(QString, typed);
        QFETCH(QString, action);
        QFETCH(bool, confirmed);
        QFETCH(QString, asked);
        whenModalShows([&](QWidget *dialog) {
            QTest::keyClicks(strEdit(dialog), typed);
            if (action == QLatin1String("ok"))
                QTest::mouseClick(button(dialog, "OKBut"), Qt::LeftButton);
            else if (action == QLatin1String("cancel"))
                QTest::mouseClick(button(dialog, "CancelBut"), Qt::LeftButton);
            else if (action == QLatin1String("enter"))
                QTest::keyClick(strEdit(dialog), Qt::Key_Return);
            else if (action == QLatin1String("escape"))
                QTest::keyClick(strEdit(dialog), Qt::Key_Escape);
            else
                dialog->close();
        });
        QString askedStr = QStringLiteral("earlier answer");
        QCOMPARE(
            ShowAskForStr(nullptr, QStringLiteral("Add URL"), QStringLiteral("Enter URL location"), askedStr),
            confirmed);
        QCOMPARE(askedStr, asked);
    }

    // A text the refusal refuses: Enter shows why, the prompt stays with the text; once
    // corrected, Enter confirms it.
    void refusedTextStaysForCorrection()
    {
        auto dialog = shownPrompt();
        dialog->setRefusal(
            [](const QString &text) { return text.contains(u'*') ? QStringLiteral("no stars") : QString(); });
        QTest::keyClicks(strEdit(dialog.get()), QStringLiteral("a*b"));
        QString told;
        whenModalShows([&](QWidget *box) {
            told = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(strEdit(dialog.get()), Qt::Key_Return);
        QCOMPARE(told, QStringLiteral("no stars"));
        QVERIFY(dialog->isVisible() && dialog->result() != QDialog::Accepted);
        QCOMPARE(strEdit(dialog.get())->toPlainText(), QStringLiteral("a*b"));
        QTest::keyClick(strEdit(dialog.get()), Qt::Key_Backspace);
        QTest::keyClick(strEdit(dialog.get()), Qt::Key_Backspace);
        QTest::keyClick(strEdit(dialog.get()), Qt::Key_Return);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->takenText(), QStringLiteral("a"));
    }

    void fieldRefusesTextPastTheLimit()
    {
        const QString long600(600, QLatin1Char('x'));
        auto dialog = shownPrompt();
        QTest::keyClicks(strEdit(dialog.get()), long600);
        QCOMPARE(strEdit(dialog.get())->toPlainText().size(), MaxAskedLength);

        // A paste is cut where it went in: the text around the caret stays.
        auto pasted = shownPrompt();
        QTest::keyClicks(strEdit(pasted.get()), QStringLiteral("<>"));
        QTest::keyClick(strEdit(pasted.get()), Qt::Key_Left);
        QGuiApplication::clipboard()->setText(long600);
        QTest::mouseClick(button(pasted.get(), "PasteBut"), Qt::LeftButton);
        const QString held = strEdit(pasted.get())->toPlainText();
        QCOMPARE(held.size(), MaxAskedLength);
        QVERIFY(held.startsWith(QLatin1Char('<')) && held.endsWith(QLatin1Char('>')));
        QTest::mouseClick(button(pasted.get(), "OKBut"), Qt::LeftButton);
        QCOMPARE(pasted->takenText(), held);
    }

    void pasteWithEmptyClipboardLeavesField()
    {
        auto dialog = shownPrompt();
        QTest::keyClicks(strEdit(dialog.get()), QStringLiteral("keep"));
        QTest::mouseClick(button(dialog.get(), "PasteBut"), Qt::LeftButton);
        QCOMPARE(strEdit(dialog.get())->toPlainText(), QStringLiteral("keep"));
    }

    void pastedLineBreaksComeBackAsCrLf()
    {
        auto dialog = shownPrompt();
        QGuiApplication::clipboard()->setText(QStringLiteral("one\ntwo\r\nthree"));
        QTest::mouseClick(button(dialog.get(), "PasteBut"), Qt::LeftButton);
        QTest::keyClick(strEdit(dialog.get()), Qt::Key_Return);
        QCOMPARE(dialog->takenText(), QStringLiteral("one\r\ntwo\r\nthree"));
    }

    void lineBreaksCountAsTwoAgainstTheLimit()
    {
        // 300 lines of "a": 899 characters once the breaks are CR LF; the field keeps what
        // fits in 511 and the taken text never ends in half a pair.
        auto dialog = shownPrompt();
        QGuiApplication::clipboard()->setText(QStringLiteral("a\n").repeated(300));
        QTest::mouseClick(button(dialog.get(), "PasteBut"), Qt::LeftButton);
        QTest::keyClick(strEdit(dialog.get()), Qt::Key_Return);
        const QString taken = dialog->takenText();
        QVERIFY(taken.size() == MaxAskedLength || taken.size() == MaxAskedLength - 1);
        QVERIFY(!taken.endsWith(QLatin1Char('\r')));
        QCOMPARE(taken.count(QLatin1Char('\r')), taken.count(QLatin1Char('\n')));
    }

    void fieldKeepsTheFocusWhenButtonsAreClicked()
    {
        auto dialog = shownPrompt();
        QApplication::setActiveWindow(dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QCOMPARE(QApplication::focusWidget(), strEdit(dialog.get()));
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        QTest::mouseClick(button(dialog.get(), "PasteBut"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), strEdit(dialog.get()));
    }
};

LINKSHELF_TEST_MAIN(TestTAskForStr)
#include "tst_taskforstr.moc"
