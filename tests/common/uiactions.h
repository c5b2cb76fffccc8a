// SPDX-License-Identifier: GPL-3.0-or-later
// What a user does to reach a command through the window's own controls: a click on a menu
// of the menu bar and then on its item, and acting on a dialog that the command opens.
#pragma once

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <functional>

// Runs action on the first modal dialog of type T that shows from now on, from inside its
// own event loop (the command that opens it does not return until it closes).
template <typename T> void whenModalShows(std::function<void(T *)> action)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action = std::move(action)] {
        if (T *dialog = qobject_cast<T *>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
            poll->deleteLater();
            poll->stop();
            action(dialog);
        }
    });
    poll->start();
}

// Clicks the menu bar's menu that holds the action named actionName, then the action.
inline void chooseMenuItem(QMainWindow &window, const QString &actionName)
{
    auto *action = window.findChild<QAction *>(actionName);
    QVERIFY2(action, qPrintable(actionName));
    QMenu *menu = nullptr;
    for (QAction *title : window.menuBar()->actions())
        if (title->menu() && title->menu()->actions().contains(action))
            menu = title->menu();
    QVERIFY2(menu, "the action is in no menu of the menu bar");
    QTest::mouseClick(window.menuBar(), Qt::LeftButton, {},
                      window.menuBar()->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}
