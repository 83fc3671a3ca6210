#include "support/testdatabase.h"

#include <demo/demodata.h>
#include <demo/demopictures.h>
#include <methods/authmethods.h>
#include <methods/authpassword.h>
#include <methods/session.h>
#include <storage/database.h>

#include <QCryptographicHash>
#include <QImage>
#include <QTest>

using namespace kolvar::server;
using kolvar::testing::addBackendRows;

namespace {

QVariant scalar(const Database &db, const QString &sql, std::initializer_list<QVariant> binds = {})
{
    Query q(db, sql);
    q.exec(binds);
    return q.scalar();
}

QByteArray catalogueDigest(const Database &db)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    Query q(db,
            QStringLiteral("SELECT stokno, barkod, adi, oem1, ureticikodu, marka, model, durum, listefiyat, "
                           "kampfiyat, kdv FROM stoklar ORDER BY stokno"));
    q.exec();
    while (q.next()) {
        for (int i = 0; i < 11; ++i)
            h.addData(q.value(i).toString().toUtf8() + '|');
    }
    return h.result();
}

} // namespace

class tst_Demo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setFastPasswordHashing(true); }

    void demoUsersSignIn_data();
    void demoUsersSignIn();
    void dealerAccountShowsEverything_data() { addBackendRows(); }
    void dealerAccountShowsEverything();
    void sameSeedSameCatalogue();
    void picturesDecode();
    void gifEncoderRoundTrip();
};

void tst_Demo::demoUsersSignIn_data()
{
    addBackendRows();
}

void tst_Demo::demoUsersSignIn()
{
    QFETCH(QString, backend);
    KOLVAR_TEST_DATABASE(t, backend);
    const Database &db = t->db();
    const demo::DemoSummary s = demo::seedDemo(db, {300, 7, 50});
    QCOMPARE(s.stocks, 300);
    QCOMPARE(s.pictures, 50);
    QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM stoklar")).toInt(), 300);
    // A second seed refuses instead of doubling the data.
    QVERIFY_THROWS_EXCEPTION(StorageError, demo::seedDemo(db, {300, 7, 50}));

    struct Expect {
        const char *user;
        int type;
    };
    const QHostAddress peer(QStringLiteral("127.0.0.1"));
    for (const Expect &e : {Expect{"BAYI", 0}, Expect{"BAYI3", 3}, Expect{"BAYI4", 4}, Expect{"TEMSILCI", 1},
                            Expect{"TEMSILCI2", 2}}) {
        const QString user = QLatin1String(e.user);
        const SignInResult r = signIn(db, demo::demoMachineId(user), user, demo::demoPassword(), peer);
        QVERIFY2(!r.token.isEmpty(), e.user);
        QCOMPARE(r.record->MusteriTipi(), e.type);
        QCOMPARE(r.record->Version(), 7);
        const bool rep = e.type == 1 || e.type == 2;
        QCOMPARE(r.record->CARINO() > 0, !rep);
        QVERIFY(!r.record->SaticiAdi().isEmpty());
        // Stored passwords are hashes only.
        QVERIFY(scalar(db, QStringLiteral("SELECT sifre_hash FROM kullanicilar WHERE adi = ?"), {user})
                    .toString()
                    .startsWith(QLatin1String("$argon2id$")));
    }

    // TEMSILCI serves several dealers, BAYI's account among them.
    const SignInResult rep = signIn(db, demo::demoMachineId(QStringLiteral("TEMSILCI")),
                                    QStringLiteral("TEMSILCI"), demo::demoPassword(), peer);
    const auto session = findSession(db, rep.token);
    QVERIFY(session);
    const qint64 bayi =
        scalar(db, QStringLiteral("SELECT carino FROM kullanicilar WHERE adi = 'BAYI'")).toLongLong();
    QVERIFY(mayActFor(db, *session, bayi));
    QVERIFY(
        scalar(db, QStringLiteral("SELECT COUNT(*) FROM cariler WHERE satici_no = ?"), {session->saticiNo})
            .toInt() >= 3);
    const qint64 bayi3 =
        scalar(db, QStringLiteral("SELECT carino FROM kullanicilar WHERE adi = 'BAYI3'")).toLongLong();
    QVERIFY(!mayActFor(db, *session, bayi3));
}

void tst_Demo::dealerAccountShowsEverything()
{
    QFETCH(QString, backend);
    KOLVAR_TEST_DATABASE(t, backend);
    const Database &db = t->db();
    demo::seedDemo(db, {200, 11, 20});
    const qint64 c =
        scalar(db, QStringLiteral("SELECT carino FROM kullanicilar WHERE adi = 'BAYI'")).toLongLong();

    QVERIFY(
        scalar(db, QStringLiteral("SELECT COUNT(*) FROM sepet WHERE carino = ? AND sec = 1"), {c}).toInt() >=
        2);
    QVERIFY(
        scalar(db, QStringLiteral("SELECT COUNT(*) FROM sepet WHERE carino = ? AND sec = 0"), {c}).toInt() >=
        1);
    QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(DISTINCT durum) FROM siparisler WHERE carino = ?"), {c})
                 .toInt(),
             6);
    // Open balances: partly delivered and undelivered lines.
    QVERIFY(
        scalar(db,
               QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari WHERE carino = ? AND teslimedilen > 0 "
                              "AND teslimedilen < miktar"),
               {c})
            .toInt() >= 1);
    QVERIFY(
        scalar(db,
               QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari WHERE carino = ? AND teslimedilen = 0"),
               {c})
            .toInt() >= 1);
    // Every order line belongs to an order of the same account.
    QCOMPARE(scalar(db, QStringLiteral(
                            "SELECT COUNT(*) FROM siparis_satirlari l JOIN siparisler s ON s.idno = l.idno "
                            "WHERE l.carino <> s.carino"))
                 .toInt(),
             0);
    // Invoices whose totals are the sums of their lines.
    QVERIFY(scalar(db, QStringLiteral("SELECT COUNT(*) FROM faturalar WHERE carino = ?"), {c}).toInt() >= 1);
    QCOMPARE(
        scalar(db, QStringLiteral(
                       "SELECT COUNT(*) FROM faturalar f WHERE ABS(f.matrah - (SELECT SUM(nettutar) FROM "
                       "fatura_satirlari WHERE fatura = f.idno)) > 0.011 OR ABS(f.toplam - f.matrah - "
                       "f.kdvtutar) > 0.011"))
            .toInt(),
        0);
    QVERIFY(scalar(db, QStringLiteral("SELECT COUNT(*) FROM tahsilatlar WHERE carino = ?"), {c}).toInt() >=
            3);
    // The virtual-POS payment has its collection and statement line.
    QCOMPARE(scalar(db,
                    QStringLiteral(
                        "SELECT COUNT(*) FROM sanalpos_odemeleri p JOIN tahsilatlar t ON t.idno = p.tahsilat "
                        "JOIN ekstre e ON e.belge = t.idno AND e.evrak = 'SANALPOS' WHERE p.carino = ?"),
                    {c})
                 .toInt(),
             1);
    QVERIFY(scalar(db, QStringLiteral("SELECT SUM(borc) - SUM(alacak) FROM ekstre WHERE carino = ?"), {c})
                .toDouble() > 0);
    // Lists and notices the windows read.
    for (const char *table :
         {"teslim_cinsleri", "kargo_cinsleri", "kargolar", "duyurular", "acilis_reklamlari"})
        QVERIFY2(scalar(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))).toInt() > 0,
                 table);
    QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM bannerlar")).toInt(), 3);
    QVERIFY(!scalar(db, QStringLiteral("SELECT deger FROM ayarlar WHERE anahtar = 'kayanyazi'"))
                 .toString()
                 .isEmpty());
    // Codes index: every stock's code is there in compact form.
    QCOMPARE(scalar(db, QStringLiteral(
                            "SELECT COUNT(*) FROM stoklar s WHERE NOT EXISTS (SELECT 1 FROM stok_kodlari k "
                            "WHERE k.stokno = s.stokno)"))
                 .toInt(),
             0);
    QCOMPARE(scalar(db, QStringLiteral("SELECT stokno FROM stok_kodlari WHERE kod = '12345AB'")).toInt(), 1);
}

void tst_Demo::sameSeedSameCatalogue()
{
    QString why;
    auto a = kolvar::testing::TestDatabase::create(QStringLiteral("sqlite"), &why);
    auto b = kolvar::testing::TestDatabase::create(QStringLiteral("sqlite"), &why);
    auto c = kolvar::testing::TestDatabase::create(QStringLiteral("sqlite"), &why);
    QVERIFY2(a && b && c, qPrintable(why));
    demo::seedDemo(a->db(), {150, 42, 10});
    demo::seedDemo(b->db(), {150, 42, 10});
    demo::seedDemo(c->db(), {150, 43, 10});
    QCOMPARE(catalogueDigest(a->db()), catalogueDigest(b->db()));
    QVERIFY(catalogueDigest(a->db()) != catalogueDigest(c->db()));
}

void tst_Demo::picturesDecode()
{
    QString why;
    auto t = kolvar::testing::TestDatabase::create(QStringLiteral("sqlite"), &why);
    QVERIFY2(t, qPrintable(why));
    demo::seedDemo(t->db(), {60, 3, 15});
    Query q(t->db(), QStringLiteral("SELECT resim FROM stok_resimleri"));
    q.exec();
    int n = 0;
    while (q.next()) {
        const QByteArray bytes = q.value(0).toByteArray();
        QVERIFY(bytes.startsWith("\xFF\xD8"));
        QImage img;
        QVERIFY(img.loadFromData(bytes, "JPEG"));
        QVERIFY(img.width() > 0);
        ++n;
    }
    QCOMPARE(n, 15);
    Query b(t->db(), QStringLiteral("SELECT no, tur, resim FROM bannerlar ORDER BY no"));
    b.exec();
    const QList<QByteArray> formats{"GIF", "GIF", "BMP"};
    for (const QByteArray &format : formats) {
        QVERIFY(b.next());
        QImage img;
        QVERIFY2(img.loadFromData(b.value(2).toByteArray(), format.constData()), format.constData());
        QCOMPARE(img.size(), QSize(468, 60));
    }
}

void tst_Demo::gifEncoderRoundTrip()
{
    // Enough pixels to pass several clear codes and data sub-blocks.
    const int w = 37, h = 29;
    QList<QColor> palette;
    for (int i = 0; i < 256; ++i)
        palette << QColor(i, 255 - i, (i * 7) % 256);
    demo::GifFrame frame;
    frame.indices.resize(w * h);
    for (int i = 0; i < w * h; ++i)
        frame.indices[i] = char((i * 31) % 256);
    const QByteArray gif = demo::encodeGif(w, h, palette, {frame});
    QImage img;
    QVERIFY(img.loadFromData(gif, "GIF"));
    QCOMPARE(img.size(), QSize(w, h));
    for (int i : {0, 1, 255, 256, 700, w * h - 1}) {
        const QColor expected = palette[(i * 31) % 256];
        QCOMPARE(QColor(img.pixel(i % w, i / w)), expected);
    }
}

QTEST_GUILESS_MAIN(tst_Demo)
#include "tst_demo.moc"
