// SPDX-License-Identifier: GPL-3.0-or-later
// The entry properties dialog: radio and enabled states, what OK and Cancel store, the
// length limits, the browse buttons and the Start-menu browse, and the stored placement.
#include "settingsstore.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "tfileprop.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>

#include <memory>

namespace {

// The open dialog, answered from a script: it records the folder it started in and, like the
// real one, leaves the chosen files' folder as the next starting folder.
struct ScriptedChooser
{
    QStringList answer;
    QStringList startedIn;

    TFileProp::FileChooser function()
    {
        return [this](LastFolder &initialDir) {
            startedIn.append(initialDir.path());
            if (!answer.isEmpty())
                initialDir.set(answer.first().section(QLatin1Char('/'), 0, -2));
            return answer;
        };
    }
};

template <typename T> T *child(QWidget *dialog, const char *name)
{
    T *found = dialog->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void click(QAbstractButton *button)
{
    // On the indicator, which a radio button takes as a hit whatever its width in the layout.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

const EntryProperties WithProgram{QStringLiteral("/home/u/notes.txt"), QStringLiteral("/usr/bin/editor"),
                                  QStringLiteral("first line\r\nsecond line")};
const EntryProperties WithoutProgram{QStringLiteral("https://www.example.org/"), QString(), QString()};

} // namespace

class TestTFileProp : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TFileProp> shownDialog(const EntryProperties &values)
    {
        auto dialog = std::make_unique<TFileProp>(*m_ini, m_chooser.function(), m_initialDir);
        dialog->fill(values);
        dialog->show();
        return dialog;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_ini;
    ScriptedChooser m_chooser;
    LastFolder m_initialDir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_ini = std::make_unique<SettingsStore>(m_dir->filePath(QStringLiteral("linkshelf.ini")));
        m_chooser = ScriptedChooser();
        m_initialDir.set(QStringLiteral("/srv/earlier"));
        qunsetenv("XDG_DATA_DIRS");
    }

    void captionsAndHints()
    {
        auto dialog = shownDialog(WithoutProgram);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("File properties"));
        QCOMPARE(child<QToolButton>(dialog.get(), "OKBut")->text().remove(u'&'), QStringLiteral("  OK"));
        QCOMPARE(child<QToolButton>(dialog.get(), "CancelBut")->text().remove(u'&'),
                 QStringLiteral("  Cancel"));
        QCOMPARE(child<QToolButton>(dialog.get(), "PathBut")->toolTip(), QStringLiteral("Browse..."));
        QCOMPARE(child<QToolButton>(dialog.get(), "ProgSelBut")->toolTip(), QStringLiteral("Browse..."));
        QCOMPARE(child<QToolButton>(dialog.get(), "SMenuBut")->toolTip(),
                 QStringLiteral("Browse Start Menu"));
        QCOMPARE(child<QCheckBox>(dialog.get(), "AllUsers")->text().remove(u'&'),
                 QStringLiteral("Open Start Menu for all users (NT only)"));
        QCOMPARE(child<QRadioButton>(dialog.get(), "DefRBut")->text().remove(u'&'),
                 QStringLiteral("Default"));
        QCOMPARE(child<QRadioButton>(dialog.get(), "SpecRBut")->text().remove(u'&'),
                 QStringLiteral("Special"));
    }

    void radioAndEnabledStates_data()
    {
        QTest::addColumn<EntryProperties>("values");
        QTest::addColumn<bool>("special");
        QTest::newRow("with a program") << WithProgram << true;
        QTest::newRow("without a program") << WithoutProgram << false;
    }

    void radioAndEnabledStates()
    {
        QFETCH(EntryProperties, values);
        QFETCH(bool, special);
        auto dialog = shownDialog(values);
        auto *defaultBut = child<QRadioButton>(dialog.get(), "DefRBut");
        auto *specialBut = child<QRadioButton>(dialog.get(), "SpecRBut");
        const auto programControlsEnabled = [&](bool enabled) {
            for (const char *name : {"FileAssoc", "ProgSelBut", "SMenuBut"})
                QCOMPARE(child<QWidget>(dialog.get(), name)->isEnabled(), enabled);
            QVERIFY(child<QCheckBox>(dialog.get(), "AllUsers")->isEnabled());
        };
        QCOMPARE(specialBut->isChecked(), special);
        QCOMPARE(defaultBut->isChecked(), !special);
        programControlsEnabled(special);
        QCOMPARE(child<QLineEdit>(dialog.get(), "FileAssoc")->text(), values.Program);

        click(special ? defaultBut : specialBut);
        QCOMPARE(specialBut->isChecked(), !special);
        programControlsEnabled(!special);
        click(special ? specialBut : defaultBut);
        programControlsEnabled(special);
    }

    void defaultAndOkEmptiesProgram()
    {
        auto dialog = shownDialog(WithProgram);
        click(child<QRadioButton>(dialog.get(), "DefRBut"));
        QCOMPARE(child<QLineEdit>(dialog.get(), "FileAssoc")->text(), WithProgram.Program); // still shown
        QTest::mouseClick(child<QToolButton>(dialog.get(), "OKBut"), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(!dialog->isVisible());
        EntryProperties expected = WithProgram;
        expected.Program.clear();
        QCOMPARE(dialog->values(), expected);
    }

    void okStoresEditedFields()
    {
        auto dialog = shownDialog(WithoutProgram);
        auto *path = child<QLineEdit>(dialog.get(), "FilePath");
        path->selectAll();
        QTest::keyClicks(path, QStringLiteral("/data/report.pdf"));
        click(child<QRadioButton>(dialog.get(), "SpecRBut"));
        QTest::keyClicks(child<QLineEdit>(dialog.get(), "FileAssoc"), QStringLiteral("/usr/bin/viewer"));
        auto *desc = child<QPlainTextEdit>(dialog.get(), "FileDesc");
        QTest::keyClicks(desc, QStringLiteral("line one"));
        QTest::keyClick(desc, Qt::Key_Return); // a line break here, not OK
        QTest::keyClicks(desc, QStringLiteral("line two"));
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(child<QToolButton>(dialog.get(), "OKBut"), Qt::LeftButton);
        const EntryProperties expected{QStringLiteral("/data/report.pdf"), QStringLiteral("/usr/bin/viewer"),
                                       QStringLiteral("line one\r\nline two")};
        QCOMPARE(dialog->values(), expected);
    }

    // OK is the default: Enter from any field but the description, Ctrl+Enter from it, Alt+O;
    // Esc and Alt+C cancel; Enter on a button that has the focus presses that button.
    void keysSaveAndCancel_data()
    {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Enter in the path") << "FilePath" << int(Qt::Key_Return) << 0 << true;
        QTest::newRow("keypad Enter in the program")
            << "FileAssoc" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Enter on a radio button") << "SpecRBut" << int(Qt::Key_Return) << 0 << true;
        QTest::newRow("Ctrl+Enter in the description")
            << "FileDesc" << int(Qt::Key_Return) << int(Qt::ControlModifier) << true;
        QTest::newRow("Alt+O in the description")
            << "FileDesc" << int(Qt::Key_O) << int(Qt::AltModifier) << true;
        QTest::newRow("Enter on Cancel") << "CancelBut" << int(Qt::Key_Return) << 0 << false;
        QTest::newRow("Esc in the path") << "FilePath" << int(Qt::Key_Escape) << 0 << false;
        QTest::newRow("Alt+C in the path") << "FilePath" << int(Qt::Key_C) << int(Qt::AltModifier) << false;
    }

    void keysSaveAndCancel()
    {
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, saved);
        auto dialog = shownDialog(WithProgram);
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        auto *path = child<QLineEdit>(dialog.get(), "FilePath");
        path->end(false);
        QTest::keyClicks(path, QStringLiteral("-edited"));
        auto *desc = child<QPlainTextEdit>(dialog.get(), "FileDesc");
        desc->moveCursor(QTextCursor::End);
        QTest::keyClick(desc, Qt::Key_Return); // a line break here, never OK
        QTest::keyClicks(desc, QStringLiteral("third"));
        QVERIFY(dialog->isVisible());
        QWidget *target = child<QWidget>(dialog.get(), qPrintable(focused));
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(!dialog->isVisible()); // a button's key presses it visibly first
        QCOMPARE(dialog->result(), int(saved ? QDialog::Accepted : QDialog::Rejected));
        const EntryProperties edited{WithProgram.Path + QStringLiteral("-edited"), WithProgram.Program,
                                     WithProgram.Description + QStringLiteral("\r\nthird")};
        QCOMPARE(dialog->values(), saved ? edited : WithProgram);
    }

    void anEnterPressedElsewhereIsNotOurs()
    {
        auto dialog = shownDialog(WithProgram);
        QTest::keyRelease(child<QLineEdit>(dialog.get(), "FilePath"), Qt::Key_Return);
        QVERIFY(dialog->isVisible());
    }

    void descriptionLineBreaksRoundTrip_data()
    {
        QTest::addColumn<QString>("given");
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb\r\n\r\nc");
        QTest::newRow("LF") << QStringLiteral("a\nb\n\nc");
    }

    void descriptionLineBreaksRoundTrip()
    {
        QFETCH(QString, given);
        auto dialog = shownDialog({QStringLiteral("p"), QString(), given});
        QTest::mouseClick(child<QToolButton>(dialog.get(), "OKBut"), Qt::LeftButton);
        QCOMPARE(dialog->values().Description, QStringLiteral("a\r\nb\r\n\r\nc"));
    }

    void textsAreLimitedTo1023Characters()
    {
        auto dialog = shownDialog(WithProgram);
        auto *desc = child<QPlainTextEdit>(dialog.get(), "FileDesc");
        desc->selectAll();
        desc->insertPlainText(QString(2000, QLatin1Char('d')));
        QCOMPARE(desc->toPlainText().size(), MaxFieldLength); // refused in the field, visibly
        auto *path = child<QLineEdit>(dialog.get(), "FilePath");
        path->clear();
        QTest::keyClicks(path, QString(1030, QLatin1Char('p')));
        QCOMPARE(path->text().size(), MaxFieldLength);
        QTest::mouseClick(child<QToolButton>(dialog.get(), "OKBut"), Qt::LeftButton);
        QCOMPARE(dialog->values().Description, QString(MaxFieldLength, QLatin1Char('d')));
        QCOMPARE(dialog->values().Path.size(), MaxFieldLength);
    }

    void aLongerStoredPathIsKeptWhole()
    {
        const QString longPath = QStringLiteral("/deep") + QString(2000, QLatin1Char('x'));
        auto dialog = shownDialog({longPath, QString(), QString()});
        QTest::mouseClick(child<QToolButton>(dialog.get(), "OKBut"), Qt::LeftButton);
        QCOMPARE(dialog->values().Path, longPath);
    }

    void descriptionLimitCountsLineBreaksAsTwo()
    {
        auto dialog = shownDialog(WithoutProgram);
        auto *desc = child<QPlainTextEdit>(dialog.get(), "FileDesc");
        desc->insertPlainText(QStringLiteral("ab\n").repeated(400)); // 1,600 characters as CR LF
        QTest::mouseClick(child<QToolButton>(dialog.get(), "OKBut"), Qt::LeftButton);
        const QString stored = dialog->values().Description;
        QVERIFY(stored.size() <= MaxFieldLength && stored.size() >= MaxFieldLength - 1);
        QVERIFY(!stored.endsWith(QLatin1Char('\r')));
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }

    void cancelChangesNothing()
    {
        QFETCH(bool, closeBox);
        auto dialog = shownDialog(WithProgram);
        QTest::keyClicks(child<QLineEdit>(dialog.get(), "FilePath"), QStringLiteral("-edited"));
        QTest::keyClicks(child<QPlainTextEdit>(dialog.get(), "FileDesc"), QStringLiteral("more"));
        click(child<QRadioButton>(dialog.get(), "DefRBut"));
        if (closeBox)
            dialog->close();
        else
            QTest::mouseClick(child<QToolButton>(dialog.get(), "CancelBut"), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(dialog->values(), WithProgram);
    }

    void browseButtonsTakeTheFirstChosenFile_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<QString>("fieldName");
        QTest::newRow("path") << "PathBut"
                              << "FilePath";
        QTest::newRow("program") << "ProgSelBut"
                                 << "FileAssoc";
    }

    void browseButtonsTakeTheFirstChosenFile()
    {
        QFETCH(QString, buttonName);
        QFETCH(QString, fieldName);
        auto dialog = shownDialog(WithProgram);
        auto *button = dialog->findChild<QToolButton *>(buttonName);
        auto *field = dialog->findChild<QLineEdit *>(fieldName);
        const QString before = field->text();
        QTest::mouseClick(button, Qt::LeftButton); // cancelled: nothing changes
        QCOMPARE(field->text(), before);
        m_chooser.answer = {QStringLiteral("/opt/a/first.bin"), QStringLiteral("/opt/a/second.bin")};
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(field->text(), QStringLiteral("/opt/a/first.bin"));
        QCOMPARE(m_chooser.startedIn,
                 QStringList({QStringLiteral("/srv/earlier"), QStringLiteral("/srv/earlier")}));
    }

    void startMenuBrowseStartsInTheApplicationsFolder_data()
    {
        QTest::addColumn<bool>("allUsers");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("user, chosen") << false << true;
        QTest::newRow("user, cancelled") << false << false;
        QTest::newRow("all users, chosen") << true << true;
        QTest::newRow("all users, cancelled") << true << false;
    }

    void startMenuBrowseStartsInTheApplicationsFolder()
    {
        QFETCH(bool, allUsers);
        QFETCH(bool, chosen);
        const QString userApps = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        QVERIFY(QDir().mkpath(userApps));
        // The first system folder has no menu entries; the second has.
        const QString systemData = m_dir->filePath(QStringLiteral("share"));
        QVERIFY(QDir().mkpath(systemData + QStringLiteral("/applications")));
        qputenv("XDG_DATA_DIRS",
                (m_dir->filePath(QStringLiteral("empty")) + QLatin1Char(':') + systemData).toLocal8Bit());
        const QString expected = allUsers ? systemData + QStringLiteral("/applications") : userApps;
        if (chosen)
            m_chooser.answer = {expected + QStringLiteral("/tool")};

        auto dialog = shownDialog(WithProgram);
        child<QCheckBox>(dialog.get(), "AllUsers")->setChecked(allUsers);
        QTest::mouseClick(child<QToolButton>(dialog.get(), "SMenuBut"), Qt::LeftButton);
        QCOMPARE(m_chooser.startedIn, QStringList(expected));
        QCOMPARE(m_initialDir.path(), QStringLiteral("/srv/earlier")); // the open dialog's folder is back
        QCOMPARE(child<QLineEdit>(dialog.get(), "FileAssoc")->text(),
                 chosen ? expected + QStringLiteral("/tool") : WithProgram.Program);
    }

    void startMenuBrowseWithoutAFolderOpensInTheUsualPlace()
    {
        QDir(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation)).removeRecursively();
        qputenv("XDG_DATA_DIRS", m_dir->filePath(QStringLiteral("nothing")).toLocal8Bit());
        auto dialog = shownDialog(WithProgram);
        for (bool allUsers : {false, true}) {
            m_chooser.startedIn.clear();
            child<QCheckBox>(dialog.get(), "AllUsers")->setChecked(allUsers);
            QTest::mouseClick(child<QToolButton>(dialog.get(), "SMenuBut"), Qt::LeftButton);
            QCOMPARE(m_chooser.startedIn, QStringList(QStringLiteral("/srv/earlier")));
        }
    }

    // A menu entry is the program itself, whatever its Exec line starts the program through.
    void aChosenMenuEntryIsKeptAsTheProgram()
    {
        const QString file = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) +
                             QStringLiteral("/tool.desktop");
        writeFile(file, "[Desktop Entry]\nType=Application\nName=Tool\nExec=env TOOL_MODE=1 /opt/tool %f\n");
        m_chooser.answer = {file};
        auto dialog = shownDialog(WithProgram);
        QTest::mouseClick(child<QToolButton>(dialog.get(), "SMenuBut"), Qt::LeftButton);
        QTest::mouseClick(child<QToolButton>(dialog.get(), "OKBut"), Qt::LeftButton);
        QCOMPARE(dialog->values().Program, file);
    }

    void placementAndAllUsersSurviveReopening_data()
    {
        QTest::addColumn<QString>("closedBy");
        QTest::newRow("OK") << "OKBut";
        QTest::newRow("Cancel") << "CancelBut";
        QTest::newRow("close box") << QString();
    }

    void placementAndAllUsersSurviveReopening()
    {
        QFETCH(QString, closedBy);
        const QRect placement(40, 50, 520, 400);
        {
            auto first = shownDialog(WithProgram);
            QVERIFY(!child<QCheckBox>(first.get(), "AllUsers")->isChecked());
            first->setGeometry(placement);
            child<QCheckBox>(first.get(), "AllUsers")->setChecked(true);
            if (closedBy.isEmpty())
                first->close();
            else
                QTest::mouseClick(first->findChild<QToolButton *>(closedBy), Qt::LeftButton);
        }
        // A new store on the same file: the values were written to disk, not only kept.
        m_ini = std::make_unique<SettingsStore>(m_dir->filePath(QStringLiteral("linkshelf.ini")));
        QVERIFY(m_ini->readString(SettingsStore::Root::None, QStringLiteral("TFileProp"),
                                  QStringLiteral("AllUsers_Checked")));
        auto second = shownDialog(WithProgram);
        QCOMPARE(second->geometry(), placement);
        QVERIFY(child<QCheckBox>(second.get(), "AllUsers")->isChecked());
    }

    void controlsKeepTheirPlacesWhenResized()
    {
        auto dialog = shownDialog(WithProgram);
        auto *ok = child<QToolButton>(dialog.get(), "OKBut");
        auto *desc = child<QPlainTextEdit>(dialog.get(), "FileDesc");
        const int okRightGap = dialog->width() - ok->mapTo(dialog.get(), QPoint(ok->width(), 0)).x();
        const int descHeight = desc->height();
        dialog->resize(dialog->width() + 200, dialog->height() + 150);
        QTest::qWait(0);
        QCOMPARE(dialog->width() - ok->mapTo(dialog.get(), QPoint(ok->width(), 0)).x(), okRightGap);
        QVERIFY(desc->height() > descHeight);
        QVERIFY(ok->mapTo(dialog.get(), QPoint(0, ok->height())).y() <= dialog->height());
    }
};

LINKSHELF_TEST_MAIN(TestTFileProp)
#include "tst_tfileprop.moc"
