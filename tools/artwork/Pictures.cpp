// The remaining pictures: the tool bar's menu arrows (PW_*), the paging arrows
// of the thumbnail strip (ARROW_*), the splash and the program icon.
#include "Artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QtMath>

namespace artwork {
namespace {

// Drawn at 40 % opacity over the black header and over any picture: the dark
// backing keeps the white chevron visible on a white board too.
void DrawMenuArrow(QPainter &p, bool right)
{
    const QRectF box(2.5, 2.5, 25, 25);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(box, 5, 5);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(box, 5, 5);
    QPainterPath chevron;
    const double s = right ? 1 : -1;
    chevron.moveTo(15 - s * 3, 8.5);
    chevron.lineTo(15 + s * 3.5, 15);
    chevron.lineTo(15 - s * 3, 21.5);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(chevron);
}

void DrawPageArrow(QPainter &p, bool right)
{
    QPolygonF tri;
    if (right)
        tri << QPointF(4, 4.5) << QPointF(10, 10) << QPointF(4, 15.5);
    else
        tri << QPointF(9, 4.5) << QPointF(3, 10) << QPointF(9, 15.5);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x40, 0x40, 0x40));
    p.drawPolygon(tri);
}

// The program's emblem in a 256 x 256 design space: a white board on a blue
// tile, a red stroke and a highlighter band on it, and a pencil writing.
void DrawEmblem(QPainter &p, bool small)
{
    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, 240, 240), 36, 36);
    p.fillPath(tile, QColor::fromRgba(MetroBlue));
    // the board, with a soft shadow, on its easel
    const QColor shadow(0x12, 0x7E, 0xB4);
    p.setPen(QPen(Qt::white, 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(96, 170), QPointF(74, 222));
    p.drawLine(QPointF(160, 170), QPointF(182, 222));
    QRectF board(36, 44, 184, 134);
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawRoundedRect(board.translated(0, 8), 12, 12);
    p.setBrush(Qt::white);
    p.drawRoundedRect(board, 12, 12);
    p.setBrush(Qt::NoBrush);
    if (!small) {
        p.setPen(QPen(QColor(0xE3, 0xEE, 0xF5), 2));
        for (double y = 72; y < 170; y += 24)
            p.drawLine(QPointF(board.left() + 10, y), QPointF(board.right() - 10, y));
    }
    // marker band and written stroke
    p.setPen(QPen(QColor(0xFF, 0xE0, 0x30, 200), small ? 22 : 20, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(58, 136), QPointF(150, 136));
    QPainterPath wave;
    wave.moveTo(58, 118);
    wave.cubicTo(74, 62, 96, 62, 104, 100);
    wave.cubicTo(112, 138, 134, 134, 146, 84);
    p.setPen(QPen(QColor(0xE5, 0x14, 0x00), small ? 14 : 11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    // the pencil writing the end of the stroke
    const QPointF tip(146, 84), end(232, 212);
    const double L = std::hypot(end.x() - tip.x(), end.y() - tip.y());
    const double h = 17;
    p.save();
    p.setTransform(AxisTransform(tip, end), true);
    const QColor ink(0x10, 0x3A, 0x55);
    const double lw = small ? 8 : 5;
    p.setPen(QPen(ink, lw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath wood;
    wood.moveTo(0, 0);
    wood.lineTo(34, -h);
    wood.lineTo(34, h);
    wood.closeSubpath();
    p.setBrush(QColor(0xF3, 0xD5, 0xA2));
    p.drawPath(wood);
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(13, -h * 13 / 34);
    lead.lineTo(13, h * 13 / 34);
    lead.closeSubpath();
    p.setBrush(QColor(0xE5, 0x14, 0x00));
    p.drawPath(lead);
    p.setBrush(QColor(0xFF, 0xC8, 0x2E));
    p.drawRect(QRectF(34, -h, L - 34 - 30, 2 * h));
    if (!small) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xE8, 0xA8, 0x10));
        p.drawRect(QRectF(36, h / 3, L - 34 - 34, h * 2 / 3 - 2));
        p.setPen(QPen(ink, lw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(34, -h, L - 34 - 30, 2 * h));
    }
    p.setBrush(QColor(0xC8, 0xCD, 0xD4));
    p.drawRect(QRectF(L - 30, -h - 1, 14, 2 * h + 2));
    p.setBrush(QColor(0xF4, 0xA7, 0xB4));
    p.drawRoundedRect(QRectF(L - 16, -h, 16, 2 * h), 6, 6);
    p.restore();
}

// The dark background and a white board with the day's lesson on it.
void DrawSplashBoard(QPainter &p)
{
    QLinearGradient bg(0, 0, 0, 256);
    bg.setColorAt(0, QColor(0x2B, 0x2B, 0x2B));
    bg.setColorAt(1, QColor(0x16, 0x16, 0x16));
    p.fillRect(QRectF(0, 0, 512, 256), bg);

    // a white board with the day's lesson on it
    const QRectF board(24, 30, 236, 168);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(board.translated(0, 5), 6, 6);
    p.setBrush(Qt::white);
    p.drawRoundedRect(board, 6, 6);
    p.save();
    p.setClipRect(board.adjusted(1, 1, -1, -1));
    p.setPen(QPen(QColor(0xE2, 0xEC, 0xF4), 1));
    for (double x = board.left() + 20; x < board.right(); x += 20)
        p.drawLine(QPointF(x, board.top()), QPointF(x, board.bottom()));
    for (double y = board.top() + 20; y < board.bottom(); y += 20)
        p.drawLine(QPointF(board.left(), y), QPointF(board.right(), y));
    p.restore();
    // marker over a line of "text"
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(44, 60), QPointF(128, 60));
    p.drawLine(QPointF(44, 76), QPointF(104, 76));
    p.setPen(QPen(QColor(0xFF, 0xE0, 0x30, 140), 12, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(42, 76), QPointF(108, 76));
}

// What the teacher has written on the board.
void DrawSplashStrokes(QPainter &p)
{
    // red handwriting and a blue arrow pointing at it
    QPainterPath wave;
    wave.moveTo(48, 150);
    wave.cubicTo(60, 100, 78, 100, 86, 132);
    wave.cubicTo(94, 164, 112, 160, 122, 124);
    wave.cubicTo(128, 104, 140, 110, 144, 128);
    p.setPen(QPen(QColor(0xE5, 0x14, 0x00), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    const QColor blue(0x00, 0x50, 0xEF);
    QPainterPath arrow;
    arrow.moveTo(232, 70);
    arrow.cubicTo(210, 86, 190, 110, 170, 122);
    p.setPen(QPen(blue, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arrow);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPath(ArrowHead(QPointF(158, 129), QPointF(-1.4, 0.8), 16, 8));
    // a green tick and a numbered stroke, as the pen-order pen draws them
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(176, 160);
    tick.lineTo(188, 172);
    tick.lineTo(214, 142);
    p.setPen(QPen(QColor(0x33, 0x99, 0x33), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(QPen(QColor(0xFF, 0x00, 0xFF), 1.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(160, 52), 9, 9);
    p.setPen(QPen(QColor(0xFF, 0x00, 0xFF), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath one;
    one.moveTo(157.5, 49);
    one.lineTo(160.5, 47);
    one.lineTo(160.5, 57);
    p.drawPath(one);
    p.setPen(QPen(QColor(0xFF, 0x00, 0xFF), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(174, 56), QPointF(236, 50));
}

// The program's name, shrunk until it fits, and what it is.
void DrawSplashTitle(QPainter &p, double tx)
{
    const double tw = 200;
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setBold(true);
    title.setPixelSize(40);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    QFontMetricsF fm(title);
    while (fm.horizontalAdvance(QStringLiteral("TOVAREK W")) > tw && title.pixelSize() > 10) {
        title.setPixelSize(title.pixelSize() - 1);
        fm = QFontMetricsF(title);
    }
    p.setFont(title);
    const double base = 96;
    p.setPen(Qt::white);
    p.drawText(QPointF(tx, base), QStringLiteral("TOVAREK"));
    p.setPen(QColor::fromRgba(MetroBlue));
    p.drawText(QPointF(tx + fm.horizontalAdvance(QStringLiteral("TOVAREK ")), base), QStringLiteral("W"));
    p.fillRect(QRectF(tx, base + 12, 44, 4), QColor::fromRgba(MetroBlue));
    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(15);
    p.setFont(sub);
    p.setPen(QColor(0xD0, 0xD0, 0xD0));
    p.drawText(QPointF(tx, base + 40), QStringLiteral("Classroom white board"));
}

// A row of tool tiles in the Metro blue.
void DrawSplashTiles(QPainter &p, double tx)
{
    const char *names[] = {"MT_PEN", "MT_MARKER", "MT_ERASER", "MT_UNDO", "MT_ZOOM0"};
    const QList<Picture> icons = TileIcons();
    const double side = 34, gap = 7.5;
    for (int i = 0; i < 5; ++i) {
        const QRectF t(tx + i * (side + gap), 172, side, side);
        p.fillRect(t, QColor::fromRgba(MetroBlue));
        if (i == 0) { // the current pen's tile shows its frame
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(Qt::black, 1));
            p.drawRect(t.adjusted(2, 2, -2, -2));
            p.setPen(QPen(Qt::white, 2));
            p.drawRect(t.adjusted(1, 1, -1, -1));
        }
        if (const Picture *icon = FindPicture(icons, QString::fromLatin1(names[i]))) {
            const QImage img = Render(*icon, 2.0);
            p.drawImage(QRectF(t.left() + 4, t.top() + 4, side - 8, side - 8), img);
        }
    }
}

void DrawSplash(QPainter &p)
{
    DrawSplashBoard(p);
    DrawSplashStrokes(p);
    // the title and the tiles share their left edge
    const double tx = 288;
    DrawSplashTitle(p, tx);
    DrawSplashTiles(p, tx);
}

Picture Pic(const char *name, QSize size, std::function<void(QPainter &)> draw, bool opaque = false)
{
    Picture pic;
    pic.name = QString::fromLatin1(name);
    pic.size = size;
    pic.draw = std::move(draw);
    pic.opaque = opaque;
    return pic;
}

} // namespace

QList<Picture> OtherPictures()
{
    return {
        Pic("PW_RIGHT", QSize(30, 30), [](QPainter &p) { DrawMenuArrow(p, true); }),
        Pic("PW_LEFT", QSize(30, 30), [](QPainter &p) { DrawMenuArrow(p, false); }),
        Pic("ARROW_L", QSize(13, 20), [](QPainter &p) { DrawPageArrow(p, false); }),
        Pic("ARROW_R", QSize(13, 20), [](QPainter &p) { DrawPageArrow(p, true); }),
        Pic("SPLASH", QSize(512, 256), DrawSplash, true),
        Pic("ICON", QSize(64, 64),
            [](QPainter &p) {
                p.scale(0.25, 0.25);
                DrawEmblem(p, true);
            }),
        Pic("APP_256", QSize(256, 256), [](QPainter &p) { DrawEmblem(p, false); }),
    };
}

} // namespace artwork
