// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogs written on Windows, in the real window: texts in their code page shown right and
// kept byte for byte, text the code page cannot hold refused, and Windows paths opened through
// a path mapping.
#include "entrylistmodel.h"
#include "entrywindowfixture.h"
#include "maintree.h"
#include "pathmappingsdialog.h"
#include "testenvironment.h"
#include "textencodingdialog.h"
#include "tfileprop.h"
#include "uiactions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

namespace {

const QStringList CatalogFiles = {QStringLiteral("tree.lsf"), QStringLiteral("itree.lsf"),
                                  QStringLiteral("etree.lsf"), QStringLiteral("cat0.lsf"),
                                  QStringLiteral("cat1.lsf")};

QByteArray fixtureFile(const QString &codePage, const QString &name)
{
    QFile file(QStringLiteral(LINKSHELF_TEST_DATA "/catalog-") + codePage + u'/' + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void copyFixture(WindowFixture &f, const QString &codePage)
{
    for (const QString &name : CatalogFiles)
        f.writeCatalogFile(name, fixtureFile(codePage, name));
}

// Chooses an encoding in the real "Text encoding" dialog: the name typed into the list of
// encodings, as a user types to pick from a long list, then OK.
void chooseTextEncoding(TMain &w, const QString &name)
{
    whenModalShows<TextEncodingDialog>([name](TextEncodingDialog *dialog) {
        auto *names = dialog->findChild<QComboBox *>(QStringLiteral("EncodingNames"));
        names->setFocus();
        QTest::keyClicks(names, name);
        QCOMPARE(names->currentText(), name);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    });
    chooseMenuItem(w, QStringLiteral("TextEncoding1"));
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

// The row of the folder's file entry, which the list sorts among its URL entries.
int fileEntryRow(TMain &w)
{
    const EntryListModel &model = w.mainList()->model();
    for (int row = 0; row < model.count(); ++row)
        if (!model.rowAt(row).file.isUrl())
            return row;
    return -1;
}

void clickFileEntry(TMain &w)
{
    QAbstractItemView *view = w.mainList()->currentView();
    const QModelIndex index = view->model()->index(fileEntryRow(w), 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

// Types text that a key of its own gives, as a keyboard layout of that script does.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestWindowsCatalogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void legacyTextsShowAndStay_data();
    void legacyTextsShowAndStay();
    void characterOutsideTheCodePageIsRefused();
    void windowsPathOpensThroughItsMapping();
    void mappingIsSuggestedOnce();
};

void TestWindowsCatalogs::legacyTextsShowAndStay_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QLocale::Language>("language"); // the user's; detection follows it
    QTest::addColumn<bool>("chosenInDialog");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("description");

    QTest::newRow("windows-1252, detected")
        << QStringLiteral("windows-1252") << QLocale::English << false << QStringLiteral("Übersicht")
        << QStringLiteral("menü.txt") << QStringLiteral("Grüße – 5 €");
    QTest::newRow("windows-1251, from the language")
        << QStringLiteral("windows-1251") << QLocale::Russian << false << QStringLiteral("Документы")
        << QStringLiteral("Отчёт.txt") << QStringLiteral("Привет, мир");
    QTest::newRow("windows-31j, chosen")
        << QStringLiteral("windows-31j") << QLocale::English << true << QStringLiteral("資料")
        << QStringLiteral("表.txt") << QStringLiteral("日本語");
}

// Shown right in the tree, the list and the description pane; then a round of commands on
// other things (a URL added to another folder, that folder renamed, Properties and OK on the
// entry without an edit) leaves the folder's name and entries byte for byte as they were.
void TestWindowsCatalogs::legacyTextsShowAndStay()
{
    QFETCH(QString, codePage);
    QFETCH(QLocale::Language, language);
    QFETCH(bool, chosenInDialog);
    QFETCH(QString, folder);
    QFETCH(QString, caption);
    QFETCH(QString, description);
    const QLocale before;
    QLocale::setDefault(QLocale(language));
    Fixture f;
    f.useRealDialogs();
    copyFixture(f, codePage);
    TMain &w = showWindow(f.open());
    QLocale::setDefault(before);
    if (chosenInDialog)
        chooseTextEncoding(w, codePage);

    QCOMPARE(w.mainTree()->topLevelItem(0)->text(0), folder);
    QCOMPARE(w.mainList()->model().rowAt(fileEntryRow(w)).caption, caption);
    clickFileEntry(w);
    QCOMPARE(w.findChild<QPlainTextEdit *>(QStringLiteral("Desc"))->toPlainText(), description);

    // Properties and OK, nothing edited.
    whenModalShows<TFileProp>([](TFileProp *dialog) {
        QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("OKBut")), Qt::LeftButton);
    });
    chooseMenuItem(w, QStringLiteral("Properties2"));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    // A URL added to "Other", typed at the prompt.
    w.mainTree()->setCurrentItem(w.mainTree()->topLevelItem(1));
    whenModalShows<QDialog>([](QDialog *prompt) {
        QTest::keyClicks(prompt->focusWidget(), QStringLiteral("https://other.example/"));
        QTest::keyClick(prompt->focusWidget(), Qt::Key_Return);
    });
    chooseMenuItem(w, QStringLiteral("InsertURLlink1"));
    QTRY_COMPARE(w.mainList()->model().count(), 1);
    // "Other" renamed in place.
    QTreeWidget *tree = showWindow(w).mainTree();
    tree->setFocus();
    tree->editItem(tree->topLevelItem(1));
    auto *field = tree->findChild<QLineEdit *>();
    QVERIFY(field);
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("Renamed"));
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(f.readCatalogFile(QStringLiteral("tree.lsf")).endsWith("Renamed\r\n"));

    const QByteArray treeBefore = fixtureFile(codePage, QStringLiteral("tree.lsf"));
    const QByteArray firstLine = treeBefore.left(treeBefore.indexOf('\n') + 1);
    QVERIFY(f.readCatalogFile(QStringLiteral("tree.lsf")).startsWith(firstLine));
    QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")),
             fixtureFile(codePage, QStringLiteral("cat0.lsf")));
    QVERIFY(f.interaction.messages.isEmpty());
}

// Typed into the properties dialog of a windows-1252 catalog, a Cyrillic letter is refused
// with a message that names it and the code page; the field keeps the text, nothing is written.
// A folder renamed in place to such a name is refused the same way.
void TestWindowsCatalogs::characterOutsideTheCodePageIsRefused()
{
    Fixture f;
    f.useRealDialogs();
    copyFixture(f, QStringLiteral("windows-1252"));
    TMain &w = showWindow(f.open());
    clickFileEntry(w);
    QString refusal;
    QString keptText;
    bool stillOpen = false;
    whenModalShows<TFileProp>([&](TFileProp *dialog) {
        auto *description = dialog->findChild<QPlainTextEdit *>(QStringLiteral("FileDesc"));
        QTest::mouseClick(description->viewport(), Qt::LeftButton);
        QTest::keyClick(description, Qt::Key_End, Qt::ControlModifier);
        typeText(description, QStringLiteral(" Ж"));
        whenModalShows<QMessageBox>([&, dialog, description](QMessageBox *box) {
            refusal = box->text();
            QTest::keyClick(box, Qt::Key_Return);
            QTRY_VERIFY(QApplication::activeModalWidget() == dialog);
            stillOpen = dialog->isVisible();
            keptText = description->toPlainText();
            QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("CancelBut")), Qt::LeftButton);
        });
        QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("OKBut")), Qt::LeftButton);
    });
    chooseMenuItem(w, QStringLiteral("Properties2"));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY2(refusal.contains(QStringLiteral("\"Ж\"")) && refusal.contains(QStringLiteral("windows-1252")),
             qPrintable(refusal));
    QVERIFY(stillOpen);
    QCOMPARE(keptText, QStringLiteral("Grüße – 5 € Ж"));
    QCOMPARE(f.readCatalogFile(QStringLiteral("cat0.lsf")),
             fixtureFile(QStringLiteral("windows-1252"), QStringLiteral("cat0.lsf")));

    // The same in a rename in place: the field comes back with the name typed.
    QTreeWidget *tree = showWindow(w).mainTree();
    tree->setFocus();
    tree->editItem(tree->topLevelItem(1));
    auto *field = tree->findChild<QLineEdit *>();
    QVERIFY(field);
    field->setFocus();
    typeText(field, QStringLiteral("Жук"));
    QString renameRefusal;
    whenModalShows<QMessageBox>([&](QMessageBox *box) {
        renameRefusal = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(renameRefusal.contains(QStringLiteral("\"Ж\"")));
    QTRY_VERIFY(tree->findChild<QLineEdit *>() && tree->findChild<QLineEdit *>()->isVisible());
    QCOMPARE(tree->findChild<QLineEdit *>()->text(), QStringLiteral("Жук"));
    QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("Other"));
    QCOMPARE(f.readCatalogFile(QStringLiteral("tree.lsf")),
             fixtureFile(QStringLiteral("windows-1252"), QStringLiteral("tree.lsf")));
}

// Without a mapping, the Windows path is not handed on and the user is offered the mapping
// dialog; the rule typed there opens it as a path of this computer, and the rule is
// remembered for the catalog, not written into it.
void TestWindowsCatalogs::windowsPathOpensThroughItsMapping()
{
    Fixture f;
    const QByteArray contents =
        serializeContents({MFile{MFile::FileKind, "C:\\Users\\ann\\a b.txt", {}, {}}});
    TMain &w = showWindow(openCatalogWith(f, {MFile{MFile::FileKind, "C:\\Users\\ann\\a b.txt", {}, {}}}));
    w.mainList()->selectRows({0});

    f.interaction.yesNoAnswers = {true}; // set up a mapping now
    whenModalShows<PathMappingsDialog>([](PathMappingsDialog *dialog) {
        // The cell editors open and take the focus some events later on a busy machine: keys
        // go to the editor once it has the focus, not to whatever had it before.
        const auto editor = [dialog]() -> QWidget * {
            QWidget *focused = QApplication::focusWidget();
            return qobject_cast<QLineEdit *>(focused) && dialog->isAncestorOf(focused) ? focused : nullptr;
        };
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("AddMapping")), Qt::LeftButton);
        QTRY_VERIFY(editor());
        QTest::keyClicks(editor(), QStringLiteral("c:\\Users\\ann\\"));
        QWidget *first = editor();
        QTest::keyClick(first, Qt::Key_Tab);
        QTRY_VERIFY(editor() && editor() != first);
        QTest::keyClicks(editor(), QStringLiteral("/home/ann/"));
        QTest::keyClick(editor(), Qt::Key_Return);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    });
    w.MainListDblClick();
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(f.interaction.questions.size(), 1);
    QVERIFY2(f.interaction.questions.first().contains(QStringLiteral("no path mapping")),
             qPrintable(f.interaction.questions.first()));
    QVERIFY(f.shell.requests.isEmpty());
    QVERIFY(f.interaction.errors.isEmpty()); // never "File not found !"

    w.MainListDblClick();
    QCOMPARE(f.shell.requests, (QList<FakeShell::Request>{{"/home/ann/a b.txt", std::nullopt}}));
    QCOMPARE(f.readCatalogFile(contentsName), contents);

    // The next window on the catalog has the rule.
    f.closeWindow();
    TMain &again = showWindow(f.open());
    again.mainList()->selectRows({0});
    again.MainListDblClick();
    QCOMPARE(f.shell.requests.size(), 2);
    QCOMPARE(f.shell.requests.last().file, QByteArray("/home/ann/a b.txt"));
}

// A catalog from the Windows user folder of someone whose home here has the same Documents
// folder: the first window offers the mapping, and taking it opens the file here; the next
// window does not ask again.
void TestWindowsCatalogs::mappingIsSuggestedOnce()
{
    const QString home = QDir::homePath();
    QVERIFY(QDir(home).mkpath(QStringLiteral("Documents")));
    Fixture f;
    f.interaction.yesNoAnswers = {true};
    TMain &w =
        showWindow(openCatalogWith(f, {MFile{MFile::FileKind, "C:\\Users\\Bob\\Documents\\a.txt", {}, {}}}));
    QCOMPARE(f.interaction.questions.size(), 1);
    QVERIFY2(f.interaction.questions.first().contains(QStringLiteral("C:\\Users\\Bob\\")),
             qPrintable(f.interaction.questions.first()));
    w.mainList()->selectRows({0});
    w.MainListDblClick();
    QCOMPARE(f.shell.requests.size(), 1);
    QCOMPARE(f.shell.requests.first().file, QFile::encodeName(home + QStringLiteral("/Documents/a.txt")));

    f.closeWindow();
    showWindow(f.open());
    QCOMPARE(f.interaction.questions.size(), 1);
}

LINKSHELF_TEST_MAIN(TestWindowsCatalogs)
#include "tst_windowscatalogs.moc"
