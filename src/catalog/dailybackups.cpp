// SPDX-License-Identifier: GPL-3.0-or-later
#include "dailybackups.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>
#include <thread>

namespace {
// How long the end of a DailyBackups waits for a snapshot to stop at its next file.
constexpr int GoodbyeMs = 100;
} // namespace

// What one snapshot's thread and its DailyBackups share. The thread posts its result only
// while holding the lock and while the receiver is there; the receiver leaves under the lock.
struct DailyBackups::Shared
{
    std::atomic<bool> cancel = false;
    QMutex mutex;
    QWaitCondition ended;
    DailyBackups *receiver = nullptr;
    bool done = false;
};

DailyBackups::DailyBackups(QString workDirectory, std::function<void(const QString &)> report,
                           QObject *parent)
    : QObject(parent)
    , m_workDirectory(std::move(workDirectory))
    , m_report(std::move(report))
{
    m_hourly.setInterval(60 * 60 * 1000);
    connect(&m_hourly, &QTimer::timeout, this, &DailyBackups::backUpInBackground);
}

DailyBackups::~DailyBackups()
{
    if (!m_shared)
        return;
    m_shared->cancel = true;
    QMutexLocker lock(&m_shared->mutex);
    m_shared->receiver = nullptr;
    const QDeadlineTimer deadline(GoodbyeMs);
    while (!m_shared->done && m_shared->ended.wait(&m_shared->mutex, deadline)) {
    }
}

void DailyBackups::start()
{
    backUpInBackground();
    m_hourly.start();
}

void DailyBackups::backUpInBackground()
{
    if (m_running)
        return; // the hour came round while a slow disk still takes the last one
    m_running = true;
    m_shared = std::make_shared<Shared>();
    m_shared->receiver = this;
    std::thread([shared = m_shared, workDirectory = m_workDirectory] {
        const BackupResult backup = makeDailyBackup(workDirectory, QDate::currentDate(), &shared->cancel);
        QMutexLocker lock(&shared->mutex);
        if (DailyBackups *receiver = shared->receiver)
            QMetaObject::invokeMethod(
                receiver, [receiver, backup] { receiver->onFinished(backup); }, Qt::QueuedConnection);
        shared->done = true;
        shared->ended.wakeAll();
    }).detach();
}

void DailyBackups::onFinished(const BackupResult &backup)
{
    m_running = false;
    if (!backup.result && !m_told && m_report) {
        m_told = true;
        m_report(backup.result.errorString);
    }
    Q_EMIT finished(backup);
}
