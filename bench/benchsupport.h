// SPDX-License-Identifier: GPL-3.0-or-later
// What every benchmark shares: a private environment (never the user's files), timing with
// medians over repeated runs, result lines for bench/run.sh, and a main window on a catalog.
#pragma once

#include "fakeshell.h"
#include "folderitem.h"
#include "maintree.h"
#include "scriptedinteraction.h"
#include "settingsstore.h"
#include "systemicons.h"
#include "testenvironment.h"
#include "tmain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <memory>
#include <vector>

namespace bench {

// What malloc holds for the program now (its own count, not the resident size).
inline qint64 allocated()
{
    return qint64(mallinfo2().uordblks) + qint64(mallinfo2().hblkhd);
}

// Runs the event loop for ms milliseconds: queued work (icons, layouts) is done meanwhile.
inline void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// Milliseconds of one call of f.
template <typename F> double timeMs(F &&f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return double(timer.nsecsElapsed()) / 1e6;
}

// The median of runs calls, each timed alone; prepare runs untimed before each call.
template <typename Prepare, typename F> double medianMs(int runs, Prepare &&prepare, F &&f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        times.push_back(timeMs(f));
    }
    return median(times);
}

template <typename F> double medianMs(int runs, F &&f)
{
    return medianMs(
        runs, [] {}, f);
}

// Runs from the command line: "--quick" for CI, which only checks that each benchmark works.
inline int runsFromArguments(int normal)
{
    return QCoreApplication::arguments().contains(QStringLiteral("--quick")) ? 1 : normal;
}

inline bool quick()
{
    return QCoreApplication::arguments().contains(QStringLiteral("--quick"));
}

// One line for bench/run.sh's table: figure, value, baseline, ratio, target, met.
inline void result(const char *figure, const QString &value, const QString &baseline, const QString &ratio,
                   const char *target, bool met)
{
    std::printf("RESULT\t%s\t%s\t%s\t%s\t%s\t%s\n", figure, qPrintable(value), qPrintable(baseline),
                qPrintable(ratio), target, met ? "yes" : "NO");
    std::fflush(stdout);
}

inline QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1) + QStringLiteral(" ms");
}

inline QString times(double value)
{
    return QString::number(value, 'f', 2) + QStringLiteral("x");
}

// Lets the event loop run until the widget has been painted once (the offscreen platform
// paints as a screen would, into its backing store).
class PaintWatch final : public QObject
{
public:
    explicit PaintWatch(QWidget *widget)
        : m_widget(widget)
    {
        widget->installEventFilter(this);
    }
    ~PaintWatch() override { m_widget->removeEventFilter(this); }
    void reset() { m_painted = false; }
    void waitForPaint()
    {
        while (!m_painted)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && event->type() == QEvent::Paint)
            m_painted = true;
        return false;
    }

private:
    QWidget *m_widget;
    bool m_painted = false;
};

// The folder at a position of the tree in pre-order (the order of the tree file).
inline FolderItem *folderAt(TMain &w, int position)
{
    QTreeWidgetItemIterator it(w.mainTree());
    for (int i = 0; *it && i < position; ++i)
        ++it;
    return static_cast<FolderItem *>(*it);
}

// Selects the folder as a click would and returns once the list has been painted again.
inline void selectAndPaint(TMain &w, FolderItem *folder)
{
    if (w.mainTree()->currentItem() == folder)
        return;
    PaintWatch watch(w.mainList()->currentView()->viewport());
    w.mainTree()->setCurrentItem(folder);
    watch.waitForPaint();
}

// A main window on a work directory of its own, with scripted dialogs and a fake shell.
class BenchWindow
{
public:
    explicit BenchWindow(const QString &workDir)
        : registry(dir.filePath(QStringLiteral("registry.ini")))
    {
        QDir(dir.path()).mkpath(QStringLiteral("prog"));
        registry.writeString(SettingsStore::Root::LocalMachine,
                             QStringLiteral("SOFTWARE\\Quorvane\\Linkshelf"), QStringLiteral("WorkDir"),
                             workDir);
    }

    TMain &open()
    {
        window.reset();
        const QString programDir = dir.filePath(QStringLiteral("prog")) + u'/';
        window = std::make_unique<TMain>(TMain::Services{
            &interaction, &shell, &icons, &registry, programDir,
            resolveRunWorkDirectory(registry, programDir, dir.filePath(QStringLiteral("data")))});
        return *window;
    }

    // Builds the window and shows it; returns once its entry list has been painted.
    // afterShow runs right after show(), as main() goes on after it.
    TMain &openAndPaint(const std::function<void(TMain &)> &afterShow = {})
    {
        TMain &w = open();
        PaintWatch watch(w.mainList()->currentView()->viewport());
        w.resize(1000, 700);
        w.show();
        if (afterShow)
            afterShow(w);
        watch.waitForPaint();
        return w;
    }

    QTemporaryDir dir;
    SettingsStore registry;
    ScriptedInteraction interaction;
    FakeShell shell;
    SystemIcons icons;
    std::unique_ptr<TMain> window;
};

} // namespace bench

// Like the tests' main: the private environment comes first, before Qt reads any setting.
#define LINKSHELF_BENCH_MAIN(function)                                                                       \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        TestEnvironment environment;                                                                         \
        QApplication app(argc, argv);                                                                        \
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));                               \
        return function();                                                                                   \
    }
