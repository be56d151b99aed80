// TPWImage: the board. It holds the picture, the transparent pen layer and
// the stroke history, turns pointer input into strokes, renders every pen
// kind, and manages zoom, pan, quarter turns, lasso selection and stroke
// numbering. Its screen image always has the control's size and shows
// everything the user sees on the board.
#pragma once

#include "board/PWRec.h"
#include "platform/Bitmap.h"
#include "platform/ImageControl.h"
#include "platform/PathData.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <array>
#include <functional>
#include <map>

class QPainter;


// Pure helpers of the renderer.
void PathSmooth(TPathData &path);
Single PointAngle(const QPointF &a, const QPointF &b);
void ArrowHeadPoints(const QPointF &tip, const QPointF &ref, Single w, Single s, QPointF &A, QPointF &B);
void PathArrowEnd(TPathData &path, Single w, Single s);
void PathArrowStart(TPathData &path, Single w, Single s);
// Draws the numbered circle of pen-order strokes.
void DrawOrderMark(QPainter &canvas, const QPointF &c, Single w, int n, const QString &fontFamily);
// The first limit characters of a word as a reader sees them (grapheme
// clusters), one string each: what the word picture puts in one cell.
QStringList WordCells(const QString &word, int limit);

class TPWImage : public QWidget
{
    Q_OBJECT
public:
    explicit TPWImage(QWidget *parent = nullptr);
    ~TPWImage() override;

    // ---- fields ------------------------------------------------------------
    int isDown = 0; // 0 idle, 1 drawing or panning, 2 menu square, 3 dragging a selection
    bool isPainting = false;
    Single LastPress = 1024;
    Single FMkOpacity = 0.4f;
    TPWMenuItem FCrPen;
    Single FMenuBtnWidth = 30;
    QPointF P0, P1;
    TPathData CrPathData; // the stroke in picture coordinates
    TPathData GrPathData; // the same stroke in control coordinates
    int FSrcT = 0;
    QImage FSrcBitmap;
    QImage FDspBitmap;
    QImage FPnBitmap;
    QImage DLnBitmap;
    QImage BUpBitmap;
    ImageControl *CurImage = nullptr;
    QPointF CurOffset;
    TAr3x3 SelTrans = MatIdentity();
    ImageControl *SelImage = nullptr;
    TLines SelLines;
    QPointF SelGrXY0, SelGrXY1, SelPosition;
    QRectF SelRF;
    Single FZoom = 1;
    QPointF FZPos;
    Single PZoomF = 1;
    Single PZoomV = 1;
    QPointF PZPosF, PZPosV;
    QPointF DZPos;
    Single ArrowSize = 5;
    int FuCount = 1; // one column per character of the word, 1..64
    QVector<int> FuCounts;
    QRectF SrcBitmapRectF;
    TPWRecArray PWRecArray;
    std::function<void(QObject *)> OnPWMenu;
    QImage Bitmap; // the screen image, the control's size

    // ---- properties ----------------------------------------------------------
    Single Zoom() const { return FZoom; }
    void SetZoom(Single z) { FZoom = z; }
    const QImage &SrcBitmap() const { return FSrcBitmap; }
    void SetSrcBitmap(const QImage &value);
    const QImage &DspBitmap() const { return FDspBitmap; }
    const QImage &PenBitmap() const { return FPnBitmap; }
    const TPWMenuItem &CrPen() const { return FCrPen; }
    void SetCrPen(const TPWMenuItem &value);
    Single MKOpacity() const { return FMkOpacity; }
    void SetMKOpacity(Single v);
    Single MenuBtnWidth() const { return FMenuBtnWidth; }
    void SetMenuBtnWidth(Single v) { FMenuBtnWidth = v; }
    void SetWord(const QString &value);
    bool isWorking() const { return isDown != 0 || isPainting; }
    // How new strokes are drawn (kept with each stroke), and the font of the
    // word pictures: the owner passes them in from its settings.
    const TRenderStyle &RenderStyle() const { return m_style; }
    void SetRenderStyle(const TRenderStyle &style) { m_style = style; }
    void SetWordFont(const QString &family) { m_wordFont = family; }
    // Pen widths as seen on the screen (a new stroke's width divided by the
    // zoom it is drawn at), or in picture pixels; the cursor follows.
    void SetScreenPenWidth(bool on);

    // ---- coordinates ---------------------------------------------------------
    QPointF ScreenToPicture(const QPointF &p) const;
    QPointF PictureToScreen(const QPointF &p) const;
    QPointF PictureToView(const QPointF &p) const;

    // ---- loading ---------------------------------------------------------------
    void Init(int width, int height);
    void SrcBitmapRecPictSet(const QImage &bitmap, const TPWRecArray &recs);
    void SrcBitmapRecTextSet(const QString &word, const TPWRecArray &recs);
    void LayersReset();
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
    void RebuildAll();
    void PWUndo();
    void PWRedo();
    void EraseAll();

    // ---- mirror hooks ----------------------------------------------------------
    // The size of the mirror's picture (empty: no mirror); the mirror's fit follows it.
    void ViewResize(const QSize &viewSize);
    // Where the picture goes in the mirror's picture.
    QRectF ViewRect() const;
    // The picture has no transparent pixel (else it shows over white).
    bool PictureOpaque() const { return m_srcOpaque; }
    void ViewFrmUpdate();
    void ViewFrmOnIdle();
    void ViewCursorUpdate();
    // Shows or hides the mirror on the screen the main window is not on.

    // ---- pointer input -----------------------------------------------------------
    void PWMouseDown(Single x, Single y);
    void PWMouseMove(Single x, Single y);
    void PWMouseUp(Single x, Single y);
    void PWMouseLeave();
    void PWMouseEnter();
    void PWMouseWheel(int wheelDelta);
    void StrokeEnd();

    // ---- rendering ---------------------------------------------------------------
    // Renders a record into the pen layer as the current style draws new strokes,
    // or in the style the record was drawn in.
    void DrawRec(const TPWMenuItem &menu, TPathData &path);
    void DrawRec(const TPWMenuItem &menu, TPathData &path, const TRenderStyle &style);
    void PreviewUpdate();
    Single BrushWidth(Single w, const QPointF &a, const QPointF &b);

    // ---- lasso ---------------------------------------------------------------------
    void LassoUpdate();
    TLines RecSelect(const TPathData &lasso) const;
    void RebuildSelect();
    void SelImageBuild();
    // Lays the selection's outline out again for the current view, where
    // its strokes now show, keeping the move made so far.
    void SelImageRemap();
    void SelImagePaint(QPainter &canvas, const QRect &r);
    void SelMoveEnd();

    // ---- pen order -----------------------------------------------------------------
    void FuCountSet(const QString &word);
    void FuCountsClear();
    void FuCountNext(Single x, Single y);
    void FuCountRestore(const TPWMenuItem &menu, const TPathData &path);
    int FuColumn(Single x) const;
    void WordBitmapDraw(const QString &word);

    // ---- cursors -------------------------------------------------------------------
    void CursorSet(const TPWMenuItem &pen);
    void CursorLoad(const QString &name);
    void CursorColorMark(TAlphaColor color);
    // Draws the ring of a pen's width around the cursor's tip into CurImage;
    // returns the offset of the grown picture.
    QPointF CursorFootprint(Single width, const QPointF &offset);

    // Renders the history in effect into a fresh pen layer of the picture's
    // size without touching the board: the reference the incremental paths
    // must match pixel for pixel. Straightforward: every record composites
    // its scratch layer whole instead of only the area it touched. Like
    // every replay it starts after the last erase-all in effect.
    // The stroke counters the replay ends with go to counts when given.
    QImage ReplayPenLayer(bool straightforward = true, QVector<int> *counts = nullptr);

    // Bytes held by the undo store, and its budget (256 MiB; 0 keeps no
    // patches, so every undo replays). The store never holds more.
    qint64 UndoStoreBytes() const { return m_undoBytes; }
    qint64 UndoStoreBudget() const { return m_undoBudget; }
    void SetUndoStoreBudget(qint64 bytes);

signals:
    // For a mirror: the picture it shows changed (see DspBitmap and ViewRect),
    // the cursor picture changed, the cursor moved (in the mirror's coordinates).
    void ViewChanged();
    void ViewCursorChanged(const QImage &cursor);
    void ViewCursorMoved(const QPoint &position);

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;

private:
    // Rendering of the kinds.
    void DrawPen(const TPWMenuItem &menu, const TPathData &path, Single opacity);
    void DrawRainbow(const TPWMenuItem &menu, const TPathData &path, Single opacity);
    void DrawBrush(const TPWMenuItem &menu, const TPathData &path, Single opacity, bool numbered);
    void DrawEraser(const TPWMenuItem &menu, const TPathData &path);
    void PenLayerClear();
    void PreviewPath(Single opacity);
    void PreviewEraser();
    void PreviewRainbow(Single opacity);
    void PreviewBrush(Single opacity, bool numbered);
    void PreviewLasso();
    QRectF PreviewRect() const;
    // Renders the selected strokes as they look on the board into m_selLayer.
    void SelLayerRender();
    // Places the selection's picture and outline where its strokes, moved
    // by move, show in the current view.
    void SelImagePlace(const TAr3x3 &move);
    QImage m_selLayer; // the selected strokes at picture resolution
    QRect m_selArea; // where m_selLayer lies in picture coordinates, before the move
    QRectF m_selDst; // where m_selLayer shows within SelImage

    // The area of the pen layer a record may touch, in whole pixels, clipped to the layer.
    QRect RecBounds(const TPWMenuItem &menu, const TPathData &path) const;
    // Re-composites a rectangle of the display bitmap and brings it to the screen.
    void DstBitmapUpdateRect(const QRect &r);
    void ScreenUpdateRect(const QRect &pictureRect);
    void ScreenUpdateControlRect(const QRect &controlRect);
    // The first record a replay draws: the one after the last erase-all in effect.
    int ReplayStart() const;
    // Replays records 0..p into the pen layer, keeping undo patches for as
    // many of the last ones as the budget holds.
    void ReplayInto(bool keepPatches);
    // Renders record index; with keepPatch its undo patch is kept, holding
    // countsBefore as the counters to go back to (the current ones when null).
    void RenderRecord(int index, bool keepPatch, const QVector<int> *countsBefore = nullptr);

    // Undo patches: for stroke record j, the pen-layer pixels its rendering
    // covered, as they were before, and the stroke counters before it. Valid
    // while the pen layer shows the replay of 0..p and no turn or move has
    // changed the geometry since they were taken.
    struct UndoPatch {
        QRect rect;
        QImage pixels;
        QVector<int> fuCounts;
    };
    std::map<int, UndoPatch> m_patches;
    qint64 m_undoBytes = 0;
    qint64 m_undoBudget;
    void PatchesClear();
    // Keeps the patch of record index, dropping the oldest patches first so
    // that the store stays within its budget; a patch larger than the whole
    // budget is not kept (undo then replays).
    void PatchStore(int index, const QRect &r);
    // The first record of the tail of strokes 0..p whose patches fit the budget together.
    int PatchTailStart();

    // Live preview state: the stroke so far drawn opaque in control
    // coordinates, so each move only draws its newest segment.
    QImage m_prvBitmap;
    int m_prvDrawn = 0; // points of GrPathData already in m_prvBitmap
    double m_prvDashLength = 0; // length drawn so far, for continuous dashes
    QRect m_prvArea; // control area the preview has drawn on
    QVector<int> m_fuCountsAtDown; // the stroke counters before the stroke took its number
    Single m_strokeWidth = 0; // the stroke's width in picture pixels, fixed when it begins
    bool m_outside = false; // the pointer left the board while pressed
    int m_wheelRest = 0; // wheel steps not yet turned into zoom steps
    QString m_cursorName; // the cursor picture CurImage shows
    bool m_cursorFootprint = false; // the cursor shows the pen's width on the screen
    QPointF m_cursorShift; // where the footprint ring put the cursor's own picture within CurImage
    QRect m_dirty; // pen-layer area changed by the last DrawRec
    bool m_straight = false; // render with whole-layer scratch areas (the reference)
    TRenderStyle m_style; // for new strokes
    TRenderStyle m_drawStyle; // of the stroke being drawn or replayed
    QString m_wordFont;
    bool m_screenPenWidth = true;
    QSize m_viewSize; // the mirror's picture, empty without a mirror
    bool m_srcOpaque = true; // the picture has no transparent pixel: nothing to show under it
};
