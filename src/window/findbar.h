// SPDX-License-Identifier: GPL-3.0-or-later
// The find bar above the entry list: filters the selected folder's entries as the user types.
#pragma once

#include <QWidget>

class QLineEdit;

class FindBar final : public QWidget
{
    Q_OBJECT
public:
    explicit FindBar(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(FindBar)

    // Shows the bar with its field focused and its text selected.
    void open();
    // Hides the bar and clears the filter.
    void close();
    QString text() const;
    // The controls that Tab reaches, in order.
    QList<QWidget *> focusOrder() const;

Q_SIGNALS:
    void filterChanged(const QString &text);
    void findInAllFoldersRequested(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_field = nullptr;
    QWidget *m_all = nullptr;
};
