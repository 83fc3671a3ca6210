#pragma once

#include <QIcon>
#include <QList>

namespace kolvar {

// Status codes of a stock (`DURUM`).
enum StokDurumu : int {
    DurumYok = 0,
    DurumVar = 1,
    DurumTelefonAciniz = 2,
    DurumYolda = 3,
    DurumOzelSiparis = 4,
    DurumTedarikSurecinde = 5,
};

// The icon of a status code; a null icon for a code without one. The
// stock grids and the legend under them use the same icons. UI thread.
QIcon DurumIkonu(int durum);

// Icon lists of the grids' icon columns: the icon of value i is entry i.
QList<QIcon> DurumIkonlari();    // codes 0 to 5
QList<QIcon> YeniIkonlari();     // `Y`: 0 not new, 1 new
QList<QIcon> KampanyaIkonlari(); // `K`: 0 none, 1 on campaign
QList<QIcon> ResimIkonlari();    // `RESIM`: 0 nothing, 1 has a picture

} // namespace kolvar
