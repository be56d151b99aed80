// The live preview: the stroke being drawn, on the screen image, while the
// pointer moves; the document draws it for good when the pointer lifts.
#include "board/PWImage.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
// Widths beyond this come only from edited settings files.
constexpr Single MaxThickness = 10000;

QRect GrownRect(const QRectF &bounds, double margin)
{
    return bounds.adjusted(-margin, -margin, margin, margin).toAlignedRect();
}

QPen SegmentPen(TAlphaColor color, double w, TStrokeDash dash) { return StrokePen(color, w, dash, true); }
} // namespace

QPainter &TPWImage::Trail(QImage &on)
{
    if (m_trail.isActive() && m_trail.device() == &on)
        return m_trail;
    TrailEnd();
    m_trail.begin(&on);
    PreparePainter(m_trail);
    return m_trail;
}

QRectF TPWImage::PreviewRect() const
{
    // The stroke's bounds grow with each point: only the points added since
    // the last call are looked at, so a long stroke costs no more per move.
    const int n = GrPathData.Count();
    if (m_prvBoundsCount > n || m_prvBoundsCount == 0) {
        m_prvBoundsCount = 0;
        m_prvLo = m_prvHi = n > 0 ? GrPathData.at(0).pt : QPointF();
    }
    for (; m_prvBoundsCount < n; ++m_prvBoundsCount) {
        const QPointF &p = GrPathData.at(m_prvBoundsCount).pt;
        m_prvLo = QPointF(std::min(m_prvLo.x(), p.x()), std::min(m_prvLo.y(), p.y()));
        m_prvHi = QPointF(std::max(m_prvHi.x(), p.x()), std::max(m_prvHi.y(), p.y()));
    }
    QRectF b = n > 0 ? QRectF(m_prvLo, m_prvHi) : QRectF();
    const double g = double(RoundEven(m_strokeWidth * FZoom));
    b.adjust(-g, -g, g, g);
    const double l = qMax(b.left(), 0.0), t = qMax(b.top(), 0.0);
    const QRect screen = ScreenRect();
    const double r = qMin(b.right(), double(screen.width())), bo = qMin(b.bottom(), double(screen.height()));
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
    case pwArMk1: PreviewPath(MKOpacity()); break;
    case pwEr: PreviewPath(0.5f); break;
    case pwRbPn: PreviewPath(1); break;
    case pwRbMk: PreviewPath(MKOpacity()); break;
    case pwFuPn: PreviewBrush(1, false); break;
    case pwFuMk: PreviewBrush(MKOpacity(), true); break;
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
    const bool pressed = m_pressure.size() == GrPathData.Count();
    // An opaque trail blended at full opacity over the picture is the picture
    // with the segments drawn on it: those go straight onto the screen image.
    const bool direct = opacity >= 1;
    QRect area;
    {
        QPainter &p = Trail(direct ? m_bitmap : m_prvBitmap);
        const double g = double(RoundEven(w)) + 3;
        for (int i = qMax(m_prvDrawn, 1); i < GrPathData.Count(); ++i) {
            const QPointF a = GrPathData.at(i - 1).pt, b = GrPathData.at(i).pt;
            const Single t = pressed ? w * PressureScale(SegmentLevel(i)) : w;
            QPen pen = SegmentPen(rainbow ? RbColors[(i - 1) % 7] : color, t, dash);
            if (!rainbow && dash != sdSolid && t > 0)
                pen.setDashOffset(m_prvDashLength / t);
            p.setPen(pen);
            if (t > 0)
                DrawLineOrDot(p, a, b);
            m_prvDashLength += std::hypot(b.x() - a.x(), b.y() - a.y());
            area |= GrownRect(QRectF(a, b).normalized(), g);
        }
        m_prvDrawn = GrPathData.Count();
    }
    area &= ScreenRect();
    if (area.isEmpty())
        return;
    if (!direct) {
        QPainter p(&m_bitmap);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QRectF(area), BUpBitmap, ScreenPixels(area));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        DrawBitmap(p, m_prvBitmap, ScreenPixels(area), area, opacity, rainbow ? false : true);
    }
    m_prvArea |= area;
    ScreenRepaint(area);
}

void TPWImage::PreviewBrush(Single opacity, bool numbered)
{
    const TAlphaColor color = numbered ? OrderColor(FCrPen.PenColor) : FCrPen.PenColor;
    const int n = GrPathData.Count();
    const Single t = n >= 2 && m_pressure.size() == n ? FZoom * PressureBrushWidth(m_strokeWidth, SegmentLevel(n - 1))
                                                      : FZoom * BrushWidth(m_strokeWidth, P0 / FZoom, P1 / FZoom);
    const QRect area = GrownRect(QRectF(P0, P1).normalized(), double(t) + 3) & ScreenRect();
    if (area.isEmpty() || !(t > 0))
        return;
    TrailEnd();
    {
        QPainter p(&m_bitmap);
        PreparePainter(p);
        p.setOpacity(opacity);
        p.setPen(SegmentPen(color, qMin(t, MaxThickness), FCrPen.PenDash));
        DrawLineOrDot(p, P0, P1);
    }
    m_prvArea |= area;
    ScreenRepaint(area);
}

void TPWImage::PreviewLasso()
{
    const QRect area = GrownRect(QRectF(P0, P1).normalized(), 4) & ScreenRect();
    if (area.isEmpty())
        return;
    {
        // Black dashes over a white line, so the loop shows on light and
        // dark pictures alike; the dashes run on from segment to segment.
        TrailEnd();
        QPainter p(&m_bitmap);
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
    ScreenRepaint(area);
}
