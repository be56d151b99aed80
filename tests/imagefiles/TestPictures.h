// Pictures and file builders shared by the image file tests: an asymmetric
// "F" picture that shows flips and channel swaps at once, and hand-built TGA
// and PSD files.
#pragma once

#include "platform/Bitmap.h"

#include <QByteArray>
#include <QImage>
#include <QtEndian>

// An odd-sized "F" in red on blue, a yellow middle bar, a green top-left
// corner and a bottom row of translucent pixels (one fully transparent).
inline QImage FPicture(int width = 13, int height = 11)
{
    QImage img = NewBitmap(width, height);
    auto set = [&](int x, int y, QRgb straight) {
        reinterpret_cast<quint32 *>(img.scanLine(y))[x] = qPremultiply(straight);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            set(x, y, qRgba(20, 40, 200, 255));
    for (int y = 1; y < height - 1; ++y) {
        set(2, y, qRgba(230, 30, 20, 255));
        set(3, y, qRgba(230, 30, 20, 255));
    }
    for (int x = 2; x < width - 2; ++x) {
        set(x, 1, qRgba(230, 30, 20, 255));
        set(x, 2, qRgba(230, 30, 20, 255));
    }
    for (int x = 2; x < width - 4; ++x)
        set(x, height / 2, qRgba(250, 200, 10, 255));
    set(0, 0, qRgba(0, 255, 0, 255));
    set(width - 1, 0, qRgba(10, 200, 90, 60));
    for (int x = 0; x < width; ++x)
        set(x, height - 1, qRgba((x * 40) % 256, 100, 250 - x * 10, x == 0 ? 0 : (x * 37) % 256));
    return img;
}

// The same picture with every pixel made opaque (for formats without alpha).
inline QImage Opaque(const QImage &img)
{
    QImage out = img.copy();
    for (int y = 0; y < out.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            row[x] |= 0xFF000000u;
    }
    return out;
}

inline quint32 PixelAt(const QImage &img, int x, int y)
{
    return reinterpret_cast<const quint32 *>(img.constScanLine(y))[x];
}

// Little-endian and big-endian appenders for hand-built files.
inline void Le16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
inline void Le32(QByteArray &b, quint32 v)
{
    Le16(b, int(v & 0xFFFF));
    Le16(b, int(v >> 16));
}
inline void Be16(QByteArray &b, int v)
{
    b.append(char((v >> 8) & 0xFF));
    b.append(char(v & 0xFF));
}
inline void Be32(QByteArray &b, quint32 v)
{
    Be16(b, int(v >> 16));
    Be16(b, int(v & 0xFFFF));
}

// An 18-byte TGA header.
inline QByteArray TgaHeader(int type, int width, int height, int depth, int descriptor, int idLength = 0)
{
    QByteArray b;
    b.append(char(idLength));
    b.append(char(0));
    b.append(char(type));
    b.append(5, char(0));
    Le16(b, 0);
    Le16(b, 0);
    Le16(b, width);
    Le16(b, height);
    b.append(char(depth));
    b.append(char(descriptor));
    return b;
}

// A PSD header with empty colour mode data, resources and layer information.
inline QByteArray PsdHead(int channels, int width, int height, int depth, int mode)
{
    QByteArray b("8BPS");
    Be16(b, 1);
    b.append(6, char(0));
    Be16(b, channels);
    Be32(b, quint32(height));
    Be32(b, quint32(width));
    Be16(b, depth);
    Be16(b, mode);
    Be32(b, 0);
    Be32(b, 0);
    Be32(b, 0);
    return b;
}
