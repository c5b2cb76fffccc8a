// SPDX-License-Identifier: GPL-3.0-or-later
// Sorting many texts by a collator: the ASCII sort keys against the collator they stand in
// for, in locales that sort ASCII differently, and the ranks of texts partly past ASCII.
#include "asciicollation.h"
#include "collationranks.h"

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

class TestCollation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysOrderAsTheCollator_data();
    void keysOrderAsTheCollator();
    void refusesWhatItCannotDecide();
    void ranksFollowTheCollator();
};

void TestCollation::keysOrderAsTheCollator_data()
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
void TestCollation::keysOrderAsTheCollator()
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
        QCOMPARE(int(collation.compare(a.toLatin1(), b.toLatin1())), byKeys);
        if (byKeys != sign(collator.compare(a, b)))
            QFAIL(qPrintable(QStringLiteral("\"%1\" against \"%2\": keys say %3, the collator %4")
                                 .arg(a, b)
                                 .arg(byKeys)
                                 .arg(collator.compare(a, b))));
    }
}

void TestCollation::refusesWhatItCannotDecide()
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
    QCOMPARE(collation.compare("zz", "caf\xc3\xa9"), AsciiCollation::Undecided);
    QCOMPARE(AsciiCollation(numeric).compare("a", "b"), AsciiCollation::Undecided);
}

// Enough texts for both threads, many of them alike, some past ASCII (keyed by the collator,
// then merged): alike texts share a rank, and the ranks order the texts as the collator does.
void TestCollation::ranksFollowTheCollator()
{
    QCollator collator{QLocale(QStringLiteral("en_US"))};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    const AsciiCollation collation(collator);
    QRandomGenerator random(7);
    // A soft hyphen collates as nothing: such a text is alike an ASCII one.
    static const QStringList accented = {u"\u00e9"_qs, u"\u00c9"_qs, u"\u00fc"_qs, u"\u00df"_qs,
                                         u"\u00ad"_qs};
    QStringList texts;
    for (int i = 0; i < 24000; ++i) {
        QString text = randomAscii(random).left(3);
        if (random.bounded(10) == 0)
            text.insert(int(random.bounded(text.size() + 1)), accented[int(random.bounded(accented.size()))]);
        texts.append(text);
    }
    const std::vector<quint32> ranks = collationRanks(collator, collation, size_t(texts.size()),
                                                      [&texts](size_t i) { return texts[qsizetype(i)]; });
    std::vector<int> byRank(size_t(texts.size()));
    std::iota(byRank.begin(), byRank.end(), 0);
    std::sort(byRank.begin(), byRank.end(),
              [&](int a, int b) { return ranks[size_t(a)] < ranks[size_t(b)]; });
    QCOMPARE(ranks[size_t(byRank.front())], 0u);
    for (size_t i = 1; i < byRank.size(); ++i) {
        const int a = byRank[i - 1], b = byRank[i];
        const int expected = ranks[size_t(a)] == ranks[size_t(b)] ? 0 : -1;
        if (sign(collator.compare(texts[a], texts[b])) != expected || ranks[size_t(b)] - ranks[size_t(a)] > 1)
            QFAIL(qPrintable(QStringLiteral("\"%1\" (rank %2) then \"%3\" (rank %4)")
                                 .arg(texts[a])
                                 .arg(ranks[size_t(a)])
                                 .arg(texts[b])
                                 .arg(ranks[size_t(b)])));
    }
}

QTEST_GUILESS_MAIN(TestCollation)
#include "tst_collation.moc"
