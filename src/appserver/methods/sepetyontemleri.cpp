#include "fiyat.h"
#include "methodregistry.h"
#include "sepet.h"
#include "session.h"
#include "yontemaileleri.h"
#include "yontemdestek.h"

#include <storage/database.h>
#include <transfer/baglantiu.h>
#include <transfer/mobilstokunit.h>

#include <cmath>

namespace kolvar::server {

namespace {

constexpr double kEnBuyukMiktar = 1e6;

bool gecerliMiktar(double miktar)
{
    return std::isfinite(miktar) && miktar > 0 && miktar <= kEnBuyukMiktar;
}

// SepetEkle2 / SepetEkle. The rates and VAT come from the catalogue and the
// account, never from the caller; so does the price, except that a
// representative's `fiyat` may replace it within the floor of
// TemsilciFiyatiKabul. A dealer's `fiyat` is not read.
CallResult ekle(Database &db, CallContext &ctx, const QList<WireValue> &in)
{
    const Session s = requireSession(ctx);
    const qint64 carino = tamsayiGirdi(in, 1);
    const qint64 stokno = tamsayiGirdi(in, 2);
    const double miktar = ondalikGirdi(in, 5);
    if (!mayActFor(db, s, carino) || !gecerliMiktar(miktar))
        return sonuc(qint64(0));
    std::optional<double> temsilciFiyati;
    if (s.isRepresentative())
        temsilciFiyati = ondalikGirdi(in, 7);
    return sonuc(qint64(sepeteEkle(db, s.user, carino, stokno, miktar, temsilciFiyati) > 0 ? 1 : 0));
}

// SepetGuncelle2 / SepetGuncelle: the line's quantity; its price stays the
// one it was added with.
CallResult guncelle(Database &db, CallContext &ctx, const QList<WireValue> &in)
{
    const Session s = requireSession(ctx);
    const double miktar = ondalikGirdi(in, 5);
    const qint64 sirano = tamsayiGirdi(in, 10);
    if (!gecerliMiktar(miktar))
        return sonuc(qint64(0));
    Query q(db,
            QStringLiteral("UPDATE sepet SET miktar = ? WHERE sirano = ? AND ") +
                accountScope(s, QStringLiteral("sepet.carino")),
            {miktar, sirano});
    return sonuc(qint64(q.numRowsAffected() > 0 ? 1 : 0));
}

} // namespace

void registerSepetYontemleri(MethodRegistry &r, Database &db)
{
    r.set("SepetVer2", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        return sonuc(sepetTablosu(db, mayActFor(db, s, carino) ? carino : 0));
    });
    r.set("SepetVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        return sonuc(sepetTablosu(db, mayActFor(db, s, carino) ? carino : 0));
    });
    r.set("SepetMobilVer", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 carino = tamsayiGirdi(in, 0);
        const Table t = sepetTablosu(db, mayActFor(db, s, carino) ? carino : 0);
        auto liste = std::make_unique<TMobilSepetler>();
        QList<TMobilSepet> satirlar;
        auto c = [&t](const char *ad) { return t.columnIndex(QString::fromLatin1(ad)); };
        for (int i = 0; i < t.rowCount(); ++i) {
            TMobilSepet m;
            m.setSIRANO(qint32(t.integer(i, c("SIRANO"))));
            m.setStokNo(qint32(t.integer(i, c("STOKNO"))));
            m.setSTOK_STOKNO(qint32(t.integer(i, c("STOKNO"))));
            m.setCARINO(qint32(t.integer(i, c("CARINO"))));
            m.setCARIKOD(t.string(i, c("CARIKOD")));
            m.setCARIADI(t.string(i, c("CARIADI")));
            m.setTARIH(oleGunSayisi(t.date(i, c("TARIH"))));
            m.setVERILISTARIHI(oleGunSayisi(t.date(i, c("VERILISTARIHI"))));
            m.setSAAT(t.string(i, c("SAAT")));
            m.setSEC(qint32(t.integer(i, c("SEC"))));
            m.setMIKTAR(t.real(i, c("MIKTAR")));
            m.setBIRIMFIYAT(t.real(i, c("BIRIMFIYAT")));
            m.setNETBIRIMFIYAT(t.real(i, c("NETBIRIMFIYAT")));
            m.setTUTAR(t.real(i, c("TUTAR")));
            m.setINDIRIMTUTAR(t.real(i, c("INDIRIMTUTAR")));
            m.setNETTUTAR(t.real(i, c("NETTUTAR")));
            m.setVERGITUTARI(t.real(i, c("VERGITUTARI")));
            m.setKDVLITUTAR(t.real(i, c("KDVLITUTAR")));
            m.setKDV(t.real(i, c("KDV")));
            m.setINDIRIMORANI1(t.real(i, c("INDIRIMORANI1")));
            m.setINDIRIMORANI2(t.real(i, c("INDIRIMORANI2")));
            m.setINDIRIMORANI3(t.real(i, c("INDIRIMORANI3")));
            m.setBarkod(t.string(i, c("BARKOD")));
            m.setSTOKADI(t.string(i, c("STOKADI")));
            m.setMARKA(t.string(i, c("MARKA")));
            m.setMODEL(t.string(i, c("MODEL")));
            m.setOEM1(t.string(i, c("OEM1")));
            m.setOEM2(t.string(i, c("OEM2")));
            m.setOEM3(t.string(i, c("OEM3")));
            m.setOEM4(t.string(i, c("OEM4")));
            m.setOemNo(t.string(i, c("OEMNO")));
            m.setURETICIKODU(t.string(i, c("URETICIKODU")));
            m.setFINISHKOD(t.string(i, c("FINISHKOD")));
            m.setDIGERADI(t.string(i, c("DIGERADI")));
            m.setDpKod(t.string(i, c("DPKOD")));
            m.setPKod(t.string(i, c("PKOD")));
            m.setAnaGrup(t.string(i, c("ANAGRUP")));
            m.setOzelKod(t.string(i, c("OZELKOD")));
            m.setVEREN(t.string(i, c("VEREN")));
            m.setVERENIDNO(qint32(t.integer(i, c("VERENIDNO"))));
            m.setVERENSIRANO(qint32(t.integer(i, c("VERENIDNO"))));
            m.setDurum(qint32(t.integer(i, c("DURUM"))));
            m.setKalan(t.real(i, c("KALAN")));
            m.setKUR(t.string(i, c("KUR")));
            m.setKURTL(t.real(i, c("KURTL")));
            m.setResimVar(qint32(t.integer(i, c("RESIM"))));
            satirlar.append(m);
        }
        liste->setItems(satirlar);
        return sonuc(nesneSonuc(std::move(liste)));
    });
    r.set("SepetEkle2", [&db](CallContext &ctx, const QList<WireValue> &in) { return ekle(db, ctx, in); });
    r.set("SepetEkle", [&db](CallContext &ctx, const QList<WireValue> &in) { return ekle(db, ctx, in); });
    r.set("SepetGuncelle2",
          [&db](CallContext &ctx, const QList<WireValue> &in) { return guncelle(db, ctx, in); });
    r.set("SepetGuncelle",
          [&db](CallContext &ctx, const QList<WireValue> &in) { return guncelle(db, ctx, in); });

    r.set("SepetHepsiniSil", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const auto *bilgi = nesneGirdi<TSonucBilgisi>(in, 0);
        const qint64 carino = bilgi ? bilgi->CARINO() : 0;
        if (!mayActFor(db, s, carino))
            return sonuc(qint64(0));
        Query q(db, QStringLiteral("DELETE FROM sepet WHERE carino = ?"), {carino});
        return sonuc(qint64(q.numRowsAffected()));
    });
    r.set("SepetSatirSil", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 sirano = tamsayiGirdi(in, 1);
        Query q(db,
                QStringLiteral("DELETE FROM sepet WHERE sirano = ? AND ") +
                    accountScope(s, QStringLiteral("sepet.carino")),
                {sirano});
        return sonuc(qint64(q.numRowsAffected() > 0 ? 1 : 0));
    });
    r.set("SepetSecimGuncelle", [&db](CallContext &ctx, const QList<WireValue> &in) {
        const Session s = requireSession(ctx);
        const qint64 sirano = tamsayiGirdi(in, 0);
        const int secim = tamsayiGirdi(in, 1) != 0 ? 1 : 0;
        Query(db,
              QStringLiteral("UPDATE sepet SET sec = ? WHERE sirano = ? AND ") +
                  accountScope(s, QStringLiteral("sepet.carino")),
              {secim, sirano});
        return sonuc(std::monostate{});
    });
}

} // namespace kolvar::server
