// SPDX-License-Identifier: GPL-3.0-or-later
// How many links a second the link checker gets through on a server on this machine that
// answers at once, so that the figure is the checker's own cost, and how fast it finds
// missing files.
#include "benchsupport.h"
#include "linkchecker.h"
#include "localhttpserver.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QSignalSpy>

namespace {

double checkMs(const QList<MFile> &entries)
{
    return bench::timeMs([&] {
        LinkChecker checker;
        QSignalSpy finished(&checker, &LinkChecker::finished);
        checker.start(entries);
        while (finished.isEmpty())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
}

int run()
{
    // A proxy from the environment must not stand between the checker and the local server.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    LocalHttpServer server;
    const int links = bench::quick() ? 30 : 300;
    const int missing = bench::quick() ? 2000 : 20000;
    QList<MFile> urls;
    for (int i = 0; i < links; ++i)
        urls.append(MFile{MFile::UrlKind, server.url(i % 3 == 0 ? "/moved" : "/ok"), {}, {}});
    QTemporaryDir dir;
    QList<MFile> files;
    for (int i = 0; i < missing; ++i)
        files.append(MFile{MFile::FileKind, QFile::encodeName(dir.filePath(QString::number(i))), {}, {}});
    const int runs = bench::runsFromArguments(5);
    const double urlMs = bench::medianMs(runs, [&] { checkMs(urls); });
    bench::result("check 300 links on 127.0.0.1, a third redirected", bench::ms(urlMs),
                  QStringLiteral("%1 links/s").arg(qRound(links / urlMs * 1000)), QStringLiteral("-"), "-",
                  true);
    const double fileMs = bench::medianMs(runs, [&] { checkMs(files); });
    bench::result("check 20,000 missing files", bench::ms(fileMs), QStringLiteral("-"), QStringLiteral("-"),
                  "-", true);
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
