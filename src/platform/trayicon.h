// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon: shown while the program is minimised to the tray.
#pragma once

#include <QObject>

class QSystemTrayIcon;

class TrayIcon final : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TrayIcon)

    // Whether the desktop has a notification area at all; without one the window is
    // never hidden on minimise.
    static bool isAvailable();

    void activate();   // shows the icon with the hint "Linkshelf"
    void deactivate(); // takes it out of the notification area
    bool isActive() const;

Q_SIGNALS:
    void restoreRequested(); // the user double-clicked the icon

private:
    QSystemTrayIcon *m_icon = nullptr;
};
