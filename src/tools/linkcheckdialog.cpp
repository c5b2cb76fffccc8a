// SPDX-License-Identifier: GPL-3.0-or-later
#include "linkcheckdialog.h"

#include "catalogview.h"
#include "entrydeletion.h"
#include "entryrow.h"
#include "interaction.h"

#include <QFile>

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr QSize InitialSize(780, 420); // room for the problems' columns

enum Column { NameColumn, FolderColumn, StatusColumn };
constexpr int EntryRole = Qt::UserRole; // the index into the checked entries

} // namespace

LinkCheckDialog::LinkCheckDialog(CatalogView &catalog, Interaction &interaction, QWidget *parent)
    : QDialog(parent)
    , m_catalog(catalog)
    , m_interaction(interaction)
    , m_status(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_problems(new QTreeWidget(this))
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_delete(new QPushButton(QStringLiteral("&Delete checked entries"), this))
{
    setWindowTitle(QStringLiteral("Check entries"));
    setModal(false);
    m_status->setObjectName(QStringLiteral("CheckStatus"));
    m_progress->setObjectName(QStringLiteral("CheckProgress"));
    m_problems->setObjectName(QStringLiteral("CheckProblems"));
    m_problems->setAccessibleName(QStringLiteral("Entries with problems"));
    m_status->setAccessibleName(QStringLiteral("Status"));
    m_progress->setAccessibleName(QStringLiteral("Progress"));
    m_problems->setRootIsDecorated(false);
    m_problems->setUniformRowHeights(true);
    m_problems->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Folder"), QStringLiteral("Status")});
    // The reason is the point of the list: its column takes the width of the longest one,
    // and the name gives way (the full path is its tooltip); a scroll bar comes before any
    // reason is cut.
    QHeaderView *header = m_problems->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(FolderColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(StatusColumn, QHeaderView::ResizeToContents);
    m_cancel->setObjectName(QStringLiteral("CheckCancel"));
    m_delete->setObjectName(QStringLiteral("CheckDelete"));
    // Enter in the list must never start a deletion, even one that asks first.
    m_delete->setAutoDefault(false);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_delete, QDialogButtonBox::ActionRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(m_problems, 1);
    layout->addWidget(buttons);
    resize(InitialSize);

    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_checker.isRunning())
            cancel();
        else
            close();
    });
    connect(m_delete, &QPushButton::clicked, this, &LinkCheckDialog::deleteCheckedEntries);
    connect(m_problems, &QTreeWidget::itemChanged, this, [this] { updateButtons(); });
    connect(m_problems, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        Q_EMIT entryActivated(m_entries[item->data(NameColumn, EntryRole).toInt()]);
    });
    connect(&m_checker, &LinkChecker::entryChecked, this, &LinkCheckDialog::onEntryChecked);
    connect(&m_checker, &LinkChecker::progressChanged, this, [this](int done, int total) {
        m_progress->setMaximum(total);
        m_progress->setValue(done);
    });
    connect(&m_checker, &LinkChecker::finished, this, &LinkCheckDialog::onFinished);
    updateButtons();
}

LinkCheckDialog::~LinkCheckDialog() = default;

void LinkCheckDialog::start(const QList<CatalogEntryRef> &entries)
{
    m_entries = entries;
    const CatalogSnapshot catalog = m_catalog.snapshot();
    m_encoding = catalog.encoding;
    m_problems->clear();
    m_problemCount = 0;
    m_goneCount = 0;
    QList<MFile> files;
    files.reserve(entries.size());
    for (const CatalogEntryRef &entry : entries)
        files.append(entry.file);
    m_progress->setRange(0, std::max<int>(1, int(entries.size())));
    m_progress->setValue(0);
    m_status->setText(QStringLiteral("Checking %1 entries...").arg(entries.size()));
    m_checker.start(files,
                    [mappings = catalog.pathMappings, encoding = catalog.encoding](const QByteArray &path) {
                        const std::optional<QString> mapped = mappedPath(encoding.decode(path), mappings);
                        return mapped ? QFile::encodeName(*mapped) : path;
                    });
    updateButtons();
}

void LinkCheckDialog::cancel()
{
    m_checker.cancel();
    m_status->setText(QStringLiteral("Cancelled after %1 of %2 entries; %3 need a look.")
                          .arg(m_checker.done())
                          .arg(m_checker.total())
                          .arg(m_problemCount));
    updateButtons();
}

void LinkCheckDialog::closeEvent(QCloseEvent *event)
{
    m_checker.cancel();
    QDialog::closeEvent(event);
}

QString LinkCheckDialog::statusText() const
{
    return m_status->text();
}

void LinkCheckDialog::onEntryChecked(int index, const LinkCheckResult &result)
{
    const CatalogEntryRef &entry = m_entries[index];
    Q_EMIT entryChecked(entry, result);
    if (result.status == LinkCheckResult::Ok || result.status == LinkCheckResult::NotChecked)
        return;
    ++m_problemCount;
    if (isGone(result))
        ++m_goneCount;
    const QSignalBlocker blocker(m_problems);
    auto *item = new QTreeWidgetItem(m_problems);
    item->setText(NameColumn, entryCaption(entry.file, m_encoding));
    item->setToolTip(NameColumn, m_encoding.decode(entry.file.Path));
    item->setText(FolderColumn, entry.folderPath);
    item->setText(StatusColumn, linkStatusText(result));
    item->setToolTip(StatusColumn, linkStatusText(result));
    item->setIcon(StatusColumn, linkStatusIcon(result, style()));
    item->setData(NameColumn, EntryRole, index);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    // Only what is gone is offered for deleting: a link that could not be checked (no
    // network, a server down for the day) may well work tomorrow.
    item->setCheckState(NameColumn, isGone(result) ? Qt::Checked : Qt::Unchecked);
}

void LinkCheckDialog::onFinished()
{
    m_status->setText(m_problemCount == 0
                          ? QStringLiteral("All %1 entries are fine.").arg(m_checker.total())
                          : QStringLiteral("%1 of %2 entries need a look: %3 gone, %4 could not be checked.")
                                .arg(m_problemCount)
                                .arg(m_checker.total())
                                .arg(m_goneCount)
                                .arg(m_problemCount - m_goneCount));
    updateButtons();
}

void LinkCheckDialog::updateButtons()
{
    m_cancel->setText(m_checker.isRunning() ? QStringLiteral("Cancel") : QStringLiteral("Close"));
    bool anyChecked = false;
    for (int i = 0; i < m_problems->topLevelItemCount() && !anyChecked; ++i)
        anyChecked = m_problems->topLevelItem(i)->checkState(NameColumn) == Qt::Checked;
    m_delete->setEnabled(!m_checker.isRunning() && anyChecked);
}

int LinkCheckDialog::deleteCheckedEntries()
{
    if (m_checker.isRunning())
        return 0;
    QList<CatalogEntryRef> chosen;
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < m_problems->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_problems->topLevelItem(i);
        if (item->checkState(NameColumn) == Qt::Checked) {
            chosen.append(m_entries[item->data(NameColumn, EntryRole).toInt()]);
            items.append(item);
        }
    }
    if (chosen.isEmpty())
        return 0;
    const std::optional<EntryRemovalResult> result =
        deleteAfterAsking(m_catalog, m_interaction, chosen,
                          {QStringLiteral("the checked entry"), QStringLiteral("the %1 checked entries"),
                           QStringLiteral("No entry was deleted."),
                           QStringLiteral("%1 of the checked entries had changed since the check")});
    if (!result || !result->save.ok)
        return 0;
    qDeleteAll(items); // deleted, or changed since: either way no longer what the list says
    m_problemCount -= int(items.size());
    updateButtons();
    return result->removed;
}
