// The drawing vocabulary shared by the icons, cursors and pictures: glyph pens,
// knock-outs, tapered strokes, arrow heads, the pencil and marker shapes.
#include "Artwork.h"

#include <QtMath>

namespace artwork {

const QRgb Rainbow[7] = {0xFFFF00FF, 0xFFFF0000, 0xFFFF6600, 0xFFFFFF00, 0xFF00FF00, 0xFF0000FF, 0xFF6666CC};

QPen GlyphPen(double width)
{
    QPen pen(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

void SetGlyph(QPainter &p, double width)
{
    p.setPen(GlyphPen(width));
    p.setBrush(Qt::NoBrush);
}

void FillGlyph(QPainter &p, const QPainterPath &path) { p.fillPath(path, Qt::white); }

void Knockout(QPainter &p, const QPainterPath &shape, double margin)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillPath(shape, Qt::black);
    if (margin > 0)
        p.strokePath(shape, QPen(Qt::black, 2 * margin, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.restore();
}

void KnockoutStroke(QPainter &p, const QPainterPath &centre, double width)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.strokePath(centre, QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.restore();
}

QPainterPath TaperedStroke(const QPainterPath &centre, double w0, double w1, int samples)
{
    return TaperedStroke(
        centre, [w0, w1](double t) { return w0 + (w1 - w0) * t; }, samples);
}

QPainterPath TaperedStroke(const QPainterPath &centre, const std::function<double(double)> &width, int samples)
{
    struct Sample {
        QPointF c, d, n;
        double w;
    };
    QList<Sample> at;
    const double step = 1.0 / samples;
    for (int i = 0; i <= samples; ++i) {
        const double t = i * step;
        const QPointF a = centre.pointAtPercent(qMax(0.0, t - step / 2));
        const QPointF b = centre.pointAtPercent(qMin(1.0, t + step / 2));
        QPointF d = b - a;
        const double len = std::hypot(d.x(), d.y());
        if (len <= 0)
            continue;
        d /= len;
        at.append({centre.pointAtPercent(t), d, QPointF(-d.y(), d.x()), width(t) / 2});
    }
    QPainterPath path;
    if (at.isEmpty())
        return path;
    // One outline: along the left side, round the end, back along the right
    // side and round the start, so the shape has no seams where parts meet.
    constexpr int capSteps = 10;
    path.moveTo(at.first().c + at.first().n * at.first().w);
    for (const Sample &s : at)
        path.lineTo(s.c + s.n * s.w);
    const Sample &e = at.last();
    for (int k = 1; k < capSteps; ++k) {
        const double a = M_PI * k / capSteps;
        path.lineTo(e.c + (e.n * std::cos(a) + e.d * std::sin(a)) * e.w);
    }
    for (auto it = at.crbegin(); it != at.crend(); ++it)
        path.lineTo(it->c - it->n * it->w);
    const Sample &f = at.first();
    for (int k = 1; k < capSteps; ++k) {
        const double a = M_PI * k / capSteps;
        path.lineTo(f.c - (f.n * std::cos(a) + f.d * std::sin(a)) * f.w);
    }
    path.closeSubpath();
    return path;
}

QPainterPath ArrowHead(QPointF tip, QPointF dir, double length, double halfWidth)
{
    const double len = std::hypot(dir.x(), dir.y());
    const QPointF d = len > 0 ? dir / len : QPointF(1, 0);
    const QPointF n(-d.y(), d.x());
    const QPointF base = tip - d * length;
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(base + n * halfWidth);
    // A slightly hollow back makes the head read as a head, not a triangle stamp.
    path.lineTo(base + d * (length * 0.18));
    path.lineTo(base - n * halfWidth);
    path.closeSubpath();
    return path;
}

QTransform AxisTransform(QPointF tip, QPointF end)
{
    QTransform t;
    t.translate(tip.x(), tip.y());
    t.rotateRadians(std::atan2(end.y() - tip.y(), end.x() - tip.x()));
    return t;
}

static double Distance(QPointF a, QPointF b) { return std::hypot(b.x() - a.x(), b.y() - a.y()); }

void RainbowBand(QPainter &p, const QRectF &r)
{
    p.save();
    const double radius = r.height() / 2;
    QPainterPath rim;
    rim.addRoundedRect(r, radius, radius);
    p.fillPath(rim, Qt::white);
    const QRectF in = r.adjusted(1, 1, -1, -1);
    QPainterPath inner;
    inner.addRoundedRect(in, in.height() / 2, in.height() / 2);
    p.setClipPath(inner);
    const double w = in.width() / 7;
    for (int i = 0; i < 7; ++i)
        p.fillRect(QRectF(in.left() + w * i, in.top(), w + (i < 6 ? 0.5 : 0), in.height()),
                   QColor::fromRgba(Rainbow[i]));
    p.restore();
}

QPainterPath PencilOutline(QPointF tip, QPointF end, double h)
{
    const double L = Distance(tip, end);
    const double c = h * 1.8; // sharpened cone
    const double r = h * 0.7; // rounded back end
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(c, -h);
    path.lineTo(L - r, -h);
    path.cubicTo(L, -h, L, -h, L, 0);
    path.cubicTo(L, h, L, h, L - r, h);
    path.lineTo(c, h);
    path.closeSubpath();
    return AxisTransform(tip, end).map(path);
}

void PencilGlyph(QPainter &p, QPointF tip, QPointF end, double h)
{
    const double L = Distance(tip, end);
    const double c = h * 1.8;
    const QTransform t = AxisTransform(tip, end);
    SetGlyph(p);
    p.drawPath(PencilOutline(tip, end, h));
    QPainterPath lines;
    lines.moveTo(c, -h);
    lines.lineTo(c, h);
    lines.moveTo(L - h * 1.6, -h);
    lines.lineTo(L - h * 1.6, h);
    p.drawPath(t.map(lines));
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(c * 0.45, -h * 0.45);
    lead.lineTo(c * 0.45, h * 0.45);
    lead.closeSubpath();
    p.setPen(GlyphPen(1.0));
    p.setBrush(Qt::white);
    p.drawPath(t.map(lead));
    p.setBrush(Qt::NoBrush);
}

void MarkerGlyph(QPainter &p, QPointF tip, QPointF end, double h)
{
    const double L = Distance(tip, end);
    const QTransform t = AxisTransform(tip, end);
    QPainterPath nib; // chisel tip: the slanted face is the writing edge
    nib.moveTo(0, -1.6);
    nib.lineTo(4.5, -2.6);
    nib.lineTo(4.5, 2.6);
    nib.lineTo(2.6, 2.6);
    nib.closeSubpath();
    p.setPen(GlyphPen(1.0));
    p.setBrush(Qt::white);
    p.drawPath(t.map(nib));
    const double collar = 6.0, barrel = 10.0, r = h * 0.5;
    QPainterPath body;
    body.moveTo(collar, -3.2);
    body.lineTo(barrel, -h);
    body.lineTo(L - r, -h);
    body.cubicTo(L, -h, L, -h, L, -h + r);
    body.lineTo(L, h - r);
    body.cubicTo(L, h, L, h, L - r, h);
    body.lineTo(barrel, h);
    body.lineTo(collar, 3.2);
    body.closeSubpath();
    SetGlyph(p);
    p.drawPath(t.map(body));
    QPainterPath seam; // where the cap meets the barrel
    seam.moveTo(barrel + (L - barrel) * 0.38, -h);
    seam.lineTo(barrel + (L - barrel) * 0.38, h);
    p.drawPath(t.map(seam));
}

void PictureGlyph(QPainter &p, const QRectF &frame)
{
    SetGlyph(p);
    p.drawRoundedRect(frame, 1.5, 1.5);
    const double w = frame.width(), h = frame.height();
    const QPointF o = frame.topLeft();
    QPainterPath hills;
    hills.moveTo(o + QPointF(w * 0.0, h * 0.86));
    hills.lineTo(o + QPointF(w * 0.36, h * 0.42));
    hills.lineTo(o + QPointF(w * 0.6, h * 0.7));
    hills.lineTo(o + QPointF(w * 0.74, h * 0.55));
    hills.lineTo(o + QPointF(w * 1.0, h * 0.86));
    p.save();
    p.setClipRect(frame);
    p.drawPath(hills);
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(o + QPointF(w * 0.72, h * 0.28), w * 0.09, w * 0.09);
    p.setBrush(Qt::NoBrush);
}

QImage Render(const Picture &pic, double scale)
{
    QImage img(qRound(pic.size.width() * scale), qRound(pic.size.height() * scale),
               QImage::Format_ARGB32_Premultiplied);
    img.fill(pic.opaque ? Qt::black : Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.scale(scale, scale);
    pic.draw(p);
    p.end();
    return img;
}

const Picture *FindPicture(const QList<Picture> &list, const QString &name)
{
    for (const Picture &pic : list)
        if (pic.name == name)
            return &pic;
    return nullptr;
}

} // namespace artwork
