// A unit price typed by a sales representative with SepetEkle2: taken
// within its floor, refused below it; a dealer's price is never taken.
#include "tst_methods_fixture.h"

#include <methods/fiyat.h>

#include <cmath>
#include <limits>

using namespace kolvar;
using namespace kolvar::server;
using namespace kolvar::server::test;

class TestTemsilciFiyati : public QObject
{
    Q_OBJECT

    MethodFixture f;
    qint64 m_cari = 0, m_baskaCari = 0, m_stok = 0, m_kampanyali = 0;
    QMap<QString, QString> m_token;

    qint64 ekle(const QString &kim, qint64 carino, qint64 stokno, double fiyat, double miktar = 2)
    {
        return MethodFixture::value<qint64>(
            f.call("SepetEkle2", m_token.value(kim),
                   {f.bilgi(carino), qint64(carino), qint64(stokno), QStringLiteral("X"), QStringLiteral("X"),
                    miktar, 20.0, fiyat, 0.0, qint64(0), qint64(0), 0.0, 0.0, 0.0}));
    }
    QVariant birimFiyat(qint64 carino, qint64 stokno)
    {
        return f.scalar(QStringLiteral("SELECT birimfiyat FROM sepet WHERE carino = ? AND stokno = ?"),
                        {carino, stokno});
    }

private Q_SLOTS:
    void initTestCase_data() { MethodFixture::backends(); }
    void init()
    {
        QFETCH_GLOBAL(QString, backend);
        if (!f.open(backend))
            return;
        const qint64 satici = f.addSatici(QStringLiteral("AHMET YILMAZ"));
        // Rates 10 % and 5 %: list price 100 nets 85.50.
        m_cari = f.addCari(QStringLiteral("120.01.001"), QStringLiteral("ÇAĞDAŞ OTO"), satici, 10, 5);
        m_baskaCari = f.addCari(QStringLiteral("120.01.002"), QStringLiteral("BAŞKA OTO"), 0, 10, 5);
        m_stok = f.addStok({QStringLiteral("FB-1"), QStringLiteral("FREN BALATASI"), 100, 0, 20});
        m_kampanyali = f.addStok({QStringLiteral("YF-1"), QStringLiteral("YAĞ FİLTRESİ"), 100, 80, 20});
        m_token[QStringLiteral("bayi")] = f.sessionFor(f.addUser(QStringLiteral("BAYI"), 0, m_cari));
        m_token[QStringLiteral("temsilci1")] =
            f.sessionFor(f.addUser(QStringLiteral("TEMSILCI"), 1, 0, satici));
        m_token[QStringLiteral("temsilci2")] =
            f.sessionFor(f.addUser(QStringLiteral("TEMSILCI2"), 2, 0, satici));
    }
    void cleanup() { f.close(); }

    void typedPrice_data()
    {
        QTest::addColumn<QString>("kim");
        QTest::addColumn<bool>("kampanyali");
        QTest::addColumn<double>("fiyat");
        QTest::addColumn<qint64>("sonuc");
        QTest::addColumn<double>("birimfiyat"); // of the new line; unused when refused
        const double nan = std::nan("");
        QTest::newRow("dealer: own price") << "bayi" << false << 100.0 << qint64(1) << 100.0;
        QTest::newRow("dealer: lower price not read") << "bayi" << false << 1.0 << qint64(1) << 100.0;
        QTest::newRow("dealer: zero not read") << "bayi" << false << 0.0 << qint64(1) << 100.0;
        QTest::newRow("representative: own price") << "temsilci1" << false << 100.0 << qint64(1) << 100.0;
        QTest::newRow("representative: higher") << "temsilci1" << false << 120.0 << qint64(1) << 120.0;
        QTest::newRow("representative: between net and price")
            << "temsilci2" << false << 95.0 << qint64(1) << 95.0;
        QTest::newRow("representative: at the floor") << "temsilci2" << false << 85.5 << qint64(1) << 85.5;
        QTest::newRow("representative: rounded to cents")
            << "temsilci1" << false << 95.004 << qint64(1) << 95.0;
        QTest::newRow("representative: a cent below the floor")
            << "temsilci1" << false << 85.49 << qint64(0) << 0.0;
        QTest::newRow("representative: zero") << "temsilci2" << false << 0.0 << qint64(0) << 0.0;
        QTest::newRow("representative: negative") << "temsilci1" << false << -100.0 << qint64(0) << 0.0;
        QTest::newRow("representative: not a number") << "temsilci1" << false << nan << qint64(0) << 0.0;
        QTest::newRow("representative: infinite")
            << "temsilci1" << false << std::numeric_limits<double>::infinity() << qint64(0) << 0.0;
        // A campaign price is already net: it is its own floor.
        QTest::newRow("campaign: own price") << "temsilci1" << true << 80.0 << qint64(1) << 80.0;
        QTest::newRow("campaign: above") << "temsilci2" << true << 90.0 << qint64(1) << 90.0;
        QTest::newRow("campaign: below") << "temsilci2" << true << 79.99 << qint64(0) << 0.0;
    }
    void typedPrice()
    {
        QFETCH(QString, kim);
        QFETCH(bool, kampanyali);
        QFETCH(double, fiyat);
        QFETCH(qint64, sonuc);
        QFETCH(double, birimfiyat);
        const qint64 stokno = kampanyali ? m_kampanyali : m_stok;
        QCOMPARE(ekle(kim, m_cari, stokno, fiyat), sonuc);
        const QVariant kayitli = birimFiyat(m_cari, stokno);
        if (!sonuc) {
            QVERIFY2(!kayitli.isValid(), "a refused add wrote a line");
            return;
        }
        QCOMPARE(kayitli.toDouble(), birimfiyat);
        // The line's rates still apply to a typed price.
        const Table t =
            MethodFixture::value<Table>(f.call("SepetVer2", m_token.value(kim), {qint64(m_cari)}));
        QCOMPARE(t.rowCount(), 1);
        QCOMPARE(t.value(0, t.columnIndex(u"BIRIMFIYAT")).toDouble(), birimfiyat);
        const Indirimler oranlar = kampanyali ? Indirimler{0, 0, 0, 0} : Indirimler{10, 5, 0, 0};
        QCOMPARE(t.value(0, t.columnIndex(u"NETBIRIMFIYAT")).toDouble(), NetFiyat(birimfiyat, oranlar));
    }

    void typedPriceOnAnExistingLine()
    {
        QCOMPARE(ekle(QStringLiteral("bayi"), m_cari, m_stok, 100), qint64(1));
        // Refused: the line keeps its quantity and price.
        QCOMPARE(ekle(QStringLiteral("temsilci1"), m_cari, m_stok, 50, 3), qint64(0));
        QCOMPARE(birimFiyat(m_cari, m_stok).toDouble(), 100.0);
        QCOMPARE(f.scalar(QStringLiteral("SELECT miktar FROM sepet WHERE stokno = ?"), {m_stok}).toDouble(),
                 2.0);
        // Taken: the quantity is added and the line gets the typed price.
        QCOMPARE(ekle(QStringLiteral("temsilci1"), m_cari, m_stok, 92, 3), qint64(1));
        QCOMPARE(birimFiyat(m_cari, m_stok).toDouble(), 92.0);
        QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM sepet")).toLongLong(), qint64(1));
        QCOMPARE(f.scalar(QStringLiteral("SELECT SUM(miktar) FROM sepet")).toDouble(), 5.0);
        // A dealer's later add keeps the representative's price.
        QCOMPARE(ekle(QStringLiteral("bayi"), m_cari, m_stok, 1), qint64(1));
        QCOMPARE(birimFiyat(m_cari, m_stok).toDouble(), 92.0);
    }

    void representativeOutsideTheirAccounts()
    {
        QCOMPARE(ekle(QStringLiteral("temsilci1"), m_baskaCari, m_stok, 100), qint64(0));
        QCOMPARE(ekle(QStringLiteral("temsilci2"), m_baskaCari, m_stok, 95), qint64(0));
        QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM sepet")).toLongLong(), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestTemsilciFiyati)
#include "tst_temsilcifiyati.moc"
