#include "tst_methods_fixture.h"

#include <methods/stokarama.h>

using namespace kolvar;
using namespace kolvar::server;
using namespace kolvar::server::test;

// StokAraGetir: what matches, in which order, folded and capped; on SQLite
// and PostgreSQL.
class TestSearch : public QObject
{
    Q_OBJECT

    MethodFixture f;
    QString m_token;
    qint64 m_carino = 0;

    QStringList barkodlar(const Table &t)
    {
        QStringList out;
        const int c = t.columnIndex(u"BARKOD");
        for (int i = 0; i < t.rowCount(); ++i)
            out << t.string(i, c);
        return out;
    }

private Q_SLOTS:
    void initTestCase_data() { MethodFixture::backends(); }

    void init()
    {
        QFETCH_GLOBAL(QString, backend);
        if (!f.open(backend))
            return;
        m_carino = f.addCari(QStringLiteral("120.01.001"), QStringLiteral("ÇAĞDAŞ OTO"), 0, 10, 5);
        m_token = f.sessionFor(f.addUser(QStringLiteral("BAYI"), 0, m_carino));
        f.addStok({QStringLiteral("12345AB"),
                   QStringLiteral("FREN BALATASI ÖN"),
                   100,
                   0,
                   20,
                   {QStringLiteral("34116761244")},
                   QStringLiteral("GDB1550"),
                   QStringLiteral("BREMBO"),
                   QStringLiteral("FİAT DOBLÒ")});
        f.addStok({QStringLiteral("12345ABC"),
                   QStringLiteral("FREN BALATASI ARKA"),
                   80,
                   0,
                   20,
                   {},
                   {},
                   QStringLiteral("TRW"),
                   QStringLiteral("RENAULT CLIO")});
        f.addStok({QStringLiteral("X-912345AB"),
                   QStringLiteral("DEBRİYAJ SETİ"),
                   500,
                   400,
                   20,
                   {},
                   {},
                   QStringLiteral("VALEO"),
                   QStringLiteral("ŞAHİN")});
        f.addStok({QStringLiteral("YF-100"),
                   QStringLiteral("YAĞ FİLTRESİ"),
                   50,
                   0,
                   18,
                   {QStringLiteral("1109.AY")},
                   {},
                   QStringLiteral("MANN"),
                   QStringLiteral("PEUGEOT 206")});
        f.addStok({QStringLiteral("AB"), QStringLiteral("CIVATA"), 1, 0, 20});
        f.addStok({QStringLiteral("SZ-77"),
                   QStringLiteral("ŞANZIMAN YAĞI"),
                   300,
                   0,
                   20,
                   {},
                   {},
                   QStringLiteral("CASTROL"),
                   {}});
    }
    void cleanup() { f.close(); }

    void ranking_data()
    {
        QTest::addColumn<QString>("kod");
        QTest::addColumn<QStringList>("expected"); // full result in order

        // exact code first, then codes starting with it, then containing it
        QTest::newRow("exact > prefix > substring")
            << QStringLiteral("12345AB")
            << QStringList{QStringLiteral("12345AB"), QStringLiteral("12345ABC"),
                           QStringLiteral("X-912345AB")};
        QTest::newRow("punctuation and case ignored")
            << QStringLiteral("12-345 ab")
            << QStringList{QStringLiteral("12345AB"), QStringLiteral("12345ABC"),
                           QStringLiteral("X-912345AB")};
        QTest::newRow("OEM with dots")
            << QStringLiteral("3411.6761.244") << QStringList{QStringLiteral("12345AB")};
        QTest::newRow("OEM stored with punctuation")
            << QStringLiteral("1109ay") << QStringList{QStringLiteral("YF-100")};
        QTest::newRow("manufacturer code")
            << QStringLiteral("gdb 1550") << QStringList{QStringLiteral("12345AB")};
        QTest::newRow("Turkish letters folded")
            << QStringLiteral("şanzıman") << QStringList{QStringLiteral("SZ-77")};
        QTest::newRow("dotted capital I folded")
            << QStringLiteral("DEBRIYAJ") << QStringList{QStringLiteral("X-912345AB")};
        QTest::newRow("brand") << QStringLiteral("brembo") << QStringList{QStringLiteral("12345AB")};
        QTest::newRow("model with accents")
            << QStringLiteral("doblo") << QStringList{QStringLiteral("12345AB")};
        QTest::newRow("words in any order")
            << QStringLiteral("balatası fren")
            << QStringList{QStringLiteral("12345AB"), QStringLiteral("12345ABC")};
        QTest::newRow("two letters: exact and prefix only")
            << QStringLiteral("ab") << QStringList{QStringLiteral("AB")};
        QTest::newRow("one character") << QStringLiteral("Y") << QStringList{QStringLiteral("YF-100")};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("only punctuation") << QStringLiteral(" -./ ") << QStringList{};
        QTest::newRow("quote in text") << QStringLiteral("\"12345AB")
                                       << QStringList{QStringLiteral("12345AB"), QStringLiteral("12345ABC"),
                                                      QStringLiteral("X-912345AB")};
        QTest::newRow("no match") << QStringLiteral("ZZZZZZ") << QStringList{};
    }
    void ranking()
    {
        QFETCH(QString, kod);
        QFETCH(QStringList, expected);
        const CallResult r = f.call("StokAraGetir", m_token, {kod, f.bilgi(m_carino)});
        const Table t = MethodFixture::value<Table>(r);
        QStringList got = barkodlar(t);
        if (QTest::currentDataTag() == QLatin1String("words in any order"))
            got.sort(); // same tier; order within it is not promised
        QCOMPARE(got, expected);
        QVERIFY(t.columnIndex(u"IND1") >= 0);
    }

    void pricedForAccount()
    {
        const Table t = MethodFixture::value<Table>(
            f.call("StokAraGetir", m_token, {QStringLiteral("12345AB"), f.bilgi(m_carino)}));
        QCOMPARE(t.rowCount(), 3);
        auto v = [&t](int row, const char16_t *col) { return t.value(row, t.columnIndex(col)); };
        QCOMPARE(v(0, u"NETFIYAT").toDouble(), 85.5);
        QCOMPARE(v(0, u"KDVDAHIL").toDouble(), 102.6);
        QCOMPARE(v(0, u"INDIRIMYAZI").toString(), QStringLiteral("10+5"));
        QCOMPARE(v(0, u"IND1").toDouble(), 10.0);
        QCOMPARE(v(0, u"IND2").toDouble(), 5.0);
        // the campaign stock at its campaign price
        QCOMPARE(v(2, u"K").toInt(), 1);
        QCOMPARE(v(2, u"FIYAT").toDouble(), 400.0);
        QCOMPARE(v(2, u"KAMPFIYAT").toDouble(), 400.0);
        QCOMPARE(v(2, u"KDVDAHIL").toDouble(), 480.0);

        // Another dealer's account number prices like an unknown account.
        const qint64 baska = f.addCari(QStringLiteral("120.01.002"), QStringLiteral("BAŞKA OTO"), 0, 50);
        const Table u = MethodFixture::value<Table>(
            f.call("StokAraGetir", m_token, {QStringLiteral("12345AB"), f.bilgi(baska)}));
        QCOMPARE(u.value(0, u.columnIndex(u"NETFIYAT")).toDouble(), 100.0);
    }

    void capped()
    {
        for (int i = 0; i < 30; ++i)
            f.addStok({QStringLiteral("CAP-%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("KAPAK")});
        execSql(*f.db, QStringLiteral("INSERT INTO ayarlar (anahtar, deger) VALUES ('arama_limit', '7')"));
        QCOMPARE(MethodFixture::value<Table>(
                     f.call("StokAraGetir", m_token, {QStringLiteral("CAP"), f.bilgi(m_carino)}))
                     .rowCount(),
                 7);
        QCOMPARE(MethodFixture::value<Table>(
                     f.call("StokAraGetir", m_token, {QStringLiteral("KAPAK"), f.bilgi(m_carino)}))
                     .rowCount(),
                 7);
    }

    void needsSession()
    {
        try {
            f.call("StokAraGetir", QString(), {QStringLiteral("12345AB"), f.bilgi(m_carino)});
            QFAIL("answered without a session");
        } catch (const MethodError &e) {
            QCOMPARE(e.message(), QStringLiteral("Oturum bulunamadı"));
        }
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
