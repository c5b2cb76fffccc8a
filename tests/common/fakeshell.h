// SPDX-License-Identifier: GPL-3.0-or-later
// A shell that records what it was asked to open and answers with a chosen result.
#pragma once

#include "shell.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QTest>

#include <optional>

class FakeShell final : public Shell
{
public:
    // One request as the bytes that reached the shell: a target to open, or a program to
    // start with its argument (empty: none).
    struct Request
    {
        QByteArray file;
        std::optional<QByteArray> argument; // none: open(file)

        friend bool operator==(const Request &, const Request &) = default;
    };

    int result = Shell::Started;
    QList<QPair<QString, QString>> calls; // (file, parameters) as text, as ShellExecute takes them
    QList<Request> requests;

    int open(const QByteArray &target) override { return record({target, std::nullopt}); }
    int start(const QByteArray &program, const QByteArray &argument) override
    {
        return record({program, argument});
    }

private:
    int record(const Request &request)
    {
        requests.append(request);
        calls.append(
            {QString::fromUtf8(request.file), QString::fromUtf8(request.argument.value_or(QByteArray()))});
        return result;
    }
};

// What a failed comparison of requests prints: the file, then what it was started with.
inline char *toString(const FakeShell::Request &request)
{
    return QTest::toString(request.file + (request.argument ? " <- " + *request.argument : " (opened)"));
}
