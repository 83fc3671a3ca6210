#include "stokkolonlari.h"

#include "ikonlar.h"

#include <platform/clientdataset.h>
#include <platform/grid/datagrid.h>

namespace kolvar {

namespace {

constexpr int GenisEkran = 1152;
const QColor kMavimsi(244, 249, 255);
const QColor kPembemsi(254, 246, 254);

// One row of a column table: field, caption, visible at design, weight.
// A column without a caption is never offered in the customisation.
GridColumn kolon(const char *field, const char *caption, bool visible, int weight)
{
    GridColumn c;
    c.field = QLatin1String(field);
    c.caption = QString::fromUtf8(caption);
    c.visible = visible;
    c.weight = weight;
    c.offered = caption[0] != '\0';
    return c;
}

GridColumn ikonKolonu(const char *field, const char *caption, int weight, QList<QIcon> icons)
{
    GridColumn c = kolon(field, caption, true, weight);
    c.kind = CellKind::Icon;
    c.icons = std::move(icons);
    return c;
}

// The OEM, code and name columns every list starts with.
void basKolonlari(QList<GridColumn> &l, int adiAgirligi)
{
    l << kolon("OEM1", "Oem1", false, 2) << kolon("OEM2", "Oem2", false, 2) << kolon("OEM3", "Oem3", false, 2)
      << kolon("BARKOD", "Barkod", true, 2) << kolon("ADI", "Açıklama", true, adiAgirligi)
      << kolon("OEM4", "Oem4", false, 2) << kolon("STOK_STOKNO", "", false, 1);
}

// The codes and names after the picture, the same in every list.
void kodKolonlari(QList<GridColumn> &l)
{
    l << kolon("BARKOD_BARKODNO", "", false, 1) << kolon("DIGERADI", "Diğer Adı", false, 3)
      << kolon("DPKOD", "", false, 2) << kolon("OEMNO", "Oem No", false, 2);
}

void grupKolonlari(QList<GridColumn> &l, bool birimGorunur)
{
    l << kolon("BIRIM", "Birim", birimGorunur, 1) << kolon("MARKA", "Marka", true, 2)
      << kolon("MODEL", "Model", true, 2) << kolon("ANAGRUP", "Ana Grup", false, 2)
      << kolon("OZELKOD", "Özel Kod", false, 2) << kolon("KALAN", "", false, 1) << kolon("PKOD", "", false, 1)
      << kolon("KDV", "", false, 1) << kolon("ALINANSIPARIS", "", false, 1)
      << kolon("VERILENSIPARIS", "", false, 1);
}

// Red header with white bold text, the light blue selection, a counting
// footer; rows alternate between `cift` (even) and `tek` (odd).
GridLook ortakGorunum(int fontPx, const QColor &cift, const QColor &tek, int satir)
{
    GridLook g;
    g.evenRow = cift;
    g.oddRow = tek;
    g.rowHeight = satir;
    g.font = QFont(QStringLiteral("Arial"));
    g.font.setPixelSize(fontPx);
    g.font.setBold(false); // not the window's bold
    g.headerFont = g.font;
    g.headerFont.setBold(true);
    g.header = QColor(0xd0, 0x10, 0x10);
    g.headerText = Qt::white;
    g.selection = QColor(0xad, 0xd8, 0xe6);
    g.selectionText = Qt::black;
    g.headerHeight = 40;
    g.showFooter = true;
    g.filterButtons = true;
    return g;
}

} // namespace

QList<GridColumn> StokKolonlari(CellDrawer fiyatCizici)
{
    QList<GridColumn> l;
    l << ikonKolonu("DURUM", "Durum", 1, DurumIkonlari());
    basKolonlari(l, 4);
    l << kolon("FINISHKOD", "Finish Kod", false, 2) << kolon("URETICIKODU", "Üretici Kod", false, 2)
      << ikonKolonu("RESIM", "Resim", 1, ResimIkonlari());
    kodKolonlari(l);
    grupKolonlari(l, false);
    l << kolon("LISTEFIYAT1", "Liste Fiyatı", false, 2) << kolon("KAMPFIYAT", "Kampanyalı Fiyat", false, 2)
      << kolon("FIYAT", "Liste Fiyatı", false, 2) << ikonKolonu("Y", "Yeni", 1, YeniIkonlari())
      << ikonKolonu("K", "Kampanyalı", 1, KampanyaIkonlari()) << kolon("INDIRIMYAZI", "İndirim Oran", true, 2)
      << kolon("NETFIYAT", "Net Fiyatı", false, 2) << kolon("KDVDAHIL", "KDV Dahil Fiyat", true, 3);
    GridColumn fiyat = kolon("", "Fiyat Bilgisi", true, 2);
    fiyat.kind = CellKind::Custom;
    fiyat.drawer = std::move(fiyatCizici);
    l << fiyat;
    return l;
}

QList<GridColumn> YeniKolonlari()
{
    QList<GridColumn> l;
    basKolonlari(l, 3);
    l << kolon("FINISHKOD", "Finish Kod", true, 2) << kolon("URETICIKODU", "Üretici Kod", false, 2);
    kodKolonlari(l);
    grupKolonlari(l, true);
    l << kolon("FIYAT", "Liste Fiyatı2", false, 2)
      << ikonKolonu("K", "Kampanyalı", 1, {QIcon(), KampanyaIkonlari().value(1)})
      << kolon("LISTEFIYAT1", "Liste Fiyatı", true, 2) << kolon("KAMPFIYAT", "Kampanyalı Fiyatı", true, 2)
      << kolon("INDIRIMYAZI", "Indirim Oran", true, 2);
    GridColumn indirim = kolon("INDIRIM", "İndirim Oran", false, 1);
    indirim.offered = false;
    l << indirim << kolon("NETFIYAT", "Net Fiyatı", true, 2) << kolon("KDVDAHIL", "KDV Dahil Fiyat", true, 2);
    return l;
}

QList<GridColumn> KampanyaliKolonlari()
{
    QList<GridColumn> l;
    basKolonlari(l, 3);
    l << ikonKolonu("RESIM", "Resim", 1, ResimIkonlari()) << kolon("FINISHKOD", "Finish Kod", true, 2)
      << kolon("URETICIKODU", "Üretici Kod", false, 2);
    kodKolonlari(l);
    grupKolonlari(l, true);
    l << kolon("ESKIFIYAT", "Liste Fiyatı", true, 2) << kolon("FIYAT", "Kampanyalı Fiyatı", true, 2)
      << ikonKolonu("Y", "Yeni", 1, YeniIkonlari()) << ikonKolonu("K", "Kampanyalı", 1, KampanyaIkonlari());
    GridColumn indirim = kolon("INDIRIM", "İndirim Oran", false, 1);
    indirim.offered = false;
    l << indirim << kolon("INDIRIMYAZI", "İndirim Oran", true, 2) << kolon("NETFIYAT", "Net Fiyatı", true, 2)
      << kolon("KDVDAHIL", "KDV Dahil Fiyat", true, 2) << ikonKolonu("DURUM", "Durum", 1, DurumIkonlari());
    return l;
}

GridLook StokGorunumu()
{
    GridLook g = ortakGorunum(13, kMavimsi, kPembemsi, 50);
    g.indicator = true;
    g.indicatorWidth = 5;
    g.wordWrap = true;
    return g;
}

GridLook YeniGorunumu()
{
    return ortakGorunum(13, kPembemsi, kMavimsi, 40);
}

GridLook KampanyaliGorunumu()
{
    return ortakGorunum(11, kMavimsi, kPembemsi, 40);
}

void HesapKolonlariniUygula(DataGrid &grid, Izgara izgara, const HesapGorunumu &gorunum)
{
    const QList<GridColumn> &cols = grid.columns();
    for (int i = 0; i < cols.size(); ++i) {
        if (cols[i].field.isEmpty())
            continue;
        const std::optional<bool> gorunur = gorunum.kolonGorunur(izgara, cols[i].field);
        if (!gorunur)
            continue;
        grid.setColumnVisible(i, *gorunur);
        // Columns without a caption stay out of the customisation either way.
        grid.setColumnOffered(i, *gorunur && !cols[i].caption.isEmpty());
    }
}

void SutunGenislikAyarla(DataGrid &grid, int ekranGenisligi)
{
    if (ekranGenisligi > GenisEkran)
        grid.applyWeights();
    else
        grid.bestFit();
}

int OdaktakiStogaGit(const DataGrid &grid, ClientDataSet *liste)
{
    const int kayit = grid.focusedRecord();
    if (kayit < 0 || !liste || grid.dataSet() != liste)
        return -1;
    liste->setRecNo(kayit);
    return liste->value(kayit, liste->fieldIndex(u"STOK_STOKNO")).toInt();
}

} // namespace kolvar
