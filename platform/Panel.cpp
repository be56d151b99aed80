#include "platform/Panel.h"

#include <QMouseEvent>
#include <QPainter>

Panel::Panel(QWidget *parent, TAlphaColor fill) : QWidget(parent), m_fill(fill)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

void Panel::SetFill(TAlphaColor fill)
{
    m_fill = fill;
    update();
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (qAlpha(m_fill) != 0)
        p.fillRect(rect(), QColor::fromRgba(m_fill));
    if (OnPaint)
        OnPaint(this, p, rect());
}

void Panel::resizeEvent(QResizeEvent *)
{
    if (OnResize)
        OnResize(this);
}

void Panel::mouseReleaseEvent(QMouseEvent *e)
{
    if (OnClick && rect().contains(e->position().toPoint()))
        OnClick(this);
}
