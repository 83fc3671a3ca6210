#include "tst_methods_fixture.h"

#include <methods/siparis.h>
#include <wire/jsonwriter.h>

#include <QProcess>
#include <QStandardPaths>

#include <cmath>

using namespace kolvar;
using namespace kolvar::server;
using namespace kolvar::server::test;

namespace {

// Everything a result carries, as text, to look for marker values in.
QByteArray metni(const CallResult &r)
{
    QByteArray out;
    auto one = [&out](const WireValue &v) {
        if (const auto *t = std::get_if<Table>(&v))
            out += t->toJson();
        else if (const auto *s = std::get_if<QString>(&v))
            out += s->toUtf8();
        else if (const auto *b = std::get_if<QByteArray>(&v))
            out += *b;
        else if (const auto *o = std::get_if<std::shared_ptr<TransferObject>>(&v); o && *o) {
            JsonWriter w;
            int id = 1;
            (*o)->writeJson(w, id);
            out += w.data();
        } else if (const auto *n = std::get_if<qint64>(&v))
            out += QByteArray::number(*n);
        out += '\n';
    };
    for (const WireValue &v : r.outs)
        one(v);
    one(r.result);
    return out;
}

} // namespace

// The business methods against a small database: basket, balances, access
// to other accounts, documents; on SQLite and PostgreSQL.
class TestMethods : public QObject
{
    Q_OBJECT

    MethodFixture f;
    struct Hesap {
        qint64 carino = 0, user = 0, sepet = 0, siparis = 0, satir = 0, fatura = 0, tahsilat = 0, pos = 0;
        QString token;
    };
    Hesap a, b;
    qint64 m_stok = 0, m_temsilci = 0;
    QString m_temsilciToken;

    // An account with one of everything, each carrying the marker text.
    Hesap hesap(const QString &kod, const QString &isaret, qint64 satici)
    {
        Hesap h;
        h.carino = f.addCari(kod, isaret + QStringLiteral(" OTO"), satici, 10);
        h.user = f.addUser(QStringLiteral("U") + kod, 0, h.carino);
        h.token = f.sessionFor(h.user);
        h.sepet =
            f.insert(QStringLiteral("INSERT INTO sepet (carino, stokno, stokadi, miktar, birimfiyat, kdv, "
                                    "tarih, aciklama) VALUES (?, ?, 'FREN', 2, 100, 20, '2026-12-01', ?) "
                                    "RETURNING sirano"),
                     {h.carino, m_stok, isaret});
        h.siparis =
            f.insert(QStringLiteral("INSERT INTO siparisler (carino, verenid, tarih, durum, aciklama) "
                                    "VALUES (?, ?, '2026-12-01', 0, ?) RETURNING idno"),
                     {h.carino, h.user, isaret});
        h.satir =
            f.insert(QStringLiteral("INSERT INTO siparis_satirlari (idno, carino, stokno, stokadi, miktar, "
                                    "teslimedilen, birimfiyat, ilkfiyat, kdv, aciklama) VALUES (?, ?, ?, "
                                    "'FREN', 5, 2, 100, 100, 20, ?) RETURNING sirano"),
                     {h.siparis, h.carino, m_stok, isaret});
        h.fatura = f.insert(
            QStringLiteral("INSERT INTO faturalar (carino, evrakno, tarih, matrah, kdvtutar, toplam) "
                           "VALUES (?, ?, '2026-11-01', 100, 20, 100) RETURNING idno"),
            {h.carino, isaret});
        f.insert(QStringLiteral(
                     "INSERT INTO fatura_satirlari (fatura, stokno, stokadi, miktar, birimfiyat, tutar, "
                     "nettutar, aciklama) VALUES (?, ?, 'FREN', 1, 100, 100, 100, ?) RETURNING sirano"),
                 {h.fatura, m_stok, isaret});
        h.tahsilat =
            f.insert(QStringLiteral("INSERT INTO tahsilatlar (carino, evrakno, tarih, tur, tutar) VALUES "
                                    "(?, ?, '2026-11-05', 'KREDI KARTI', 50) RETURNING idno"),
                     {h.carino, isaret});
        h.pos = f.insert(
            QStringLiteral("INSERT INTO sanalpos_odemeleri (carino, tahsilat, tarih, tutar, kart_sahibi) "
                           "VALUES (?, ?, '2026-11-05', 50, ?) RETURNING sirano"),
            {h.carino, h.tahsilat, isaret + QStringLiteral(" ŞAHİN ÇAĞLAR")});
        f.insert(QStringLiteral(
                     "INSERT INTO ekstre (carino, tarih, vade, evrak, evrakno, turadi, aciklama, borc, "
                     "alacak, belge) VALUES (?, '2026-11-01', '2026-11-15', 'FATURA', ?, 'Satış Faturası', "
                     "?, 120, 0, ?), (?, '2026-11-05', '', 'TAHSILAT', ?, 'Tahsilat', ?, 0, 50, ?) "
                     "RETURNING idno"),
                 {h.carino, isaret, isaret, h.fatura, h.carino, isaret, isaret, h.tahsilat});
        return h;
    }

    QString pdfMetni(const QByteArray &pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-"), QStringLiteral("-")});
        p.write(pdf);
        p.closeWriteChannel();
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private Q_SLOTS:
    void initTestCase_data() { MethodFixture::backends(); }
    void init()
    {
        QFETCH_GLOBAL(QString, backend);
        if (!f.open(backend))
            return;
        m_stok = f.addStok({QStringLiteral("12345AB"), QStringLiteral("FREN BALATASI"), 100, 0, 20});
        const qint64 satici = f.addSatici(QStringLiteral("AHMET YILMAZ"));
        a = hesap(QStringLiteral("120.01.001"), QStringLiteral("ISARETA"), satici);
        b = hesap(QStringLiteral("120.01.002"), QStringLiteral("ISARETB"), 0);
        m_temsilci = f.addUser(QStringLiteral("TEMSILCI"), 2, 0, satici);
        m_temsilciToken = f.sessionFor(m_temsilci);
    }
    void cleanup() { f.close(); }

    void everyMethodHasABody()
    {
        MethodRegistry r;
        registerBusinessMethods(r, *f.db);
        for (const MethodDef &m : methodCatalogue()) {
            if (isPublicMethod(m) || qstrcmp(m.name, "GirisDogrula") == 0)
                continue;
            QVERIFY2(r.body(&m), m.name);
        }
    }

    void basketAddPricedByServer()
    {
        // An all-digit manufacturer code once slid into the STOK_STOKNO column.
        const qint64 yeni = f.addStok({QStringLiteral("YF-1"),
                                       QStringLiteral("YAĞ FİLTRESİ"),
                                       50,
                                       0,
                                       18,
                                       {QStringLiteral("OEM-77")},
                                       QStringLiteral("27883302304")});
        // The client's price, rates and VAT are not taken: 1.00 and 99 %.
        QCOMPARE(MethodFixture::value<qint64>(
                     f.call("SepetEkle2", a.token,
                            {f.bilgi(a.carino), qint64(a.carino), qint64(yeni), QStringLiteral("YF-1"),
                             QStringLiteral("X"), 3.0, 0.0, 1.0, 99.0, qint64(0), qint64(0), 0.0, 0.0, 0.0})),
                 qint64(1));
        const Table t = MethodFixture::value<Table>(f.call("SepetVer2", a.token, {qint64(a.carino)}));
        QCOMPARE(t.rowCount(), 2);
        auto v = [&t](const char16_t *c) { return t.value(1, t.columnIndex(c)); };
        QCOMPARE(v(u"STOKADI").toString(), QStringLiteral("YAĞ FİLTRESİ"));
        QCOMPARE(v(u"BIRIMFIYAT").toDouble(), 50.0);
        QCOMPARE(v(u"INDIRIMORANI1").toDouble(), 10.0);
        QCOMPARE(v(u"KDV").toDouble(), 18.0);
        QCOMPARE(v(u"TUTAR").toDouble(), 150.0);
        QCOMPARE(v(u"INDIRIMTUTAR").toDouble(), 15.0);
        QCOMPARE(v(u"NETTUTAR").toDouble(), 135.0);
        QCOMPARE(v(u"VERGITUTARI").toDouble(), 24.3);
        QCOMPARE(v(u"INDIRIMYAZI").toString(), QStringLiteral("10"));
        QCOMPARE(v(u"SEC").toInt(), 1);
        QCOMPARE(v(u"VEREN").toString(), QStringLiteral("U120.01.001"));
        QCOMPARE(v(u"STOK_STOKNO").toLongLong(), yeni);
        QCOMPARE(v(u"STOKNO").toLongLong(), yeni);
        QCOMPARE(v(u"URETICIKODU").toString(), QStringLiteral("27883302304"));
        QCOMPARE(v(u"OEM1").toString(), QStringLiteral("OEM-77"));
        QCOMPARE(v(u"CARIKOD").toString(), QStringLiteral("120.01.001"));
        QCOMPARE(v(u"RESIM").toInt(), 0);
        // Adding the same stock again adds to its line.
        f.call("SepetEkle2", a.token,
               {f.bilgi(a.carino), qint64(a.carino), qint64(yeni), QString(), QString(), 2.0, 0.0, 0.0, 0.0,
                qint64(0), qint64(0), 0.0, 0.0, 0.0});
        const Table u = MethodFixture::value<Table>(f.call("SepetVer2", a.token, {qint64(a.carino)}));
        QCOMPARE(u.rowCount(), 2);
        QCOMPARE(u.value(1, u.columnIndex(u"MIKTAR")).toDouble(), 5.0);
    }

    void basketQuantityChecked_data()
    {
        QTest::addColumn<double>("miktar");
        QTest::addColumn<qint64>("sonuc");
        QTest::newRow("one") << 1.0 << qint64(1);
        QTest::newRow("zero") << 0.0 << qint64(0);
        QTest::newRow("negative") << -2.0 << qint64(0);
        QTest::newRow("not a number") << std::nan("") << qint64(0);
        QTest::newRow("absurd") << 1e12 << qint64(0);
    }
    void basketQuantityChecked()
    {
        QFETCH(double, miktar);
        QFETCH(qint64, sonuc);
        const auto ekle = f.call("SepetEkle2", a.token,
                                 {f.bilgi(a.carino), qint64(a.carino), qint64(m_stok), QString(), QString(),
                                  miktar, 0.0, 0.0, 0.0, qint64(0), qint64(0), 0.0, 0.0, 0.0});
        QCOMPARE(MethodFixture::value<qint64>(ekle), sonuc);
        const auto degis = f.call("SepetGuncelle2", a.token,
                                  {f.bilgi(a.carino), qint64(a.carino), qint64(0), QString(), QString(),
                                   miktar, 0.0, 0.0, 0.0, qint64(0), qint64(a.sepet), 0.0, 0.0, 0.0});
        QCOMPARE(MethodFixture::value<qint64>(degis), sonuc);
        const double beklenen = sonuc ? miktar : 2.0; // the change sets what the add added to
        QCOMPARE(f.scalar(QStringLiteral("SELECT miktar FROM sepet WHERE sirano = ?"), {a.sepet}).toDouble(),
                 beklenen);
    }

    void basketSelectionAndDeletes()
    {
        f.call("SepetSecimGuncelle", a.token, {qint64(a.sepet), qint64(0)});
        QCOMPARE(f.scalar(QStringLiteral("SELECT sec FROM sepet WHERE sirano = ?"), {a.sepet}).toInt(), 0);
        f.call("SepetSecimGuncelle", a.token, {qint64(a.sepet), qint64(7)});
        QCOMPARE(f.scalar(QStringLiteral("SELECT sec FROM sepet WHERE sirano = ?"), {a.sepet}).toInt(), 1);
        QCOMPARE(MethodFixture::value<qint64>(f.call(
                     "SepetSatirSil", a.token, {f.bilgi(a.carino), qint64(a.sepet), QStringLiteral("x")})),
                 qint64(1));
        QCOMPARE(MethodFixture::value<Table>(f.call("SepetVer2", a.token, {qint64(a.carino)})).rowCount(), 0);
        f.insert(QStringLiteral(
                     "INSERT INTO sepet (carino, stokno, miktar, tarih) VALUES (?, ?, 1, '2026-12-01'), "
                     "(?, ?, 1, '2026-12-01') RETURNING sirano"),
                 {a.carino, m_stok, a.carino, m_stok});
        QCOMPARE(MethodFixture::value<qint64>(f.call("SepetHepsiniSil", a.token, {f.bilgi(a.carino)})),
                 qint64(2));
        QCOMPARE(MethodFixture::value<Table>(f.call("SepetVer2", a.token, {qint64(a.carino)})).rowCount(), 0);
    }

    void balanceChanges_data()
    {
        QTest::addColumn<QString>("yontem");
        QTest::addColumn<bool>("temsilci");
        QTest::addColumn<int>("durum");    // order state
        QTest::addColumn<double>("deger"); // Bakiye or price
        QTest::addColumn<qint64>("sonuc");
        QTest::addColumn<double>("kalan"); // open quantity afterwards
        QTest::addColumn<double>("fiyat"); // unit price afterwards

        QTest::newRow("change") << "BakiyeDegistir" << false << 0 << 7.0 << qint64(1) << 7.0 << 100.0;
        QTest::newRow("change to zero refused")
            << "BakiyeDegistir" << false << 0 << 0.0 << qint64(0) << 3.0 << 100.0;
        QTest::newRow("change shipped refused")
            << "BakiyeDegistir" << false << 5 << 7.0 << qint64(0) << 3.0 << 100.0;
        QTest::newRow("delete") << "BakiyeDuzenle" << false << 2 << 3.0 << qint64(1) << 0.0 << 100.0;
        QTest::newRow("price by representative")
            << "BakiyeFiyatDegistir" << true << 0 << 200.0 << qint64(1) << 3.0 << 200.0;
        QTest::newRow("price by dealer refused")
            << "BakiyeFiyatDegistir" << false << 0 << 200.0 << qint64(0) << 3.0 << 100.0;
    }
    void balanceChanges()
    {
        QFETCH(QString, yontem);
        QFETCH(bool, temsilci);
        QFETCH(int, durum);
        QFETCH(double, deger);
        execSql(*f.db,
                QStringLiteral("UPDATE siparisler SET durum = %1 WHERE idno = %2").arg(durum).arg(a.siparis));
        QList<WireValue> in{f.bilgi(a.carino),
                            qint64(yontem == u"BakiyeFiyatDegistir" ? 0 : m_stok),
                            qint64(0),
                            qint64(a.satir),
                            5.0,
                            deger,
                            QStringLiteral("12345AB")};
        if (yontem == u"BakiyeFiyatDegistir")
            in << deger << 10.0;
        const QByteArray ad = yontem.toLatin1();
        QTEST(MethodFixture::value<qint64>(f.call(ad.constData(), temsilci ? m_temsilciToken : a.token, in)),
              "sonuc");
        const Table t =
            MethodFixture::value<Table>(f.call("TumSiparislerVer", a.token, {qint64(a.carino), qint64(0)}));
        QCOMPARE(t.rowCount(), 1);
        QTEST(t.value(0, t.columnIndex(u"KALAN")).toDouble(), "kalan");
        QTEST(t.value(0, t.columnIndex(u"BIRIMFIYAT")).toDouble(), "fiyat");
        QCOMPARE(t.value(0, t.columnIndex(u"ILKFIYAT")).toDouble(), 100.0);
        QCOMPARE(t.value(0, t.columnIndex(u"TESLIMEDILEN")).toDouble(), 2.0);
        const Table acik = MethodFixture::value<Table>(f.call("BakiyelerVer2", a.token, {qint64(a.carino)}));
        QCOMPARE(acik.rowCount(), t.value(0, t.columnIndex(u"KALAN")).toDouble() > 0 ? 1 : 0);
    }

    // Every account-scoped read with the own account, another dealer's and
    // one that does not exist: the other's marker never shows.
    void otherAccountsAreInvisible_data()
    {
        QTest::addColumn<int>("hedef"); // 0 own, 1 another dealer's, 2 none
        QTest::newRow("own") << 0;
        QTest::newRow("another dealer's") << 1;
        QTest::newRow("nonexistent") << 2;
    }
    void otherAccountsAreInvisible()
    {
        QFETCH(int, hedef);
        Hesap yok;
        yok.carino = yok.sepet = yok.siparis = yok.satir = yok.fatura = yok.tahsilat = yok.pos = 987654;
        const Hesap &h = hedef == 0 ? a : hedef == 1 ? b : yok;
        const QList<std::pair<const char *, QList<WireValue>>> cagrilar{
            {"SepetVer2", {qint64(h.carino)}},
            {"SepetVer", {qint64(h.carino)}},
            {"SepetMobilVer", {qint64(h.carino)}},
            {"OncekiSiparisler", {qint64(h.carino)}},
            {"Oncekiler", {qint64(h.carino)}},
            {"SiparisAyrintisi2", {qint64(h.carino), qint64(h.siparis)}},
            {"SiparisAyrintisi2", {qint64(0), qint64(h.siparis)}},
            {"SiparisAytintisiDip", {qint64(0), qint64(h.siparis)}},
            {"BakiyelerVer2", {qint64(h.carino)}},
            {"TumSiparislerVer", {qint64(h.carino), qint64(0)}},
            {"CariEkstreVer", {qint64(h.carino)}},
            {"FaturaGetir", {qint64(0), qint64(h.fatura)}},
            {"FaturaGetir", {qint64(h.carino), qint64(h.fatura)}},
            {"Tahsilat", {qint64(h.tahsilat)}},
            {"SAnalPosPdfVer", {qint64(h.pos)}},
            {"RaporGetir", {qint64(7), qint64(7), qint64(0), qint64(h.carino), QString(), 40000.0, 50000.0}},
            {"MobilCariBilgisiGetir", {qint64(h.carino), QString()}},
            {"CariAra", {f.bilgi(h.carino), QStringLiteral("ISARET")}},
        };
        for (const auto &[ad, in] : cagrilar) {
            const QByteArray m = metni(f.call(ad, a.token, in));
            QVERIFY2(!m.contains("ISARETB"), ad);
            if (hedef == 0)
                QVERIFY2(m.contains("ISARETA"), ad);
        }
        const auto sayi = [&](const char *ad, QList<WireValue> in) {
            return MethodFixture::value<qint64>(f.call(ad, a.token, std::move(in)));
        };
        QCOMPARE(sayi("SanalposSiranoVer", {qint64(h.tahsilat)}) > 0, hedef == 0);
        QCOMPARE(
            MethodFixture::value<Table>(f.call("FaturaAltGetir", a.token, {qint64(h.fatura)})).rowCount(),
            hedef == 0 ? 1 : 0);
        QCOMPARE(MethodFixture::value<QString>(f.call("CariDurumVer", a.token, {qint64(h.carino)})).isEmpty(),
                 hedef != 0);

        // Writes reach only the own account.
        const qint64 once = f.scalar(QStringLiteral("SELECT COUNT(*) FROM sepet")).toLongLong();
        sayi("SepetEkle2", {f.bilgi(h.carino), qint64(h.carino), qint64(m_stok), QString(), QString(), 1.0,
                            0.0, 0.0, 0.0, qint64(0), qint64(0), 0.0, 0.0, 0.0});
        f.call("SepetSecimGuncelle", a.token, {qint64(h.sepet), qint64(0)});
        sayi("SepetGuncelle2", {f.bilgi(h.carino), qint64(h.carino), qint64(0), QString(), QString(), 9.0,
                                0.0, 0.0, 0.0, qint64(0), qint64(h.sepet), 0.0, 0.0, 0.0});
        sayi("BakiyeDegistir",
             {f.bilgi(h.carino), qint64(0), qint64(0), qint64(h.satir), 1.0, 1.0, QString()});
        const qint64 sonra = f.scalar(QStringLiteral("SELECT COUNT(*) FROM sepet")).toLongLong();
        QCOMPARE(sonra, once); // the own line merged, nothing added elsewhere
        const QString bSepet =
            QStringLiteral("SELECT miktar * 10 + sec FROM sepet WHERE sirano = %1").arg(b.sepet);
        QCOMPARE(f.scalar(bSepet).toDouble(), 21.0);
        QCOMPARE(f.scalar(QStringLiteral("SELECT miktar FROM siparis_satirlari WHERE sirano = ?"), {b.satir})
                     .toDouble(),
                 5.0);
        sayi("SepetSatirSil", {f.bilgi(h.carino), qint64(h.sepet), QString()});
        sayi("SepetHepsiniSil", {f.bilgi(h.carino)});
        QCOMPARE(
            f.scalar(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE carino = ?"), {b.carino}).toLongLong(),
            qint64(1));
    }

    void representativeReachesServedAccounts()
    {
        const QByteArray liste = metni(f.call("CariAra", m_temsilciToken, {f.bilgi(0), QString()}));
        QVERIFY(liste.contains("ISARETA"));
        QVERIFY(!liste.contains("ISARETB"));
        const auto tus = std::dynamic_pointer_cast<TTusSonuclari>(std::get<std::shared_ptr<TransferObject>>(
            f.call("TusSonuclariVer", m_temsilciToken, {f.bilgi(0)}).result));
        QVERIFY(tus);
        QCOMPARE(tus->Alindi(), 1);
        QCOMPARE(MethodFixture::value<qint64>(f.call("SepetSayisi", m_temsilciToken, {f.bilgi(0)})),
                 qint64(1));
        const Table t =
            MethodFixture::value<Table>(f.call("CariSepetVer", m_temsilciToken, {f.bilgi(0), qint64(2)}));
        QCOMPARE(t.rowCount(), 1);
        QCOMPARE(t.value(0, t.columnIndex(u"CARINO")).toLongLong(), a.carino);
        QCOMPARE(t.value(0, t.columnIndex(u"ALINDI")).toInt(), 1);
        // Opening the order marks it seen.
        f.call("SiparisAyrintisi2", m_temsilciToken, {qint64(a.carino), qint64(a.siparis)});
        QCOMPARE(f.scalar(QStringLiteral("SELECT durum FROM siparisler WHERE idno = ?"), {a.siparis}).toInt(),
                 int(Goruldu));
    }

    void documentsArePdfWithTurkishText_data()
    {
        QTest::addColumn<QString>("yontem");
        QTest::addColumn<QStringList>("metinler");
        QTest::newRow("receipt") << "SAnalPosPdfVer"
                                 << QStringList{QStringLiteral("SANAL POS ÖDEME MAKBUZU"),
                                                QStringLiteral("ISARETA ŞAHİN ÇAĞLAR"),
                                                QStringLiteral("50,00 TL")};
        QTest::newRow("account summary")
            << "RaporGetir6"
            << QStringList{QStringLiteral("Cari Özeti"), QStringLiteral("ISARETA OTO"),
                           QStringLiteral("Satış Faturası")};
        QTest::newRow("purchases and payments")
            << "RaporGetir7"
            << QStringList{QStringLiteral("Cari Alış Satış Tablosu"), QStringLiteral("Bakiye: 70,00")};
        QTest::newRow("all accounts")
            << "RaporGetir6Toplu"
            << QStringList{QStringLiteral("Cari Toplu Alacak Vadeleri"), QStringLiteral("ISARETA OTO")};
    }
    void documentsArePdfWithTurkishText()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QFETCH(QString, yontem);
        QFETCH(QStringList, metinler);
        const double gun = 46357; // 2026-12-01
        CallResult r;
        if (yontem == u"SAnalPosPdfVer")
            r = f.call("SAnalPosPdfVer", a.token, {qint64(a.pos)});
        else if (yontem == u"RaporGetir6")
            r = f.call("RaporGetir", a.token,
                       {qint64(6), qint64(6), qint64(a.user), qint64(a.carino), QString(), gun, gun});
        else if (yontem == u"RaporGetir7")
            r = f.call("RaporGetir", a.token,
                       {qint64(7), qint64(7), qint64(a.user), qint64(a.carino), QString(), gun - 60, gun});
        else
            r = f.call("RaporGetir", m_temsilciToken,
                       {qint64(6), qint64(6), qint64(m_temsilci), qint64(0), QStringLiteral("."), gun, gun});
        const QByteArray pdf = std::get<QByteArray>(r.result);
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(std::get<qint64>(r.outs.value(0)), qint64(pdf.size()));
        const QString text = pdfMetni(pdf);
        for (const QString &m : metinler)
            QVERIFY2(text.contains(m), qPrintable(m + QStringLiteral(" not in: ") + text));
    }
};

QTEST_GUILESS_MAIN(TestMethods)
#include "tst_methods.moc"
