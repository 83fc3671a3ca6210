#include "fiyat.h"
#include "methodregistry.h"
#include "session.h"
#include "yontemaileleri.h"
#include "yontemdestek.h"

#include <documents/pdfbelge.h>
#include <storage/database.h>
#include <transfer/baglantiu.h>

#include <QLocale>

namespace kolvar::server {

namespace {

QString trTarih(const QString &iso)
{
    const QDate d = QDate::fromString(iso.left(10), Qt::ISODate);
    return d.isValid() ? d.toString(u"dd.MM.yyyy") : iso;
}

Table ekstre(const Database &db, const Session &s, qint64 carino, const QString &t1, const QString &t2)
{
    using T = ColumnType;
    Table t = bosTablo({{"CARINO", T::Int32},
                        {"TARIH", T::Date},
                        {"TURADI", T::String, 50},
                        {"EVRAK", T::String, 50},
                        {"BORC", T::Double},
                        {"ALACAK", T::Double},
                        {"KUR", T::String, 5},
                        {"BAKIYE", T::Double},
                        {"D", T::String, 1},
                        {"IDNO", T::Int32},
                        {"ACIKLAMA", T::String, 100},
                        {"VADE", T::Date}});
    if (!mayActFor(db, s, carino))
        return t;
    Query q(db,
            QStringLiteral("SELECT carino, tarih, turadi, evrakno, borc, alacak, kur, 0, ' ', "
                           "COALESCE(belge, 0), aciklama, vade FROM ekstre WHERE carino = ? AND tarih >= ? "
                           "AND tarih <= ? ORDER BY tarih, idno"),
            {carino, t1, t2});
    satirlariEkle(t, q);
    return t;
}

// Statement movements up to a day: debit, credit and balance.
struct CariDurum {
    double borc = 0, alacak = 0;
    double bakiye() const { return ParaYuvarla(borc - alacak); }
};

CariDurum cariDurumu(const Database &db, qint64 carino, const QString &sonGun = QStringLiteral("9999-12-31"))
{
    Query q(
        db,
        QStringLiteral("SELECT COALESCE(SUM(borc), 0), COALESCE(SUM(alacak), 0) FROM ekstre WHERE carino = ? "
                       "AND tarih <= ?"),
        {carino, sonGun});
    CariDurum d;
    if (q.next()) {
        d.borc = ParaYuvarla(q.value(0).toDouble());
        d.alacak = ParaYuvarla(q.value(1).toDouble());
    }
    return d;
}

QByteArray makbuz(const Database &db, const Session &s, qint64 sirano)
{
    Query q(db,
            QStringLiteral("SELECT p.sirano, p.tarih, p.saat, p.tutar, p.kart_sahibi, p.kart_no, p.taksit, "
                           "p.onay_kodu, p.banka, p.aciklama, c.carikod, c.cariadi, COALESCE(t.evrakno, '') "
                           "FROM sanalpos_odemeleri p JOIN cariler c ON c.carino = p.carino "
                           "LEFT JOIN tahsilatlar t ON t.idno = p.tahsilat WHERE p.sirano = ? AND ") +
                accountScope(s, QStringLiteral("p.carino")),
            {sirano});
    if (!q.next())
        return {};
    PdfBelge pdf(QStringLiteral("Sanal POS Ödeme Makbuzu %1").arg(sirano));
    pdf.satir(QStringLiteral("Kolvar Otomotiv B2B"), 16, true);
    pdf.satir(QStringLiteral("SANAL POS ÖDEME MAKBUZU"), 14, true);
    pdf.bosluk(10);
    pdf.cizgi(PdfBelge::kKenar, pdf.imlec() + 4, PdfBelge::kGenislik - PdfBelge::kKenar, pdf.imlec() + 4);
    pdf.bosluk(8);
    const QList<std::pair<QString, QString>> satirlar{
        {QStringLiteral("Makbuz No"), QString::number(q.value(0).toLongLong())},
        {QStringLiteral("Tarih"), trTarih(q.value(1).toString()) + QLatin1Char(' ') + q.value(2).toString()},
        {QStringLiteral("Cari Kod"), q.value(10).toString()},
        {QStringLiteral("Cari Adı"), q.value(11).toString()},
        {QStringLiteral("Kart Sahibi"), q.value(4).toString()},
        {QStringLiteral("Kart No"), q.value(5).toString()},
        {QStringLiteral("Banka"), q.value(8).toString()},
        {QStringLiteral("Taksit"), QString::number(q.value(6).toInt())},
        {QStringLiteral("Onay Kodu"), q.value(7).toString()},
        {QStringLiteral("Tahsilat Evrak No"), q.value(12).toString()},
        {QStringLiteral("Açıklama"), q.value(9).toString()},
        {QStringLiteral("Tutar"), paraYazisi(q.value(3).toDouble()) + QStringLiteral(" TL")},
    };
    for (const auto &[ad, deger] : satirlar)
        pdf.satir(ad.leftJustified(18, u' ') + QStringLiteral(": ") + deger, 11,
                  ad == QLatin1String("Tutar"));
    pdf.bosluk(20);
    pdf.satir(QStringLiteral("Ödemeniz için teşekkür ederiz."), 10);
    return pdf.pdf();
}

// Report 6: the account's summary as of a day, or for carino 0 every
// account in reach with its balance ("." or a representative's name).
// Report 7: the account's purchases and payments between two days.
QByteArray rapor(const Database &db, const Session &s, int raporno, qint64 carino, const QString &saticiAdi,
                 const QDate &t1, const QDate &t2)
{
    const QString gun1 = t1.toString(Qt::ISODate), gun2 = t2.toString(Qt::ISODate);
    if (raporno == 6 && carino == 0) {
        PdfBelge pdf(QStringLiteral("Cari Toplu Alacak Vadeleri"));
        pdf.satir(QStringLiteral("Cari Toplu Alacak Vadeleri"), 14, true);
        pdf.satir(QStringLiteral("Tarih: ") + t1.toString(u"dd.MM.yyyy") +
                      (saticiAdi.trimmed() == QLatin1String(".") || saticiAdi.trimmed().isEmpty()
                           ? QString()
                           : QStringLiteral("   Temsilci: ") + saticiAdi),
                  10);
        pdf.bosluk(6);
        pdf.satir(QStringLiteral("Cari Kod     Cari Adı                          Vade      Bakiye"), 9, true);
        QString kosul = accountScope(s, QStringLiteral("c.carino"));
        QVariantList b{gun1};
        if (!saticiAdi.trimmed().isEmpty() && saticiAdi.trimmed() != QLatin1String(".")) {
            kosul += QStringLiteral(" AND st.adi = ?");
            b << saticiAdi.trimmed();
        }
        Query q(db,
                QStringLiteral("SELECT c.carikod, c.cariadi, c.vade_gun, "
                               "(SELECT COALESCE(SUM(e.borc - e.alacak), 0) FROM ekstre e WHERE e.carino = "
                               "c.carino AND e.tarih <= ?) FROM cariler c LEFT JOIN saticilar st ON "
                               "st.satici_no = c.satici_no WHERE %1 ORDER BY c.carikod")
                    .arg(kosul));
        for (const QVariant &v : b)
            q.bind(v);
        q.exec();
        double toplam = 0;
        while (q.next()) {
            const double bakiye = ParaYuvarla(q.value(3).toDouble());
            toplam = ParaYuvarla(toplam + bakiye);
            pdf.satir(q.value(0).toString().left(12).leftJustified(13) +
                          q.value(1).toString().left(33).leftJustified(34) +
                          QString::number(q.value(2).toInt()).rightJustified(4) +
                          paraYazisi(bakiye).rightJustified(16),
                      9);
        }
        pdf.bosluk(6);
        pdf.satir(QStringLiteral("Toplam Bakiye: ") + paraYazisi(toplam), 10, true);
        return pdf.pdf();
    }
    if ((raporno != 6 && raporno != 7) || !mayActFor(db, s, carino))
        return {};
    Query c(db,
            QStringLiteral("SELECT carikod, cariadi, adres1, ilce, il, vergidairesi, vergino, vade_gun "
                           "FROM cariler WHERE carino = ?"),
            {carino});
    if (!c.next())
        return {};
    const bool ozet = raporno == 6;
    PdfBelge pdf(ozet ? QStringLiteral("Cari Özeti") : QStringLiteral("Cari Alış Satış Tablosu"));
    pdf.satir(ozet ? QStringLiteral("Cari Özeti") : QStringLiteral("Cari Alış Satış Tablosu (Satıcılı)"), 14,
              true);
    pdf.satir(c.value(0).toString() + QStringLiteral(" - ") + c.value(1).toString(), 11, true);
    pdf.satir(c.value(2).toString() + QLatin1Char(' ') + c.value(3).toString() + QLatin1Char('/') +
                  c.value(4).toString(),
              9);
    pdf.satir(QStringLiteral("Vergi D.: ") + c.value(5).toString() + QLatin1Char('/') +
                  c.value(6).toString() + QStringLiteral("   Vade (Gün): ") +
                  QString::number(c.value(7).toInt()),
              9);
    if (!saticiAdi.trimmed().isEmpty())
        pdf.satir(QStringLiteral("Temsilci: ") + saticiAdi.trimmed(), 9);
    pdf.satir(ozet ? QStringLiteral("Tarih: ") + t1.toString(u"dd.MM.yyyy")
                   : QStringLiteral("Tarih: ") + t1.toString(u"dd.MM.yyyy") + QStringLiteral(" - ") +
                         t2.toString(u"dd.MM.yyyy"),
              9);
    pdf.bosluk(8);
    const QString bas = ozet ? QStringLiteral("0001-01-01") : gun1;
    const QString son = ozet ? gun1 : gun2;
    if (!ozet) {
        const CariDurum devir = cariDurumu(db, carino, t1.addDays(-1).toString(Qt::ISODate));
        pdf.satir(QStringLiteral("Devir Bakiye: ") + paraYazisi(devir.bakiye()), 9, true);
    }
    pdf.satir(QStringLiteral("Tarih      Tür Adı              Evrak No          Borç          Alacak"), 9,
              true);
    Query q(db,
            QStringLiteral("SELECT tarih, turadi, evrakno, borc, alacak FROM ekstre WHERE carino = ? AND "
                           "tarih >= ? AND tarih <= ? ORDER BY tarih, idno"),
            {carino, bas, son});
    double borc = 0, alacak = 0;
    while (q.next()) {
        borc = ParaYuvarla(borc + q.value(3).toDouble());
        alacak = ParaYuvarla(alacak + q.value(4).toDouble());
        pdf.satir(trTarih(q.value(0).toString()).leftJustified(11) +
                      q.value(1).toString().left(20).leftJustified(21) +
                      q.value(2).toString().left(12).leftJustified(13) +
                      paraYazisi(q.value(3).toDouble()).rightJustified(11) +
                      paraYazisi(q.value(4).toDouble()).rightJustified(16),
                  9);
    }
    pdf.bosluk(6);
    pdf.satir(QStringLiteral("Toplam Borç: ") + paraYazisi(borc) + QStringLiteral("   Toplam Alacak: ") +
                  paraYazisi(alacak),
              10, true);
    const CariDurum d = cariDurumu(db, carino, son);
    pdf.satir(QStringLiteral("Bakiye: ") + paraYazisi(d.bakiye()) +
                  (d.bakiye() > 0   ? QStringLiteral(" (B)")
                   : d.bakiye() < 0 ? QStringLiteral(" (A)")
                                    : QString()),
              10, true);
    return pdf.pdf();
}

std::optional<std::pair<QString, QByteArray>> belge(const Database &db, const Session &s, qint64 sirano)
{
    Query q(db,
            QStringLiteral("SELECT adi, icerik FROM belgeler WHERE sirano = ? AND (carino IS NULL OR ") +
                accountScope(s, QStringLiteral("belgeler.carino")) + QLatin1Char(')'),
            {sirano});
    if (!q.next())
        return std::nullopt;
    return std::make_pair(q.value(0).toString(), q.value(1).toByteArray());
}

Table dosyaListesi(const Database &db, const Session &s)
{
    Table t = bosTablo(
        {{"SIRANO", ColumnType::Int32}, {"ADI", ColumnType::String, 100}, {"TARIH", ColumnType::Date}});
    Query q(db, QStringLiteral("SELECT sirano, adi, tarih FROM belgeler WHERE carino IS NULL OR ") +
                    accountScope(s, QStringLiteral("belgeler.carino")) +
                    QStringLiteral(" ORDER BY sirano DESC"));
    q.exec();
    satirlariEkle(t, q);
    return t;
}

} // namespace

void registerEkstreYontemleri(MethodRegistry &r, Database &db)
{
    r.set("CariEkstreVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        return sonuc(
            ekstre(db, s, tamsayiGirdi(in, 0), QStringLiteral("0001-01-01"), QStringLiteral("9999-12-31")));
    });
    r.set("CariEkstreVer2", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        return sonuc(ekstre(db, s, tamsayiGirdi(in, 0), oleGunu(ondalikGirdi(in, 1)).toString(Qt::ISODate),
                            oleGunu(ondalikGirdi(in, 2)).toString(Qt::ISODate)));
    });
    // The carried-over balance before a day.
    r.set("CariEkstreVer2Baslik", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        Table t = bosTablo(
            {{"BORC", ColumnType::Double}, {"ALACAK", ColumnType::Double}, {"BAKIYE", ColumnType::Double}});
        if (mayActFor(db, s, carino)) {
            const CariDurum d =
                cariDurumu(db, carino, oleGunu(ondalikGirdi(in, 1)).addDays(-1).toString(Qt::ISODate));
            const int row = t.appendRow();
            t.setReal(row, 0, d.borc);
            t.setReal(row, 1, d.alacak);
            t.setReal(row, 2, d.bakiye());
        }
        return sonuc(t);
    });

    r.set("FaturaGetir", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        using T = ColumnType;
        Table t = bosTablo({{"OEMNO", T::String, 50},
                            {"STOKADI", T::String, 100},
                            {"FINISHKOD", T::String, 50},
                            {"MARKA", T::String, 50},
                            {"MODEL", T::String, 50},
                            {"ANAGRUP", T::String, 50},
                            {"BIRIM", T::String, 10},
                            {"STOKHAR_MIKTAR", T::Double},
                            {"STOKHAR_TLBIRIMFIYATI", T::Double},
                            {"STOKHAR_TLTUTAR", T::Double},
                            {"STOKHAR_INDIRIM1", T::Double},
                            {"STOKHAR_INDIRIM2", T::Double},
                            {"KDV", T::Double},
                            {"STOKHAR_TOPLAMINDIRIM", T::Double},
                            {"STOKHAR_TOPLAMMASRAF", T::Double},
                            {"STOKHAR_NETTLBIRIMFIYATI", T::Double},
                            {"STOKHAR_NETTLTUTAR", T::Double},
                            {"STOKHAR_HAREKETTARIHI", T::Date},
                            {"STOKHAR_HAREKETTIPI2", T::String, 50},
                            {"SATICIADI", T::String, 50},
                            {"EVRAKNO", T::String, 50},
                            {"STOKHAR_VADE", T::Int32},
                            {"BARKOD", T::String, 50},
                            {"STOKHAR_KDVTUTAR", T::Double},
                            {"ACIKLAMA", T::String, 100}});
        QString kosul = QStringLiteral("f.idno = ? AND ") + accountScope(s, QStringLiteral("f.carino"));
        QVariantList b{tamsayiGirdi(in, 1)};
        if (carino != 0) {
            kosul += QStringLiteral(" AND f.carino = ?");
            b << carino;
        }
        Query q(db, QStringLiteral(
                        "SELECT l.oemno, l.stokadi, COALESCE(s.finishkod, ''), l.marka, l.model, "
                        "COALESCE(s.anagrup, ''), l.birim, l.miktar, l.birimfiyat, l.tutar, l.indirim1, "
                        "l.indirim2, l.kdv, l.toplamindirim, 0, CASE WHEN l.miktar <> 0 THEN "
                        "l.nettutar / l.miktar ELSE 0 END, l.nettutar, f.tarih, 'Satış Faturası', "
                        "f.saticiadi, f.evrakno, 0, l.barkod, l.kdvtutar, l.aciklama, f.vade "
                        "FROM fatura_satirlari l JOIN faturalar f ON f.idno = l.fatura "
                        "LEFT JOIN stoklar s ON s.stokno = l.stokno WHERE %1 ORDER BY l.sirano")
                        .arg(kosul));
        for (const QVariant &v : b)
            q.bind(v);
        q.exec();
        while (q.next()) {
            const int row = satirEkle(t, q);
            // Payment term in days from the invoice date.
            const QDate tarih = QDate::fromString(q.value(17).toString().left(10), Qt::ISODate);
            const QDate vade = QDate::fromString(q.value(25).toString().left(10), Qt::ISODate);
            t.setInteger(row, 21, tarih.isValid() && vade.isValid() ? tarih.daysTo(vade) : 0);
            t.setReal(row, 15, ParaYuvarla(t.real(row, 15)));
        }
        return sonuc(t);
    });
    r.set("FaturaAltGetir", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        using T = ColumnType;
        Table t = bosTablo({{"TOPLAM", T::Double},
                            {"TOPLAMINDIRIM", T::Double},
                            {"MATRAH", T::Double},
                            {"KDVDAHIL", T::Double},
                            {"KDVTUTAR", T::Double}});
        Query q(db,
                QStringLiteral(
                    "SELECT toplam, toplamindirim, matrah, matrah + kdvtutar, kdvtutar FROM faturalar f "
                    "WHERE f.idno = ? AND ") +
                    accountScope(s, QStringLiteral("f.carino")),
                {tamsayiGirdi(in, 0)});
        satirlariEkle(t, q);
        return sonuc(t);
    });
    r.set("Tahsilat", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        using T = ColumnType;
        Table t = bosTablo({{"Tarih", T::Date},
                            {"Türü", T::String, 30},
                            {"Cins", T::String, 30},
                            {"EvrakNo", T::String, 30},
                            {"Vade", T::Date},
                            {"Tutar", T::Double},
                            {"Kur", T::String, 5},
                            {"KurTL", T::Double},
                            {"Açıklama", T::String, 100},
                            {"Döviz Tutar", T::Double},
                            {"Ref", T::String, 30},
                            {"Saat", T::String, 8}});
        Query q(db,
                QStringLiteral(
                    "SELECT t.tarih, 'Tahsilat', t.tur, t.evrakno, t.vade, t.tutar, 'TL', 1, t.aciklama, "
                    "0, CAST(t.idno AS TEXT), COALESCE((SELECT p.saat FROM sanalpos_odemeleri p WHERE "
                    "p.tahsilat = t.idno ORDER BY p.sirano LIMIT 1), '') FROM tahsilatlar t "
                    "WHERE t.idno = ? AND ") +
                    accountScope(s, QStringLiteral("t.carino")),
                {tamsayiGirdi(in, 0)});
        satirlariEkle(t, q);
        return sonuc(t);
    });
    r.set("SanalposSiranoVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        Query q(db,
                QStringLiteral("SELECT p.sirano FROM sanalpos_odemeleri p WHERE p.tahsilat = ? AND ") +
                    accountScope(s, QStringLiteral("p.carino")) +
                    QStringLiteral(" ORDER BY p.sirano LIMIT 1"),
                {tamsayiGirdi(in, 0)});
        return sonuc(qint64(q.next() ? q.value(0).toLongLong() : 0));
    });
    r.set("SAnalPosPdfVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const QByteArray pdf = makbuz(db, s, tamsayiGirdi(in, 0));
        return sonuc(pdf, {qint64(pdf.size())});
    });
    r.set("RaporGetir", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const QByteArray pdf = rapor(db, s, int(tamsayiGirdi(in, 0)), tamsayiGirdi(in, 3), metinGirdi(in, 4),
                                     oleGunu(ondalikGirdi(in, 5)), oleGunu(ondalikGirdi(in, 6)));
        return sonuc(pdf, {qint64(pdf.size())});
    });

    r.set("BelgeIndir", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const auto b = belge(db, s, tamsayiGirdi(in, 0));
        return b ? sonuc(b->second, {qint64(b->second.size()), b->first})
                 : sonuc(QByteArray(), {qint64(0), QString()});
    });
    r.set("BelgeIndir2", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const auto b = belge(db, s, tamsayiGirdi(in, 0));
        return b ? sonuc(b->second, {qint64(b->second.size()), b->first})
                 : sonuc(QByteArray(), {qint64(0), QString()});
    });
    r.set("DosyaListesi", [&db](CallContext &ctx, const QList<WireValue> &) {
        return sonuc(dosyaListesi(db, requireSession(ctx)));
    });
    r.set("DosyaListesi2", [&db](CallContext &ctx, const QList<WireValue> &) {
        return sonuc(dosyaListesi(db, requireSession(ctx)));
    });
    // The newest document for everybody (price lists, catalogues).
    r.set("DosyaIndir", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        Query q(db, QStringLiteral(
                        "SELECT icerik FROM belgeler WHERE carino IS NULL ORDER BY sirano DESC LIMIT 1"));
        q.exec();
        const QByteArray b = q.next() ? q.value(0).toByteArray() : QByteArray();
        return sonuc(b, {qint64(b.size())});
    });
    // The price list as a document: the newest shared document whose name
    // says so, else nothing.
    r.set("ParvilaVer", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        Query q(db, QStringLiteral("SELECT icerik FROM belgeler WHERE carino IS NULL AND adi LIKE '%iyat%' "
                                   "ORDER BY sirano DESC LIMIT 1"));
        q.exec();
        return sonuc(q.next() ? q.value(0).toByteArray() : QByteArray());
    });
    r.set("KurlariAl", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        auto kur = [&db](const char *ad) {
            Query q(db, QStringLiteral("SELECT deger FROM ayarlar WHERE anahtar = ?"),
                    {QString::fromLatin1(ad)});
            return q.next() ? q.value(0).toString().toDouble() : 0.0;
        };
        const double usd = kur("kur_usd"), eur = kur("kur_eur");
        return sonuc(qint64(usd > 0 && eur > 0 ? 1 : 0), {usd, eur});
    });
}

} // namespace kolvar::server
