// SPDX-License-Identifier: GPL-3.0-or-later
// Checks entries in the background: whether a file entry's file is there, whether a web link
// answers without an error. Files are looked at on a thread of their own, since a network
// disk can hang; links go a few at a time through one network manager, and no server can
// make the checker read a body, wait for ever, or hold up the other servers.
#pragma once

#include "mfile.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>

#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>

class QNetworkReply;
class QStyle;

struct LinkCheckResult
{
    // Only Missing and Broken say that what the entry points to is gone. Everything else
    // that goes wrong (no network, a name that does not resolve, no answer in time, a server
    // error, a refused redirection) says nothing about the page: the check itself failed.
    enum Status {
        Ok,            // the file is there, or the link answered with success (after redirects)
        Missing,       // no file at the entry's path
        Broken,        // the server says the page is not there: 404 Not Found or 410 Gone
        CouldNotCheck, // no answer that tells either way; reason says why
        NotChecked,    // a link of another scheme than http and https
    };
    Status status = NotChecked;
    int httpCode = 0; // the last HTTP status received, 0 when none came
    QString reason;   // why it is broken or could not be checked, in the server's or network's words

    friend bool operator==(const LinkCheckResult &, const LinkCheckResult &) = default;
};

// The text a mark's tooltip and the result lists show for a result.
QString linkStatusText(const LinkCheckResult &result);
// The mark the entry list shows for a result: none for Ok and NotChecked, so that only the
// entries that need a look stand out; a milder one for CouldNotCheck than for the gone.
QIcon linkStatusIcon(const LinkCheckResult &result, const QStyle *style);
// Whether the entry's target is gone, so that deleting the entry loses nothing.
bool isGone(const LinkCheckResult &result);

class LinkChecker final : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        int parallelRequests = 6; // one server gets all but one of them
        int timeoutMs = 10000;    // per request, from its own start; each redirection is a request
        int maxRedirects = 5;
    };

    explicit LinkChecker(QObject *parent = nullptr);
    ~LinkChecker() override;
    Q_DISABLE_COPY_MOVE(LinkChecker)

    void setOptions(const Options &options) { m_options = options; }
    const Options &options() const { return m_options; }

    // The path a file entry's stored path is looked for at (after the catalog's path mappings).
    using PathForSystem = std::function<QByteArray(const QByteArray &stored)>;

    // Checks the entries; results name them by their position in the list. A check still
    // running is cancelled first. File entries are looked for where pathForSystem says, or
    // at their stored paths when it is empty.
    void start(const QList<MFile> &entries, const PathForSystem &pathForSystem = {});
    // Stops every check; nothing more is sent, finished included.
    void cancel();
    bool isRunning() const { return m_running; }
    int done() const { return m_done; }
    int total() const { return m_total; }

Q_SIGNALS:
    void entryChecked(int index, const LinkCheckResult &result);
    void progressChanged(int done, int total);
    void finished();

private:
    struct Request
    {
        int index = -1;
        bool isGet = false;
        int redirects = 0;     // followed to get here
        QString server;        // of the entry's own link, which holds the slot
        bool answered = false; // reported, or followed elsewhere: its abort is ours
        bool timedOut = false;
    };
    struct FileMailbox;

    void startFileChecks(const QList<std::pair<int, QByteArray>> &files);
    void onFilesChecked(quint64 generation, const QList<std::pair<int, bool>> &results);
    void queueUrl(int index);
    void startRequests();
    void send(int index, bool get, const QUrl &url, int redirects);
    void onHeaders(QNetworkReply *reply);
    void follow(QNetworkReply *reply, Request &request, int code);
    void answer(QNetworkReply *reply, Request &request, const LinkCheckResult &result);
    static LinkCheckResult httpResult(QNetworkReply *reply, int code); // for a status of 400 or more
    void onTimedOut(QNetworkReply *reply);
    void onReplyFinished(QNetworkReply *reply);
    void report(int index, const LinkCheckResult &result);

    Options m_options;
    QNetworkAccessManager m_network;
    QList<MFile> m_entries;
    // Links waiting for a slot, by server, the servers in the order of their first link.
    std::deque<QString> m_waitingServers;
    QHash<QString, QList<int>> m_waitingUrls;
    QHash<QString, int> m_busyServers; // requests running, by server
    QHash<QNetworkReply *, Request> m_requests;
    std::shared_ptr<FileMailbox> m_files;
    quint64 m_generation = 0;
    int m_done = 0;
    int m_total = 0;
    bool m_running = false;
};
