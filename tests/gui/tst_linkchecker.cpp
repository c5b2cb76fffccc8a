// SPDX-License-Identifier: GPL-3.0-or-later
// Checking entries against a local HTTP server and temporary files: what each answer means,
// HEAD then GET, redirects, timeouts, the bound on parallel requests, servers that would keep
// the checker reading or waiting, and cancelling.
#include "entrymakers.h"
#include "linkchecker.h"
#include "localhttpserver.h"
#include "nativefile.h"
#include "testenvironment.h"

#include <QApplication>
#include <QNetworkProxyFactory>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The requests without the repeats that the network layer sends by itself when a server
// closed a connection it meant to reuse (HTTP allows this for HEAD and GET).
QStringList withoutRetries(const QStringList &requests)
{
    QStringList result;
    for (const QString &request : requests)
        if (result.isEmpty() || result.last() != request)
            result.append(request);
    return result;
}

// Runs a check to its end; the results by entry position.
QList<LinkCheckResult> check(const QList<MFile> &entries, LinkChecker::Options options = {})
{
    LinkChecker checker;
    checker.setOptions(options);
    QList<LinkCheckResult> results(entries.size());
    QList<int> reported;
    QObject::connect(&checker, &LinkChecker::entryChecked, &checker,
                     [&](int index, const LinkCheckResult &result) {
                         results[index] = result;
                         reported.append(index);
                     });
    QSignalSpy finished(&checker, &LinkChecker::finished);
    checker.start(entries);
    if (!finished.wait(20000))
        qWarning("the check did not finish");
    std::sort(reported.begin(), reported.end());
    if (reported.size() != entries.size())
        qWarning("%lld results for %lld entries", qlonglong(reported.size()), qlonglong(entries.size()));
    return results;
}

} // namespace

class TestLinkChecker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void urlAnswers_data();
    void urlAnswers();
    void headRefusedThenGet();
    void getStopsAfterHeaders();
    void anEndlessBodyIsNotRead_data();
    void anEndlessBodyIsNotRead();
    void endlessHeadersHoldNoOtherHostUp();
    void unreachableServer();
    void fileEntries();
    void parallelRequestsBounded();
    void cancelStopsEverything();
    void statusTextsAndMarks_data();
    void statusTextsAndMarks();

private:
    std::unique_ptr<LocalHttpServer> m_server;
};

void TestLinkChecker::initTestCase()
{
    // A proxy from the environment must not stand between the checker and the local server.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    m_server = std::make_unique<LocalHttpServer>();
    QVERIFY(m_server->isListening());
}

void TestLinkChecker::urlAnswers_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("requests");

    using R = LinkCheckResult;
    QTest::newRow("200") << QByteArray("/ok") << int(R::Ok) << 200 << QStringList{QStringLiteral("HEAD /ok")};
    QTest::newRow("301 to 200") << QByteArray("/moved") << int(R::Ok) << 200
                                << QStringList{QStringLiteral("HEAD /moved"), QStringLiteral("HEAD /ok")};
    QTest::newRow("302, 301, 200") << QByteArray("/moved-twice") << int(R::Ok) << 200
                                   << QStringList{QStringLiteral("HEAD /moved-twice"),
                                                  QStringLiteral("HEAD /moved"), QStringLiteral("HEAD /ok")};
    // Gone only on a GET's word.
    QTest::newRow("404") << QByteArray("/missing") << int(R::Broken) << 404
                         << QStringList{QStringLiteral("HEAD /missing"), QStringLiteral("GET /missing")};
    QTest::newRow("410") << QByteArray("/gone") << int(R::Broken) << 410
                         << QStringList{QStringLiteral("HEAD /gone"), QStringLiteral("GET /gone")};
    QTest::newRow("404 to HEAD only")
        << QByteArray("/head-404") << int(R::Ok) << 200
        << QStringList{QStringLiteral("HEAD /head-404"), QStringLiteral("GET /head-404")};
    // Answers that say nothing of the page.
    QTest::newRow("500") << QByteArray("/error") << int(R::CouldNotCheck) << 500
                         << QStringList{QStringLiteral("HEAD /error")};
    QTest::newRow("redirect loop") << QByteArray("/loop") << int(R::CouldNotCheck) << 302
                                   << QStringList{QStringLiteral("HEAD /loop")};
    QTest::newRow("redirect to a local file") << QByteArray("/to-file") << int(R::CouldNotCheck) << 302
                                              << QStringList{QStringLiteral("HEAD /to-file")};
    QTest::newRow("never answers") << QByteArray("/silent") << int(R::CouldNotCheck) << 0
                                   << QStringList{QStringLiteral("HEAD /silent")};
}

void TestLinkChecker::urlAnswers()
{
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    QFETCH(int, code);
    QFETCH(QStringList, requests);
    m_server->requests.clear();
    const LinkCheckResult result = check({urlEntry(m_server->url(path))}, {6, 500, 5}).value(0);
    QCOMPARE(int(result.status), status);
    QCOMPARE(result.httpCode, code);
    QCOMPARE(withoutRetries(m_server->requests), requests);
    if (status == LinkCheckResult::Broken || status == LinkCheckResult::CouldNotCheck)
        QVERIFY(!result.reason.isEmpty());
    if (path == "/loop") // the first request and five redirects, then it gives up
        QVERIFY(m_server->requests.size() >= 6 && m_server->requests.size() <= 8);
}

void TestLinkChecker::headRefusedThenGet()
{
    m_server->requests.clear();
    const QList<LinkCheckResult> results =
        check({urlEntry(m_server->url("/no-head")), urlEntry(m_server->url("/head-gone"))}, {1, 2000, 5});
    QCOMPARE(int(results[0].status), int(LinkCheckResult::Ok));
    QCOMPARE(results[0].httpCode, 200);
    QCOMPARE(int(results[1].status), int(LinkCheckResult::Ok));
    QCOMPARE(withoutRetries(m_server->requests),
             QStringList({QStringLiteral("HEAD /no-head"), QStringLiteral("GET /no-head"),
                          QStringLiteral("HEAD /head-gone"), QStringLiteral("GET /head-gone")}));
}

void TestLinkChecker::getStopsAfterHeaders()
{
    // The server announces 100 MB and keeps the connection open: only the headers are read,
    // well before the timeout, and the connection is dropped.
    // Reading the body would end in the timeout, which is no answer: Ok says it was not read.
    m_server->requests.clear();
    const LinkCheckResult result = check({urlEntry(m_server->url("/no-head"))}, {6, 5000, 5}).value(0);
    QCOMPARE(int(result.status), int(LinkCheckResult::Ok));
    QTRY_COMPARE(m_server->open, 0);
}

void TestLinkChecker::anEndlessBodyIsNotRead_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("code");
    QTest::newRow("page") << QByteArray("/endless-body") << 200;
    QTest::newRow("redirection") << QByteArray("/endless-redirect") << 200; // to /ok
}

// Both after a refused HEAD, so that a GET is sent.
void TestLinkChecker::anEndlessBodyIsNotRead()
{
    QFETCH(QByteArray, path);
    QFETCH(int, code);
    m_server->bodyBytesSent = 0;
    const LinkCheckResult result = check({urlEntry(m_server->url(path))}, {6, 10000, 5}).value(0);
    QCOMPARE(int(result.status), int(LinkCheckResult::Ok));
    QCOMPARE(result.httpCode, code);
    QTRY_COMPARE(m_server->open, 0);
    QVERIFY2(m_server->bodyBytesSent < 16 * 1024 * 1024,
             qPrintable(QString::number(m_server->bodyBytesSent)));
}

// The stuck server never frees its requests by itself: each is cut after its own timeout,
// counted from its own start, and never holds every slot.
void TestLinkChecker::endlessHeadersHoldNoOtherHostUp()
{
    LocalHttpServer other;
    QVERIFY(other.isListening());
    const QList<MFile> entries{urlEntry(m_server->url("/endless-headers")),
                               urlEntry(m_server->url("/endless-headers")),
                               urlEntry(m_server->url("/endless-headers")), urlEntry(m_server->url("/ok")),
                               urlEntry(other.url("/ok"))};
    LinkChecker checker;
    checker.setOptions({3, 1500, 5});
    QList<std::pair<int, int>> reported; // (index, status) in the order they came
    connect(&checker, &LinkChecker::entryChecked, &checker, [&](int index, const LinkCheckResult &result) {
        reported.append({index, int(result.status)});
    });
    QSignalSpy finished(&checker, &LinkChecker::finished);
    checker.start(entries);
    QVERIFY(finished.wait(20000));
    using R = LinkCheckResult;
    QCOMPARE(reported.value(0), std::make_pair(4, int(R::Ok))); // the other host, at once
    std::sort(reported.begin(), reported.end());
    QCOMPARE(
        reported,
        (QList<std::pair<int, int>>{
            {0, R::CouldNotCheck}, {1, R::CouldNotCheck}, {2, R::CouldNotCheck}, {3, R::Ok}, {4, R::Ok}}));
}

void TestLinkChecker::unreachableServer()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close(); // nothing listens there now
    const LinkCheckResult result =
        check({urlEntry("http://127.0.0.1:" + QByteArray::number(port) + "/")}, {6, 2000, 5}).value(0);
    QCOMPARE(int(result.status), int(LinkCheckResult::CouldNotCheck));
    QCOMPARE(result.httpCode, 0);
    QVERIFY(!result.reason.isEmpty());
}

void TestLinkChecker::fileEntries()
{
    QTemporaryDir dir;
    QFile present(dir.filePath(QStringLiteral("present \u00e9t\u00e9.txt")));
    QVERIFY(present.open(QIODevice::WriteOnly));
    present.close();
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    const NativeFile latin1(QFile::encodeName(dir.path()) + '/' + Latin1Name, "here\n"); // no QString's name
    QVERIFY(latin1.written());
    const QList<MFile> entries{
        fileEntry(QFile::encodeName(present.fileName())),
        fileEntry(QFile::encodeName(dir.filePath(QStringLiteral("gone.txt")))),
        fileEntry(QFile::encodeName(dir.filePath(QStringLiteral("folder")))),
        fileEntry({}),
        fileEntry("C:\\Windows\\notepad.exe"),
        urlEntry("ftp://files.example/x"),
        urlEntry("mailto:someone@example.org"),
        urlEntry("www.example.org/no-scheme"),
        MFile{2, m_server->url("/ok"), {}, {}}, // any non-zero kind is a URL
        MFile{MFile::FileKind, latin1.path(), {}, {}},
    };
    QList<int> statuses;
    for (const LinkCheckResult &result : check(entries))
        statuses.append(int(result.status));
    using R = LinkCheckResult;
    QCOMPARE(statuses, QList<int>({R::Ok, R::Missing, R::Ok, R::Missing, R::Missing, R::NotChecked,
                                   R::NotChecked, R::NotChecked, R::Ok, R::Ok}));
    QVERIFY(check({}).isEmpty()); // nothing to check finishes too
}

void TestLinkChecker::parallelRequestsBounded()
{
    QList<MFile> entries;
    for (int i = 0; i < 12; ++i)
        entries.append(urlEntry(m_server->url("/slow")));
    for (int parallel : {1, 3}) {
        m_server->mostOpen = 0;
        m_server->requests.clear();
        for (const LinkCheckResult &result : check(entries, {parallel, 5000, 5}))
            QCOMPARE(int(result.status), int(LinkCheckResult::Ok));
        QCOMPARE(m_server->requests.size(), 12);
        QVERIFY2(m_server->mostOpen <= parallel, qPrintable(QString::number(m_server->mostOpen)));
    }
    QVERIFY(m_server->mostOpen >= 2); // the bound is used, not one at a time
}

void TestLinkChecker::cancelStopsEverything()
{
    QTemporaryDir dir;
    QList<MFile> entries;
    for (int i = 0; i < 8; ++i)
        entries.append(urlEntry(m_server->url("/silent")));
    for (int i = 0; i < 3000; ++i)
        entries.append(fileEntry(QFile::encodeName(dir.filePath(QString::number(i)))));
    LinkChecker checker;
    checker.setOptions({4, 10000, 5});
    QSignalSpy checked(&checker, &LinkChecker::entryChecked);
    QSignalSpy finished(&checker, &LinkChecker::finished);
    checker.start(entries);
    QTRY_COMPARE(m_server->open, 3); // one server gets all slots but one
    checker.cancel();
    QVERIFY(!checker.isRunning());
    const qsizetype before = checked.size();
    QTRY_COMPARE(m_server->open, 0); // the requests were aborted, not left to time out
    // A check started after it goes through the event loop to its end: whatever the cancelled
    // one had still queued would arrive first.
    checker.start({urlEntry("mailto:someone@example.org")});
    QVERIFY(finished.wait());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(checked.size(), before + 1);
    QCOMPARE(checked.last().at(0).toInt(), 0);

    // Destroyed while checking: nothing arrives afterwards from the file thread.
    auto gone = std::make_unique<LinkChecker>();
    gone->start(entries);
    gone.reset();
    QTRY_COMPARE(m_server->open, 0);
    QCOMPARE(check(entries.mid(8, 100)).size(), 100); // while the file thread of the gone one ends
}

void TestLinkChecker::statusTextsAndMarks_data()
{
    QTest::addColumn<LinkCheckResult>("result");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("marked");
    using R = LinkCheckResult;
    QTest::newRow("ok") << R{R::Ok, 200, {}} << QStringLiteral("OK") << false;
    QTest::newRow("missing") << R{R::Missing, 0, {}} << QStringLiteral("File not found") << true;
    QTest::newRow("404") << R{R::Broken, 404, QStringLiteral("Not Found")}
                         << QStringLiteral("Broken link: 404 Not Found") << true;
    QTest::newRow("could not check") << R{R::CouldNotCheck, 0, QStringLiteral("Host x.example not found")}
                                     << QStringLiteral("Could not check: Host x.example not found") << true;
    QTest::newRow("not checked") << R{R::NotChecked, 0, {}}
                                 << QStringLiteral("Not checked (only web links and files are)") << false;
}

void TestLinkChecker::statusTextsAndMarks()
{
    QFETCH(LinkCheckResult, result);
    QFETCH(QString, text);
    QFETCH(bool, marked);
    QCOMPARE(linkStatusText(result), text);
    QCOMPARE(!linkStatusIcon(result, QApplication::style()).isNull(), marked);
}

LINKSHELF_TEST_MAIN(TestLinkChecker)
#include "tst_linkchecker.moc"
