// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on a catalog in a temporary folder, with scripted dialogs (or the real ones)
// and a fake shell.
#pragma once

#include "desktopinteraction.h"
#include "fakeshell.h"
#include "modaldialog.h"
#include "scriptedinteraction.h"
#include "settingsstore.h"
#include "systemicons.h"
#include "tmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A key typed on widget: its press, then its release, on which the window acts.
inline void releaseKey(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    widget->setFocus();
    QTest::keyClick(widget, key, modifiers);
}

// Types key on widget as a user's key reaches the window: shown, with widget focused, its
// press and then its release, on which the window acts.
inline void releaseKeyIn(TMain &window, QWidget *widget, Qt::Key key)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    widget->setFocus();
    QTest::keyClick(widget, key);
}

// Shown and active, so that keys reach the window as they do when the user types. Called
// again after a dialog closed: the offscreen platform gives no window the activation back, as
// a desktop does.
inline TMain &showWindow(TMain &w)
{
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("the window did not become active");
    return w;
}

class WindowFixture
{
public:
    WindowFixture()
        : registry(dir.filePath(QStringLiteral("registry.ini")))
    {
        QDir(dir.path()).mkpath(QStringLiteral("prog"));
        registry.writeString(SettingsStore::Root::LocalMachine,
                             QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"), QStringLiteral("WorkDir"),
                             workDir());
    }

    // The real dialogs in place of the script, for a test that drives them with keys and the
    // mouse from inside their event loops (whenModalShows). Call before open().
    void useRealDialogs() { realDialogs = std::make_unique<DesktopInteraction>(nullptr, iniFile, shell); }

    // Builds the window (again); the old one, if any, is destroyed first without closing.
    TMain &open()
    {
        window.reset();
        window = std::make_unique<TMain>(services());
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
        Interaction *dialogs = realDialogs ? static_cast<Interaction *>(realDialogs.get()) : &interaction;
        const QString programDir = dir.filePath(QStringLiteral("prog")) + u'/';
        return {
            dialogs,    &shell,
            &icons,     &registry,
            programDir, resolveRunWorkDirectory(registry, programDir, dir.filePath(QStringLiteral("data")))};
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

    // The folder tree's three files: the names and their nesting, each folder's contents file
    // and the states.
    void writeTreeFiles(const QByteArray &tree, const QByteArray &index, const QByteArray &states) const
    {
        writeCatalogFile(QStringLiteral("tree.lsf"), tree);
        writeCatalogFile(QStringLiteral("itree.lsf"), index);
        writeCatalogFile(QStringLiteral("etree.lsf"), states);
    }

    QTemporaryDir dir;
    SettingsStore registry;
    SettingsStore iniFile{dir.filePath(QStringLiteral("linkshelf.ini"))};
    ScriptedInteraction interaction;
    FakeShell shell;
    std::unique_ptr<DesktopInteraction> realDialogs;
    SystemIcons icons;
    std::unique_ptr<TMain> window;
};
