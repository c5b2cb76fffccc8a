// SPDX-License-Identifier: GPL-3.0-or-later
#include "linkchecker.h"

#include <QFileInfo>
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

} // namespace

QString linkStatusText(const LinkCheckResult &result)
{
    switch (result.status) {
    case LinkCheckResult::Ok:
        return QStringLiteral("OK");
    case LinkCheckResult::Missing:
        return QStringLiteral("File not found");
    case LinkCheckResult::Broken:
        if (result.httpCode != 0)
            return QStringLiteral("Broken link: %1 %2").arg(result.httpCode).arg(result.reason).trimmed();
        return QStringLiteral("Broken link: %1").arg(result.reason);
    case LinkCheckResult::Timeout:
        return QStringLiteral("No answer in time");
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
    case LinkCheckResult::Timeout:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case LinkCheckResult::Ok:
    case LinkCheckResult::NotChecked:
        break;
    }
    return {};
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
    m_waitingUrls.clear();
    const QHash<QNetworkReply *, Request> requests = std::exchange(m_requests, {});
    for (QNetworkReply *reply : requests.keys()) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void LinkChecker::start(const QList<MFile> &entries)
{
    cancel();
    m_entries = entries;
    m_done = 0;
    m_total = int(entries.size());
    m_running = true;
    QList<std::pair<int, QString>> files;
    QList<int> notChecked;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const MFile &entry = entries[i];
        if (!entry.isUrl())
            files.append({int(i), QString::fromLocal8Bit(entry.Path)});
        else if (isHttp(QUrl(QString::fromLocal8Bit(entry.Path))))
            m_waitingUrls.append(int(i));
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

void LinkChecker::startFileChecks(const QList<std::pair<int, QString>> &files)
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
            batch.append({index, !path.isEmpty() && QFileInfo::exists(path)});
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

void LinkChecker::startRequests()
{
    while (m_requests.size() < m_options.parallelRequests && !m_waitingUrls.isEmpty())
        send(m_waitingUrls.takeFirst(), false);
}

void LinkChecker::send(int index, bool get)
{
    QNetworkRequest request(QUrl(QString::fromLocal8Bit(m_entries[index].Path)));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(m_options.maxRedirects);
    request.setTransferTimeout(m_options.timeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Linkshelf/" LINKSHELF_VERSION));
    QNetworkReply *reply = get ? m_network.get(request) : m_network.head(request);
    m_requests.insert(reply, {index, get, false});
    if (get)
        connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] { onMetaDataChanged(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onReplyFinished(reply); });
}

void LinkChecker::onMetaDataChanged(QNetworkReply *reply)
{
    // The status line is all a GET is for: the page itself is never downloaded.
    const auto found = m_requests.find(reply);
    if (found == m_requests.end() || found->answered)
        return;
    const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool followed = code >= 300 && code < 400 && reply->hasRawHeader("Location");
    if (code == 0 || followed)
        return;
    found->answered = true;
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    report(found->index, code < 400 ? LinkCheckResult{LinkCheckResult::Ok, code, {}}
                                    : LinkCheckResult{LinkCheckResult::Broken, code, reason});
    reply->abort(); // finishes the reply, which then only makes room for the next request
}

void LinkChecker::onReplyFinished(QNetworkReply *reply)
{
    const Request request = m_requests.take(reply);
    reply->deleteLater();
    if (!request.answered) {
        const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        const QNetworkReply::NetworkError error = reply->error();
        if (!request.isGet && headRefused(error, code)) {
            send(request.index, true);
            return;
        }
        if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
            report(request.index, {LinkCheckResult::Timeout, code, {}}); // only the transfer timeout aborts
        else if (code >= 400)
            report(request.index, {LinkCheckResult::Broken, code, reason});
        else if (error != QNetworkReply::NoError)
            report(request.index, {LinkCheckResult::Broken, code, reply->errorString()});
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
