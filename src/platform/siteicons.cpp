// SPDX-License-Identifier: GPL-3.0-or-later
// One fetch per site: the start of its home page for a declared icon, that icon, else
// /favicon.ico. Every request has a size and a time limit; whatever fails leaves the site
// without an icon, quietly, until the failure's cache entry expires.
#include "siteicons.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPixmap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

struct SiteIcons::Fetch
{
    QString site;
    QUrl origin;
    QList<QUrl> candidates; // icon URLs still to try, best first
};

namespace {

constexpr int IconSide = 64; // what any view shows at most; the cache keeps no more

// The value of attribute name in one tag's text, quoted or bare.
QString attribute(const QString &tag, const QString &name)
{
    const QRegularExpression pattern(
        QStringLiteral("\\b%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(tag);
    if (!match.hasMatch())
        return {};
    for (int group = 1; group <= 3; ++group)
        if (match.capturedStart(group) >= 0)
            return match.captured(group).trimmed();
    return {};
}

// The first <link> whose rel names "icon" (also "shortcut icon"), as written.
QString declaredIcon(const QByteArray &page)
{
    static const QRegularExpression link(QStringLiteral("<link\\b[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromLatin1(page); // tags and URLs are ASCII; other bytes pass through
    for (auto it = link.globalMatch(text); it.hasNext();) {
        const QString tag = it.next().captured(0);
        const QStringList rel =
            attribute(tag, QStringLiteral("rel")).toLower().split(u' ', Qt::SkipEmptyParts);
        if (rel.contains(QStringLiteral("icon")))
            return attribute(tag, QStringLiteral("href"));
    }
    return {};
}

bool isWebUrl(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https"));
}

} // namespace

SiteIcons::SiteIcons(const QString &cacheDir, QObject *parent)
    : SiteIcons(cacheDir, Limits{}, parent)
{}

SiteIcons::SiteIcons(const QString &cacheDir, const Limits &limits, QObject *parent)
    : QObject(parent)
    , m_cacheDir(cacheDir)
    , m_limits(limits)
    , m_network(new QNetworkAccessManager(this))
{
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

// Requests still running end without a word: nothing is left to hear of them.
SiteIcons::~SiteIcons()
{
    for (QNetworkReply *reply : m_network->findChildren<QNetworkReply *>())
        reply->disconnect();
    delete m_network;
}

QString SiteIcons::defaultCacheDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Linkshelf/icons");
}

// A site is its scheme, host and port: what a browser keeps apart too. As a file name it
// holds only letters, digits, "-", "." and "_" (a host's ASCII form).
QString SiteIcons::siteOf(const QUrl &url)
{
    const QString host = QString::fromLatin1(QUrl::toAce(url.host())).toLower();
    if (host.isEmpty() || host.contains(u'/') || host.startsWith(u'.'))
        return {};
    return url.scheme() + u'_' + host.toLower().replace(u':', u'-') + u'_' +
           QString::number(url.port(url.scheme() == QStringLiteral("https") ? 443 : 80));
}

QString SiteIcons::cacheFile(const QString &site, const char *suffix) const
{
    return m_cacheDir + u'/' + site + QLatin1String(suffix);
}

bool SiteIcons::fresh(const QString &file, qint64 maxAgeSecs) const
{
    const QFileInfo info(file);
    return info.isFile() && info.lastModified().secsTo(QDateTime::currentDateTime()) < maxAgeSecs;
}

QIcon SiteIcons::iconFor(const QUrl &url)
{
    if (!isWebUrl(url))
        return {};
    const QString site = siteOf(url);
    if (site.isEmpty())
        return {};
    if (const auto known = m_known.constFind(site); known != m_known.constEnd())
        return *known;
    if (m_asked.contains(site))
        return {};
    if (fresh(cacheFile(site, ".png"), m_limits.iconMaxAgeSecs)) {
        const QPixmap pixmap(cacheFile(site, ".png"));
        if (!pixmap.isNull())
            return m_known[site] = QIcon(pixmap);
    }
    if (fresh(cacheFile(site, ".none"), m_limits.failedMaxAgeSecs))
        return m_known[site] = QIcon();
    m_asked.insert(site, true);
    // The home page by scheme, host and port alone: a link's user name and password stay with it.
    QUrl home;
    home.setScheme(url.scheme());
    home.setHost(url.host());
    home.setPort(url.port());
    home.setPath(QStringLiteral("/"));
    m_queue.append({site, home});
    QTimer::singleShot(0, this, &SiteIcons::startNext); // never inside a view's paint
    return {};
}

void SiteIcons::startNext()
{
    while (m_running < m_limits.parallelSites && !m_queue.isEmpty()) {
        auto fetch = std::make_shared<Fetch>();
        std::tie(fetch->site, fetch->origin) = m_queue.takeFirst();
        ++m_running;
        request(fetch, fetch->origin, true);
    }
}

void SiteIcons::request(const std::shared_ptr<Fetch> &fetch, const QUrl &url, bool isPage)
{
    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(5);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Linkshelf"));
    ++m_requestsMade;
    QNetworkReply *reply = m_network->get(request);
    const qint64 limit = isPage ? m_limits.maxPageBytes : m_limits.maxIconBytes;
    auto body = std::make_shared<QByteArray>();
    auto tooLarge = std::make_shared<bool>(false);
    // A page is read only as far as the limit, where its head has long ended; an icon
    // larger than the limit is not taken at all.
    connect(reply, &QNetworkReply::readyRead, this, [=] {
        body->append(reply->read(limit + 1 - body->size()));
        if (body->size() > limit) {
            *tooLarge = !isPage;
            reply->abort();
        }
    });
    QTimer::singleShot(m_limits.timeLimitMs, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [=, this] {
        reply->deleteLater();
        if (reply->isOpen()) // an aborted reply is closed, with nothing more to read
            body->append(reply->read(std::max<qint64>(0, limit + 1 - body->size())));
        const bool ok = reply->error() == QNetworkReply::NoError ||
                        (isPage && body->size() > limit); // cut off on purpose
        const QUrl finalUrl = reply->url();
        if (isPage)
            return onPage(fetch, ok ? *body : QByteArray(), finalUrl);
        const QImage image = ok && !*tooLarge && isWebUrl(finalUrl) ? QImage::fromData(*body) : QImage();
        if (!image.isNull())
            return finish(fetch, image);
        tryNextCandidate(fetch);
    });
}

void SiteIcons::onPage(const std::shared_ptr<Fetch> &fetch, const QByteArray &bytes, const QUrl &pageUrl)
{
    const QString declared = declaredIcon(bytes.left(m_limits.maxPageBytes));
    if (!declared.isEmpty()) {
        const QUrl icon = (isWebUrl(pageUrl) ? pageUrl : fetch->origin).resolved(QUrl(declared));
        if (isWebUrl(icon))
            fetch->candidates.append(icon);
    }
    const QUrl fallback = fetch->origin.resolved(QUrl(QStringLiteral("/favicon.ico")));
    if (!fetch->candidates.contains(fallback))
        fetch->candidates.append(fallback);
    tryNextCandidate(fetch);
}

void SiteIcons::tryNextCandidate(const std::shared_ptr<Fetch> &fetch)
{
    if (fetch->candidates.isEmpty())
        return finish(fetch, QImage());
    request(fetch, fetch->candidates.takeFirst(), false);
}

// The icon, at most IconSide pixels a side, goes to the cache as PNG whatever its format was,
// so that the cache never holds a file from the network as it came; a site without one
// leaves an empty marker.
void SiteIcons::finish(const std::shared_ptr<Fetch> &fetch, const QImage &image)
{
    QDir().mkpath(m_cacheDir);
    QIcon icon;
    if (image.isNull()) {
        QSaveFile marker(cacheFile(fetch->site, ".none"));
        if (marker.open(QIODevice::WriteOnly))
            marker.commit();
        QFile::remove(cacheFile(fetch->site, ".png"));
    } else {
        const QImage shown =
            image.width() > IconSide || image.height() > IconSide
                ? image.scaled(IconSide, IconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                : image;
        QSaveFile file(cacheFile(fetch->site, ".png"));
        if (file.open(QIODevice::WriteOnly) && shown.save(&file, "PNG"))
            file.commit();
        QFile::remove(cacheFile(fetch->site, ".none"));
        icon = QIcon(QPixmap::fromImage(shown));
    }
    m_known.insert(fetch->site, icon);
    m_asked.remove(fetch->site);
    --m_running;
    Q_EMIT iconArrived(fetch->site);
    startNext();
}
