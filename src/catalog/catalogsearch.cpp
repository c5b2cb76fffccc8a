// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogsearch.h"

#include "contentsfile.h"
#include "regularfile.h"
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

// Compared ignoring case, two characters match when they fold to the same one.
bool foldsPastAscii(const QString &text)
{
    for (const char32_t c : text.toUcs4())
        if (QChar::toCaseFolded(c) >= 0x80)
            return true;
    return false;
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
    , m_finder(m_ascii ? QByteArrayView(text.toLatin1()) : QByteArrayView())
    , m_needsNonAscii(!m_ascii && encoding.asciiBytesAreAscii() && foldsPastAscii(text))
{}

bool EntryQuery::matchesText(QByteArrayView text) const
{
    if (m_text.isEmpty())
        return true;
    if (m_ascii)
        return m_finder.isIn(text);
    if (m_needsNonAscii && !hasNonAsciiByte(text))
        return false;
    return m_encoding.decode(text).contains(m_text, Qt::CaseInsensitive);
}

bool EntryQuery::mayMatchWithin(QByteArrayView bytes) const
{
    if (m_text.isEmpty())
        return true;
    if (m_ascii)
        return m_finder.isIn(bytes);
    return !m_needsNonAscii || hasNonAsciiByte(bytes);
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

namespace {

// Folders are read and searched this many at a time, half of them on a second thread: most
// of the time of a search is opening and reading small files.
constexpr qsizetype FoldersPerRound = 64;

QByteArray owned(QByteArrayView text)
{
    return text.isEmpty() ? QByteArray() : text.toByteArray();
}

// The file's bytes are looked through whole before any record is made of them; a file with a
// candidate is scanned, and only the entries that match are copied out. Nothing is kept of the
// read to compare with later, so the file's fingerprint is never computed.
QList<CatalogEntryRef> hitsInFolder(const CatalogPaths &paths, const CatalogFolder &folder,
                                    const EntryQuery &query)
{
    QList<CatalogEntryRef> hits;
    const std::optional<QString> path = paths.ContentsFilePath(MTree{folder.contentsFileName});
    if (!path)
        return hits;
    const RegularFileRead read = readRegularFile(*path, SymbolicLinks::Refuse, MaxContentsFileSize);
    if (!read || !query.mayMatchWithin(*read.bytes))
        return hits;
    int index = 0;
    ContentsRecords::scan(*read.bytes, [&](qint32 kind, const QByteArrayView(&texts)[3]) {
        if (query.matchesText(texts[ContentsRecords::PathField]) ||
            query.matchesText(texts[ContentsRecords::DescriptionField]))
            hits.append({folder.index, folder.path, folder.contentsFileName, index,
                         MFile{kind, owned(texts[0]), owned(texts[1]), owned(texts[2])}});
        ++index;
    });
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
            for (qsizetype f = from; f < to && !cancel.load(std::memory_order_relaxed); ++f)
                round[size_t(f - first)] = hitsInFolder(paths, folders[f], matcher);
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
