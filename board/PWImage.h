// TPWImage: the board as the teacher sees it. It shows its document (the
// picture, the pen layer and the stroke history) through zoom, pan and
// quarter turns, turns pointer input into strokes with a live preview,
// draws its tool cursor, shows the lasso's selection, and announces what
// changed to whoever mirrors it. Its screen image always has the control's
// size and shows everything the user sees on the board.
#pragma once

#include "board/BoardDocument.h"
#include "board/BoardReplay.h"
#include "platform/Bitmap.h"
#include "platform/ImageControl.h"
#include "platform/PathData.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QEventPoint;
class QTouchEvent;

class TPWImage : public QWidget
{
    Q_OBJECT
public:
    explicit TPWImage(QWidget *parent = nullptr);
    ~TPWImage() override;

    // ---- the document ----------------------------------------------------------
    TBoardDocument &Document() { return m_doc; }
    const TBoardDocument &Document() const { return m_doc; }
    const TPWRecArray &PWRecArray() const { return m_doc.History(); }
    const QImage &SrcBitmap() const { return m_doc.Picture(); }
    void SetSrcBitmap(const QImage &value);
    // What the board shows: the picture with its strokes, or a replay's frame.
    const QImage &DspBitmap() const { return m_replay ? m_replay->Display() : m_doc.Display(); }
    const QImage &PenBitmap() const { return m_doc.PenLayer(); }
    // Quarter turns clockwise the picture is shown at.
    int SrcTurn() const { return m_doc.Turn(); }
    int FuCount() const { return m_doc.FuCount(); }
    const QVector<int> &FuCounts() const { return m_doc.FuCounts(); }
    int FuColumn(Single x) const { return m_doc.FuColumn(x); }
    const TLines &SelLines() const { return m_doc.Selection(); }
    const TAr3x3 &SelTrans() const { return m_doc.SelectionMove(); }

    // ---- properties ----------------------------------------------------------
    // The screen image: the control's size in logical pixels, made at the
    // screen's device pixel ratio (which it carries).
    const QImage &Bitmap() const { return m_bitmap; }
    // The screen image's rectangle in logical pixels.
    QRect ScreenRect() const { return QRect(QPoint(0, 0), LogicalSize(m_bitmap)); }
    Single Zoom() const { return FZoom; }
    void SetZoom(Single z) { FZoom = z; }
    // Where the picture's origin lies, in picture pixels from the control's.
    QPointF ZoomPosition() const { return FZPos; }
    void SetZoomPosition(const QPointF &p) { FZPos = p; }
    const TPWMenuItem &CrPen() const { return FCrPen; }
    void SetCrPen(const TPWMenuItem &value);
    Single MKOpacity() const { return m_doc.Options().MarkerOpacity; }
    void SetMKOpacity(Single v) { m_doc.SetMarkerOpacity(v); }
    Single MenuBtnWidth() const { return FMenuBtnWidth; }
    void SetMenuBtnWidth(Single v) { FMenuBtnWidth = v; }
    // Called with the board when the menu square in its top-right corner is
    // clicked; without it there is no menu square.
    void SetOnPWMenu(std::function<void(QObject *)> handler) { OnPWMenu = std::move(handler); }
    const std::function<void(QObject *)> &PWMenu() const { return OnPWMenu; }
    void SetWord(const QString &value);
    // A sharper picture for the screen while it is magnified (a document's
    // page rendered anew at the zoom): given the part of the picture wanted,
    // in picture pixels, and the device pixels it is to fill, returns it at
    // that size, or a null image to show the picture's own pixels. The pen
    // layer is drawn over it as always, so strokes keep their place. Set
    // after the picture; setting another picture forgets it.
    using SharpPicture = std::function<QImage(const QRectF &part, const QSize &pixels)>;
    void SetSharpPicture(SharpPicture source);
    // 0 idle, 1 drawing or panning, 2 menu square, 3 dragging a selection.
    int DownState() const { return isDown; }
    bool isWorking() const { return isDown != 0 || isPainting; }
    // How new strokes are drawn (kept with each stroke), and the font of the
    // word pictures: the owner passes them in from its settings.
    const TRenderStyle &RenderStyle() const { return m_style; }
    void SetRenderStyle(const TRenderStyle &style) { m_style = style; }
    void SetWordFont(const QString &family) { m_doc.SetWordFont(family); }
    // Pen widths as seen on the screen (a new stroke's width divided by the
    // zoom it is drawn at), or in picture pixels; the cursor follows.
    void SetScreenPenWidth(bool on);
    // The cursor picture, and where it is drawn from the pointer.
    const ImageControl *CurImage() const { return m_curImage; }
    QPointF CurOffset() const { return m_curOffset; }
    // The selection's picture and outline, and where a drag of it can start.
    const ImageControl *SelImage() const { return m_selImage; }
    QRectF SelRF() const { return m_selRF; }

    // ---- coordinates ---------------------------------------------------------
    QPointF ScreenToPicture(const QPointF &p) const;
    QPointF PictureToScreen(const QPointF &p) const;
    QPointF PictureToView(const QPointF &p) const;

    // ---- loading ---------------------------------------------------------------
    void Init(int width, int height);
    void SrcBitmapRecPictSet(const QImage &bitmap, const TPWRecArray &recs);
    void SrcBitmapRecTextSet(const QString &word, const TPWRecArray &recs);
    void ZoomReset();

    // ---- compositing and view ------------------------------------------------
    void DstBitmapUpdate();
    void PWImageBitmapUpdate();
    void ScreenDraw(const QRectF &src, const QRectF &dst);
    void ScreenDraw(QPainter &p, const QRectF &src, const QRectF &dst);
    void FitCalc(Single w, Single h, Single &z, QPointF &o) const;
    void ZoomPosSet(QObject *sender = nullptr);
    void ZoomSet(Single aZoom, Single x, Single y);
    void PWHandMove(Single x, Single y);
    void PWResize();
    void SrcBitmapRotate(int index);

    // ---- history ---------------------------------------------------------------
    // Shows the document's history anew (after a test or benchmark built it).
    void RebuildAll();
    void PWUndo();
    void PWRedo();
    void EraseAll();

    // ---- replay ----------------------------------------------------------------
    // Draws the strokes again one after another, each over msPerStroke, on
    // a picture of its own; the history is not touched. Any press, key or
    // command stops it (ReplayStop) and the board shows everything again.
    void ReplayStart();
    void ReplayStop();
    bool IsReplaying() const { return m_replay != nullptr; }
    void SetReplayPace(int msPerStroke) { m_replayMs = qMax(msPerStroke, 1); }
    // Goes on by ms as the timer would (tests step it themselves).
    void ReplayAdvance(int ms);
    const TBoardReplay *Replay() const { return m_replay.get(); }

    // ---- mirror hooks ----------------------------------------------------------
    // The size of the mirror's picture (empty: no mirror); the mirror's fit follows it.
    void ViewResize(const QSize &viewSize);
    // Where the picture goes in the mirror's picture.
    QRectF ViewRect() const;
    // The picture has no transparent pixel (else it shows over white).
    bool PictureOpaque() const { return m_doc.PictureOpaque(); }
    void ViewFrmUpdate();
    void ViewFrmOnIdle();
    void ViewCursorUpdate();

    // ---- pointer input -----------------------------------------------------------
    void PWMouseDown(Single x, Single y);
    void PWMouseMove(Single x, Single y);
    void PWMouseUp(Single x, Single y);
    void PWMouseLeave();
    void PWMouseEnter();
    void PWMouseWheel(int wheelDelta);
    void StrokeEnd();
    // Takes back the stroke being drawn, a drag of the selection or a press
    // on the menu square, as if it had never begun.
    void StrokeWithdraw();

    // ---- stylus and touch ------------------------------------------------------------
    // A stylus's pressure narrows pens and drives the brush (on by default).
    bool PressureOn() const { return m_pressureOn; }
    void SetPressureOn(bool on) { m_pressureOn = on; }
    // What the eraser end of a stylus draws with while it touches.
    const TPWMenuItem &EraserPen() const { return m_eraserPen; }
    void SetEraserPen(const TPWMenuItem &pen) { m_eraserPen = pen; }
    // A stylus is near the screen or touching it: touches are taken for a palm.
    bool StylusNear() const { return m_stylusNear || m_stylusDown; }
    // How long after the first finger a second one still turns its stroke into a gesture.
    static constexpr int GestureGraceMs = 150;
    // Contacts wider than this (logical pixels, about 25 mm) are a palm, not a finger.
    static constexpr double PalmDiameter = 96;
    // Whether a touch of these diameters is a palm; devices that do not
    // measure their contacts report an empty size.
    static bool IsPalmContact(const QSizeF &diameters)
    {
        return diameters.width() > PalmDiameter || diameters.height() > PalmDiameter;
    }

    // ---- rendering ---------------------------------------------------------------
    // Renders a record into the pen layer as new strokes are drawn, without recording it.
    void DrawRec(const TPWMenuItem &menu, TPathData &path);
    void PreviewUpdate();

    // ---- lasso ---------------------------------------------------------------------
    // Records the selection's move and puts its strokes back in place.
    void LassoUpdate();
    TLines RecSelect(const TPathData &lasso) const { return m_doc.StrokesInside(lasso); }
    void SelImageBuild();
    // Lays the selection's outline out again for the current view, where
    // its strokes now show, keeping the move made so far.
    void SelImageRemap();
    void SelMoveEnd();

    // ---- cursors -------------------------------------------------------------------
    void CursorSet(const TPWMenuItem &pen);
    void CursorLoad(const QString &name);
    void CursorColorMark(TAlphaColor color);
    // The cursor picture changed where it is.
    void CursorRepaint();
    void ScreenRepaint(const QRect &r);
    // Draws the ring of a pen's width around the cursor's tip into the
    // cursor picture; returns the offset of the grown picture.
    QPointF CursorFootprint(Single width, const QPointF &offset);

    QImage ReplayPenLayer(bool straightforward = true, QVector<int> *counts = nullptr) const
    {
        return m_doc.ReplayPenLayer(straightforward, counts);
    }
    qint64 UndoStoreBytes() const { return m_doc.UndoStoreBytes(); }
    qint64 UndoStoreBudget() const { return m_doc.UndoStoreBudget(); }
    void SetUndoStoreBudget(qint64 bytes) { m_doc.SetUndoStoreBudget(bytes); }

signals:
    // For a mirror: the picture it shows changed (see DspBitmap and ViewRect),
    // the cursor picture changed, the cursor moved (in the mirror's coordinates).
    void ViewChanged();
    void ViewCursorChanged(const QImage &cursor);
    void ViewCursorMoved(const QPoint &position);
    // The stroke history changed: a stroke, undo, redo, a move, a turn, erase-all.
    void HistoryChanged();

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void tabletEvent(QTabletEvent *e) override;
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // The pointer moved (pressed or not) or was released, from the mouse, a stylus or a finger.
    void PointerMove(const QPointF &p, bool pressed);
    void PointerRelease(const QPointF &p);
    // Appends the current pressure to a stroke that has pressure.
    void PressureAdd();
    // The pressure of the stroke's segment ending at point i, 0..1.
    Single SegmentLevel(int i) const
    {
        return (Single(m_pressure[i - 1]) + Single(m_pressure[i])) / (2 * Single(PressureFull));
    }
    void StylusLifted();
    void TouchEvent(QTouchEvent *e);
    // Collects the fingers still on the board; returns the drawing one, if any.
    const QEventPoint *TouchFingers(const QTouchEvent *e, QList<const QEventPoint *> &fingers);
    void TouchStep(const QList<const QEventPoint *> &fingers, const QEventPoint *drawing);
    void GestureBegin(const QPointF &a, const QPointF &b);
    void GestureMove(const QPointF &a, const QPointF &b);
    // Brings what a change of the document did to the screen.
    void ShowChange(const TBoardChange &change);
    // Announces a change of the history since the revision before.
    void HistoryChangedSince(quint64 before);
    void ScreenUpdateRect(const QRect &pictureRect);
    void ScreenUpdateControlRect(const QRect &controlRect);
    // Where a rectangle of the control lies in the screen image's own pixels.
    QRectF ScreenPixels(const QRectF &controlRect) const
    {
        const qreal d = m_bitmap.devicePixelRatio();
        return QRectF(controlRect.x() * d, controlRect.y() * d, controlRect.width() * d, controlRect.height() * d);
    }
    void StrokeBegin(const QPointF &pt);
    void LassoEnd();
    // The speed-sensitive brush's width for the preview's segment a-b.
    Single BrushWidth(Single w, const QPointF &a, const QPointF &b) { return ::BrushWidth(w, a, b, m_lastPress); }

    // The live preview.
    void PreviewPath(Single opacity);
    void PreviewBrush(Single opacity, bool numbered);
    void PreviewLasso();
    QRectF PreviewRect() const;

    // Places the selection's picture and outline where its strokes, moved
    // by move, show in the current view.
    void SelImagePlace(const TAr3x3 &move);
    void SelImagePaint(QPainter &canvas, const QRect &r);
    void SelectionHide();

    TBoardDocument m_doc;
    QImage m_bitmap; // the screen image
    // The sharper picture's source, and the part it last made at which scale.
    SharpPicture m_sharp;
    QImage m_sharpImage;
    QRectF m_sharpPart;
    double m_sharpScale = 0;
    // Draws the sharper picture and the pen layer when the picture is magnified; false when it did not.
    bool SharpDraw(QPainter &p, const QRectF &src, const QRectF &dst);

    int isDown = 0;
    bool isPainting = false;
    std::unique_ptr<TBoardReplay> m_replay;
    QTimer m_replayTimer;
    QElapsedTimer m_replayClock;
    int m_replayMs = 1000;
    TPWMenuItem FCrPen;
    Single FMenuBtnWidth = 30;
    std::function<void(QObject *)> OnPWMenu;
    QPointF P0, P1;
    TPathData CrPathData; // the stroke in picture coordinates
    TPathData GrPathData; // the same stroke in control coordinates
    QImage BUpBitmap; // the screen image as the stroke began

    // The view: zoom and position on the board, and the fits of the board and the mirror.
    Single FZoom = 1;
    QPointF FZPos;
    Single PZoomF = 1;
    Single PZoomV = 1;
    QPointF PZPosF, PZPosV;
    QPointF DZPos; // the position as a hand drag began

    // The cursor picture.
    ImageControl *m_curImage = nullptr;
    QPointF m_curOffset;
    QString m_cursorName; // the cursor picture shown
    bool m_cursorFootprint = false; // the cursor shows the pen's width on the screen
    QPointF m_cursorShift; // where the footprint ring put the cursor's own picture within it

    // The selection on the screen.
    ImageControl *m_selImage = nullptr;
    QRectF m_selRF;
    QPointF SelGrXY0, SelGrXY1, SelPosition;
    QImage m_selLayer; // the selected strokes at picture resolution
    QRect m_selArea; // where m_selLayer lies in picture coordinates, before the move
    QRectF m_selDst; // where m_selLayer shows within the selection's picture

    // Live preview state: the stroke so far drawn opaque in control
    // coordinates, so each move only draws its newest segment.
    QImage m_prvBitmap;
    int m_prvDrawn = 0; // points of GrPathData already in m_prvBitmap
    mutable int m_prvBoundsCount = 0; // points of GrPathData within m_prvLo..m_prvHi
    mutable QPointF m_prvLo, m_prvHi;
    double m_prvDashLength = 0; // length drawn so far, for continuous dashes
    QRect m_prvArea; // control area the preview has drawn on
    QRect m_repaintPending; // what ScreenRepaint asked for since the last paint
    // The painter of a stroke's segments, kept from move to move: setting
    // one up costs as much as drawing a short segment. (Qt copies an image
    // that is being painted deeply, so handing the screen image out is safe.)
    // Declared after the images it paints on, so that it ends before they go.
    QPainter m_trail;
    QPainter &Trail(QImage &on);
    // Ends the kept painter; whatever else paints on the screen image or replaces it calls it first.
    void TrailEnd()
    {
        if (m_trail.isActive())
            m_trail.end();
    }
    Single m_lastPress = 1024; // the preview brush's pressure
    QVector<int> m_fuCountsAtDown; // the stroke counters before the stroke took its number
    Single m_strokeWidth = 0; // the stroke's width in picture pixels, fixed when it begins
    bool m_outside = false; // the pointer left the board while pressed
    int m_wheelRest = 0; // wheel steps not yet turned into zoom steps
    TRenderStyle m_style; // for new strokes
    bool m_screenPenWidth = true;
    QSize m_viewSize; // the mirror's picture, empty without a mirror

    // Stylus.
    bool m_pressureOn = true;
    Single m_inputLevel = -1; // the pressure of the event being handled, 0..1; below 0: none
    TPressure m_pressure; // the stroke's pressure at each point of CrPathData, or empty
    TPWMenuItem m_eraserPen;
    TPWMenuItem m_penBeforeEraser; // the pen the eraser end stands in for
    bool m_erasing = false;
    bool m_stylusNear = false;
    bool m_stylusDown = false;

    // Touch: 0 no fingers, 1 one finger draws, 2 two fingers zoom and pan,
    // 3 the rest of the touch is ignored.
    int m_touchMode = 0;
    int m_touchId = -1; // the finger that draws
    QList<int> m_palms; // contacts of this touch taken for a palm
    QElapsedTimer m_touchClock; // since the drawing finger landed
    Single m_gestureZoom = 1, m_gestureDistance = 1;
    QPointF m_gesturePoint; // the picture point under the fingers' centre as they landed
};
