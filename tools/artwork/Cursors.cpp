// The tool cursors (CR_*): light pictures with a dark outline, so they read over
// white boards and dark photos alike. The pen and marker lie along the direction
// (1, 2) from their tip in the top-left pixel; the board paints the ink colour
// into the window just behind the tip (a 5.5 px line from (7.5, 14.5) to (12.5, 24.5)).
#include "Artwork.h"

#include <QtMath>

namespace artwork {
namespace {

const QColor Outline(0x1E, 0x1E, 0x1E);
const QColor Lead(0x3A, 0x3A, 0x3A);
const QColor Wood(0xF3, 0xD5, 0xA2);
const QColor Body(0xFA, 0xFA, 0xFA);
const QColor BodyShade(0xD9, 0xDE, 0xE3);
const QColor Metal(0xC8, 0xCD, 0xD4);
const QColor Rubber(0xF4, 0xA7, 0xB4);
constexpr double Line = 1.0;

// Axis of the pen cursors: through the centre of pixel (0, 0) along (1, 2),
// which is where the board's ink band lies.
QTransform PenAxis()
{
    QTransform t;
    t.translate(0.5, 0.5);
    t.rotateRadians(std::atan2(2.0, 1.0));
    return t;
}

// The ink window in axis coordinates (t along the axis, the band's round caps included).
constexpr double BandT0 = 15.65, BandT1 = 26.83, BandR = 2.75;

QPainterPath Stadium(double t0, double t1, double r)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(t0 - r, -r, t1 - t0 + 2 * r, 2 * r), r, r);
    return path;
}

void OutlinePath(QPainter &p, const QPainterPath &path, const QColor &fill)
{
    p.setPen(QPen(Outline, Line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

void InkWindow(QPainter &p, bool rainbow)
{
    const QPainterPath window = Stadium(BandT0, BandT1, BandR + 0.5);
    OutlinePath(p, window, Qt::white);
    if (!rainbow)
        return;
    p.save();
    p.setClipPath(Stadium(BandT0, BandT1, BandR));
    const double t0 = BandT0 - BandR, w = (BandT1 - BandT0 + 2 * BandR) / 7;
    for (int i = 0; i < 7; ++i)
        p.fillRect(QRectF(t0 + w * i, -BandR, w + (i < 6 ? 0.4 : 0), 2 * BandR), QColor::fromRgba(Rainbow[i]));
    p.restore();
}

// Local +y points to the lower left, towards the image's left edge: a side at
// half-width h stays inside the picture while h <= t / 2.
void DrawPencil(QPainter &p, bool rainbow)
{
    p.setTransform(PenAxis(), true);
    const double H = 5.3, cone = 11.2, ferrule = 45.5, rubber = 51.5, end = 56.0;
    // sharpened wood
    QPainterPath wood;
    wood.moveTo(-0.4, 0);
    wood.lineTo(cone, -H);
    wood.lineTo(cone, H);
    wood.closeSubpath();
    OutlinePath(p, wood, Wood);
    QPainterPath lead;
    lead.moveTo(-0.4, 0);
    lead.lineTo(4.2, -H * 4.2 / cone);
    lead.lineTo(4.2, H * 4.2 / cone);
    lead.closeSubpath();
    OutlinePath(p, lead, Lead);
    // painted body, with a shaded flank for some depth
    // painted body; its front edge is the scallop where the paint ends on the wood
    QPainterPath body;
    body.moveTo(cone, -H);
    body.lineTo(ferrule, -H);
    body.lineTo(ferrule, H);
    body.lineTo(cone, H);
    body.quadTo(cone - 1.6, H / 2, cone, 0);
    body.quadTo(cone - 1.6, -H / 2, cone, -H);
    body.closeSubpath();
    OutlinePath(p, body, Body);
    // a shaded flank for some depth
    p.fillRect(QRectF(cone + 0.5, -H + 0.5, ferrule - cone - 1, 2.0), BodyShade);
    InkWindow(p, rainbow);
    // ferrule and rubber
    QPainterPath band;
    band.addRect(QRectF(ferrule, -H - 0.3, rubber - ferrule, 2 * H + 0.6));
    OutlinePath(p, band, Metal);
    p.setPen(QPen(Outline.lighter(250), 0.8));
    p.drawLine(QPointF(ferrule + 2, -H), QPointF(ferrule + 2, H));
    p.drawLine(QPointF(ferrule + 4, -H), QPointF(ferrule + 4, H));
    QPainterPath eraser;
    eraser.moveTo(rubber, -H);
    eraser.lineTo(end - 2, -H);
    eraser.quadTo(end, -H, end, -H + 2);
    eraser.lineTo(end, H - 2);
    eraser.quadTo(end, H, end - 2, H);
    eraser.lineTo(rubber, H);
    eraser.closeSubpath();
    OutlinePath(p, eraser, Rubber);
}

void DrawMarker(QPainter &p, bool rainbow)
{
    p.setTransform(PenAxis(), true);
    const double H = 6.2, cap = 34.0, end = 56.0;
    // chisel nib: its slanted face is the writing edge
    QPainterPath nib;
    nib.moveTo(-0.4, 0);
    nib.lineTo(2.6, -2.6);
    nib.lineTo(7.0, -2.6);
    nib.lineTo(7.0, 2.8);
    nib.lineTo(5.6, 2.6);
    nib.closeSubpath();
    OutlinePath(p, nib, QColor(0x55, 0x55, 0x55));
    // tapering front and barrel in one piece
    QPainterPath barrel;
    barrel.moveTo(6.5, -3.1);
    barrel.lineTo(13.2, -H);
    barrel.lineTo(cap, -H);
    barrel.lineTo(cap, H);
    barrel.lineTo(13.2, H);
    barrel.lineTo(6.5, 3.1);
    barrel.closeSubpath();
    OutlinePath(p, barrel, Body);
    p.fillRect(QRectF(14, -H + 0.5, cap - 14.5, 2.2), BodyShade);
    InkWindow(p, rainbow);
    // cap with its clip
    QPainterPath capPath;
    capPath.moveTo(cap, -H - 0.4);
    capPath.lineTo(end - 2.5, -H - 0.4);
    capPath.quadTo(end, -H - 0.4, end, -H + 2);
    capPath.lineTo(end, H - 2);
    capPath.quadTo(end, H + 0.4, end - 2.5, H + 0.4);
    capPath.lineTo(cap, H + 0.4);
    capPath.closeSubpath();
    OutlinePath(p, capPath, QColor(0xEC, 0xEE, 0xF0));
    QPainterPath clip;
    clip.addRoundedRect(QRectF(cap + 3, -H - 0.4 + 1.6, end - cap - 6, 2.4), 1.2, 1.2);
    OutlinePath(p, clip, Metal);
}

void DrawEraserCursor(QPainter &p)
{
    // A block eraser standing up, its working edge along the top row.
    const double l = 5.5, r = 26.5, top = 0.5, sleeve = 17.5, bottom = 47.5;
    QPainterPath rubber;
    rubber.moveTo(l, sleeve);
    rubber.lineTo(l, top + 1.5);
    rubber.quadTo(l, top, l + 1.5, top);
    rubber.lineTo(r - 1.5, top);
    rubber.quadTo(r, top, r, top + 1.5);
    rubber.lineTo(r, sleeve);
    rubber.closeSubpath();
    OutlinePath(p, rubber, QColor(0xFB, 0xFB, 0xFB));
    p.fillRect(QRectF(r - 4.5, top + 1, 4, sleeve - top - 1.5), QColor(0xE2, 0xE2, 0xE2));
    // the worn working edge
    p.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 0.8));
    p.drawLine(QPointF(l + 1.5, 3.2), QPointF(r - 1.5, 3.2));
    QPainterPath sleevePath;
    sleevePath.moveTo(l, sleeve);
    sleevePath.lineTo(r, sleeve);
    sleevePath.lineTo(r, bottom - 2);
    sleevePath.quadTo(r, bottom, r - 2, bottom);
    sleevePath.lineTo(l + 2, bottom);
    sleevePath.quadTo(l, bottom, l, bottom - 2);
    sleevePath.closeSubpath();
    OutlinePath(p, sleevePath, QColor(0x8E, 0xCF, 0xF0));
    p.fillRect(QRectF(r - 4.5, sleeve + 0.5, 4, bottom - sleeve - 2.5), QColor(0x6F, 0xB5, 0xDB));
    // a darker stripe across the sleeve, as on a school eraser
    p.fillRect(QRectF(l + 0.5, 27, r - l - 1, 6), QColor(0x1B, 0x6F, 0xA8));
    p.setPen(QPen(Outline, Line));
    p.drawLine(QPointF(l, 27), QPointF(r, 27));
    p.drawLine(QPointF(l, 33), QPointF(r, 33));
}

struct Finger {
    double x, top, w, bottom, angle;
};

QPainterPath FingerPath(const Finger &f)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(-f.w / 2, f.top - f.bottom, f.w, f.bottom - f.top + f.w), f.w / 2, f.w / 2);
    QTransform t;
    t.translate(f.x + f.w / 2, f.bottom);
    t.rotate(f.angle);
    return t.map(path);
}

void DrawHand(QPainter &p, bool closed)
{
    QList<Finger> fingers;
    if (!closed)
        fingers
            = {{6.2, 6.5, 4.6, 19, -9}, {10.9, 2.5, 4.7, 18, -2}, {15.8, 3.8, 4.6, 18, 4}, {20.6, 8.0, 4.3, 19, 11}};
    else
        fingers = {{7.4, 10.5, 4.6, 17, 0}, {12.0, 9.0, 4.7, 17, 0}, {16.7, 9.5, 4.6, 17, 0}, {21.3, 11.0, 4.3, 17, 0}};
    // palm and wrist; the cuff ends in an outline just above the bottom row
    const double pl = closed ? 7.0 : 5.8, pr = closed ? 25.6 : 24.9, pt = closed ? 14.0 : 15.5;
    const double bottom = 36.5;
    QPainterPath palm;
    palm.moveTo(pl, pt);
    palm.lineTo(pr, pt);
    palm.lineTo(pr, 24);
    palm.cubicTo(pr, 29, 23.5, 31, 21.5, 32);
    palm.lineTo(21.5, bottom);
    palm.lineTo(10, bottom);
    palm.lineTo(10, 32.5);
    palm.cubicTo(7.5, 31, pl, 29, pl, 25);
    palm.closeSubpath();
    QPainterPath t0;
    QTransform t;
    if (!closed) {
        t0.addRoundedRect(QRectF(-2.6, -9.5, 5.2, 12), 2.6, 2.6);
        t.translate(9.2, 27.5);
        t.rotate(-40);
    } else {
        // tucked along the side of the fist
        t0.addRoundedRect(QRectF(-2.6, -9, 5.2, 11.5), 2.6, 2.6);
        t.translate(7.0, 26.5);
        t.rotate(-12);
    }
    const QPainterPath thumb = t.map(t0);
    QPainterPath hand = palm;
    for (const Finger &f : fingers)
        hand = hand.united(FingerPath(f));
    hand = hand.united(thumb);
    // white glove: fill, then the outline of the whole hand
    OutlinePath(p, hand, Qt::white);
    p.save();
    p.setPen(QPen(Outline, Line));
    p.setBrush(Qt::NoBrush);
    // the fingers' own edges show where they part, down to the palm
    p.setClipRect(QRectF(0, 0, 32, pt + (closed ? 2.5 : 1.5)));
    for (int i = 1; i < fingers.size(); ++i)
        p.drawPath(FingerPath(fingers[i]));
    // and the thumb's inner edge where it lies against the palm
    p.setClipRect(QRectF(pl + 0.5, 0, 32, 40));
    p.drawPath(thumb);
    p.restore();
}

void DrawLassoCursor(QPainter &p)
{
    QPainterPath rope;
    rope.moveTo(1.5, 2.5);
    rope.cubicTo(3.5, 9, 5, 15.5, 10.5, 16.5);
    QPainterPath loop;
    loop.addEllipse(QPointF(0, 0), 10.0, 6.6);
    QTransform t;
    t.translate(20.3, 10.2);
    t.rotate(-6);
    const QPainterPath ring = t.map(loop);
    const QColor rope0(0xF4, 0xE6, 0xC4);
    auto twine = [&](const QPainterPath &path) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Outline, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
        p.setPen(QPen(rope0, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    };
    twine(ring);
    twine(rope);
    // the honda knot where the rope runs through the loop
    QPainterPath knot;
    knot.addEllipse(QPointF(10.6, 16.3), 2.6, 2.2);
    OutlinePath(p, knot, rope0);
}

Picture Cursor(const char *name, QSize size, QPoint hot, std::function<void(QPainter &)> draw)
{
    Picture pic;
    pic.name = QString::fromLatin1(name);
    pic.size = size;
    pic.draw = std::move(draw);
    pic.hotSpot = hot;
    return pic;
}

} // namespace

QList<Picture> Cursors()
{
    return {
        Cursor("CR_PEN", QSize(32, 60), QPoint(0, 0), [](QPainter &p) { DrawPencil(p, false); }),
        Cursor("CR_MARKER", QSize(32, 60), QPoint(0, 0), [](QPainter &p) { DrawMarker(p, false); }),
        Cursor("CR_RBPEN", QSize(32, 60), QPoint(0, 0), [](QPainter &p) { DrawPencil(p, true); }),
        Cursor("CR_RBMARKER", QSize(32, 60), QPoint(0, 0), [](QPainter &p) { DrawMarker(p, true); }),
        Cursor("CR_ERASER", QSize(32, 52), QPoint(16, 0), DrawEraserCursor),
        Cursor("CR_HAND0", QSize(32, 38), QPoint(12, 24), [](QPainter &p) { DrawHand(p, false); }),
        Cursor("CR_HAND1", QSize(32, 38), QPoint(12, 24), [](QPainter &p) { DrawHand(p, true); }),
        Cursor("CR_LASSO", QSize(32, 23), QPoint(1, 2), DrawLassoCursor),
    };
}

} // namespace artwork
