// SPDX-License-Identifier: GPL-3.0-or-later
// A label that shows an address as a link and reports clicks.
#include "linklabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {
bool activates(const QKeyEvent *event)
{
    return event->modifiers() == Qt::NoModifier &&
           (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space);
}
} // namespace

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
    setFocusPolicy(Qt::TabFocus);
    // Room for the focus frame beside the text; the rows of links stay as high as before.
    setContentsMargins(2, 0, 2, 0);
    setAccessibleDescription(QStringLiteral("Link: Enter or Space opens it"));
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

// The key acts when it is let go, as on a button, so that its release cannot reach another
// window that the link opened.
void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    if (!activates(event)) {
        QLabel::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        m_keyPressed = event->key();
    event->accept();
}

void LinkLabel::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat() || event->key() != m_keyPressed || m_keyPressed == 0) {
        QLabel::keyReleaseEvent(event);
        return;
    }
    m_keyPressed = 0;
    event->accept();
    Q_EMIT clicked();
}

void LinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
