// SPDX-License-Identifier: GPL-3.0-or-later
// The entry properties dialog: path or URL, the program that opens it, and a description.
#pragma once

#include "entryproperties.h"
#include "interaction.h"

#include <QDialog>

#include <functional>
#include <memory>

class SettingsStore;

inline constexpr int MaxFieldLength = 1023;

class TFileProp final : public QDialog
{
    Q_OBJECT
public:
    // chooseFiles runs the main window's open dialog from the given initial directory.
    using FileChooser = std::function<QStringList(LastFolder &initialDir)>;

    TFileProp(SettingsStore &iniFile, FileChooser chooseFiles, LastFolder &fileDialogInitialDir,
              QWidget *parent = nullptr);
    ~TFileProp() override;
    Q_DISABLE_COPY_MOVE(TFileProp)

    void fill(const EntryProperties &values);
    EntryProperties values() const; // what OK stored: Program empty when "Default" is checked
    // What OK refuses in a field the user changed, with the reason shown; the dialog stays.
    void setRefusal(TextRefusal refusal) { m_refusal = std::move(refusal); }

    // The folder of menu entries that the Start-menu browse opens in: the user's own, or with
    // allUsers the first system-wide one that exists. Empty when there is none.
    static QString applicationsFolder(bool allUsers);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    struct Ui;

    void createPathBox();
    void createProgramBox();
    void createDescriptionBox();
    void createButtons();
    void layOutDialog();
    void connectControls();

    void OKButClick();
    void PathButClick();
    void ProgSelButClick();
    void SMenuButClick();
    void DefRButClick();
    void SpecRButClick();
    void enableProgramControls();

    void restoreStoredState();
    void saveStoredState();

    std::unique_ptr<Ui> m_ui;
    SettingsStore &m_iniFile;
    FileChooser m_chooseFiles;
    LastFolder &m_initialDir;
    EntryProperties m_values;
    TextRefusal m_refusal;
    bool m_stateRestored = false;
    bool m_enterPressed = false; // the release of an Enter pressed elsewhere is not ours
};
