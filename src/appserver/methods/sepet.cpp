#include "sepet.h"

#include "fiyat.h"
#include "stokarama.h"
#include "yontemdestek.h"

#include <storage/database.h>

namespace kolvar::server {

Table sepetTablosu(const Database &db, qint64 carino)
{
    using T = ColumnType;
    Table t = bosTablo({{"SEC", T::Int32},
                        {"VERILISTARIHI", T::Date},
                        {"SIRANO", T::Int32},
                        {"STOKNO", T::Int32},
                        {"BARKOD", T::String, 50},
                        {"FINISHKOD", T::String, 50},
                        {"OEMNO", T::String, 50},
                        {"STOKADI", T::String, 100},
                        {"MIKTAR", T::Double},
                        {"BIRIMFIYAT", T::Double},
                        {"TUTAR", T::Double},
                        {"INDIRIMYAZI", T::String, 50},
                        {"INDIRIMORANI1", T::Double},
                        {"INDIRIMORANI2", T::Double},
                        {"INDIRIMORANI3", T::Double},
                        {"INDIRIMORANI4", T::Double},
                        {"INDIRIMTUTAR", T::Double},
                        {"NETBIRIMFIYAT", T::Double},
                        {"KDV", T::Double},
                        {"VERGITUTARI", T::Double},
                        {"NETTUTAR", T::Double},
                        {"KDVLITUTAR", T::Double},
                        {"VEREN", T::String, 50},
                        {"DURUM", T::Int32},
                        {"MARKA", T::String, 50},
                        {"MODEL", T::String, 50},
                        {"SIPARISNO", T::Int32},
                        {"CARINO", T::Int32},
                        {"TARIH", T::Date},
                        {"AKTAR", T::Int32},
                        {"KUR", T::String, 5},
                        {"KURTL", T::Double},
                        {"VERENIDNO", T::Int32},
                        {"SAAT", T::String, 8},
                        {"TESLIMID", T::Int32},
                        {"KARGOID", T::Int32},
                        {"ACIKLAMA", T::String, 100},
                        {"IDNO", T::Int32},
                        {"VERENSIRANO", T::Int32},
                        {"CARIKOD", T::String, 25},
                        {"CARIADI", T::String, 100},
                        {"OEM1", T::String, 50},
                        {"OEM2", T::String, 50},
                        {"OEM3", T::String, 50},
                        {"OEM4", T::String, 50},
                        {"STOK_STOKNO", T::Int32},
                        {"URETICIKODU", T::String, 50},
                        {"DIGERADI", T::String, 100},
                        {"DPKOD", T::String, 50},
                        {"ANAGRUP", T::String, 50},
                        {"OZELKOD", T::String, 50},
                        {"PKOD", T::String, 50},
                        {"KALAN", T::Double},
                        {"RESIM", T::Int32}});
    if (carino <= 0)
        return t;
    Query q(
        db,
        QStringLiteral(
            "SELECT b.sec, b.tarih, b.sirano, b.stokno, b.barkod, s.finishkod, s.oemno, b.stokadi, "
            "b.miktar, b.birimfiyat, b.indirimorani1, b.indirimorani2, b.indirimorani3, b.indirimorani4, "
            "b.kdv, COALESCE(u.adi, ''), s.durum, s.marka, s.model, b.carino, b.verenid, b.saat, "
            "b.aciklama, c.carikod, c.cariadi, s.oem1, s.oem2, s.oem3, s.oem4, s.ureticikodu, s.digeradi, "
            "s.dpkod, s.anagrup, s.ozelkod, s.pkod, s.kalan, b.kur, b.kurtl, "
            "CASE WHEN EXISTS (SELECT 1 FROM stok_resimleri r WHERE r.stokno = b.stokno) THEN 1 ELSE 0 END "
            "FROM sepet b JOIN stoklar s ON s.stokno = b.stokno JOIN cariler c ON c.carino = b.carino "
            "LEFT JOIN kullanicilar u ON u.sirano = b.verenid WHERE b.carino = ? ORDER BY b.sirano"),
        {carino});
    while (q.next()) {
        const int r = t.appendRow();
        const QDate tarih = QDate::fromString(q.value(1).toString().left(10), Qt::ISODate);
        const Indirimler ind{q.value(10).toDouble(), q.value(11).toDouble(), q.value(12).toDouble(),
                             q.value(13).toDouble()};
        const double kdv = q.value(14).toDouble();
        const SatirTutari st = SatirHesapla(q.value(8).toDouble(), q.value(9).toDouble(), ind, kdv);
        t.setInteger(r, 0, q.value(0).toLongLong() != 0 ? 1 : 0);
        t.setDate(r, 1, tarih);
        t.setInteger(r, 2, q.value(2).toLongLong());
        t.setInteger(r, 3, q.value(3).toLongLong());
        t.setString(r, 4, q.value(4).toString());
        t.setString(r, 5, q.value(5).toString());
        t.setString(r, 6, q.value(6).toString());
        t.setString(r, 7, q.value(7).toString());
        t.setReal(r, 8, q.value(8).toDouble());
        t.setReal(r, 9, st.birimFiyat);
        t.setReal(r, 10, st.tutar);
        t.setString(r, 11, IndirimYazisi(ind));
        for (int i = 0; i < 4; ++i)
            t.setReal(r, 12 + i, ind[i]);
        t.setReal(r, 16, st.indirimTutar);
        t.setReal(r, 17, st.netBirimFiyat);
        t.setReal(r, 18, kdv);
        t.setReal(r, 19, st.vergiTutari);
        t.setReal(r, 20, st.netTutar);
        t.setReal(r, 21, st.kdvliTutar);
        t.setString(r, 22, q.value(15).toString());
        t.setInteger(r, 23, q.value(16).toLongLong());
        t.setString(r, 24, q.value(17).toString());
        t.setString(r, 25, q.value(18).toString());
        t.setInteger(r, 26, 0);
        t.setInteger(r, 27, q.value(19).toLongLong());
        t.setDate(r, 28, tarih);
        t.setInteger(r, 29, 0);
        t.setString(r, 30, q.value(36).toString());
        t.setReal(r, 31, q.value(37).toDouble());
        t.setInteger(r, 32, q.value(20).toLongLong());
        t.setString(r, 33, q.value(21).toString());
        t.setInteger(r, 34, 0);
        t.setInteger(r, 35, 0);
        t.setString(r, 36, q.value(22).toString());
        t.setInteger(r, 37, q.value(2).toLongLong());
        t.setInteger(r, 38, q.value(20).toLongLong());
        for (int c = 0; c < 6; ++c) // CARIKOD, CARIADI, OEM1..OEM4
            t.setString(r, 39 + c, q.value(23 + c).toString());
        t.setInteger(r, 45, q.value(3).toLongLong()); // STOK_STOKNO
        for (int c = 0; c < 6; ++c)                   // URETICIKODU .. PKOD
            t.setString(r, 46 + c, q.value(29 + c).toString());
        t.setReal(r, 52, q.value(35).toDouble());
        t.setInteger(r, 53, q.value(38).toLongLong());
    }
    return t;
}

qint64 sepeteEkle(const Database &db, qint64 veren, qint64 carino, qint64 stokno, double miktar,
                  std::optional<double> temsilciFiyati)
{
    Transaction tx(db);
    Query s(
        db,
        QStringLiteral(
            "SELECT barkod, adi, listefiyat, kampfiyat, kampanya, kdv, kur FROM stoklar WHERE stokno = ?"),
        {stokno});
    if (!s.next())
        return 0;
    StokFiyatGirdisi g;
    g.listeFiyat = s.value(2).toDouble();
    g.kampanyaFiyat = s.value(4).toLongLong() != 0 ? s.value(3).toDouble() : 0.0;
    g.kdv = s.value(5).toDouble();
    const StokFiyati f = StokFiyatiHesapla(g, cariIndirimleri(db, carino));
    double birimFiyat = f.fiyat;
    if (temsilciFiyati) {
        const std::optional<double> kabul = TemsilciFiyatiKabul(*temsilciFiyati, f);
        if (!kabul)
            return 0;
        birimFiyat = *kabul;
    }
    const QVariantList stok{s.value(0), s.value(1), s.value(6)};
    // SQLite refuses to commit while a statement is still open.
    s.raw().finish();
    Query mevcut(
        db,
        QStringLiteral("SELECT sirano FROM sepet WHERE carino = ? AND stokno = ? ORDER BY sirano LIMIT 1"),
        {carino, stokno});
    if (mevcut.next()) {
        const qint64 sirano = mevcut.value(0).toLongLong();
        mevcut.raw().finish();
        if (temsilciFiyati)
            Query(db, QStringLiteral("UPDATE sepet SET miktar = miktar + ?, birimfiyat = ? WHERE sirano = ?"),
                  {miktar, birimFiyat, sirano});
        else
            Query(db, QStringLiteral("UPDATE sepet SET miktar = miktar + ? WHERE sirano = ?"),
                  {miktar, sirano});
        tx.commit();
        return sirano;
    }
    mevcut.raw().finish();
    Query ins(
        db,
        QStringLiteral("INSERT INTO sepet (carino, stokno, barkod, stokadi, miktar, birimfiyat, kdv, "
                       "indirimorani1, indirimorani2, indirimorani3, indirimorani4, kampanya, sec, verenid, "
                       "tarih, saat, kur) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?, ?, ?) "
                       "RETURNING sirano"),
        {carino, stokno, stok[0], stok[1], miktar, birimFiyat, g.kdv, f.ind[0], f.ind[1], f.ind[2], f.ind[3],
         f.k, veren, bugunIso(), simdiSaat(), stok[2]});
    const qint64 sirano = ins.next() ? ins.value(0).toLongLong() : 0;
    ins.raw().finish();
    tx.commit();
    return sirano;
}

} // namespace kolvar::server
