// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryiconresolver.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>
#include <deque>
#include <thread>

namespace {
// Small enough that the first icons show soon and a cancel stops the work quickly, large
// enough that the UI thread takes few deliveries for a big folder.
constexpr size_t BatchSize = 256;
// Two threads: one file on a dead network disk must not hold up every other icon, and more
// threads would only compete with the UI for the machine's cores.
constexpr int WorkerCount = 2;
// How long the resolver's end waits for workers busy with a file: long enough for any disk
// that answers, short enough that closing the window never seems to hang.
constexpr int GoodbyeMs = 100;
} // namespace

// What the resolver and its workers share. The workers post answers only while holding the
// lock and while the resolver is there, and the resolver leaves under the same lock, so no
// answer ever reaches a resolver that is gone.
struct EntryIconResolver::Work
{
    struct Batch
    {
        quint64 generation;
        std::vector<Request> requests;
    };

    SystemIcons::IconKeyOfPath keyOfPath;
    std::atomic<quint64> generation = 0;
    QMutex mutex;
    QWaitCondition queued;   // a batch came, or the resolver went
    QWaitCondition finished; // a worker ended
    std::deque<Batch> batches;
    EntryIconResolver *receiver = nullptr; // null once the resolver is gone
    int workers = 0;
};

EntryIconResolver::EntryIconResolver(SystemIcons::IconKeyOfPath keyOfPath, QObject *parent)
    : QObject(parent)
    , m_work(std::make_shared<Work>())
{
    m_work->keyOfPath = std::move(keyOfPath);
    m_work->receiver = this;
    m_work->workers = WorkerCount;
    for (int i = 0; i < WorkerCount; ++i)
        std::thread([shared = m_work] { runWorker(shared); }).detach();
}

EntryIconResolver::~EntryIconResolver()
{
    QMutexLocker lock(&m_work->mutex);
    m_work->receiver = nullptr;
    m_work->generation.fetch_add(1);
    m_work->batches.clear();
    m_work->queued.wakeAll();
    const QDeadlineTimer deadline(GoodbyeMs);
    while (m_work->workers > 0 && m_work->finished.wait(&m_work->mutex, deadline)) {
    }
}

void EntryIconResolver::runWorker(const std::shared_ptr<Work> &shared)
{
    Work &w = *shared;
    QMutexLocker lock(&w.mutex);
    for (;;) {
        while (w.batches.empty() && w.receiver)
            w.queued.wait(&w.mutex);
        if (!w.receiver)
            break;
        const Work::Batch batch = std::move(w.batches.front());
        w.batches.pop_front();
        lock.unlock();
        std::vector<Answer> answers;
        answers.reserve(batch.requests.size());
        for (const Request &request : batch.requests) {
            if (w.generation.load(std::memory_order_relaxed) != batch.generation)
                break; // the folder was left: its files are not asked about any more
            answers.push_back({request.id, w.keyOfPath(request.path)});
        }
        lock.relock();
        if (EntryIconResolver *receiver = w.receiver)
            QMetaObject::invokeMethod(
                receiver,
                [receiver, generation = batch.generation, answers = std::move(answers)] {
                    receiver->deliver(generation, answers);
                },
                Qt::QueuedConnection);
    }
    --w.workers;
    w.finished.wakeAll();
}

void EntryIconResolver::resolve(std::vector<Request> requests)
{
    const quint64 generation = m_work->generation.load();
    QMutexLocker lock(&m_work->mutex);
    for (size_t first = 0; first < requests.size(); first += BatchSize) {
        const size_t last = std::min(requests.size(), first + BatchSize);
        std::vector<Request> batch(std::make_move_iterator(requests.begin() + qsizetype(first)),
                                   std::make_move_iterator(requests.begin() + qsizetype(last)));
        ++m_pendingBatches;
        m_work->batches.push_back({generation, std::move(batch)});
    }
    m_work->queued.wakeAll();
}

void EntryIconResolver::cancelAll()
{
    QMutexLocker lock(&m_work->mutex);
    m_work->generation.fetch_add(1);
    m_work->batches.clear(); // batches not started never start; their counts go with them
    m_pendingBatches = 0;
}

void EntryIconResolver::deliver(quint64 generation, const std::vector<Answer> &answers)
{
    if (generation != m_work->generation.load())
        return;
    --m_pendingBatches;
    if (!answers.empty())
        Q_EMIT answered(answers);
}
