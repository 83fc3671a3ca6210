#pragma once

// Stock, basket, customer and opening-screen objects exchanged with the
// application server.

#include "transferfields.h"

namespace kolvar {

// Stock as the mobile methods describe it.
#define KOLVAR_TMOBILSTOK_FIELDS(X)                                                                          \
    X(qint32, StokNo, 0)                                                                                     \
    X(qint32, ResimVar, 0)                                                                                   \
    X(QString, Resim, {})                                                                                    \
    X(qint32, Yeni, 0)                                                                                       \
    X(QString, Departman, {})                                                                                \
    X(double, VerilenSiparis, 0)                                                                             \
    X(QString, AltGrup, {})                                                                                  \
    X(qint32, Durum, 0)                                                                                      \
    X(QString, Renk, {})                                                                                     \
    X(QString, Birim, QStringLiteral("ADET"))                                                                \
    X(double, KDV, 18)                                                                                       \
    X(double, AlinanSiparis, 0)                                                                              \
    X(double, Isk2, 0)                                                                                       \
    X(QString, AnaGrup, {})                                                                                  \
    X(QString, Kod, {})                                                                                      \
    X(double, Isk3, 0)                                                                                       \
    X(double, ListeFiyati, 0)                                                                                \
    X(QString, Beden, {})                                                                                    \
    X(double, NetFiyat, 0)                                                                                   \
    X(double, Isk1, 0)                                                                                       \
    X(double, KDVliFiyat, 0)                                                                                 \
    X(double, Isk4, 0)                                                                                       \
    X(QString, OzelKod, {})                                                                                  \
    X(qint32, Kampnayali, 0)                                                                                 \
    X(QString, Barkod, {})                                                                                   \
    X(double, IndirimOran, 0)                                                                                \
    X(double, Kalan, 0)                                                                                      \
    X(QString, UreticiKod, {})                                                                               \
    X(double, KampanyaliFiyat, 0)                                                                            \
    X(QString, OemNo, {})                                                                                    \
    X(qint32, BarkodNo, 0)                                                                                   \
    X(QString, PKod, {})                                                                                     \
    X(QString, DpKod, {})                                                                                    \
    X(QString, Adi, {})                                                                                      \
    X(double, Fiyat, 0)

class TMobilStok : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TMobilStok, KOLVAR_TMOBILSTOK_FIELDS)
};

// Basket line. TARIH and VERILISTARIHI are day counts in the OLE Automation
// encoding (days since 1899-12-30) and travel as JSON numbers.
#define KOLVAR_TMOBILSEPET_FIELDS(X)                                                                         \
    X(qint32, KARGOID, 0)                                                                                    \
    X(qint32, StokNo, 0)                                                                                     \
    X(double, TARIH, 0)                                                                                      \
    X(qint32, SIRANO, 0)                                                                                     \
    X(QString, CARIADI, {})                                                                                  \
    X(double, VERILISTARIHI, 0)                                                                              \
    X(qint32, Durum, 0)                                                                                      \
    X(double, MIKTAR, 0)                                                                                     \
    X(qint32, VERENIDNO, 0)                                                                                  \
    X(double, NETTUTAR, 0)                                                                                   \
    X(double, KDVLITUTAR, 0)                                                                                 \
    X(double, KDV, 0)                                                                                        \
    X(qint32, AKTAR, 0)                                                                                      \
    X(QString, SAAT, {})                                                                                     \
    X(double, VERGITUTARI, 0)                                                                                \
    X(QString, PKod, {})                                                                                     \
    X(QString, MODEL, {})                                                                                    \
    X(double, INDIRIMTUTAR, 0)                                                                               \
    X(qint32, STOK_STOKNO, 0)                                                                                \
    X(double, BIRIMFIYAT, 0)                                                                                 \
    X(qint32, SEC, 0)                                                                                        \
    X(QString, OEM2, {})                                                                                     \
    X(QString, OEM3, {})                                                                                     \
    X(QString, AnaGrup, {})                                                                                  \
    X(QString, MARKA, {})                                                                                    \
    X(QString, VEREN, {})                                                                                    \
    X(QString, STOKADI, {})                                                                                  \
    X(QString, OEM1, {})                                                                                     \
    X(qint32, CARINO, 0)                                                                                     \
    X(qint32, VERENSIRANO, 0)                                                                                \
    X(qint32, ACIKLAMA, 0)                                                                                   \
    X(double, INDIRIMORANI2, 0)                                                                              \
    X(QString, OEM4, {})                                                                                     \
    X(QString, KUR, {})                                                                                      \
    X(double, INDIRIMORANI3, 0)                                                                              \
    X(qint32, SIPARISNO, 0)                                                                                  \
    X(double, IDNO, 0)                                                                                       \
    X(QString, OzelKod, {})                                                                                  \
    X(QString, DpKod, {})                                                                                    \
    X(double, KURTL, 0)                                                                                      \
    X(double, INDIRIMORANI1, 0)                                                                              \
    X(QString, DIGERADI, {})                                                                                 \
    X(QString, Barkod, {})                                                                                   \
    X(double, TUTAR, 0)                                                                                      \
    X(QString, URETICIKODU, {})                                                                              \
    X(double, Kalan, 0)                                                                                      \
    X(QString, FINISHKOD, {})                                                                                \
    X(QString, CARIKOD, {})                                                                                  \
    X(double, NETBIRIMFIYAT, 0)                                                                              \
    X(QString, OemNo, {})                                                                                    \
    X(qint32, TESLIMID, 0)                                                                                   \
    X(qint32, ResimVar, 0)                                                                                   \
    X(QString, Resim, {})

class TMobilSepet : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TMobilSepet, KOLVAR_TMOBILSEPET_FIELDS)
};

// Contact data of one customer account.
#define KOLVAR_TMOBILCARIBILGISI_FIELDS(X)                                                                   \
    X(QString, BILGISAYARID, {})                                                                             \
    X(QString, SEHIR, {})                                                                                    \
    X(QString, FAX1, {})                                                                                     \
    X(QString, SATICIMAIL, {})                                                                               \
    X(QString, SATICIADI, {})                                                                                \
    X(QString, CARIADI, {})                                                                                  \
    X(QString, EMAIL, {})                                                                                    \
    X(QString, VERGIDAIRESI, {})                                                                             \
    X(QString, YETKILI, {})                                                                                  \
    X(QString, AltGrup, {})                                                                                  \
    X(QString, TEL2, {})                                                                                     \
    X(QString, SIFRE, {})                                                                                    \
    X(QString, GSM, {})                                                                                      \
    X(QString, TEL1, {})                                                                                     \
    X(QString, ADRES2, {})                                                                                   \
    X(double, TLBORC, 0)                                                                                     \
    X(double, TLALACAK, 0)                                                                                   \
    X(QString, ADRES1, {})                                                                                   \
    X(QString, ULKE, {})                                                                                     \
    X(QString, AnaGrup, {})                                                                                  \
    X(qint32, CARINO, 0)                                                                                     \
    X(double, TLBAKIYE, 0)                                                                                   \
    X(QString, VERGINO, {})                                                                                  \
    X(QString, MAIL, {})                                                                                     \
    X(QString, OzelKod, {})                                                                                  \
    X(QString, KULLANICIADI, {})                                                                             \
    X(QString, SATICITELEFON, {})                                                                            \
    X(QString, CARIKOD, {})                                                                                  \
    X(QString, FAX2, {})                                                                                     \
    X(QString, ILCE, {})

class TMobilCariBilgisi : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TMobilCariBilgisi, KOLVAR_TMOBILCARIBILGISI_FIELDS)
};

// One opening advert or announcement.
#define KOLVAR_TACILISEKRAN_FIELDS(X)                                                                        \
    X(qint32, SiraNo, 0)                                                                                     \
    X(QString, Resim, {})                                                                                    \
    X(QString, Baslik, {})                                                                                   \
    X(QString, Arama, {})

class TAcilisEkran : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TAcilisEkran, KOLVAR_TACILISEKRAN_FIELDS)
};

// The announcements as one object: FEkranlar is a JSON array of objects in
// the full {"type","id","fields"} form.
#define KOLVAR_TACILISEKRANLARIKI_FIELDS(X) X(QList<TAcilisEkran>, Ekranlar, {})

class TAcilisEkranlariki : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TAcilisEkranlariki, KOLVAR_TACILISEKRANLARIKI_FIELDS)
};

// Owning lists. They hold their elements by value and travel as
//   {"type": "mobilstokunit.TMobilStoklar", "id": n, "fields": {"FItems": [objects...]}}
#define KOLVAR_TMOBILSTOKLAR_FIELDS(X) X(QList<TMobilStok>, Items, {})
#define KOLVAR_TMOBILSEPETLER_FIELDS(X) X(QList<TMobilSepet>, Items, {})
#define KOLVAR_TACILISEKRANLAR_FIELDS(X) X(QList<TAcilisEkran>, Items, {})

class TMobilStoklar : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TMobilStoklar, KOLVAR_TMOBILSTOKLAR_FIELDS)

public:
    qsizetype count() const { return FItems.size(); }
    void add(const TMobilStok &item) { FItems.append(item); }
};

class TMobilSepetler : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TMobilSepetler, KOLVAR_TMOBILSEPETLER_FIELDS)

public:
    qsizetype count() const { return FItems.size(); }
    void add(const TMobilSepet &item) { FItems.append(item); }
};

class TAcilisEkranlar : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TAcilisEkranlar, KOLVAR_TACILISEKRANLAR_FIELDS)

public:
    qsizetype count() const { return FItems.size(); }
    void add(const TAcilisEkran &item) { FItems.append(item); }
};

} // namespace kolvar
