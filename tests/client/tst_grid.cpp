#include "tst_grid_data.h"

#include <platform/grid/gridfooter.h>
#include <platform/grid/gridheaderview.h>
#include <platform/grid/gridrowmodel.h>
#include <platform/grid/gridtableview.h>

#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using namespace kolvar;

namespace {
// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QAction *actionNamed(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}
} // namespace

class TestGrid : public QObject
{
    Q_OBJECT

    ClientDataSet *ds = nullptr;
    DataGrid *grid = nullptr;

    QString focusedBarkod() const
    {
        const int row = grid->focusedRecord();
        return row >= 0 ? ds->table().string(row, griddata::Barkod) : QString();
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init()
    {
        ds = new ClientDataSet(this);
        griddata::load(*ds);
        grid = new DataGrid;
        grid->resize(830, 300);
        grid->setColumns(griddata::columns());
        grid->setDataSet(ds);
    }

    void cleanup()
    {
        delete grid;
        delete ds;
    }

    void captionsAndDefaults()
    {
        QCOMPARE(grid->rowModel()->headerData(griddata::Adi, Qt::Horizontal).toString(), QString("Açıklama"));
        // No caption: the header is the field name.
        QCOMPARE(grid->rowModel()->headerData(griddata::Satici, Qt::Horizontal).toString(),
                 QString("SATICIADI"));
        QVERIFY(!grid->isColumnVisible(griddata::Tarih));
        QCOMPARE(grid->columnOfCaption(u"Seç"), int(griddata::Sec));
        // Loaded: the dataset's current record is focused.
        QCOMPARE(grid->focusedRecord(), 0);
    }

    void incrementalSearch_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("focused");
        QTest::newRow("first letters") << int(griddata::Adi) << 0 << "KE"
                                       << "B200";
        QTest::newRow("longer prefix moves on") << int(griddata::Adi) << 0 << "KEL"
                                                << "B500";
        QTest::newRow("lower case typed") << int(griddata::Adi) << 0 << "kay"
                                          << "B300";
        QTest::newRow("from the focused row on, wrapping") << int(griddata::Marka) << 3 << "B"
                                                           << "B100";
        QTest::newRow("focused row itself matches") << int(griddata::Marka) << 2 << "BOS"
                                                    << "B300";
        QTest::newRow("no match keeps the row") << int(griddata::Adi) << 1 << "XYZ"
                                                << "B200";
        QTest::newRow("other column") << int(griddata::Barkod) << 0 << "B4"
                                      << "B400";
    }

    void incrementalSearch()
    {
        QFETCH(int, column);
        QFETCH(int, startRow);
        QFETCH(QString, typed);
        QFETCH(QString, focused);
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid));
        grid->setFocusedRecord(startRow);
        grid->setFocusedColumn(column);
        QTest::keyClicks(grid->view(), typed);
        QCOMPARE(focusedBarkod(), focused);
        QCOMPARE(grid->focusedColumn(), column);
    }

    void searchSkipsFilteredRows()
    {
        grid->setColumnFilter(griddata::Marka, {"ELRING"});
        grid->setFocusedColumn(griddata::Adi);
        QVERIFY(grid->view()->incrementalSearch("KE"));
        QCOMPARE(focusedBarkod(), QString("B200"));
        QVERIFY(!grid->view()->incrementalSearch("FİL")); // B400 is filtered out
    }

    void filterMenu()
    {
        std::unique_ptr<QMenu> menu(grid->createFilterMenu(griddata::Marka, nullptr));
        QAction *elring = actionNamed(menu.get(), "ELRING");
        QVERIFY(elring);
        QVERIFY(elring->isCheckable() && !elring->isChecked());
        elring->trigger();
        QCOMPARE(grid->recordCount(), 2);
        QVERIFY(grid->header()
                    ->model()
                    ->headerData(griddata::Marka, Qt::Horizontal, GridRole::Filtered)
                    .toBool());
        actionNamed(menu.get(), "MANN")->trigger();
        QCOMPARE(grid->recordCount(), 3);

        // A fresh menu shows the current filter checked.
        std::unique_ptr<QMenu> again(grid->createFilterMenu(griddata::Marka, nullptr));
        QVERIFY(actionNamed(again.get(), "MANN")->isChecked());
        QVERIFY(!actionNamed(again.get(), "BOSCH")->isChecked());
        again->actions().first()->trigger(); // all values
        QCOMPARE(grid->recordCount(), 5);

        grid->setColumnFilter(griddata::Adi, {"KEÇE"});
        grid->setColumnFilter(griddata::Marka, {"ELRING"});
        grid->clearFilters();
        QVERIFY(!grid->hasFilters());
        QCOMPARE(grid->recordCount(), 5);
    }

    void filterButtonDoesNotSort()
    {
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid));
        const QRect b = grid->header()->filterButtonRect(griddata::Marka);
        QVERIFY(b.isValid());
        QSignalSpy clicked(grid->header(), &GridHeaderView::filterButtonClicked);
        QTest::mouseClick(grid->header()->viewport(), Qt::LeftButton, {}, b.center());
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.first().first().toInt(), int(griddata::Marka));
        QCOMPARE(grid->rowModel()->sortColumn(), -1);
        const auto menus = grid->findChildren<QMenu *>("filterMenu");
        QCOMPARE(menus.size(), 1);
        menus.first()->close();
    }

    void headerSorting_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("first");
        QTest::newRow("one click ascending") << true << 1 << "B500";
        QTest::newRow("second click descending") << true << 2 << "B100";
        QTest::newRow("sorting switched off") << false << 1 << "B100";
    }

    void headerSorting()
    {
        QFETCH(bool, enabled);
        QFETCH(int, clicks);
        QFETCH(QString, first);
        grid->setSortingEnabled(enabled);
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid));
        grid->setFocusedRecord(2); // B300
        const int x = grid->header()->sectionViewportPosition(griddata::Net) + 10;
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(grid->header()->viewport(), Qt::LeftButton, {}, QPoint(x, 10));
        const int firstRow = grid->rowModel()->sourceRow(0);
        QCOMPARE(ds->table().string(firstRow, griddata::Barkod), first);
        QCOMPARE(focusedBarkod(), QString("B300")); // the focus stays on its record
    }

    void customisationMenu()
    {
        std::unique_ptr<QMenu> menu(grid->createCustomisationMenu(nullptr));
        QStringList listed;
        for (QAction *a : menu->actions())
            listed << a->text();
        // "Seç" is never offered.
        QCOMPARE(listed, QStringList({"Durum", "Barkod", "Açıklama", "Marka", "Net Tutar", "Miktar", "Tarih",
                                      "SATICIADI", "Fiyat Bilgisi"}));
        QVERIFY(actionNamed(menu.get(), "Marka")->isChecked());
        QVERIFY(!actionNamed(menu.get(), "Tarih")->isChecked());
        actionNamed(menu.get(), "Marka")->trigger();
        QVERIFY(!grid->isColumnVisible(griddata::Marka));
        actionNamed(menu.get(), "Tarih")->trigger();
        QVERIFY(grid->isColumnVisible(griddata::Tarih));

        grid->setColumnOffered(griddata::Durum, false);
        std::unique_ptr<QMenu> again(grid->createCustomisationMenu(nullptr));
        QVERIFY(!actionNamed(again.get(), "Durum"));
        QVERIFY(!actionNamed(again.get(), "Marka")->isChecked());
    }

    void weightUnit_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("sum");
        QTest::addColumn<int>("unit");
        QTest::newRow("exact") << 130 << 10 << 10;
        QTest::newRow("truncated") << 1000 << 7 << 138; // 970 / 7 = 138.57
        QTest::newRow("zero sum") << 1000 << 0 << 0;
        QTest::newRow("narrower than the margin") << 20 << 4 << 0;
    }

    void weightUnit()
    {
        QFETCH(int, width);
        QFETCH(int, sum);
        QFETCH(int, unit);
        QCOMPARE(DataGrid::weightUnit(width, sum), unit);
    }

    void applyWeights()
    {
        // Visible: Durum 1, Barkod 2, Açıklama 4, Marka 2, Seç 1, Net 1, Miktar 1 = 12.
        grid->resize(1030, 300);
        QVERIFY(grid->applyWeights());
        const int unit = (1030 - 30) / 12;
        QCOMPARE(grid->columnWidth(griddata::Durum), unit);
        QCOMPARE(grid->columnWidth(griddata::Adi), 4 * unit);
        QCOMPARE(grid->columnWidth(griddata::Marka), 2 * unit);

        // Hidden columns do not count.
        grid->setColumnVisible(griddata::Adi, false);
        QVERIFY(grid->applyWeights());
        QCOMPARE(grid->columnWidth(griddata::Durum), (1030 - 30) / 8);
    }

    void applyWeightsDoesNothing_data()
    {
        QTest::addColumn<bool>("noneVisible");
        QTest::newRow("no visible column") << true;
        QTest::newRow("weights sum to zero") << false;
    }

    void applyWeightsDoesNothing()
    {
        QFETCH(bool, noneVisible);
        QList<GridColumn> cols = griddata::columns();
        for (GridColumn &c : cols) {
            if (noneVisible)
                c.visible = false;
            else
                c.weight = 0;
            c.width = 77;
        }
        grid->setColumns(cols);
        QVERIFY(!grid->applyWeights());
        grid->setColumnVisible(griddata::Barkod, true);
        QCOMPARE(grid->columnWidth(griddata::Barkod), 77);
    }

    void bestFitFollowsContent()
    {
        grid->setColumnWidth(griddata::Adi, 5);
        grid->setColumnWidth(griddata::Barkod, 500);
        grid->bestFit();
        const QFontMetrics fm(grid->look().font);
        QVERIFY(grid->columnWidth(griddata::Adi) >= fm.horizontalAdvance("FREN BALATASI"));
        QVERIFY(grid->columnWidth(griddata::Barkod) < 200);
    }

    void weightsAroundFixedWidths()
    {
        grid->resize(830, 300);
        const QList<int> visible = grid->visibleColumns();
        QVERIFY(visible.size() >= 3);
        const int fixedColumn = visible.at(1);
        QVERIFY(grid->applyWeights({{fixedColumn, 200}}));
        int weights = 0;
        for (int c : visible)
            if (c != fixedColumn)
                weights += grid->columns().at(c).weight;
        const int unit = (830 - 200 - 30) / weights;
        QCOMPARE(grid->columnWidth(fixedColumn), 200);
        for (int c : visible)
            if (c != fixedColumn)
                QCOMPARE(grid->columnWidth(c), grid->columns().at(c).weight * unit);
    }

    void footer()
    {
        grid->setSummaries({{"BARKOD", SummaryKind::Count}, {"NETTUTAR", SummaryKind::Sum}});
        QVERIFY(!grid->footer()->isHidden());
        QCOMPARE(grid->footerText(griddata::Barkod), QString("5"));
        QCOMPARE(grid->footerText(griddata::Net), QString("1,234,687.25"));
        QCOMPARE(grid->footerText(griddata::Adi), QString());
        grid->setColumnFilter(griddata::Marka, {"BOSCH"});
        QCOMPARE(grid->footerText(griddata::Net), QString("1,234,577.75"));

        // A total wider than its column is written whole, running on to the
        // left, never cut to its last digits.
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid));
        grid->setColumnWidth(griddata::Net, 30);
        QFont bold = grid->look().font;
        bold.setBold(true);
        const QRect r = grid->footer()->textRect(griddata::Net);
        QVERIFY(r.width() >= QFontMetrics(bold).horizontalAdvance(QString("1,234,577.75")));
        QCOMPARE(grid->footer()->textRect(griddata::Adi), QRect());
        grid->clearFilters();
    }

    void groupingHidesItsColumn()
    {
        grid->setColumnVisible(griddata::Satici, true);
        grid->setSummaries({{"NETTUTAR", SummaryKind::Sum}, {"TARIH", SummaryKind::Count}});
        grid->setGrouping("SATICIADI");
        QVERIFY(!grid->isColumnVisible(griddata::Satici));
        QCOMPARE(grid->groupCount(), 3);
        QCOMPARE(grid->groupFooterText(2, griddata::Net), QString("9.50"));
        QCOMPARE(grid->groupFooterText(0, griddata::Tarih), QString("1"));
        grid->collapseAll();
        QCOMPARE(grid->rowCount(), 6);
        QCOMPARE(grid->footerText(griddata::Net), QString("1,234,687.25"));
        // A click on a group row opens it.
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid));
        const QRect r = grid->view()->visualRect(grid->rowModel()->index(0, griddata::Barkod));
        QTest::mouseClick(grid->view()->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(grid->rowCount(), 7);
        grid->expandAll();
        QCOMPARE(grid->rowCount(), 11);
        QCOMPARE(grid->recordCount(), 5);
        grid->clearGrouping();
        QVERIFY(grid->isColumnVisible(griddata::Satici));
    }

    void focusFollowsAndMovesTheCursor()
    {
        QSignalSpy records(grid, &DataGrid::focusedRecordChanged);
        QSignalSpy columns(grid, &DataGrid::focusedColumnChanged);
        QVERIFY(grid->setFocusedRecord(3));
        QCOMPARE(ds->recNo(), 3);
        QCOMPARE(records.last().first().toInt(), 3);
        grid->setFocusedColumn(griddata::Sec);
        QCOMPARE(grid->focusedField(), QString("SEC"));
        QCOMPARE(columns.last().first().toInt(), int(griddata::Sec));
        // Moving the dataset (locate) moves the grid.
        QVERIFY(ds->locate(u"BARKOD", QStringLiteral("B500")));
        QCOMPARE(grid->focusedRecord(), 4);
        grid->setColumnFilter(griddata::Marka, {"MANN"});
        QVERIFY(!grid->setFocusedRecord(4));
    }

    void doubleClickAndPopup()
    {
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid));
        QSignalSpy dbl(grid, &DataGrid::doubleClicked);
        const QRect r = grid->view()->visualRect(grid->rowModel()->index(1, griddata::Adi));
        QTest::mouseClick(grid->view()->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(grid->view()->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(dbl.first().first().toInt(), 1);
        QSignalSpy popup(grid, &DataGrid::popupRequested);
        Q_EMIT grid->view()->customContextMenuRequested(r.center());
        QCOMPARE(popup.count(), 1);
    }

    void batchUpdatePaintsOnce()
    {
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid));
        PaintCounter counter;
        grid->view()->viewport()->installEventFilter(&counter);
        grid->beginUpdate();
        grid->beginUpdate();
        griddata::load(*ds);
        grid->view()->viewport()->update();
        QTest::qWait(30);
        grid->endUpdate();
        QTest::qWait(30);
        QCOMPARE(counter.paints, 0); // still inside the outer update
        QVERIFY(grid->isUpdating());
        grid->endUpdate();
        QTRY_VERIFY(counter.paints > 0);
        QVERIFY(!grid->isUpdating());
    }

    void detachAndReattach()
    {
        grid->detach();
        QCOMPARE(grid->rowCount(), 0);
        QCOMPARE(grid->focusedRecord(), -1);
        // Filled while detached, as a background load does.
        Table t = griddata::table();
        t.removeRow(0);
        ds->assignData(t);
        QCOMPARE(grid->rowCount(), 0);
        grid->setDataSet(ds);
        QCOMPARE(grid->rowCount(), 4);
        QCOMPARE(grid->rowModel()->index(0, griddata::Barkod).data().toString(), QString("B200"));
        // A dataset that goes away leaves an empty grid, not a dangling one.
        delete ds;
        ds = nullptr;
        QCOMPARE(grid->rowCount(), 0);
    }

    void drawnCell()
    {
        struct Call {
            int row;
            bool selected;
            RowStyle style;
            QRect rect;
        };
        QList<Call> calls;
        QList<GridColumn> cols = griddata::columns();
        cols[griddata::Fiyat].visible = true;
        cols[griddata::Fiyat].drawer = [&](QPainter *, const QRect &rect, int row, bool selected,
                                           const RowStyle &style) {
            calls.append({row, selected, style, rect});
        };
        grid->setColumns(cols);
        GridLook look;
        look.evenRow = QColor(244, 249, 255);
        look.oddRow = QColor(254, 246, 254);
        look.selection = QColor(200, 230, 255);
        grid->setLook(look);
        grid->sortByColumn(griddata::Net, Qt::AscendingOrder); // view rows differ from dataset rows
        grid->setFocusedRecord(4);                             // B500, first in the view
        grid->resize(1200, 300);
        grid->grab();
        QVERIFY(calls.size() >= 5);
        for (const Call &c : std::as_const(calls)) {
            const int viewRow = grid->rowModel()->rowOfSource(c.row);
            QCOMPARE(c.style.odd, viewRow % 2 == 1);
            QCOMPARE(c.style.background, viewRow % 2 == 1 ? look.oddRow : look.evenRow);
            QCOMPARE(c.style.selectionBackground, look.selection);
            QCOMPARE(c.selected, c.row == 4);
            QVERIFY(qAbs(c.rect.width() - grid->columnWidth(griddata::Fiyat)) <= 1); // less the grid line
        }
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
