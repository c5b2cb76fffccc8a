// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogsearch.h"

#include "contentsfile.h"
#include "twohalves.h"

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
    return matchesText(QByteArrayView(text));
}

bool EntryQuery::matchesText(QByteArrayView text) const
{
    if (m_text.isEmpty())
        return true;
    if (!m_ascii)
        return m_encoding.decode(text).contains(m_text, Qt::CaseInsensitive);
    if (text.size() < m_lowerQuery.size())
        return false;
    m_folded.resize(text.size());
    const char *from = text.data();
    char *to = m_folded.data();
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        to[i] = lowerAscii(from[i]);
    return m_matcher.indexIn(m_folded.constData(), m_folded.size()) >= 0;
}

bool EntryQuery::matches(const MFile &file) const
{
    return matchesText(file.Path) || matchesText(file.Description);
}

bool EntryQuery::matches(const ContentsRecords &records, qsizetype record) const
{
    return matchesText(records.text(record, ContentsRecords::PathField)) ||
           matchesText(records.text(record, ContentsRecords::DescriptionField));
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

namespace {

// Folders are read and searched this many at a time, half of them on a second thread: most
// of the time of a search is opening and reading small files.
constexpr qsizetype FoldersPerRound = 64;

QList<CatalogEntryRef> hitsInFolder(const CatalogPaths &paths, const CatalogFolder &folder,
                                    const EntryQuery &query)
{
    // Records over the file's bytes: only the entries that match become records of their own.
    const ContentsRecordsRead read = readFolderRecords(paths, MTree{folder.contentsFileName});
    QList<CatalogEntryRef> hits;
    for (qsizetype i = 0; i < read.records.size(); ++i)
        if (query.matches(read.records, i))
            hits.append({folder.index, folder.path, folder.contentsFileName, int(i), read.records.file(i)});
    return hits;
}

} // namespace

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
    std::vector<QList<CatalogEntryRef>> round;
    for (qsizetype first = 0; first < folders.size(); first += FoldersPerRound) {
        if (cancel.load(std::memory_order_relaxed))
            return false;
        const qsizetype last = std::min(folders.size(), first + FoldersPerRound);
        round.assign(size_t(last - first), {});
        const auto search = [&](qsizetype from, qsizetype to) {
            const EntryQuery own = matcher; // a query folds texts into a buffer of its own
            for (qsizetype f = from; f < to && !cancel.load(std::memory_order_relaxed); ++f)
                round[size_t(f - first)] = hitsInFolder(paths, folders[f], own);
        };
        inTwoHalves(first, last, search);
        // Hits go out in the order of the folders, as a search of one folder after another finds them.
        for (QList<CatalogEntryRef> &hits : round) {
            for (CatalogEntryRef &hit : hits) {
                pending.append(std::move(hit));
                if (pending.size() >= BatchHits) {
                    if (cancel.load(std::memory_order_relaxed))
                        return false;
                    flush();
                }
            }
        }
        if (sinceBatch.elapsed() >= BatchMs) {
            flush();
            if (callbacks.progress)
                callbacks.progress(int(last));
        }
    }
    if (cancel.load(std::memory_order_relaxed))
        return false;
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
