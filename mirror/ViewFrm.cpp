#include "ViewFrm.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

TViewFrm *ViewFrm = nullptr;

namespace {
constexpr Qt::WindowFlags BorderlessFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
constexpr Qt::WindowFlags BorderFlags = Qt::Window | Qt::WindowDoesNotAcceptFocus;
}

TViewFrm::TViewFrm() : QWidget(nullptr, BorderlessFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    resize(600, 528);
    Image = new ImageControl(this);
    Image->SetHitTest(false);
    Image->setGeometry(0, 0, 600, 528);
    CurImage = new ImageControl(Image);
    CurImage->SetHitTest(false);
    CurImage->setGeometry(132, 100, 50, 50);
    OnViewResize = nullptr;
    setWindowTitle(QStringLiteral("600 x 528"));
}

void TViewFrm::ShowMaximize(const QPoint &mainPosition)
{
    if (isVisible()) {
        hide();
        return;
    }
    if (!IsDualMonitor())
        return;
    RT = ViewRectGet(mainPosition);
    if (RT.width() != 0) {
        setGeometry(RT);
        show();
    }
}

void TViewFrm::resizeEvent(QResizeEvent *)
{
    FormResize();
}

void TViewFrm::FormResize()
{
    Image->setGeometry(0, 0, width(), height());
    Image->Bitmap = QImage(width(), height(), QImage::Format_ARGB32_Premultiplied);
    Image->Bitmap.fill(0);
    if (OnViewResize)
        OnViewResize(this);
    setWindowTitle(QStringLiteral("%1 x %2").arg(width()).arg(height()));
}

void TViewFrm::mouseReleaseEvent(QMouseEvent *)
{
    FormMouseUp();
}

void TViewFrm::FormMouseUp()
{
    if (!HasBorder()) {
        setWindowFlags(BorderFlags);
        resize(640, 320);
        show();
    } else {
        setWindowFlags(BorderlessFlags);
        setGeometry(RT);
        show();
    }
}

bool IsDualMonitor()
{
    return QGuiApplication::screens().size() == 2;
}

void CreateViewFrm()
{
    if (!ViewFrm && IsDualMonitor())
        ViewFrm = new TViewFrm();
}

void FreeViewFrm()
{
    delete ViewFrm;
    ViewFrm = nullptr;
}

QRect ViewRectGet(const QPoint &p, const QList<QRect> &workAreas)
{
    QRect r(0, 0, 0, 0);
    for (const QRect &w : workAreas) {
        // Work areas are half-open: right = left + width.
        const int left = w.x(), top = w.y(), right = w.x() + w.width(), bottom = w.y() + w.height();
        const bool inside = left < p.x() && p.x() < right && top < p.y() && p.y() < bottom;
        if (!inside)
            r = w;
    }
    return r;
}

QRect ViewRectGet(const QPoint &p)
{
    QList<QRect> areas;
    for (QScreen *s : QGuiApplication::screens())
        areas << s->availableGeometry();
    return ViewRectGet(p, areas);
}

void ViewFrmShowMaximize(const QPoint &mainPosition)
{
    if (ViewFrm)
        ViewFrm->ShowMaximize(mainPosition);
}
