#pragma once

#include <app/hesapgorunumu.h>
#include <platform/grid/gridtypes.h>

#include <QList>

namespace kolvar {

class ClientDataSet;
class DataGrid;

// Captions the stock grid's layout switches on and off.
inline const QString kFiyatBilgisi = QStringLiteral("Fiyat Bilgisi");

// Columns of the stock list, in grid order; `fiyatCizici` draws the
// "Fiyat Bilgisi" cell.
QList<GridColumn> StokKolonlari(CellDrawer fiyatCizici);
// Columns of the new-stocks and the campaign-stocks lists.
QList<GridColumn> YeniKolonlari();
QList<GridColumn> KampanyaliKolonlari();

// Looks of the three grids.
GridLook StokGorunumu();
GridLook YeniGorunumu();
GridLook KampanyaliGorunumu();

// Shows or hides the columns whose visibility depends on the account type;
// a column the account does not see is also taken out of the column
// customisation.
void HesapKolonlariniUygula(DataGrid &grid, Izgara izgara, const HesapGorunumu &gorunum);

// Column widths of the new and campaign lists: weights on a screen wider
// than 1152 px, otherwise each column fitted to its content.
void SutunGenislikAyarla(DataGrid &grid, int ekranGenisligi);

// The stock number of the grid's focused row, with `liste` moved to that
// row; -1 when no row is focused or the grid does not show `liste`.
int OdaktakiStogaGit(const DataGrid &grid, ClientDataSet *liste);

} // namespace kolvar
