#pragma once

#include <QString>

#include <optional>

namespace kolvar {

// The grids whose columns depend on the kind of account signed in.
enum class Izgara { Stok, Sepet, Yeniler, Kampanyali };

// What the main window shows for an account type (`MusteriTipi`): 1 and 2
// are sales representatives, 3 and 4 dealers with restricted views; any
// other value keeps the window as designed.
struct HesapGorunumu {
    bool baskaCariSec = false;     // "Başka Cari Seç"
    bool raporlar = false;         // "Raporlar" in the general menu
    bool kampanyaliSekme = true;   // the "Kampanyalı Stoklar" tab
    bool kalanKolonu = false;      // KALAN
    bool siparisKolonlari = false; // ALINANSIPARIS, VERILENSIPARIS
    bool sepetDurumKolonu = true;  // DURUM of the basket
    bool kampanyaKolonlari = true; // KAMPFIYAT, K of the stock and new-stock grids

    // Whether the account type shows `field` in `grid`; empty when the
    // column does not depend on the account type. A hidden column is also
    // left out of the grid's column customisation.
    std::optional<bool> kolonGorunur(Izgara grid, const QString &field) const;

    bool operator==(const HesapGorunumu &) const = default;
};

HesapGorunumu HesapGorunumuAl(int musteriTipi);

} // namespace kolvar
