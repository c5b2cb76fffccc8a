// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the dialog tests: the recording shell, and a way to act on a modal dialog once
// its event loop runs.
#pragma once

#include "fakeshell.h"

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
