// SPDX-License-Identifier: GPL-3.0-or-later
// A dialog that shows the catalog's folders as their tree and lets the user pick one.
#include "folderchooser.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr QSize InitialSize(320, 380); // a tree of a dozen folders without scrolling
constexpr int IndexRole = Qt::UserRole;
} // namespace

TFolderChooser::TFolderChooser(const QString &caption, const QList<FolderChoice> &folders, int current,
                               QWidget *parent)
    : QDialog(parent)
    , m_tree(new QTreeWidget(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("TFolderChooser"));
    setWindowTitle(caption);
    m_tree->setObjectName(QStringLiteral("Folders"));
    m_tree->setHeaderHidden(true);
    m_tree->setAccessibleName(QStringLiteral("Folders"));
    m_tree->setAccessibleDescription(QStringLiteral("Enter chooses the folder"));
    auto *label = new QLabel(QStringLiteral("&Folder:"), this);
    label->setBuddy(m_tree);
    // Enter in the tree reaches the dialog, which presses its default button.
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &TFolderChooser::enableOk);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_buttons->button(QDialogButtonBox::Ok)->isEnabled())
            accept();
    });
    fillTree(folders, current);
    enableOk();
    m_tree->setFocus();
    resize(InitialSize);
}

void TFolderChooser::fillTree(const QList<FolderChoice> &folders, int current)
{
    const QIcon folderIcon(QStringLiteral(":/icons/folder-closed.svg"));
    QList<QTreeWidgetItem *> parents; // the last item seen at each level
    for (int i = 0; i < folders.size(); ++i) {
        const FolderChoice &folder = folders.at(i);
        const int level = std::clamp(folder.level, 0, int(parents.size()));
        parents.resize(level);
        auto *item = level == 0 ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(parents.constLast());
        item->setText(0, folder.name);
        item->setIcon(0, folderIcon);
        item->setData(0, IndexRole, i);
        if (!folder.takesEntries) // shown for the tree's shape; the arrow keys pass it by
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
        parents.append(item);
        if (i == current)
            m_tree->setCurrentItem(item);
    }
    m_tree->expandAll();
    if (!m_tree->currentItem() && m_tree->topLevelItemCount() > 0)
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
}

int TFolderChooser::chosenIndex() const
{
    const QTreeWidgetItem *item = m_tree->currentItem();
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return -1;
    return item->data(0, IndexRole).toInt();
}

void TFolderChooser::enableOk()
{
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(chosenIndex() >= 0);
}
