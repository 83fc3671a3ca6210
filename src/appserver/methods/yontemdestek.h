#pragma once

// Small helpers shared by the business method bodies: reading the checked
// inputs, building result tables from queries, OLE day numbers.

#include "methodregistry.h"

#include <storage/database.h>
#include <wire/table.h>

#include <QDate>
#include <QList>
#include <QString>

#include <initializer_list>
#include <memory>

namespace kolvar::server {

// Inputs arrive checked against the catalogue, so a wrong alternative only
// happens through a JSON integer in a double slot; both read as numbers.
qint64 tamsayiGirdi(const QList<WireValue> &in, int i);
double ondalikGirdi(const QList<WireValue> &in, int i);
QString metinGirdi(const QList<WireValue> &in, int i);
bool mantiksalGirdi(const QList<WireValue> &in, int i);

template <class T> const T *nesneGirdi(const QList<WireValue> &in, int i)
{
    if (i >= in.size())
        return nullptr;
    const auto *p = std::get_if<std::shared_ptr<TransferObject>>(&in[i]);
    return p ? dynamic_cast<const T *>(p->get()) : nullptr;
}

inline CallResult sonuc(WireValue value, QList<WireValue> outs = {})
{
    return CallResult{std::move(outs), std::move(value)};
}

template <class T> WireValue nesneSonuc(std::unique_ptr<T> obj)
{
    return std::shared_ptr<TransferObject>(std::move(obj));
}

struct Sutun {
    const char *ad;
    ColumnType tur = ColumnType::String;
    int boyut = 0;
};

Table bosTablo(std::initializer_list<Sutun> sutunlar);

// Appends every row of `q`; result column i takes the query's column i,
// converted to the column's type (dates from ISO texts).
void satirlariEkle(Table &tablo, Query &q);
// Appends the query's current row.
int satirEkle(Table &tablo, const Query &q);

// Dates travel as OLE Automation day numbers (days since 1899-12-30).
QDate oleGunu(double gun);
double oleGunSayisi(QDate tarih);

// "1.234,56": an amount as Turkish texts show it.
QString paraYazisi(double tutar);

// A setting of the ayarlar table; `varsayilan` when unset or blank.
QString ayarOku(const Database &db, const char *anahtar, const QString &varsayilan = {});

QString bugunIso();
QString simdiSaat();

} // namespace kolvar::server
