// The mirror window: on a system with exactly two screens it repeats the
// board's picture and cursor on the screen the main window is not on.
#pragma once

#include "platform/ImageControl.h"

#include <QList>
#include <QRect>
#include <QWidget>
#include <functional>

class TViewFrm : public QWidget
{
    Q_OBJECT
public:
    TViewFrm();

    ImageControl *Image = nullptr;
    ImageControl *CurImage = nullptr;
    QRect RT; // work area of the last borderless placement
    std::function<void(QObject *)> OnViewResize;

    // Shows the window on the work area of the screen the main window is
    // not on, or hides it when shown.
    void ShowMaximize(const QWidget *mainWindow);
    void FormResize();
    void FormMouseUp();
    // What the board announces: its picture drawn into dest of the window's
    // picture, its cursor picture, and where that cursor is.
    void ShowPicture(const QImage &picture, const QRectF &dest, bool opaque = true);
    void ShowCursor(const QImage &cursor);
    void MoveCursor(const QPoint &position);
    bool HasBorder() const { return !(windowFlags() & Qt::FramelessWindowHint); }

protected:
    void resizeEvent(QResizeEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
};

// The process-wide mirror window; null unless exactly two screens were
// present when it was created.
extern TViewFrm *ViewFrm;

bool IsDualMonitor();
// Creates ViewFrm when exactly two screens are present. Called once at start-up.
void CreateViewFrm();
void FreeViewFrm();

// The work area that receives the mirror: the last screen, in enumeration
// order, other than the main window's own (own: its index, -1 for none);
// an empty rectangle when there is no other.
QRect ViewRectGet(qsizetype own, const QList<QRect> &workAreas);
// The same for the screen the window system puts the main window on, the
// one that holds its centre.
QRect ViewRectGet(const QWidget *mainWindow);

void ViewFrmShowMaximize(const QWidget *mainWindow);
