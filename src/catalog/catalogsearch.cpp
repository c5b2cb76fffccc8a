// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogsearch.h"

#include "contentsfile.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

bool isAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// Matches go to the caller in batches of this size at most, and at least this often, so the
// list fills while a large catalog is still being read.
constexpr qsizetype BatchHits = 500;
constexpr qint64 BatchMs = 100;

} // namespace

EntryQuery::EntryQuery(const QString &text, const TextEncoding &encoding)
    : m_text(text)
    , m_encoding(encoding)
    , m_ascii(isAscii(text) && encoding.asciiBytesAreAscii())
{
    if (m_ascii) {
        m_lowerQuery = text.toLatin1();
        for (char &c : m_lowerQuery)
            c = lowerAscii(c);
        m_matcher.setPattern(m_lowerQuery);
    }
}

bool EntryQuery::matchesText(const QByteArray &text) const
{
    if (m_text.isEmpty())
        return true;
    if (!m_ascii)
        return m_encoding.decode(text).contains(m_text, Qt::CaseInsensitive);
    if (text.size() < m_lowerQuery.size())
        return false;
    m_folded.resize(text.size());
    const char *from = text.constData();
    char *to = m_folded.data();
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        to[i] = lowerAscii(from[i]);
    return m_matcher.indexIn(m_folded.constData(), m_folded.size()) >= 0;
}

bool EntryQuery::matches(const MFile &file) const
{
    return matchesText(file.Path) || matchesText(file.Description);
}

QList<CatalogEntryRef> searchFolderEntries(const CatalogFolder &folder, const QList<MFile> &entries,
                                           const EntryQuery &query)
{
    QList<CatalogEntryRef> hits;
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (query.matches(entries[i]))
            hits.append({folder.index, folder.path, folder.contentsFileName, int(i), entries[i]});
    return hits;
}

bool searchCatalog(const CatalogPaths &paths, const QList<CatalogFolder> &folders, const QString &query,
                   const TextEncoding &encoding, const std::atomic<bool> &cancel,
                   const SearchCallbacks &callbacks)
{
    const EntryQuery matcher(query, encoding);
    QList<CatalogEntryRef> pending;
    QElapsedTimer sinceBatch;
    sinceBatch.start();
    const auto flush = [&] {
        if (!pending.isEmpty() && callbacks.batch)
            callbacks.batch(std::exchange(pending, {}));
        sinceBatch.restart();
    };
    for (qsizetype f = 0; f < folders.size(); ++f) {
        if (cancel.load(std::memory_order_relaxed))
            return false;
        const CatalogFolder &folder = folders[f];
        const ContentsReadResult read = readFolderContents(paths, MTree{folder.contentsFileName});
        for (qsizetype i = 0; i < read.entries.size(); ++i) {
            if (!matcher.matches(read.entries[i]))
                continue;
            pending.append({folder.index, folder.path, folder.contentsFileName, int(i), read.entries[i]});
            if (pending.size() >= BatchHits) {
                if (cancel.load(std::memory_order_relaxed))
                    return false;
                flush();
            }
        }
        if (sinceBatch.elapsed() >= BatchMs) {
            flush();
            if (callbacks.progress)
                callbacks.progress(int(f + 1));
        }
    }
    flush();
    if (callbacks.progress)
        callbacks.progress(int(folders.size()));
    return true;
}

CatalogSearch::CatalogSearch(QObject *parent)
    : QObject(parent)
{}

CatalogSearch::~CatalogSearch()
{
    stopWorker();
}

void CatalogSearch::stopWorker()
{
    ++m_generation; // what the old worker still posts is dropped
    m_running = false;
    if (!m_thread)
        return;
    m_cancel->store(true);
    // The worker stops between two entries, or at worst after the file it is reading: it
    // must be gone before this object, since it posts to it.
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void CatalogSearch::cancel()
{
    stopWorker();
}

void CatalogSearch::start(const CatalogPaths &paths, const QList<CatalogFolder> &folders,
                          const QString &query, const TextEncoding &encoding)
{
    stopWorker();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    const quint64 generation = m_generation;
    const int folderCount = int(folders.size());
    const auto post = [this, generation](auto &&call) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, call = std::move(call)] {
                if (generation == m_generation)
                    call();
            },
            Qt::QueuedConnection);
    };
    m_thread = QThread::create([=, this, cancel = m_cancel] {
        SearchCallbacks callbacks;
        callbacks.batch = [&](QList<CatalogEntryRef> &&hits) {
            post([this, hits = std::move(hits)] { Q_EMIT hitsFound(hits); });
        };
        callbacks.progress = [&](int done) {
            post([this, done, folderCount] { Q_EMIT progressChanged(done, folderCount); });
        };
        if (searchCatalog(paths, folders, query, encoding, *cancel, callbacks))
            post([this] {
                m_running = false;
                Q_EMIT finished();
            });
    });
    m_thread->start();
}
