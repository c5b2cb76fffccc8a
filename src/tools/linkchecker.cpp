// SPDX-License-Identifier: GPL-3.0-or-later
#include "linkchecker.h"

#include "nativepath.h"

#include <QMutex>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <thread>

namespace {

// Results of file checks travel back in batches: a folder of 100,000 entries would otherwise
// post as many events.
constexpr int FileBatch = 256;
// What the network layer may hold of a response before it stops reading: a check needs the
// status line and the headers, never a body.
constexpr qint64 MaxBufferedBytes = 64 * 1024;

bool isHttp(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == u"http" || scheme == u"https";
}

// A HEAD that many servers get wrong although the page is there: refused outright, or
// answered in a way no server answers a GET. A GET settles it.
bool headRefused(QNetworkReply::NetworkError error, int code)
{
    if (code == 405 || code == 501)
        return true;
    if (code != 0)
        return false;
    switch (error) {
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

// The only answers that say a page is not there. Others (403, 429, 500, 503...) come from
// servers that refuse robots, are busy or broken for a while: the page may well be there.
bool saysGone(int code)
{
    return code == 404 || code == 410;
}

bool isRedirect(int code)
{
    return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

// The slots are shared out by scheme, host and port.
QString serverOf(const QUrl &url)
{
    return url.scheme().toLower() + u'|' + url.host().toLower() + u'|' +
           QString::number(url.port(url.scheme().compare(u"https", Qt::CaseInsensitive) == 0 ? 443 : 80));
}

// Why a redirection is not followed, or empty when it is. Only web links are looked at, and
// never a secure link's plain-text stand-in.
QString redirectRefusal(const QUrl &from, const QUrl &to)
{
    if (!to.isValid() || !isHttp(to))
        return QStringLiteral("Redirected to a link that is not a web page");
    if (from.scheme().compare(u"https", Qt::CaseInsensitive) == 0 &&
        to.scheme().compare(u"http", Qt::CaseInsensitive) == 0)
        return QStringLiteral("Redirected from a secure link to an insecure one");
    return {};
}

} // namespace

QString linkStatusText(const LinkCheckResult &result)
{
    switch (result.status) {
    case LinkCheckResult::Ok:
        return QStringLiteral("OK");
    case LinkCheckResult::Missing:
        return QStringLiteral("File not found");
    case LinkCheckResult::Broken:
        return QStringLiteral("Broken link: %1 %2").arg(result.httpCode).arg(result.reason).trimmed();
    case LinkCheckResult::CouldNotCheck:
        return QStringLiteral("Could not check: %1").arg(result.reason);
    case LinkCheckResult::NotChecked:
        return QStringLiteral("Not checked (only web links and files are)");
    }
    return {};
}

QIcon linkStatusIcon(const LinkCheckResult &result, const QStyle *style)
{
    switch (result.status) {
    case LinkCheckResult::Missing:
    case LinkCheckResult::Broken:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case LinkCheckResult::CouldNotCheck:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case LinkCheckResult::Ok:
    case LinkCheckResult::NotChecked:
        break;
    }
    return {};
}

bool isGone(const LinkCheckResult &result)
{
    return result.status == LinkCheckResult::Missing || result.status == LinkCheckResult::Broken;
}

// What the file thread and the checker share. The thread is never waited for: a path on a
// hung network disk may keep it in one call for minutes. It posts only while holding the
// lock and while the checker is there, and the checker leaves under the same lock.
struct LinkChecker::FileMailbox
{
    QMutex mutex;
    LinkChecker *receiver = nullptr;
    std::atomic<bool> cancel = false;
};

LinkChecker::LinkChecker(QObject *parent)
    : QObject(parent)
{
    m_network.setAutoDeleteReplies(false);
}

LinkChecker::~LinkChecker()
{
    cancel();
}

void LinkChecker::cancel()
{
    ++m_generation;
    m_running = false;
    if (m_files) {
        QMutexLocker lock(&m_files->mutex);
        m_files->cancel = true;
        m_files->receiver = nullptr;
    }
    m_files.reset();
    m_waitingServers.clear();
    m_waitingUrls.clear();
    m_busyServers.clear();
    const QHash<QNetworkReply *, Request> requests = std::exchange(m_requests, {});
    for (QNetworkReply *reply : requests.keys()) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void LinkChecker::start(const QList<MFile> &entries, const PathForSystem &pathForSystem)
{
    cancel();
    m_entries = entries;
    m_done = 0;
    m_total = int(entries.size());
    m_running = true;
    QList<std::pair<int, QByteArray>> files;
    QList<int> notChecked;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const MFile &entry = entries[i];
        if (!entry.isUrl())
            files.append({int(i), pathForSystem ? pathForSystem(entry.Path) : entry.Path});
        else if (isHttp(QUrl(QString::fromLocal8Bit(entry.Path))))
            queueUrl(int(i));
        else
            notChecked.append(int(i));
    }
    if (!files.isEmpty())
        startFileChecks(files);
    startRequests();
    // Results go out from the event loop, never from inside start().
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, notChecked] {
        if (generation != m_generation)
            return;
        for (int index : notChecked)
            report(index, {LinkCheckResult::NotChecked, 0, {}});
        if (m_total == 0) {
            m_running = false;
            Q_EMIT finished();
        }
    });
}

void LinkChecker::startFileChecks(const QList<std::pair<int, QByteArray>> &files)
{
    m_files = std::make_shared<FileMailbox>();
    m_files->receiver = this;
    const quint64 generation = m_generation;
    std::thread([mailbox = m_files, files, generation] {
        QList<std::pair<int, bool>> batch;
        const auto post = [&] {
            QMutexLocker lock(&mailbox->mutex);
            if (LinkChecker *receiver = mailbox->receiver)
                QMetaObject::invokeMethod(
                    receiver,
                    [receiver, generation, results = std::exchange(batch, {})] {
                        receiver->onFilesChecked(generation, results);
                    },
                    Qt::QueuedConnection);
        };
        for (const auto &[index, path] : files) {
            if (mailbox->cancel)
                return;
            batch.append({index, existsAtPath(path)});
            if (batch.size() >= FileBatch)
                post();
        }
        if (!batch.isEmpty())
            post();
    }).detach();
}

void LinkChecker::onFilesChecked(quint64 generation, const QList<std::pair<int, bool>> &results)
{
    if (generation != m_generation)
        return;
    for (const auto &[index, exists] : results)
        report(index, {exists ? LinkCheckResult::Ok : LinkCheckResult::Missing, 0, {}});
}

void LinkChecker::queueUrl(int index)
{
    const QString server = serverOf(QUrl(QString::fromLocal8Bit(m_entries[index].Path)));
    QList<int> &waiting = m_waitingUrls[server];
    if (waiting.isEmpty())
        m_waitingServers.push_back(server);
    waiting.append(index);
}

// A server that never answers keeps its requests until they time out; it is given all slots
// but one, so that the other servers' links go on meanwhile.
void LinkChecker::startRequests()
{
    const int perServer = std::max(1, m_options.parallelRequests - 1);
    for (auto server = m_waitingServers.begin();
         server != m_waitingServers.end() && m_requests.size() < m_options.parallelRequests;) {
        if (m_busyServers.value(*server) >= perServer) {
            ++server;
            continue;
        }
        QList<int> &waiting = m_waitingUrls[*server];
        const int index = waiting.takeFirst();
        if (waiting.isEmpty()) {
            m_waitingUrls.remove(*server);
            server = m_waitingServers.erase(server);
        }
        send(index, false, QUrl(QString::fromLocal8Bit(m_entries[index].Path)), 0);
    }
}

// Redirections are followed here rather than by the network layer, which reads a
// redirection's whole body first, however long, before it follows it.
void LinkChecker::send(int index, bool get, const QUrl &url, int redirects)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Linkshelf/" LINKSHELF_VERSION));
    QNetworkReply *reply = get ? m_network.get(request) : m_network.head(request);
    reply->setReadBufferSize(MaxBufferedBytes);
    const QString server = serverOf(QUrl(QString::fromLocal8Bit(m_entries[index].Path)));
    ++m_busyServers[server];
    m_requests.insert(reply, {index, get, redirects, server, false, false});
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] { onHeaders(reply); });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { onHeaders(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onReplyFinished(reply); });
    // Its own clock, from its own start: a server that trickles bytes (or headers that never
    // end) keeps a transfer timeout from ever firing.
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, reply] { onTimedOut(reply); });
    timer->start(m_options.timeoutMs);
}

// The status line and the headers are all a check is for: a redirection is followed, a GET
// is answered at once, and neither is read any further. A HEAD has no body and ends by itself.
void LinkChecker::onHeaders(QNetworkReply *reply)
{
    const auto found = m_requests.find(reply);
    if (found == m_requests.end() || found->answered)
        return;
    const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (code == 0)
        return;
    if (isRedirect(code) && reply->hasRawHeader("Location"))
        return follow(reply, *found, code);
    if (!found->isGet)
        return;
    answer(reply, *found, httpResult(reply, code));
}

LinkCheckResult LinkChecker::httpResult(QNetworkReply *reply, int code)
{
    const QString phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    if (code < 400)
        return {LinkCheckResult::Ok, code, {}};
    if (saysGone(code))
        return {LinkCheckResult::Broken, code, phrase};
    return {LinkCheckResult::CouldNotCheck, code, QStringLiteral("%1 %2").arg(code).arg(phrase).trimmed()};
}

void LinkChecker::follow(QNetworkReply *reply, Request &request, int code)
{
    const QUrl target = reply->url().resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
    QString refusal = redirectRefusal(reply->url(), target);
    if (refusal.isEmpty() && request.redirects >= m_options.maxRedirects)
        refusal = QStringLiteral("Too many redirections");
    if (!refusal.isEmpty())
        return answer(reply, request, {LinkCheckResult::CouldNotCheck, code, refusal});
    const Request followed = request;
    request.answered = true;
    // Sent before the abort frees this slot, so that no waiting link takes it meanwhile.
    send(followed.index, followed.isGet, target, followed.redirects + 1);
    reply->abort();
}

void LinkChecker::answer(QNetworkReply *reply, Request &request, const LinkCheckResult &result)
{
    request.answered = true;
    report(request.index, result);
    reply->abort(); // finishes the reply, which then only makes room for the next request
}

void LinkChecker::onTimedOut(QNetworkReply *reply)
{
    const auto found = m_requests.find(reply);
    if (found == m_requests.end() || found->answered)
        return;
    found->timedOut = true;
    reply->abort();
}

void LinkChecker::onReplyFinished(QNetworkReply *reply)
{
    const Request request = m_requests.take(reply);
    reply->deleteLater();
    if (--m_busyServers[request.server] <= 0)
        m_busyServers.remove(request.server);
    if (!request.answered) {
        const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QNetworkReply::NetworkError error = reply->error();
        // A page is called gone only on a GET's word: some servers answer HEAD with 404 for
        // pages that are there, and a gone page is offered for deleting.
        if (request.timedOut)
            report(request.index,
                   {LinkCheckResult::CouldNotCheck, code, QStringLiteral("no answer in time")});
        else if (!request.isGet && (headRefused(error, code) || saysGone(code)))
            send(request.index, true, QUrl(QString::fromLocal8Bit(m_entries[request.index].Path)), 0);
        else if (code >= 400)
            report(request.index, httpResult(reply, code));
        else if (error != QNetworkReply::NoError)
            report(request.index, {LinkCheckResult::CouldNotCheck, code, reply->errorString()});
        else
            report(request.index, {LinkCheckResult::Ok, code, {}});
    }
    startRequests();
}

void LinkChecker::report(int index, const LinkCheckResult &result)
{
    ++m_done;
    Q_EMIT entryChecked(index, result);
    Q_EMIT progressChanged(m_done, m_total);
    if (m_done == m_total && m_running) {
        m_running = false;
        Q_EMIT finished();
    }
}
