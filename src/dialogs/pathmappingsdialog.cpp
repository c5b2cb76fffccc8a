// SPDX-License-Identifier: GPL-3.0-or-later
#include "pathmappingsdialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr QSize InitialSize(620, 320); // room for two paths side by side
} // namespace

PathMappingsDialog::PathMappingsDialog(const Rules &rules, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PathMappingsDialog"));
    setWindowTitle(QStringLiteral("Path mappings"));
    auto *intro = new QLabel(
        QStringLiteral("Paths that the catalog holds from another computer open through these rules: a path "
                       "that begins with a stored prefix opens as the path beside it, and the rest of it "
                       "follows with \"\\\" as \"/\". Drive letters and network host names match in "
                       "either case. The catalog itself keeps its paths as they are."),
        this);
    intro->setWordWrap(true);
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("MappingsTable"));
    m_table->setAccessibleName(QStringLiteral("Path mappings"));
    // Tab goes on to the buttons; the arrow keys move between the cells, F2 edits one.
    m_table->setTabKeyNavigation(false);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Stored prefix"), QStringLiteral("Opens as")});
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    for (const auto &[stored, opensAs] : rules)
        addRow(stored, opensAs);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *add = buttons->addButton(QStringLiteral("&Add"), QDialogButtonBox::ActionRole);
    QPushButton *remove = buttons->addButton(QStringLiteral("&Remove"), QDialogButtonBox::ActionRole);
    add->setObjectName(QStringLiteral("AddMapping"));
    remove->setObjectName(QStringLiteral("RemoveMapping"));
    connect(add, &QPushButton::clicked, this, [this] {
        addRow({}, {});
        m_table->setCurrentCell(m_table->rowCount() - 1, 0);
        m_table->editItem(m_table->currentItem());
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_table->currentRow() >= 0)
            m_table->removeRow(m_table->currentRow());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &PathMappingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(InitialSize);
}

void PathMappingsDialog::addRow(const QString &stored, const QString &opensAs)
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    m_table->setItem(row, 0, new QTableWidgetItem(stored));
    m_table->setItem(row, 1, new QTableWidgetItem(opensAs));
}

PathMappingsDialog::Rules PathMappingsDialog::rules() const
{
    Rules rules;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QString stored = m_table->item(row, 0) ? m_table->item(row, 0)->text().trimmed() : QString();
        const QString opensAs = m_table->item(row, 1) ? m_table->item(row, 1)->text().trimmed() : QString();
        if (!stored.isEmpty() && !opensAs.isEmpty())
            rules.append({stored, opensAs});
    }
    return rules;
}

void PathMappingsDialog::accept()
{
    // The rules are kept one to a line with a tab between the two paths.
    for (const auto &[stored, opensAs] : rules())
        if (stored.contains(u'\t') || stored.contains(u'\n') || opensAs.contains(u'\t') ||
            opensAs.contains(u'\n')) {
            QMessageBox(QMessageBox::NoIcon, windowTitle(),
                        QStringLiteral("A path of a mapping cannot hold a tab or a line break."),
                        QMessageBox::Ok, this)
                .exec();
            return;
        }
    QDialog::accept();
}
