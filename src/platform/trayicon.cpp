// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon: shown while the program is minimised to the tray.
#include "trayicon.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QStyle>
#include <QSystemTrayIcon>

namespace {

// The program's own icon lives in a resource of the window layer; a library or test without
// it still gets an icon, since a tray entry without one is invisible on most desktops.
QIcon applicationIcon()
{
    const QString own = QStringLiteral(":/icons/linkshelf.svg");
    if (QFile::exists(own))
        return QIcon(own);
    if (!QApplication::windowIcon().isNull())
        return QApplication::windowIcon();
    return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

} // namespace

TrayIcon::TrayIcon(std::function<bool()> trayAvailable, QObject *parent)
    : QObject(parent)
    , m_icon(new QSystemTrayIcon(applicationIcon(), this))
    , m_trayAvailable(trayAvailable ? std::move(trayAvailable) : &QSystemTrayIcon::isSystemTrayAvailable)
{
    m_icon->setToolTip(QStringLiteral("Linkshelf"));
    // Trays that follow the StatusNotifierItem protocol (KDE Plasma, GNOME's AppIndicator)
    // report a click, or their activate request, as a single click and never as a double
    // one: both restore, so that the window is never left behind an icon that ignores it.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT restoreRequested();
    });
}

bool TrayIcon::mayHideWindow() const
{
    return mayHideWindow(QGuiApplication::platformName(), m_trayAvailable());
}

bool TrayIcon::mayHideWindow(const QString &platformName, bool trayAvailable)
{
    return trayAvailable && reportsMinimising(platformName);
}

bool TrayIcon::reportsMinimising(const QString &platformName)
{
    return !platformName.startsWith(QLatin1String("wayland"));
}

void TrayIcon::activate()
{
    m_icon->show();
}

void TrayIcon::deactivate()
{
    m_icon->hide();
}

bool TrayIcon::isActive() const
{
    return m_icon->isVisible();
}
