#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kolvar::server {

// A small PDF writer for the server's receipts and reports: A4 pages of
// fixed-pitch text (the standard Courier fonts, which every viewer has) and
// rules. Turkish letters travel through a Windows-1254 style encoding with
// their standard glyph names, so viewers draw them and text extraction gives
// them back.
class PdfBelge
{
public:
    static constexpr double kGenislik = 595.0; // A4 in points
    static constexpr double kYukseklik = 842.0;
    static constexpr double kKenar = 40.0;

    explicit PdfBelge(QString baslik = {});

    void yeniSayfa();
    // Text with its baseline at (x, y) from the top-left corner.
    void yazi(double x, double y, const QString &metin, double punto = 10, bool kalin = false);
    // Right-aligned so that the text ends at x.
    void sagaYasliYazi(double x, double y, const QString &metin, double punto = 10, bool kalin = false);
    void cizgi(double x1, double y1, double x2, double y2, double kalinlik = 0.5);

    // Flowing lines: each call writes one line under the previous one and
    // opens a new page when the current one is full.
    void satir(const QString &metin, double punto = 10, bool kalin = false);
    void bosluk(double nokta);
    double imlec() const { return m_y; }

    static double metinGenisligi(const QString &metin, double punto) { return metin.size() * punto * 0.6; }

    QByteArray pdf() const;

private:
    struct Sayfa {
        QByteArray icerik;
    };
    Sayfa &sayfa();

    QString m_baslik;
    QList<Sayfa> m_sayfalar;
    double m_y = kKenar;
};

} // namespace kolvar::server
