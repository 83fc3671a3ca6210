#include "aramametni.h"
#include "fiyat.h"
#include "methodregistry.h"
#include "session.h"
#include "siparis.h"
#include "yontemaileleri.h"
#include "yontemdestek.h"

#include <storage/database.h>
#include <transfer/baglantiu.h>
#include <transfer/mobilstokunit.h>

#include <QJsonArray>
#include <QJsonObject>

namespace kolvar::server {

namespace {

// Customer accounts the caller reaches, with their balance and the counts
// of basket lines and of orders per state. `ek` narrows them (SQL over c).
Table cariTablosu(const Database &db, const Session &s, const QString &ek, const QString &aranan = {})
{
    using T = ColumnType;
    Table t =
        bosTablo({{"CARINO", T::Int32},         {"CARIKOD", T::String, 25},  {"CARIADI", T::String, 100},
                  {"SATICISI", T::String, 50},  {"TLBAKIYE", T::Double},     {"DURUM", T::String, 1},
                  {"SEPET", T::Int32},          {"ALINDI", T::Int32},        {"ONAYLANDI", T::Int32},
                  {"GORULDU", T::Int32},        {"HAZIRLANDI", T::Int32},    {"PARCALIHAZIRLANDI", T::Int32},
                  {"SEVKEDILDI", T::Int32},     {"OZELKOD", T::String, 50},  {"KOD1", T::String, 50},
                  {"KOD2", T::String, 50},      {"KOD3", T::String, 50},     {"KOD4", T::String, 50},
                  {"KOD5", T::String, 50},      {"TEL1", T::String, 30},     {"TEL2", T::String, 30},
                  {"ILCE", T::String, 50},      {"IL", T::String, 50},       {"GSM", T::String, 30},
                  {"YETKILI", T::String, 50},   {"INDIRIM", T::Double},      {"VADE", T::Int32},
                  {"VADEKONTROLGUN", T::Int32}, {"VADEKONTROLAY", T::Int32}, {"VERGIDAIRESI", T::String, 50},
                  {"VERGINO", T::String, 20},   {"ADRES1", T::String, 100},  {"ADRES2", T::String, 100},
                  {"ANAGRUP", T::String, 50},   {"ALTGRUP", T::String, 50},  {"FAX1", T::String, 30},
                  {"FAX2", T::String, 30},      {"EMAIL", T::String, 100}});
    QString durumlar;
    for (int d = 0; d <= 5; ++d)
        durumlar +=
            QStringLiteral(", (SELECT COUNT(*) FROM siparisler o WHERE o.carino = c.carino AND o.durum = %1)")
                .arg(d);
    Query q(db, QStringLiteral(
                    "SELECT c.carino, c.carikod, c.cariadi, COALESCE(st.adi, ''), "
                    "(SELECT COALESCE(SUM(e.borc), 0) - COALESCE(SUM(e.alacak), 0) FROM ekstre e WHERE "
                    "e.carino = c.carino), (SELECT COUNT(*) FROM sepet b WHERE b.carino = c.carino)%1, "
                    "c.ozelkod, c.kod1, '', '', '', c.kod5, c.tel1, c.tel2, c.ilce, c.il, c.gsm, c.yetkili, "
                    "c.ind1, c.ind2, c.ind3, c.ind4, c.vade_gun, c.vergidairesi, c.vergino, c.adres1, "
                    "c.adres2, c.anagrup, c.altgrup, c.fax1, c.fax2, c.email "
                    "FROM cariler c LEFT JOIN saticilar st ON st.satici_no = c.satici_no WHERE %2%3 "
                    "ORDER BY c.cariadi, c.carino")
                    .arg(durumlar, accountScope(s, QStringLiteral("c.carino")), ek));
    q.exec();
    const QString aranacak = KelimeKatla(aranan);
    while (q.next()) {
        if (!aranacak.isEmpty()) {
            const QString metin = KelimeKatla(
                q.value(1).toString() + QLatin1Char(' ') + q.value(2).toString() + QLatin1Char(u' ') +
                q.value(23).toString() + QLatin1Char(u' ') + q.value(20).toString());
            if (!metin.contains(aranacak))
                continue;
        }
        const int r = t.appendRow();
        t.setInteger(r, 0, q.value(0).toLongLong());
        t.setString(r, 1, q.value(1).toString());
        t.setString(r, 2, q.value(2).toString());
        t.setString(r, 3, q.value(3).toString());
        const double bakiye = ParaYuvarla(q.value(4).toDouble());
        t.setReal(r, 4, bakiye);
        t.setString(r, 5,
                    bakiye > 0   ? QStringLiteral("B")
                    : bakiye < 0 ? QStringLiteral("A")
                                 : QStringLiteral(" "));
        t.setInteger(r, 6, q.value(5).toLongLong());
        // Columns by state: Alındı 0, Onaylandı 2, Görüldü 1, Hazırlandı 4,
        // Parçalı Hazırlandı 3, Sevk Edildi 5.
        t.setInteger(r, 7, q.value(6 + Alindi).toLongLong());
        t.setInteger(r, 8, q.value(6 + Onaylandi).toLongLong());
        t.setInteger(r, 9, q.value(6 + Goruldu).toLongLong());
        t.setInteger(r, 10, q.value(6 + Hazirlandi).toLongLong());
        t.setInteger(r, 11, q.value(6 + ParcaliHazirlandi).toLongLong());
        t.setInteger(r, 12, q.value(6 + SevkEdildi).toLongLong());
        for (int c = 0; c < 12; ++c)
            t.setString(r, 13 + c, q.value(12 + c).toString());
        const Indirimler ind{q.value(24).toDouble(), q.value(25).toDouble(), q.value(26).toDouble(),
                             q.value(27).toDouble()};
        t.setReal(r, 25, std::round((1.0 - NetFiyat(100.0, ind) / 100.0) * 10000.0) / 100.0);
        t.setInteger(r, 26, q.value(28).toLongLong());
        t.setInteger(r, 27, q.value(28).toLongLong());
        t.setInteger(r, 28, 0);
        for (int c = 0; c < 9; ++c)
            t.setString(r, 29 + c, q.value(29 + c).toString());
    }
    return t;
}

QString durumKosulu(int n)
{
    // The state buttons: 1 basket, 2 Alındı, 3 Onaylandı, 4 Görüldü,
    // 5 Parçalı Hazırlandı, 6 Hazırlandı, 7 Sevk Edildi.
    static const int durum[] = {-1,         -1,        Alindi, Onaylandi, Goruldu, ParcaliHazirlandi,
                                Hazirlandi, SevkEdildi};
    if (n == 1)
        return QStringLiteral(" AND EXISTS (SELECT 1 FROM sepet b WHERE b.carino = c.carino)");
    if (n >= 2 && n <= 7)
        return QStringLiteral(
                   " AND EXISTS (SELECT 1 FROM siparisler o WHERE o.carino = c.carino AND o.durum = %1)")
            .arg(durum[n]);
    return QStringLiteral(" AND 1 = 0");
}

} // namespace

void registerTemsilciYontemleri(MethodRegistry &r, Database &db)
{
    r.set("CariAra", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        return sonuc(cariTablosu(db, s, QString(), metinGirdi(in, 1).trimmed()));
    });
    r.set("CariSepetVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        return sonuc(cariTablosu(db, s, durumKosulu(int(tamsayiGirdi(in, 1)))));
    });
    r.set("SepetSayisi", [&db](CallContext &ctx, const QList<WireValue> &) {
        const Session s = requireSession(ctx);
        return sonuc(Query(db, QStringLiteral("SELECT COUNT(DISTINCT b.carino) FROM sepet b WHERE ") +
                                   accountScope(s, QStringLiteral("b.carino")))
                         .exec()
                         .scalar(0)
                         .toLongLong());
    });
    r.set("TusSonuclariVer", [&db](CallContext &ctx, const QList<WireValue> &) {
        const Session s = requireSession(ctx);
        auto t = std::make_unique<TTusSonuclari>();
        Query q(db, QStringLiteral("SELECT o.durum, COUNT(*) FROM siparisler o WHERE ") +
                        accountScope(s, QStringLiteral("o.carino")) + QStringLiteral(" GROUP BY o.durum"));
        q.exec();
        while (q.next()) {
            const qint32 n = qint32(q.value(1).toLongLong());
            switch (q.value(0).toInt()) {
            case Alindi: t->setAlindi(n); break;
            case Goruldu: t->setGoruldu(n); break;
            case Onaylandi: t->setOnaylandi(n); break;
            case ParcaliHazirlandi: t->setParcaliHazirlandi(n); break;
            case Hazirlandi: t->setHazirlandi(n); break;
            case SevkEdildi: t->setSevkEdildi(n); break;
            default: break;
            }
        }
        return sonuc(nesneSonuc(std::move(t)));
    });
    r.set("CarileriVer", [&db](CallContext &ctx, const QList<WireValue> &) {
        const Session s = requireSession(ctx);
        QJsonArray out;
        Query q(db, QStringLiteral("SELECT c.carino, c.carikod, c.cariadi FROM cariler c WHERE ") +
                        accountScope(s, QStringLiteral("c.carino")) + QStringLiteral(" ORDER BY c.cariadi"));
        q.exec();
        while (q.next())
            out.append(QJsonObject{{QStringLiteral("CARINO"), q.value(0).toLongLong()},
                                   {QStringLiteral("CARIKOD"), q.value(1).toString()},
                                   {QStringLiteral("CARIADI"), q.value(2).toString()}});
        return sonuc(out);
    });
    // The contact data of an account: `sirano` names one the caller may act
    // for, 0 the caller's own. Never a password.
    r.set("MobilCariBilgisiGetir", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 istenen = tamsayiGirdi(in, 0);
        const qint64 carino = istenen > 0 ? istenen : s.carino;
        auto m = std::make_unique<TMobilCariBilgisi>();
        if (mayActFor(db, s, carino)) {
            Query q(
                db,
                QStringLiteral("SELECT c.carino, c.carikod, c.cariadi, c.il, c.fax1, COALESCE(st.mail, ''), "
                               "COALESCE(st.adi, ''), c.email, c.vergidairesi, c.yetkili, c.altgrup, c.tel2, "
                               "c.gsm, c.tel1, c.adres2, c.adres1, c.ulke, c.anagrup, c.vergino, c.ozelkod, "
                               "COALESCE(st.telefon, ''), c.fax2, c.ilce, "
                               "(SELECT COALESCE(SUM(e.borc), 0) FROM ekstre e WHERE e.carino = c.carino), "
                               "(SELECT COALESCE(SUM(e.alacak), 0) FROM ekstre e WHERE e.carino = c.carino) "
                               "FROM cariler c LEFT JOIN saticilar st ON st.satici_no = c.satici_no "
                               "WHERE c.carino = ?"),
                {carino});
            if (q.next()) {
                m->setBILGISAYARID(metinGirdi(in, 1));
                m->setCARINO(qint32(q.value(0).toLongLong()));
                m->setCARIKOD(q.value(1).toString());
                m->setCARIADI(q.value(2).toString());
                m->setSEHIR(q.value(3).toString());
                m->setFAX1(q.value(4).toString());
                m->setSATICIMAIL(q.value(5).toString());
                m->setSATICIADI(q.value(6).toString());
                m->setEMAIL(q.value(7).toString());
                m->setMAIL(q.value(7).toString());
                m->setVERGIDAIRESI(q.value(8).toString());
                m->setYETKILI(q.value(9).toString());
                m->setAltGrup(q.value(10).toString());
                m->setTEL2(q.value(11).toString());
                m->setGSM(q.value(12).toString());
                m->setTEL1(q.value(13).toString());
                m->setADRES2(q.value(14).toString());
                m->setADRES1(q.value(15).toString());
                m->setULKE(q.value(16).toString());
                m->setAnaGrup(q.value(17).toString());
                m->setVERGINO(q.value(18).toString());
                m->setOzelKod(q.value(19).toString());
                m->setSATICITELEFON(q.value(20).toString());
                m->setFAX2(q.value(21).toString());
                m->setILCE(q.value(22).toString());
                const double borc = ParaYuvarla(q.value(23).toDouble());
                const double alacak = ParaYuvarla(q.value(24).toDouble());
                m->setTLBORC(borc);
                m->setTLALACAK(alacak);
                m->setTLBAKIYE(ParaYuvarla(borc - alacak));
                m->setKULLANICIADI(s.userName);
            }
        }
        return sonuc(nesneSonuc(std::move(m)));
    });
    r.set("CikisGonder", [&db](CallContext &ctx, const QList<WireValue> &) {
        requireSession(ctx);
        closeSession(db, ctx.session);
        return sonuc(std::monostate{});
    });
}

} // namespace kolvar::server
