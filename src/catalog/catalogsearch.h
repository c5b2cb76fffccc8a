// SPDX-License-Identifier: GPL-3.0-or-later
// Finding entries in every folder of the catalog: a query that matches an entry's name, path
// or description ignoring case, and a search that reads each contents file once on a worker
// thread and hands the matches back in batches.
#pragma once

#include "asciicasefinder.h"
#include "catalogentries.h"
#include "catalogpaths.h"
#include "contentsrecords.h"
#include "textencoding.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// One query. Const and free of buffers, so one query serves every thread of a search.
class EntryQuery
{
public:
    // Texts are decoded with encoding where they must be.
    explicit EntryQuery(const QString &text, const TextEncoding &encoding = {});

    bool isEmpty() const { return m_text.isEmpty(); }
    // The entry's name is the end of its path (a URL's name is its whole path), so whatever
    // matches the name matches the path: path and description are all that need looking at.
    bool matches(const MFile &file) const;
    bool matchesText(QByteArrayView text) const;
    // False when no text held in bytes can match: a whole contents file, counts and lengths
    // included, is looked through at once, and most files hold no match at all.
    bool mayMatchWithin(QByteArrayView bytes) const;

private:
    QString m_text;
    TextEncoding m_encoding;
    // An ASCII query is matched on the bytes: ASCII letters fold the same in UTF-8 and in
    // every single-byte code page, so no text is decoded. Other queries, and every query in a
    // double-byte code page (where a letter's second byte may be an ASCII letter), are matched
    // on the decoded text and fold as Unicode does.
    bool m_ascii = true;
    AsciiCaseFinder m_finder;
    // A query that still holds a non-ASCII character once folded cannot match a text of ASCII
    // bytes alone (where those bytes are ASCII), so such a text is never decoded.
    bool m_needsNonAscii = false;
};

// The matches in one folder's entries, in file order.
QList<CatalogEntryRef> searchFolderEntries(const CatalogFolder &folder, const QList<MFile> &entries,
                                           const EntryQuery &query);

// Searches the folders in order, reading each contents file once. batch receives the matches
// as they are found, a few hundred at a time; progress is told the folders done so far.
// Returns false when cancel was set before the last folder.
struct SearchCallbacks
{
    std::function<void(QList<CatalogEntryRef> &&hits)> batch;
    std::function<void(int foldersDone)> progress;
};
bool searchCatalog(const CatalogPaths &paths, const QList<CatalogFolder> &folders, const QString &query,
                   const TextEncoding &encoding, const std::atomic<bool> &cancel,
                   const SearchCallbacks &callbacks);

// The search on a worker thread, for the window. Signals arrive on the thread that owns the
// object; a search that was cancelled or replaced by another sends nothing more.
class CatalogSearch final : public QObject
{
    Q_OBJECT
public:
    explicit CatalogSearch(QObject *parent = nullptr);
    ~CatalogSearch() override;
    Q_DISABLE_COPY_MOVE(CatalogSearch)

    // Cancels a search still running, then starts this one.
    void start(const CatalogPaths &paths, const QList<CatalogFolder> &folders, const QString &query,
               const TextEncoding &encoding = {});
    void cancel();
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    void hitsFound(const QList<CatalogEntryRef> &hits);
    void progressChanged(int foldersDone, int folderCount);
    void finished();

private:
    void stopWorker();

    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    quint64 m_generation = 0; // read and written on the owner's thread only
    bool m_running = false;
};
