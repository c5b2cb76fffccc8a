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
    void onlyDoubleClickRestores_data();
    void onlyDoubleClickRestores();
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

void TestTrayIcon::onlyDoubleClickRestores_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<int>("restores");

    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << 1;
    QTest::newRow("single click") << QSystemTrayIcon::Trigger << 0;
    QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << 0;
    QTest::newRow("context menu") << QSystemTrayIcon::Context << 0;
}

void TestTrayIcon::onlyDoubleClickRestores()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(int, restores);

    TrayIcon tray;
    QSignalSpy restoreRequested(&tray, &TrayIcon::restoreRequested);
    Q_EMIT tray.findChild<QSystemTrayIcon *>()->activated(reason);
    QCOMPARE(restoreRequested.size(), restores);
}

LINKSHELF_TEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
