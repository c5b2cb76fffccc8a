// SPDX-License-Identifier: GPL-3.0-or-later
// A label that shows an address as a link and reports clicks.
#include "linklabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(const QString &objectName, const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setObjectName(objectName);
    // Plain text drawn as a link, not a rich-text anchor: the whole label is the target, and
    // the colour stays the same whatever the style does with visited links.
    setTextFormat(Qt::PlainText);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    // The palette's link colour: blue in a light palette, and still readable in a dark one.
    setForegroundRole(QPalette::Link);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // Like a button: the click counts when the button is let go over the label.
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}
