#pragma once

#include <platform/grid/gridtypes.h>

#include <QLocale>
#include <QString>

class QFont;
class QPainter;
class QRect;

namespace kolvar {

class ClientDataSet;

// The four prices of a stock row that the "Fiyat Bilgisi" cell lists.
struct FiyatBilgisi {
    double listeFiyat = 0; // LISTEFIYAT1
    double kampFiyat = 0;  // KAMPFIYAT; 0 when the stock has none
    double netFiyat = 0;   // NETFIYAT
    double kdvDahil = 0;   // KDVDAHIL
};

// The cell's text: one line per price, each ended by "\r\n"; the campaign
// line only for a campaign price above 0.
QString FiyatBilgisiMetni(const FiyatBilgisi &fiyat, const QLocale &locale = QLocale());

// The prices of `row` of a stock dataset; a missing field reads as 0.
FiyatBilgisi FiyatBilgisiOku(const ClientDataSet &stok, int row);

// The width the cell needs so that no row's longest line is cut: that line
// in `font` plus both margins (0 for an empty dataset).
int FiyatBilgisiGenisligi(const ClientDataSet &stok, const QFont &font, const QLocale &locale = QLocale());

// Draws the cell: the row's background (selection, odd or even colour),
// then the text right-aligned and vertically centred inside 10 px margins.
void FiyatBilgisiCiz(QPainter *painter, const QRect &rect, const QString &metin, bool selected,
                     const RowStyle &style);

} // namespace kolvar
