// SPDX-License-Identifier: GPL-3.0-or-later
// The ASCII sort keys against the collator they stand in for, on random text, in locales
// that sort ASCII differently.
#include "asciicollation.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <numeric>

namespace {

QString randomAscii(QRandomGenerator &random)
{
    // Letters of both cases weigh most, as in names; then digits, punctuation, white space and
    // a control character, which collates as nothing.
    static const QString alphabet = QStringLiteral("aAbBcChHiIlLsSzZ0129 -_.,'()/&\t\x01~");
    QString text;
    const int length = int(random.bounded(7));
    for (int i = 0; i < length; ++i)
        text += alphabet[int(random.bounded(alphabet.size()))];
    return text;
}

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

QByteArray keyOf(const AsciiCollation &collation, const QString &text)
{
    QByteArray key;
    const bool known = collation.appendKey(text, key);
    Q_ASSERT(known);
    return key;
}

} // namespace

class TestAsciiCollation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysOrderAsTheCollator_data();
    void keysOrderAsTheCollator();
    void refusesWhatItCannotDecide();
    void ranksFollowTheCollator();
};

void TestAsciiCollation::keysOrderAsTheCollator_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("usable");
    QTest::newRow("English") << QStringLiteral("en_US") << true;
    QTest::newRow("German") << QStringLiteral("de_DE") << true;
    QTest::newRow("Turkish: I is not the capital of i") << QStringLiteral("tr_TR") << true;
    QTest::newRow("Danish: capitals first") << QStringLiteral("da_DK") << false; // "aa" is one letter
    QTest::newRow("Czech: ch is one letter") << QStringLiteral("cs_CZ") << false;
    QTest::newRow("C") << QStringLiteral("C") << true;
}

// Wherever the table is used, every pair of random texts compares as the collator says;
// where a locale defeats it, it says so rather than sort wrongly.
void TestAsciiCollation::keysOrderAsTheCollator()
{
    QFETCH(QString, locale);
    QFETCH(bool, usable);
    QCollator collator{QLocale(locale)};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    const AsciiCollation collation(collator);
    QCOMPARE(collation.usable(), usable);
    if (!usable)
        return;
    QRandomGenerator random(42);
    for (int i = 0; i < 4000; ++i) {
        const QString a = randomAscii(random), b = randomAscii(random);
        const int byKeys = sign(keyOf(collation, a).compare(keyOf(collation, b)));
        if (byKeys != sign(collator.compare(a, b)))
            QFAIL(qPrintable(QStringLiteral("\"%1\" against \"%2\": keys say %3, the collator %4")
                                 .arg(a, b)
                                 .arg(byKeys)
                                 .arg(collator.compare(a, b))));
    }
}

void TestAsciiCollation::refusesWhatItCannotDecide()
{
    QCollator numeric{QLocale(QStringLiteral("en_US"))};
    numeric.setCaseSensitivity(Qt::CaseSensitive);
    numeric.setNumericMode(true);
    QVERIFY(!AsciiCollation(numeric).usable());

    QCollator english{QLocale(QStringLiteral("en_US"))};
    english.setCaseSensitivity(Qt::CaseSensitive);
    const AsciiCollation collation(english);
    QByteArray keys = "kept";
    QVERIFY(!collation.appendKey(u"caf\u00e9", keys));
    QCOMPARE(keys, QByteArray("kept")); // nothing half-written for the collator's texts
}

// Enough texts for both threads, many of them alike: alike texts share a rank, and the ranks
// order the texts as the collator does. One text past ASCII leaves the sort to the collator.
void TestAsciiCollation::ranksFollowTheCollator()
{
    QCollator collator{QLocale(QStringLiteral("en_US"))};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    const AsciiCollation collation(collator);
    QRandomGenerator random(7);
    QStringList texts;
    for (int i = 0; i < 24000; ++i)
        texts.append(randomAscii(random).left(3));
    const auto textAt = [&texts](size_t i) { return texts[qsizetype(i)]; };
    const std::optional<std::vector<quint32>> ranks = asciiRanks(collation, size_t(texts.size()), textAt);
    QVERIFY(ranks);
    std::vector<int> byRank(size_t(texts.size()));
    std::iota(byRank.begin(), byRank.end(), 0);
    std::sort(byRank.begin(), byRank.end(),
              [&](int a, int b) { return (*ranks)[size_t(a)] < (*ranks)[size_t(b)]; });
    for (size_t i = 1; i < byRank.size(); ++i) {
        const int a = byRank[i - 1], b = byRank[i];
        QCOMPARE(sign(collator.compare(texts[a], texts[b])),
                 (*ranks)[size_t(a)] == (*ranks)[size_t(b)] ? 0 : -1);
    }
    QCOMPARE((*ranks)[size_t(byRank.front())], 0u);

    texts[12345] = QStringLiteral("\u00e9t\u00e9");
    QVERIFY(!asciiRanks(collation, size_t(texts.size()), textAt));
}

QTEST_GUILESS_MAIN(TestAsciiCollation)
#include "tst_asciicollation.moc"
