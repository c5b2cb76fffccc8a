// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon: what it shows and which click asks for the window back.
#include "testenvironment.h"
#include "trayicon.h"

#include <QPixmap>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTrayIcon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void showsTheProgramWithItsName();
    void activateAndDeactivate();
    void aClickOrDoubleClickRestores_data();
    void aClickOrDoubleClickRestores();
    void theWindowHidesOnlyWhereItCanComeBack_data();
    void theWindowHidesOnlyWhereItCanComeBack();
};

// The program's own icon is a resource of the window layer, absent here: the tray must then
// fall back to the window icon rather than show an empty slot.
void TestTrayIcon::initTestCase()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::blue);
    QApplication::setWindowIcon(QIcon(pixmap));
}

void TestTrayIcon::showsTheProgramWithItsName()
{
    TrayIcon tray;
    const auto *icon = tray.findChild<QSystemTrayIcon *>();
    QVERIFY(icon);
    QCOMPARE(icon->toolTip(), u"Linkshelf"_s);
    QCOMPARE(icon->icon().cacheKey(), QApplication::windowIcon().cacheKey());
    QVERIFY(!icon->contextMenu());
}

void TestTrayIcon::activateAndDeactivate()
{
    TrayIcon tray;
    QVERIFY(!tray.isActive());
    tray.activate();
    QVERIFY(tray.isActive());
    tray.deactivate();
    QVERIFY(!tray.isActive());
}

// A StatusNotifierItem tray sends its activate request as a single click (Trigger).
void TestTrayIcon::aClickOrDoubleClickRestores_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<int>("restores");

    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << 1;
    QTest::newRow("single click or activate request") << QSystemTrayIcon::Trigger << 1;
    QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << 0;
    QTest::newRow("context menu") << QSystemTrayIcon::Context << 0;
}

void TestTrayIcon::aClickOrDoubleClickRestores()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(int, restores);

    TrayIcon tray;
    QSignalSpy restoreRequested(&tray, &TrayIcon::restoreRequested);
    Q_EMIT tray.findChild<QSystemTrayIcon *>()->activated(reason);
    QCOMPARE(restoreRequested.size(), restores);
}

void TestTrayIcon::theWindowHidesOnlyWhereItCanComeBack_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<bool>("mayHide");

    QTest::newRow("X11 with a tray") << u"xcb"_s << true << true;
    QTest::newRow("X11 without a tray") << u"xcb"_s << false << false;
    QTest::newRow("Wayland with a tray") << u"wayland"_s << true << false;
    QTest::newRow("Wayland through EGL") << u"wayland-egl"_s << true << false;
}

void TestTrayIcon::theWindowHidesOnlyWhereItCanComeBack()
{
    QFETCH(QString, platform);
    QFETCH(bool, trayAvailable);
    QFETCH(bool, mayHide);

    QCOMPARE(TrayIcon::mayHideWindow(platform, trayAvailable), mayHide);
}

LINKSHELF_TEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
