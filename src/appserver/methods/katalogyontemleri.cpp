#include "methodregistry.h"
#include "session.h"
#include "stokarama.h"
#include "yontemaileleri.h"
#include "yontemdestek.h"

#include <storage/database.h>
#include <transfer/baglantiu.h>
#include <transfer/mobilstokunit.h>

#include <QJsonArray>

namespace kolvar::server {

namespace {

// The account a call with a session record prices for: the record's
// account when the caller may act for it, otherwise none (list prices).
qint64 fiyatCarisi(const Database &db, const Session &s, qint64 carino)
{
    return mayActFor(db, s, carino) ? carino : 0;
}

Table ara(const Database &db, CallContext &ctx, const QString &metin, qint64 carino)
{
    const Session s = requireSession(ctx);
    const QList<qint64> bulunan = stokAra(db, metin, aramaSiniri(db));
    return stokTablosu(db, bulunan, cariIndirimleri(db, fiyatCarisi(db, s, carino)));
}

qint64 bilgiCarisi(const QList<WireValue> &in, int i)
{
    const auto *b = nesneGirdi<TSonucBilgisi>(in, i);
    return b ? b->CARINO() : 0;
}

QByteArray resim(const Database &db, qint64 stokno)
{
    Query q(db, QStringLiteral("SELECT resim FROM stok_resimleri WHERE stokno = ?"), {stokno});
    return q.next() ? q.value(0).toByteArray() : QByteArray();
}

TMobilStok mobilStok(const Table &t, int i)
{
    auto c = [&t](const char *ad) { return t.columnIndex(QString::fromLatin1(ad)); };
    TMobilStok m;
    m.setStokNo(qint32(t.integer(i, c("STOK_STOKNO"))));
    m.setResimVar(qint32(t.integer(i, c("RESIM"))));
    m.setYeni(qint32(t.integer(i, c("Y"))));
    m.setDepartman(t.string(i, c("DEPARTMAN")));
    m.setVerilenSiparis(t.real(i, c("VERILENSIPARIS")));
    m.setAltGrup(t.string(i, c("ALTGRUP")));
    m.setDurum(qint32(t.integer(i, c("DURUM"))));
    m.setBirim(t.string(i, c("BIRIM")));
    m.setKDV(t.real(i, c("KDV")));
    m.setAlinanSiparis(t.real(i, c("ALINANSIPARIS")));
    m.setIsk1(t.real(i, c("IND1")));
    m.setIsk2(t.real(i, c("IND2")));
    m.setIsk3(t.real(i, c("IND3")));
    m.setIsk4(t.real(i, c("IND4")));
    m.setAnaGrup(t.string(i, c("ANAGRUP")));
    m.setKod(t.string(i, c("BARKOD")));
    m.setListeFiyati(t.real(i, c("LISTEFIYAT1")));
    m.setNetFiyat(t.real(i, c("NETFIYAT")));
    m.setKDVliFiyat(t.real(i, c("KDVDAHIL")));
    m.setOzelKod(t.string(i, c("OZELKOD")));
    m.setKampnayali(qint32(t.integer(i, c("K"))));
    m.setBarkod(t.string(i, c("BARKOD")));
    m.setIndirimOran(t.real(i, c("INDIRIM")));
    m.setKalan(t.real(i, c("KALAN")));
    m.setUreticiKod(t.string(i, c("URETICIKODU")));
    m.setKampanyaliFiyat(t.real(i, c("KAMPFIYAT")));
    m.setOemNo(t.string(i, c("OEMNO")));
    m.setBarkodNo(qint32(t.integer(i, c("BARKOD_BARKODNO"))));
    m.setPKod(t.string(i, c("PKOD")));
    m.setDpKod(t.string(i, c("DPKOD")));
    m.setAdi(t.string(i, c("ADI")));
    m.setFiyat(t.real(i, c("FIYAT")));
    return m;
}

std::unique_ptr<TMobilStoklar> mobilListe(const Table &t, int ilk, int adet)
{
    auto liste = std::make_unique<TMobilStoklar>();
    QList<TMobilStok> items;
    const int son = adet < 0 ? t.rowCount() : std::min(t.rowCount(), ilk + adet);
    for (int i = std::max(0, ilk); i < son; ++i)
        items.append(mobilStok(t, i));
    liste->setItems(items);
    return liste;
}

QString liste(const Database &db, const QString &sql, const QVariantList &baglar = {})
{
    Query q(db, sql);
    for (const QVariant &b : baglar)
        q.bind(b);
    q.exec();
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out.join(QLatin1Char('\n'));
}

} // namespace

void registerKatalogYontemleri(MethodRegistry &r, Database &db)
{
    // Search with a session record: priced for the record's account.
    for (const char *ad : {"StokAraGetir", "StokAraDorvek", "StokAraTumlas2", "Kelvet", "StokAraFesir",
                           "StokAraTumlas", "MarzoStokAraGetir"}) {
        r.set(ad, [&db](CallContext &ctx, const QList<WireValue> &in) {
            return sonuc(ara(db, ctx, metinGirdi(in, 0), bilgiCarisi(in, 1)));
        });
    }
    r.set("StokAra", [&db](CallContext &ctx, const QList<WireValue> &in) {
        return sonuc(ara(db, ctx, metinGirdi(in, 0), metinGirdi(in, 1).trimmed().toLongLong()));
    });
    r.set("FesirdeAra", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        return sonuc(ara(db, ctx, metinGirdi(in, 0), s.carino));
    });
    r.set("StokAraGetirVex", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        StokSuzgeci f;
        f.departman = metinGirdi(in, 1).trimmed();
        f.anaGrup = metinGirdi(in, 2).trimmed();
        f.altGrup = metinGirdi(in, 3).trimmed();
        f.kampanya = mantiksalGirdi(in, 4);
        f.yeni = mantiksalGirdi(in, 5);
        f.stokta = mantiksalGirdi(in, 6);
        f.resimli = mantiksalGirdi(in, 7);
        const QList<qint64> bulunan = stokAra(db, metinGirdi(in, 0), aramaSiniri(db), f);
        return sonuc(stokTablosu(db, bulunan, cariIndirimleri(db, fiyatCarisi(db, s, bilgiCarisi(in, 8)))));
    });

    for (const char *ad : {"YenilerVer2", "YenilerVer", "FesirYenilerVer", "YenilerVerMobile"}) {
        r.set(ad, [&db](CallContext &ctx, const QList<WireValue> &in) {
            const Session s = requireSession(ctx);
            const qint64 carino = fiyatCarisi(db, s, tamsayiGirdi(in, 0));
            return sonuc(stokTablosu(db, yeniStoklar(db, aramaSiniri(db)), cariIndirimleri(db, carino)));
        });
    }
    for (const char *ad : {"KampanyaliVer2", "KampanyaliVer", "FesirKampanyaliVer", "KampanyaliVermMobil"}) {
        r.set(ad, [&db](CallContext &ctx, const QList<WireValue> &in) {
            const Session s = requireSession(ctx);
            const qint64 carino = fiyatCarisi(db, s, tamsayiGirdi(in, 0));
            return sonuc(
                stokTablosu(db, kampanyaliStoklar(db, aramaSiniri(db)), cariIndirimleri(db, carino)));
        });
    }

    r.set("ResimVer5", [&db](CallContext &ctx, const QList<WireValue> &in) {
        requireSession(ctx);
        const QByteArray b = resim(db, tamsayiGirdi(in, 0));
        return sonuc(b, {qint64(b.size())});
    });
    r.set("ResimVer6", [&db](CallContext &ctx, const QList<WireValue> &in) {
        requireSession(ctx);
        const QByteArray b = resim(db, tamsayiGirdi(in, 0));
        QJsonArray bytes;
        for (char c : b)
            bytes.append(int(quint8(c)));
        return sonuc(bytes, {qint64(b.size())});
    });
    for (const char *ad : {"BuyukResimVer", "KucukResimVer"}) {
        const bool boyVar = qstrcmp(ad, "BuyukResimVer") == 0;
        r.set(ad, [&db, boyVar](CallContext &ctx, const QList<WireValue> &in) {
            requireSession(ctx);
            const QByteArray b = resim(db, tamsayiGirdi(in, 0));
            const QString hex = QString::fromLatin1(b.toHex().toUpper());
            return boyVar ? sonuc(hex, {qint64(b.size())}) : sonuc(hex);
        });
    }
    // Pictures are served by the web host under their stock number; nothing
    // to prepare.
    r.set("HttpResimVer", [](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        return sonuc(std::monostate{});
    });

    r.set("MobilStokara", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Table t = ara(db, ctx, metinGirdi(in, 0), bilgiCarisi(in, 1));
        const int neresi = int(tamsayiGirdi(in, 2));
        const int nekadar = int(tamsayiGirdi(in, 3));
        return sonuc(nesneSonuc(mobilListe(t, neresi, nekadar > 0 ? nekadar : -1)));
    });
    r.set("MobilStokaraAdimli", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Table t = ara(db, ctx, metinGirdi(in, 0), bilgiCarisi(in, 1));
        const int ilk = std::max(0, int(tamsayiGirdi(in, 4)));
        const int adet = std::max(0, int(tamsayiGirdi(in, 5)));
        const bool kalan = ilk + adet < t.rowCount();
        return sonuc(nesneSonuc(mobilListe(t, ilk, adet)), {kalan, qint64(t.rowCount())});
    });
    r.set("MobilStokaraGeri", [](CallContext &, const QList<WireValue> &) -> CallResult {
        throw MethodError(QStringLiteral("MobilStokaraGeri: geri çağırma bu bağlantı üzerinden taşınamaz, "
                                         "MobilStokaraAdimli kullanın"));
    });
    r.set("MobilStokNoAra", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const Table t = stokTablosu(db, {tamsayiGirdi(in, 0)},
                                    cariIndirimleri(db, fiyatCarisi(db, s, bilgiCarisi(in, 1))));
        auto m = std::make_unique<TMobilStok>();
        if (t.rowCount() > 0)
            *m = mobilStok(t, 0);
        return sonuc(nesneSonuc(std::move(m)));
    });
    // A search someone made, kept for the distributor's statistics.
    r.set("AramaGonderAl", [](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        return sonuc(std::monostate{});
    });

    r.set("DepartmanlariGetir", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        Table t = bosTablo({{"DEPARTMAN", ColumnType::String, 50}});
        Query q(db, QStringLiteral(
                        "SELECT DISTINCT departman FROM stoklar WHERE departman <> '' ORDER BY departman"));
        q.exec();
        satirlariEkle(t, q);
        return sonuc(t);
    });
    r.set("DepartmanlariVer", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        return sonuc(liste(
            db, QStringLiteral(
                    "SELECT DISTINCT departman FROM stoklar WHERE departman <> '' ORDER BY departman")));
    });
    r.set("AnaGrupVer", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        return sonuc(liste(
            db, QStringLiteral("SELECT DISTINCT anagrup FROM stoklar WHERE anagrup <> '' ORDER BY anagrup")));
    });
    r.set("AltGrupVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        requireSession(ctx);
        return sonuc(
            liste(db,
                  QStringLiteral("SELECT DISTINCT altgrup FROM stoklar WHERE anagrup = ? AND altgrup <> '' "
                                 "ORDER BY altgrup"),
                  {metinGirdi(in, 0)}));
    });
}

} // namespace kolvar::server
