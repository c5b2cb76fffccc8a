// SPDX-License-Identifier: GPL-3.0-or-later
// The real Interaction: the message boxes' titles, texts and buttons that the commands rely
// on, and the dialogs it opens, answered from inside their event loops.
#include "desktopinteraction.h"
#include "dialogtesthelpers.h"
#include "settingsstore.h"
#include "testenvironment.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestDesktopInteraction : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    FakeShell m_shell;
    SettingsStore m_ini{m_dir.filePath(QStringLiteral("linkshelf.ini"))};
    DesktopInteraction m_interaction{nullptr, m_ini, m_shell};

    // Checks the box that shows, then presses the given button.
    static void answerBox(const QString &title, const QString &text, QMessageBox::StandardButtons buttons,
                          QMessageBox::StandardButton press)
    {
        whenModalShows([=](QWidget *widget) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), title);
            QCOMPARE(box->text(), text);
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->standardButtons(), buttons);
            QCOMPARE(box->windowModality(), Qt::ApplicationModal);
            box->button(press)->click();
        });
    }

private Q_SLOTS:
    void questions_data()
    {
        QTest::addColumn<int>("press");
        QTest::addColumn<bool>("answer");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("No") << int(QMessageBox::No) << false;
    }

    void questions()
    {
        QFETCH(int, press);
        QFETCH(bool, answer);
        const QString text = QStringLiteral("Delete the folder?");
        answerBox(QStringLiteral("Linkshelf Message"), text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::StandardButton(press));
        QCOMPARE(m_interaction.askYesNo(text), answer);
    }

    void aRiskyQuestionAnswersNoOnEnter()
    {
        const QString text = QStringLiteral("Keep the programs?");
        whenModalShows([text](QWidget *widget) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            QVERIFY(box);
            QCOMPARE(box->text(), text);
            QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box->detailedText(), QStringLiteral("cats: python3"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(!m_interaction.confirmRisk(text, QStringLiteral("cats: python3")));
    }

    void noticeAndError()
    {
        answerBox(QStringLiteral("Linkshelf Message"),
                  QStringLiteral("Can not set properties for a group of files."), QMessageBox::Ok,
                  QMessageBox::Ok);
        m_interaction.showMessage(QStringLiteral("Can not set properties for a group of files."));
        answerBox(QStringLiteral("LS Error !"), QStringLiteral("Error ! File not found"), QMessageBox::Ok,
                  QMessageBox::Ok);
        m_interaction.showError(QStringLiteral("File not found"));
    }

    void askForString()
    {
        whenModalShows([](QWidget *prompt) {
            QCOMPARE(prompt->windowTitle(), QStringLiteral("Add URL"));
            QTest::keyClicks(prompt->findChild<QPlainTextEdit *>(QStringLiteral("StrEdit")),
                             QStringLiteral("https://www.example.org/"));
            QTest::keyClick(prompt->findChild<QPlainTextEdit *>(QStringLiteral("StrEdit")), Qt::Key_Return);
        });
        QCOMPARE(m_interaction.askForString(QStringLiteral("Add URL"), QStringLiteral("Enter URL location")),
                 std::optional<QString>(QStringLiteral("https://www.example.org/")));
        whenModalShows([](QWidget *prompt) { prompt->close(); });
        QCOMPARE(m_interaction.askForString(QStringLiteral("Add URL"), QStringLiteral("Enter URL location")),
                 std::nullopt);
    }

    void editProperties_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }

    void editProperties()
    {
        QFETCH(bool, ok);
        const EntryProperties original{QStringLiteral("/a/b"), QString(), QStringLiteral("old")};
        EntryProperties values = original;
        LastFolder initialDir(QStringLiteral("/start"));
        whenModalShows([ok](QWidget *dialog) {
            auto *path = dialog->findChild<QLineEdit *>(QStringLiteral("FilePath"));
            QTest::keyClick(path, Qt::Key_End); // the field starts selected, as it has the focus
            QTest::keyClicks(path, QStringLiteral("/c"));
            const char *button = ok ? "OKBut" : "CancelBut";
            QTest::mouseClick(dialog->findChild<QToolButton *>(QString::fromLatin1(button)), Qt::LeftButton);
        });
        QCOMPARE(m_interaction.editProperties(values, initialDir), ok);
        EntryProperties expected = original;
        if (ok)
            expected.Path = QStringLiteral("/a/b/c");
        QCOMPARE(values, expected);
        QCOMPARE(initialDir.path(), QStringLiteral("/start"));
    }

    void aboutBox()
    {
        whenModalShows([](QWidget *about) {
            QCOMPARE(about->windowTitle(), QStringLiteral("About Linkshelf"));
            about->close();
        });
        m_interaction.showAbout();
    }
};

LINKSHELF_TEST_MAIN(TestDesktopInteraction)
#include "tst_desktopinteraction.moc"
