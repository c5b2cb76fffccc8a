// SPDX-License-Identifier: GPL-3.0-or-later
// "Check entries": the progress of a check running in the background, with Cancel, and the
// entries that need a look, with the gone ones ticked for deleting once the user agrees.
#pragma once

#include "catalogentries.h"
#include "entryremoval.h"
#include "linkchecker.h"

#include <QDialog>

class CatalogView;
class Interaction;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class LinkCheckDialog final : public QDialog
{
    Q_OBJECT
public:
    LinkCheckDialog(CatalogView &catalog, Interaction &interaction, QWidget *parent = nullptr);
    ~LinkCheckDialog() override;
    Q_DISABLE_COPY_MOVE(LinkCheckDialog)

    LinkChecker &checker() { return m_checker; }
    // Checks these entries (a check still running is cancelled).
    void start(const QList<CatalogEntryRef> &entries);
    // Stops the check; the results so far stay listed.
    void cancel();
    // Asks, then deletes the ticked entries; returns how many were deleted.
    int deleteCheckedEntries();

    QProgressBar *progressBar() const { return m_progress; }
    QTreeWidget *problemsView() const { return m_problems; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *deleteButton() const { return m_delete; }
    QString statusText() const;

Q_SIGNALS:
    // Each result as it comes, for the marks in the entry list.
    void entryChecked(const CatalogEntryRef &entry, const LinkCheckResult &result);
    // A listed entry was double-clicked: the window shows it.
    void entryActivated(const CatalogEntryRef &entry);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void onEntryChecked(int index, const LinkCheckResult &result);
    void onFinished();
    void updateButtons();

    CatalogView &m_catalog;
    TextEncoding m_encoding; // of the catalog the entries come from
    Interaction &m_interaction;
    LinkChecker m_checker;
    QList<CatalogEntryRef> m_entries;
    QLabel *m_status = nullptr;
    QProgressBar *m_progress = nullptr;
    QTreeWidget *m_problems = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_delete = nullptr;
    int m_problemCount = 0; // listed when found
    int m_goneCount = 0;    // of them, Missing or Broken
};
