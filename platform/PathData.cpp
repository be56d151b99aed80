#include "PathData.h"

#include <algorithm>

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
    for (const Point &p : m_points) {
        if (p.kind == Move)
            path.moveTo(p.pt);
        else if (path.elementCount() == 0)
            path.moveTo(p.pt); // a path that starts with a line point starts there
        else
            path.lineTo(p.pt);
    }
    return path;
}
