// SPDX-License-Identifier: GPL-3.0-or-later
// The clipboard's text: present (even empty) or none at all.
#include "clipboardtext.h"
#include "testenvironment.h"

#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

class TestClipboardText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void clipboardText_data();
    void clipboardText();
};

using MimeFiller = void (*)(QMimeData &);
Q_DECLARE_METATYPE(MimeFiller)

void TestClipboardText::clipboardText_data()
{
    QTest::addColumn<MimeFiller>("fill");
    QTest::addColumn<std::optional<QString>>("text");

    QTest::newRow("link text") << MimeFiller([](QMimeData &m) { m.setText(u"https://example.org\n"_s); })
                               << std::optional(u"https://example.org\n"_s);
    QTest::newRow("empty text") << MimeFiller([](QMimeData &m) { m.setText(QString()); })
                                << std::optional(QString());
    QTest::newRow("text beside a picture") << MimeFiller([](QMimeData &m) {
        m.setImageData(QImage(4, 4, QImage::Format_RGB32));
        m.setText(u"caption"_s);
    }) << std::optional(u"caption"_s);
    QTest::newRow("picture only") << MimeFiller([](QMimeData &m) {
        m.setImageData(QImage(4, 4, QImage::Format_RGB32));
    }) << std::optional<QString>();
    QTest::newRow("other data only") << MimeFiller([](QMimeData &m) {
        m.setData(u"application/x-linkshelf-entries"_s, "entries");
    }) << std::optional<QString>();
    QTest::newRow("nothing") << MimeFiller([](QMimeData &) {}) << std::optional<QString>();
}

void TestClipboardText::clipboardText()
{
    QFETCH(MimeFiller, fill);
    QFETCH(std::optional<QString>, text);

    auto *mime = new QMimeData;
    fill(*mime);
    QGuiApplication::clipboard()->setMimeData(mime);
    QCOMPARE(::clipboardText(), text);
}

LINKSHELF_TEST_MAIN(TestClipboardText)
#include "tst_clipboardtext.moc"
