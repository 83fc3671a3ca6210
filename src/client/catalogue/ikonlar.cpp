#include "ikonlar.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>

namespace kolvar {

namespace {

constexpr int Boy = 32; // drawn large, scaled down by the grid

QIcon ciz(const std::function<void(QPainter &)> &cizici)
{
    QPixmap pm(Boy, Boy);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    cizici(p);
    p.end();
    return QIcon(pm);
}

// A filled disc with a white mark drawn over it.
QIcon rozet(const QColor &renk, const std::function<void(QPainter &)> &isaret)
{
    return ciz([&](QPainter &p) {
        p.setPen(QPen(renk.darker(140), 1.5));
        p.setBrush(renk);
        p.drawEllipse(QRectF(2, 2, Boy - 4, Boy - 4));
        p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        isaret(p);
    });
}

QList<QIcon> durumlariCiz()
{
    QList<QIcon> l;
    // 0 Yok: a cross
    l << rozet(QColor(0xc6, 0x28, 0x28), [](QPainter &p) {
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
    });
    // 1 Var: a tick
    l << rozet(QColor(0x2e, 0x9e, 0x44), [](QPainter &p) {
        QPainterPath path;
        path.moveTo(9, 16.5);
        path.lineTo(14, 21.5);
        path.lineTo(23, 11);
        p.drawPath(path);
    });
    // 2 Telefon Açınız: a handset
    l << rozet(QColor(0x2f, 0x6f, 0xc0), [](QPainter &p) {
        p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(9, 9, 14, 14), 200 * 16, 230 * 16);
    });
    // 3 Yolda: an arrow on its way
    l << rozet(QColor(0x8a, 0x5c, 0xc2), [](QPainter &p) {
        p.drawLine(QPointF(8, 16), QPointF(23, 16));
        p.drawLine(QPointF(17, 10), QPointF(23, 16));
        p.drawLine(QPointF(17, 22), QPointF(23, 16));
    });
    // 4 Özel Sipariş: a star
    l << rozet(QColor(0x1f, 0x9a, 0x9a), [](QPainter &p) {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const double r = (i % 2) ? 4.0 : 9.0;
            const double a = -M_PI / 2 + i * M_PI / 5;
            const QPointF pt(16 + r * std::cos(a), 16.5 + r * std::sin(a));
            i ? star.lineTo(pt) : star.moveTo(pt);
        }
        star.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(star);
    });
    // 5 Tedarik Sürecinde: an hourglass
    l << rozet(QColor(0xe0, 0x8a, 0x10), [](QPainter &p) {
        QPainterPath path;
        path.moveTo(11, 9);
        path.lineTo(21, 9);
        path.lineTo(11, 23);
        path.lineTo(21, 23);
        path.closeSubpath();
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    });
    return l;
}

// The "not" icon of a two-state column: a faint ring, so the column still
// reads as a column of marks.
QIcon bosHalka()
{
    return ciz([](QPainter &p) {
        p.setPen(QPen(QColor(0xc8, 0xc8, 0xc8), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(9, 9, 14, 14));
    });
}

QIcon etiket(const QColor &renk, const QString &yazi)
{
    return ciz([&](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(renk);
        p.drawRoundedRect(QRectF(1, 6, Boy - 2, Boy - 12), 5, 5);
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 6, Boy - 2, Boy - 12), Qt::AlignCenter, yazi);
    });
}

QIcon resimIkonu()
{
    return ciz([](QPainter &p) {
        p.setPen(QPen(QColor(0x44, 0x55, 0x66), 2));
        p.setBrush(QColor(0xe8, 0xf1, 0xfb));
        p.drawRoundedRect(QRectF(3, 6, 26, 20), 3, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf2, 0xb1, 0x34));
        p.drawEllipse(QRectF(8, 9, 6, 6));
        p.setBrush(QColor(0x3c, 0x8d, 0x4f));
        QPainterPath dag;
        dag.moveTo(5, 24);
        dag.lineTo(13, 15);
        dag.lineTo(18, 20);
        dag.lineTo(22, 16);
        dag.lineTo(27, 24);
        dag.closeSubpath();
        p.drawPath(dag);
    });
}

} // namespace

QList<QIcon> DurumIkonlari()
{
    static const QList<QIcon> ikonlar = durumlariCiz();
    return ikonlar;
}

QIcon DurumIkonu(int durum)
{
    const QList<QIcon> ikonlar = DurumIkonlari();
    return durum >= 0 && durum < ikonlar.size() ? ikonlar.at(durum) : QIcon();
}

QList<QIcon> YeniIkonlari()
{
    static const QList<QIcon> ikonlar{bosHalka(), etiket(QColor(0x2e, 0x7d, 0x32), QStringLiteral("Y"))};
    return ikonlar;
}

QList<QIcon> KampanyaIkonlari()
{
    static const QList<QIcon> ikonlar{bosHalka(), etiket(QColor(0xd8, 0x1b, 0x60), QStringLiteral("%"))};
    return ikonlar;
}

QList<QIcon> ResimIkonlari()
{
    static const QList<QIcon> ikonlar{QIcon(), resimIkonu()};
    return ikonlar;
}

} // namespace kolvar
