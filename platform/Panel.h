// Panel: a plain filled rectangle that reports its resizes, paints and clicks
// to its owner. The main window's panels and header are panels.
#pragma once

#include "platform/Types.h"

#include <QWidget>
#include <functional>

class Panel : public QWidget
{
    Q_OBJECT
public:
    explicit Panel(QWidget *parent = nullptr, TAlphaColor fill = 0);

    void SetFill(TAlphaColor fill);
    TAlphaColor Fill() const { return m_fill; }

    std::function<void(QObject *)> OnResize;
    std::function<void(QObject *, QPainter &, const QRect &)> OnPaint;
    std::function<void(QObject *)> OnClick;

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    TAlphaColor m_fill;
};
