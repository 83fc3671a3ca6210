#include <methods/fiyat.h>

#include <QTest>

using namespace kolvar::server;

// Prices per account and line amounts: the arithmetic the basket, the stock
// lists and the orders share.
class TestPricing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stockPrice_data()
    {
        QTest::addColumn<double>("liste");
        QTest::addColumn<double>("kamp");
        QTest::addColumn<double>("kdv");
        QTest::addColumn<QList<double>>("cari");
        QTest::addColumn<double>("fiyat");
        QTest::addColumn<double>("net");
        QTest::addColumn<double>("kdvDahil");
        QTest::addColumn<QString>("yazi");
        QTest::addColumn<int>("k");

        QTest::newRow("no discount") << 100.0 << 0.0 << 20.0 << QList<double>{0, 0, 0, 0} << 100.0 << 100.0
                                     << 120.0 << QString() << 0;
        QTest::newRow("cascade 10+5") << 100.0 << 0.0 << 20.0 << QList<double>{10, 5, 0, 0} << 100.0 << 85.5
                                      << 102.6 << QStringLiteral("10+5") << 0;
        QTest::newRow("four rates") << 1000.0 << 0.0 << 18.0 << QList<double>{10, 10, 10, 10} << 1000.0
                                    << 656.1 << 774.2 << QStringLiteral("10+10+10+10") << 0;
        QTest::newRow("zero rate skipped in text") << 200.0 << 0.0 << 0.0 << QList<double>{0, 12.5, 0, 0}
                                                   << 200.0 << 175.0 << 175.0 << QStringLiteral("12,5") << 0;
        // 33.33 × 0.85 = 28.3305 → 28.33; × 1.2 = 33.996 → 34.00
        QTest::newRow("net rounded before VAT") << 33.33 << 0.0 << 20.0 << QList<double>{15, 0, 0, 0} << 33.33
                                                << 28.33 << 34.0 << QStringLiteral("15") << 0;
        // half away from zero: 0.125 → 0.13
        QTest::newRow("half up") << 0.25 << 0.0 << 0.0 << QList<double>{50, 0, 0, 0} << 0.25 << 0.13 << 0.13
                                 << QStringLiteral("50") << 0;
        QTest::newRow("campaign ignores account rates") << 100.0 << 75.0 << 20.0 << QList<double>{10, 5, 0, 0}
                                                        << 75.0 << 75.0 << 90.0 << QStringLiteral("%25") << 1;
        QTest::newRow("campaign above list price") << 100.0 << 120.0 << 20.0 << QList<double>{10, 0, 0, 0}
                                                   << 120.0 << 120.0 << 144.0 << QString() << 1;
        QTest::newRow("rate over 100 capped") << 50.0 << 0.0 << 20.0 << QList<double>{150, 0, 0, 0} << 50.0
                                              << 0.0 << 0.0 << QStringLiteral("100") << 0;
        QTest::newRow("negative rate ignored")
            << 50.0 << 0.0 << 20.0 << QList<double>{-10, 0, 0, 0} << 50.0 << 50.0 << 60.0 << QString() << 0;
    }
    void stockPrice()
    {
        QFETCH(double, liste);
        QFETCH(double, kamp);
        QFETCH(double, kdv);
        QFETCH(QList<double>, cari);
        StokFiyatGirdisi g{liste, kamp, kdv};
        const StokFiyati f = StokFiyatiHesapla(g, {cari[0], cari[1], cari[2], cari[3]});
        QTEST(f.fiyat, "fiyat");
        QTEST(f.netFiyat, "net");
        QTEST(f.kdvDahil, "kdvDahil");
        QTEST(f.indirimYazi, "yazi");
        QTEST(f.k, "k");
        QCOMPARE(f.listeFiyat1, liste);
        QCOMPARE(f.eskiFiyat, liste);
        QCOMPARE(f.kampFiyat, kamp > 0 ? kamp : 0.0);
        if (f.k)
            QCOMPARE(f.ind, (Indirimler{0, 0, 0, 0})); // nothing more to apply on top of a campaign
    }

    void lineAmounts_data()
    {
        QTest::addColumn<double>("miktar");
        QTest::addColumn<double>("birim");
        QTest::addColumn<QList<double>>("ind");
        QTest::addColumn<double>("kdv");
        QTest::addColumn<double>("tutar");
        QTest::addColumn<double>("indirimTutar");
        QTest::addColumn<double>("netTutar");
        QTest::addColumn<double>("vergi");

        QTest::newRow("plain") << 3.0 << 100.0 << QList<double>{0, 0, 0, 0} << 18.0 << 300.0 << 0.0 << 300.0
                               << 54.0;
        QTest::newRow("cascade") << 2.0 << 100.0 << QList<double>{10, 5, 0, 0} << 20.0 << 200.0 << 29.0
                                 << 171.0 << 34.2;
        // net unit 0.95 × 0.7 is stored as 0.66499999… → 0.66, as the client
        // rounds it; × 3 = 1.98; VAT 8 % of 1.98 = 0.1584 → 0.16
        QTest::newRow("rounded per step")
            << 3.0 << 0.95 << QList<double>{30, 0, 0, 0} << 8.0 << 2.85 << 0.87 << 1.98 << 0.16;
        QTest::newRow("zero VAT") << 1.0 << 59.99 << QList<double>{0, 0, 0, 0} << 0.0 << 59.99 << 0.0 << 59.99
                                  << 0.0;
        // 2.5 × 10.01 is stored as 25.02499999…
        QTest::newRow("fractional quantity")
            << 2.5 << 10.01 << QList<double>{0, 0, 0, 0} << 20.0 << 25.02 << 0.0 << 25.02 << 5.0;
    }
    void lineAmounts()
    {
        QFETCH(double, miktar);
        QFETCH(double, birim);
        QFETCH(QList<double>, ind);
        QFETCH(double, kdv);
        const SatirTutari s = SatirHesapla(miktar, birim, {ind[0], ind[1], ind[2], ind[3]}, kdv);
        QTEST(s.tutar, "tutar");
        QTEST(s.indirimTutar, "indirimTutar");
        QTEST(s.netTutar, "netTutar");
        QTEST(s.vergiTutari, "vergi");
        // The client's totals rest on these identities.
        QCOMPARE(ParaYuvarla(s.tutar - s.indirimTutar), s.netTutar);
        QCOMPARE(s.kdvliTutar, ParaYuvarla(s.netTutar + s.vergiTutari));
    }

    void rounding_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        QTest::newRow("half up") << 0.125 << 0.13;
        QTest::newRow("half down negative") << -0.125 << -0.13;
        QTest::newRow("large") << 1234567.891 << 1234567.89;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0.0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0.0;
    }
    void rounding()
    {
        QFETCH(double, x);
        QTEST(ParaYuvarla(x), "expected");
    }
};

QTEST_GUILESS_MAIN(TestPricing)
#include "tst_pricing.moc"
