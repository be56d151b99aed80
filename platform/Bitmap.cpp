#include "Bitmap.h"

#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QPaintDevice>
#include <QPainter>
#include <QResource>
#include <QTransform>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <iterator>

QImage NewBitmap(int width, int height)
{
    QImage img(qMax(width, 0), qMax(height, 0), BitmapFormat);
    img.fill(0);
    return img;
}

void BitmapSetSize(QImage &bmp, int width, int height)
{
    if (bmp.width() == width && bmp.height() == height && bmp.format() == BitmapFormat && !bmp.isNull()) {
        bmp.fill(0);
        return;
    }
    bmp = NewBitmap(width, height);
}

void BitmapClear(QImage &bmp, TAlphaColor color)
{
    if (bmp.isNull())
        return;
    bmp.fill(qPremultiply(color));
}

QImage BitmapRotated(const QImage &bmp, int quarterTurns)
{
    int t = ((quarterTurns % 4) + 4) % 4;
    if (t == 0 || bmp.isNull())
        return bmp;
    QTransform tr;
    tr.rotate(90.0 * t);
    // Qt rotates multiples of 90 degrees by copying pixels, without resampling.
    return bmp.transformed(tr, Qt::FastTransformation).convertToFormat(BitmapFormat);
}

QImage ToBitmap(const QImage &img)
{
    if (img.format() == BitmapFormat)
        return img;
    return img.convertToFormat(BitmapFormat);
}

QColor ToQColor(TAlphaColor c) { return QColor::fromRgba(c); }

QPen StrokePen(TAlphaColor color, double thickness, TStrokeDash dash, bool round)
{
    QPen pen(ToQColor(color));
    pen.setWidthF(thickness);
    pen.setCapStyle(round ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(round ? Qt::RoundJoin : Qt::MiterJoin);
    // Qt's patterns are in units of the pen width; round caps add half a width
    // at each end of every dash, so the dashes are shortened by one width to
    // keep dots apart from each other.
    const double cap = round ? 1.0 : 0.0;
    auto pattern = [&](std::initializer_list<double> visible) {
        QVector<qreal> v;
        bool on = true;
        for (double d : visible) {
            v << qMax(on ? d - cap : d + cap, 0.001);
            on = !on;
        }
        pen.setDashPattern(v);
    };
    switch (dash) {
    case sdDash: pattern({3, 1.5}); break;
    case sdDot: pattern({1, 1}); break;
    case sdDashDot: pattern({3, 1.5, 1, 1.5}); break;
    case sdDashDotDot: pattern({3, 1.5, 1, 1.5, 1, 1.5}); break;
    case sdSolid:
    case sdCustom:
    default: pen.setStyle(Qt::SolidLine); break;
    }
    return pen;
}

void DrawBitmap(QPainter &p, const QImage &src, const QRectF &srcRect, const QRectF &dstRect, double opacity,
                bool highSpeed)
{
    if (src.isNull() || dstRect.isEmpty() || srcRect.isEmpty())
        return;
    p.save();
    p.setOpacity(opacity);
    p.setRenderHint(QPainter::SmoothPixmapTransform, !highSpeed);
    p.drawImage(dstRect, src, srcRect);
    p.restore();
}

void PreparePainter(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

qreal ScreenDensity()
{
    const auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    return app ? app->devicePixelRatio() : 1.0;
}

QSize LogicalSize(const QImage &img)
{
    const qreal dpr = img.devicePixelRatio();
    if (dpr == 1.0)
        return img.size();
    // A hair under the exact quotient still counts as the whole pixel.
    return QSize(int(std::floor(img.width() / dpr + 1e-6)), int(std::floor(img.height() / dpr + 1e-6)));
}

namespace {
struct StoredDensity {
    qreal scale;
    const char *suffix;
};
constexpr StoredDensity StoredDensities[] = {{1.0, ""}, {1.25, "@1.25x"}, {1.5, "@1.5x"}, {2.0, "@2x"}};

// Every stored picture is a PNG: named as such, the reader goes straight to
// Qt's own PNG decoder instead of loading each image format plugin to ask
// whether it reads the file, which would be the dearest part of start-up.
QImage ReadStoredPng(const QString &file)
{
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage img = reader.read();
    return img.isNull() ? QImage() : ToBitmap(img);
}
} // namespace

QImage ResourceImage(const QString &name, qreal density)
{
    // Tiles are dressed again on every resize of the tool bar and the cursor
    // on every pen change: each picture is decoded once. The copies handed
    // out share their pixels until a caller writes to its own.
    static QMutex mutex;
    static QHash<QString, QImage> decoded;
    const StoredDensity *pick = &StoredDensities[std::size(StoredDensities) - 1];
    for (const StoredDensity &d : StoredDensities)
        if (d.scale >= density - 0.01) {
            pick = &d;
            break;
        }
    const QString key = name + QLatin1String(pick->suffix);
    const QMutexLocker lock(&mutex);
    const auto found = decoded.constFind(key);
    if (found != decoded.constEnd())
        return *found;
    QImage bitmap = ReadStoredPng(QStringLiteral(":/res/%1.png").arg(key));
    if (!bitmap.isNull())
        bitmap.setDevicePixelRatio(pick->scale);
    else if (pick->scale != 1.0) // drawn for 1x only: enlarged on the screen
        bitmap = ReadStoredPng(QStringLiteral(":/res/%1.png").arg(name));
    decoded.insert(key, bitmap);
    return bitmap;
}

bool IsOpaque(const QImage &bitmap)
{
    if (bitmap.isNull())
        return false;
    if (bitmap.format() != QImage::Format_ARGB32_Premultiplied)
        return !bitmap.hasAlphaChannel();
    // The sizes read once: called in the loop they would cost more than the
    // pixels (a white board is a million of them, looked at on every start).
    const int w = bitmap.width(), h = bitmap.height();
    for (int y = 0; y < h; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(bitmap.constScanLine(y));
        QRgb all = 0xFF000000;
        for (int x = 0; x < w; ++x)
            all &= row[x];
        if ((all & 0xFF000000) != 0xFF000000)
            return false;
    }
    return true;
}

QImage ResourceRawImage(const QString &name)
{
    // Stored uncompressed in the program: the picture is its bytes where
    // they lie, not a copy. A picture painted on detaches as any other.
    const QResource res(QStringLiteral(":/raw/%1.raw").arg(name));
    const qint64 bytes = res.size();
    if (!res.isValid() || res.compressionAlgorithm() != QResource::NoCompression || bytes < 8)
        return QImage();
    const uchar *data = res.data();
    quint32 size[2];
    std::memcpy(size, data, sizeof size);
    const quint32 w = qFromLittleEndian(size[0]), h = qFromLittleEndian(size[1]);
    if (w == 0 || h == 0 || w > 16384 || h > 16384 || bytes != qint64(sizeof size) + qint64(w) * h * 4
        || reinterpret_cast<quintptr>(data + sizeof size) % alignof(QRgb) != 0)
        return QImage();
    return QImage(data + sizeof size, int(w), int(h), int(w) * 4, QImage::Format_ARGB32_Premultiplied);
}

void SetFontPixelSize(QFont &font, double px, const QPaintDevice *device)
{
    const double dpi = device ? device->logicalDpiY() : 96.0;
    font.setPointSizeF(qMax(px, 0.5) * 72.0 / (dpi > 0 ? dpi : 96.0));
}
