// SPDX-License-Identifier: GPL-3.0-or-later
// The "Path mappings" dialog: a table of rules "stored prefix -> opens as" for a catalog whose
// paths were written on another system.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <utility>

class QTableWidget;

class PathMappingsDialog final : public QDialog
{
    Q_OBJECT
public:
    using Rules = QList<std::pair<QString, QString>>; // stored prefix, opens as

    explicit PathMappingsDialog(const Rules &rules, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(PathMappingsDialog)

    // The rules as OK left them: rows with both cells filled, in the table's order.
    Rules rules() const;

    void accept() override;

private:
    void addRow(const QString &stored, const QString &opensAs);

    QTableWidget *m_table = nullptr;
};
