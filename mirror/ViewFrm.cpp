#include "ViewFrm.h"

#include "platform/Bitmap.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <cmath>

TViewFrm *ViewFrm = nullptr;

namespace {
constexpr Qt::WindowFlags BorderlessFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
constexpr Qt::WindowFlags BorderFlags = Qt::Window | Qt::WindowDoesNotAcceptFocus;
} // namespace

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

void TViewFrm::ShowMaximize(const QWidget *mainWindow)
{
    if (isVisible()) {
        hide();
        return;
    }
    if (!IsDualMonitor())
        return;
    RT = ViewRectGet(mainWindow);
    if (RT.width() != 0) {
        setGeometry(RT);
        show();
    }
}

void TViewFrm::ShowPicture(const QImage &picture, const QRectF &dest, bool opaque)
{
    if (!isVisible())
        return;
    // Made at the mirror's own screen density, which may not be the board's.
    QImage &img = Image->Bitmap;
    const qreal dpr = Image->devicePixelRatioF();
    const QSize device(int(std::ceil(Image->width() * dpr - 1e-6)), int(std::ceil(Image->height() * dpr - 1e-6)));
    if (img.size() != device || img.devicePixelRatio() != dpr) {
        img = NewBitmap(device.width(), device.height());
        img.setDevicePixelRatio(dpr);
    }
    BitmapClear(img, 0xFF000000);
    {
        QPainter p(&img);
        const QRectF source(0, 0, picture.width(), picture.height());
        // Transparent parts show over white, as on the board.
        if (!opaque)
            p.fillRect(dest, Qt::white);
        // Magnified pictures show their pixels; shrunk ones are sampled smoothly.
        DrawBitmap(p, picture, source, dest, 1.0, dest.width() * dpr >= source.width());
    }
    Image->update();
}

void TViewFrm::ShowCursor(const QImage &cursor)
{
    if (!isVisible())
        return;
    CurImage->Bitmap = cursor.copy();
    CurImage->FitToBitmap();
    CurImage->update();
}

void TViewFrm::MoveCursor(const QPoint &position)
{
    if (isVisible())
        CurImage->move(position);
}

void TViewFrm::resizeEvent(QResizeEvent *) { FormResize(); }

void TViewFrm::FormResize()
{
    Image->setGeometry(0, 0, width(), height());
    Image->Bitmap = QImage(width(), height(), QImage::Format_ARGB32_Premultiplied);
    Image->Bitmap.fill(0);
    if (OnViewResize)
        OnViewResize(this);
    setWindowTitle(QStringLiteral("%1 x %2").arg(width()).arg(height()));
}

void TViewFrm::mouseReleaseEvent(QMouseEvent *) { FormMouseUp(); }

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

bool IsDualMonitor() { return QGuiApplication::screens().size() == 2; }

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

QRect ViewRectGet(qsizetype own, const QList<QRect> &workAreas)
{
    QRect r(0, 0, 0, 0);
    for (qsizetype i = 0; i < workAreas.size(); ++i)
        if (i != own)
            r = workAreas[i];
    return r;
}

// The screen is the window's, not one found from its corner: a maximised
// window's corner lies on its work area's edge, or outside it behind the
// frame, and would count for no screen or for the wrong one.
QRect ViewRectGet(const QWidget *mainWindow)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    const QScreen *own = mainWindow ? mainWindow->screen() : nullptr;
    QList<QRect> areas;
    for (QScreen *s : screens)
        areas << s->availableGeometry();
    return ViewRectGet(screens.indexOf(own), areas);
}

void ViewFrmShowMaximize(const QWidget *mainWindow)
{
    if (ViewFrm)
        ViewFrm->ShowMaximize(mainWindow);
}
