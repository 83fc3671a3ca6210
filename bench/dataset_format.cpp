// Client dataset and number formatting on a 100,000-row basket-like table:
// copying a reader, formatting every amount for display, locating the last
// row, and the cost of one rounding.

#include <format/numberformat.h>
#include <platform/clientdataset.h>
#include <platform/datasethelpers.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace kolvar;

namespace {

constexpr int Rows = 100000;

Table makeReader()
{
    Table t({{"SIRANO", ColumnType::Int32},
             {"STOKADI", ColumnType::String, 60},
             {"MIKTAR", ColumnType::Double},
             {"NETTUTAR", ColumnType::Double},
             {"KDVLITUTAR", ColumnType::Double},
             {"SEC", ColumnType::Int32}});
    t.reserve(Rows);
    for (int i = 0; i < Rows; ++i) {
        const int r = t.appendRow();
        t.setInteger(r, 0, i);
        t.setString(r, 1, QStringLiteral("Fren balatası ön takım %1").arg(i));
        t.setReal(r, 2, i % 17 + 1);
        t.setReal(r, 3, 1234.5678 * (i % 1000));
        t.setReal(r, 4, 1456.789 * (i % 1000));
        t.setInteger(r, 5, 0);
    }
    return t;
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const Table reader = makeReader();

    QElapsedTimer t;
    ClientDataSet ds;
    t.start();
    ds.disableControls();
    ds.copyReader(reader);
    OndalikBicimle(ds);
    ds.enableControls();
    std::printf("copyReader + OndalikBicimle, %d rows x 6: %.1f ms\n", Rows, ms(t));

    t.restart();
    qsizetype chars = 0;
    for (int r = 0; r < Rows; ++r)
        for (int c = 2; c <= 4; ++c)
            chars += ds.displayText(r, c).size();
    const double fmtMs = ms(t);
    std::printf("displayText of %d amounts: %.1f ms (%.0f ns each, %lld chars)\n", Rows * 3, fmtMs,
                fmtMs * 1e6 / (Rows * 3), static_cast<long long>(chars));

    t.restart();
    const bool found = ds.locate(u"SIRANO", Rows - 1);
    std::printf("locate of the last row: %.2f ms (%s)\n", ms(t), found ? "found" : "missing");

    t.restart();
    const bool any = SeciliVarmi(ds);
    std::printf("SeciliVarmi over %d unselected rows: %.2f ms (%s)\n", Rows, ms(t), any ? "yes" : "no");

    t.restart();
    double sum = 0;
    for (int i = 0; i < 1000000; ++i)
        sum += IkiHaneYuvarla(i * 0.001 + 0.005);
    const double roundMs = ms(t);
    std::printf("IkiHaneYuvarla: %.0f ns per call (checksum %.2f)\n", roundMs * 1e6 / 1000000, sum);
    return 0;
}
