#include "siparis.h"

#include "fiyat.h"
#include "session.h"
#include "yontemdestek.h"

#include <storage/database.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>

namespace kolvar::server {

namespace {

// A repeated call is recognised for this long after the first one.
constexpr qint64 kTekrarSuresi = 24 * 3600;

void binds(Query &q, const QVariantList &baglar)
{
    for (const QVariant &b : baglar)
        q.bind(b);
}

} // namespace

QString siparisDurumYazisi(int durum)
{
    switch (durum) {
    case Alindi: return QStringLiteral("Alındı");
    case Goruldu: return QStringLiteral("Görüldü");
    case Onaylandi: return QStringLiteral("Onaylandı");
    case ParcaliHazirlandi: return QStringLiteral("Parçalı Hazırlandı");
    case Hazirlandi: return QStringLiteral("Hazırlandı");
    case SevkEdildi: return QStringLiteral("Sevk Edildi");
    default: return QString();
    }
}

Table siparisSatirTablosu(const Database &db, const QString &kosul, const QVariantList &baglar)
{
    using T = ColumnType;
    Table t = bosTablo({{"VERILISTARIHI", T::Date},
                        {"BARKOD", T::String, 50},
                        {"FINISHKOD", T::String, 50},
                        {"OEMNO", T::String, 50},
                        {"STOKADI", T::String, 100},
                        {"MIKTAR", T::Double},
                        {"BIRIMFIYAT", T::Double},
                        {"TUTAR", T::Double},
                        {"INDIRIMYAZI", T::String, 50},
                        {"NETBIRIMFIYAT", T::Double},
                        {"KDV", T::Double},
                        {"VERGITUTARI", T::Double},
                        {"NETTUTAR", T::Double},
                        {"VEREN", T::String, 50},
                        {"TESLIMEDILEN", T::Double},
                        {"KALAN", T::Double},
                        {"DURUM", T::Int32},
                        {"ILKFIYAT", T::Double},
                        {"ELDEKI", T::Double},
                        {"ALINANSIPARIS", T::Double},
                        {"VERILENSIPARIS", T::Double},
                        {"SIPARISNO", T::Int32},
                        {"TARIH", T::Date},
                        {"INDIRIMORANI1", T::Double},
                        {"INDIRIMORANI2", T::Double},
                        {"INDIRIMORANI3", T::Double},
                        {"INDIRIMORANI4", T::Double},
                        {"KUR", T::String, 5},
                        {"SAAT", T::String, 8},
                        {"ACIKLAMA", T::String, 100},
                        {"OEM1", T::String, 50},
                        {"OEM2", T::String, 50},
                        {"OEM3", T::String, 50},
                        {"OEM4", T::String, 50},
                        {"DIGERADI", T::String, 100},
                        {"DPKOD", T::String, 50},
                        {"MARKA", T::String, 50},
                        {"MODEL", T::String, 50},
                        {"ANAGRUP", T::String, 50},
                        {"OZELKOD", T::String, 50},
                        {"PKOD", T::String, 50},
                        {"SIRANO", T::Int32},
                        {"CARINO", T::Int32},
                        {"AKTAR", T::Int32},
                        {"STOKNO", T::Int32},
                        {"INDIRIMTUTAR", T::Double},
                        {"KURTL", T::Double},
                        {"VERENIDNO", T::Int32},
                        {"TESLIMID", T::Int32},
                        {"KARGOID", T::Int32},
                        {"IDNO", T::Int32},
                        {"VERENSIRANO", T::Int32},
                        {"CARIKOD", T::String, 25},
                        {"CARIADI", T::String, 100},
                        {"STOK_STOKNO", T::Int32},
                        {"URETICIKODU", T::String, 50},
                        {"TESLIM", T::String, 50},
                        {"KARGO", T::String, 50},
                        {"STOKHAR_NO", T::Int32},
                        {"KDVLITUTAR", T::Double},
                        {"DURUMU", T::String, 50}});
    Query q(
        db,
        QStringLiteral(
            "SELECT o.verilistarihi, o.tarih, l.barkod, s.finishkod, s.oemno, l.stokadi, l.miktar, "
            "l.birimfiyat, l.indirimorani1, l.indirimorani2, l.indirimorani3, l.indirimorani4, l.kdv, "
            "COALESCE(u.adi, ''), l.teslimedilen, s.durum, l.ilkfiyat, s.kalan, s.alinansiparis, "
            "s.verilensiparis, o.idno, o.saat, l.aciklama, s.oem1, s.oem2, s.oem3, s.oem4, s.digeradi, "
            "s.dpkod, "
            "s.marka, s.model, s.anagrup, s.ozelkod, s.pkod, l.sirano, l.carino, l.stokno, l.kur, l.kurtl, "
            "l.verenid, o.teslimid, o.kargoid, c.carikod, c.cariadi, s.ureticikodu, COALESCE(tc.adi, ''), "
            "COALESCE(kc.adi, ''), o.durum "
            "FROM siparis_satirlari l JOIN siparisler o ON o.idno = l.idno JOIN stoklar s ON s.stokno = "
            "l.stokno "
            "JOIN cariler c ON c.carino = l.carino LEFT JOIN kullanicilar u ON u.sirano = l.verenid "
            "LEFT JOIN teslim_cinsleri tc ON tc.id = o.teslimid LEFT JOIN kargo_cinsleri kc ON kc.id = "
            "o.kargoid "
            "WHERE %1 ORDER BY o.idno DESC, l.sirano")
            .arg(kosul));
    binds(q, baglar);
    q.exec();
    while (q.next()) {
        const int r = t.appendRow();
        auto tarih = [&q](int i) { return QDate::fromString(q.value(i).toString().left(10), Qt::ISODate); };
        const Indirimler ind{q.value(8).toDouble(), q.value(9).toDouble(), q.value(10).toDouble(),
                             q.value(11).toDouble()};
        const double miktar = q.value(6).toDouble();
        const double kdv = q.value(12).toDouble();
        const double teslim = q.value(14).toDouble();
        const SatirTutari st = SatirHesapla(miktar, q.value(7).toDouble(), ind, kdv);
        QDate verilis = tarih(0);
        if (!verilis.isValid())
            verilis = tarih(1);
        t.setDate(r, 0, verilis);
        t.setString(r, 1, q.value(2).toString());
        t.setString(r, 2, q.value(3).toString());
        t.setString(r, 3, q.value(4).toString());
        t.setString(r, 4, q.value(5).toString());
        t.setReal(r, 5, miktar);
        t.setReal(r, 6, st.birimFiyat);
        t.setReal(r, 7, st.tutar);
        t.setString(r, 8, IndirimYazisi(ind));
        t.setReal(r, 9, st.netBirimFiyat);
        t.setReal(r, 10, kdv);
        t.setReal(r, 11, st.vergiTutari);
        t.setReal(r, 12, st.netTutar);
        t.setString(r, 13, q.value(13).toString());
        t.setReal(r, 14, teslim);
        t.setReal(r, 15, std::max(0.0, miktar - teslim));
        t.setInteger(r, 16, q.value(15).toLongLong());
        t.setReal(r, 17, q.value(16).toDouble());
        t.setReal(r, 18, q.value(17).toDouble());
        t.setReal(r, 19, q.value(18).toDouble());
        t.setReal(r, 20, q.value(19).toDouble());
        t.setInteger(r, 21, q.value(20).toLongLong());
        t.setDate(r, 22, tarih(1));
        for (int i = 0; i < 4; ++i)
            t.setReal(r, 23 + i, ind[i]);
        t.setString(r, 27, q.value(37).toString());
        t.setString(r, 28, q.value(21).toString());
        t.setString(r, 29, q.value(22).toString());
        for (int c = 0; c < 11; ++c)
            t.setString(r, 30 + c, q.value(23 + c).toString());
        t.setInteger(r, 41, q.value(34).toLongLong());
        t.setInteger(r, 42, q.value(35).toLongLong());
        t.setInteger(r, 43, 0);
        t.setInteger(r, 44, q.value(36).toLongLong());
        t.setReal(r, 45, st.indirimTutar);
        t.setReal(r, 46, q.value(38).toDouble());
        t.setInteger(r, 47, q.value(39).toLongLong());
        t.setInteger(r, 48, q.value(40).toLongLong());
        t.setInteger(r, 49, q.value(41).toLongLong());
        t.setInteger(r, 50, q.value(20).toLongLong());
        t.setInteger(r, 51, q.value(39).toLongLong());
        t.setString(r, 52, q.value(42).toString());
        t.setString(r, 53, q.value(43).toString());
        t.setInteger(r, 54, q.value(36).toLongLong());
        t.setString(r, 55, q.value(44).toString());
        t.setString(r, 56, q.value(45).toString());
        t.setString(r, 57, q.value(46).toString());
        t.setInteger(r, 58, q.value(34).toLongLong());
        t.setReal(r, 59, st.kdvliTutar);
        t.setString(r, 60, siparisDurumYazisi(q.value(47).toInt()));
    }
    return t;
}

Table siparisTablosu(const Database &db, const QString &kosul, const QVariantList &baglar)
{
    using T = ColumnType;
    Table t = bosTablo({{"CARINO", T::Int32},         {"IDNO", T::Int32},          {"TARIH", T::Date},
                        {"KUR", T::String, 5},        {"KURTL", T::Double},        {"VERENIDNO", T::Int32},
                        {"KARGO", T::String, 50},     {"TESLIM", T::String, 50},   {"VEREN", T::String, 50},
                        {"CARIKOD", T::String, 25},   {"CARIADI", T::String, 100}, {"VERGI", T::Double},
                        {"NETTUTAR", T::Double},      {"TUTAR", T::Double},        {"DURUM", T::String, 100},
                        {"KARGOADI", T::String, 50},  {"VERENINNOTU", T::String},  {"ALANNOTU", T::String},
                        {"SATICIADI", T::String, 50}, {"SAAT", T::String, 8},      {"DURUMNO", T::Int32}});
    Query q(db,
            QStringLiteral(
                "SELECT o.carino, o.idno, o.tarih, COALESCE(kc.adi, ''), COALESCE(tc.adi, ''), o.verenid, "
                "COALESCE(u.adi, ''), c.carikod, c.cariadi, o.durum, COALESCE(k.adi, ''), o.aciklama, "
                "o.kolvar_mesaj, COALESCE(st.adi, ''), o.saat, "
                "(SELECT COALESCE(SUM(1), 0) FROM siparis_satirlari x WHERE x.idno = o.idno) "
                "FROM siparisler o JOIN cariler c ON c.carino = o.carino "
                "LEFT JOIN kullanicilar u ON u.sirano = o.verenid "
                "LEFT JOIN teslim_cinsleri tc ON tc.id = o.teslimid "
                "LEFT JOIN kargo_cinsleri kc ON kc.id = o.kargoid LEFT JOIN kargolar k ON k.id = o.kargoyeni "
                "LEFT JOIN saticilar st ON st.satici_no = c.satici_no WHERE %1 ORDER BY o.idno DESC")
                .arg(kosul));
    binds(q, baglar);
    q.exec();
    QHash<qint64, int> satirlar;
    while (q.next()) {
        const int r = t.appendRow();
        const qint64 idno = q.value(1).toLongLong();
        satirlar.insert(idno, r);
        t.setInteger(r, 0, q.value(0).toLongLong());
        t.setInteger(r, 1, idno);
        t.setDate(r, 2, QDate::fromString(q.value(2).toString().left(10), Qt::ISODate));
        t.setString(r, 3, QStringLiteral("TL"));
        t.setReal(r, 4, 1);
        t.setInteger(r, 5, q.value(5).toLongLong());
        t.setString(r, 6, q.value(3).toString());
        t.setString(r, 7, q.value(4).toString());
        t.setString(r, 8, q.value(6).toString());
        t.setString(r, 9, q.value(7).toString());
        t.setString(r, 10, q.value(8).toString());
        t.setReal(r, 11, 0);
        t.setReal(r, 12, 0);
        t.setReal(r, 13, 0);
        t.setString(r, 14, siparisDurumYazisi(q.value(9).toInt()));
        t.setString(r, 15, q.value(10).toString());
        t.setString(r, 16, q.value(11).toString());
        t.setString(r, 17, q.value(12).toString());
        t.setString(r, 18, q.value(13).toString());
        t.setString(r, 19, q.value(14).toString());
        t.setInteger(r, 20, q.value(9).toLongLong());
    }
    if (satirlar.isEmpty())
        return t;
    // Totals from the lines, with the same line arithmetic as the basket.
    Query l(db, QStringLiteral("SELECT l.idno, l.miktar, l.birimfiyat, l.indirimorani1, l.indirimorani2, "
                               "l.indirimorani3, l.indirimorani4, l.kdv FROM siparis_satirlari l "
                               "JOIN siparisler o ON o.idno = l.idno JOIN cariler c ON c.carino = o.carino "
                               "WHERE %1")
                    .arg(kosul));
    binds(l, baglar);
    l.exec();
    while (l.next()) {
        const auto it = satirlar.constFind(l.value(0).toLongLong());
        if (it == satirlar.cend())
            continue;
        const Indirimler ind{l.value(3).toDouble(), l.value(4).toDouble(), l.value(5).toDouble(),
                             l.value(6).toDouble()};
        const SatirTutari st =
            SatirHesapla(l.value(1).toDouble(), l.value(2).toDouble(), ind, l.value(7).toDouble());
        const int r = *it;
        t.setReal(r, 11, ParaYuvarla(t.real(r, 11) + st.vergiTutari));
        t.setReal(r, 12, ParaYuvarla(t.real(r, 12) + st.netTutar));
        t.setReal(r, 13, ParaYuvarla(t.real(r, 13) + st.tutar));
    }
    return t;
}

bool siparisKaydet(const Database &db, const Session &s, qint64 carino, int teslim, int kargo,
                   const QString &aciklama, int kargoyeni, const SiparisAnahtari &cagri)
{
    const QString &anahtar = cagri.deger;
    if (!mayActFor(db, s, carino))
        return false;
    if (!Query(db, QStringLiteral("SELECT 1 FROM teslim_cinsleri WHERE id = ?"), {teslim}).next() ||
        !Query(db, QStringLiteral("SELECT 1 FROM kargo_cinsleri WHERE id = ?"), {kargo}).next() ||
        !Query(db, QStringLiteral("SELECT 1 FROM kargolar WHERE id = ? AND cins = ?"), {kargoyeni, kargo})
             .next())
        return false;

    const qint64 simdi = QDateTime::currentSecsSinceEpoch();
    Transaction tx(db);
    if (cagri.istemcinin) {
        // The key is claimed before anything else: a repeat, also one that
        // arrives while the first is still running, waits here for the first
        // and then answers its result.
        Query al(
            db,
            QStringLiteral("INSERT INTO islem_anahtarlari (anahtar, olusturma, sonuc) VALUES (?, ?, '0') "
                           "ON CONFLICT (anahtar) DO NOTHING"),
            {anahtar, simdi});
        if (al.numRowsAffected() == 0) {
            Query onceki(db, QStringLiteral("SELECT sonuc FROM islem_anahtarlari WHERE anahtar = ?"),
                         {anahtar});
            return onceki.next() && onceki.value(0).toString().toLongLong() > 0;
        }
    }
    Query secili(db,
                 QStringLiteral("SELECT sirano FROM sepet WHERE carino = ? AND sec = 1 ORDER BY sirano") +
                     db.dialect().forUpdate(),
                 {carino});
    QList<qint64> siranolar;
    while (secili.next())
        siranolar << secili.value(0).toLongLong();
    if (siranolar.isEmpty()) {
        if (cagri.istemcinin) {
            secili.raw().finish();
            tx.commit(); // the claimed key answers false from now on
            return false;
        }
        // Nothing selected: either there never was, or this call already
        // went through and took the lines with it.
        Query onceki(
            db, QStringLiteral("SELECT sonuc FROM islem_anahtarlari WHERE anahtar = ? AND olusturma >= ?"),
            {anahtar, simdi - kTekrarSuresi});
        return onceki.next() && onceki.value(0).toString().toLongLong() > 0;
    }

    QByteArray ozet = anahtar.toUtf8();
    for (qint64 n : siranolar)
        ozet += ',' + QByteArray::number(n);
    const QString idem =
        QString::fromLatin1(QCryptographicHash::hash(ozet, QCryptographicHash::Sha256).toHex());
    Query ins(
        db,
        QStringLiteral(
            "INSERT INTO siparisler (carino, verenid, tarih, saat, durum, teslimid, kargoid, "
            "kargoyeni, aciklama, verilistarihi, idem_anahtar) VALUES (?, ?, ?, ?, 0, ?, ?, ?, ?, ?, "
            "?) RETURNING idno"),
        {carino, s.user, bugunIso(), simdiSaat(), teslim, kargo, kargoyeni, aciklama, bugunIso(), idem});
    if (!ins.next())
        throw StorageError(QStringLiteral("order number not returned"));
    const qint64 idno = ins.value(0).toLongLong();
    ins.raw().finish(); // SQLite refuses to commit while a statement is open
    secili.raw().finish();

    QString yer = QStringLiteral("?");
    for (int i = 1; i < siranolar.size(); ++i)
        yer += QStringLiteral(",?");
    Query satir(
        db, QStringLiteral("INSERT INTO siparis_satirlari (idno, carino, stokno, barkod, stokadi, miktar, "
                           "birimfiyat, ilkfiyat, kdv, indirimorani1, indirimorani2, indirimorani3, "
                           "indirimorani4, kampanya, verenid, aciklama, sepet_sirano, kur, kurtl) "
                           "SELECT ?, carino, stokno, barkod, stokadi, miktar, birimfiyat, birimfiyat, kdv, "
                           "indirimorani1, indirimorani2, indirimorani3, indirimorani4, kampanya, verenid, "
                           "aciklama, sirano, kur, kurtl FROM sepet WHERE carino = ? AND sirano IN (%1) "
                           "ORDER BY sirano")
                .arg(yer));
    satir.bind(idno).bind(carino);
    for (qint64 n : siranolar)
        satir.bind(n);
    satir.exec();
    Query sil(db, QStringLiteral("DELETE FROM sepet WHERE carino = ? AND sirano IN (%1)").arg(yer));
    sil.bind(carino);
    for (qint64 n : siranolar)
        sil.bind(n);
    sil.exec();
    Query(db,
          QStringLiteral(
              "INSERT INTO islem_anahtarlari (anahtar, olusturma, sonuc) VALUES (?, ?, ?) "
              "ON CONFLICT (anahtar) DO UPDATE SET olusturma = excluded.olusturma, sonuc = excluded.sonuc"),
          {anahtar, simdi, QString::number(idno)});
    tx.commit();
    return true;
}

} // namespace kolvar::server
