// SPDX-License-Identifier: GPL-3.0-or-later
// The entries that match the find bar's text, in the list's own order. Only put between the
// list and its views while a filter is typed: the whole folder needs no proxy.
#pragma once

#include <QSortFilterProxyModel>

class EntryListModel;

class EntryFilterModel final : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit EntryFilterModel(EntryListModel &entries, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(EntryFilterModel)

    // Shows the entries whose name, path or description holds text, ignoring case.
    void setFindText(const QString &text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    EntryListModel &m_entries;
    QString m_text;
};
