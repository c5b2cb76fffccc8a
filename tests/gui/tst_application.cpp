// SPDX-License-Identifier: GPL-3.0-or-later
// An exception escaping an event handler is shown and the event loop goes on.
#include "linkshelfapplication.h"
#include "testenvironment.h"

#include <QTimer>

#include <stdexcept>

namespace {
class ThrowingObject final : public QObject
{
public:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("handler failed");
        return QObject::event(event);
    }
};
} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anEscapedExceptionIsShownAndTheLoopGoesOn()
    {
        auto *app = static_cast<LinkshelfApplication *>(QCoreApplication::instance());
        QStringList shown;
        app->setExceptionReporter([&shown](const QString &message) { shown.append(message); });
        ThrowingObject thrower;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        bool later = false;
        QTimer::singleShot(0, [&later] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(shown, QStringList{QStringLiteral("handler failed")});
    }
};

int main(int argc, char **argv)
{
    TestEnvironment environment;
    LinkshelfApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_application.moc"
