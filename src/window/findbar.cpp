// SPDX-License-Identifier: GPL-3.0-or-later
#include "findbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FindBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto *label = new QLabel(QStringLiteral("Find:"));
    m_field = new QLineEdit;
    m_field->setObjectName(QStringLiteral("FindField"));
    m_field->setPlaceholderText(QStringLiteral("Name, path or description in this folder"));
    m_field->setClearButtonEnabled(true);
    m_field->setAccessibleName(QStringLiteral("Find in this folder"));
    label->setBuddy(m_field);
    auto *all = new QPushButton(QStringLiteral("Find in all folders..."));
    all->setObjectName(QStringLiteral("FindAllBut"));
    m_all = all;
    auto *hide = new QToolButton;
    hide->setObjectName(QStringLiteral("FindCloseBut"));
    hide->setText(QStringLiteral("X"));
    hide->setAutoRaise(true);
    hide->setToolTip(QStringLiteral("Close the find bar (Esc)"));
    hide->setAccessibleName(QStringLiteral("Close the find bar"));
    hide->setFocusPolicy(Qt::NoFocus); // Esc in the field closes the bar
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(all);
    layout->addWidget(hide);
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textChanged, this, &FindBar::filterChanged);
    connect(all, &QPushButton::clicked, this, [this] { Q_EMIT findInAllFoldersRequested(m_field->text()); });
    connect(hide, &QToolButton::clicked, this, &FindBar::close);
    QWidget::hide();
}

QList<QWidget *> FindBar::focusOrder() const
{
    return {m_field, m_all};
}

void FindBar::open()
{
    show();
    m_field->setFocus();
    m_field->selectAll();
}

void FindBar::close()
{
    m_field->clear(); // the whole folder shows again
    hide();
}

QString FindBar::text() const
{
    return m_field->text();
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
