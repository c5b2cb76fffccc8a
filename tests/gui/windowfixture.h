// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on a catalog in a temporary folder, with scripted dialogs and a fake shell.
#pragma once

#include "fakeshell.h"
#include "scriptedinteraction.h"
#include "settingsstore.h"
#include "systemicons.h"
#include "tmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Types key on widget as a user's key reaches the window: shown, with widget focused, its
// press and then its release, on which the window acts.
inline void releaseKeyIn(TMain &window, QWidget *widget, Qt::Key key)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    widget->setFocus();
    QTest::keyClick(widget, key);
}

class WindowFixture
{
public:
    WindowFixture()
        : registry(dir.filePath(QStringLiteral("registry.ini")))
    {
        QDir(dir.path()).mkpath(QStringLiteral("prog"));
        registry.writeString(SettingsStore::Root::LocalMachine, QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"),
                             QStringLiteral("WorkDir"), workDir());
    }

    // Builds the window (again); the old one, if any, is destroyed first without closing.
    // With dialogs given, the window shows the real ones instead of answering from the script.
    TMain &open(Interaction *dialogs = nullptr)
    {
        window.reset();
        TMain::Services s = services();
        if (dialogs)
            s.interaction = dialogs;
        window = std::make_unique<TMain>(s);
        return *window;
    }

    // Closes the window as its close box does, then destroys it.
    void closeWindow()
    {
        window->close();
        window.reset();
    }

    TMain::Services services()
    {
        return {&interaction, &shell, &icons, &registry, dir.filePath(QStringLiteral("prog")) + u'/',
                dir.filePath(QStringLiteral("data"))};
    }

    QString workDir() const { return dir.filePath(QStringLiteral("tree")); }
    QString catalogFile(const QString &name) const { return workDir() + u'/' + name; }

    QByteArray readCatalogFile(const QString &name) const
    {
        QFile file(catalogFile(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeCatalogFile(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(workDir());
        QFile file(catalogFile(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    SettingsStore registry;
    ScriptedInteraction interaction;
    FakeShell shell;
    SystemIcons icons;
    std::unique_ptr<TMain> window;
};
