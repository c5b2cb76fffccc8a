// SPDX-License-Identifier: GPL-3.0-or-later
// The window and its tray icon: minimised, the window hides behind the icon, and a click on
// the icon brings it back as it was.
#include "testenvironment.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QSystemTrayIcon>

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

class TestTrayWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aClickOnTheIconBringsTheWindowBackAsItWas_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        // A StatusNotifierItem tray reports its click, and its activate request, as Trigger.
        QTest::newRow("click") << false << QSystemTrayIcon::Trigger;
        QTest::newRow("click, maximised") << true << QSystemTrayIcon::Trigger;
        QTest::newRow("double click, maximised") << true << QSystemTrayIcon::DoubleClick;
    }

    void aClickOnTheIconBringsTheWindowBackAsItWas()
    {
        QFETCH(bool, maximised);
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        WindowFixture f;
        TMain::Services services = f.services();
        services.trayAvailable = [] { return true; }; // the offscreen platform has no tray
        f.window = std::make_unique<TMain>(services);
        TMain &w = *f.window;
        QVERIFY(
            w.findChild<QCheckBox *>(QStringLiteral("TrayCheck"))->isChecked()); // as in a new installation
        maximised ? w.showMaximized() : w.showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE(w.isMaximized(), maximised);

        // The window system reports the user's minimise as a change of state.
        w.setWindowState(w.windowState() | Qt::WindowMinimized);
        QTRY_VERIFY(!w.isVisible());
        auto *icon = w.findChild<QSystemTrayIcon *>();
        QVERIFY(icon->isVisible());

        Q_EMIT icon->activated(reason);
        QTRY_VERIFY(w.isVisible());
        QVERIFY(!w.isMinimized());
        QCOMPARE(w.isMaximized(), maximised);
        QVERIFY(!icon->isVisible());
    }
};

LINKSHELF_TEST_MAIN(TestTrayWindow)
#include "tst_traywindow.moc"
