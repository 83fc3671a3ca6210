#pragma once

// Session record and order objects exchanged with the application server.

#include "transferfields.h"

namespace kolvar {

// Who is signed in, for which customer account, on which computer. Every
// call that takes it gets a fresh copy (Kopyala), never the main record.
#define KOLVAR_TSONUCBILGISI_FIELDS(X)                                                                       \
    X(QString, BILGISAYARID, {})                                                                             \
    X(QString, SaticiMail, {})                                                                               \
    X(qint32, Sirano, 0)                                                                                     \
    X(QString, CariAdi, {})                                                                                  \
    X(QString, SIFRE, {})                                                                                    \
    X(qint32, SaticiNo, 0)                                                                                   \
    X(qint32, CARINO, 0)                                                                                     \
    X(qint32, AKTIF, 0)                                                                                      \
    X(QString, Kullanicimail, {})                                                                            \
    X(QString, ADI, {})                                                                                      \
    X(QString, SaticiTelefon, {})                                                                            \
    X(QString, carikod, {})                                                                                  \
    X(bool, Varmi, false)                                                                                    \
    X(QString, SaticiAdi, {})                                                                                \
    X(QString, BilgiSayarAdi, {})                                                                            \
    X(QString, Disip, {})                                                                                    \
    X(QString, Icip, {})                                                                                     \
    X(QString, BilgisayarKullanici, {})                                                                      \
    X(qint32, MusteriTipi, 1)                                                                                \
    X(qint32, Version, 1)

class TSonucBilgisi : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TSonucBilgisi, KOLVAR_TSONUCBILGISI_FIELDS)
};

// Footer of one order.
#define KOLVAR_TSIPARISDIPAYRINTI_FIELDS(X)                                                                  \
    X(QString, SizinMesaj, {})                                                                               \
    X(QString, Durumu, {})                                                                                   \
    X(QString, Veren, {})                                                                                    \
    X(QString, Kargo, {})                                                                                    \
    X(QString, KolvarMesaj, {})                                                                              \
    X(QString, TeslimCinsi, {})                                                                              \
    X(QString, KargoCinsi, {})                                                                               \
    X(QString, SaticiNotu, {})

class TSiparisDipAyrinti : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TSiparisDipAyrinti, KOLVAR_TSIPARISDIPAYRINTI_FIELDS)
};

// Order counters by state for a sales representative.
#define KOLVAR_TTUSSONUCLARI_FIELDS(X)                                                                       \
    X(qint32, Alindi, 0)                                                                                     \
    X(qint32, Onaylandi, 0)                                                                                  \
    X(qint32, ParcaliHazirlandi, 0)                                                                          \
    X(qint32, SevkEdildi, 0)                                                                                 \
    X(qint32, Hazirlandi, 0)                                                                                 \
    X(qint32, Goruldu, 0)

class TTusSonuclari : public TransferObject
{
    KOLVAR_TRANSFER_CLASS(TTusSonuclari, KOLVAR_TTUSSONUCLARI_FIELDS)
};

} // namespace kolvar
