#pragma once

#include <QByteArray>
#include <QColor>

namespace kolvar::server::demo {

// Small pictures for the demo data, drawn pixel by pixel so that no font or
// GUI session is needed.

// A JPEG of a stylised part on a coloured background; `variant` picks the
// shape and colours.
QByteArray partJpeg(int variant, int width = 240, int height = 180);

// A GIF banner of two frames (for the animated banner controls).
QByteArray bannerGif(int width, int height, QColor from, QColor to);

// A BMP banner.
QByteArray bannerBmp(int width, int height, QColor from, QColor to);

// The GIF writer behind bannerGif: frames of palette indices (at most 256
// colours), LZW-coded without compression gains (a clear code before the
// table grows), which every decoder reads.
struct GifFrame {
    QByteArray indices; // width × height bytes
    int delayCs = 50;   // hundredths of a second
};
QByteArray encodeGif(int width, int height, const QList<QColor> &palette, const QList<GifFrame> &frames);

} // namespace kolvar::server::demo
