// Pointer input: strokes captured in picture and control coordinates, the
// hand tool, the wheel zoom, the menu square and the lasso drag.
#include "board/PWImage.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

namespace {
bool SamePoint(const QPointF &a, const QPointF &b)
{
    // Point comparison with single-precision tolerance.
    return std::abs(a.x() - b.x()) < 1e-4 && std::abs(a.y() - b.y()) < 1e-4;
}

bool RectContains(const QRectF &r, const QPointF &p)
{
    return r.left() <= p.x() && p.x() < r.right() && r.top() <= p.y() && p.y() < r.bottom();
}

// Kinds that would be replayed as edit or turn records: such a pen draws and records nothing.
bool IsInertPen(TPWPenType t) { return t == pwEdit || t == pwTurnR || t == pwTurnL; }
} // namespace

void TPWImage::PWMouseDown(Single X, Single Y)
{
    const QPointF pt(X, Y);
    if (OnPWMenu && X > width() - FMenuBtnWidth && Y < FMenuBtnWidth) {
        isDown = 2;
        return;
    }
    if (FCrPen.PenType == pwLasso && RectContains(m_selRF, pt)) {
        CursorLoad(QStringLiteral("CR_HAND1"));
        ViewCursorUpdate();
        isDown = 3;
        SelGrXY0 = SelGrXY1 = pt;
        SelPosition = m_selImage->pos();
        return;
    }
    isDown = 1;
    isPainting = false;
    P0 = pt;
    if (FCrPen.PenType == pwMove) {
        DZPos = FZPos;
        m_curImage->Bitmap.fill(0);
        CursorLoad(QStringLiteral("CR_HAND1"));
        ViewCursorUpdate();
        return;
    }
    BUpBitmap = m_bitmap.copy();
    CrPathData.Clear();
    GrPathData.Clear();
    CrPathData.MoveTo(ScreenToPicture(pt));
    GrPathData.MoveTo(pt);
    m_pressure.clear();
    if (m_inputLevel >= 0 && IsDrawingPen(FCrPen.PenType) && FCrPen.PenType != pwEr)
        m_pressure.push_back(PressureLevel(m_inputLevel));
    m_lastPress = 1024;
    // With widths as seen on the screen the stroke is as wide on the screen
    // as its pen at the zoom of this moment; its record keeps that width in
    // picture pixels, so replays at any zoom draw the same.
    m_strokeWidth = FCrPen.PenThickness;
    if (m_screenPenWidth && IsDrawingPen(FCrPen.PenType) && FZoom > 0 && std::isfinite(FZoom))
        m_strokeWidth = Single(FCrPen.PenThickness / FZoom);
    m_fuCountsAtDown = m_doc.FuCounts();
    if (FCrPen.PenType == pwFuMk)
        FCrPen.PenColor = TAlphaColor(m_doc.FuCountNext(Single(ScreenToPicture(pt).x())));
    // Start of the live preview.
    TrailEnd();
    if (m_prvBitmap.size() != m_bitmap.size() || m_prvBitmap.devicePixelRatio() != m_bitmap.devicePixelRatio()) {
        m_prvBitmap = NewBitmap(m_bitmap.width(), m_bitmap.height());
        m_prvBitmap.setDevicePixelRatio(m_bitmap.devicePixelRatio());
    } else {
        m_prvBitmap.fill(0);
    }
    m_prvDrawn = 1;
    m_prvBoundsCount = 0;
    m_prvDashLength = 0;
    m_prvArea = QRect();
}

void TPWImage::PWMouseMove(Single X, Single Y)
{
    const QPointF pt(X, Y);
    if (isDown == 3) {
        m_curImage->move(int(RoundEven(X - 12)), int(RoundEven(Y - 24)));
        SelGrXY1 = pt;
        const QPointF np = SelPosition + (SelGrXY1 - SelGrXY0);
        m_selImage->move(int(RoundEven(np.x())), int(RoundEven(np.y())));
        return;
    }
    if (FCrPen.PenType == pwLasso) {
        if (RectContains(m_selRF, pt)) {
            if (m_cursorName != QLatin1String("CR_HAND0")) {
                CursorLoad(QStringLiteral("CR_HAND0"));
                ViewCursorUpdate();
            }
            m_curImage->move(int(RoundEven(X - 12)), int(RoundEven(Y - 24)));
        } else {
            if (m_cursorName != QLatin1String("CR_LASSO")) {
                CursorLoad(QStringLiteral("CR_LASSO"));
                ViewCursorUpdate();
            }
            m_curImage->move(int(RoundEven(X - 1)), int(RoundEven(Y - 2)));
        }
    } else {
        const QPointF c = pt + m_curOffset;
        m_curImage->move(int(RoundEven(c.x())), int(RoundEven(c.y())));
    }
    if (isDown != 1)
        return;
    P1 = pt;
    if (SamePoint(P1, P0))
        return;
    if (FCrPen.PenType == pwMove) {
        // P0 stays where the drag began.
        FZPos = DZPos + (P1 - P0) / FZoom;
        if (!isPainting) {
            isPainting = true;
            PWImageBitmapUpdate();
            isPainting = false;
        }
        return;
    }
    CrPathData.LineTo(ScreenToPicture(pt));
    GrPathData.LineTo(pt);
    PressureAdd();
    if (!isPainting) {
        isPainting = true;
        PreviewUpdate();
        isPainting = false;
    }
    P0 = P1;
}

void TPWImage::PWMouseUp(Single X, Single Y)
{
    const QPointF pt(X, Y);
    if (isDown == 2) {
        isDown = 0;
        if (OnPWMenu && X > width() - FMenuBtnWidth && Y < FMenuBtnWidth)
            OnPWMenu(this);
        return;
    }
    if (isDown == 1) {
        P1 = pt;
        if (FCrPen.PenType != pwMove && CrPathData.Count() == 1) {
            // A click without movement records a two-point stroke: a dot.
            CrPathData.LineTo(ScreenToPicture(pt));
            GrPathData.LineTo(pt);
            PressureAdd();
        }
        StrokeEnd();
    }
    if (isDown == 3) {
        SelMoveEnd();
        CursorLoad(QStringLiteral("CR_HAND0"));
        ViewCursorUpdate();
    }
    isDown = 0;
}

void TPWImage::PWMouseLeave()
{
    m_curImage->hide();
    if (isDown == 1)
        StrokeEnd();
    if (isDown == 3)
        SelMoveEnd();
    isDown = 0;
}

void TPWImage::PWMouseEnter() { m_curImage->show(); }

void TPWImage::PWMouseWheel(int wheelDelta)
{
    if (!m_curImage->isVisible())
        return;
    Single z;
    if (wheelDelta > 0)
        z = qMin(FZoom * Single(1.2), Single(20));
    else
        z = qMax(FZoom / Single(1.2), Single(0.1));
    // About the top-left of the cursor's own picture, also when a footprint ring surrounds it.
    ZoomSet(z, Single(m_curImage->x() + m_cursorShift.x()), Single(m_curImage->y() + m_cursorShift.y()));
}

void TPWImage::PressureAdd()
{
    // A stroke that began without pressure stays without it.
    if (!m_pressure.isEmpty())
        m_pressure.push_back(m_inputLevel >= 0 ? PressureLevel(m_inputLevel) : m_pressure.constLast());
}

void TPWImage::StrokeWithdraw()
{
    if (isDown == 2) { // the menu square does not open
        isDown = 0;
        return;
    }
    if (isDown == 3) {
        // The selection goes back to where the drag began, nothing moved.
        m_selImage->move(int(RoundEven(SelPosition.x())), int(RoundEven(SelPosition.y())));
        isDown = 0;
        CursorLoad(QStringLiteral("CR_HAND0"));
        ViewCursorUpdate();
        return;
    }
    if (isDown != 1)
        return;
    isDown = 0;
    if (FCrPen.PenType == pwMove) {
        // The pan so far is undone with the stroke it turned out not to be.
        FZPos = DZPos;
        StrokeEnd();
        PWImageBitmapUpdate();
        return;
    }
    // The stroke was only ever on the screen: its preview goes, and a
    // pen-order number it took is given back.
    if (FCrPen.PenType == pwFuMk)
        m_doc.SetFuCounts(m_fuCountsAtDown);
    CrPathData.Clear();
    GrPathData.Clear();
    m_pressure.clear();
    ScreenUpdateControlRect(m_prvArea);
    m_prvArea = QRect();
}

void TPWImage::StrokeEnd()
{
    switch (FCrPen.PenType) {
    case pwMove:
        m_curImage->Bitmap.fill(0);
        CursorLoad(QStringLiteral("CR_HAND0"));
        ViewCursorUpdate();
        return;
    case pwLasso: LassoEnd(); return;
    default: break;
    }
    if (IsInertPen(FCrPen.PenType) || CrPathData.Count() < 1) {
        ScreenUpdateControlRect(m_prvArea);
        return;
    }
    TPWMenuItem pen = FCrPen;
    pen.PenThickness = m_strokeWidth;
    const TBoardChange change = m_doc.AddStroke(pen, CrPathData, m_style, m_fuCountsAtDown,
                                                m_pressure.size() == CrPathData.Count() ? m_pressure : TPressure());
    // The preview's trail and the new stroke are the only parts of the screen that change.
    ScreenUpdateControlRect(m_prvArea);
    ScreenUpdateRect(change.area);
    emit HistoryChanged();
}

// ---- Qt events -----------------------------------------------------------------

void TPWImage::mousePressEvent(QMouseEvent *e)
{
    if (isDown != 0 && e->buttons() != e->button())
        return; // another button while one is down changes nothing
    if (m_replay) { // the press stops the replay, and only that
        ReplayStop();
        return;
    }
    m_outside = false;
    const QPointF p = e->position();
    PWMouseDown(Single(p.x()), Single(p.y()));
}

void TPWImage::mouseMoveEvent(QMouseEvent *e) { PointerMove(e->position(), e->buttons() != Qt::NoButton); }

void TPWImage::PointerMove(const QPointF &p, bool pressed)
{
    const bool inside = rect().contains(p.toPoint());
    if (pressed && !inside) {
        // Qt keeps a pressed pointer captured; leaving the board ends the stroke there.
        if (!m_outside) {
            m_outside = true;
            PWMouseLeave();
        }
        return;
    }
    // Over the board the system pointer is blank, so the cursor picture must
    // show wherever the pointer is, also when Qt sent no enter: after a
    // press that came back from outside, or after a dialog took the pointer.
    if (inside && !m_curImage->isVisible())
        PWMouseEnter();
    // Back over the board with the button still down after leaving, the
    // stroke has ended (isDown is 0) and only the cursor follows.
    PWMouseMove(Single(p.x()), Single(p.y()));
}

void TPWImage::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->buttons() != Qt::NoButton)
        return; // the stroke ends when the last button is released
    PointerRelease(e->position());
}

void TPWImage::PointerRelease(const QPointF &p)
{
    if (m_outside) {
        m_outside = false;
        isDown = 0;
        // Released over the board after leaving it: Qt sends no enter, the
        // pointer simply is here again.
        if (rect().contains(p.toPoint())) {
            PWMouseEnter();
            PWMouseMove(Single(p.x()), Single(p.y()));
        }
        return;
    }
    PWMouseUp(Single(p.x()), Single(p.y()));
}

void TPWImage::enterEvent(QEnterEvent *)
{
    m_outside = false;
    PWMouseEnter();
}

void TPWImage::leaveEvent(QEvent *)
{
    if (m_outside)
        return;
    PWMouseLeave();
}

void TPWImage::wheelEvent(QWheelEvent *e)
{
    // Touchpads send small steps; one zoom step per notch of 120.
    m_wheelRest += e->angleDelta().y();
    while (m_wheelRest >= 120) {
        m_wheelRest -= 120;
        PWMouseWheel(120);
    }
    while (m_wheelRest <= -120) {
        m_wheelRest += 120;
        PWMouseWheel(-120);
    }
    e->ignore();
}
