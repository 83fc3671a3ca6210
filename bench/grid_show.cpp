// Shows a 100,000 x 40 dataset in the data grid: time from assigning the data
// to the first paint, heap the grid adds on top of the dataset, and heap kept
// after scrolling through every row. With --screenshot FILE it instead
// renders a small stock list with the look of the stock grid into FILE.

#include <platform/clientdataset.h>
#include <platform/grid/datagrid.h>
#include <platform/grid/gridrowmodel.h>
#include <platform/grid/gridtableview.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScrollBar>
#include <QWindow>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

using namespace kolvar;

namespace {

int Rows = 100000; // --rows N for a smaller run
constexpr int Cols = 40;

qint64 heapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return qint64(mi.uordblks + mi.hblkhd);
}

double mib(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

Table bigTable()
{
    QList<ColumnDef> defs;
    for (int c = 0; c < Cols; ++c) {
        ColumnType type = ColumnType::String;
        if (c % 4 == 1)
            type = ColumnType::Int32;
        else if (c % 4 == 2)
            type = ColumnType::Double;
        else if (c == 7 || c == 23)
            type = ColumnType::Date;
        defs.append({QStringLiteral("F%1").arg(c), type, 30});
    }
    Table t(defs);
    t.reserve(Rows);
    const QDate base(2024, 1, 1);
    QString text;
    for (int r = 0; r < Rows; ++r) {
        const int row = t.appendRow();
        for (int c = 0; c < Cols; ++c) {
            switch (defs[c].type) {
            case ColumnType::Int32: t.setInteger(row, c, (r * 7 + c) % 6); break;
            case ColumnType::Double: t.setReal(row, c, (r % 9973) * 1.25 + c); break;
            case ColumnType::Date: t.setDate(row, c, base.addDays(r % 700)); break;
            default:
                text = QStringLiteral("KOD-%1-%2").arg(r).arg(c);
                t.setString(row, c, text);
                break;
            }
        }
    }
    return t;
}

QList<GridColumn> bigColumns()
{
    QList<GridColumn> cols;
    for (int c = 0; c < Cols; ++c) {
        GridColumn col;
        col.field = QStringLiteral("F%1").arg(c);
        col.weight = 1 + c % 3;
        col.width = 90;
        cols << col;
    }
    cols[1].kind = CellKind::Icon;
    return cols;
}

// Processes events until the viewport has painted once; returns milliseconds
// since the timer started.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void showAndWait(QWidget &w)
{
    w.show();
    QElapsedTimer t;
    t.start();
    while ((!w.windowHandle() || !w.windowHandle()->isExposed()) && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

qint64 untilPainted(QWidget *viewport, QElapsedTimer &timer)
{
    PaintWatch watch;
    viewport->installEventFilter(&watch);
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents(); // let the paint finish
    viewport->removeEventFilter(&watch);
    return timer.elapsed();
}

GridLook stockLook()
{
    GridLook look;
    look.evenRow = QColor(244, 249, 255);
    look.oddRow = QColor(254, 246, 254);
    look.selection = QColor(173, 216, 230);
    look.selectionText = Qt::black;
    look.header = QColor(204, 0, 0);
    look.headerText = Qt::white;
    look.font = QFont(QStringLiteral("Arial"));
    look.font.setPixelSize(13);
    look.headerFont = look.font;
    look.headerFont.setBold(true);
    look.headerHeight = 40;
    look.rowHeight = 50;
    look.indicator = true;
    look.wordWrap = true;
    look.showFooter = true;
    return look;
}

QIcon dotIcon(const QColor &colour, bool square = false)
{
    QPixmap p(24, 24);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.darker(140));
    painter.setBrush(colour);
    if (square)
        painter.drawRoundedRect(QRect(3, 5, 18, 14), 3, 3);
    else
        painter.drawEllipse(QRect(4, 4, 16, 16));
    return QIcon(p);
}

int screenshot(const QString &file)
{
    Table t({{"DURUM", ColumnType::Int32},
             {"BARKOD", ColumnType::String},
             {"ADI", ColumnType::String},
             {"RESIM", ColumnType::Int32},
             {"MARKA", ColumnType::String},
             {"MODEL", ColumnType::String},
             {"Y", ColumnType::Int32},
             {"K", ColumnType::Int32},
             {"INDIRIMYAZI", ColumnType::String},
             {"LISTEFIYAT1", ColumnType::Double},
             {"NETFIYAT", ColumnType::Double},
             {"KDVDAHIL", ColumnType::Double}});
    const char *names[] = {"FREN BALATASI ÖN", "YAĞ FİLTRESİ",  "TRİGER SETİ", "AMORTİSÖR ARKA SOL",
                           "HAVA FİLTRESİ",    "DEBRİYAJ SETİ", "BUJİ TAKIMI", "SU POMPASI"};
    const char *brands[] = {"BOSCH", "MANN", "GATES", "SACHS", "MAHLE", "LUK", "NGK", "SKF"};
    for (int r = 0; r < 8; ++r) {
        const int row = t.appendRow();
        const double list = 150.0 + r * 237.35;
        t.setInteger(row, 0, r % 7); // 6 is an unknown code: no icon
        t.setString(row, 1, QStringLiteral("KLV-%1").arg(1040 + r * 17));
        t.setString(row, 2, QString::fromUtf8(names[r]));
        t.setInteger(row, 3, r % 2);
        t.setString(row, 4, QString::fromUtf8(brands[r]));
        t.setString(row, 5, r % 3 ? QStringLiteral("DOBLO 1.3") : QStringLiteral("EGEA 1.6"));
        t.setInteger(row, 6, r % 3 == 0);
        t.setInteger(row, 7, r % 4 == 1);
        t.setString(row, 8, QStringLiteral("%%1+%2").arg(20 + r).arg(5));
        t.setReal(row, 9, list);
        t.setReal(row, 10, list * 0.76);
        t.setReal(row, 11, list * 0.76 * 1.2);
    }
    ClientDataSet ds;
    ds.assignData(t);
    for (const char *f : {"LISTEFIYAT1", "NETFIYAT", "KDVDAHIL"})
        ds.setDisplayFormat(QString::fromLatin1(f), QStringLiteral("#,###,##0.00"));

    const QList<QIcon> status = {dotIcon(QColor(200, 40, 40)),  dotIcon(QColor(40, 170, 60)),
                                 dotIcon(QColor(240, 180, 0)),  dotIcon(QColor(40, 110, 220)),
                                 dotIcon(QColor(150, 60, 190)), dotIcon(QColor(0, 170, 170))};
    const QList<QIcon> flag = {dotIcon(QColor(210, 210, 210)), dotIcon(QColor(230, 120, 0))};
    const QList<QIcon> picture = {QIcon(), dotIcon(QColor(70, 130, 180), true)};
    auto col = [](const char *field, const char *caption, int weight, CellKind kind = CellKind::Text,
                  QList<QIcon> icons = {}) {
        GridColumn c;
        c.field = QString::fromLatin1(field);
        c.caption = QString::fromUtf8(caption);
        c.weight = weight;
        c.kind = kind;
        c.icons = std::move(icons);
        return c;
    };
    QList<GridColumn> cols = {col("DURUM", "Durum", 1, CellKind::Icon, status),
                              col("BARKOD", "Barkod", 2),
                              col("ADI", "Açıklama", 4),
                              col("RESIM", "Resim", 1, CellKind::Icon, picture),
                              col("MARKA", "Marka", 2),
                              col("MODEL", "Model", 2),
                              col("Y", "Yeni", 1, CellKind::Icon, flag),
                              col("K", "Kampanyalı", 1, CellKind::Icon, flag),
                              col("INDIRIMYAZI", "İndirim Oran", 2),
                              col("LISTEFIYAT1", "Liste Fiyatı", 2),
                              col("NETFIYAT", "Net Fiyatı", 2),
                              col("KDVDAHIL", "KDV Dahil Fiyat", 3)};

    DataGrid grid;
    grid.setLook(stockLook());
    grid.setColumns(cols);
    grid.setSummaries({{QStringLiteral("BARKOD"), SummaryKind::Count}});
    grid.setDataSet(&ds);
    grid.resize(1180, 530);
    showAndWait(grid);
    grid.applyWeights();
    grid.setFocusedRecord(2);
    QCoreApplication::processEvents();
    if (!grid.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    std::printf("screenshot written to %s\n", qPrintable(file));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int shot = int(args.indexOf(QStringLiteral("--screenshot")));
    if (shot >= 0)
        return screenshot(args.value(shot + 1, QStringLiteral("grid.png")));

    const int rowsArg = int(args.indexOf(QStringLiteral("--rows")));
    if (rowsArg >= 0)
        Rows = qMax(1, args.value(rowsArg + 1).toInt());
    const qint64 heap0 = heapInUse();
    QElapsedTimer build;
    build.start();
    Table table = bigTable();
    const qint64 buildMs = build.elapsed();
    const qint64 heapTable = heapInUse() - heap0; // moves into the dataset below

    DataGrid grid;
    grid.setColumns(bigColumns());
    grid.setLook(stockLook());
    grid.setSummaries({{QStringLiteral("F0"), SummaryKind::Count}, {QStringLiteral("F2"), SummaryKind::Sum}});
    grid.resize(1400, 800);
    showAndWait(grid);

    // The search's way: detached and in a batch update while the packet is
    // assigned, then re-attached and painted once.
    ClientDataSet ds;
    const qint64 heapBeforeData = heapInUse();
    QElapsedTimer timer;
    timer.start();
    grid.detach();
    grid.beginUpdate();
    ds.assignData(std::move(table));
    const qint64 assignedMs = timer.elapsed();
    const qint64 heapDataSet = heapTable + (heapInUse() - heapBeforeData);
    grid.setDataSet(&ds);
    grid.endUpdate();
    const qint64 firstPaintMs = untilPainted(grid.view()->viewport(), timer);
    const qint64 heapGrid = heapInUse() - heapBeforeData - (heapDataSet - heapTable);

    // Attaching an already filled dataset to a fresh grid.
    DataGrid second;
    second.setColumns(bigColumns());
    second.resize(1400, 800);
    showAndWait(second);
    QElapsedTimer attach;
    attach.start();
    second.setDataSet(&ds);
    const qint64 attachPaintMs = untilPainted(second.view()->viewport(), attach);
    second.hide();

    // Scrolling from top to bottom: 500 page jumps spread over every row.
    QScrollBar *bar = grid.view()->verticalScrollBar();
    const qint64 heapBeforeScroll = heapInUse();
    QElapsedTimer scroll;
    scroll.start();
    int pages = 0;
    const int step = qMax(bar->pageStep(), bar->maximum() / 500);
    for (int v = 0; v <= bar->maximum(); v += step, ++pages) {
        bar->setValue(v);
        grid.view()->viewport()->repaint();
    }
    const qint64 scrollMs = scroll.elapsed();
    const qint64 heapAfterScroll = heapInUse() - heapBeforeScroll;
    const int rowsPerPage = grid.view()->viewport()->height() / grid.look().rowHeight + 1;

    // Sorting and grouping cost: one vector of row numbers.
    const qint64 heapBeforeSort = heapInUse();
    timer.restart();
    grid.sortByColumn(2, Qt::DescendingOrder);
    const qint64 sortMs = timer.elapsed();
    const qint64 heapSort = heapInUse() - heapBeforeSort;
    timer.restart();
    grid.rowModel()->setGrouping(QStringLiteral("F5"));
    const qint64 groupMs = timer.elapsed();

    std::printf("grid_show: %d rows x %d columns\n", Rows, Cols);
    std::printf("  table built                     %6lld ms\n", (long long)buildMs);
    std::printf("  assign (detached, batch update) %6lld ms\n", (long long)assignedMs);
    std::printf("  assign -> first paint           %6lld ms\n", (long long)firstPaintMs);
    std::printf("  attach filled set -> first paint %5lld ms\n", (long long)attachPaintMs);
    std::printf("  dataset heap                    %8.1f MiB\n", mib(heapDataSet));
    std::printf("  grid heap on top                %8.3f MiB (%.2f %%)\n", mib(heapGrid),
                100.0 * double(heapGrid) / double(heapDataSet));
    std::printf("  scroll %d pages (~%d rows each)  %6lld ms, %.2f ms per page, heap kept %+.3f MiB\n", pages,
                rowsPerPage, (long long)scrollMs, double(scrollMs) / qMax(1, pages), mib(heapAfterScroll));
    std::printf("  sort by a float column          %6lld ms, heap %+.3f MiB\n", (long long)sortMs,
                mib(heapSort));
    std::printf("  group by an int column          %6lld ms (%d groups)\n", (long long)groupMs,
                grid.rowModel()->groupCount());
    return 0;
}
