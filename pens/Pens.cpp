#include "pens/Pens.h"

#include "platform/Bitmap.h"

#include <QPainter>
#include <cmath>

const std::array<TAlphaColor, 7> RbColors = {
    0xFFFF00FF, // magenta
    0xFFFF0000, // red
    0xFFFF6600, // orange
    0xFFFFFF00, // yellow
    0xFF00FF00, // green
    0xFF0000FF, // blue
    0xFF6666CC, // violet
};

void PWMenuItemDraw(const TPWMenuItem &pen, QPainter &canvas, const QRectF &R)
{
    canvas.save();
    canvas.setOpacity(1);
    canvas.fillRect(R, QColor::fromRgba(0xFFEEEEEE));
    const TPWPenType k = pen.PenType;
    if (!IsDrawingPen(k)) {
        canvas.restore();
        return;
    }
    canvas.setRenderHint(QPainter::Antialiasing, true);
    const double a = qMax(0.0, qMin(double(pen.PenThickness), R.height()));
    const double e = a / 2;
    const double y = R.top() + R.height() / 2;
    if (a > 0) {
        if (k == pwFuPn || k == pwFuMk) {
            const TAlphaColor color = k == pwFuPn ? pen.PenColor : RbColors[0];
            const double f = e * std::pow(0.9, 7);
            const double g = (R.right() - f - (R.left() + e)) / 7;
            for (int j = 0; j < 7; ++j) {
                canvas.setPen(StrokePen(color, a * std::pow(0.9, j), sdSolid, true));
                canvas.drawLine(QPointF(R.left() + e + g * j, y), QPointF(R.left() + e + g * (j + 1), y));
            }
        } else if (k == pwRbPn || k == pwRbMk) {
            const double g = (R.right() - e - (R.left() + e)) / 7;
            for (int i = 0; i < 7; ++i) {
                canvas.setPen(StrokePen(RbColors[i], a, pen.PenDash, true));
                canvas.drawLine(QPointF(R.left() + e + g * i, y), QPointF(R.left() + e + g * (i + 1), y));
            }
        } else {
            canvas.setPen(StrokePen(k == pwEr ? 0xFFFFFFFF : pen.PenColor, a, pen.PenDash, true));
            canvas.drawLine(QPointF(R.left() + e, y), QPointF(R.right() - e, y));
        }
    }
    canvas.restore();
}
