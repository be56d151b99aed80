// Photos that carry an orientation tag, as phones and cameras write them: the
// same stored pixels (red, green / blue, yellow quarters) under each of the
// eight tag values, and what an upright reading of each must show.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QTest>

#include <array>
#include <cstdlib>

namespace exif {

constexpr QRgb Red = 0xFFE01010, Green = 0xFF10C010, Blue = 0xFF1010E0, Yellow = 0xFFF0F010;

// One row of the table: the tag, the upright size of the 32 x 16 stored
// picture, and the colours of its quarters (top left, top right, bottom
// left, bottom right) once upright. Worked out from the tag's definition
// ("row 0 is the visual right-hand side, column 0 the visual top" for 6 …),
// not from any code that applies it.
struct Case {
    int orientation;
    int width, height;
    std::array<QRgb, 4> quarters;
};

inline const std::array<Case, 8> &Cases()
{
    static const std::array<Case, 8> cases{{
        {1, 32, 16, {Red, Green, Blue, Yellow}},
        {2, 32, 16, {Green, Red, Yellow, Blue}},
        {3, 32, 16, {Yellow, Blue, Green, Red}},
        {4, 32, 16, {Blue, Yellow, Red, Green}},
        {5, 16, 32, {Red, Blue, Green, Yellow}},
        {6, 16, 32, {Blue, Red, Yellow, Green}},
        {7, 16, 32, {Yellow, Green, Blue, Red}},
        {8, 16, 32, {Green, Yellow, Red, Blue}},
    }};
    return cases;
}

// The table as a data-driven test's rows: one column "row", an index into Cases().
inline void AddCaseRows()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(Cases().size()); ++i)
        QTest::addRow("orientation %d", Cases()[i].orientation) << i;
}

// A JPEG of the stored picture (32 x 16, quarters 16 x 8: big enough that the
// lossy coding keeps each colour) with an Exif segment holding only the tag.
inline QByteArray OrientedJpeg(int orientation, QSize size = QSize(32, 16))
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    const int w = size.width() / 2, h = size.height() / 2;
    p.fillRect(0, 0, w, h, QColor::fromRgb(Red));
    p.fillRect(w, 0, w, h, QColor::fromRgb(Green));
    p.fillRect(0, h, w, h, QColor::fromRgb(Blue));
    p.fillRect(w, h, w, h, QColor::fromRgb(Yellow));
    p.end();
    QByteArray jpeg;
    QBuffer buf(&jpeg);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "jpg", 100);

    // Big-endian TIFF: header, one IFD with one SHORT entry 0x0112, no next IFD.
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);
    auto u16 = [&](quint16 v) {
        tiff.append(char(v >> 8));
        tiff.append(char(v & 0xFF));
    };
    auto u32 = [&](quint32 v) {
        u16(quint16(v >> 16));
        u16(quint16(v & 0xFFFF));
    };
    u16(1);
    u16(0x0112);
    u16(3);
    u32(1);
    u16(quint16(orientation));
    u16(0);
    u32(0);
    QByteArray app1("\xFF\xE1", 2);
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    app1.append(char((body.size() + 2) >> 8));
    app1.append(char((body.size() + 2) & 0xFF));
    app1 += body;
    // After the JFIF segment, where cameras put theirs.
    int at = 2;
    if (uchar(jpeg[2]) == 0xFF && uchar(jpeg[3]) == 0xE0)
        at = 4 + (uchar(jpeg[4]) << 8 | uchar(jpeg[5]));
    jpeg.insert(at, app1);
    return jpeg;
}

inline bool Near(QRgb a, QRgb b, int tolerance = 48)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The middles of the picture's quarters: top left, top right, bottom left, bottom right.
inline std::array<QPoint, 4> QuarterMiddles(const QImage &img)
{
    const int w = img.width(), h = img.height();
    return {QPoint(w / 4, h / 4), QPoint(3 * w / 4, h / 4), QPoint(w / 4, 3 * h / 4), QPoint(3 * w / 4, 3 * h / 4)};
}

// The colours there as "#rrggbb" names, for a failure message.
inline QString QuarterNames(const QImage &img)
{
    QStringList names;
    for (const QPoint at : QuarterMiddles(img))
        names << QColor::fromRgb(img.pixel(at)).name();
    return names.join(QLatin1Char(' '));
}

inline bool QuartersAre(const QImage &img, const std::array<QRgb, 4> &quarters)
{
    const std::array<QPoint, 4> at = QuarterMiddles(img);
    for (int i = 0; i < 4; ++i)
        if (!Near(img.pixel(at[i]), quarters[i]))
            return false;
    return true;
}

} // namespace exif
