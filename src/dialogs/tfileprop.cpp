// SPDX-License-Identifier: GPL-3.0-or-later
// The entry properties dialog: path or URL, the program that opens it, and a description.
#include "tfileprop.h"

#include <algorithm>
#include <utility>

#include "crlftextfield.h"
#include "dialogparts.h"
#include "settingsstore.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QToolButton>

namespace {
const QString StorageSection = QStringLiteral("TFileProp");
const QString PlacementKey = QStringLiteral("Placement");
const QString AllUsersKey = QStringLiteral("AllUsers_Checked");
} // namespace

struct TFileProp::Ui
{
    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *FilePath = nullptr;
    QToolButton *PathBut = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QRadioButton *DefRBut = nullptr;
    QRadioButton *SpecRBut = nullptr;
    QCheckBox *AllUsers = nullptr;
    QLineEdit *FileAssoc = nullptr;
    QToolButton *ProgSelBut = nullptr;
    QToolButton *SMenuBut = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QPlainTextEdit *FileDesc = nullptr;
    QToolButton *OKBut = nullptr;
    QToolButton *CancelBut = nullptr;
};

TFileProp::TFileProp(SettingsStore &iniFile, FileChooser chooseFiles, LastFolder &fileDialogInitialDir,
                     QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui>())
    , m_iniFile(iniFile)
    , m_chooseFiles(std::move(chooseFiles))
    , m_initialDir(fileDialogInitialDir)
{
    setObjectName(QStringLiteral("TFileProp"));
    setWindowTitle(QStringLiteral("File properties"));
    createPathBox();
    createProgramBox();
    createDescriptionBox();
    createButtons();
    layOutDialog();
    connectControls();
    enableProgramControls();
    for (QWidget *control : findChildren<QWidget *>())
        control->installEventFilter(this);
    m_ui->FilePath->setFocus();
    // Until a placement is stored: the design's outer size of 465 x 344, less a usual title
    // bar and border, centred on the screen.
    resize(457, 317);
    centreOnScreen(this);
}

TFileProp::~TFileProp() = default;

void TFileProp::createPathBox()
{
    Ui &ui = *m_ui;
    ui.GroupBox1 = new QGroupBox(QStringLiteral("File &path"), this);
    ui.GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    ui.FilePath = new QLineEdit(ui.GroupBox1);
    ui.FilePath->setObjectName(QStringLiteral("FilePath"));
    ui.FilePath->setMaxLength(MaxFieldLength);
    ui.FilePath->setAccessibleName(QStringLiteral("File path"));
    ui.PathBut = createGlyphButton(ui.GroupBox1, QStringLiteral("PathBut"), QStringLiteral("browse"),
                                   QString(), QStringLiteral("Browse..."));
    ui.PathBut->setFixedSize(25, 22);
    giveKey(ui.PathBut, QStringLiteral("Browse for the file"), QStringLiteral("Alt+B"));
}

void TFileProp::createProgramBox()
{
    Ui &ui = *m_ui;
    ui.GroupBox2 = new QGroupBox(QStringLiteral("Program for opening"), this);
    ui.GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    ui.DefRBut = new QRadioButton(QStringLiteral("D&efault"), ui.GroupBox2);
    ui.DefRBut->setObjectName(QStringLiteral("DefRBut"));
    ui.DefRBut->setChecked(true);
    ui.SpecRBut = new QRadioButton(QStringLiteral("&Special"), ui.GroupBox2);
    ui.SpecRBut->setObjectName(QStringLiteral("SpecRBut"));
    // Every supported system has a shared menu folder, so the box is never disabled.
    ui.AllUsers = new QCheckBox(QStringLiteral("Open Start Menu for &all users (NT only)"), ui.GroupBox2);
    ui.AllUsers->setObjectName(QStringLiteral("AllUsers"));
    ui.FileAssoc = new QLineEdit(ui.GroupBox2);
    ui.FileAssoc->setObjectName(QStringLiteral("FileAssoc"));
    ui.FileAssoc->setMaxLength(MaxFieldLength);
    ui.FileAssoc->setAccessibleName(QStringLiteral("Program for opening"));
    ui.ProgSelBut = createGlyphButton(ui.GroupBox2, QStringLiteral("ProgSelBut"), QStringLiteral("browse"),
                                      QString(), QStringLiteral("Browse..."));
    ui.SMenuBut = createGlyphButton(ui.GroupBox2, QStringLiteral("SMenuBut"), QStringLiteral("browse-menu"),
                                    QString(), QStringLiteral("Browse Start Menu"));
    for (QToolButton *button : {ui.ProgSelBut, ui.SMenuBut})
        button->setFixedSize(25, 22);
    giveKey(ui.ProgSelBut, QStringLiteral("Browse for the program"), QStringLiteral("Alt+R"));
    giveKey(ui.SMenuBut, QStringLiteral("Browse the menu of programs"), QStringLiteral("Alt+M"));
}

void TFileProp::createDescriptionBox()
{
    Ui &ui = *m_ui;
    ui.GroupBox3 = new QGroupBox(QStringLiteral("&Description"), this);
    ui.GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    ui.FileDesc = new QPlainTextEdit(ui.GroupBox3);
    ui.FileDesc->setObjectName(QStringLiteral("FileDesc"));
    ui.FileDesc->setAccessibleName(QStringLiteral("Description"));
    ui.FileDesc->setAccessibleDescription(QStringLiteral("Enter starts a new line; Ctrl+Enter saves"));
    ui.FileDesc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Enter breaks the line here; Tab still moves on, as in the other fields.
    ui.FileDesc->setTabChangesFocus(true);
    new CrLfTextField(ui.FileDesc, MaxFieldLength);
}

void TFileProp::createButtons()
{
    Ui &ui = *m_ui;
    ui.OKBut =
        createGlyphButton(this, QStringLiteral("OKBut"), QStringLiteral("ok"), QStringLiteral("  &OK"));
    ui.CancelBut = createGlyphButton(this, QStringLiteral("CancelBut"), QStringLiteral("cancel"),
                                     QStringLiteral("  &Cancel"));
    for (QToolButton *button : {ui.OKBut, ui.CancelBut})
        button->setMinimumSize(73, 25);
}

void TFileProp::layOutDialog()
{
    Ui &ui = *m_ui;
    auto *pathRow = new QHBoxLayout(ui.GroupBox1);
    pathRow->addWidget(ui.FilePath);
    pathRow->addWidget(ui.PathBut);

    auto *choiceRow = new QHBoxLayout;
    choiceRow->addWidget(ui.SpecRBut);
    choiceRow->addStretch();
    choiceRow->addWidget(ui.AllUsers);
    auto *programRow = new QHBoxLayout;
    programRow->setSpacing(2);
    programRow->addWidget(ui.FileAssoc);
    programRow->addSpacing(4);
    programRow->addWidget(ui.ProgSelBut);
    programRow->addWidget(ui.SMenuBut);
    auto *programBox = new QVBoxLayout(ui.GroupBox2);
    programBox->setSpacing(2);
    programBox->addWidget(ui.DefRBut);
    programBox->addLayout(choiceRow);
    programBox->addLayout(programRow);

    (new QVBoxLayout(ui.GroupBox3))->addWidget(ui.FileDesc);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.OKBut);
    buttons->addWidget(ui.CancelBut);

    // Only the description grows when the dialog is made larger; the rest keeps its place.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(ui.GroupBox1);
    layout->addWidget(ui.GroupBox2);
    layout->addWidget(ui.GroupBox3, 1);
    layout->addLayout(buttons);
}

void TFileProp::connectControls()
{
    Ui &ui = *m_ui;
    connect(ui.OKBut, &QToolButton::clicked, this, &TFileProp::OKButClick);
    connect(ui.CancelBut, &QToolButton::clicked, this, &QDialog::reject);
    connect(ui.PathBut, &QToolButton::clicked, this, &TFileProp::PathButClick);
    connect(ui.ProgSelBut, &QToolButton::clicked, this, &TFileProp::ProgSelButClick);
    connect(ui.SMenuBut, &QToolButton::clicked, this, &TFileProp::SMenuButClick);
    // toggled rather than clicked, so that moving between the two with the arrow keys
    // follows the same rule as a click.
    connect(ui.DefRBut, &QRadioButton::toggled, this, &TFileProp::DefRButClick);
    connect(ui.SpecRBut, &QRadioButton::toggled, this, &TFileProp::SpecRButClick);
}

void TFileProp::fill(const EntryProperties &values)
{
    Ui &ui = *m_ui;
    m_values = values;
    // A path dropped from the file manager may be longer than a typed one may be: the field
    // keeps it whole rather than cutting it to another file's name.
    ui.FilePath->setMaxLength(std::max(MaxFieldLength, int(values.Path.size())));
    ui.FileAssoc->setMaxLength(std::max(MaxFieldLength, int(values.Program.size())));
    ui.FilePath->setText(values.Path);
    ui.FileAssoc->setText(values.Program);
    // An entry with its own program opens with "Special" chosen and its controls usable.
    (values.Program.isEmpty() ? ui.DefRBut : ui.SpecRBut)->setChecked(true);
    enableProgramControls();
    CrLfTextField::setText(ui.FileDesc, values.Description);
}

EntryProperties TFileProp::values() const
{
    return m_values;
}

void TFileProp::OKButClick()
{
    Ui &ui = *m_ui;
    EntryProperties typed;
    typed.Path = ui.FilePath->text();
    // A program left in the disabled field is dropped when "Default" is chosen.
    typed.Program = ui.SpecRBut->isChecked() ? ui.FileAssoc->text() : QString();
    typed.Description = CrLfTextField::text(ui.FileDesc).left(MaxFieldLength);
    // Only changed fields are checked: an unchanged one keeps the bytes it was read from.
    // Line breaks come back from the field as CR LF whatever they were given as.
    const auto lines = [](QString text) { return text.remove(u'\r'); };
    const std::pair<QString, QString> fields[] = {{typed.Path, m_values.Path},
                                                  {typed.Program, m_values.Program},
                                                  {lines(typed.Description), lines(m_values.Description)}};
    for (const auto &[now, before] : fields)
        if (m_refusal && now != before)
            if (const QString why = m_refusal(now); !why.isEmpty()) {
                QMessageBox(QMessageBox::NoIcon, QStringLiteral("Linkshelf Message"), why, QMessageBox::Ok,
                            this)
                    .exec();
                return;
            }
    m_values = typed;
    accept();
}

void TFileProp::PathButClick()
{
    const QStringList files = m_chooseFiles(m_initialDir);
    if (!files.isEmpty())
        m_ui->FilePath->setText(files.first());
}

void TFileProp::ProgSelButClick()
{
    const QStringList files = m_chooseFiles(m_initialDir);
    // A menu entry (.desktop file) is kept as it is, as a shortcut would be: its Exec line
    // may start the program through env, flatpak or a wrapper, which only the desktop's own
    // launching carries out, and the program it names may move with the next update.
    if (!files.isEmpty())
        m_ui->FileAssoc->setText(files.first());
}

void TFileProp::SMenuButClick()
{
    // The open dialog is the main window's: its starting folder is given back afterwards,
    // chosen or not, so that its next use does not start among the menu entries.
    const QString remembered = m_initialDir.path();
    const QString folder = applicationsFolder(m_ui->AllUsers->isChecked());
    if (!folder.isEmpty())
        m_initialDir.set(folder);
    ProgSelButClick();
    m_initialDir.set(remembered);
}

void TFileProp::DefRButClick()
{
    enableProgramControls();
}

void TFileProp::SpecRButClick()
{
    enableProgramControls();
}

void TFileProp::enableProgramControls()
{
    Ui &ui = *m_ui;
    const bool special = !ui.DefRBut->isChecked();
    for (QWidget *control : {static_cast<QWidget *>(ui.FileAssoc), static_cast<QWidget *>(ui.ProgSelBut),
                             static_cast<QWidget *>(ui.SMenuBut)})
        control->setEnabled(special);
}

QString TFileProp::applicationsFolder(bool allUsers)
{
    const QString user = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    if (!allUsers)
        return QFileInfo(user).isDir() ? user : QString();
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString &folder : folders) {
        if (folder != user && QFileInfo(folder).isDir())
            return folder;
    }
    return QString();
}

void TFileProp::showEvent(QShowEvent *event)
{
    // Restored before the window appears, so a stored placement is where it first shows.
    if (!m_stateRestored) {
        m_stateRestored = true;
        restoreStoredState();
    }
    QDialog::showEvent(event);
}

// Enter saves from every field but the description, where it breaks the line and Ctrl+Enter
// saves instead; on a focused button it presses that button. It acts when the key is let go,
// so that the release cannot reach the main window as an Enter of its own once the dialog has
// closed. The controls' keys are watched before the controls see them: a line edit keeps the
// release of an Enter to itself.
bool TFileProp::eventFilter(QObject *watched, QEvent *event)
{
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    const bool lineBreak = watched == m_ui->FileDesc && !(key->modifiers() & Qt::ControlModifier);
    if (press) {
        if (lineBreak)
            return false;
        m_enterPressed = m_enterPressed || !key->isAutoRepeat();
        return true;
    }
    if (key->isAutoRepeat() || !std::exchange(m_enterPressed, false))
        return !lineBreak;
    if (auto *button = qobject_cast<QToolButton *>(watched))
        button->click();
    else
        OKButClick();
    return true;
}

void TFileProp::done(int result)
{
    // OK, Cancel and the close box all end here.
    saveStoredState();
    QDialog::done(result);
}

void TFileProp::restoreStoredState()
{
    const auto placement = m_iniFile.readString(SettingsStore::Root::None, StorageSection, PlacementKey);
    if (placement)
        restoreGeometry(QByteArray::fromBase64(placement->toLatin1()));
    const auto allUsers = m_iniFile.readString(SettingsStore::Root::None, StorageSection, AllUsersKey);
    if (allUsers)
        m_ui->AllUsers->setChecked(*allUsers == QLatin1String("true"));
}

void TFileProp::saveStoredState()
{
    const QString placement = QString::fromLatin1(saveGeometry().toBase64());
    m_iniFile.writeString(SettingsStore::Root::None, StorageSection, PlacementKey, placement);
    m_iniFile.writeString(SettingsStore::Root::None, StorageSection, AllUsersKey,
                          m_ui->AllUsers->isChecked() ? QStringLiteral("true") : QStringLiteral("false"));
}
