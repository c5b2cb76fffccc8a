// SPDX-License-Identifier: GPL-3.0-or-later
// Gives each test process a private HOME and XDG folders before Qt reads them, so no test
// ever touches the user's real catalog or settings.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

class TestEnvironment
{
public:
    TestEnvironment()
    {
        const QString root = m_dir.path();
        for (const char *sub : {"home", "config", "data", "cache", "runtime"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        ::setenv("HOME", qPrintable(root + QStringLiteral("/home")), 1);
        ::setenv("XDG_CONFIG_HOME", qPrintable(root + QStringLiteral("/config")), 1);
        ::setenv("XDG_DATA_HOME", qPrintable(root + QStringLiteral("/data")), 1);
        ::setenv("XDG_CACHE_HOME", qPrintable(root + QStringLiteral("/cache")), 1);
        ::setenv("XDG_RUNTIME_DIR", qPrintable(root + QStringLiteral("/runtime")), 1);
        QFile::setPermissions(root + QStringLiteral("/runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

#ifdef QT_WIDGETS_LIB
#include <QApplication>

// Like QTEST_MAIN, with the private environment set up first.
#define LINKSHELF_TEST_MAIN(TestObject)                                                                      \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        TestEnvironment environment;                                                                         \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
#endif

// For tests that need no widgets.
#define LINKSHELF_TEST_CORE_MAIN(TestObject)                                                                 \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        TestEnvironment environment;                                                                         \
        QCoreApplication app(argc, argv);                                                                    \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
