// TPathData: an ordered list of points, each a move (starts a figure) or a
// line point. Strokes are captured into it and rendered from it.
#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QVector>

// The far end of a line from p that is long enough for Qt's stroker to draw
// its round caps, and too short to see: a zero-length line becomes a dot.
inline QPointF DotEnd(const QPointF &p) { return p + QPointF(1.0 / 64, 0); }

// Draws a line; a zero-length line with round caps is a dot.
void DrawLineOrDot(class QPainter &painter, const QPointF &a, const QPointF &b);

class TPathData
{
public:
    enum Kind : quint8 { Move = 0, Line = 1 };
    struct Point {
        QPointF pt;
        Kind kind;
    };

    void Clear() { m_points.clear(); }
    void MoveTo(const QPointF &p) { m_points.push_back({p, Move}); }
    void LineTo(const QPointF &p) { m_points.push_back({p, Line}); }

    int Count() const { return int(m_points.size()); }
    bool IsEmpty() const { return m_points.isEmpty(); }
    const Point &at(int i) const { return m_points[i]; }
    Point &at(int i) { return m_points[i]; }
    const QVector<Point> &Points() const { return m_points; }
    void reserve(int n) { m_points.reserve(n); }

    QRectF GetBounds() const;
    void Translate(double dx, double dy);
    QPainterPath toPainterPath() const;

private:
    QVector<Point> m_points;
};
