// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon: shown while the program is minimised to the tray.
#pragma once

#include <QObject>

#include <functional>

class QSystemTrayIcon;

class TrayIcon final : public QObject
{
    Q_OBJECT
public:
    // trayAvailable says whether the desktop has a notification area right now; by default
    // the desktop is asked.
    explicit TrayIcon(std::function<bool()> trayAvailable = {}, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TrayIcon)

    // Whether minimising may hide the window here, so that only the icon brings it back.
    bool mayHideWindow() const;
    // The rule behind it: a notification area must show the icon, and the window system
    // must report every minimise. Wayland does not report one made by the compositor, so
    // the option would work only now and then there, and is never used.
    static bool mayHideWindow(const QString &platformName, bool trayAvailable);
    // Whether the window system reports minimising at all (false on Wayland).
    static bool reportsMinimising(const QString &platformName);

    void activate();   // shows the icon with the hint "Linkshelf"
    void deactivate(); // takes it out of the notification area
    bool isActive() const;

Q_SIGNALS:
    // The user clicked or double-clicked the icon, or the tray asked to activate it.
    void restoreRequested();

private:
    QSystemTrayIcon *m_icon = nullptr;
    std::function<bool()> m_trayAvailable;
};
