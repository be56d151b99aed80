// Bitmap and canvas helpers. A bitmap is a QImage in
// Format_ARGB32_Premultiplied: rows from the top, bytes blue, green, red,
// alpha, colour premultiplied. A new or resized bitmap has every byte 0.
#pragma once

#include "Types.h"

#include <QColor>
#include <QImage>
#include <QPen>
#include <QRectF>

class QPainter;

constexpr QImage::Format BitmapFormat = QImage::Format_ARGB32_Premultiplied;

QImage NewBitmap(int width, int height);
// Resizes to width x height; every byte becomes 0 (also when the size is unchanged).
void BitmapSetSize(QImage &bmp, int width, int height);
// Sets every pixel to the colour without blending.
void BitmapClear(QImage &bmp, TAlphaColor color);
// Exact rotation by quarter turns, positive = clockwise.
QImage BitmapRotated(const QImage &bmp, int quarterTurns);
// Converts any image to the bitmap format (a no-op for bitmaps).
QImage ToBitmap(const QImage &img);

QColor ToQColor(TAlphaColor c);
inline TAlphaColor PremultipliedPixel(TAlphaColor c) { return qPremultiply(c); }

// A stroke pen of the given colour, width and dash style. Round caps and joins
// unless told otherwise; dash patterns scale with the width.
QPen StrokePen(TAlphaColor color, double thickness, TStrokeDash dash, bool round = true);

// Draws part of a bitmap into a rectangle at an opacity (0..1). High speed
// samples nearest-neighbour, otherwise bilinear.
void DrawBitmap(QPainter &p, const QImage &src, const QRectF &srcRect, const QRectF &dstRect, double opacity,
                bool highSpeed);

// Prepares a painter on a bitmap the way every drawing in the program expects:
// anti-aliased, source-over.
void PreparePainter(QPainter &p);

// Whether a premultiplied bitmap covers every pixel fully.
bool IsOpaque(const QImage &bitmap);

// The device pixel ratio pictures are made for: the highest of the screens
// (1 without a GUI application).
qreal ScreenDensity();
// A picture stored with the program (":/res/<name>.png"), as a bitmap; an
// empty bitmap when there is none of that name. For a density above 1 the
// picture drawn for the nearest stored density at or above it
// (<name>@1.25x, @1.5x, @2x) is handed out with that device pixel ratio, so
// that its logical size stays the 1x picture's.
QImage ResourceImage(const QString &name, qreal density = ScreenDensity());
// A bitmap's size in logical pixels: its pixels over its device pixel ratio,
// rounded down (a partly covered pixel at the edge is not counted).
QSize LogicalSize(const QImage &img);
// A picture stored with the program as raw pixels (":/raw/<name>.raw": its
// width and height, then premultiplied pixels), which needs no image reader;
// an empty bitmap when there is none of that name or it does not hold together.
QImage ResourceRawImage(const QString &name);

// Sets a font's size in pixels of the given paint device (fractional sizes allowed).
class QFont;
class QPaintDevice;
void SetFontPixelSize(QFont &font, double px, const QPaintDevice *device);
