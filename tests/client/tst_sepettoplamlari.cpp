// Basket totals over the selected lines, without widgets or a server.
#include <basket/sepettoplamlari.h>
#include <platform/clientdataset.h>

#include <QTest>

using namespace kolvar;

namespace {

// One basket line: SEC, TUTAR, INDIRIMTUTAR, VERGITUTARI.
struct Satir {
    int sec;
    double tutar;
    double indirim;
    double vergi;
};

Table sepetTablosu(const QList<Satir> &satirlar)
{
    Table t({{"SIRANO", ColumnType::Int32},
             {"SEC", ColumnType::Int32},
             {"TUTAR", ColumnType::Double},
             {"INDIRIMTUTAR", ColumnType::Double},
             {"VERGITUTARI", ColumnType::Double}});
    for (const Satir &s : satirlar) {
        const int r = t.appendRow();
        t.setInteger(r, 0, r + 1);
        t.setInteger(r, 1, s.sec);
        t.setReal(r, 2, s.tutar);
        t.setReal(r, 3, s.indirim);
        t.setReal(r, 4, s.vergi);
    }
    return t;
}

} // namespace

Q_DECLARE_METATYPE(QList<Satir>)

class TestSepetToplamlari : public QObject
{
    Q_OBJECT
private slots:
    void toplamlar_data();
    void toplamlar();
    void kapaliSepet();
};

void TestSepetToplamlari::toplamlar_data()
{
    QTest::addColumn<QList<Satir>>("satirlar");
    QTest::addColumn<double>("T");
    QTest::addColumn<double>("I");
    QTest::addColumn<double>("N");
    QTest::addColumn<double>("V");
    QTest::addColumn<double>("G");

    QTest::newRow("empty basket") << QList<Satir>{} << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("nothing selected")
        << QList<Satir>{{0, 100, 10, 16.2}, {0, 50, 0, 9}} << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("unselected lines do not count")
        << QList<Satir>{{1, 100, 10, 16.2}, {0, 50, 0, 9}} << 100.0 << 10.0 << 90.0 << 16.2 << 106.2;
    QTest::newRow("only SEC 1 counts")
        << QList<Satir>{{2, 100, 0, 18}, {-1, 5, 0, 1}, {1, 1, 0, 0.2}} << 1.0 << 0.0 << 1.0 << 0.2 << 1.2;
    // Each line's VAT is rounded before it is added.
    QTest::newRow("two half cents of VAT")
        << QList<Satir>{{1, 0, 0, 0.005}, {1, 0, 0, 0.005}} << 0.0 << 0.0 << 0.0 << 0.02 << 0.02;
    QTest::newRow("VAT below half a cent vanishes")
        << QList<Satir>{{1, 10, 0, 0.004}, {1, 10, 0, 0.004}} << 20.0 << 0.0 << 20.0 << 0.0 << 20.0;
    // The gross and discount sums are rounded after every line, so amounts
    // below half a cent never add up.
    QTest::newRow("gross rounded at every step")
        << QList<Satir>{{1, 0.004, 0.004, 0}, {1, 0.004, 0.004, 0}, {1, 0.004, 0.004, 0}} << 0.0 << 0.0 << 0.0
        << 0.0 << 0.0;
    QTest::newRow("halves away from zero")
        << QList<Satir>{{1, 0.125, 0.025, 0.125}} << 0.13 << 0.03 << 0.10 << 0.13 << 0.23;
    // Rounding only the sum would give 1.00.
    QTest::newRow("VAT of thirds") << QList<Satir>{{1, 1, 0, 0.333}, {1, 1, 0, 0.333}, {1, 1, 0, 0.333}}
                                   << 3.0 << 0.0 << 3.0 << 0.99 << 3.99;
    QTest::newRow("credit line") << QList<Satir>{{1, 200, 20, 36}, {1, -50, -5, -9}} << 150.0 << 15.0 << 135.0
                                 << 27.0 << 162.0;
    QTest::newRow("large amounts") << QList<Satir>{{1, 1234567.891, 0.004, 222222.2222}} << 1234567.89 << 0.0
                                   << 1234567.89 << 222222.22 << 1456790.11;
}

void TestSepetToplamlari::toplamlar()
{
    QFETCH(QList<Satir>, satirlar);
    ClientDataSet ds;
    ds.assignData(sepetTablosu(satirlar));
    const SepetToplamlari t = ToplamlariHesapla(ds);
    const auto ayni = [](double a, double b) { return qAbs(a - b) < 1e-9; };
    QFETCH(double, T);
    QFETCH(double, I);
    QFETCH(double, N);
    QFETCH(double, V);
    QFETCH(double, G);
    QVERIFY2(ayni(t.T, T), qPrintable(QString::number(t.T, 'g', 17)));
    QVERIFY2(ayni(t.I, I), qPrintable(QString::number(t.I, 'g', 17)));
    QVERIFY2(ayni(t.N, N), qPrintable(QString::number(t.N, 'g', 17)));
    QVERIFY2(ayni(t.V, V), qPrintable(QString::number(t.V, 'g', 17)));
    QVERIFY2(ayni(t.G, G), qPrintable(QString::number(t.G, 'g', 17)));
}

void TestSepetToplamlari::kapaliSepet()
{
    ClientDataSet ds;
    const SepetToplamlari t = ToplamlariHesapla(ds);
    QCOMPARE(t.T + t.I + t.N + t.V + t.G, 0.0);
}

QTEST_MAIN(TestSepetToplamlari)
#include "tst_sepettoplamlari.moc"
