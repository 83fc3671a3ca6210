#pragma once

#include <platform/grid/gridtypes.h>

#include <QList>
#include <QString>

namespace kolvar {

// The header of the check-box column; the double-click and "Satır Değiştir"
// toggle the selection only in this column.
inline const QString kSecBasligi = QStringLiteral("Seç");

// The columns of the basket grid, in order: those shown at design first,
// then the hidden ones the server sends along.
QList<GridColumn> SepetKolonlari();

// Red header with white bold text, 40 px rows and header, alternating rows,
// no focus rectangle.
GridLook SepetGorunumu();

// Footer: row count, quantity and net amount sums.
QList<GridSummary> SepetOzetleri();

} // namespace kolvar
