// SPDX-License-Identifier: GPL-3.0-or-later
// Acting on a modal dialog from inside its own event loop, as a user does while it shows.
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs action on the modal widget that the next exec() shows, from inside its event loop.
inline void whenModalShows(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, qApp, [action = std::move(action)] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY2(modal, "no modal dialog is showing");
        action(modal);
    });
}
