// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog's daily snapshot, made on a thread of its own so that the window never waits
// for it: at start, and every hour after, so a Linkshelf that is never closed still gets one.
#pragma once

#include "backups.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class DailyBackups final : public QObject
{
    Q_OBJECT
public:
    // report hears of a snapshot that could not be made, once: later failures are the same
    // disk's, and it is tried again every hour.
    DailyBackups(QString workDirectory, std::function<void(const QString &)> report,
                 QObject *parent = nullptr);
    // Stops a snapshot being made at its next file and waits a moment for that. A thread
    // held up longer by a disk that does not answer is left to end on its own: closing never
    // waits for it. Its half snapshot keeps a temporary name, is never taken for a snapshot
    // and is cleared by the next one.
    ~DailyBackups() override;
    Q_DISABLE_COPY_MOVE(DailyBackups)

    // Makes today's snapshot now in the background, and again every hour.
    void start();
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    // On this object's thread, after each try.
    void finished(const BackupResult &backup);

private:
    struct Shared;
    void backUpInBackground();
    void onFinished(const BackupResult &backup);

    QString m_workDirectory;
    std::function<void(const QString &)> m_report;
    QTimer m_hourly;
    std::shared_ptr<Shared> m_shared; // with the thread of the snapshot being made, if any
    bool m_running = false;
    bool m_told = false;
};
