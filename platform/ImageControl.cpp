#include "ImageControl.h"

#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>

#include <cmath>

ImageControl::ImageControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void ImageControl::SetHitTest(bool on) { setAttribute(Qt::WA_TransparentForMouseEvents, !on); }

void ImageControl::FitToBitmap()
{
    // A bitmap made for a high-density screen covers fewer logical pixels
    // than it has; a partly covered one at the edge still belongs to it.
    const qreal dpr = Bitmap.devicePixelRatio();
    resize(int(std::ceil(Bitmap.width() / dpr - 1e-6)), int(std::ceil(Bitmap.height() / dpr - 1e-6)));
}

void ImageControl::paintEvent(QPaintEvent *e)
{
    // Qt still paints a child kept off the screen; its parent has drawn the picture.
    if (m_placed)
        return;
    QPainter p(this);
    if (OnPaint) {
        OnPaint(p, rect());
        return;
    }
    if (!Bitmap.isNull())
        p.drawImage(QPoint(0, 0), Bitmap);
}

void ImageControl::SetDrawnByParent(std::function<void(const QRect &, const QRect &)> placed)
{
    setAttribute(Qt::WA_DontShowOnScreen, true);
    // Nor does Qt paint it: each move would otherwise cost a paint event
    // that draws nothing.
    setUpdatesEnabled(false);
    m_placed = std::move(placed);
}

void ImageControl::moveEvent(QMoveEvent *e)
{
    if (m_placed)
        m_placed(QRect(e->oldPos(), size()), geometry());
}

void ImageControl::resizeEvent(QResizeEvent *e)
{
    if (m_placed)
        m_placed(QRect(pos(), e->oldSize()), geometry());
}

void ImageControl::showEvent(QShowEvent *)
{
    if (m_placed)
        m_placed(QRect(), geometry());
}

void ImageControl::hideEvent(QHideEvent *)
{
    if (m_placed)
        m_placed(geometry(), QRect());
}
