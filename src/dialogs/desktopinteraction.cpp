// SPDX-License-Identifier: GPL-3.0-or-later
// The real Interaction: message boxes, the text prompt, file dialogs and the dialogs.
#include "desktopinteraction.h"

#include "folderchooser.h"
#include "tabout.h"
#include "taskforstr.h"
#include "tfileprop.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// The program's own boxes have no icon, and every window of the program waits while one
// shows. Their texts carry names from files (bookmark titles, paths), which are never read as
// markup.
QMessageBox::StandardButton showBox(QWidget *parent, const QString &title, const QString &text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton first,
                                    const QString &details = QString())
{
    QMessageBox box(QMessageBox::NoIcon, title, text, buttons, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(first);
    box.setDetailedText(details);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

const QString MessageTitle = QStringLiteral("Linkshelf Message");

} // namespace

DesktopInteraction::DesktopInteraction(QWidget *parent, SettingsStore &iniFile, Shell &shell)
    : m_parent(parent)
    , m_iniFile(iniFile)
    , m_shell(shell)
{}

bool DesktopInteraction::askYesNo(const QString &text)
{
    return showBox(m_parent, MessageTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

bool DesktopInteraction::confirmRisk(const QString &text, const QString &details)
{
    return showBox(m_parent, MessageTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                   details) == QMessageBox::Yes;
}

void DesktopInteraction::showMessage(const QString &text)
{
    showBox(m_parent, MessageTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

void DesktopInteraction::showError(const QString &message)
{
    showBox(m_parent, QStringLiteral("LS Error !"), QStringLiteral("Error ! ") + message, QMessageBox::Ok,
            QMessageBox::Ok);
}

std::optional<QString> DesktopInteraction::askForString(const QString &caption, const QString &prompt,
                                                        const TextRefusal &refusal)
{
    QString asked;
    if (!ShowAskForStr(m_parent, caption, prompt, asked, refusal))
        return std::nullopt;
    return asked;
}

QStringList DesktopInteraction::chooseFiles(LastFolder &initialDir)
{
    const QStringList files = QFileDialog::getOpenFileNames(m_parent, QString(), initialDir.path(),
                                                            QStringLiteral("All files (*)"));
    // The next use starts where the user last chose files.
    if (!files.isEmpty())
        initialDir.rememberFolderOf(files.first());
    return files;
}

QString DesktopInteraction::chooseDirectory()
{
    return QFileDialog::getExistingDirectory(m_parent, QStringLiteral("Select a directory"));
}

int DesktopInteraction::chooseFolder(const QString &caption, const QList<FolderChoice> &folders, int current)
{
    TFolderChooser dialog(caption, folders, current, m_parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenIndex() : -1;
}

bool DesktopInteraction::editProperties(EntryProperties &values, LastFolder &fileDialogInitialDir,
                                        const TextRefusal &refusal)
{
    TFileProp dialog(
        m_iniFile, [this](LastFolder &initialDir) { return chooseFiles(initialDir); }, fileDialogInitialDir,
        m_parent);
    dialog.fill(values);
    dialog.setRefusal(refusal);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    values = dialog.values();
    return true;
}

void DesktopInteraction::showAbout()
{
    TAbout about(m_shell, m_parent);
    about.exec();
}
