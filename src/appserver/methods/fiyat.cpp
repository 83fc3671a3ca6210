#include "fiyat.h"

#include <format/numberformat.h>

#include <cmath>

namespace kolvar::server {

double ParaYuvarla(double x)
{
    if (!std::isfinite(x))
        return 0;
    return IkiHaneYuvarla(x);
}

static QString oranYazisi(double oran)
{
    QString s = QString::number(oran, 'f', 2);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    s.replace(u'.', u',');
    return s;
}

// The rates joined by '+' without percent signs ("10+5"): the client puts
// its own "İndirim: %" before the text. A campaign's single rate keeps its
// sign ("%25"), since it follows the word "Kampanyalı ".
QString IndirimYazisi(const Indirimler &ind)
{
    QString out;
    for (double i : ind) {
        if (!(i > 0))
            continue;
        if (!out.isEmpty())
            out.append(u'+');
        out.append(oranYazisi(i));
    }
    return out;
}

double NetFiyat(double fiyat, const Indirimler &ind)
{
    double net = fiyat;
    for (double i : ind)
        if (i > 0)
            net *= (1.0 - i / 100.0);
    return ParaYuvarla(net);
}

double KdvDahil(double net, double kdv)
{
    return ParaYuvarla(net * (kdv / 100.0 + 1.0));
}

StokFiyati StokFiyatiHesapla(const StokFiyatGirdisi &stok, const Indirimler &cari)
{
    StokFiyati f;
    f.listeFiyat1 = ParaYuvarla(stok.listeFiyat);
    f.eskiFiyat = f.listeFiyat1;
    if (stok.kampanyaFiyat > 0) {
        f.k = 1;
        f.kampFiyat = ParaYuvarla(stok.kampanyaFiyat);
        f.fiyat = f.kampFiyat;
        f.netFiyat = f.kampFiyat;
        if (f.listeFiyat1 > f.kampFiyat && f.listeFiyat1 > 0) {
            f.indirim = std::round((1.0 - f.kampFiyat / f.listeFiyat1) * 10000.0) / 100.0;
            f.indirimYazi = u'%' + oranYazisi(f.indirim);
        }
    } else {
        f.fiyat = f.listeFiyat1;
        for (int i = 0; i < 4; ++i)
            f.ind[i] = cari[i] > 0 ? std::min(cari[i], 100.0) : 0.0;
        f.netFiyat = NetFiyat(f.fiyat, f.ind);
        f.indirimYazi = IndirimYazisi(f.ind);
        if (f.fiyat > 0)
            f.indirim = std::round((1.0 - f.netFiyat / f.fiyat) * 10000.0) / 100.0;
    }
    f.kdvDahil = KdvDahil(f.netFiyat, stok.kdv);
    return f;
}

std::optional<double> TemsilciFiyatiKabul(double yazilan, const StokFiyati &stok)
{
    if (!std::isfinite(yazilan))
        return std::nullopt;
    const double fiyat = ParaYuvarla(yazilan);
    if (fiyat == stok.fiyat)
        return fiyat;
    if (!(fiyat > 0) || fiyat < stok.netFiyat)
        return std::nullopt;
    return fiyat;
}

SatirTutari SatirHesapla(double miktar, double birimFiyat, const Indirimler &ind, double kdv)
{
    SatirTutari s;
    s.birimFiyat = ParaYuvarla(birimFiyat);
    s.netBirimFiyat = NetFiyat(s.birimFiyat, ind);
    s.tutar = ParaYuvarla(miktar * s.birimFiyat);
    s.netTutar = ParaYuvarla(miktar * s.netBirimFiyat);
    s.indirimTutar = ParaYuvarla(s.tutar - s.netTutar);
    s.vergiTutari = ParaYuvarla(s.netTutar * kdv / 100.0);
    s.kdvliTutar = ParaYuvarla(s.netTutar + s.vergiTutari);
    return s;
}

} // namespace kolvar::server
