#include "tst_methods_fixture.h"

#include <QThread>

#include <atomic>

using namespace kolvar;
using namespace kolvar::server;
using namespace kolvar::server::test;

// SiparisKaydet: exactly the selected lines, all or nothing, never twice for
// one call; on SQLite and PostgreSQL.
class TestOrders : public QObject
{
    Q_OBJECT

    MethodFixture f;
    qint64 m_cari = 0, m_baska = 0, m_user = 0;
    QString m_token, m_baskaToken;
    QList<qint64> m_stoklar;

    QList<WireValue> siparis(qint64 carino, const QString &aciklama = QStringLiteral("Acil"),
                             int kargoyeni = 10)
    {
        return {f.bilgi(carino, m_user), qint64(carino),   qint64(2), qint64(1), aciklama,
                qint64(m_user),          qint64(kargoyeni)};
    }
    qint64 sepeteEkle(const QString &token, qint64 carino, qint64 stokno, double miktar)
    {
        f.call("SepetEkle2", token,
               {f.bilgi(carino), qint64(carino), qint64(stokno), QString(), QString(), miktar, 20.0, 1.0, 0.0,
                qint64(0), qint64(0), 0.0, 0.0, 0.0});
        return f.scalar(QStringLiteral("SELECT MAX(sirano) FROM sepet WHERE carino = ?"), {carino})
            .toLongLong();
    }
    qint64 count(const QString &sql, std::initializer_list<QVariant> b = {})
    {
        return f.scalar(sql, b).toLongLong();
    }

private Q_SLOTS:
    void initTestCase_data() { MethodFixture::backends(); }
    void init()
    {
        QFETCH_GLOBAL(QString, backend);
        if (!f.open(backend))
            return;
        m_cari = f.addCari(QStringLiteral("120.01.001"), QStringLiteral("ÇAĞDAŞ OTO"), 0, 10);
        m_baska = f.addCari(QStringLiteral("120.01.002"), QStringLiteral("BAŞKA OTO"));
        m_user = f.addUser(QStringLiteral("BAYI"), 0, m_cari);
        m_token = f.sessionFor(m_user);
        m_baskaToken = f.sessionFor(f.addUser(QStringLiteral("BAYI2"), 0, m_baska));
        execSql(*f.db,
                QStringLiteral("INSERT INTO teslim_cinsleri (id, adi) VALUES (1, 'Gel Al'), (2, 'Gönder')"));
        execSql(*f.db,
                QStringLiteral("INSERT INTO kargo_cinsleri (id, adi) VALUES (1, 'Anlaşmalı'), (2, 'Ambar')"));
        execSql(*f.db,
                QStringLiteral(
                    "INSERT INTO kargolar (id, adi, cins) VALUES (10, 'YURTİÇİ', 1), (20, 'AMBAR', 2)"));
        m_stoklar.clear();
        for (int i = 0; i < 4; ++i)
            m_stoklar << f.addStok(
                {QStringLiteral("S%1").arg(i), QStringLiteral("PARÇA %1").arg(i), 10.0 * (i + 1)});
    }
    void cleanup() { f.close(); }

    void selectedLinesOnly_data()
    {
        QTest::addColumn<QList<int>>("secim"); // per basket line: 1 selected
        QTest::addColumn<bool>("sonuc");
        QTest::newRow("all") << QList<int>{1, 1, 1} << true;
        QTest::newRow("some") << QList<int>{1, 0, 1} << true;
        QTest::newRow("one") << QList<int>{0, 0, 1} << true;
        QTest::newRow("none") << QList<int>{0, 0, 0} << false;
    }
    void selectedLinesOnly()
    {
        QFETCH(QList<int>, secim);
        QFETCH(bool, sonuc);
        QList<qint64> satirlar;
        for (int i = 0; i < secim.size(); ++i) {
            satirlar << sepeteEkle(m_token, m_cari, m_stoklar[i], i + 1);
            f.call("SepetSecimGuncelle", m_token, {satirlar.last(), qint64(secim[i])});
        }
        QCOMPARE(MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(m_cari))), sonuc);

        const int secilen = int(secim.count(1));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(sonuc ? 1 : 0));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari")), qint64(secilen));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM sepet")), qint64(secim.size() - secilen));
        for (int i = 0; i < secim.size(); ++i) {
            const bool sipariste =
                count(QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari WHERE sepet_sirano = ?"),
                      {satirlar[i]}) == 1;
            const bool sepette =
                count(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE sirano = ?"), {satirlar[i]}) == 1;
            QCOMPARE(sipariste, secim[i] == 1);
            QCOMPARE(sepette, secim[i] == 0);
        }
        if (sonuc) {
            // The order as the lists show it: state, totals, footer.
            const Table o =
                MethodFixture::value<Table>(f.call("OncekiSiparisler", m_token, {qint64(m_cari)}));
            QCOMPARE(o.rowCount(), 1);
            QCOMPARE(o.value(0, o.columnIndex(u"DURUM")).toString(), QStringLiteral("Alındı"));
            QCOMPARE(o.value(0, o.columnIndex(u"VEREN")).toString(), QStringLiteral("BAYI"));
            QCOMPARE(o.value(0, o.columnIndex(u"TESLIM")).toString(), QStringLiteral("Gönder"));
            QCOMPARE(o.value(0, o.columnIndex(u"KARGOADI")).toString(), QStringLiteral("YURTİÇİ"));
            double net = 0;
            for (int i = 0; i < secim.size(); ++i)
                if (secim[i])
                    net += (i + 1) * 10.0 * (i + 1) * 0.9;
            QCOMPARE(o.value(0, o.columnIndex(u"NETTUTAR")).toDouble(), net);
        }
    }

    void refusedChoices_data()
    {
        QTest::addColumn<int>("kargoyeni");
        QTest::addColumn<bool>("baskaCari");
        QTest::newRow("carrier of another cargo type") << 20 << false;
        QTest::newRow("unknown carrier") << 99 << false;
        QTest::newRow("another dealer's account") << 10 << true;
    }
    void refusedChoices()
    {
        QFETCH(int, kargoyeni);
        QFETCH(bool, baskaCari);
        sepeteEkle(m_token, m_cari, m_stoklar[0], 1);
        sepeteEkle(m_baskaToken, m_baska, m_stoklar[1], 1);
        const qint64 hedef = baskaCari ? m_baska : m_cari;
        QCOMPARE(MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(hedef, {}, kargoyeni))),
                 false);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(0));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM sepet")), qint64(2));
    }

    void repeatedCallAnswersTheSame()
    {
        sepeteEkle(m_token, m_cari, m_stoklar[0], 2);
        sepeteEkle(m_token, m_cari, m_stoklar[1], 3);
        QVERIFY(MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(m_cari))));
        // The answer was lost and the client sends the same call again.
        QVERIFY(MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(m_cari))));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(1));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari")), qint64(2));
        // Another session, or another message, is another call.
        QCOMPARE(MethodFixture::value<bool>(f.call("SiparisKaydet", f.sessionFor(m_user), siparis(m_cari))),
                 false);
        QCOMPARE(MethodFixture::value<bool>(
                     f.call("SiparisKaydet", m_token, siparis(m_cari, QStringLiteral("Yeni")))),
                 false);
        // New lines with the same choices make a new order.
        sepeteEkle(m_token, m_cari, m_stoklar[2], 1);
        QVERIFY(MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(m_cari))));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(2));
    }

    // With the client's key a repeat is recognised by the key alone: it
    // answers the first result even when the basket has changed since.
    void clientKeyAnswersTheFirstResult()
    {
        const QString k1 = QStringLiteral("e0b7a3c4-0d55-4b8e-9c61-3f0a2d7b9e11");
        auto kaydet = [&](const QString &token, const QString &key) {
            return MethodFixture::value<bool>(f.call("SiparisKaydet", token, siparis(m_cari), key));
        };
        const qint64 ilk = sepeteEkle(m_token, m_cari, m_stoklar[0], 2);
        QVERIFY(kaydet(m_token, k1));
        // Lines selected after the first call do not go with its repeat,
        // neither on the same session nor on a new one of the same user.
        const qint64 sonra = sepeteEkle(m_token, m_cari, m_stoklar[1], 1);
        QVERIFY(kaydet(m_token, k1));
        QVERIFY(kaydet(f.sessionFor(m_user), k1));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(1));
        QCOMPARE(count(QStringLiteral("SELECT sepet_sirano FROM siparis_satirlari")), ilk);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE sirano = ?"), {sonra}), qint64(1));
        // Another key is another order; another user's equal key is not ours.
        QVERIFY(kaydet(m_token, QStringLiteral("k2")));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(2));
        const qint64 baskaUser = f.addUser(QStringLiteral("BAYI3"), 0, m_baska);
        const QString baskaToken = f.sessionFor(baskaUser);
        sepeteEkle(baskaToken, m_baska, m_stoklar[2], 1);
        QVERIFY(MethodFixture::value<bool>(f.call("SiparisKaydet", baskaToken,
                                                  {f.bilgi(m_baska, baskaUser), m_baska, qint64(2), qint64(1),
                                                   QStringLiteral("Acil"), baskaUser, qint64(10)},
                                                  k1)));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(3));
    }

    void clientKeyRemembersAFalseAnswer()
    {
        const QString k = QStringLiteral("bos-sepet");
        QCOMPARE(MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(m_cari), k)), false);
        sepeteEkle(m_token, m_cari, m_stoklar[0], 1);
        QCOMPARE(MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(m_cari), k)), false);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(0));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE sec = 1")), qint64(1));
    }

    // A failed call leaves no trace of its key: the repeat does the work.
    void clientKeyAfterAFailure()
    {
        sepeteEkle(m_token, m_cari, m_stoklar[0], 1);
        const QString k = QStringLiteral("tekrar");
        if (f.db->dialect().isSqlite())
            execSql(*f.db, QStringLiteral("CREATE TRIGGER bozuk BEFORE INSERT ON siparis_satirlari BEGIN "
                                          "SELECT RAISE(ABORT, 'disk dolu'); END"));
        else
            execSql(*f.db,
                    QStringLiteral("ALTER TABLE siparis_satirlari ADD CONSTRAINT bozuk CHECK (miktar < 0) "
                                   "NOT VALID"));
        QVERIFY_THROWS_EXCEPTION(StorageError, f.call("SiparisKaydet", m_token, siparis(m_cari), k));
        if (f.db->dialect().isSqlite())
            execSql(*f.db, QStringLiteral("DROP TRIGGER bozuk"));
        else
            execSql(*f.db, QStringLiteral("ALTER TABLE siparis_satirlari DROP CONSTRAINT bozuk"));
        QVERIFY(MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(m_cari), k)));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari")), qint64(1));
    }

    void failureLeavesEverything()
    {
        const qint64 bozuk = m_stoklar[3];
        if (f.db->dialect().isSqlite()) {
            execSql(*f.db, QStringLiteral(
                               "CREATE TRIGGER bozuk BEFORE INSERT ON siparis_satirlari WHEN new.stokno = "
                               "%1 BEGIN SELECT RAISE(ABORT, 'disk dolu'); END")
                               .arg(bozuk));
        } else {
            execSql(*f.db,
                    QStringLiteral("CREATE FUNCTION bozuk() RETURNS trigger AS $$ BEGIN IF NEW.stokno = %1 "
                                   "THEN RAISE EXCEPTION 'disk dolu'; END IF; RETURN NEW; END $$ "
                                   "LANGUAGE plpgsql")
                        .arg(bozuk));
            execSql(*f.db,
                    QStringLiteral("CREATE TRIGGER bozuk BEFORE INSERT ON siparis_satirlari FOR EACH ROW "
                                   "EXECUTE FUNCTION bozuk()"));
        }
        sepeteEkle(m_token, m_cari, m_stoklar[0], 1);
        sepeteEkle(m_token, m_cari, bozuk, 1);
        QVERIFY_THROWS_EXCEPTION(StorageError, f.call("SiparisKaydet", m_token, siparis(m_cari)));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(0));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari")), qint64(0));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE sec = 1")), qint64(2));
    }

    void concurrentSameCallMakesOneOrder_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("key from the call") << QString();
        QTest::newRow("client's key") << QStringLiteral("9f6d2c1e-aa40-4d8e-8b1b-5b0c6f1e2d33");
    }
    void concurrentSameCallMakesOneOrder()
    {
        QFETCH(QString, key);
        for (int i = 0; i < 3; ++i)
            sepeteEkle(m_token, m_cari, m_stoklar[i], 1);
        std::atomic<int> dogru{0}, hata{0};
        QList<QThread *> isler;
        for (int i = 0; i < 4; ++i) {
            isler << QThread::create([&] {
                try {
                    if (MethodFixture::value<bool>(f.call("SiparisKaydet", m_token, siparis(m_cari), key)))
                        ++dogru;
                } catch (...) {
                    ++hata;
                }
                f.db->closeThreadConnection();
            });
        }
        for (QThread *t : isler)
            t->start();
        for (QThread *t : isler) {
            QVERIFY(t->wait(60000));
            delete t;
        }
        QCOMPARE(hata.load(), 0);
        QCOMPARE(dogru.load(), 4);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparisler")), qint64(1));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari")), qint64(3));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM sepet")), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestOrders)
#include "tst_orders.moc"
