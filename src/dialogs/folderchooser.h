// SPDX-License-Identifier: GPL-3.0-or-later
// A dialog that shows the catalog's folders as their tree and lets the user pick one, from
// the keyboard as well as with the mouse.
#pragma once

#include "interaction.h"

#include <QDialog>

class QDialogButtonBox;
class QTreeWidget;

class TFolderChooser final : public QDialog
{
    Q_OBJECT
public:
    TFolderChooser(const QString &caption, const QList<FolderChoice> &folders, int current,
                   QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFolderChooser)

    // The index into the folders given of the one chosen, or -1.
    int chosenIndex() const;
    QTreeWidget *folderView() const { return m_tree; }

private:
    void fillTree(const QList<FolderChoice> &folders, int current);
    void enableOk();

    QTreeWidget *m_tree = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
