// Stroke rendering: one history record into the pen layer (DrawRec), and the
// live preview on the screen image while the pointer moves.
#include "board/PWImage.h"


#include <QPainter>
#include <cmath>

namespace {
// Widths beyond this come only from edited settings files; the stroker
// would spend its time on shapes far larger than any picture.
constexpr Single MaxThickness = 10000;

Single Thickness(const TPWMenuItem &m)
{
    const Single w = m.PenThickness;
    if (!(w > 0))
        return 0;
    return qMin(w, MaxThickness);
}

int OrderIndex(TAlphaColor number)
{
    const qint64 n = qint64(qint32(number));
    return int(((n - 1) % 7 + 7) % 7);
}

QRect ImageRect(const QImage &img)
{
    return QRect(0, 0, img.width(), img.height());
}

QRect GrownRect(const QRectF &bounds, double margin)
{
    return bounds.adjusted(-margin, -margin, margin, margin).toAlignedRect();
}

QPen SegmentPen(TAlphaColor color, double w, TStrokeDash dash)
{
    return StrokePen(color, w, dash, true);
}

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
} // namespace

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

// ---- DrawRec -------------------------------------------------------------------

QRect TPWImage::RecBounds(const TPWMenuItem &menu, const TPathData &path) const
{
    const QRect layer = ImageRect(FPnBitmap);
    const TPWPenType k = menu.PenType;
    // The erase-all command's record has no points; it clears the whole layer all the same.
    if (k == pwEraseAll)
        return layer;
    if (path.Count() < 1)
        return QRect();
    if (!IsDrawingPen(k))
        return QRect();
    if (m_straight)
        return layer;
    const Single w = Thickness(menu);
    double margin = w / 2 + 3; // half the width, and anti-aliasing
    if (k >= pwArPn0 && k <= pwArMk1)
        margin += double(w) * double(ArrowSize) + 2; // barbs end on whole pixels
    if (k == pwFuMk)
        margin = qMax(margin, double(qMax(w / 2, Single(8))) + 4); // the number's circle
    return GrownRect(path.GetBounds(), margin) & layer;
}

void TPWImage::DrawRec(const TPWMenuItem &menu, TPathData &path)
{
    DrawRec(menu, path, m_style);
}

void TPWImage::DrawRec(const TPWMenuItem &menu, TPathData &path, const TRenderStyle &style)
{
    m_drawStyle = style;
    m_dirty = RecBounds(menu, path);
    const TPWPenType k = menu.PenType;
    if (m_drawStyle.Smoothing && k != pwEr)
        PathSmooth(path);
    if (k == pwFuMk)
        FuCountRestore(menu, path);
    switch (k) {
    case pwPn: DrawPen(menu, path, 1); break;
    case pwMk: DrawPen(menu, path, FMkOpacity); break;
    case pwEr: DrawEraser(menu, path); break;
    case pwRbPn: DrawRainbow(menu, path, 1); break;
    case pwRbMk: DrawRainbow(menu, path, FMkOpacity); break;
    case pwArPn0:
        PathArrowEnd(path, menu.PenThickness, ArrowSize);
        DrawPen(menu, path, 1);
        break;
    case pwArPn1:
        PathArrowEnd(path, menu.PenThickness, ArrowSize);
        PathArrowStart(path, menu.PenThickness, ArrowSize);
        DrawPen(menu, path, 1);
        break;
    case pwArMk0:
        PathArrowEnd(path, menu.PenThickness, ArrowSize);
        DrawPen(menu, path, FMkOpacity);
        break;
    case pwArMk1:
        PathArrowEnd(path, menu.PenThickness, ArrowSize);
        PathArrowStart(path, menu.PenThickness, ArrowSize);
        DrawPen(menu, path, FMkOpacity);
        break;
    case pwFuPn: DrawBrush(menu, path, 1, false); break;
    case pwFuMk: DrawBrush(menu, path, FMkOpacity, true); break;
    case pwEraseAll: PenLayerClear(); break;
    default: break;
    }
}

void TPWImage::DrawPen(const TPWMenuItem &menu, const TPathData &path, Single opacity)
{
    const Single w = Thickness(menu);
    if (w <= 0 || path.Count() < 2)
        return;
    QPainter p(&FPnBitmap);
    PreparePainter(p);
    p.setPen(SegmentPen(menu.PenColor, w, menu.PenDash));
    p.setBrush(Qt::NoBrush);
    p.setOpacity(opacity);
    // One path: its own overlaps blend once.
    p.drawPath(path.toPainterPath());
}

void TPWImage::DrawRainbow(const TPWMenuItem &menu, const TPathData &path, Single opacity)
{
    const QRect R = m_dirty;
    const Single w = Thickness(menu);
    if (R.isEmpty() || w <= 0 || path.Count() < 2)
        return;
    {
        QPainter p;
        BeginScratch(p, DLnBitmap, FPnBitmap.size(), R, Qt::transparent);
        for (int i = 0; i + 1 < path.Count(); ++i) {
            p.setPen(SegmentPen(RbColors[i % 7], w, menu.PenDash));
            DrawLineOrDot(p, path.at(i).pt, path.at(i + 1).pt);
        }
    }
    // Only R of the scratch layer holds anything; the rest would blend as nothing.
    QPainter p(&FPnBitmap);
    DrawBitmap(p, DLnBitmap, R, R, opacity, false);
}

Single TPWImage::BrushWidth(Single w, const QPointF &a, const QPointF &b)
{
    const Single d = Single(std::hypot(b.x() - a.x(), b.y() - a.y()));
    Single target;
    if (d < 10)
        target = 1024;
    else
        target = qMin(Single(200 + 824 * (1 - (d - 10) / 5)), Single(1024));
    // A slow stroke keeps its width: the pressure only moves towards a different target.
    if (target > LastPress)
        LastPress += 30;
    else if (target < LastPress)
        LastPress -= 30;
    LastPress = qBound(Single(10), LastPress, Single(1024));
    return LastPress / 1024 * w;
}

void TPWImage::DrawBrush(const TPWMenuItem &menu, const TPathData &path, Single opacity, bool numbered)
{
    const QRect R = m_dirty;
    const Single w = Thickness(menu);
    if (R.isEmpty() || path.Count() < 1)
        return;
    const TAlphaColor color = numbered ? RbColors[OrderIndex(menu.PenColor)] : menu.PenColor;
    {
        QPainter p;
        BeginScratch(p, DLnBitmap, FPnBitmap.size(), R, Qt::transparent);
        LastPress = 1024;
        for (int i = 0; i + 1 < path.Count(); ++i) {
            const Single t = BrushWidth(w, path.at(i).pt, path.at(i + 1).pt);
            if (t <= 0)
                continue;
            p.setPen(SegmentPen(color, t, menu.PenDash));
            DrawLineOrDot(p, path.at(i).pt, path.at(i + 1).pt);
        }
        if (numbered)
            DrawOrderMark(p, path.at(0).pt, w, int(qint32(menu.PenColor)), m_drawStyle.NumberFont);
    }
    QPainter p(&FPnBitmap);
    DrawBitmap(p, DLnBitmap, R, R, opacity, false);
}

void TPWImage::DrawEraser(const TPWMenuItem &menu, const TPathData &path)
{
    const QRect R = m_dirty;
    const Single w = Thickness(menu);
    if (R.isEmpty() || w <= 0 || path.Count() < 2)
        return;
    {
        QPainter p;
        BeginScratch(p, DLnBitmap, FPnBitmap.size(), R, QColor(255, 255, 255, 255));
        p.setPen(StrokePen(0xFF000000, w, sdSolid, true));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path.toPainterPath());
    }
    // Outside R the mask is white and keeps every byte.
    for (int y = R.top(); y <= R.bottom(); ++y) {
        const quint32 *mask = reinterpret_cast<const quint32 *>(DLnBitmap.constScanLine(y));
        quint32 *pen = reinterpret_cast<quint32 *>(FPnBitmap.scanLine(y));
        for (int x = R.left(); x <= R.right(); ++x) {
            const quint32 m = (mask[x] >> 16) & 0xFF;
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

void TPWImage::PenLayerClear()
{
    // The display bitmap is composited afresh from the picture by every
    // caller of DrawRec; the reference replay must not touch it at all.
    BitmapClear(FPnBitmap, 0x00FFFFFF);
    FuCountsClear();
}

// ---- live preview ----------------------------------------------------------------

QRectF TPWImage::PreviewRect() const
{
    QRectF b = GrPathData.GetBounds();
    const double g = double(RoundEven(m_strokeWidth * FZoom));
    b.adjust(-g, -g, g, g);
    const double l = qMax(b.left(), 0.0), t = qMax(b.top(), 0.0);
    const double r = qMin(b.right(), double(Bitmap.width())), bo = qMin(b.bottom(), double(Bitmap.height()));
    return QRectF(QPointF(l, t), QPointF(r, bo));
}

void TPWImage::PreviewUpdate()
{
    switch (FCrPen.PenType) {
    case pwPn:
    case pwArPn0:
    case pwArPn1: PreviewPath(1); break;
    case pwMk:
    case pwArMk0:
    case pwArMk1: PreviewPath(FMkOpacity); break;
    case pwEr: PreviewEraser(); break;
    case pwRbPn: PreviewRainbow(1); break;
    case pwRbMk: PreviewRainbow(FMkOpacity); break;
    case pwFuPn: PreviewBrush(1, false); break;
    case pwFuMk: PreviewBrush(FMkOpacity, true); break;
    case pwLasso: PreviewLasso(); break;
    default: break;
    }
}

void TPWImage::PreviewPath(Single opacity)
{
    // Each move adds its newest segments to an opaque trail and blends only
    // the area they cover over the picture as it was: the same look as
    // restoring the stroke's rectangle and stroking the whole path again,
    // at a cost that does not grow with the stroke's length.
    const Single w = Single(m_strokeWidth * FZoom);
    const QRectF pr = PreviewRect();
    if (pr.left() == pr.right() || pr.top() == pr.bottom())
        return;
    const bool eraser = FCrPen.PenType == pwEr;
    const bool rainbow = FCrPen.PenType == pwRbPn || FCrPen.PenType == pwRbMk;
    const TAlphaColor color = eraser ? 0xFFFFFFFF : FCrPen.PenColor;
    const TStrokeDash dash = eraser ? sdSolid : FCrPen.PenDash;
    QRect area;
    {
        QPainter p(&m_prvBitmap);
        PreparePainter(p);
        const double g = double(RoundEven(w)) + 3;
        for (int i = qMax(m_prvDrawn, 1); i < GrPathData.Count(); ++i) {
            const QPointF a = GrPathData.at(i - 1).pt, b = GrPathData.at(i).pt;
            QPen pen = SegmentPen(rainbow ? RbColors[(i - 1) % 7] : color, w, dash);
            if (!rainbow && dash != sdSolid && w > 0)
                pen.setDashOffset(m_prvDashLength / w);
            p.setPen(pen);
            if (w > 0)
                DrawLineOrDot(p, a, b);
            m_prvDashLength += std::hypot(b.x() - a.x(), b.y() - a.y());
            area |= GrownRect(QRectF(a, b).normalized(), g);
        }
        m_prvDrawn = GrPathData.Count();
    }
    area &= ImageRect(Bitmap);
    if (area.isEmpty())
        return;
    {
        QPainter p(&Bitmap);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(area.topLeft(), BUpBitmap, area);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        DrawBitmap(p, m_prvBitmap, area, area, opacity, rainbow ? false : true);
    }
    m_prvArea |= area;
    update(area);
}

void TPWImage::PreviewEraser()
{
    PreviewPath(0.5f);
}

void TPWImage::PreviewRainbow(Single opacity)
{
    PreviewPath(opacity);
}

void TPWImage::PreviewBrush(Single opacity, bool numbered)
{
    const TAlphaColor color = numbered ? RbColors[OrderIndex(FCrPen.PenColor)] : FCrPen.PenColor;
    const Single t = FZoom * BrushWidth(m_strokeWidth, P0 / FZoom, P1 / FZoom);
    const QRect area = GrownRect(QRectF(P0, P1).normalized(), double(t) + 3) & ImageRect(Bitmap);
    if (area.isEmpty() || !(t > 0))
        return;
    {
        QPainter p(&Bitmap);
        PreparePainter(p);
        p.setOpacity(opacity);
        p.setPen(SegmentPen(color, qMin(t, MaxThickness), FCrPen.PenDash));
        DrawLineOrDot(p, P0, P1);
    }
    m_prvArea |= area;
    update(area);
}

void TPWImage::PreviewLasso()
{
    const QRect area = GrownRect(QRectF(P0, P1).normalized(), 4) & ImageRect(Bitmap);
    if (area.isEmpty())
        return;
    {
        // Black dashes over a white line, so the loop shows on light and
        // dark pictures alike; the dashes run on from segment to segment.
        QPainter p(&Bitmap);
        PreparePainter(p);
        p.setPen(StrokePen(0xFFFFFFFF, 2, sdSolid, true));
        DrawLineOrDot(p, P0, P1);
        QPen dashes(QColor(Qt::black), 2, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
        dashes.setDashPattern({3, 3});
        dashes.setDashOffset(std::fmod(m_prvDashLength / 2, 6.0));
        p.setPen(dashes);
        p.drawLine(P0, P1);
        m_prvDashLength += std::hypot(P1.x() - P0.x(), P1.y() - P0.y());
    }
    m_prvArea |= area;
    update(area);
}
