// SPDX-License-Identifier: GPL-3.0-or-later
// The site icon fetcher's limits, against sites on 127.0.0.1 that never answer: no more than
// four sites at a time, each given up after its time limit and remembered as without icon.
#include "localhttpserver.h"
#include "siteicons.h"
#include "testenvironment.h"

#include <QSet>
#include <QSignalSpy>

#include <memory>
#include <vector>

class TestSiteIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fetchesFourSitesAtATimeWithinTheTimeLimit();
};

void TestSiteIcons::fetchesFourSitesAtATimeWithinTheTimeLimit()
{
    // Each server is a site of its own (a site is scheme, host and port).
    std::vector<std::unique_ptr<LocalHttpServer>> sites;
    // Sites being fetched: those that were reached and have not yet been given up on.
    QSet<const QTcpServer *> reached;
    int givenUp = 0;
    int mostAtOnce = 0;
    for (int i = 0; i < 6; ++i) {
        auto &site = sites.emplace_back(std::make_unique<LocalHttpServer>());
        site->silent = true;
        connect(site.get(), &QTcpServer::newConnection, this, [&, server = site.get()] {
            reached.insert(server);
            mostAtOnce = std::max(mostAtOnce, int(reached.size()) - givenUp);
        });
    }
    QTemporaryDir dir;
    const QString cache = dir.filePath(QStringLiteral("icons"));
    SiteIcons::Limits limits;
    limits.timeLimitMs = 300;
    SiteIcons icons(cache, limits);
    QSignalSpy arrived(&icons, &SiteIcons::iconArrived);
    connect(&icons, &SiteIcons::iconArrived, this, [&] { ++givenUp; });
    for (const auto &site : sites)
        QVERIFY(icons.iconFor(QUrl(QString::fromLatin1(site->url("/some/page")))).isNull());
    QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 6, 20000);

    QCOMPARE(mostAtOnce, 4);
    for (const auto &site : sites) // the page, then /favicon.ico, each given up on
        QCOMPARE(site->requests, (QStringList{QStringLiteral("GET /"), QStringLiteral("GET /favicon.ico")}));
    QCOMPARE(icons.requestsMade(), 12);
    // Remembered: asking again fetches nothing, in this run or the next.
    SiteIcons again(cache, limits);
    for (const auto &site : sites)
        QVERIFY(again.iconFor(QUrl(QString::fromLatin1(site->url("/")))).isNull());
    QCoreApplication::processEvents(); // where a queued fetch would start
    QCOMPARE(again.requestsMade(), 0);
}

LINKSHELF_TEST_MAIN(TestSiteIcons)
#include "tst_siteicons.moc"
