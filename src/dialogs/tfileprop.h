// SPDX-License-Identifier: GPL-3.0-or-later
// The entry properties dialog: path or URL, the program that opens it, and a description.
#pragma once

#include "entryproperties.h"

#include <QDialog>

#include <functional>

class SettingsStore;

class TFileProp final : public QDialog
{
    Q_OBJECT
public:
    // chooseFiles runs the main window's open dialog from the given initial directory.
    using FileChooser = std::function<QStringList(QString &initialDir)>;

    TFileProp(SettingsStore &iniFile, FileChooser chooseFiles, QString &fileDialogInitialDir,
              QWidget *parent = nullptr);
    ~TFileProp() override;
    Q_DISABLE_COPY_MOVE(TFileProp)

    void fill(const EntryProperties &values);
    EntryProperties values() const; // what OK stored: Program empty when "Default" is checked

private:
    struct Ui;
    Ui *m_ui;
};
