#include "tst_grid_data.h"

#include <platform/grid/datasetmodel.h>
#include <platform/grid/gridrowmodel.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace kolvar;

class TestGridModels : public QObject
{
    Q_OBJECT

    ClientDataSet *ds = nullptr;
    DataSetModel *data = nullptr;
    GridRowModel *rows = nullptr;

    QStringList barkods() const
    {
        QStringList out;
        for (int r = 0; r < rows->rowCount(); ++r) {
            if (rows->rowKind(r) == GridRowKind::Data)
                out << rows->index(r, griddata::Barkod).data(GridRole::Text).toString();
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init()
    {
        ds = new ClientDataSet(this);
        griddata::load(*ds);
        data = new DataSetModel(this);
        data->setColumns(griddata::columns());
        data->setDataSet(ds);
        rows = new GridRowModel(this);
        rows->setSourceModel(data);
        new QAbstractItemModelTester(data, QAbstractItemModelTester::FailureReportingMode::QtTest, data);
        new QAbstractItemModelTester(rows, QAbstractItemModelTester::FailureReportingMode::QtTest, rows);
    }

    void cleanup()
    {
        delete rows;
        delete data;
        delete ds;
    }

    // The models stay consistent through every kind of change the windows make.
    void modelsStayConsistent()
    {
        QCOMPARE(rows->rowCount(), 5);
        rows->setColumnFilter(griddata::Marka, {"BOSCH", "ELRING"});
        rows->sort(griddata::Net, Qt::DescendingOrder);
        ds->setRecNo(1);
        ds->edit();
        ds->setFieldValue(u"NETTUTAR", 5000.0);
        ds->post();
        QCOMPARE(barkods(), QStringList({"B100", "B200", "B300", "B500"}));
        rows->setGrouping("SATICIADI");
        rows->setAllGroupsExpanded(false);
        rows->setAllGroupsExpanded(true);
        ds->append();
        ds->setFieldValue(u"BARKOD", QStringLiteral("B600"));
        ds->setFieldValue(u"MARKA", QStringLiteral("BOSCH"));
        ds->post();
        QVERIFY(barkods().contains("B600"));
        ds->setRecNo(0);
        ds->deleteRecord();
        QVERIFY(!barkods().contains("B100"));
        rows->clearGrouping();
        rows->clearFilters();
        rows->sort(-1);
        ds->append();
        ds->post();
        ds->last();
        ds->deleteRecord();
        QCOMPARE(rows->rowCount(), ds->recordCount());
        griddata::load(*ds);
        QCOMPARE(rows->rowCount(), 5);
        data->setDataSet(nullptr);
        QCOMPARE(rows->rowCount(), 0);
    }

    void iconCodes_data()
    {
        QTest::addColumn<QVariant>("code");
        QTest::addColumn<bool>("drawn");
        for (int code = 0; code <= 5; ++code)
            QTest::addRow("code %d", code) << QVariant(code) << true;
        QTest::newRow("unknown 7") << QVariant(7) << false;
        QTest::newRow("negative") << QVariant(-1) << false;
        QTest::newRow("null") << QVariant() << false;
    }

    void iconCodes()
    {
        QFETCH(QVariant, code);
        QFETCH(bool, drawn);
        ds->setRecNo(0);
        ds->edit();
        ds->setFieldValue(u"DURUM", code);
        ds->post();
        const QModelIndex cell = rows->index(0, griddata::Durum);
        QCOMPARE(cell.data(Qt::DecorationRole).isValid(), drawn);
        QVERIFY(!cell.data(Qt::DisplayRole).isValid()); // icons only, no text
        QCOMPARE(cell.data(GridRole::Kind).toInt(), int(CellKind::Icon));
    }

    void checkColumn_data()
    {
        QTest::addColumn<QVariant>("sec");
        QTest::addColumn<int>("state");
        QTest::newRow("1 checked") << QVariant(1) << int(Qt::Checked);
        QTest::newRow("0 unchecked") << QVariant(0) << int(Qt::Unchecked);
        QTest::newRow("null unchecked") << QVariant() << int(Qt::Unchecked);
    }

    void checkColumn()
    {
        QFETCH(QVariant, sec);
        QFETCH(int, state);
        ds->setRecNo(2);
        ds->edit();
        ds->setFieldValue(u"SEC", sec);
        ds->post();
        const QModelIndex cell = rows->index(2, griddata::Sec);
        QCOMPARE(cell.data(Qt::CheckStateRole).toInt(), state);
        // Read only: the box cannot be ticked in the grid.
        QVERIFY(!(cell.flags() & (Qt::ItemIsUserCheckable | Qt::ItemIsEditable)));
    }

    void filters_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("accepted");
        QTest::addColumn<int>("column2");
        QTest::addColumn<QStringList>("accepted2");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("one value") << int(griddata::Marka) << QStringList{"BOSCH"} << -1 << none
                                   << QStringList{"B100", "B300"};
        QTest::newRow("two values") << int(griddata::Marka) << QStringList{"MANN", "ELRING"} << -1 << none
                                    << QStringList{"B200", "B400", "B500"};
        QTest::newRow("two columns") << int(griddata::Marka) << QStringList{"ELRING"} << int(griddata::Adi)
                                     << QStringList{"KEÇE"} << QStringList{"B200"};
        QTest::newRow("formatted number")
            << int(griddata::Net) << QStringList{"1,234,567.50"} << -1 << none << QStringList{"B100"};
        QTest::newRow("icon column by code")
            << int(griddata::Durum) << QStringList{"7"} << -1 << none << QStringList{"B300"};
        QTest::newRow("no match") << int(griddata::Marka) << QStringList{"NGK"} << -1 << none
                                  << QStringList{};
    }

    void filters()
    {
        QFETCH(int, column);
        QFETCH(QStringList, accepted);
        QFETCH(int, column2);
        QFETCH(QStringList, accepted2);
        QFETCH(QStringList, expected);
        rows->setColumnFilter(column, accepted);
        if (column2 >= 0)
            rows->setColumnFilter(column2, accepted2);
        QCOMPARE(barkods(), expected);
        QVERIFY(rows->headerData(column, Qt::Horizontal, GridRole::Filtered).toBool());
        rows->clearFilters();
        QCOMPARE(rows->rowCount(), 5);
        QVERIFY(!rows->headerData(column, Qt::Horizontal, GridRole::Filtered).toBool());
    }

    void distinctValuesForTheFilterMenu()
    {
        rows->setColumnFilter(griddata::Marka, {"BOSCH"});
        // The menu offers every value of the column, not only the filtered ones.
        QCOMPARE(rows->distinctTexts(griddata::Marka), QStringList({"BOSCH", "ELRING", "MANN"}));
    }

    void sorting_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("number ascending, not as text") << int(griddata::Net) << int(Qt::AscendingOrder)
                                                       << QStringList{"B500", "B200", "B300", "B400", "B100"};
        QTest::newRow("number descending") << int(griddata::Net) << int(Qt::DescendingOrder)
                                           << QStringList{"B100", "B400", "B300", "B200", "B500"};
        QTest::newRow("date") << int(griddata::Tarih) << int(Qt::AscendingOrder)
                              << QStringList{"B400", "B500", "B100", "B200", "B300"};
        QTest::newRow("text, equal keys keep order") << int(griddata::Marka) << int(Qt::AscendingOrder)
                                                     << QStringList{"B100", "B300", "B200", "B500", "B400"};
        QTest::newRow("dataset order")
            << -1 << int(Qt::AscendingOrder) << QStringList{"B100", "B200", "B300", "B400", "B500"};
    }

    void sorting()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QStringList, expected);
        rows->sort(column, Qt::SortOrder(order));
        QCOMPARE(barkods(), expected);
        for (int r = 0; r < rows->rowCount(); ++r)
            QCOMPARE(rows->rowOfSource(rows->sourceRow(r)), r);
    }

    void sortKeepsPersistentRows()
    {
        QPersistentModelIndex b300 = rows->index(2, griddata::Adi);
        rows->sort(griddata::Net, Qt::DescendingOrder);
        QCOMPARE(b300.row(), 2);
        rows->sort(griddata::Net, Qt::AscendingOrder);
        QCOMPARE(rows->index(b300.row(), griddata::Barkod).data(GridRole::Text).toString(), QString("B300"));
        rows->setColumnFilter(griddata::Marka, {"MANN"});
        QVERIFY(!b300.isValid()); // filtered out
    }

    void summaries_data()
    {
        QTest::addColumn<QStringList>("marka");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("net");
        QTest::addColumn<QString>("miktar");
        QTest::newRow("all rows") << QStringList{} << "5"
                                  << "1,234,687.25"
                                  << "20";
        QTest::newRow("filtered") << QStringList{"ELRING"} << "2"
                                  << "9.50"
                                  << "13";
        QTest::newRow("nothing passes") << QStringList{"NGK"} << "0"
                                        << "0.00"
                                        << "0";
    }

    void summaries()
    {
        QFETCH(QStringList, marka);
        QFETCH(QString, count);
        QFETCH(QString, net);
        QFETCH(QString, miktar);
        rows->setSummaries(
            {{"BARKOD", SummaryKind::Count}, {"NETTUTAR", SummaryKind::Sum}, {"MIKTAR", SummaryKind::Sum}});
        rows->setColumnFilter(griddata::Marka, marka);
        QCOMPARE(rows->summaryText(0), count);
        QCOMPARE(rows->summaryText(1), net);
        QCOMPARE(rows->summaryText(2), miktar);
    }

    void summaryFollowsDataChanges()
    {
        rows->setSummaries({{"MIKTAR", SummaryKind::Sum}});
        QCOMPARE(rows->summaryText(0), QString("20"));
        ds->setRecNo(0);
        ds->edit();
        ds->setFieldValue(u"MIKTAR", 12);
        ds->post();
        QCOMPARE(rows->summaryText(0), QString("30"));
        ds->deleteRecord();
        QCOMPARE(rows->summaryText(0), QString("18"));
    }

    void countSkipsNulls()
    {
        ds->setRecNo(3);
        ds->edit();
        ds->setFieldValue(u"BARKOD", QVariant());
        ds->post();
        rows->setSummaries({{"BARKOD", SummaryKind::Count}, {"NOSUCHFIELD", SummaryKind::Sum}});
        QCOMPARE(rows->summaryText(0), QString("4"));
        QCOMPARE(rows->summaryText(1), QString()); // unknown field: no text, no crash
    }

    void grouping()
    {
        rows->setSummaries({{"NETTUTAR", SummaryKind::Sum}, {"TARIH", SummaryKind::Count}});
        rows->setGrouping("SATICIADI");
        QCOMPARE(rows->groupCount(), 3);
        // Ascending by the representative, each group a header, rows, footer.
        QCOMPARE(rows->groupKey(0), QString("ALİ"));
        QCOMPARE(rows->groupKey(1), QString("AYŞE"));
        QCOMPARE(rows->groupKey(2), QString("MEHMET"));
        QCOMPARE(rows->rowCount(), 5 + 2 * 3);
        QCOMPARE(rows->rowKind(0), GridRowKind::GroupHeader);
        QCOMPARE(rows->rowKind(2), GridRowKind::GroupFooter);
        QCOMPARE(barkods(), QStringList({"B400", "B100", "B300", "B200", "B500"}));
        QCOMPARE(rows->summaryText(0, 1), QString("1,234,577.75"));
        QCOMPARE(rows->summaryText(1, 1), QString("2"));
        QCOMPARE(rows->index(6, griddata::Net).data().toString(), QString("1,234,577.75")); // AYŞE's footer
        QCOMPARE(rows->index(6, griddata::Tarih).data().toString(), QString("2"));
        QVERIFY(!rows->index(6, griddata::Adi).data().isValid());
        QVERIFY(rows->index(3, 0).data().toString().endsWith("AYŞE"));
        QVERIFY(!(rows->flags(rows->index(0, 1)) & Qt::ItemIsSelectable));

        rows->setAllGroupsExpanded(false);
        QCOMPARE(rows->rowCount(), 6); // headers and footers stay visible
        QCOMPARE(rows->rowOfSource(0), -1);
        QCOMPARE(rows->summaryText(0, 2), QString("9.50"));
        rows->setGroupExpanded(2, true);
        QCOMPARE(barkods(), QStringList({"B200", "B500"}));

        // The export sees every row, collapsed or not.
        QStringList exported;
        rows->forEachExportRow([&](GridRowKind kind, int n) {
            if (kind == GridRowKind::Data)
                exported << ds->table().string(n, 1);
        });
        QCOMPARE(exported, QStringList({"B400", "B100", "B300", "B200", "B500"}));
    }

    void groupingDescendingWithinSort()
    {
        rows->setGrouping("SATICIADI", Qt::DescendingOrder);
        rows->sort(griddata::Net, Qt::AscendingOrder);
        QCOMPARE(rows->groupKey(0), QString("MEHMET"));
        QCOMPARE(barkods(), QStringList({"B500", "B200", "B300", "B100", "B400"}));
    }
};

QTEST_MAIN(TestGridModels)
#include "tst_gridmodels.moc"
