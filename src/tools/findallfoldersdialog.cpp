// SPDX-License-Identifier: GPL-3.0-or-later
#include "findallfoldersdialog.h"

#include "catalogview.h"
#include "findresultsmodel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Long enough that a search does not start at every key of a word typed at speed.
constexpr int TypingPauseMs = 250;

} // namespace

FindInAllFoldersDialog::FindInAllFoldersDialog(CatalogView &catalog, QWidget *parent)
    : QDialog(parent)
    , m_catalog(catalog)
    , m_query(new QLineEdit(this))
    , m_results(new QTreeView(this))
    , m_status(new QLabel(this))
    , m_typingPause(new QTimer(this))
    , m_model(new FindResultsModel(this))
{
    setWindowTitle(QStringLiteral("Find in all folders"));
    setModal(false);
    m_query->setObjectName(QStringLiteral("FindText"));
    m_query->setClearButtonEnabled(true);
    m_query->setPlaceholderText(QStringLiteral("Name, path or description"));
    m_query->setAccessibleName(QStringLiteral("Find"));
    m_query->setAccessibleDescription(
        QStringLiteral("Searches every folder as you type; Down goes to the results"));
    m_query->installEventFilter(this);
    m_results->setObjectName(QStringLiteral("FindResults"));
    m_results->setModel(m_model);
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true); // a long list scrolls without measuring every row
    m_results->setAllColumnsShowFocus(true);
    m_results->setAccessibleName(QStringLiteral("Results"));
    m_results->setAccessibleDescription(QStringLiteral("Enter shows the entry in the main window"));
    m_results->header()->resizeSection(FindResultsModel::NameColumn, 220);
    m_results->header()->resizeSection(FindResultsModel::FolderColumn, 180);
    m_status->setObjectName(QStringLiteral("FindStatus"));
    m_status->setAccessibleName(QStringLiteral("Status"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Find:"), m_query);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    // Enter in the query field searches; it must not reach Close as the dialog's default.
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    resize(720, 460);

    m_typingPause->setSingleShot(true);
    m_typingPause->setInterval(TypingPauseMs);
    connect(m_typingPause, &QTimer::timeout, this, &FindInAllFoldersDialog::search);
    connect(m_query, &QLineEdit::textEdited, m_typingPause, qOverload<>(&QTimer::start));
    connect(m_query, &QLineEdit::returnPressed, this, &FindInAllFoldersDialog::search);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_results, &QTreeView::activated, this,
            [this](const QModelIndex &index) { Q_EMIT entryActivated(m_model->hitAt(index.row())); });
    connect(&m_search, &CatalogSearch::hitsFound, this, &FindInAllFoldersDialog::onHitsFound);
    connect(&m_search, &CatalogSearch::progressChanged, this, &FindInAllFoldersDialog::onProgress);
    connect(&m_search, &CatalogSearch::finished, this, &FindInAllFoldersDialog::onFinished);
}

FindInAllFoldersDialog::~FindInAllFoldersDialog() = default;

QString FindInAllFoldersDialog::statusText() const
{
    return m_status->text();
}

void FindInAllFoldersDialog::search()
{
    m_typingPause->stop();
    m_search.cancel();
    m_model->clear();
    const QString query = m_query->text();
    if (query.isEmpty()) {
        m_status->clear();
        return;
    }
    const CatalogSnapshot catalog = m_catalog.snapshot();
    m_folderCount = int(catalog.folders.size());
    m_model->setEncoding(catalog.encoding);
    m_status->setText(QStringLiteral("Searching %1 folders...").arg(m_folderCount));
    m_search.start(catalog.paths, catalog.folders, query, catalog.encoding);
}

void FindInAllFoldersDialog::hideEvent(QHideEvent *event)
{
    m_search.cancel(); // nothing to show the results in
    QDialog::hideEvent(event);
}

bool FindInAllFoldersDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QDialog::eventFilter(watched, event);
    if (watched == m_query)
        return queryKey(event);
    return QDialog::eventFilter(watched, event);
}

// Down and Up leave the query for the results, as in a search field with a list below it:
// Down to the first result (or the one chosen before), Up to the last.
bool FindInAllFoldersDialog::queryKey(QEvent *event)
{
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool down = key->key() == Qt::Key_Down;
    if (event->type() != QEvent::KeyPress || (!down && key->key() != Qt::Key_Up) || m_model->count() == 0)
        return false;
    QModelIndex current = m_results->currentIndex();
    if (!current.isValid())
        current = m_model->index(down ? 0 : m_model->count() - 1, 0);
    m_results->setFocus(Qt::TabFocusReason);
    m_results->setCurrentIndex(current);
    return true;
}

void FindInAllFoldersDialog::onHitsFound(const QList<CatalogEntryRef> &hits)
{
    m_model->append(hits);
    showCount(false);
}

void FindInAllFoldersDialog::onProgress(int done, int total)
{
    if (m_search.isRunning())
        m_status->setText(QStringLiteral("%1 found, %2 of %3 folders searched...")
                              .arg(m_model->count())
                              .arg(done)
                              .arg(total));
}

void FindInAllFoldersDialog::onFinished()
{
    showCount(true);
}

void FindInAllFoldersDialog::showCount(bool finished)
{
    const int count = m_model->count();
    if (!finished) {
        m_status->setText(QStringLiteral("%1 found, searching...").arg(count));
        return;
    }
    m_status->setText(count == 0   ? QStringLiteral("Nothing found in %1 folders.").arg(m_folderCount)
                      : count == 1 ? QStringLiteral("1 entry found.")
                                   : QStringLiteral("%1 entries found.").arg(count));
}
