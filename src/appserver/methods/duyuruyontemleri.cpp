#include "fiyat.h"
#include "methodregistry.h"
#include "session.h"
#include "stokarama.h"
#include "yontemaileleri.h"
#include "yontemdestek.h"

#include <storage/database.h>
#include <transfer/baglantiu.h>
#include <transfer/mobilstokunit.h>

#include <QLocale>

namespace kolvar::server {

namespace {

QByteArray banner(const Database &db, int no)
{
    Query q(db, QStringLiteral("SELECT resim FROM bannerlar WHERE no = ?"), {no});
    return q.next() ? q.value(0).toByteArray() : QByteArray();
}

QString hex(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex().toUpper());
}

QList<TAcilisEkran> duyurular(const Database &db)
{
    QList<TAcilisEkran> out;
    Query q(db, QStringLiteral("SELECT sirano, resim, baslik, arama FROM duyurular WHERE aktif = 1 "
                               "ORDER BY tarih DESC, sirano DESC"));
    q.exec();
    while (q.next()) {
        TAcilisEkran e;
        e.setSiraNo(qint32(q.value(0).toLongLong()));
        e.setResim(hex(q.value(1).toByteArray()));
        e.setBaslik(q.value(2).toString());
        e.setArama(q.value(3).toString());
        out.append(e);
    }
    return out;
}

struct Sayaclar {
    qint64 sepet = 0, yeni = 0, kampanyali = 0, duyuru = 0, dosya = 0;
    double bakiye = 0;
};

// The counts of the tab captions; `bakiye` is what is still to be
// delivered on the account's orders.
Sayaclar sayaclar(const Database &db, const Session &s, qint64 carino)
{
    Sayaclar c;
    const bool erisir = mayActFor(db, s, carino);
    if (erisir) {
        c.sepet = Query(db, QStringLiteral("SELECT COUNT(*) FROM sepet WHERE carino = ?"), {carino})
                      .scalar(0)
                      .toLongLong();
        c.bakiye =
            Query(db,
                  QStringLiteral("SELECT COALESCE(SUM(miktar - teslimedilen), 0) FROM siparis_satirlari "
                                 "WHERE carino = ? AND miktar > teslimedilen"),
                  {carino})
                .scalar(0)
                .toDouble();
    }
    const int sinir = aramaSiniri(db);
    c.yeni = std::min<qint64>(sinir, Query(db, QStringLiteral("SELECT COUNT(*) FROM stoklar WHERE yeni = 1"))
                                         .exec()
                                         .scalar(0)
                                         .toLongLong());
    c.kampanyali = std::min<qint64>(
        sinir, Query(db, QStringLiteral("SELECT COUNT(*) FROM stoklar WHERE kampanya = 1 AND "
                                        "kampfiyat > 0"))
                   .exec()
                   .scalar(0)
                   .toLongLong());
    c.duyuru = Query(db, QStringLiteral("SELECT COUNT(*) FROM duyurular WHERE aktif = 1"))
                   .exec()
                   .scalar(0)
                   .toLongLong();
    c.dosya = Query(db, QStringLiteral("SELECT COUNT(*) FROM belgeler WHERE carino IS NULL OR ") +
                            accountScope(s, QStringLiteral("belgeler.carino")))
                  .exec()
                  .scalar(0)
                  .toLongLong();
    return c;
}

// The part of the account's debt that is past its due day: what was
// invoiced with a due day before today, less everything paid.
double vadesiGecen(const Database &db, qint64 carino)
{
    Query q(db,
            QStringLiteral(
                "SELECT COALESCE(SUM(CASE WHEN e.vade <> '' AND e.vade < ? THEN e.borc ELSE 0 END), 0), "
                "COALESCE(SUM(e.alacak), 0) FROM ekstre e WHERE e.carino = ?"),
            {bugunIso(), carino});
    if (!q.next())
        return 0;
    return std::max(0.0, ParaYuvarla(q.value(0).toDouble() - q.value(1).toDouble()));
}

} // namespace

void registerDuyuruYontemleri(MethodRegistry &r, Database &db)
{
    r.set("KayanYaziGetir", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        return sonuc(ayarOku(db, "kayanyazi"));
    });
    const char *bannerlar[] = {"BannerResimVer", "BannerResimVer2", "BannerResimVer3"};
    for (int no = 1; no <= 3; ++no) {
        r.set(bannerlar[no - 1], [&db, no](CallContext &ctx, const QList<WireValue> &) {
            requireSession(ctx);
            const QByteArray b = banner(db, no);
            return sonuc(b, {qint64(b.size())});
        });
    }
    r.set("AcilisReklamAdet", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        return sonuc(Query(db, QStringLiteral("SELECT COUNT(*) FROM acilis_reklamlari WHERE aktif = 1"))
                         .exec()
                         .scalar(0)
                         .toLongLong());
    });
    r.set("AcilisREklamVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        requireSession(ctx);
        auto e = std::make_unique<TAcilisEkran>();
        const qint64 sira = tamsayiGirdi(in, 0);
        if (sira >= 0) {
            Query q(
                db,
                QStringLiteral("SELECT sirano, resim, baslik, arama FROM acilis_reklamlari WHERE aktif = 1 "
                               "ORDER BY sira, sirano LIMIT 1 OFFSET ?"),
                {sira});
            if (q.next()) {
                e->setSiraNo(qint32(q.value(0).toLongLong()));
                e->setResim(hex(q.value(1).toByteArray()));
                e->setBaslik(q.value(2).toString());
                e->setArama(q.value(3).toString());
            }
        }
        return sonuc(nesneSonuc(std::move(e)));
    });
    r.set("AcilisEkranlarVer2", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        auto e = std::make_unique<TAcilisEkranlariki>();
        e->setEkranlar(duyurular(db));
        return sonuc(nesneSonuc(std::move(e)));
    });
    r.set("AcilisEkranlarVer", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        auto e = std::make_unique<TAcilisEkranlar>();
        e->setItems(duyurular(db));
        return sonuc(nesneSonuc(std::move(e)));
    });
    r.set("AcilisEkranlariVerData", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        Table t = bosTablo({{"SIRANO", ColumnType::Int32},
                            {"BASLIK", ColumnType::String, 100},
                            {"ARAMA", ColumnType::String, 100},
                            {"RESIM", ColumnType::String}});
        for (const TAcilisEkran &e : duyurular(db)) {
            const int row = t.appendRow();
            t.setInteger(row, 0, e.SiraNo());
            t.setString(row, 1, e.Baslik());
            t.setString(row, 2, e.Arama());
            t.setString(row, 3, e.Resim());
        }
        return sonuc(t);
    });
    for (const char *ad : {"DuyuruVer", "DuyuruVer2"}) {
        r.set(ad, [&db](CallContext &ctx, const QList<WireValue> &) {
            requireSession(ctx);
            Table t = bosTablo({{"SIRANO", ColumnType::Int32},
                                {"TARIH", ColumnType::Date},
                                {"BASLIK", ColumnType::String, 100},
                                {"DUYURU", ColumnType::String},
                                {"ARAMA", ColumnType::String, 100},
                                {"RESIM", ColumnType::Blob}});
            Query q(db, QStringLiteral("SELECT sirano, tarih, baslik, duyuru, arama, resim FROM duyurular "
                                       "WHERE aktif = 1 ORDER BY tarih DESC, sirano DESC"));
            q.exec();
            satirlariEkle(t, q);
            return sonuc(t);
        });
    }

    r.set("BalonGetir", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const auto *bilgi = nesneGirdi<TSonucBilgisi>(in, 0);
        const Sayaclar c = sayaclar(db, s, bilgi ? bilgi->CARINO() : 0);
        Table t = bosTablo({{"SEPET", ColumnType::Int32},
                            {"YENISTOK", ColumnType::Int32},
                            {"KAMPANYALI", ColumnType::Int32},
                            {"DUYURU", ColumnType::Int32},
                            {"BAKIYE", ColumnType::Double},
                            {"DOSYA", ColumnType::Int32}});
        const int row = t.appendRow();
        t.setInteger(row, 0, c.sepet);
        t.setInteger(row, 1, c.yeni);
        t.setInteger(row, 2, c.kampanyali);
        t.setInteger(row, 3, c.duyuru);
        t.setReal(row, 4, c.bakiye);
        t.setInteger(row, 5, c.dosya);
        return sonuc(t);
    });
    r.set("BalonGetir2", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const Sayaclar c = sayaclar(db, s, tamsayiGirdi(in, 0));
        return sonuc(qint64(1),
                     {c.sepet, c.yeni, c.kampanyali, c.duyuru, qint64(std::llround(c.bakiye)), c.dosya});
    });

    r.set("CariVadeGunGecmismiBul", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        if (!mayActFor(db, s, carino))
            return sonuc(QString());
        const double gecen = vadesiGecen(db, carino);
        if (gecen <= 0)
            return sonuc(QString());
        return sonuc(QStringLiteral("Vadesi geçmiş %1 TL bakiyeniz bulunmaktadır. Lütfen ödemenizi yapınız.")
                         .arg(paraYazisi(gecen)));
    });
    // The balance as the payment page takes it: "1.234,56". Empty only for
    // an account the caller cannot see.
    r.set("CariDurumVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        if (!mayActFor(db, s, carino))
            return sonuc(QString());
        const double bakiye =
            Query(db,
                  QStringLiteral("SELECT COALESCE(SUM(borc), 0) - COALESCE(SUM(alacak), 0) FROM "
                                 "ekstre WHERE carino = ?"),
                  {carino})
                .scalar(0)
                .toDouble();
        return sonuc(paraYazisi(ParaYuvarla(bakiye)));
    });
    // Empty when the account may order; otherwise the reason.
    r.set("SiparisAlinirmi", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        if (!mayActFor(db, s, carino))
            return sonuc(QStringLiteral("Cari bulunamadı"));
        return sonuc(QString());
    });
}

} // namespace kolvar::server
