// SPDX-License-Identifier: GPL-3.0-or-later
// Small pieces that the dialogs share.
#include "dialogparts.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QScreen>
#include <QToolButton>

QToolButton *createGlyphButton(QWidget *parent, const QString &objectName, const QString &icon,
                               const QString &caption, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(icon)));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setCursor(Qt::PointingHandCursor);
    if (!caption.isEmpty()) {
        button->setText(caption);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAccessibleName(QString(caption).remove(u'&').trimmed());
    }
    if (!hint.isEmpty()) {
        button->setToolTip(hint);
        button->setAccessibleName(hint);
    }
    return button;
}

void giveKey(QToolButton *button, const QString &purpose, const QString &key)
{
    button->setShortcut(QKeySequence(key));
    button->setAccessibleName(purpose);
    button->setAccessibleDescription(key);
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->parentWidget() ? window->parentWidget()->screen() : window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
