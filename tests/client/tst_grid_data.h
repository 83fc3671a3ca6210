#pragma once

// A small stock list shared by the grid tests.

#include <platform/clientdataset.h>
#include <platform/grid/datagrid.h>

#include <QPixmap>

namespace griddata {

struct Line {
    int durum;
    const char *barkod;
    const char *adi;
    const char *marka;
    int sec;
    double net;
    int miktar;
    QDate tarih;
    const char *satici;
};

inline const QList<Line> &lines()
{
    static const QList<Line> l = {
        {1, "B100", "FREN BALATASI", "BOSCH", 1, 1234567.5, 2, QDate(2026, 1, 5), "AYŞE"},
        {5, "B200", "KEÇE", "ELRING", 0, 9.0, 10, QDate(2026, 2, 1), "MEHMET"},
        {7, "B300", "KAYIŞ", "BOSCH", 1, 10.25, 1, QDate(2026, 3, 9), "AYŞE"},
        {0, "B400", "FİLTRE", "MANN", 0, 100.0, 4, QDate(2025, 12, 31), "ALİ"},
        {2, "B500", "KELEPÇE", "ELRING", 1, 0.5, 3, QDate(2026, 1, 1), "MEHMET"},
    };
    return l;
}

inline kolvar::Table table()
{
    using kolvar::ColumnType;
    kolvar::Table t({{"DURUM", ColumnType::Int32},
                     {"BARKOD", ColumnType::String, 20},
                     {"ADI", ColumnType::String, 60},
                     {"MARKA", ColumnType::String, 20},
                     {"SEC", ColumnType::Int32},
                     {"NETTUTAR", ColumnType::Double},
                     {"MIKTAR", ColumnType::Int32},
                     {"TARIH", ColumnType::Date},
                     {"SATICIADI", ColumnType::String, 40}});
    for (const Line &l : lines()) {
        const int r = t.appendRow();
        t.setInteger(r, 0, l.durum);
        t.setString(r, 1, QString::fromUtf8(l.barkod));
        t.setString(r, 2, QString::fromUtf8(l.adi));
        t.setString(r, 3, QString::fromUtf8(l.marka));
        t.setInteger(r, 4, l.sec);
        t.setReal(r, 5, l.net);
        t.setInteger(r, 6, l.miktar);
        t.setDate(r, 7, l.tarih);
        t.setString(r, 8, QString::fromUtf8(l.satici));
    }
    return t;
}

inline QList<QIcon> statusIcons()
{
    QList<QIcon> icons;
    const QColor colours[] = {Qt::red, Qt::green, Qt::yellow, Qt::blue, Qt::magenta, Qt::cyan};
    for (const QColor &c : colours) {
        QPixmap p(16, 16);
        p.fill(c);
        icons << QIcon(p);
    }
    return icons;
}

// Column order: DURUM 0, BARKOD 1, ADI 2, MARKA 3, SEC 4, NETTUTAR 5,
// MIKTAR 6, TARIH 7, SATICIADI 8 (hidden), and the drawn price cell 9.
enum Col { Durum, Barkod, Adi, Marka, Sec, Net, Miktar, Tarih, Satici, Fiyat };

inline QList<kolvar::GridColumn> columns()
{
    using kolvar::CellKind;
    QList<kolvar::GridColumn> c;
    c << kolvar::GridColumn{"DURUM", "Durum", true, true, 1, {}, CellKind::Icon, statusIcons(), {}, 0};
    c << kolvar::GridColumn{"BARKOD", "Barkod", true, true, 2, {}, CellKind::Text, {}, {}, 0};
    c << kolvar::GridColumn{"ADI", "Açıklama", true, true, 4, {}, CellKind::Text, {}, {}, 0};
    c << kolvar::GridColumn{"MARKA", "Marka", true, true, 2, {}, CellKind::Text, {}, {}, 0};
    c << kolvar::GridColumn{"SEC", "Seç", true, false, 1, {}, CellKind::Check, {}, {}, 0};
    c << kolvar::GridColumn{"NETTUTAR", "Net Tutar", true, true, 1, {}, CellKind::Text, {}, {}, 0};
    c << kolvar::GridColumn{"MIKTAR", "Miktar", true, true, 1, {}, CellKind::Text, {}, {}, 0};
    c << kolvar::GridColumn{"TARIH", "Tarih", false, true, 1, {}, CellKind::Text, {}, {}, 0};
    c << kolvar::GridColumn{"SATICIADI", {}, false, true, 1, {}, CellKind::Text, {}, {}, 0};
    c << kolvar::GridColumn{{}, "Fiyat Bilgisi", false, true, 2, {}, CellKind::Custom, {}, {}, 0};
    return c;
}

inline void load(kolvar::ClientDataSet &ds)
{
    ds.assignData(table());
    ds.setDisplayFormat(u"NETTUTAR", QStringLiteral("#,###,##0.00"));
}

} // namespace griddata
