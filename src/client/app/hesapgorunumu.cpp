#include "hesapgorunumu.h"

namespace kolvar {

HesapGorunumu HesapGorunumuAl(int musteriTipi)
{
    HesapGorunumu g;
    switch (musteriTipi) {
    case 1:
    case 2:
        g.baskaCariSec = true;
        g.raporlar = true;
        g.kalanKolonu = true;
        g.siparisKolonlari = true;
        break;
    case 3: g.sepetDurumKolonu = false; break;
    case 4:
        g.kampanyaliSekme = false;
        g.kampanyaKolonlari = false;
        break;
    default: break;
    }
    return g;
}

std::optional<bool> HesapGorunumu::kolonGorunur(Izgara grid, const QString &field) const
{
    const QString f = field.toUpper();
    if (f == QLatin1String("KALAN"))
        return kalanKolonu;
    if (f == QLatin1String("ALINANSIPARIS") || f == QLatin1String("VERILENSIPARIS")) {
        if (grid == Izgara::Sepet)
            return std::nullopt;
        return siparisKolonlari;
    }
    if (f == QLatin1String("DURUM") && grid == Izgara::Sepet)
        return sepetDurumKolonu;
    if ((f == QLatin1String("KAMPFIYAT") || f == QLatin1String("K")) &&
        (grid == Izgara::Stok || grid == Izgara::Yeniler))
        return kampanyaKolonlari;
    return std::nullopt;
}

} // namespace kolvar
