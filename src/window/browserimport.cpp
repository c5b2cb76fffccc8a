// SPDX-License-Identifier: GPL-3.0-or-later
// Browser profiles in, new folders out through the bookmark import, which owns every check.
#include "browserimport.h"

#include "interaction.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr QSize InitialSize(520, 300); // room for a few profiles with their paths

QString lineOf(const BrowserImport::Found &found)
{
    const QString caption = found.profile.caption();
    if (!found.read)
        return QStringLiteral("%1: cannot be read. %2").arg(caption, found.read.error);
    const qsizetype count = found.read.entryCount;
    return QStringLiteral("%1: %2 %3")
        .arg(caption, QString::number(count),
             count == 1 ? QStringLiteral("bookmark") : QStringLiteral("bookmarks"));
}

QList<qsizetype> chooseInDialog(QWidget *parent, const QList<BrowserImport::Found> &found)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Import from browser"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(QStringLiteral("&Profiles to import, each as a new top-level folder:"), &dialog);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("profiles"));
    label->setBuddy(list);
    for (const BrowserImport::Found &profile : found) {
        auto *item = new QListWidgetItem(lineOf(profile), list);
        item->setToolTip(QDir::toNativeSeparators(profile.profile.file));
        if (profile.read) {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        } else {
            item->setFlags(Qt::ItemIsSelectable); // shown, with its reason, never chosen
        }
    }
    list->setCurrentRow(0);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Import"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(InitialSize);
    QList<qsizetype> chosen;
    if (dialog.exec() != QDialog::Accepted)
        return chosen;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked && found[row].read)
            chosen.append(row);
    return chosen;
}

} // namespace

BrowserImport::BrowserImport(BookmarkCommands &bookmarks, Interaction &interaction, ProfileChooser chooser,
                             ProfileFinder finder)
    : m_bookmarks(bookmarks)
    , m_interaction(interaction)
    , m_chooser(std::move(chooser))
    , m_finder(std::move(finder))
{}

void BrowserImport::importFromBrowserClick()
{
    QList<Found> found;
    for (const BrowserProfile &profile : m_finder())
        found.append({profile, readBrowserBookmarks(profile)});
    if (found.isEmpty()) {
        m_interaction.showMessage(QStringLiteral(
            "No browser profile with bookmarks was found (Firefox profiles under "
            "~/.mozilla/firefox; Chromium, Chrome, Brave, Edge and Vivaldi under ~/.config)."));
        return;
    }
    for (const qsizetype index : m_chooser(found)) {
        const Found &profile = found[index];
        const QString caption = QStringLiteral("%1 (%2)").arg(profile.profile.browser, profile.profile.name);
        // A browser's bookmarks name no program, so there is nothing to ask about them.
        m_bookmarks.importBookmarkTree(*profile.read.root, {caption, caption, caption},
                                       BookmarkCommands::Programs::Drop);
    }
}

BrowserImport::ProfileChooser BrowserImport::dialogChooser(QWidget *parent)
{
    return [parent](const QList<Found> &found) { return chooseInDialog(parent, found); };
}
