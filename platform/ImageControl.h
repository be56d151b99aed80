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

    // Makes the control a picture its parent draws: it is never put on the
    // screen itself, and placed tells the parent which of its rectangles
    // changed (where the picture was, where it is now; empty when hidden).
    // Moving a child widget of its own costs far more than repainting two
    // small rectangles of the parent.
    void SetDrawnByParent(std::function<void(const QRect &was, const QRect &now)> placed);

    // false lets pointer events pass through to the control below.
    void SetHitTest(bool on);
    // Takes the size of the bitmap, in logical pixels.
    void FitToBitmap();

protected:
    void paintEvent(QPaintEvent *) override;
    void moveEvent(QMoveEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *) override;
    void hideEvent(QHideEvent *) override;

private:
    std::function<void(const QRect &, const QRect &)> m_placed;
};
