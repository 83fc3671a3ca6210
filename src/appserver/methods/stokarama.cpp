#include "stokarama.h"

#include "yontemdestek.h"

#include "aramametni.h"
#include <storage/database.h>

#include <QHash>
#include <QSet>

namespace kolvar::server {

namespace {

constexpr int kVarsayilanSinir = 500;
constexpr int kKisaMetinSiniri = 100;

// The first text after every text that starts with `onek` (for a range scan
// on an index of codes).
QString onekSonu(const QString &onek)
{
    QString son = onek;
    son[son.size() - 1] = QChar(son.at(son.size() - 1).unicode() + 1);
    return son;
}

void ekle(QList<qint64> &liste, QSet<qint64> &gorulen, qint64 stokno)
{
    if (!gorulen.contains(stokno)) {
        gorulen.insert(stokno);
        liste.append(stokno);
    }
}

QString suzgecKosulu(const StokSuzgeci &s, QVariantList &baglar)
{
    QString k;
    if (!s.departman.isEmpty()) {
        k += QStringLiteral(" AND s.departman = ?");
        baglar << s.departman;
    }
    if (!s.anaGrup.isEmpty()) {
        k += QStringLiteral(" AND s.anagrup = ?");
        baglar << s.anaGrup;
    }
    if (!s.altGrup.isEmpty()) {
        k += QStringLiteral(" AND s.altgrup = ?");
        baglar << s.altGrup;
    }
    if (s.kampanya)
        k += QStringLiteral(" AND s.kampanya = 1 AND s.kampfiyat > 0");
    if (s.yeni)
        k += QStringLiteral(" AND s.yeni = 1");
    if (s.stokta)
        k += QStringLiteral(" AND s.durum = 1");
    if (s.resimli)
        k += QStringLiteral(" AND EXISTS (SELECT 1 FROM stok_resimleri r WHERE r.stokno = s.stokno)");
    return k;
}

void sorgula(const Database &db, const QString &sql, const QVariantList &baglar, QList<qint64> &liste,
             QSet<qint64> &gorulen)
{
    Query q(db, sql);
    for (const QVariant &b : baglar)
        q.bind(b);
    q.exec();
    while (q.next())
        ekle(liste, gorulen, q.value(0).toLongLong());
}

} // namespace

int aramaSiniri(const Database &db)
{
    Query q(db, QStringLiteral("SELECT deger FROM ayarlar WHERE anahtar = 'arama_limit'"));
    q.exec();
    bool ok = false;
    const int n = q.scalar().toString().toInt(&ok);
    return ok && n > 0 ? n : kVarsayilanSinir;
}

QList<qint64> stokAra(const Database &db, const QString &metin, int sinir)
{
    return stokAra(db, metin, sinir, StokSuzgeci{});
}

QList<qint64> stokAra(const Database &db, const QString &metin, int sinir, const StokSuzgeci &suzgec)
{
    QList<qint64> liste;
    QSet<qint64> gorulen;
    const QString kod = KodSikistir(metin);
    if (kod.isEmpty() || sinir <= 0)
        return liste;
    // One or two letters match thousands of codes; the first page is all
    // anybody reads of them.
    if (kod.size() < 3)
        sinir = std::min(sinir, kKisaMetinSiniri);

    QVariantList suzgecBaglari;
    const QString suzgecSql = suzgecKosulu(suzgec, suzgecBaglari);
    const QString kodKaynak = suzgecSql.isEmpty()
                                  ? QStringLiteral("stok_kodlari k")
                                  : QStringLiteral("stok_kodlari k JOIN stoklar s ON s.stokno = k.stokno");
    auto kalan = [&] { return sinir - int(liste.size()); };

    // 1. exact code
    {
        QVariantList b{kod};
        b += suzgecBaglari;
        b << kalan();
        sorgula(db,
                QStringLiteral("SELECT k.stokno FROM %1 WHERE k.kod = ?%2 ORDER BY k.stokno LIMIT ?")
                    .arg(kodKaynak, suzgecSql),
                b, liste, gorulen);
    }
    // 2. codes that start with the text (a range scan of the code index)
    if (kalan() > 0) {
        QVariantList b{kod, onekSonu(kod)};
        b += suzgecBaglari;
        b << kalan() + int(liste.size());
        sorgula(db,
                QStringLiteral("SELECT k.stokno FROM %1 WHERE k.kod >= ? AND k.kod < ?%2 LIMIT ?")
                    .arg(kodKaynak, suzgecSql),
                b, liste, gorulen);
    }
    // 3. contained anywhere: the whole text as one code, or every word of it
    if (kalan() > 0) {
        QList<QStringList> aramalar;
        if (kod.size() >= 3)
            aramalar << QStringList{kod};
        const QStringList kelimeler = KelimeKatla(metin).split(u' ', Qt::SkipEmptyParts);
        if (kelimeler.size() > 1) {
            QStringList uzun;
            for (const QString &k : kelimeler)
                if (k.size() >= 3)
                    uzun << k;
            if (!uzun.isEmpty())
                aramalar << uzun;
        }
        for (const QStringList &terimler : aramalar) {
            if (kalan() <= 0)
                break;
            if (suzgecSql.isEmpty()) {
                QVariantList b = db.dialect().searchTermsBinds(terimler);
                b << kalan() + int(liste.size());
                sorgula(db, db.dialect().searchCandidatesSql(int(terimler.size())), b, liste, gorulen);
                continue;
            }
            // With a filter: the index condition per term, the filter on
            // the stock row.
            QStringList kosullar;
            QVariantList b;
            for (const QString &t : terimler) {
                kosullar << db.dialect().searchContains(QStringLiteral("?"));
                b << t;
            }
            b += suzgecBaglari;
            b << kalan() + int(liste.size());
            sorgula(db,
                    QStringLiteral(
                        "SELECT stoklar.stokno FROM stoklar JOIN stoklar s ON s.stokno = stoklar.stokno "
                        "WHERE %1%2 LIMIT ?")
                        .arg(kosullar.join(QLatin1String(" AND ")), suzgecSql),
                    b, liste, gorulen);
        }
    }
    if (liste.size() > sinir)
        liste.resize(sinir);
    return liste;
}

QList<qint64> yeniStoklar(const Database &db, int sinir)
{
    QList<qint64> liste;
    Query q(db,
            QStringLiteral(
                "SELECT stokno FROM stoklar WHERE yeni = 1 ORDER BY eklenme DESC, stokno DESC LIMIT ?"),
            {sinir});
    while (q.next())
        liste << q.value(0).toLongLong();
    return liste;
}

QList<qint64> kampanyaliStoklar(const Database &db, int sinir)
{
    QList<qint64> liste;
    Query q(db,
            QStringLiteral(
                "SELECT stokno FROM stoklar WHERE kampanya = 1 AND kampfiyat > 0 ORDER BY barkod, stokno "
                "LIMIT ?"),
            {sinir});
    while (q.next())
        liste << q.value(0).toLongLong();
    return liste;
}

Indirimler cariIndirimleri(const Database &db, qint64 carino)
{
    Indirimler ind{0, 0, 0, 0};
    if (carino <= 0)
        return ind;
    Query q(db, QStringLiteral("SELECT ind1, ind2, ind3, ind4 FROM cariler WHERE carino = ?"), {carino});
    if (q.next())
        for (int i = 0; i < 4; ++i)
            ind[i] = q.value(i).toDouble();
    return ind;
}

Table stokTablosu(const Database &db, const QList<qint64> &stoknolar, const Indirimler &ind)
{
    using T = ColumnType;
    Table t = bosTablo({{"DURUM", T::Int32},
                        {"OEM1", T::String, 50},
                        {"OEM2", T::String, 50},
                        {"OEM3", T::String, 50},
                        {"BARKOD", T::String, 50},
                        {"ADI", T::String, 100},
                        {"OEM4", T::String, 50},
                        {"STOK_STOKNO", T::Int32},
                        {"FINISHKOD", T::String, 50},
                        {"URETICIKODU", T::String, 50},
                        {"RESIM", T::Int32},
                        {"BARKOD_BARKODNO", T::Int64},
                        {"DIGERADI", T::String, 100},
                        {"DPKOD", T::String, 50},
                        {"OEMNO", T::String, 50},
                        {"BIRIM", T::String, 10},
                        {"MARKA", T::String, 50},
                        {"MODEL", T::String, 50},
                        {"ANAGRUP", T::String, 50},
                        {"OZELKOD", T::String, 50},
                        {"KALAN", T::Double},
                        {"PKOD", T::String, 50},
                        {"KDV", T::Double},
                        {"ALINANSIPARIS", T::Double},
                        {"VERILENSIPARIS", T::Double},
                        {"LISTEFIYAT1", T::Double},
                        {"KAMPFIYAT", T::Double},
                        {"FIYAT", T::Double},
                        {"ESKIFIYAT", T::Double},
                        {"Y", T::Int32},
                        {"K", T::Int32},
                        {"INDIRIM", T::Double},
                        {"INDIRIMYAZI", T::String, 50},
                        {"NETFIYAT", T::Double},
                        {"KDVDAHIL", T::Double},
                        {"IND1", T::Double},
                        {"IND2", T::Double},
                        {"IND3", T::Double},
                        {"IND4", T::Double},
                        {"ALTGRUP", T::String, 50},
                        {"DEPARTMAN", T::String, 50}});
    if (stoknolar.isEmpty())
        return t;

    // Rows come back in index order; put them into the caller's order.
    QHash<qint64, int> sira;
    for (int i = 0; i < stoknolar.size(); ++i)
        sira.insert(stoknolar[i], i);
    struct Satir {
        int sira;
        QVariantList v;
    };
    QList<Satir> satirlar;
    satirlar.reserve(stoknolar.size());
    constexpr int kParca = 400;
    for (int bas = 0; bas < stoknolar.size(); bas += kParca) {
        const int n = std::min(kParca, int(stoknolar.size()) - bas);
        QString yer = QStringLiteral("?");
        for (int i = 1; i < n; ++i)
            yer += QStringLiteral(",?");
        Query q(
            db,
            QStringLiteral(
                "SELECT s.durum, s.oem1, s.oem2, s.oem3, s.barkod, s.adi, s.oem4, s.stokno, s.finishkod, "
                "s.ureticikodu, CASE WHEN EXISTS (SELECT 1 FROM stok_resimleri r WHERE r.stokno = "
                "s.stokno) THEN 1 ELSE 0 END, s.barkodno, s.digeradi, s.dpkod, s.oemno, s.birim, s.marka, "
                "s.model, s.anagrup, s.ozelkod, s.kalan, s.pkod, s.kdv, s.alinansiparis, s.verilensiparis, "
                "s.listefiyat, s.kampfiyat, s.kampanya, s.yeni, s.altgrup, s.departman "
                "FROM stoklar s WHERE s.stokno IN (%1)")
                .arg(yer));
        for (int i = 0; i < n; ++i)
            q.bind(stoknolar[bas + i]);
        q.exec();
        while (q.next()) {
            QVariantList v;
            v.reserve(31);
            for (int c = 0; c < 31; ++c)
                v << q.value(c);
            satirlar.append({sira.value(v[7].toLongLong()), std::move(v)});
        }
    }
    std::sort(satirlar.begin(), satirlar.end(),
              [](const Satir &a, const Satir &b) { return a.sira < b.sira; });

    t.reserve(int(satirlar.size()));
    for (const Satir &s : satirlar) {
        const QVariantList &v = s.v;
        const int r = t.appendRow();
        t.setInteger(r, 0, v[0].toLongLong());
        for (int c : {1, 2, 3, 4, 5, 6})
            t.setString(r, c, v[c].toString());
        t.setInteger(r, 7, v[7].toLongLong());
        t.setString(r, 8, v[8].toString());
        t.setString(r, 9, v[9].toString());
        t.setInteger(r, 10, v[10].toLongLong());
        t.setInteger(r, 11, v[11].toLongLong());
        for (int c : {12, 13, 14, 15, 16, 17, 18, 19})
            t.setString(r, c, v[c].toString());
        t.setReal(r, 20, v[20].toDouble());
        t.setString(r, 21, v[21].toString());
        const double kdv = v[22].toDouble();
        t.setReal(r, 22, kdv);
        t.setReal(r, 23, v[23].toDouble());
        t.setReal(r, 24, v[24].toDouble());

        StokFiyatGirdisi g;
        g.listeFiyat = v[25].toDouble();
        g.kampanyaFiyat = v[27].toLongLong() != 0 ? v[26].toDouble() : 0.0;
        g.kdv = kdv;
        const StokFiyati f = StokFiyatiHesapla(g, ind);
        t.setReal(r, 25, f.listeFiyat1);
        t.setReal(r, 26, f.kampFiyat);
        t.setReal(r, 27, f.fiyat);
        t.setReal(r, 28, f.eskiFiyat);
        t.setInteger(r, 29, v[28].toLongLong() != 0 ? 1 : 0);
        t.setInteger(r, 30, f.k);
        t.setReal(r, 31, f.indirim);
        t.setString(r, 32, f.indirimYazi);
        t.setReal(r, 33, f.netFiyat);
        t.setReal(r, 34, f.kdvDahil);
        for (int i = 0; i < 4; ++i)
            t.setReal(r, 35 + i, f.ind[i]);
        t.setString(r, 39, v[29].toString());
        t.setString(r, 40, v[30].toString());
    }
    return t;
}

} // namespace kolvar::server
