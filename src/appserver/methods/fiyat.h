#pragma once

#include <QString>

#include <array>
#include <optional>

namespace kolvar::server {

// Money is rounded to two decimals, halves away from zero, exactly as the
// client rounds (0.125 → 0.13, -0.125 → -0.13); not a number gives 0.
double ParaYuvarla(double x);

// The four discount rates of a customer account, in percent, applied one
// after the other.
using Indirimler = std::array<double, 4>;

// "10+5" for 10, 5, 0, 0; rates of 0 are left out, fractions written with
// a decimal comma ("%12,5"); empty when there is no discount.
QString IndirimYazisi(const Indirimler &ind);

// Net price after the cascade: p × (1 − i1/100) × … × (1 − i4/100), rounded.
double NetFiyat(double fiyat, const Indirimler &ind);

// VAT-inclusive price: net × (1 + kdv/100), rounded.
double KdvDahil(double net, double kdv);

// What one account pays for one stock.
struct StokFiyatGirdisi {
    double listeFiyat = 0;
    double kampanyaFiyat = 0; // > 0 while the stock is on campaign
    double kdv = 0;
};

struct StokFiyati {
    double listeFiyat1 = 0; // LISTEFIYAT1
    double kampFiyat = 0;   // KAMPFIYAT, 0 when none
    double fiyat = 0;       // FIYAT: the unit price an add carries
    double eskiFiyat = 0;   // ESKIFIYAT: list price before the campaign
    Indirimler ind{};       // IND1..IND4 that apply to FIYAT
    double indirim = 0;     // INDIRIM: the total discount in percent
    QString indirimYazi;    // INDIRIMYAZI
    double netFiyat = 0;    // NETFIYAT
    double kdvDahil = 0;    // KDVDAHIL
    int k = 0;              // K: 1 on campaign
};

// A stock on campaign is sold at its campaign price, which is already net:
// the account's rates do not apply on top of it. Its discount text is the
// campaign's saving against the list price ("%25").
StokFiyati StokFiyatiHesapla(const StokFiyatGirdisi &stok, const Indirimler &cari);

// Amounts of one basket or order line.
struct SatirTutari {
    double birimFiyat = 0;    // BIRIMFIYAT
    double netBirimFiyat = 0; // NETBIRIMFIYAT
    double tutar = 0;         // TUTAR = miktar × birim fiyat
    double netTutar = 0;      // NETTUTAR = miktar × net birim fiyat
    double indirimTutar = 0;  // INDIRIMTUTAR = TUTAR − NETTUTAR
    double vergiTutari = 0;   // VERGITUTARI = NETTUTAR × kdv
    double kdvliTutar = 0;    // KDVLITUTAR = NETTUTAR + VERGITUTARI
};

// A unit price typed by a representative for one stock and account: its
// own price (rounded to cents) is always taken; any other price only when it
// is above zero and not below the stock's net price for the account
// (NETFIYAT), so the account's rates, which still apply to the line, can at
// most be given twice. Answers the rounded price, nullopt when refused.
std::optional<double> TemsilciFiyatiKabul(double yazilan, const StokFiyati &stok);

SatirTutari SatirHesapla(double miktar, double birimFiyat, const Indirimler &ind, double kdv);

} // namespace kolvar::server
