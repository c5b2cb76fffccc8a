// SPDX-License-Identifier: GPL-3.0-or-later
// The icons of web sites, for web-link entries: fetched once per site in the background and
// kept in a cache folder, never in the catalog.
#pragma once

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <utility>

class QNetworkAccessManager;

class SiteIcons final : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        int parallelSites = 4;              // sites fetched at a time, one request each
        qint64 maxIconBytes = 256 * 1024;   // an icon file larger than this is not taken
        qint64 maxPageBytes = 64 * 1024;    // the start of the page where its icon is declared
        int timeLimitMs = 10 * 1000;        // for each request, from start to end
        qint64 iconMaxAgeSecs = 30 * 86400; // a cached icon is fetched again after 30 days
        qint64 failedMaxAgeSecs = 86400;    // a site without an icon is tried again after a day
    };

    // cacheDir holds one PNG per site and an empty marker per site that has none.
    explicit SiteIcons(const QString &cacheDir, QObject *parent = nullptr);
    SiteIcons(const QString &cacheDir, const Limits &limits, QObject *parent = nullptr);
    ~SiteIcons() override;
    Q_DISABLE_COPY_MOVE(SiteIcons)

    // $XDG_CACHE_HOME/Linkshelf/icons.
    static QString defaultCacheDir();

    // The icon of the site of an http or https URL when it is known; else a null icon, and
    // the site's fetch is queued unless it was tried lately. Never waits on the network.
    QIcon iconFor(const QUrl &url);

    int requestsMade() const { return m_requestsMade; } // since construction, for the curious

Q_SIGNALS:
    // A site's icon arrived (or the site was found to have none): the views may ask again.
    void iconArrived(const QString &site);

private:
    struct Fetch;
    static QString siteOf(const QUrl &url);
    QString cacheFile(const QString &site, const char *suffix) const;
    bool fresh(const QString &file, qint64 maxAgeSecs) const;
    void startNext();
    void request(const std::shared_ptr<Fetch> &fetch, const QUrl &url, bool isPage);
    void onPage(const std::shared_ptr<Fetch> &fetch, const QByteArray &bytes, const QUrl &pageUrl);
    void tryNextCandidate(const std::shared_ptr<Fetch> &fetch);
    void finish(const std::shared_ptr<Fetch> &fetch, const QImage &image);

    QString m_cacheDir;
    Limits m_limits;
    QNetworkAccessManager *m_network;
    QHash<QString, QIcon> m_known;           // a null icon: the site has none
    QList<std::pair<QString, QUrl>> m_queue; // sites and their home pages, oldest first
    QHash<QString, bool> m_asked;            // queued or being fetched
    int m_running = 0;
    int m_requestsMade = 0;
};
