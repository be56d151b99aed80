// Contact sheets for reviewing the artwork as the program shows it: icons on
// tiles of several colours, cursors over a white board and over a dark photo,
// the arrows at 40 % over black and white, the splash and the program icon.
#include "Artwork.h"

#include <QDir>
#include <QFont>
#include <QRadialGradient>
#include <QtMath>

namespace artwork {
namespace {

constexpr QRgb MetroRed = 0xFFE51400;

// The tile's rule: icons on the default blue are drawn as stored; other tiles
// keep only the alpha, white below luminance 204 and black from it on.
bool DarkContent(QRgb c) { return 0.3 * qRed(c) + 0.59 * qGreen(c) + 0.11 * qBlue(c) >= 204; }

QImage Recoloured(QImage icon, bool black)
{
    icon = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < icon.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(icon.scanLine(y));
        for (int x = 0; x < icon.width(); ++x) {
            const int a = qAlpha(row[x]);
            row[x] = black ? qRgba(0, 0, 0, a) : qRgba(a, a, a, a);
        }
    }
    return icon;
}

void DrawTile(QPainter &p, const QRectF &r, QRgb color, const QImage &icon, const QString &caption)
{
    p.fillRect(r, QColor::fromRgba(color));
    const bool dark = DarkContent(color);
    const QImage shown = color == MetroBlue ? icon : Recoloured(icon, dark);
    const double s = r.height() - 24 - 10;
    p.drawImage(QRectF(r.left() + (r.width() - s) / 2, r.bottom() - 24 - s, s, s), shown);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qRound(r.height() * 0.16));
    p.setFont(f);
    p.setPen(dark ? Qt::black : Qt::white);
    p.drawText(r.adjusted(6, 3, -6, -3), Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, caption);
}

QImage PhotoLike(QSize size)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0x2E, 0x4A, 0x66));
    g.setColorAt(0.55, QColor(0x6B, 0x5E, 0x48));
    g.setColorAt(1, QColor(0x1F, 0x2A, 0x18));
    p.fillRect(img.rect(), g);
    quint32 seed = 12345;
    auto rnd = [&]() {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1 << 24);
    };
    for (int i = 0; i < 40; ++i) {
        const QPointF c(rnd() * size.width(), rnd() * size.height());
        const double r = 6 + rnd() * 30;
        QRadialGradient rg(c, r);
        const QColor col = QColor::fromHsv(int(rnd() * 360), 120, int(40 + rnd() * 180), 150);
        rg.setColorAt(0, col);
        rg.setColorAt(1, QColor(col.red(), col.green(), col.blue(), 0));
        p.fillRect(img.rect(), rg);
    }
    return img;
}

void Label(QPainter &p, QPointF at, const QString &text, const QColor &color = QColor(0xCC, 0xCC, 0xCC))
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(color);
    p.drawText(at, text);
}

QImage TileSheet()
{
    const QList<Picture> icons = TileIcons();
    const QRgb colors[] = {MetroBlue, MetroRed, 0xFF000000, 0xFFFFFFFF, 0xFFFFE000};
    const int cols = 8, rows = (icons.size() + cols - 1) / cols;
    const int section = rows * 70 + 20;
    QImage sheet(cols * 70 + 10, int(std::size(colors)) * section + 10, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x1F, 0x1F, 0x1F));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int s = 0; s < int(std::size(colors)); ++s) {
        const double top = s * section + 20;
        Label(p, QPointF(6, top - 6), QStringLiteral("tile 0x%1").arg(colors[s], 8, 16, QLatin1Char('0')).toUpper());
        for (int i = 0; i < icons.size(); ++i) {
            // whole cells: the column and row are counted in tiles
            const int col = i % cols, row = i / cols;
            const QRectF r(5 + col * 70, top + row * 70, 60, 60);
            DrawTile(p, r, colors[s], Render(icons[i]), icons[i].caption);
        }
    }
    return sheet;
}

QImage CursorSheet()
{
    struct Item {
        QString name;
        QRgb band;
        bool hasBand;
    };
    QList<Item> items;
    for (QRgb c : {0xFF000000u, 0xFFE51400u, 0xFFFFFFFFu, 0xFFFFE000u})
        items.append({QStringLiteral("CR_PEN"), c, true});
    for (QRgb c : {0xFF000000u, 0xFF0050EFu, 0xFFFFFFFFu, 0xFFFFE000u})
        items.append({QStringLiteral("CR_MARKER"), c, true});
    for (const char *n : {"CR_RBPEN", "CR_RBMARKER", "CR_ERASER", "CR_HAND0", "CR_HAND1", "CR_LASSO"})
        items.append({QString::fromLatin1(n), 0, false});
    const QList<Picture> cursors = Cursors();
    const int cw = 44, ch = 72, m = 6;
    QImage sheet(items.size() * cw, 3 * ch, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&sheet);
    p.fillRect(QRect(0, 0, sheet.width(), ch), Qt::white);
    p.drawImage(0, ch, PhotoLike(QSize(sheet.width(), ch)));
    p.fillRect(QRect(0, 2 * ch, sheet.width(), ch), QColor(0x30, 0x30, 0x30));
    for (int i = 0; i < items.size(); ++i) {
        const Picture *pic = FindPicture(cursors, items[i].name);
        if (!pic)
            continue;
        QImage img = Render(*pic);
        if (items[i].hasBand) { // as the board tints the pen and marker
            QPainter b(&img);
            b.setRenderHint(QPainter::Antialiasing);
            b.setPen(QPen(QColor::fromRgba(items[i].band), 5.5, Qt::SolidLine, Qt::RoundCap));
            b.drawLine(QPointF(7.5, 14.5), QPointF(12.5, 24.5));
        }
        for (int row = 0; row < 3; ++row) {
            const QPoint o(i * cw + m, row * ch + m);
            p.drawImage(o, img);
            if (row == 2) { // hot spot marks in the margins
                const QPoint h = o + pic->hotSpot;
                p.setPen(QColor(0x00, 0xFF, 0xFF));
                p.drawLine(QPoint(i * cw, h.y()), QPoint(o.x() - 2, h.y()));
                p.drawLine(QPoint(h.x(), row * ch), QPoint(h.x(), o.y() - 2));
            }
        }
    }
    return sheet;
}

QImage MiscSheet()
{
    const QList<Picture> pics = OtherPictures();
    auto img = [&](const char *n) { return Render(*FindPicture(pics, QString::fromLatin1(n))); };
    QImage sheet(560, 560, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x80, 0x80, 0x80));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    // tool bar header: black, PW_RIGHT at 40 %, then a pen sample
    p.fillRect(QRect(10, 10, 140, 30), Qt::black);
    p.setOpacity(0.4);
    p.drawImage(QPoint(10, 10), img("PW_RIGHT"));
    p.setOpacity(1);
    p.fillRect(QRectF(50, 10, 100, 30), QColor(0xEE, 0xEE, 0xEE));
    p.setPen(QPen(Qt::red, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(52, 25), QPointF(148, 25));
    // the board's corner button over white, over black and over a photo
    const QImage photo = PhotoLike(QSize(60, 40));
    for (int i = 0; i < 3; ++i) {
        const QRect r(170 + i * 70, 10, 60, 40);
        if (i == 0)
            p.fillRect(r, Qt::white);
        else if (i == 1)
            p.fillRect(r, Qt::black);
        else
            p.drawImage(r.topLeft(), photo);
        p.setOpacity(0.4);
        p.drawImage(QPoint(r.right() + 1 - 30, r.top()), img("PW_LEFT"));
        p.setOpacity(1);
    }
    // paging buttons of the thumbnail strip
    for (int i = 0; i < 2; ++i) {
        const QRect b(400 + i * 40, 10, 20, 100);
        p.setPen(QColor(0xAD, 0xAD, 0xAD));
        p.setBrush(QColor(0xE1, 0xE1, 0xE1));
        p.drawRect(b.adjusted(0, 0, -1, -1));
        p.drawImage(QPoint(b.left() + 3, b.top() + 40), img(i == 0 ? "ARROW_L" : "ARROW_R"));
    }
    // program icons over dark and light
    p.fillRect(QRect(10, 60, 84, 84), QColor(0x20, 0x20, 0x20));
    p.drawImage(QPoint(20, 70), img("ICON"));
    p.fillRect(QRect(100, 60, 84, 84), QColor(0xF0, 0xF0, 0xF0));
    p.drawImage(QPoint(110, 70), img("ICON"));
    p.drawImage(QPoint(200, 60), img("APP_256").scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    p.drawImage(QPoint(10, 250), img("APP_256"));
    p.drawImage(QPoint(270, 250), img("SPLASH").scaled(280, 140, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return sheet;
}

} // namespace

void WriteSheets(const QString &folder)
{
    QDir().mkpath(folder);
    const QImage tiles = TileSheet();
    tiles.save(folder + QStringLiteral("/sheet_tiles.png"));
    tiles.scaled(tiles.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(folder + QStringLiteral("/sheet_tiles_x2.png"));
    const QImage cursors = CursorSheet();
    cursors.save(folder + QStringLiteral("/sheet_cursors.png"));
    cursors.scaled(cursors.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(folder + QStringLiteral("/sheet_cursors_x3.png"));
    MiscSheet().save(folder + QStringLiteral("/sheet_misc.png"));
    QList<Picture> icons = TileIcons();
    // every icon at its own size, enlarged, on the blue tile colour
    const int z = 4, cols = 8, rows = (icons.size() + cols - 1) / cols;
    QImage big(cols * (30 * z + 8), rows * (30 * z + 8), QImage::Format_ARGB32_Premultiplied);
    big.fill(QColor(0x1F, 0x1F, 0x1F));
    QPainter p(&big);
    for (int i = 0; i < icons.size(); ++i) {
        const QRect r((i % cols) * (30 * z + 8) + 4, (i / cols) * (30 * z + 8) + 4, 30 * z, 30 * z);
        p.fillRect(r, QColor::fromRgba(MetroBlue));
        p.drawImage(r, Render(icons[i]).scaled(30 * z, 30 * z, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    p.end();
    big.save(folder + QStringLiteral("/sheet_icons_x4.png"));
}

} // namespace artwork
