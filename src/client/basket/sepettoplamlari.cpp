#include "sepettoplamlari.h"

#include <format/numberformat.h>
#include <platform/clientdataset.h>

namespace kolvar {

namespace {

double deger(const ClientDataSet &ds, int row, int col)
{
    return col < 0 ? 0.0 : ds.value(row, col).toDouble();
}

} // namespace

SepetToplamlari ToplamlariHesapla(const ClientDataSet &sepet)
{
    SepetToplamlari t;
    if (!sepet.isActive())
        return t;
    const int sec = sepet.fieldIndex(u"SEC");
    const int tutar = sepet.fieldIndex(u"TUTAR");
    const int indirim = sepet.fieldIndex(u"INDIRIMTUTAR");
    const int vergi = sepet.fieldIndex(u"VERGITUTARI");
    if (sec < 0)
        return t;
    // Read row by row without moving the cursor: the grid is not told about
    // anything while the totals are added up.
    for (int r = 0; r < sepet.recordCount(); ++r) {
        if (sepet.value(r, sec).toDouble() != 1.0)
            continue;
        t.T = IkiHaneYuvarla(t.T + deger(sepet, r, tutar));
        t.I = IkiHaneYuvarla(t.I + deger(sepet, r, indirim));
        t.V += IkiHaneYuvarla(deger(sepet, r, vergi));
    }
    t.N = IkiHaneYuvarla(t.T - t.I);
    t.G = IkiHaneYuvarla(t.N + t.V);
    return t;
}

} // namespace kolvar
