// Pen samples and the board's tool cursor: a picture of a pen, marker,
// eraser, hand or lasso that follows the pointer, tinted with the ink colour.
#include "board/PWImage.h"

#include <QPainter>
#include <cmath>

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
    if (!name.isEmpty()) {
        CursorLoad(name);
        if (band)
            CursorColorMark(pen.PenColor);
        ViewCursorUpdate();
        CurOffset = offset;
    }
    CurImage->FitToBitmap();
    CurImage->update();
}
