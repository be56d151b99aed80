// ImageControl: a child widget that shows its bitmap 1:1 at its top-left
// corner, or lets its owner paint it. Used for the board's cursor picture and
// selection, and the mirror window's picture.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class ImageControl : public QWidget
{
    Q_OBJECT
public:
    explicit ImageControl(QWidget *parent = nullptr);

    QImage Bitmap;
    // When set, paints the control instead of the bitmap.
    std::function<void(QPainter &, const QRect &)> OnPaint;

    // false lets pointer events pass through to the control below.
    void SetHitTest(bool on);
    // Takes the size of the bitmap, in logical pixels.
    void FitToBitmap();

protected:
    void paintEvent(QPaintEvent *) override;
};
