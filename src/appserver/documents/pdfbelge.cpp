#include "pdfbelge.h"

#include <QDateTime>

namespace kolvar::server {

namespace {

// One byte per character: Latin-1 where it agrees with Windows-1254, the six
// Turkish letters on their Windows-1254 places (named in the font's
// /Differences), anything else a question mark.
char kodla(QChar c)
{
    switch (c.unicode()) {
    case u'Ğ': return char(0xD0);
    case u'İ': return char(0xDD);
    case u'Ş': return char(0xDE);
    case u'ğ': return char(0xF0);
    case u'ı': return char(0xFD);
    case u'ş': return char(0xFE);
    case 0xD0:
    case 0xDD:
    case 0xDE:
    case 0xF0:
    case 0xFD:
    case 0xFE: return '?';
    default: break;
    }
    const ushort u = c.unicode();
    if (u == u'\t')
        return ' ';
    if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u > 0xFF)
        return '?';
    return char(u);
}

QByteArray pdfMetni(const QString &metin)
{
    QByteArray out;
    out.reserve(metin.size() + 2);
    out.append('(');
    for (QChar c : metin) {
        const char b = kodla(c);
        if (b == '(' || b == ')' || b == '\\')
            out.append('\\');
        out.append(b);
    }
    out.append(')');
    return out;
}

QByteArray sayi(double v)
{
    return QByteArray::number(v, 'f', 2);
}

} // namespace

PdfBelge::PdfBelge(QString baslik) : m_baslik(std::move(baslik)) {}

PdfBelge::Sayfa &PdfBelge::sayfa()
{
    if (m_sayfalar.isEmpty())
        yeniSayfa();
    return m_sayfalar.last();
}

void PdfBelge::yeniSayfa()
{
    m_sayfalar.append(Sayfa{});
    m_y = kKenar;
}

void PdfBelge::yazi(double x, double y, const QString &metin, double punto, bool kalin)
{
    QByteArray &c = sayfa().icerik;
    c += "BT /" + QByteArray(kalin ? "F2 " : "F1 ") + sayi(punto) + " Tf " + sayi(x) + ' ' +
         sayi(kYukseklik - y) + " Td " + pdfMetni(metin) + " Tj ET\n";
}

void PdfBelge::sagaYasliYazi(double x, double y, const QString &metin, double punto, bool kalin)
{
    yazi(x - metinGenisligi(metin, punto), y, metin, punto, kalin);
}

void PdfBelge::cizgi(double x1, double y1, double x2, double y2, double kalinlik)
{
    QByteArray &c = sayfa().icerik;
    c += sayi(kalinlik) + " w " + sayi(x1) + ' ' + sayi(kYukseklik - y1) + " m " + sayi(x2) + ' ' +
         sayi(kYukseklik - y2) + " l S\n";
}

void PdfBelge::satir(const QString &metin, double punto, bool kalin)
{
    const double adim = punto * 1.35;
    if (m_sayfalar.isEmpty() || m_y + adim > kYukseklik - kKenar)
        yeniSayfa();
    m_y += adim;
    yazi(kKenar, m_y, metin, punto, kalin);
}

void PdfBelge::bosluk(double nokta)
{
    m_y += nokta;
}

QByteArray PdfBelge::pdf() const
{
    QList<Sayfa> sayfalar = m_sayfalar;
    if (sayfalar.isEmpty())
        sayfalar.append(Sayfa{});

    QList<QByteArray> nesneler; // object n is nesneler[n - 1]
    const QByteArray kodlama =
        "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences "
        "[208 /Gbreve 221 /Idotaccent 222 /Scedilla 240 /gbreve 253 /dotlessi 254 /scedilla] >>";
    nesneler << "<< /Type /Catalog /Pages 2 0 R >>";
    nesneler << QByteArray(); // page tree, filled below
    nesneler << kodlama;
    nesneler << "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding 3 0 R >>";
    nesneler << "<< /Type /Font /Subtype /Type1 /BaseFont /Courier-Bold /Encoding 3 0 R >>";
    QByteArray bilgi = "<< /Producer (Kolvar B2B)";
    if (!m_baslik.isEmpty())
        bilgi += " /Title " + pdfMetni(m_baslik);
    bilgi += " /CreationDate (D:" + QDateTime::currentDateTimeUtc().toString(u"yyyyMMddHHmmss").toLatin1() +
             "Z) >>";
    nesneler << bilgi;
    const int bilgiNo = int(nesneler.size());

    QByteArray kids;
    for (const Sayfa &s : sayfalar) {
        const int icerikNo = int(nesneler.size()) + 1;
        nesneler << "<< /Length " + QByteArray::number(s.icerik.size()) + " >>\nstream\n" + s.icerik +
                        "\nendstream";
        const int sayfaNo = int(nesneler.size()) + 1;
        nesneler << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R "
                    "/F2 5 0 R >> >> /Contents " +
                        QByteArray::number(icerikNo) + " 0 R >>";
        kids += QByteArray::number(sayfaNo) + " 0 R ";
    }
    nesneler[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(sayfalar.size()) + " >>";

    QByteArray out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    QList<qsizetype> konumlar;
    for (int i = 0; i < nesneler.size(); ++i) {
        konumlar << out.size();
        out += QByteArray::number(i + 1) + " 0 obj\n" + nesneler[i] + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(nesneler.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype k : konumlar)
        out += QByteArray::number(k).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(nesneler.size() + 1) + " /Root 1 0 R /Info " +
           QByteArray::number(bilgiNo) + " 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

} // namespace kolvar::server
