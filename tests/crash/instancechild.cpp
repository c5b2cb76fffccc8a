// SPDX-License-Identifier: GPL-3.0-or-later
// A second start, as a process of its own: it asks for the catalog's lock and forwards its
// arguments, then ends with a code that says what happened: 10 and the Start, or 9 after it
// printed what the holder could not carry out.
// Usage: linkshelf_instancechild WORKDIR TIMEOUT_MS [hold] [ARGUMENT...]
// With "hold", a process that gets the lock says "locked" and keeps it until it is killed.
#include "singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    const QString workDir = arguments[1];
    const int timeout = arguments[2].toInt();
    const bool hold = arguments.size() > 3 && arguments[3] == QStringLiteral("hold");
    QStringList forwarded{arguments[0]};
    forwarded += arguments.mid(hold ? 4 : 3);
    SingleInstance instance(workDir);
    const SingleInstance::Start start = instance.start({QDir::currentPath(), forwarded}, timeout);
    if (hold && start == SingleInstance::Start::Primary) {
        std::puts("locked");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
    if (start == SingleInstance::Start::Forwarded && !instance.handOverFailure().isEmpty()) {
        std::puts(qPrintable(instance.handOverFailure()));
        return 9;
    }
    return 10 + int(start);
}
