// SPDX-License-Identifier: GPL-3.0-or-later
// Site icons in the real window, against sites on 127.0.0.1 that the test serves: off until
// the user turns them on (once told what that does), fetched once per site, shown in every
// view style, cached for the next start, and a quiet fallback for a site without a usable one.
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "entrywindowfixture.h"
#include "localhttpserver.h"
#include "siteicons.h"
#include "systemicons.h"
#include "testenvironment.h"
#include "uiactions.h"

#include <QBuffer>
#include <QImage>
#include <QTableView>

namespace {

QByteArray imageBytes(QColor color, const char *format)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(color);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data();
}

MFile link(const LocalHttpServer &site, const char *path)
{
    return MFile{MFile::UrlKind, site.url(path), {}, {}};
}

// The colour in the middle of the icon that the view shows for the entry.
QRgb shownColour(TMain &w, const MFile &entry)
{
    const QAbstractItemModel *model = w.mainList()->currentView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (index.data().toString().toUtf8() == entry.Path)
            return index.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage().pixel(8, 8);
    }
    qWarning("no row shows %s", entry.Path.constData());
    return 0;
}

} // namespace

class TestSiteIconsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void iconsAreFetchedOncePerSiteAndCached();
};

void TestSiteIconsWindow::iconsAreFetchedOncePerSiteAndCached()
{
    LocalHttpServer declared; // declares its icon in its page
    declared.pages.insert("/", {"text/html", "<html><head><title>A</title>\n<LINK type=image/png "
                                             "rel='shortcut icon' href=\"/img/a.png\"></head></html>"});
    declared.pages.insert("/img/a.png", {"image/png", imageBytes(Qt::red, "PNG")});
    LocalHttpServer plain; // no page; /favicon.ico in the Windows icon format
    plain.pages.insert("/favicon.ico", {"image/x-icon", imageBytes(Qt::blue, "ICO")});
    LocalHttpServer oversized; // declares an icon larger than any icon is
    oversized.pages.insert("/", {"text/html", "<link rel=icon href=big.png>"});
    oversized.pages.insert("/big.png",
                           {"image/png", imageBytes(Qt::green, "PNG") + QByteArray(300 * 1024, 0)});

    Fixture f;
    const MFile one = link(declared, "/one"), two = link(declared, "/two?x=1"), ico = link(plain, "/"),
                big = link(oversized, "/page");
    TMain &w = openCatalogWith(f, {one, two, ico, big});
    const QByteArray contentsBefore = f.readCatalogFile(contentsName);
    const QRgb browserColour = shownColour(w, big);
    QCOMPARE(declared.requests, QStringList()); // off by default

    chooseMenuItem(showWindow(w), QStringLiteral("ShowSiteIcons1"));
    QCOMPARE(f.interaction.messages.size(), 1);
    QVERIFY(f.interaction.messages[0].contains(SiteIcons::defaultCacheDir()));
    QTRY_COMPARE(shownColour(w, one), QColor(Qt::red).rgb());
    QTRY_COMPARE(shownColour(w, ico), QColor(Qt::blue).rgb());
    QTRY_COMPARE(oversized.requests.size(), 3);
    QTRY_VERIFY(QDir(SiteIcons::defaultCacheDir()).entryList(QDir::Files).size() == 3);
    QCOMPARE(shownColour(w, two), QColor(Qt::red).rgb());
    QCOMPARE(shownColour(w, big), browserColour); // the quiet fallback
    chooseMenuItem(w, QStringLiteral("Report1"));
    QCOMPARE(shownColour(w, one), QColor(Qt::red).rgb());
    QCOMPARE(shownColour(w, ico), QColor(Qt::blue).rgb());

    QCOMPARE(declared.requests, (QStringList{QStringLiteral("GET /"), QStringLiteral("GET /img/a.png")}));
    QCOMPARE(plain.requests, (QStringList{QStringLiteral("GET /"), QStringLiteral("GET /favicon.ico")}));
    QCOMPARE(oversized.requests, (QStringList{QStringLiteral("GET /"), QStringLiteral("GET /big.png"),
                                              QStringLiteral("GET /favicon.ico")}));
    QCOMPARE(f.readCatalogFile(contentsName), contentsBefore);

    // The next start shows the cached icons at once, asks no site and says nothing again.
    f.closeWindow();
    TMain &again = showWindow(f.open());
    QCOMPARE(shownColour(again, one), QColor(Qt::red).rgb());
    QCOMPARE(shownColour(again, ico), QColor(Qt::blue).rgb());
    QCoreApplication::processEvents(); // where a queued fetch would start
    QCOMPARE(declared.requests.size() + plain.requests.size() + oversized.requests.size(), 7);
    QCOMPARE(f.interaction.messages.size(), 1);
}

LINKSHELF_TEST_MAIN(TestSiteIconsWindow)
#include "tst_siteiconswindow.moc"
