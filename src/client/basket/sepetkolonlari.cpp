#include "sepetkolonlari.h"

#include <catalogue/ikonlar.h>

namespace kolvar {

namespace {

GridColumn kolon(const char *field, const QString &caption, bool visible, int weight,
                 CellKind kind = CellKind::Text)
{
    GridColumn c;
    c.field = QLatin1String(field);
    c.caption = caption;
    c.visible = visible;
    // A column without a caption has nothing to offer the user.
    c.offered = !caption.isEmpty();
    c.weight = weight;
    c.kind = kind;
    return c;
}

} // namespace

QList<GridColumn> SepetKolonlari()
{
    GridColumn sec = kolon("SEC", kSecBasligi, true, 1, CellKind::Check);
    sec.offered = false;
    sec.alignment = Qt::AlignCenter;
    GridColumn durum = kolon("DURUM", QStringLiteral("Durum"), true, 1, CellKind::Icon);
    durum.icons = DurumIkonlari();
    durum.alignment = Qt::AlignCenter;

    QList<GridColumn> k{
        sec,
        kolon("VERILISTARIHI", QStringLiteral("Sipariş Tarihi"), true, 1),
        kolon("SIRANO", {}, false, 1),
        kolon("STOKNO", {}, false, 1),
        kolon("BARKOD", QStringLiteral("Barkod"), true, 2),
        kolon("FINISHKOD", QStringLiteral("FinishKod"), true, 2),
        kolon("OEMNO", QStringLiteral("OEMNo"), true, 2),
        kolon("STOKADI", QStringLiteral("Stok Açıklama"), true, 3),
        kolon("MIKTAR", QStringLiteral("Miktar"), true, 1),
        kolon("BIRIMFIYAT", QStringLiteral("Birim Fiyat"), true, 1),
        kolon("TUTAR", QStringLiteral("Tutar"), false, 1),
        kolon("INDIRIMYAZI", QStringLiteral("İndirim Oran"), true, 2),
        kolon("INDIRIMORANI1", QStringLiteral("İndirim Oranı %"), false, 1),
        kolon("INDIRIMORANI2", {}, false, 1),
        kolon("INDIRIMORANI3", {}, false, 1),
        kolon("INDIRIMORANI4", {}, false, 1),
        kolon("INDIRIMTUTAR", QStringLiteral("İndirim Tutar"), false, 1),
        kolon("NETBIRIMFIYAT", QStringLiteral("Net Fiyat"), true, 1),
        kolon("KDV", {}, false, 1),
        kolon("VERGITUTARI", QStringLiteral("Vergi Tutarı"), false, 1),
        kolon("NETTUTAR", QStringLiteral("Net Tutar"), true, 1),
        kolon("VEREN", QStringLiteral("Veren"), true, 1),
        durum,
        kolon("MARKA", QStringLiteral("Marka"), false, 1),
        kolon("MODEL", QStringLiteral("Model"), false, 1),
    };
    struct Gizli {
        const char *field;
        const char *caption;
    };
    static const Gizli gizliler[] = {
        {"SIPARISNO", "Sipariş No"},
        {"CARINO", ""},
        {"TARIH", "Tarih"},
        {"AKTAR", ""},
        {"KUR", "Kur"},
        {"KURTL", ""},
        {"VERENIDNO", ""},
        {"SAAT", "Saat"},
        {"TESLIMID", ""},
        {"KARGOID", ""},
        {"ACIKLAMA", "Açıklama"},
        {"IDNO", ""},
        {"VERENSIRANO", ""},
        {"CARIKOD", "Cari Kod"},
        {"CARIADI", "Cari Adı"},
        {"OEM1", ""},
        {"OEM2", ""},
        {"OEM3", ""},
        {"OEM4", ""},
        {"STOK_STOKNO", ""},
        {"URETICIKODU", ""},
        {"DIGERADI", ""},
        {"DPKOD", ""},
        {"ANAGRUP", "Ana Grup"},
        {"OZELKOD", "Özel Kod"},
        {"PKOD", ""},
        {"KALAN", "Kalan"},
    };
    for (const Gizli &g : gizliler)
        k << kolon(g.field, QString::fromUtf8(g.caption), false, 1);
    return k;
}

GridLook SepetGorunumu()
{
    GridLook g;
    g.evenRow = QColor(254, 246, 254);
    g.oddRow = QColor(244, 249, 255);
    g.header = QColor(255, 0, 0);
    g.headerText = Qt::white;
    g.headerFont.setBold(true);
    g.rowHeight = 40;
    g.headerHeight = 40;
    g.focusRect = false;
    g.sorting = true;
    g.filterButtons = true;
    g.showFooter = true;
    return g;
}

QList<GridSummary> SepetOzetleri()
{
    return {{QStringLiteral("BARKOD"), SummaryKind::Count},
            {QStringLiteral("MIKTAR"), SummaryKind::Sum},
            {QStringLiteral("NETTUTAR"), SummaryKind::Sum}};
}

} // namespace kolvar
