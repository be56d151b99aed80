#include "PathData.h"

#include <QPainter>
#include <algorithm>

void DrawLineOrDot(QPainter &painter, const QPointF &a, const QPointF &b)
{
    painter.drawLine(a, a == b ? DotEnd(b) : b);
}

QRectF TPathData::GetBounds() const
{
    if (m_points.isEmpty())
        return QRectF();
    double l = m_points[0].pt.x(), r = l, t = m_points[0].pt.y(), b = t;
    for (const Point &p : m_points) {
        l = std::min(l, p.pt.x());
        r = std::max(r, p.pt.x());
        t = std::min(t, p.pt.y());
        b = std::max(b, p.pt.y());
    }
    return QRectF(QPointF(l, t), QPointF(r, b));
}

void TPathData::Translate(double dx, double dy)
{
    for (Point &p : m_points)
        p.pt += QPointF(dx, dy);
}

QPainterPath TPathData::toPainterPath() const
{
    QPainterPath path;
    path.reserve(int(m_points.size()));
    QPointF start;
    bool degenerate = true; // the figure so far is a single point
    for (const Point &p : m_points) {
        if (p.kind == Move || path.elementCount() == 0) {
            path.moveTo(p.pt);
            start = p.pt;
            degenerate = true;
        } else if (p.pt != start || !degenerate) {
            path.lineTo(p.pt);
            degenerate = false;
        } else {
            // Qt's stroker drops zero-length figures; a click must still leave
            // a dot, so the figure gets a length too small to see.
            path.lineTo(DotEnd(p.pt));
            degenerate = false;
        }
    }
    return path;
}
