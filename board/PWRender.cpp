// Stroke rendering: one history record into a layer.
#include "board/PWRender.h"

#include "platform/Bitmap.h"

#include <QPainter>
#include <cmath>
#include <vector>

namespace {
// Widths beyond this come only from edited settings files; the stroker
// would spend its time on shapes far larger than any picture.
constexpr Single MaxThickness = 10000;

QRect GrownRect(const QRectF &bounds, double margin)
{
    return bounds.adjusted(-margin, -margin, margin, margin).toAlignedRect();
}

QPen SegmentPen(TAlphaColor color, double w, TStrokeDash dash) { return StrokePen(color, w, dash, true); }

// Starts drawing a stroke on the scratch layer: only R is used, and it starts as fill.
// The scratch layer gets the pen layer's size when a stroke first needs it;
// its content is never read outside the area filled here.
void BeginScratch(QPainter &p, QImage &scratch, const QSize &size, const QRect &R, const QColor &fill)
{
    if (scratch.size() != size || scratch.format() != BitmapFormat)
        scratch = QImage(size, BitmapFormat);
    p.begin(&scratch);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(R, fill);
    PreparePainter(p); // back to SourceOver
}
// Undoes a stroke's drawing on the scratch layer's mask: where the mask is
// dark the pen layer loses its ink.
void ApplyEraserMask(QImage &layer, const QImage &mask, const QRect &R)
{
    // Outside R the mask is white and keeps every byte.
    for (int y = R.top(); y <= R.bottom(); ++y) {
        const quint32 *m0 = reinterpret_cast<const quint32 *>(mask.constScanLine(y));
        quint32 *pen = reinterpret_cast<quint32 *>(layer.scanLine(y));
        for (int x = R.left(); x <= R.right(); ++x) {
            const quint32 m = (m0[x] >> 16) & 0xFF;
            if (m == 0xFF)
                continue;
            quint32 v = pen[x] & (m | (m << 8) | (m << 16) | (m << 24));
            // The masked bytes must stay a valid premultiplied colour (no
            // channel above alpha), or blending them would overflow.
            const quint32 a = v >> 24;
            quint32 r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
            if (r > a || g > a || b > a) {
                r = qMin(r, a);
                g = qMin(g, a);
                b = qMin(b, a);
                v = (a << 24) | (r << 16) | (g << 8) | b;
            }
            pen[x] = v;
        }
    }
}

// One record being drawn: where, in what style, and the area it may touch.
// levels: the pressure at each point of the path as drawn (arrow heads
// included), 0..1; empty for a stroke without pressure.
struct Job {
    QImage &layer;
    QImage &scratch;
    const TRenderStyle &style;
    QRect R;
    std::vector<Single> levels;

    // The pressure of the segment ending at point i.
    Single Level(int i) const { return (levels[size_t(i - 1)] + levels[size_t(i)]) / 2; }
    void Pen(const TPWMenuItem &menu, const TPathData &path, Single opacity) const;
    void PressurePen(const TPWMenuItem &menu, const TPathData &path, Single opacity) const;
    void Rainbow(const TPWMenuItem &menu, const TPathData &path, Single opacity) const;
    void Brush(const TPWMenuItem &menu, const TPathData &path, Single opacity, bool numbered) const;
    void Eraser(const TPWMenuItem &menu, const TPathData &path) const;
};

void Job::Pen(const TPWMenuItem &menu, const TPathData &path, Single opacity) const
{
    const Single w = StrokeThickness(menu);
    if (w <= 0 || path.Count() < 2)
        return;
    if (!levels.empty()) {
        PressurePen(menu, path, opacity);
        return;
    }
    QPainter p(&layer);
    PreparePainter(p);
    p.setPen(SegmentPen(menu.PenColor, w, menu.PenDash));
    p.setBrush(Qt::NoBrush);
    p.setOpacity(opacity);
    // One path: its own overlaps blend once.
    p.drawPath(path.toPainterPath());
}

void Job::PressurePen(const TPWMenuItem &menu, const TPathData &path, Single opacity) const
{
    // Segment by segment, each as wide as its pressure, drawn opaque on the
    // scratch layer so that overlaps blend once when it is composited.
    const Single w = StrokeThickness(menu);
    if (R.isEmpty())
        return;
    {
        QPainter p;
        BeginScratch(p, scratch, layer.size(), R, Qt::transparent);
        double length = 0;
        for (int i = 1; i < path.Count(); ++i) {
            if (path.at(i).kind == TPathData::Move)
                continue;
            const QPointF a = path.at(i - 1).pt, b = path.at(i).pt;
            const double t = double(w * PressureScale(Level(i)));
            QPen pen = SegmentPen(menu.PenColor, t, menu.PenDash);
            if (menu.PenDash != sdSolid)
                pen.setDashOffset(length / t);
            p.setPen(pen);
            DrawLineOrDot(p, a, b);
            length += std::hypot(b.x() - a.x(), b.y() - a.y());
        }
    }
    QPainter p(&layer);
    DrawBitmap(p, scratch, R, R, opacity, false);
}

void Job::Rainbow(const TPWMenuItem &menu, const TPathData &path, Single opacity) const
{
    const Single w = StrokeThickness(menu);
    if (R.isEmpty() || w <= 0 || path.Count() < 2)
        return;
    {
        QPainter p;
        BeginScratch(p, scratch, layer.size(), R, Qt::transparent);
        for (int i = 0; i + 1 < path.Count(); ++i) {
            const Single t = levels.empty() ? w : w * PressureScale(Level(i + 1));
            p.setPen(SegmentPen(RbColors[i % 7], t, menu.PenDash));
            DrawLineOrDot(p, path.at(i).pt, path.at(i + 1).pt);
        }
    }
    // Only R of the scratch layer holds anything; the rest would blend as nothing.
    QPainter p(&layer);
    DrawBitmap(p, scratch, R, R, opacity, false);
}

void Job::Brush(const TPWMenuItem &menu, const TPathData &path, Single opacity, bool numbered) const
{
    const Single w = StrokeThickness(menu);
    if (R.isEmpty() || path.Count() < 1)
        return;
    const TAlphaColor color = numbered ? OrderColor(menu.PenColor) : menu.PenColor;
    {
        QPainter p;
        BeginScratch(p, scratch, layer.size(), R, Qt::transparent);
        Single press = 1024;
        for (int i = 0; i + 1 < path.Count(); ++i) {
            const Single t = levels.empty() ? BrushWidth(w, path.at(i).pt, path.at(i + 1).pt, press)
                                            : PressureBrushWidth(w, Level(i + 1));
            if (t <= 0)
                continue;
            p.setPen(SegmentPen(color, t, menu.PenDash));
            DrawLineOrDot(p, path.at(i).pt, path.at(i + 1).pt);
        }
        if (numbered)
            DrawOrderMark(p, path.at(0).pt, w, int(qint32(menu.PenColor)), style.NumberFont);
    }
    QPainter p(&layer);
    DrawBitmap(p, scratch, R, R, opacity, false);
}

void Job::Eraser(const TPWMenuItem &menu, const TPathData &path) const
{
    const Single w = StrokeThickness(menu);
    if (R.isEmpty() || w <= 0 || path.Count() < 2)
        return;
    {
        QPainter p;
        BeginScratch(p, scratch, layer.size(), R, QColor(255, 255, 255, 255));
        p.setPen(StrokePen(0xFF000000, w, sdSolid, true));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path.toPainterPath());
    }
    ApplyEraserMask(layer, scratch, R);
}
} // namespace

Single StrokeThickness(const TPWMenuItem &menu)
{
    const Single w = menu.PenThickness;
    if (!(w > 0))
        return 0;
    return qMin(w, MaxThickness);
}

TAlphaColor OrderColor(TAlphaColor number)
{
    const qint64 n = qint64(qint32(number));
    return RbColors[int(((n - 1) % 7 + 7) % 7)];
}

Single BrushWidth(Single w, const QPointF &a, const QPointF &b, Single &press)
{
    const Single d = Single(std::hypot(b.x() - a.x(), b.y() - a.y()));
    Single target;
    if (d < 10)
        target = 1024;
    else
        target = qMin(Single(200 + 824 * (1 - (d - 10) / 5)), Single(1024));
    // A slow stroke keeps its width: the pressure only moves towards a different target.
    if (target > press)
        press += 30;
    else if (target < press)
        press -= 30;
    press = qBound(Single(10), press, Single(1024));
    return press / 1024 * w;
}

Single PressureScale(Single level) { return Single(0.2) + Single(0.8) * qBound(Single(0), level, Single(1)); }

Single PressureBrushWidth(Single w, Single level)
{
    // The same range as the speed-sensitive brush: from 10/1024 of the width to all of it.
    return qBound(Single(10) / 1024, level, Single(1)) * w;
}

// ---- geometry helpers ----------------------------------------------------------

void PathSmooth(TPathData &path)
{
    const int n = path.Count();
    if (n <= 2)
        return;
    TPathData q = path;
    path.Clear();
    path.reserve(n);
    path.MoveTo(q.at(0).pt);
    for (int i = 1; i <= n - 2; ++i) {
        const QPointF &a = q.at(i - 1).pt, &b = q.at(i + 1).pt;
        path.LineTo(QPointF(Single((Single(a.x()) + Single(b.x())) / 2), Single((Single(a.y()) + Single(b.y())) / 2)));
    }
    path.LineTo(q.at(n - 1).pt);
}

Single PointAngle(const QPointF &a, const QPointF &b)
{
    const Single dx = Single(b.x() - a.x());
    const Single dy = Single(a.y() - b.y()); // y measured upwards
    const Single pi = Single(M_PI);
    if (dx == 0)
        return dy > 0 ? pi / 2 : 3 * pi / 2;
    if (dx > 0) {
        Single r = std::atan(dy / dx);
        if (dy < 0)
            r += 2 * pi;
        return r;
    }
    return std::atan(dy / dx) + pi;
}

void ArrowHeadPoints(const QPointF &tip, const QPointF &ref, Single w, Single s, QPointF &A, QPointF &B)
{
    const Single d = PointAngle(tip, ref);
    const Single L = w * s;
    const Single a6 = Single(M_PI / 6);
    A = QPointF(tip.x() + double(RoundEven(L * std::cos(d + a6))), tip.y() - double(RoundEven(L * std::sin(d + a6))));
    B = QPointF(tip.x() + double(RoundEven(L * std::cos(d - a6))), tip.y() - double(RoundEven(L * std::sin(d - a6))));
}

void PathArrowEnd(TPathData &path, Single w, Single s)
{
    const int n = path.Count();
    if (n < 1)
        return;
    const QPointF tip = path.at(n - 1).pt;
    const QPointF ref = path.at(qMax(n - 11, 0)).pt;
    QPointF A, B;
    ArrowHeadPoints(tip, ref, w, s, A, B);
    path.LineTo(A);
    path.MoveTo(tip);
    path.LineTo(B);
}

void PathArrowStart(TPathData &path, Single w, Single s)
{
    const int n = path.Count();
    if (n < 1)
        return;
    const QPointF tip = path.at(0).pt;
    const QPointF ref = n > 10 ? path.at(10).pt : path.at(n - 1).pt;
    QPointF A, B;
    ArrowHeadPoints(tip, ref, w, s, A, B);
    path.MoveTo(tip);
    path.LineTo(A);
    path.MoveTo(tip);
    path.LineTo(B);
}

void DrawOrderMark(QPainter &canvas, const QPointF &c, Single w, int n, const QString &fontFamily)
{
    const Single r = qMax(w / 2, Single(8));
    const QRectF R(c.x() - r, c.y() - r, 2 * r, 2 * r);
    canvas.save();
    canvas.setOpacity(1);
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.setPen(StrokePen(0xFF000000, 3, sdSolid, true));
    canvas.setBrush(QColor(Qt::white));
    canvas.drawEllipse(R);
    QFont font(fontFamily);
    font.setBold(true);
    SetFontPixelSize(font, r * 2 / 1.4, canvas.device());
    canvas.setFont(font);
    canvas.setPen(QColor(Qt::black));
    canvas.drawText(R, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, QString::number(n));
    canvas.restore();
}

// ---- records -------------------------------------------------------------------

QRect RecordBounds(const TPWMenuItem &menu, const TPathData &path, const QRect &layer, const TRenderOptions &options)
{
    const TPWPenType k = menu.PenType;
    // The erase-all command's record has no points; it clears the whole layer all the same.
    if (k == pwEraseAll)
        return layer;
    if (path.Count() < 1)
        return QRect();
    if (!IsDrawingPen(k))
        return QRect();
    if (options.WholeLayer)
        return layer;
    const Single w = StrokeThickness(menu);
    double margin = w / 2 + 3; // half the width, and anti-aliasing
    if (k >= pwArPn0 && k <= pwArMk1)
        margin += double(w) * double(options.ArrowSize) + 2; // barbs end on whole pixels
    if (k == pwFuMk)
        margin = qMax(margin, double(qMax(w / 2, Single(8))) + 4); // the number's circle
    return GrownRect(path.GetBounds(), margin) & layer;
}

QRect RenderRecord(QImage &layer, QImage &scratch, const TPWMenuItem &menu, TPathData &path, const TRenderStyle &style,
                   const TRenderOptions &options, const TPressure &pressure)
{
    const QRect R = RecordBounds(menu, path, QRect(0, 0, layer.width(), layer.height()), options);
    const TPWPenType k = menu.PenType;
    if (style.Smoothing && k != pwEr)
        PathSmooth(path); // keeps the number of points: each keeps its pressure
    Job job{layer, scratch, style, R, {}};
    const int n = path.Count();
    const bool pressed = k != pwEr && n > 0 && pressure.size() == n;
    if (pressed) {
        job.levels.reserve(size_t(n) + 7);
        for (quint16 level : pressure)
            job.levels.push_back(Single(level) / PressureFull);
    }
    const Single mk = options.MarkerOpacity;
    const Single arrow = options.ArrowSize;
    switch (k) {
    case pwPn: job.Pen(menu, path, 1); break;
    case pwMk: job.Pen(menu, path, mk); break;
    case pwEr: job.Eraser(menu, path); break;
    case pwRbPn: job.Rainbow(menu, path, 1); break;
    case pwRbMk: job.Rainbow(menu, path, mk); break;
    case pwArPn0:
    case pwArMk0:
        PathArrowEnd(path, menu.PenThickness, arrow);
        // The barbs are as wide as the line where they start.
        if (pressed)
            job.levels.resize(size_t(path.Count()), job.levels[size_t(n - 1)]);
        job.Pen(menu, path, k == pwArPn0 ? 1 : mk);
        break;
    case pwArPn1:
    case pwArMk1:
        PathArrowEnd(path, menu.PenThickness, arrow);
        if (pressed)
            job.levels.resize(size_t(path.Count()), job.levels[size_t(n - 1)]);
        PathArrowStart(path, menu.PenThickness, arrow);
        if (pressed)
            job.levels.resize(size_t(path.Count()), job.levels[0]);
        job.Pen(menu, path, k == pwArPn1 ? 1 : mk);
        break;
    case pwFuPn: job.Brush(menu, path, 1, false); break;
    case pwFuMk: job.Brush(menu, path, mk, true); break;
    case pwEraseAll: BitmapClear(layer, 0x00FFFFFF); break;
    default: break;
    }
    return R;
}
