#include "ImageControl.h"

#include <QPainter>

ImageControl::ImageControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void ImageControl::SetHitTest(bool on) { setAttribute(Qt::WA_TransparentForMouseEvents, !on); }

void ImageControl::FitToBitmap() { resize(Bitmap.width(), Bitmap.height()); }

void ImageControl::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    if (OnPaint) {
        OnPaint(p, rect());
        return;
    }
    if (!Bitmap.isNull())
        p.drawImage(QPoint(0, 0), Bitmap);
}
