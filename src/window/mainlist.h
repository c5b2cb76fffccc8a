// SPDX-License-Identifier: GPL-3.0-or-later
// The entry list: one model shown by an icon view (large icons, small icons, list) and by a
// report view with the columns "FileName" and "Description", sharing one selection.
#pragma once

#include "keypresspairing.h"

#include <QList>
#include <QStackedWidget>

#include <optional>
#include <vector>

class EntryFilterModel;
class EntryListModel;
class QAbstractItemModel;
class QModelIndex;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QTableView;

class MainList final : public QStackedWidget
{
    Q_OBJECT
public:
    enum class ViewStyle { Icon, SmallIcon, List, Report };
    static QString viewStyleName(ViewStyle style);
    static std::optional<ViewStyle> viewStyleFromName(const QString &name);

    explicit MainList(EntryListModel &model, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(MainList)

    void setViewStyle(ViewStyle style);
    ViewStyle viewStyle() const { return m_style; }
    // Lays the icons out again from the top left.
    void arrangeIcons();

    // Shows only the entries that match text (name, path or description, ignoring case);
    // an empty text shows them all. Rows given to and taken from the list stay the model's.
    void setFilterText(const QString &text);
    void scrollToRow(int row);
    // The row shown at the top of the view (-1 when none), and scrolling a row to the top:
    // a list read again keeps its place by the entry at the top, not by a pixel offset.
    int topVisibleRow() const;
    void scrollRowToTop(int row);

    QList<int> selectedRows() const; // top to bottom
    int firstSelectedRow() const;    // the selected row nearest the top, or -1
    int selectedCount() const;
    void selectRows(const QList<int> &rows);
    void clearSelection();

    // Column widths as "200,600".
    QString columnWidths() const;
    void setColumnWidths(const QString &widths);
    // Shows the model's sort column and direction in the report's header.
    void showSortIndicator();

    EntryListModel &model() const { return m_model; }
    QListView *iconView() const { return m_iconView; }
    QTableView *reportView() const { return m_reportView; }
    QAbstractItemView *currentView() const;

Q_SIGNALS:
    void itemClicked();
    void itemDoubleClicked();
    void selectionChanged();
    void keyReleased(int key); // only a release whose press the list took too
    void focusLost();
    void mouseReleased();
    void popupRequested(const QPoint &globalPos);
    void headerClicked(int column);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildIconView();
    void buildReportView();
    struct RowRun
    {
        int first;
        int last;
    };
    // The selected rows of the shown model as runs, top to bottom, none overlapping.
    std::vector<RowRun> selectedRuns() const;
    void watch(QAbstractItemView *view);
    void showModel(QAbstractItemModel *model);
    int modelRow(const QModelIndex &viewIndex) const;
    QModelIndex viewIndex(int modelRow, int column = 0) const;
    QPoint keyboardPopupPosition() const;

    EntryListModel &m_model;
    EntryFilterModel *m_filter = nullptr; // between the list and the views while a filter is typed
    QString m_filterText;
    QListView *m_iconView = nullptr;
    QTableView *m_reportView = nullptr;
    ViewStyle m_style = ViewStyle::Report;
    bool m_inDoubleClick = false;
    KeyPressPairing m_keyPresses; // Del and Enter act on a release whose press came to the list
};
