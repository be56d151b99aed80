// Pen samples and the board's tool cursor: a picture of a pen, marker,
// eraser, hand or lasso that follows the pointer, tinted with the ink colour.
#include "board/PWImage.h"

#include "settings/Settings.h"

#include <QPainter>
#include <cmath>

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

void TPWImage::CursorLoad(const QString &name)
{
    CurImage->Bitmap = ResourceImage(name);
    m_cursorName = name;
    CurImage->FitToBitmap();
    CurImage->update();
}

void TPWImage::CursorColorMark(TAlphaColor color)
{
    if (CurImage->Bitmap.isNull())
        return;
    QPainter p(&CurImage->Bitmap);
    PreparePainter(p);
    p.setPen(StrokePen(color, 5.5, sdSolid, true));
    p.drawLine(QPointF(7.5, 14.5), QPointF(12.5, 24.5));
}

void TPWImage::CursorSet(const TPWMenuItem &pen)
{
    CurImage->Bitmap.fill(0);
    m_cursorName.clear();
    QString name;
    QPointF offset;
    bool band = false;
    switch (pen.PenType) {
    case pwPn:
    case pwArPn0:
    case pwArPn1:
    case pwFuPn: name = QStringLiteral("CR_PEN"); band = true; break;
    case pwMk:
    case pwArMk0:
    case pwArMk1:
    case pwFuMk: name = QStringLiteral("CR_MARKER"); band = true; break;
    case pwRbPn: name = QStringLiteral("CR_RBPEN"); break;
    case pwRbMk: name = QStringLiteral("CR_RBMARKER"); break;
    case pwEr: name = QStringLiteral("CR_ERASER"); offset = QPointF(-16, 0); break;
    case pwMove: name = QStringLiteral("CR_HAND0"); offset = QPointF(-12, -24); break;
    case pwLasso: name = QStringLiteral("CR_LASSO"); offset = QPointF(-1, -2); break;
    default: break;
    }
    m_cursorFootprint = Settings().isScreenPenWidth && IsDrawingPen(pen.PenType);
    m_cursorShift = QPointF();
    if (!name.isEmpty()) {
        CursorLoad(name);
        if (band)
            CursorColorMark(pen.PenColor);
        if (m_cursorFootprint) {
            const QPointF grown = CursorFootprint(pen.PenThickness, offset);
            m_cursorShift = offset - grown;
            offset = grown;
        }
        ViewCursorUpdate();
        CurOffset = offset;
    }
    CurImage->FitToBitmap();
    CurImage->update();
}

QPointF TPWImage::CursorFootprint(Single width, const QPointF &offset)
{
    // With widths as seen on the screen a pen draws as wide as it says
    // whatever the zoom: a ring of that width around the tip shows where
    // and how wide it will draw. Thin pens need none; huge ones (an edited
    // settings file) are shown at a size a cursor can have.
    const double d = qMin(double(width), 200.0);
    if (!(d >= 6))
        return offset;
    const QImage pen = CurImage->Bitmap;
    const QPointF tip = -offset;
    const double r = d / 2;
    const QRectF ring(tip.x() - r, tip.y() - r, d, d);
    const QRect all = (QRectF(pen.rect()) | ring.adjusted(-2, -2, 2, 2)).toAlignedRect();
    QImage img = NewBitmap(all.width(), all.height());
    {
        QPainter p(&img);
        PreparePainter(p);
        p.translate(-all.topLeft());
        p.setBrush(Qt::NoBrush);
        // White under black: the ring shows on any picture.
        p.setPen(StrokePen(0xFFFFFFFF, 3, sdSolid, true));
        p.drawEllipse(ring);
        p.setPen(StrokePen(0xFF000000, 1, sdSolid, true));
        p.drawEllipse(ring);
        p.drawImage(QPointF(0, 0), pen);
    }
    CurImage->Bitmap = img;
    return offset + QPointF(all.topLeft());
}
