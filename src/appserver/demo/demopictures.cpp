#include "demopictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QList>

#include <cmath>

namespace kolvar::server::demo {

namespace {

QRgb mix(QColor a, QColor b, double t)
{
    return qRgb(int(a.red() + (b.red() - a.red()) * t), int(a.green() + (b.green() - a.green()) * t),
                int(a.blue() + (b.blue() - a.blue()) * t));
}

QByteArray writeImage(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

// Appends LZW data for 8-bit indices: a clear code every 254 symbols keeps
// every code 9 bits wide.
void appendLzw(QByteArray &out, const QByteArray &indices)
{
    const int clear = 256;
    const int end = 257;
    QByteArray codes;
    quint32 bitBuffer = 0;
    int bitCount = 0;
    auto put = [&](int code) {
        bitBuffer |= quint32(code) << bitCount;
        bitCount += 9;
        while (bitCount >= 8) {
            codes.append(char(bitBuffer & 0xff));
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    for (int i = 0; i < indices.size(); ++i) {
        if (i % 254 == 0)
            put(clear);
        put(quint8(indices[i]));
    }
    put(end);
    if (bitCount > 0)
        codes.append(char(bitBuffer & 0xff));
    out.append(char(8)); // minimum code size
    for (int pos = 0; pos < codes.size(); pos += 255) {
        const int n = int(qMin<qsizetype>(255, codes.size() - pos));
        out.append(char(n));
        out.append(codes.constData() + pos, n);
    }
    out.append(char(0));
}

void appendLe16(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

} // namespace

QByteArray encodeGif(int width, int height, const QList<QColor> &palette, const QList<GifFrame> &frames)
{
    QByteArray out("GIF89a");
    appendLe16(out, width);
    appendLe16(out, height);
    out.append(char(0xF7)); // global colour table of 256 entries
    out.append(char(0));    // background
    out.append(char(0));    // aspect
    for (int i = 0; i < 256; ++i) {
        const QColor c = i < palette.size() ? palette[i] : QColor(Qt::black);
        out.append(char(c.red()));
        out.append(char(c.green()));
        out.append(char(c.blue()));
    }
    if (frames.size() > 1) {
        // Loop forever.
        out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    }
    for (const GifFrame &frame : frames) {
        out.append("\x21\xF9\x04\x00", 4);
        appendLe16(out, frame.delayCs);
        out.append(char(0));
        out.append(char(0));
        out.append(char(0x2C));
        appendLe16(out, 0);
        appendLe16(out, 0);
        appendLe16(out, width);
        appendLe16(out, height);
        out.append(char(0));
        appendLzw(out, frame.indices);
    }
    out.append(char(0x3B));
    return out;
}

QByteArray partJpeg(int variant, int width, int height)
{
    static const QColor backgrounds[] = {QColor(0xE8, 0xEE, 0xF6), QColor(0xF6, 0xEE, 0xE2),
                                         QColor(0xEA, 0xF4, 0xE8), QColor(0xF2, 0xE8, 0xF4),
                                         QColor(0xF4, 0xF4, 0xEA), QColor(0xE6, 0xF2, 0xF4)};
    static const QColor metals[] = {QColor(0x70, 0x78, 0x84), QColor(0xA0, 0x40, 0x30),
                                    QColor(0x30, 0x50, 0x90), QColor(0x40, 0x40, 0x40),
                                    QColor(0xB0, 0x90, 0x30)};
    const QColor bg = backgrounds[variant % 6];
    const QColor metal = metals[(variant / 6) % 5];
    const int shape = (variant / 30) % 3;
    QImage image(width, height, QImage::Format_RGB32);
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const double r = qMin(width, height) * 0.38;
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double dx = x - cx;
            const double dy = y - cy;
            const double d = std::sqrt(dx * dx + dy * dy);
            bool inside = false;
            double shade = 0;
            switch (shape) {
            case 0: // disc with a hub: brake disc, pulley
                inside = d < r && d > r * 0.28;
                shade = 0.25 + 0.6 * (d / r);
                break;
            case 1: // cylinder: filter, shock absorber
                inside = std::abs(dx) < r * 0.55 && std::abs(dy) < r;
                shade = 0.2 + 0.7 * (1 - std::abs(dx) / (r * 0.55));
                break;
            default: // pad: brake pad, gasket
                inside = std::abs(dx) < r * 1.2 && std::abs(dy) < r * 0.5 && d > r * 0.15;
                shade = 0.3 + 0.5 * (dy + r * 0.5) / r;
                break;
            }
            line[x] = inside ? mix(metal, Qt::white, qBound(0.0, shade * 0.6, 1.0))
                             : mix(bg, Qt::white, double(y) / height * 0.5);
        }
    }
    return writeImage(image, "jpeg", 80);
}

QByteArray bannerGif(int width, int height, QColor from, QColor to)
{
    QList<QColor> palette;
    for (int i = 0; i < 256; ++i)
        palette << QColor::fromRgb(mix(from, to, i / 255.0));
    QList<GifFrame> frames;
    for (int f = 0; f < 2; ++f) {
        GifFrame frame;
        frame.indices.resize(qsizetype(width) * height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int phase = (x + (f ? width / 2 : 0)) % width;
                const double wave = 0.5 + 0.5 * std::sin(phase * 6.2831853 / width + y * 0.05);
                frame.indices[qsizetype(y) * width + x] = char(int(wave * 255));
            }
        }
        frame.delayCs = 80;
        frames << frame;
    }
    return encodeGif(width, height, palette, frames);
}

QByteArray bannerBmp(int width, int height, QColor from, QColor to)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = mix(from, to, double(x) / qMax(1, width - 1));
    }
    return writeImage(image, "bmp");
}

} // namespace kolvar::server::demo
