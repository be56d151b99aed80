// Stylus and touch input: a stylus draws like the mouse with its pressure
// and erases with its eraser end; one finger draws like the mouse, two
// fingers zoom and pan; a palm is not a finger.
#include "board/PWImage.h"

#include <QCoreApplication>
#include <QTabletEvent>
#include <QTouchEvent>
#include <cmath>

namespace {
double Distance(const QPointF &a, const QPointF &b) { return std::hypot(b.x() - a.x(), b.y() - a.y()); }
} // namespace

// ---- stylus ----------------------------------------------------------------------

void TPWImage::tabletEvent(QTabletEvent *e)
{
    // Accepted, Qt makes no mouse event of it as well.
    e->accept();
    const QPointF p = e->position();
    const QPointingDevice *device = e->pointingDevice();
    const bool pressure = device && device->capabilities().testFlag(QInputDevice::Capability::Pressure);
    m_inputLevel = m_pressureOn && pressure ? Single(e->pressure()) : Single(-1);
    switch (e->type()) {
    case QEvent::TabletPress:
        m_stylusNear = m_stylusDown = true;
        if (m_replay) { // the press stops the replay, and only that
            ReplayStop();
            break;
        }
        if (m_touchMode == 1) {
            // The hand resting on the screen began that stroke, not a finger.
            StrokeWithdraw();
            m_touchMode = 3;
        }
        if (isDown != 0)
            break;
        if (e->pointerType() == QPointingDevice::PointerType::Eraser && FCrPen.PenType != pwEr) {
            LassoUpdate();
            m_penBeforeEraser = FCrPen;
            m_erasing = true;
            FCrPen = m_eraserPen;
            CursorSet(FCrPen);
            ViewCursorUpdate();
        }
        m_outside = false;
        if (!m_curImage->isVisible())
            PWMouseEnter();
        PWMouseMove(Single(p.x()), Single(p.y()));
        PWMouseDown(Single(p.x()), Single(p.y()));
        break;
    case QEvent::TabletMove: PointerMove(p, e->buttons() != Qt::NoButton); break;
    case QEvent::TabletRelease:
        if (isDown != 0 || m_outside)
            PointerRelease(p);
        StylusLifted();
        break;
    default: break;
    }
    m_inputLevel = -1;
}

void TPWImage::StylusLifted()
{
    m_stylusDown = false;
    if (!m_erasing)
        return;
    m_erasing = false;
    FCrPen = m_penBeforeEraser;
    CursorSet(FCrPen);
    ViewCursorUpdate();
}

bool TPWImage::eventFilter(QObject *watched, QEvent *e)
{
    // Proximity goes to the application, not to a widget.
    switch (e->type()) {
    case QEvent::TabletEnterProximity:
        m_stylusNear = true;
        if (m_touchMode == 1) {
            StrokeWithdraw();
            m_touchMode = 3;
        }
        break;
    case QEvent::TabletLeaveProximity:
        m_stylusNear = false;
        if (m_stylusDown && isDown == 0)
            StylusLifted();
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, e);
}

// ---- touch -----------------------------------------------------------------------

bool TPWImage::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        // Accepted even when ignored: else Qt would draw with its mouse events.
        TouchEvent(static_cast<QTouchEvent *>(e));
        return true;
    default: return QWidget::event(e);
    }
}

void TPWImage::TouchEvent(QTouchEvent *e)
{
    e->accept();
    if (e->type() == QEvent::TouchBegin) {
        m_touchMode = 0;
        m_palms.clear();
        if (m_replay) { // the touch stops the replay, and only that
            ReplayStop();
            m_touchMode = 3;
        }
    }
    if (e->type() == QEvent::TouchCancel) {
        if (m_touchMode == 1)
            StrokeWithdraw();
        m_touchMode = 0;
        m_palms.clear();
        return;
    }
    QList<const QEventPoint *> fingers;
    const QEventPoint *drawing = TouchFingers(e, fingers);
    TouchStep(fingers, drawing);
    if (e->type() == QEvent::TouchEnd) {
        if (m_touchMode == 1 && drawing)
            PointerRelease(drawing->position());
        m_touchMode = 0;
        m_touchId = -1;
        m_palms.clear();
    }
}

const QEventPoint *TPWImage::TouchFingers(const QTouchEvent *e, QList<const QEventPoint *> &fingers)
{
    // The fingers on the board: not a palm, and not landed while a stylus was near.
    const QEventPoint *drawing = nullptr;
    for (const QEventPoint &point : e->points()) {
        const bool known = m_palms.contains(point.id());
        if (!known
            && (IsPalmContact(point.ellipseDiameters()) || (point.state() == QEventPoint::Pressed && StylusNear())))
            m_palms.append(point.id());
        if (m_palms.contains(point.id()))
            continue;
        if (point.id() == m_touchId)
            drawing = &point;
        if (point.state() != QEventPoint::Released)
            fingers.append(&point);
    }
    return drawing;
}

void TPWImage::TouchStep(const QList<const QEventPoint *> &fingers, const QEventPoint *drawing)
{
    switch (m_touchMode) {
    case 0:
        if (fingers.size() == 1 && isDown == 0) {
            const QPointF p = fingers[0]->position();
            m_touchId = fingers[0]->id();
            m_touchClock.start();
            m_touchMode = 1;
            m_outside = false;
            if (!m_curImage->isVisible())
                PWMouseEnter();
            PWMouseMove(Single(p.x()), Single(p.y()));
            PWMouseDown(Single(p.x()), Single(p.y()));
        } else if (fingers.size() >= 2) {
            GestureBegin(fingers[0]->position(), fingers[1]->position());
            m_touchMode = 2;
        } else if (isDown != 0) {
            m_touchMode = 3; // the mouse or a stylus draws
        }
        break;
    case 1:
        if (!drawing) {
            // The drawing finger turned out to be a palm.
            StrokeWithdraw();
            m_touchMode = 3;
        } else if (fingers.size() >= 2) {
            // A second finger soon after the first: it was a gesture all along.
            if (m_touchClock.elapsed() < GestureGraceMs)
                StrokeWithdraw();
            else
                PointerRelease(drawing->position());
            GestureBegin(fingers[0]->position(), fingers[1]->position());
            m_touchMode = 2;
        } else if (drawing->state() == QEventPoint::Released) {
            PointerRelease(drawing->position());
            m_touchMode = 3;
        } else {
            PointerMove(drawing->position(), true);
        }
        break;
    case 2:
        if (fingers.size() >= 2)
            GestureMove(fingers[0]->position(), fingers[1]->position());
        else
            m_touchMode = 3; // the last finger does not draw
        break;
    default: break;
    }
}

void TPWImage::GestureBegin(const QPointF &a, const QPointF &b)
{
    m_gestureZoom = FZoom;
    m_gestureDistance = Single(qMax(Distance(a, b), 1.0));
    const QPointF c = (a + b) / 2;
    m_gesturePoint = QPointF(c.x() / double(FZoom) - FZPos.x(), c.y() / double(FZoom) - FZPos.y());
}

void TPWImage::GestureMove(const QPointF &a, const QPointF &b)
{
    // A selection on the screen keeps the view, as the wheel does.
    if (m_selImage->isVisible())
        return;
    // The picture point that lay under the fingers' centre stays under it,
    // at the zoom their spread asks for, within the wheel's limits.
    const Single z = qBound(Single(0.1), Single(m_gestureZoom * Distance(a, b) / m_gestureDistance), Single(20));
    if (!std::isfinite(z))
        return;
    const QPointF c = (a + b) / 2;
    FZoom = z;
    FZPos = QPointF(Single(c.x() / double(z) - m_gesturePoint.x()), Single(c.y() / double(z) - m_gesturePoint.y()));
    PWImageBitmapUpdate();
}
