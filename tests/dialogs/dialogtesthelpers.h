// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the dialog tests: a shell that records what it was asked to open, and a way to
// act on a modal dialog once its event loop runs.
#pragma once

#include "modaldialog.h"
#include "shell.h"

#include <QPair>
#include <QVector>

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
