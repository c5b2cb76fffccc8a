// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: shows an exception that escapes an event handler and lets the
// event loop go on, instead of ending the program with the catalog half-handled.
#pragma once

#include <QApplication>

#include <functional>

class LinkshelfApplication final : public QApplication
{
    Q_OBJECT
public:
    LinkshelfApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // How an escaped exception is shown; a message box unless a test says otherwise.
    void setExceptionReporter(std::function<void(const QString &)> reporter);
    static void showException(const QString &message);

    // The title of the application's own boxes. It is not made the display name: the
    // desktop would then add it to every window title.
    static QString applicationTitle() { return QStringLiteral("Linkshelf 1.2"); }

private:
    std::function<void(const QString &)> m_reporter;
};
