#include "fiyatbilgisi.h"

#include <format/numberformat.h>
#include <platform/clientdataset.h>

#include <QFontMetrics>
#include <QPainter>

namespace kolvar {

namespace {
constexpr int YanBosluk = 10;

double alan(const ClientDataSet &stok, int row, QStringView field)
{
    const int f = stok.fieldIndex(field);
    return f < 0 ? 0.0 : stok.value(row, f).toDouble();
}
} // namespace

QString FiyatBilgisiMetni(const FiyatBilgisi &fiyat, const QLocale &locale)
{
    const QString satirSonu = QStringLiteral("\r\n");
    const auto satir = [&](const QString &baslik, double deger) {
        return baslik + formatNumber(deger, QString(kAmountFormat), locale) + satirSonu;
    };
    QString metin = satir(QStringLiteral("Liste Fiyatı: "), fiyat.listeFiyat);
    if (fiyat.kampFiyat > 0)
        metin += satir(QStringLiteral("Kampanyalı Fiyat: "), fiyat.kampFiyat);
    metin += satir(QStringLiteral("NetFiyat: "), fiyat.netFiyat);
    metin += satir(QStringLiteral("KDV li Fiyat: "), fiyat.kdvDahil);
    return metin;
}

FiyatBilgisi FiyatBilgisiOku(const ClientDataSet &stok, int row)
{
    return {alan(stok, row, u"LISTEFIYAT1"), alan(stok, row, u"KAMPFIYAT"), alan(stok, row, u"NETFIYAT"),
            alan(stok, row, u"KDVDAHIL")};
}

int FiyatBilgisiGenisligi(const ClientDataSet &stok, const QFont &font, const QLocale &locale)
{
    const QFontMetrics fm(font);
    int enGenis = 0;
    for (int r = 0; r < stok.recordCount(); ++r) {
        const QString metin = FiyatBilgisiMetni(FiyatBilgisiOku(stok, r), locale);
        for (const QStringView satir : QStringView(metin).split(u"\r\n", Qt::SkipEmptyParts))
            enGenis = qMax(enGenis, fm.horizontalAdvance(satir.toString()));
    }
    return enGenis == 0 ? 0 : enGenis + 2 * YanBosluk + 2;
}

void FiyatBilgisiCiz(QPainter *painter, const QRect &rect, const QString &metin, bool selected,
                     const RowStyle &style)
{
    painter->save();
    painter->fillRect(rect, selected ? style.selectionBackground : style.background);
    painter->setPen(selected ? style.selectionText : style.text);
    // The text ends with a line break; drawText would add an empty line for it.
    QString yazi = metin;
    while (yazi.endsWith(u'\n') || yazi.endsWith(u'\r'))
        yazi.chop(1);
    yazi.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    painter->drawText(rect.adjusted(YanBosluk, 0, -YanBosluk, 0), Qt::AlignRight | Qt::AlignVCenter, yazi);
    painter->restore();
}

} // namespace kolvar
