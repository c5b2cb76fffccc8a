// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the dialog tests: a shell that records what it was asked to open, and a way to
// act on a modal dialog once its event loop runs.
#pragma once

#include "shell.h"

#include <QApplication>
#include <QPair>
#include <QTest>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <functional>

class FakeShell final : public Shell
{
public:
    int open(const QString &file, const QString &parameters) override
    {
        calls.append({file, parameters});
        return answer;
    }

    QVector<QPair<QString, QString>> calls;
    int answer = Shell::Started;
};

// Runs action on the modal widget that the next exec() shows, from inside its event loop.
inline void whenModalShows(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, qApp, [action = std::move(action)] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY2(modal, "no modal dialog is showing");
        action(modal);
    });
}
