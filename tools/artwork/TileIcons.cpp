// The 30 x 30 tile icons (MT_*): white glyphs for the Metro-blue tiles, 2 px
// lines inside a 2 px margin. Other tile colours keep only an icon's alpha, so
// every glyph reads by its shape; overlapping parts are kept apart by knock-outs.
#include "Artwork.h"

#include <QtMath>

namespace artwork {
namespace {

QPainterPath Line(QPointF a, QPointF b)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    return path;
}

QPainterPath Box(const QRectF &r)
{
    QPainterPath path;
    path.addRect(r);
    return path;
}

QPainterPath Circle(QPointF c, double r)
{
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

// The squiggle a pen leaves, ending at the pen's tip.
QPainterPath PenTrail()
{
    QPainterPath path;
    path.moveTo(3, 25.5);
    path.cubicTo(5.5, 21, 8, 21, 9, 24.5);
    path.cubicTo(10, 28, 13, 27.5, 15, 24);
    return path;
}

void DrawPen(QPainter &p, bool rainbow)
{
    if (rainbow) {
        RainbowBand(p, QRectF(2.5, 22.5, 25, 6));
        Knockout(p, PencilOutline(QPointF(12.5, 19.5), QPointF(27, 4), 4.0), 1.5);
        PencilGlyph(p, QPointF(12.5, 19.5), QPointF(27, 4), 4.0);
        return;
    }
    SetGlyph(p);
    p.drawPath(PenTrail());
    PencilGlyph(p, QPointF(15.5, 22.5), QPointF(27, 3.5), 4.0);
}

void DrawMarker(QPainter &p, bool rainbow)
{
    if (rainbow) {
        RainbowBand(p, QRectF(2.5, 22.5, 25, 6));
    } else {
        QPainterPath band;
        band.addRoundedRect(QRectF(3, 23.5, 16, 4), 1, 1);
        FillGlyph(p, band);
    }
    MarkerGlyph(p, QPointF(12, 20.5), QPointF(27.5, 4), 5.0);
}

// A gently curved stroke from bottom-left to top-right, as the arrow pens draw it.
QPainterPath ArrowStroke()
{
    QPainterPath path;
    path.moveTo(4.5, 25.5);
    path.cubicTo(8, 15, 15, 10, 25, 6);
    return path;
}

void DrawArrow(QPainter &p, bool both)
{
    QPainterPath s = ArrowStroke();
    // Stop the shaft short of the heads so their points stay sharp.
    const double a0 = both ? s.percentAtLength(5) : 0.0;
    const double a1 = s.percentAtLength(s.length() - 5);
    QPainterPath shaft;
    const int n = 40;
    for (int i = 0; i <= n; ++i) {
        const QPointF q = s.pointAtPercent(a0 + (a1 - a0) * i / n);
        if (i == 0)
            shaft.moveTo(q);
        else
            shaft.lineTo(q);
    }
    SetGlyph(p);
    p.drawPath(shaft);
    const QPointF end = s.pointAtPercent(1);
    FillGlyph(p, ArrowHead(end, end - s.pointAtPercent(s.percentAtLength(s.length() - 4)), 8, 4.5));
    if (both) {
        const QPointF start = s.pointAtPercent(0);
        FillGlyph(p, ArrowHead(start, start - s.pointAtPercent(s.percentAtLength(4)), 8, 4.5));
    }
}

// A round paint brush: bristles towards the tip, ferrule, slim handle.
void BrushGlyph(QPainter &p, QPointF tip, QPointF end)
{
    const double L = std::hypot(end.x() - tip.x(), end.y() - tip.y());
    const QTransform t = AxisTransform(tip, end);
    QPainterPath bristles;
    bristles.moveTo(0, 0);
    bristles.cubicTo(2.5, -1.5, 4, -3.4, 7.5, -3.4);
    bristles.lineTo(7.5, 3.4);
    bristles.cubicTo(4, 3.4, 2.5, 1.5, 0, 0);
    FillGlyph(p, t.map(bristles));
    QPainterPath ferrule;
    ferrule.addRoundedRect(QRectF(9, -3.2, 5, 6.4), 1, 1);
    SetGlyph(p, 1.6);
    p.drawPath(t.map(ferrule));
    QPainterPath handle;
    handle.moveTo(14, -2.2);
    handle.lineTo(L - 1.6, -1.4);
    handle.cubicTo(L, -1.4, L, 1.4, L - 1.6, 1.4);
    handle.lineTo(14, 2.2);
    handle.closeSubpath();
    FillGlyph(p, t.map(handle));
}

void DrawFuPen(QPainter &p)
{
    QPainterPath stroke;
    stroke.moveTo(4, 22);
    stroke.cubicTo(8, 27, 13, 27.5, 17.5, 22.5);
    FillGlyph(p, TaperedStroke(stroke, 6.0, 1.2));
    BrushGlyph(p, QPointF(17.8, 21.5), QPointF(27.5, 3.5));
}

// The digit one as strokes (no font): flag, stem and foot.
QPainterPath DigitOne(QPointF c, double h)
{
    QPainterPath path;
    const double top = c.y() - h / 2, bottom = c.y() + h / 2;
    path.moveTo(c.x() - h * 0.3, top + h * 0.24);
    path.lineTo(c.x() + h * 0.05, top);
    path.lineTo(c.x() + h * 0.05, bottom);
    return path;
}

void DrawFuMarker(QPainter &p)
{
    // A brush stroke as in a written character: a firm press, then a lifting end.
    QPainterPath stroke;
    stroke.moveTo(4.5, 20.5);
    stroke.cubicTo(11, 20, 19, 18.5, 26.5, 20);
    const auto width = [](double t) { return t < 0.1 ? 5.0 + t * 10 : 6.0 - (t - 0.1) / 0.9 * 3.8; };
    FillGlyph(p, TaperedStroke(stroke, width));
    // Its number in a disc at the start; the digit is cut out of the disc.
    const QPointF c(9, 9);
    FillGlyph(p, Circle(c, 6.6));
    KnockoutStroke(p, DigitOne(c + QPointF(0.2, 0), 7.0), 1.8);
}

// An eraser block at 45 degrees, working end at the bottom left.
QPainterPath EraserBlock(QPointF tip, double len, double h)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0, -h, len, 2 * h), 2, 2);
    return AxisTransform(tip, tip + QPointF(1, -1)).map(path);
}

void EraserGlyph(QPainter &p, QPointF tip, double len, double h)
{
    SetGlyph(p);
    p.drawPath(EraserBlock(tip, len, h));
    // The rubber half is solid, the sleeve half an outline.
    QPainterPath rubber;
    rubber.addRoundedRect(QRectF(0, -h, len * 0.42, 2 * h), 2, 2);
    rubber.addRect(QRectF(len * 0.2, -h, len * 0.22, 2 * h));
    const QPainterPath shape = AxisTransform(tip, tip + QPointF(1, -1)).map(rubber.simplified());
    FillGlyph(p, shape);
    p.drawPath(shape);
}

void DrawEraser(QPainter &p)
{
    EraserGlyph(p, QPointF(6.5, 19.5), 20, 5.2);
    SetGlyph(p);
    p.drawLine(QPointF(12, 26), QPointF(27, 26));
}

QPainterPath OpenHand()
{
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    // fingers: left edge, top, bottom (all into the palm)
    const struct {
        double x, top, w;
    } fingers[] = {{8.2, 7.0, 3.6}, {12.2, 4.0, 3.6}, {16.2, 5.0, 3.6}, {20.2, 8.5, 3.4}};
    for (const auto &f : fingers)
        hand.addRoundedRect(QRectF(f.x, f.top, f.w, 17 - f.top), f.w / 2, f.w / 2);
    QPainterPath palm;
    palm.moveTo(8.2, 14);
    palm.lineTo(23.6, 14);
    palm.lineTo(23.6, 20);
    palm.cubicTo(23.6, 25, 21, 28, 16.5, 28);
    palm.lineTo(13, 28);
    palm.cubicTo(10.5, 28, 9, 26.5, 7.8, 25);
    palm.closeSubpath();
    hand.addPath(palm);
    // thumb, reaching out to the left
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(0, -1.8, 9, 3.6), 1.8, 1.8);
    QTransform t;
    t.translate(10.5, 23.5);
    t.rotate(-130);
    hand.addPath(t.map(thumb));
    return hand.simplified();
}

void DrawMove(QPainter &p)
{
    FillGlyph(p, OpenHand());
    // Thin gaps between the fingers keep them apart at tile size.
    for (double x : {12.0, 16.0, 20.0})
        KnockoutStroke(p, Line(QPointF(x, 9), QPointF(x, 15.5)), 0.8);
}

void DrawEraseAll(QPainter &p)
{
    // A written page struck out, with the eraser across its corner.
    QPainterPath page;
    page.moveTo(3.5, 3);
    page.lineTo(14, 3);
    page.lineTo(18.5, 7.5);
    page.lineTo(18.5, 23);
    page.lineTo(3.5, 23);
    page.closeSubpath();
    SetGlyph(p);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(14, 3);
    fold.lineTo(14, 7.5);
    fold.lineTo(18.5, 7.5);
    p.drawPath(fold);
    p.drawLine(QPointF(7, 9), QPointF(13.5, 15.5));
    p.drawLine(QPointF(13.5, 9), QPointF(7, 15.5));
    const QPointF tip(14.5, 24.5);
    Knockout(p, EraserBlock(tip, 14, 4.2), 2.0);
    EraserGlyph(p, tip, 14, 4.2);
}

void DrawOpen(QPainter &p)
{
    SetGlyph(p);
    QPainterPath back;
    back.moveTo(3.5, 24);
    back.lineTo(3.5, 6);
    back.lineTo(10.5, 6);
    back.lineTo(13, 8.5);
    back.lineTo(23, 8.5);
    back.lineTo(23, 12);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(3.5, 24.5);
    front.lineTo(8, 13);
    front.lineTo(27.5, 13);
    front.lineTo(23, 24.5);
    front.closeSubpath();
    p.drawPath(front);
}

void DrawSave(QPainter &p)
{
    SetGlyph(p);
    QPainterPath disk;
    disk.moveTo(4, 4);
    disk.lineTo(22, 4);
    disk.lineTo(26, 8);
    disk.lineTo(26, 26);
    disk.lineTo(4, 26);
    disk.closeSubpath();
    p.drawPath(disk);
    // shutter with its window
    p.drawRect(QRectF(9, 4, 11, 7));
    p.fillRect(QRectF(16, 6, 2, 3), Qt::white);
    // label
    p.drawRect(QRectF(8, 16, 14, 10));
    p.drawLine(QPointF(11, 20), QPointF(19, 20));
}

// A U-turn arrow: head at the top left, the loop to the right.
void DrawUndo(QPainter &p, bool mirrored)
{
    if (mirrored) {
        p.translate(30, 0);
        p.scale(-1, 1);
    }
    SetGlyph(p);
    QPainterPath loop;
    loop.moveTo(10, 10.5);
    loop.lineTo(17, 10.5);
    loop.arcTo(QRectF(10.5, 10.5, 14, 14), 90, -180);
    loop.lineTo(9, 24.5);
    p.drawPath(loop);
    FillGlyph(p, ArrowHead(QPointF(3, 10.5), QPointF(-1, 0), 8.5, 5.5));
}

void DrawZoom(QPainter &p, bool plus)
{
    SetGlyph(p);
    const QPointF c(12.5, 12.5);
    p.drawEllipse(c, 9, 9);
    p.setPen(GlyphPen(3.5));
    p.drawLine(QPointF(19.3, 19.3), QPointF(26, 26));
    SetGlyph(p);
    p.drawLine(QPointF(8.5, 12.5), QPointF(16.5, 12.5));
    if (plus)
        p.drawLine(QPointF(12.5, 8.5), QPointF(12.5, 16.5));
}

void DrawWBrd(QPainter &p)
{
    SetGlyph(p);
    // legs first, the board over them
    p.drawLine(QPointF(11, 20), QPointF(7, 27.5));
    p.drawLine(QPointF(19, 20), QPointF(23, 27.5));
    p.drawLine(QPointF(15, 20), QPointF(15, 25));
    p.drawLine(QPointF(15, 1.8), QPointF(15, 4));
    p.drawRoundedRect(QRectF(3, 4, 24, 16), 1, 1);
    QPainterPath scribble;
    scribble.moveTo(7, 15.5);
    scribble.cubicTo(9, 9, 11, 9, 12.5, 13);
    scribble.cubicTo(14, 17, 16, 16, 17, 12);
    p.setPen(GlyphPen(1.6));
    p.drawPath(scribble);
    p.drawLine(QPointF(19.5, 9), QPointF(23.5, 9));
    p.drawLine(QPointF(19.5, 13), QPointF(23.5, 13));
}

void DrawNext(QPainter &p, bool mirrored)
{
    if (mirrored) {
        p.translate(30, 0);
        p.scale(-1, 1);
    }
    PictureGlyph(p, QRectF(3, 4, 19, 16));
    const QPointF c(21, 21);
    Knockout(p, Circle(c, 6.8), 1.6);
    FillGlyph(p, Circle(c, 6.8));
    QPainterPath arrow;
    arrow.moveTo(17.2, 21);
    arrow.lineTo(24.2, 21);
    arrow.moveTo(21.2, 18);
    arrow.lineTo(24.2, 21);
    arrow.lineTo(21.2, 24);
    KnockoutStroke(p, arrow, 1.8);
}

void DrawCenter(QPainter &p)
{
    SetGlyph(p);
    QPainterPath corners;
    const double a = 3, b = 27, l = 6;
    corners.moveTo(a, a + l);
    corners.lineTo(a, a);
    corners.lineTo(a + l, a);
    corners.moveTo(b - l, a);
    corners.lineTo(b, a);
    corners.lineTo(b, a + l);
    corners.moveTo(b, b - l);
    corners.lineTo(b, b);
    corners.lineTo(b - l, b);
    corners.moveTo(a + l, b);
    corners.lineTo(a, b);
    corners.lineTo(a, b - l);
    p.drawPath(corners);
    p.drawRoundedRect(QRectF(9, 10, 12, 10), 1, 1);
}

void DrawLaunch(QPainter &p)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            QPainterPath sq;
            sq.addRoundedRect(QRectF(3 + c * 9, 3 + r * 9, 6, 6), 0.8, 0.8);
            FillGlyph(p, sq);
        }
}

void Monitor(QPainter &p, const QRectF &screen)
{
    SetGlyph(p);
    p.drawRoundedRect(screen, 1, 1);
    const double cx = screen.center().x();
    p.drawLine(QPointF(cx, screen.bottom()), QPointF(cx, screen.bottom() + 3.5));
    p.drawLine(QPointF(cx - 3.5, screen.bottom() + 4), QPointF(cx + 3.5, screen.bottom() + 4));
}

void DrawMView(QPainter &p)
{
    // The same stroke on both screens: the board repeated on the second monitor.
    for (double x : {2.0, 16.0}) {
        const QRectF screen(x, 6, 12, 11);
        Monitor(p, screen);
        QPainterPath wave;
        wave.moveTo(x + 2.8, 13.5);
        wave.cubicTo(x + 4.5, 8.5, x + 6, 8.5, x + 6.5, 11.5);
        wave.cubicTo(x + 7, 14, x + 8, 13.5, x + 9.2, 10);
        p.setPen(GlyphPen(1.4));
        p.drawPath(wave);
    }
}

void DrawTurn(QPainter &p, bool left)
{
    if (left) {
        p.translate(30, 0);
        p.scale(-1, 1);
    }
    PictureGlyph(p, QRectF(3, 14, 14, 12));
    SetGlyph(p);
    QPainterPath arc;
    arc.moveTo(7, 8);
    arc.cubicTo(15, 3.5, 23.5, 7, 23.5, 15.5);
    p.drawPath(arc);
    FillGlyph(p, ArrowHead(QPointF(23.5, 25), QPointF(0, 1), 8, 5));
}

void DrawLasso(QPainter &p)
{
    SetGlyph(p);
    p.save();
    p.translate(16.5, 10.5);
    p.rotate(-8);
    p.drawEllipse(QPointF(0, 0), 11, 7);
    p.restore();
    QPainterPath rope;
    rope.moveTo(9.2, 16.8);
    rope.cubicTo(10.5, 21, 5, 21.5, 5.5, 24.5);
    rope.cubicTo(6, 27, 9, 27.8, 11, 26.5);
    p.drawPath(rope);
    FillGlyph(p, Circle(QPointF(9.3, 16.6), 2.3)); // the knot where the rope runs through
}

void DrawInfo(QPainter &p)
{
    SetGlyph(p);
    p.drawEllipse(QPointF(15, 15), 12, 12);
    FillGlyph(p, Circle(QPointF(15, 9.2), 1.9));
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(15, 12.8), QPointF(15, 22));
    SetGlyph(p);
}

QPainterPath Gear(QPointF c, double rBody, double rTip, int teeth, double toothW, double rHole)
{
    QPainterPath gear;
    gear.setFillRule(Qt::WindingFill);
    gear.addEllipse(c, rBody, rBody);
    for (int i = 0; i < teeth; ++i) {
        QPainterPath tooth;
        // slightly narrower at the tip, like a real cog
        tooth.moveTo(rBody - 1, -toothW / 2);
        tooth.lineTo(rTip, -toothW / 2 + 0.6);
        tooth.lineTo(rTip, toothW / 2 - 0.6);
        tooth.lineTo(rBody - 1, toothW / 2);
        tooth.closeSubpath();
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(360.0 * i / teeth + 22.5 / 2);
        gear.addPath(t.map(tooth));
    }
    gear = gear.simplified();
    return gear.subtracted(Circle(c, rHole));
}

void DrawSetup(QPainter &p) { FillGlyph(p, Gear(QPointF(15, 15), 9, 12.8, 8, 5, 4)); }

void DrawPenSetup(QPainter &p)
{
    SetGlyph(p);
    const double ys[3] = {7, 15, 23};
    const double knob[3] = {7, 13.5, 9};
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(3, ys[i]), QPointF(16, ys[i]));
        FillGlyph(p, Circle(QPointF(knob[i], ys[i]), 2.8));
    }
    PencilGlyph(p, QPointF(23, 27.5), QPointF(23, 2.5), 3.6);
}

void DrawClose(QPainter &p)
{
    SetGlyph(p, 2.4);
    p.drawLine(QPointF(8, 8), QPointF(22, 22));
    p.drawLine(QPointF(22, 8), QPointF(8, 22));
}

void DrawDesktop(QPainter &p)
{
    Monitor(p, QRectF(3, 4, 24, 17));
    const QPointF tip(11, 16.5), end(27.5, 2);
    Knockout(p, PencilOutline(tip, end, 3.4), 1.6);
    PencilGlyph(p, tip, end, 3.4);
    SetGlyph(p, 1.6);
    p.drawLine(QPointF(6, 16.5), QPointF(9.5, 16.5));
}

void DrawOk(QPainter &p)
{
    SetGlyph(p, 2.4);
    QPainterPath check;
    check.moveTo(6, 15.5);
    check.lineTo(12, 21.5);
    check.lineTo(24, 9);
    p.drawPath(check);
}

// A page with its corner turned, and an arrow leaving it: the lesson handed out.
void DrawExport(QPainter &p)
{
    SetGlyph(p);
    QPainterPath page;
    page.moveTo(4, 3);
    page.lineTo(14, 3);
    page.lineTo(19, 8);
    page.lineTo(19, 27);
    page.lineTo(4, 27);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(14, 3), QPointF(14, 8));
    p.drawLine(QPointF(14, 8), QPointF(19, 8));
    for (double y : {13.0, 17.0})
        p.drawLine(QPointF(7.5, y), QPointF(12.5, y));
    Knockout(p, Box(QRectF(13, 16, 16, 8)), 1.5);
    SetGlyph(p);
    p.drawLine(QPointF(13, 20), QPointF(25, 20));
    FillGlyph(p, ArrowHead(QPointF(28.5, 20), QPointF(1, 0), 6, 4.5));
}

// A printer with a sheet going in at the top and one coming out below.
void DrawPrint(QPainter &p)
{
    SetGlyph(p);
    p.drawRect(QRectF(9, 3, 12, 8));
    QPainterPath body;
    body.addRoundedRect(QRectF(3, 11, 24, 11), 2, 2);
    p.drawPath(body);
    FillGlyph(p, Circle(QPointF(22.5, 14.5), 1.3));
    Knockout(p, Box(QRectF(8, 17, 14, 11)), 1.2);
    SetGlyph(p);
    p.drawRect(QRectF(9, 18, 12, 9));
    p.drawLine(QPointF(11.5, 21.5), QPointF(18.5, 21.5));
    p.drawLine(QPointF(11.5, 24.5), QPointF(16.5, 24.5));
}

// A play triangle inside a circling arrow: the strokes drawn again.
void DrawReplay(QPainter &p)
{
    SetGlyph(p);
    QPainterPath arc;
    arc.arcMoveTo(QRectF(3, 3, 24, 24), 100);
    arc.arcTo(QRectF(3, 3, 24, 24), 100, 300);
    p.drawPath(arc);
    // The head where the arc ends (at 40 degrees), pointing on round it.
    const double a = qDegreesToRadians(40.0);
    const QPointF end(15 + 12 * std::cos(a), 15 - 12 * std::sin(a)), along(-std::sin(a), -std::cos(a));
    FillGlyph(p, ArrowHead(end + along * 3.5, along, 7, 4.5));
    QPainterPath play;
    play.moveTo(12, 9.5);
    play.lineTo(21, 15);
    play.lineTo(12, 20.5);
    play.closeSubpath();
    FillGlyph(p, play);
}

Picture Icon(const char *name, const char *caption, std::function<void(QPainter &)> draw)
{
    Picture pic;
    pic.name = QString::fromLatin1(name);
    pic.size = QSize(30, 30);
    pic.draw = std::move(draw);
    pic.caption = QString::fromLatin1(caption);
    return pic;
}

} // namespace

QList<Picture> TileIcons()
{
    return {
        Icon("MT_PEN", "Pen", [](QPainter &p) { DrawPen(p, false); }),
        Icon("MT_MARKER", "Marker", [](QPainter &p) { DrawMarker(p, false); }),
        Icon("MT_RBPEN", "Pen", [](QPainter &p) { DrawPen(p, true); }),
        Icon("MT_RBMARKER", "Marker", [](QPainter &p) { DrawMarker(p, true); }),
        Icon("MT_ARROWS", "Arrow", [](QPainter &p) { DrawArrow(p, false); }),
        Icon("MT_ARROWD", "Arrow Both", [](QPainter &p) { DrawArrow(p, true); }),
        Icon("MT_FUPEN", "Brush", DrawFuPen),
        Icon("MT_FUMARKER", "Pen Order", DrawFuMarker),
        Icon("MT_ERASER", "Eraser", DrawEraser),
        Icon("MT_MOVE", "Move", DrawMove),
        Icon("MT_ERASEALL", "Erase All", DrawEraseAll),
        Icon("MT_OPEN", "Open ...", DrawOpen),
        Icon("MT_SAVE", "Save", DrawSave),
        Icon("MT_UNDO", "Undo", [](QPainter &p) { DrawUndo(p, false); }),
        Icon("MT_REDO", "Redo", [](QPainter &p) { DrawUndo(p, true); }),
        Icon("MT_ZOOM0", "Zoom+", [](QPainter &p) { DrawZoom(p, true); }),
        Icon("MT_ZOOM1", "Zoom-", [](QPainter &p) { DrawZoom(p, false); }),
        Icon("MT_WBRD", "W-Board", DrawWBrd),
        Icon("MT_NEXT", "Next", [](QPainter &p) { DrawNext(p, false); }),
        Icon("MT_PREV", "Prev", [](QPainter &p) { DrawNext(p, true); }),
        Icon("MT_CENTER", "Center", DrawCenter),
        Icon("MT_LAUNCH", "Menu ...", DrawLaunch),
        Icon("MT_MVIEW", "Multi View", DrawMView),
        Icon("MT_TURNR", "Turn Right", [](QPainter &p) { DrawTurn(p, false); }),
        Icon("MT_TURNL", "Turn Left", [](QPainter &p) { DrawTurn(p, true); }),
        Icon("MT_LASSO", "Lasso", DrawLasso),
        Icon("MT_INFO", "Info", DrawInfo),
        Icon("MT_SETUP", "Setup ...", DrawSetup),
        Icon("MT_PENSETUP", "Pen Setup", DrawPenSetup),
        Icon("MT_CLOSE", "Close", DrawClose),
        Icon("MT_DESKTOP", "Desktop", DrawDesktop),
        Icon("MT_OK", "OK", DrawOk),
        Icon("MT_EXPORT", "Export ...", DrawExport),
        Icon("MT_PRINT", "Print ...", DrawPrint),
        Icon("MT_REPLAY", "Replay", DrawReplay),
    };
}

} // namespace artwork
