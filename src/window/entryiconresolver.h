// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the icons of existing files on worker threads, in batches, so that the UI thread
// never waits on a file system (a slow or unreachable network disk included).
#pragma once

#include "systemicons.h"

#include <QByteArray>
#include <QObject>

#include <memory>
#include <vector>

class EntryIconResolver final : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        quint32 id;      // the caller's name for the entry, handed back with the answer
        QByteArray path; // as the record holds it, and as it reaches the file system
    };
    struct Answer
    {
        quint32 id;
        QString key; // SystemIcons::iconKeyOfExistingFile's key; empty: no existing file
    };

    // keyOfPath is called on worker threads only, so it must be thread-safe, and it must stay
    // callable while a worker may still be in it (see the destructor).
    explicit EntryIconResolver(SystemIcons::IconKeyOfPath keyOfPath, QObject *parent = nullptr);
    // Cancels what is queued and lets the workers go. A worker stuck on a file of a disk that
    // does not answer is not waited for beyond a moment (it would keep the window, and the
    // program, from closing): it ends on its own once its call returns, and posts nothing.
    ~EntryIconResolver() override;
    Q_DISABLE_COPY_MOVE(EntryIconResolver)

    // Queues the paths in batches, in the given order; answers come as answered().
    void resolve(std::vector<Request> requests);
    // Forgets every request: nothing more is asked, and answers on their way are dropped.
    // Called when the list shows another folder, whose entries have other ids.
    void cancelAll();
    // True while answers of the current requests are still to come.
    bool busy() const { return m_pendingBatches > 0; }

Q_SIGNALS:
    // One batch of answers, on the UI thread, for requests made since the last cancelAll.
    void answered(const std::vector<EntryIconResolver::Answer> &answers);

private:
    struct Work;
    static void runWorker(const std::shared_ptr<Work> &shared);
    void deliver(quint64 generation, const std::vector<Answer> &answers);

    // Shared with the workers, which may outlive this object.
    std::shared_ptr<Work> m_work;
    int m_pendingBatches = 0;
};
