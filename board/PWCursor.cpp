// Pen samples and the board's tool cursor: a picture of a pen, marker,
// eraser, hand or lasso that follows the pointer, tinted with the ink colour.
#include "board/PWImage.h"

#include <QPainter>
#include <cmath>

void TPWImage::CursorLoad(const QString &name)
{
    m_curImage->Bitmap = ResourceImage(name, devicePixelRatioF());
    m_cursorName = name;
    m_curImage->FitToBitmap();
    CursorRepaint();
}

void TPWImage::CursorRepaint()
{
    ScreenRepaint(m_curImage->geometry());
    if (m_selImage->isVisible())
        m_selImage->update(m_curImage->geometry().translated(-m_selImage->pos()));
}

void TPWImage::CursorColorMark(TAlphaColor color)
{
    if (m_curImage->Bitmap.isNull())
        return;
    QPainter p(&m_curImage->Bitmap);
    PreparePainter(p);
    p.setPen(StrokePen(color, 5.5, sdSolid, true));
    p.drawLine(QPointF(7.5, 14.5), QPointF(12.5, 24.5));
}

void TPWImage::CursorSet(const TPWMenuItem &pen)
{
    m_curImage->Bitmap.fill(0);
    m_cursorName.clear();
    QString name;
    QPointF offset;
    bool band = false;
    switch (pen.PenType) {
    case pwPn:
    case pwArPn0:
    case pwArPn1:
    case pwFuPn:
        name = QStringLiteral("CR_PEN");
        band = true;
        break;
    case pwMk:
    case pwArMk0:
    case pwArMk1:
    case pwFuMk:
        name = QStringLiteral("CR_MARKER");
        band = true;
        break;
    case pwRbPn: name = QStringLiteral("CR_RBPEN"); break;
    case pwRbMk: name = QStringLiteral("CR_RBMARKER"); break;
    case pwEr:
        name = QStringLiteral("CR_ERASER");
        offset = QPointF(-16, 0);
        break;
    case pwMove:
        name = QStringLiteral("CR_HAND0");
        offset = QPointF(-12, -24);
        break;
    case pwLasso:
        name = QStringLiteral("CR_LASSO");
        offset = QPointF(-1, -2);
        break;
    default: break;
    }
    m_cursorFootprint = m_screenPenWidth && IsDrawingPen(pen.PenType);
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
        m_curOffset = offset;
    }
    m_curImage->FitToBitmap();
    CursorRepaint();
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
    const QImage pen = m_curImage->Bitmap;
    const QPointF tip = -offset;
    const double r = d / 2;
    const QRectF ring(tip.x() - r, tip.y() - r, d, d);
    const QRect all = (QRectF(QPointF(0, 0), pen.deviceIndependentSize()) | ring.adjusted(-2, -2, 2, 2)).toAlignedRect();
    const qreal dpr = pen.devicePixelRatio();
    QImage img = NewBitmap(int(std::ceil(all.width() * dpr)), int(std::ceil(all.height() * dpr)));
    img.setDevicePixelRatio(dpr);
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
    m_curImage->Bitmap = img;
    return offset + QPointF(all.topLeft());
}

void TPWImage::SetScreenPenWidth(bool on)
{
    if (on == m_screenPenWidth)
        return;
    m_screenPenWidth = on;
    if (isDown == 0)
        CursorSet(FCrPen);
}
