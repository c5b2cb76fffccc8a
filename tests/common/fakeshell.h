// SPDX-License-Identifier: GPL-3.0-or-later
// A shell that records what it was asked to open and answers with a chosen result.
#pragma once

#include "shell.h"

#include <QList>
#include <QPair>

class FakeShell final : public Shell
{
public:
    int result = Shell::Started;
    QList<QPair<QString, QString>> calls; // (file, parameters)

    int open(const QString &file, const QString &parameters) override
    {
        calls.append({file, parameters});
        return result;
    }
};
