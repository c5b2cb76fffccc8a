// SPDX-License-Identifier: GPL-3.0-or-later
// Many entries added at once land at their sorted places in one insert and at most one
// layout change, with the selection and the rows' ids following them; a folder shows in the
// collator's order however its file was ordered.
#include "entrylistmodel.h"
#include "entryrow.h"
#include "systemicons.h"
#include "testenvironment.h"

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QItemSelectionModel>
#include <QSignalSpy>

namespace {
EntryRow urlRow(const char *url, const char *description = "")
{
    return makeEntryRow(MFile{MFile::UrlKind, url, {}, description}, TextEncoding());
}

std::vector<EntryRow> urlRows(std::initializer_list<const char *> urls)
{
    std::vector<EntryRow> rows;
    for (const char *url : urls)
        rows.push_back(urlRow(url));
    return rows;
}

QStringList captions(const EntryListModel &model)
{
    QStringList list;
    for (int row = 0; row < model.count(); ++row)
        list.append(model.rowAt(row).caption);
    return list;
}
} // namespace

class TestEntryListModelInserts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A file Linkshelf wrote is in order already and is taken as it is; any other order, a
    // file in the opposite direction included, ends in the same order a sort gives, with
    // equal captions in the file's order.
    void aFolderShowsInSortOrderWhateverTheFilesOrder_data()
    {
        QTest::addColumn<QByteArrayList>("file");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QByteArrayList>("shown");
        const QByteArrayList sorted{"a 1", "b 1", "b 2", "c 1"};
        const QByteArrayList reversed{"c 1", "b 1", "b 2", "a 1"};
        const QByteArrayList mixed{"a 1", "c 1", "B 1", "b 2"};
        QTest::newRow("in order") << sorted << int(Qt::AscendingOrder)
                                  << QByteArrayList{"a 1", "b 1", "b 2", "c 1"};
        QTest::newRow("reversed") << reversed << int(Qt::AscendingOrder)
                                  << QByteArrayList{"a 1", "b 1", "b 2", "c 1"};
        QTest::newRow("descending, reversed")
            << reversed << int(Qt::DescendingOrder) << QByteArrayList{"c 1", "b 1", "b 2", "a 1"};
        QTest::newRow("descending, in order")
            << sorted << int(Qt::DescendingOrder) << QByteArrayList{"c 1", "b 1", "b 2", "a 1"};
        QTest::newRow("one out of place")
            << mixed << int(Qt::AscendingOrder) << QByteArrayList{"a 1", "b 2", "B 1", "c 1"};
    }

    void aFolderShowsInSortOrderWhateverTheFilesOrder()
    {
        QFETCH(QByteArrayList, file);
        QFETCH(int, direction);
        QFETCH(QByteArrayList, shown);
        SystemIcons icons;
        EntryListModel model(icons);
        model.sort(EntryListModel::FileNameColumn, Qt::SortOrder(direction));
        // Equal captions told apart by their description, which must keep the file's order.
        std::vector<EntryRow> rows;
        for (const QByteArray &text : file)
            rows.push_back(urlRow(text.left(1).constData(), text.constData()));
        model.resetRows(std::move(rows));
        QByteArrayList descriptions;
        for (int row = 0; row < model.count(); ++row)
            descriptions.append(model.fileAt(row).Description);
        QCOMPARE(descriptions, shown);
    }

    void rowsSpreadAmongOldOnesKeepTheSelectionAndIds()
    {
        SystemIcons icons;
        EntryListModel model(icons);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.resetRows(urlRows({"d", "b"}));
        QItemSelectionModel selection(&model);
        selection.select(model.index(1, 0), QItemSelectionModel::Select); // "d"
        const quint32 idOfD = model.idAt(1);
        QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
        QSignalSpy added(&model, &EntryListModel::rowsAdded);
        std::vector<EntryRow> rows;
        rows.push_back(urlRow("e"));
        rows.push_back(urlRow("a", "first"));
        rows.push_back(urlRow("c"));
        rows.push_back(urlRow("a", "second"));
        const QList<int> positions = model.insertSorted(std::move(rows));
        QCOMPARE(captions(model).join(u','), QStringLiteral("a,a,b,c,d,e"));
        // Equal ones stay in the order given, after the equal ones already there.
        QCOMPARE(model.rowAt(0).file.Description, QByteArray("first"));
        QCOMPARE(model.rowAt(1).file.Description, QByteArray("second"));
        QCOMPARE(positions, (QList<int>{5, 0, 3, 1}));
        QCOMPARE(inserts.size(), 1);
        QCOMPARE(layouts.size(), 1);
        QCOMPARE(added.size(), 1);
        QCOMPARE(added.first().first().value<QList<int>>(), positions);
        QCOMPARE(selection.selectedIndexes(), (QModelIndexList{model.index(4, 0)}));
        QCOMPARE(model.rowOfId(idOfD), 4);
        QCOMPARE(model.rowOfId(model.idAt(5)), 5);
    }

    void rowsInOneRunAreOneInsertInSortedOrder()
    {
        SystemIcons icons;
        EntryListModel model(icons);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.sort(EntryListModel::FileNameColumn, Qt::DescendingOrder);
        model.resetRows(urlRows({"z"}));
        QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
        const QList<int> positions = model.insertSorted(urlRows({"b", "c", "a"}));
        QCOMPARE(captions(model).join(u','), QStringLiteral("z,c,b,a"));
        QCOMPARE(positions, (QList<int>{2, 1, 3}));
        QCOMPARE(inserts.size(), 1);
        QCOMPARE(layouts.size(), 0);
    }

    void sortsByRanksStayStableAndSeeAddedRows()
    {
        SystemIcons icons;
        EntryListModel model(icons);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::vector<EntryRow> rows;
        rows.push_back(urlRow("b", "1"));
        rows.push_back(urlRow("a", "2"));
        rows.push_back(urlRow("a", "3"));
        model.resetRows(std::move(rows));
        const auto descriptions = [&model] {
            QByteArray list;
            for (int row = 0; row < model.count(); ++row)
                list += model.rowAt(row).file.Description;
            return list;
        };
        QCOMPARE(descriptions(), QByteArray("231"));
        model.sort(EntryListModel::DescriptionColumn, Qt::DescendingOrder);
        QCOMPARE(descriptions(), QByteArray("321"));
        // The two "a" rows collate alike: they keep the order the last sort gave them.
        model.sort(EntryListModel::FileNameColumn, Qt::AscendingOrder);
        QCOMPARE(descriptions(), QByteArray("321"));
        model.sort(EntryListModel::FileNameColumn, Qt::DescendingOrder);
        QCOMPARE(descriptions(), QByteArray("132"));
        model.insertSorted(urlRows({"c", "0"}));
        model.sort(EntryListModel::FileNameColumn, Qt::AscendingOrder);
        QCOMPARE(captions(model).join(u','), QStringLiteral("0,a,a,b,c"));
        model.sort(EntryListModel::DescriptionColumn, Qt::AscendingOrder);
        QCOMPARE(descriptions(), QByteArray("123"));
    }

    // Rows are tagged by their descriptions; the replaced one is tagged "*".
    void aReplacedRowKeepsItsPlaceAmongItsEquals_data()
    {
        QTest::addColumn<QByteArray>("captions");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("caption");
        QTest::addColumn<QByteArray>("order");
        QTest::addColumn<bool>("descending");
        QTest::newRow("same text stays")
            << QByteArray("abbc") << 1 << QByteArray("b") << QByteArray("0*23") << false;
        QTest::newRow("up: after equals above")
            << QByteArray("accde") << 4 << QByteArray("c") << QByteArray("012*3") << false;
        QTest::newRow("down: before equals below")
            << QByteArray("abccd") << 0 << QByteArray("c") << QByteArray("1*234") << false;
        QTest::newRow("down, descending")
            << QByteArray("dccba") << 0 << QByteArray("c") << QByteArray("*1234") << true;
    }

    void aReplacedRowKeepsItsPlaceAmongItsEquals()
    {
        QFETCH(QByteArray, captions);
        QFETCH(int, row);
        QFETCH(QByteArray, caption);
        QFETCH(QByteArray, order);
        QFETCH(bool, descending);

        SystemIcons icons;
        EntryListModel model(icons);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.sort(EntryListModel::FileNameColumn, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        std::vector<EntryRow> rows;
        for (qsizetype i = 0; i < captions.size(); ++i)
            rows.push_back(makeEntryRow(MFile{MFile::UrlKind, captions.mid(i, 1), {}, QByteArray::number(i)},
                                        TextEncoding()));
        model.resetRows(std::move(rows));
        const int placed = model.replaceRow(row, urlRow(caption.constData(), "*"));
        QByteArray tags;
        for (int i = 0; i < model.count(); ++i)
            tags += model.rowAt(i).file.Description;
        QCOMPARE(tags, order);
        QCOMPARE(placed, int(order.indexOf('*')));
    }

    // A file in order is taken as it is, found by comparing neighbours, most of them by their
    // bytes: an order that only looks right (bytes, ASCII case folded) is still sorted.
    void aFolderShowsInTheCollatorsOrderWhateverItsFilesOrder()
    {
        QStringList texts = {QStringLiteral("b"),   QStringLiteral("B"),   QStringLiteral("a b"),
                             QStringLiteral("a-b"), QStringLiteral("a_b"), QStringLiteral("ab"),
                             QStringLiteral("aB"),  QStringLiteral("Ab"),  QStringLiteral("x10"),
                             QStringLiteral("x2"),  QStringLiteral("x 2"), QStringLiteral("~z"),
                             QStringLiteral("é"),   QStringLiteral("e"),   QStringLiteral("f"),
                             QStringLiteral("ea"),  QStringLiteral("éa"),  QStringLiteral("Z"),
                             QStringLiteral("1"),   QStringLiteral("!"),   QStringLiteral("b")};
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseSensitive);
        QStringList collated = texts;
        std::stable_sort(collated.begin(), collated.end(),
                         [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
        QStringList byBytes = texts;
        std::sort(byBytes.begin(), byBytes.end());
        QStringList foldedBytes = texts;
        std::sort(foldedBytes.begin(), foldedBytes.end(),
                  [](const QString &a, const QString &b) { return a.toLower() < b.toLower(); });
        QStringList reversed(collated.crbegin(), collated.crend());
        for (const QStringList &order : {collated, byBytes, foldedBytes, reversed}) {
            SystemIcons icons;
            EntryListModel model(icons);
            std::vector<EntryRow> rows;
            for (const QString &text : order)
                rows.push_back(urlRow(text.toUtf8().constData()));
            model.resetRows(std::move(rows));
            QCOMPARE(captions(model), collated);
            model.sort(EntryListModel::FileNameColumn, Qt::DescendingOrder);
            QCOMPARE(captions(model), QStringList(collated.crbegin(), collated.crend()));
        }
    }

    void iconsFoundLaterFindTheirRowsAfterASort()
    {
        SystemIcons icons;
        EntryListModel model(icons);
        model.resetRows(urlRows({"a", "b", "c"}));
        const quint32 idOfA = model.idAt(0);
        model.sort(EntryListModel::FileNameColumn, Qt::DescendingOrder);
        model.removeRowsAt({0}); // "c" goes
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setIconIndexes({{idOfA, 7}, {2u, 9}}); // id 2 was "c"'s
        QCOMPARE(model.rowAt(1).iconIndex, 7);
        QCOMPARE(model.rowAt(0).iconIndex, -1);
        QCOMPARE(changed.size(), 1);
    }
};

LINKSHELF_TEST_MAIN(TestEntryListModelInserts)
#include "tst_entrylistmodelinserts.moc"
