// SPDX-License-Identifier: GPL-3.0-or-later
// Finding entries in every folder of the catalog: a query that matches an entry's name, path
// or description ignoring case, and a search that reads each contents file once on a worker
// thread and hands the matches back in batches.
#pragma once

#include "catalogentries.h"
#include "catalogpaths.h"
#include "contentsrecords.h"
#include "textencoding.h"

#include <QByteArray>
#include <QByteArrayMatcher>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// One query. Not shared between threads: it keeps a buffer for folding case.
class EntryQuery
{
public:
    // Texts are decoded with encoding where they must be.
    explicit EntryQuery(const QString &text, const TextEncoding &encoding = {});

    bool isEmpty() const { return m_text.isEmpty(); }
    // The entry's name is the end of its path (a URL's name is its whole path), so whatever
    // matches the name matches the path: path and description are all that need looking at.
    bool matches(const MFile &file) const;
    bool matches(const ContentsRecords &records, qsizetype record) const;
    bool matchesText(const QByteArray &text) const;
    bool matchesText(QByteArrayView text) const;

private:
    QString m_text;
    TextEncoding m_encoding;
    // An ASCII query is matched on the bytes: ASCII letters fold the same in UTF-8 and in
    // every single-byte code page, so no text is decoded. Other queries, and every query in a
    // double-byte code page (where a letter's second byte may be an ASCII letter), are matched
    // on the decoded text and fold as Unicode does.
    bool m_ascii = true;
    QByteArray m_lowerQuery;
    QByteArrayMatcher m_matcher;
    mutable QByteArray m_folded;
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
