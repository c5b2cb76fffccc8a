// SPDX-License-Identifier: GPL-3.0-or-later
// Walks a window's focus chain with Tab, as a keyboard user does, and names the controls that
// could take the focus but that neither Tab nor a key of their own reaches.
#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QSet>
#include <QTest>
#include <QWidget>

namespace focuschain {

inline bool canTakeFocus(const QWidget *widget, const QWidget *window)
{
    return widget->window() == window && widget->focusPolicy() != Qt::NoFocus &&
           widget->isVisibleTo(window) && widget->isEnabled() && !widget->focusProxy();
}

// A key that gives the widget the focus or acts on it: its own shortcut or mnemonic, a
// label's mnemonic that names it as buddy, or the mnemonic of the group box it opens.
inline bool hasKey(const QWidget *widget, const QWidget *window)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget);
        button && !button->shortcut().isEmpty())
        return true;
    for (const QLabel *label : window->findChildren<QLabel *>())
        if (label->buddy() == widget && !QKeySequence::mnemonic(label->text()).isEmpty())
            return true;
    const auto *box = qobject_cast<const QGroupBox *>(widget->parentWidget());
    if (box && !QKeySequence::mnemonic(box->title()).isEmpty()) {
        for (const QWidget *child : box->findChildren<QWidget *>())
            if (canTakeFocus(child, window))
                return child == widget; // the box hands the focus to its first control
    }
    return false;
}

// The widgets that Tab visits from the one focused now, in order, once round the chain.
inline QList<QWidget *> tabChain(QWidget *window)
{
    QList<QWidget *> visited;
    for (int step = 0; step < 200; ++step) {
        QWidget *focused = QApplication::focusWidget();
        if (!focused || focused->window() != window || visited.contains(focused))
            break;
        visited.append(focused);
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    return visited;
}

// The object names (or class names) of the controls that can take the focus but that Tab,
// started from the focused control, never reaches and that have no key of their own. The
// window must be shown and active.
inline QStringList unreachedControls(QWidget *window)
{
    const QList<QWidget *> reached = tabChain(window);
    QStringList unreached;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!canTakeFocus(widget, window) || reached.contains(widget) || hasKey(widget, window))
            continue;
        unreached.append(widget->objectName().isEmpty()
                             ? QString::fromLatin1(widget->metaObject()->className())
                             : widget->objectName());
    }
    return unreached;
}

// The controls (what takes the focus, and every button) that a screen reader would announce
// without a name.
inline QStringList unnamedControls(QWidget *window)
{
    QStringList unnamed;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(widget) || canTakeFocus(widget, window);
        if (!control || widget->window() != window || !widget->isVisibleTo(window))
            continue;
        const QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(widget);
        if (reader && !reader->text(QAccessible::Name).trimmed().isEmpty())
            continue;
        unnamed.append(widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                      : widget->objectName());
    }
    return unnamed;
}

// The object names of the chain, for a readable failure message and for the report.
inline QStringList names(const QList<QWidget *> &widgets)
{
    QStringList result;
    for (const QWidget *widget : widgets)
        result.append(widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                     : widget->objectName());
    return result;
}

} // namespace focuschain
