#include "fiyat.h"
#include "methodregistry.h"
#include "session.h"
#include "siparis.h"
#include "yontemaileleri.h"
#include "yontemdestek.h"

#include <storage/database.h>
#include <transfer/baglantiu.h>

#include <QCryptographicHash>

#include <cmath>

namespace kolvar::server {

namespace {

Table kimlikAdTablosu(const Database &db, const QString &tablo)
{
    Table t = bosTablo({{"ID", ColumnType::Int32}, {"ADI", ColumnType::String, 50}});
    Query q(db, QStringLiteral("SELECT id, adi FROM %1 ORDER BY id").arg(tablo));
    q.exec();
    satirlariEkle(t, q);
    return t;
}

// Open balances: order lines with something left to deliver.
Table bakiyeler(const Database &db, const Session &s, qint64 carino)
{
    if (!mayActFor(db, s, carino))
        return siparisSatirTablosu(db, QStringLiteral("1 = 0"), {});
    return siparisSatirTablosu(db, QStringLiteral("l.carino = ? AND l.miktar > l.teslimedilen"), {carino});
}

Table oncekiler(const Database &db, const Session &s, qint64 carino)
{
    if (!mayActFor(db, s, carino))
        return siparisTablosu(db, QStringLiteral("1 = 0"), {});
    return siparisTablosu(db, QStringLiteral("o.carino = ?"), {carino});
}

// The order lines of one order the caller may see; `carino` 0 means "the
// order's own account".
Table ayrinti(const Database &db, const Session &s, qint64 carino, qint64 idno)
{
    QString kosul = QStringLiteral("o.idno = ? AND ") + accountScope(s, QStringLiteral("o.carino"));
    QVariantList b{idno};
    if (carino != 0) {
        kosul += QStringLiteral(" AND o.carino = ?");
        b << carino;
    }
    return siparisSatirTablosu(db, kosul, b);
}

// The order line behind a balance change, if the caller may change it:
// answers its account and order state, or nothing.
struct BakiyeSatiri {
    qint64 sirano = 0;
    double miktar = 0, teslim = 0;
    int durum = 0;
};

std::optional<BakiyeSatiri> bakiyeSatiri(const Database &db, const Session &s, const QList<WireValue> &in)
{
    const qint64 stokno = tamsayiGirdi(in, 1);
    const qint64 sirano = tamsayiGirdi(in, 3);
    Query q(db,
            QStringLiteral(
                "SELECT l.sirano, l.miktar, l.teslimedilen, o.durum, l.stokno FROM siparis_satirlari l "
                "JOIN siparisler o ON o.idno = l.idno WHERE l.sirano = ? AND ") +
                accountScope(s, QStringLiteral("l.carino")) + db.dialect().forUpdate(),
            {sirano});
    if (!q.next())
        return std::nullopt;
    if (stokno != 0 && q.value(4).toLongLong() != stokno)
        return std::nullopt;
    BakiyeSatiri b{q.value(0).toLongLong(), q.value(1).toDouble(), q.value(2).toDouble(), q.value(3).toInt()};
    // A shipped order is closed.
    if (b.durum >= SevkEdildi)
        return std::nullopt;
    return b;
}

SiparisAnahtari cagriAnahtari(const CallContext &ctx, const Session &s, const QList<WireValue> &in)
{
    if (!ctx.key.isEmpty()) {
        // The client's key, within the signed-in user: another user's equal
        // key is another call.
        const QByteArray k = QByteArray::number(s.user) + '|' + ctx.key.toUtf8();
        return {QStringLiteral("SiparisKaydet:istemci:") +
                    QString::fromLatin1(QCryptographicHash::hash(k, QCryptographicHash::Sha256).toHex()),
                true};
    }
    // The same session sending the same order with the same choices is the
    // same call; the selected lines it took are part of the order's own key.
    QByteArray k = ctx.session.toUtf8();
    for (int i = 1; i < in.size(); ++i) {
        k += '|';
        if (const auto *s = std::get_if<QString>(&in[i]))
            k += s->toUtf8();
        else
            k += QByteArray::number(tamsayiGirdi(in, i));
    }
    return {QStringLiteral("SiparisKaydet:") +
                QString::fromLatin1(QCryptographicHash::hash(k, QCryptographicHash::Sha256).toHex()),
            false};
}

} // namespace

void registerSiparisYontemleri(MethodRegistry &r, Database &db)
{
    r.set("TeslimVer", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        return sonuc(kimlikAdTablosu(db, QStringLiteral("teslim_cinsleri")));
    });
    r.set("KargoVer", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        return sonuc(kimlikAdTablosu(db, QStringLiteral("kargo_cinsleri")));
    });
    r.set("KargolarVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        requireSession(ctx);
        Table t = bosTablo({{"SIRANO", ColumnType::Int32},
                            {"ADI", ColumnType::String, 50},
                            {"UYARI", ColumnType::String},
                            {"CINS", ColumnType::Int32}});
        Query q(db,
                QStringLiteral("SELECT id, adi, uyari, cins FROM kargolar WHERE cins = ? ORDER BY adi, id"),
                {tamsayiGirdi(in, 0)});
        satirlariEkle(t, q);
        return sonuc(t);
    });

    r.set("SiparisKaydet", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const bool ok =
            siparisKaydet(db, s, tamsayiGirdi(in, 1), int(tamsayiGirdi(in, 2)), int(tamsayiGirdi(in, 3)),
                          metinGirdi(in, 4), int(tamsayiGirdi(in, 6)), cagriAnahtari(ctx, s, in));
        return sonuc(ok);
    });
    // A representative confirms a received or seen order.
    r.set("MobilSiparisKaydet", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        if (!s.isRepresentative())
            return sonuc(qint64(0));
        Query q(db,
                QStringLiteral("UPDATE siparisler SET durum = 2 WHERE idno = ? AND durum IN (0, 1) AND ") +
                    accountScope(s, QStringLiteral("siparisler.carino")),
                {tamsayiGirdi(in, 0)});
        return sonuc(qint64(q.numRowsAffected() > 0 ? 1 : 0));
    });

    for (const char *ad : {"OncekiSiparisler", "OncekiSiparisler2", "Oncekiler"}) {
        r.set(ad, [&db](CallContext &ctx, const QList<WireValue> &in) {
            const Session s = requireSession(ctx);
            return sonuc(oncekiler(db, s, tamsayiGirdi(in, 0)));
        });
    }
    for (const char *ad : {"SiparisAyrintisi2", "SiparisAyrintisi"}) {
        r.set(ad, [&db](CallContext &ctx, const QList<WireValue> &in) {
            const Session s = requireSession(ctx);
            const qint64 idno = tamsayiGirdi(in, 1);
            Table t = ayrinti(db, s, tamsayiGirdi(in, 0), idno);
            // A representative opening a new order has seen it.
            if (s.isRepresentative() && t.rowCount() > 0)
                Query(db, QStringLiteral("UPDATE siparisler SET durum = 1 WHERE idno = ? AND durum = 0"),
                      {idno});
            return sonuc(t);
        });
    }
    r.set("SiparisAytintisiDip", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        auto dip = std::make_unique<TSiparisDipAyrinti>();
        Query q(db,
                QStringLiteral(
                    "SELECT o.aciklama, o.durum, COALESCE(u.adi, ''), COALESCE(k.adi, ''), o.kolvar_mesaj, "
                    "COALESCE(tc.adi, ''), COALESCE(kc.adi, ''), o.satici_notu, o.carino "
                    "FROM siparisler o LEFT JOIN kullanicilar u ON u.sirano = o.verenid "
                    "LEFT JOIN kargolar k ON k.id = o.kargoyeni "
                    "LEFT JOIN teslim_cinsleri tc ON tc.id = o.teslimid "
                    "LEFT JOIN kargo_cinsleri kc ON kc.id = o.kargoid WHERE o.idno = ? AND ") +
                    accountScope(s, QStringLiteral("o.carino")),
                {tamsayiGirdi(in, 1)});
        if (q.next() && (carino == 0 || q.value(8).toLongLong() == carino)) {
            dip->setSizinMesaj(q.value(0).toString());
            dip->setDurumu(siparisDurumYazisi(q.value(1).toInt()));
            dip->setVeren(q.value(2).toString());
            dip->setKargo(q.value(3).toString());
            dip->setKolvarMesaj(q.value(4).toString());
            dip->setTeslimCinsi(q.value(5).toString());
            dip->setKargoCinsi(q.value(6).toString());
            dip->setSaticiNotu(q.value(7).toString());
        }
        return sonuc(nesneSonuc(std::move(dip)));
    });

    for (const char *ad : {"BakiyelerVer2", "BakiyelerVer"}) {
        r.set(ad, [&db](CallContext &ctx, const QList<WireValue> &in) {
            const Session s = requireSession(ctx);
            return sonuc(bakiyeler(db, s, tamsayiGirdi(in, 0)));
        });
    }
    r.set("TumSiparislerVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        const qint64 stokno = tamsayiGirdi(in, 1);
        if (!mayActFor(db, s, carino))
            return sonuc(siparisSatirTablosu(db, QStringLiteral("1 = 0"), {}));
        if (stokno == 0)
            return sonuc(siparisSatirTablosu(db, QStringLiteral("l.carino = ?"), {carino}));
        return sonuc(
            siparisSatirTablosu(db, QStringLiteral("l.carino = ? AND l.stokno = ?"), {carino, stokno}));
    });

    // Delete a balance: nothing more is to be delivered on the line.
    r.set("BakiyeDuzenle", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        Transaction tx(db);
        const auto b = bakiyeSatiri(db, s, in);
        if (!b)
            return sonuc(qint64(0));
        Query(db, QStringLiteral("UPDATE siparis_satirlari SET miktar = teslimedilen WHERE sirano = ?"),
              {b->sirano});
        tx.commit();
        return sonuc(qint64(1));
    });
    // Change a balance: the open quantity becomes `Bakiye`.
    r.set("BakiyeDegistir", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const double yeni = ondalikGirdi(in, 5);
        if (!(yeni > 0) || yeni > 1e6)
            return sonuc(qint64(0));
        Transaction tx(db);
        const auto b = bakiyeSatiri(db, s, in);
        if (!b)
            return sonuc(qint64(0));
        Query(db, QStringLiteral("UPDATE siparis_satirlari SET miktar = teslimedilen + ? WHERE sirano = ?"),
              {yeni, b->sirano});
        tx.commit();
        return sonuc(qint64(1));
    });
    // Change the price of a balance: for the representatives who may set
    // prices (type 2); the first price is kept in ILKFIYAT.
    r.set("BakiyeFiyatDegistir", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const double fiyat = ondalikGirdi(in, 7);
        const double ind = ondalikGirdi(in, 8);
        if (s.musteriTipi != 2 || !(fiyat >= 0) || fiyat > 1e9 || !(ind >= 0) || ind > 100)
            return sonuc(qint64(0));
        Transaction tx(db);
        const auto b = bakiyeSatiri(db, s, in);
        if (!b)
            return sonuc(qint64(0));
        Query(db,
              QStringLiteral(
                  "UPDATE siparis_satirlari SET birimfiyat = ?, indirimorani1 = ?, indirimorani2 = 0, "
                  "indirimorani3 = 0, indirimorani4 = 0 WHERE sirano = ?"),
              {ParaYuvarla(fiyat), ind, b->sirano});
        tx.commit();
        return sonuc(qint64(1));
    });

    r.set("RaporAlinanSiparisler", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const QString t1 = oleGunu(ondalikGirdi(in, 1)).toString(Qt::ISODate);
        const QString t2 = oleGunu(ondalikGirdi(in, 2)).toString(Qt::ISODate);
        const Table o = siparisTablosu(db,
                                       accountScope(s, QStringLiteral("o.carino")) +
                                           QStringLiteral(" AND o.tarih >= ? AND o.tarih <= ?"),
                                       {t1, t2});
        using T = ColumnType;
        Table t = bosTablo({{"SATICIADI", T::String, 50},
                            {"IDNO", T::Double},
                            {"CARINO", T::Int32},
                            {"TARIH", T::Date},
                            {"KUR", T::String, 5},
                            {"KURTL", T::Double},
                            {"VERENIDNO", T::Int32},
                            {"KARGO", T::String, 50},
                            {"TESLIM", T::String, 50},
                            {"VEREN", T::String, 50},
                            {"CARIKOD", T::String, 25},
                            {"CARIADI", T::String, 100},
                            {"DURUM", T::String, 100},
                            {"KARGOADI", T::String, 50},
                            {"VERGI", T::Double},
                            {"NETTUTAR", T::Double},
                            {"TUTAR", T::Double}});
        const char *kaynak[] = {"SATICIADI", "IDNO",     "CARINO", "TARIH",    "KUR",     "KURTL",
                                "VERENIDNO", "KARGO",    "TESLIM", "VEREN",    "CARIKOD", "CARIADI",
                                "DURUM",     "KARGOADI", "VERGI",  "NETTUTAR", "TUTAR"};
        for (int i = 0; i < o.rowCount(); ++i) {
            const int row = t.appendRow();
            for (int c = 0; c < t.columnCount(); ++c)
                t.setValue(row, c, o.value(i, o.columnIndex(QString::fromLatin1(kaynak[c]))));
        }
        return sonuc(t);
    });
    r.set("RaporEnCokSatilanStoklar", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const QString t1 = oleGunu(ondalikGirdi(in, 1)).toString(Qt::ISODate);
        const QString t2 = oleGunu(ondalikGirdi(in, 2)).toString(Qt::ISODate);
        const Table l = siparisSatirTablosu(db,
                                            accountScope(s, QStringLiteral("o.carino")) +
                                                QStringLiteral(" AND o.tarih >= ? AND o.tarih <= ?"),
                                            {t1, t2});
        struct Toplam {
            QString barkod, kod, adi, departman;
            double miktar = 0, net = 0, vergi = 0, tutar = 0;
        };
        QHash<qint64, Toplam> toplamlar;
        QList<qint64> sira;
        const int cStok = l.columnIndex(u"STOKNO"), cBarkod = l.columnIndex(u"BARKOD"),
                  cAdi = l.columnIndex(u"STOKADI"), cOem = l.columnIndex(u"OEMNO"),
                  cMiktar = l.columnIndex(u"MIKTAR"), cNet = l.columnIndex(u"NETTUTAR"),
                  cVergi = l.columnIndex(u"VERGITUTARI"), cTutar = l.columnIndex(u"TUTAR"),
                  cGrup = l.columnIndex(u"ANAGRUP");
        for (int i = 0; i < l.rowCount(); ++i) {
            const qint64 stok = l.integer(i, cStok);
            if (!toplamlar.contains(stok)) {
                sira << stok;
                toplamlar.insert(stok, Toplam{l.string(i, cBarkod), l.string(i, cOem), l.string(i, cAdi),
                                              l.string(i, cGrup)});
            }
            Toplam &tp = toplamlar[stok];
            tp.miktar += l.real(i, cMiktar);
            tp.net = ParaYuvarla(tp.net + l.real(i, cNet));
            tp.vergi = ParaYuvarla(tp.vergi + l.real(i, cVergi));
            tp.tutar = ParaYuvarla(tp.tutar + l.real(i, cTutar));
        }
        std::stable_sort(sira.begin(), sira.end(),
                         [&](qint64 a, qint64 b) { return toplamlar[a].miktar > toplamlar[b].miktar; });
        using T = ColumnType;
        Table t = bosTablo({{"BARKOD", T::String, 50},
                            {"KOD", T::String, 50},
                            {"ADI", T::String, 100},
                            {"DEPARTMAN", T::String, 50},
                            {"MIKTAR", T::Double},
                            {"NETTUTAR", T::Double},
                            {"TLVERGI", T::Double},
                            {"TUTAR", T::Double}});
        for (qint64 stok : sira) {
            const Toplam &tp = toplamlar[stok];
            const int row = t.appendRow();
            t.setString(row, 0, tp.barkod);
            t.setString(row, 1, tp.kod);
            t.setString(row, 2, tp.adi);
            t.setString(row, 3, tp.departman);
            t.setReal(row, 4, tp.miktar);
            t.setReal(row, 5, tp.net);
            t.setReal(row, 6, tp.vergi);
            t.setReal(row, 7, tp.tutar);
        }
        return sonuc(t);
    });
}

} // namespace kolvar::server
