// SPDX-License-Identifier: GPL-3.0-or-later
// "Find in all folders": a window beside the main one that searches every folder's entries
// as the user types and lists the matches; activating one shows it in the main window.
#pragma once

#include "catalogentries.h"
#include "catalogsearch.h"

#include <QDialog>

class CatalogView;
class FindResultsModel;
class QLabel;
class QLineEdit;
class QTimer;
class QTreeView;

class FindInAllFoldersDialog final : public QDialog
{
    Q_OBJECT
public:
    // Each search reads the folders of catalog as they are when it starts.
    explicit FindInAllFoldersDialog(CatalogView &catalog, QWidget *parent = nullptr);
    ~FindInAllFoldersDialog() override;
    Q_DISABLE_COPY_MOVE(FindInAllFoldersDialog)

    QLineEdit *queryField() const { return m_query; }
    QTreeView *resultsView() const { return m_results; }
    FindResultsModel &results() const { return *m_model; }
    QString statusText() const;
    bool isSearching() const { return m_search.isRunning(); }

    // Searches now for the field's text (typing searches after a short pause).
    void search();

Q_SIGNALS:
    void entryActivated(const CatalogEntryRef &entry);

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onHitsFound(const QList<CatalogEntryRef> &hits);
    void onProgress(int done, int total);
    void onFinished();
    void showCount(bool finished);
    bool queryKey(QEvent *event);

    CatalogView &m_catalog;
    CatalogSearch m_search;
    QLineEdit *m_query = nullptr;
    QTreeView *m_results = nullptr;
    QLabel *m_status = nullptr;
    QTimer *m_typingPause = nullptr;
    FindResultsModel *m_model = nullptr;
    int m_folderCount = 0;
};
