// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryiconresolver.h"

#include <QMetaObject>

namespace {
// Small enough that the first icons show soon and a cancel stops the work quickly, large
// enough that the UI thread takes few deliveries for a big folder.
constexpr size_t BatchSize = 256;
} // namespace

EntryIconResolver::EntryIconResolver(SystemIcons::IconKeyOfPath keyOfPath, QObject *parent)
    : QObject(parent)
    , m_keyOfPath(std::move(keyOfPath))
    , m_generation(std::make_shared<std::atomic<quint64>>(0))
{
    // Two threads: one file on a dead network disk must not hold up every other icon, and
    // more threads would only compete with the UI for the machine's cores.
    m_pool.setMaxThreadCount(2);
}

EntryIconResolver::~EntryIconResolver()
{
    cancelAll();
    m_pool.waitForDone();
}

void EntryIconResolver::resolve(std::vector<Request> requests)
{
    const quint64 generation = m_generation->load();
    for (size_t first = 0; first < requests.size(); first += BatchSize) {
        const size_t last = std::min(requests.size(), first + BatchSize);
        std::vector<Request> batch(std::make_move_iterator(requests.begin() + qsizetype(first)),
                                   std::make_move_iterator(requests.begin() + qsizetype(last)));
        ++m_pendingBatches;
        m_pool.start(
            [this, generation, shared = m_generation, keyOfPath = m_keyOfPath, batch = std::move(batch)] {
                std::vector<Answer> answers;
                answers.reserve(batch.size());
                for (const Request &request : batch) {
                    if (shared->load(std::memory_order_relaxed) != generation)
                        break; // the folder was left: its files are not asked about any more
                    answers.push_back({request.id, keyOfPath(request.path)});
                }
                // The pool is waited for before this object goes, so it is alive here; a queued
                // call to a destroyed object would be dropped anyway.
                QMetaObject::invokeMethod(
                    this, [this, generation, answers = std::move(answers)] { deliver(generation, answers); },
                    Qt::QueuedConnection);
            });
    }
}

void EntryIconResolver::cancelAll()
{
    m_generation->fetch_add(1);
    m_pool.clear(); // batches not started never start; their counts go with them
    m_pendingBatches = 0;
}

void EntryIconResolver::deliver(quint64 generation, const std::vector<Answer> &answers)
{
    if (generation != m_generation->load())
        return;
    --m_pendingBatches;
    if (!answers.empty())
        Q_EMIT answered(answers);
}
