#include "yontemdestek.h"

#include <format/oledate.h>

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace kolvar::server {

qint64 tamsayiGirdi(const QList<WireValue> &in, int i)
{
    if (i >= in.size())
        return 0;
    if (const auto *v = std::get_if<qint64>(&in[i]))
        return *v;
    if (const auto *d = std::get_if<double>(&in[i]))
        return std::isfinite(*d) ? qint64(*d) : 0;
    if (const auto *b = std::get_if<bool>(&in[i]))
        return *b ? 1 : 0;
    return 0;
}

double ondalikGirdi(const QList<WireValue> &in, int i)
{
    if (i >= in.size())
        return 0;
    if (const auto *d = std::get_if<double>(&in[i]))
        return std::isfinite(*d) ? *d : 0.0;
    if (const auto *v = std::get_if<qint64>(&in[i]))
        return double(*v);
    return 0;
}

QString metinGirdi(const QList<WireValue> &in, int i)
{
    if (i >= in.size())
        return {};
    if (const auto *s = std::get_if<QString>(&in[i]))
        return *s;
    return {};
}

bool mantiksalGirdi(const QList<WireValue> &in, int i)
{
    if (i >= in.size())
        return false;
    if (const auto *b = std::get_if<bool>(&in[i]))
        return *b;
    return tamsayiGirdi(in, i) != 0;
}

Table bosTablo(std::initializer_list<Sutun> sutunlar)
{
    QList<ColumnDef> defs;
    defs.reserve(qsizetype(sutunlar.size()));
    for (const Sutun &s : sutunlar)
        defs.append(ColumnDef{QString::fromLatin1(s.ad), s.tur, s.boyut});
    return Table(std::move(defs));
}

int satirEkle(Table &tablo, const Query &q)
{
    const int row = tablo.appendRow();
    for (int c = 0; c < tablo.columnCount(); ++c) {
        const QVariant v = q.value(c);
        if (v.isNull())
            continue;
        switch (tablo.column(c).type) {
        case ColumnType::String: tablo.setString(row, c, v.toString()); break;
        case ColumnType::Int32:
        case ColumnType::Int64: tablo.setInteger(row, c, v.toLongLong()); break;
        case ColumnType::Double: tablo.setReal(row, c, v.toDouble()); break;
        case ColumnType::Bool: tablo.setBoolean(row, c, v.toLongLong() != 0); break;
        case ColumnType::Date: {
            const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
            if (d.isValid())
                tablo.setDate(row, c, d);
            break;
        }
        case ColumnType::DateTime: {
            const QDateTime d = QDateTime::fromString(v.toString(), Qt::ISODate);
            if (d.isValid())
                tablo.setDateTime(row, c, d);
            break;
        }
        case ColumnType::Blob: tablo.setBlob(row, c, v.toByteArray()); break;
        }
    }
    return row;
}

void satirlariEkle(Table &tablo, Query &q)
{
    while (q.next())
        satirEkle(tablo, q);
}

QDate oleGunu(double gun)
{
    return oleDateToDate(gun);
}

double oleGunSayisi(QDate tarih)
{
    return toOleDate(tarih);
}

QString paraYazisi(double tutar)
{
    static const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    return tr.toString(tutar, 'f', 2);
}

QString ayarOku(const Database &db, const char *anahtar, const QString &varsayilan)
{
    Query q(db, QStringLiteral("SELECT deger FROM ayarlar WHERE anahtar = ?"),
            {QString::fromLatin1(anahtar)});
    const QString v = q.next() ? q.value(0).toString() : QString();
    return v.trimmed().isEmpty() ? varsayilan : v;
}

QString bugunIso()
{
    return QDate::currentDate().toString(Qt::ISODate);
}

QString simdiSaat()
{
    return QTime::currentTime().toString(u"HH:mm:ss");
}

} // namespace kolvar::server
