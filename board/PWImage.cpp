// The board's layers and view: construction, loading pictures, compositing
// to the screen, fit, zoom, pan, quarter turns, replay, undo and redo, and
// the hooks that repeat the board on the mirror window.
#include "board/PWImage.h"


#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace {
// Undo patches are kept within this many bytes; the oldest go first.
constexpr qint64 DefaultUndoStoreBudget = 256ll * 1024 * 1024;
// A full replay keeps undo patches for at most this many of the last records.
constexpr int ReplayPatchTail = 64;

qint64 PatchBytes(const QRect &r)
{
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height() * 4;
}

QRect ImageRect(const QImage &img)
{
    return QRect(0, 0, img.width(), img.height());
}

// Whether every pixel of a picture is opaque. A picture given without an
// alpha channel is, without looking at its pixels.
bool PictureIsOpaque(const QImage &given, const QImage &bitmap)
{
    if (!given.isNull() && !given.hasAlphaChannel())
        return true;
    for (int y = 0; y < bitmap.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(bitmap.constScanLine(y));
        for (int x = 0; x < bitmap.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}
} // namespace

TPWImage::TPWImage(QWidget *parent) : QWidget(parent), m_undoBudget(DefaultUndoStoreBudget)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    OnPWMenu = nullptr;
    FMenuBtnWidth = 30;
    FMkOpacity = 0.4f;
    ArrowSize = 5;
    isDown = 0;
    FCrPen = MakeMenuItem(pwMk, 0xFFFF0000, 10, sdSolid);
    PWRecArray.RecInit();
    Init(64, 64);

    SelImage = new ImageControl(this);
    SelImage->SetHitTest(false);
    SelImage->OnPaint = [this](QPainter &p, const QRect &r) { SelImagePaint(p, r); };
    SelImage->hide();

    FuCountSet(QString());

    // The board draws its own cursor picture; the system pointer stays hidden over it.
    setCursor(Qt::BlankCursor);
    CurImage = new ImageControl(this);
    CurImage->SetHitTest(false);
    CurImage->hide();
    CursorSet(FCrPen);

}

TPWImage::~TPWImage() = default;

// ---- coordinates -------------------------------------------------------------

QPointF TPWImage::ScreenToPicture(const QPointF &p) const
{
    return QPointF(Single(p.x() / FZoom) - Single(FZPos.x()), Single(p.y() / FZoom) - Single(FZPos.y()));
}

QPointF TPWImage::PictureToScreen(const QPointF &p) const
{
    return QPointF(Single((p.x() + FZPos.x()) * FZoom), Single((p.y() + FZPos.y()) * FZoom));
}

QPointF TPWImage::PictureToView(const QPointF &p) const
{
    const double x = ((p.x() + FZPos.x()) * FZoom / PZoomF - PZPosF.x() + PZPosV.x()) * PZoomV;
    const double y = ((p.y() + FZPos.y()) * FZoom / PZoomF - PZPosF.y() + PZPosV.y()) * PZoomV;
    return QPointF(Single(x), Single(y));
}

// ---- properties --------------------------------------------------------------

void TPWImage::SetMKOpacity(Single v)
{
    FMkOpacity = v;
}

void TPWImage::SetCrPen(const TPWMenuItem &value)
{
    const Single kept = FCrPen.PenThickness;
    FCrPen = value;
    if (FCrPen.PenType == pwLasso) {
        // The lasso shows selections with the width of the pen used before it.
        FCrPen.PenThickness = kept;
        SelRF = QRectF(0, 0, 0, 0);
    }
    CursorSet(FCrPen);
}

// ---- loading -----------------------------------------------------------------

void TPWImage::Init(int width, int height)
{
    ZoomReset();
    FSrcT = 0;
    FSrcBitmap = NewBitmap(qMax(width, 1), qMax(height, 1));
    BitmapClear(FSrcBitmap, 0xFFFFFFFF);
    m_srcOpaque = true;
    LayersReset();
    PWRecArray.RecClear();
    PatchesClear();
}

void TPWImage::SetSrcBitmap(const QImage &value)
{
    FuCountSet(QString());
    FSrcT = 0;
    ZoomReset();
    // Shared with the caller until either side writes: a copy in effect, without the copying.
    FSrcBitmap = ToBitmap(value.isNull() ? NewBitmap(1, 1) : value);
    m_srcOpaque = PictureIsOpaque(value, FSrcBitmap);
    SelLines.clear();
    SelImageBuild();
    LayersReset();
    PWRecArray.RecClear();
    PatchesClear();
}

void TPWImage::SrcBitmapRecPictSet(const QImage &bitmap, const TPWRecArray &recs)
{
    FuCountSet(QString());
    FSrcT = 0;
    ZoomReset();
    FSrcBitmap = ToBitmap(bitmap.isNull() ? NewBitmap(1, 1) : bitmap);
    m_srcOpaque = PictureIsOpaque(bitmap, FSrcBitmap);
    SelLines.clear();
    SelImageBuild();
    // RebuildAll sizes the layers, after any turn the history holds.
    RecCopy(recs, PWRecArray);
    RebuildAll();
}

void TPWImage::SrcBitmapRecTextSet(const QString &word, const TPWRecArray &recs)
{
    FuCountSet(word);
    FSrcT = 0;
    ZoomReset();
    WordBitmapDraw(word);
    m_srcOpaque = true;
    SelLines.clear();
    SelImageBuild();
    // RebuildAll sizes the layers, after any turn the history holds.
    RecCopy(recs, PWRecArray);
    RebuildAll();
}

void TPWImage::SetWord(const QString &value)
{
    FuCountSet(value);
    FSrcT = 0;
    ZoomReset();
    WordBitmapDraw(value);
    m_srcOpaque = true;
    SelLines.clear();
    SelImageBuild();
    LayersReset();
    PWRecArray.RecClear();
    PatchesClear();
}

void TPWImage::LayersReset()
{
    const int w = FSrcBitmap.width(), h = FSrcBitmap.height();
    SrcBitmapRectF = QRectF(0, 0, w, h);
    BitmapSetSize(FPnBitmap, w, h);
    // The scratch layer is sized on first use (a picture of another size frees it);
    // the display bitmap shares the picture's pixels until it is first composited.
    if (DLnBitmap.size() != QSize(w, h))
        DLnBitmap = QImage();
    FDspBitmap = FSrcBitmap;
    FuCountsClear();
}

void TPWImage::ZoomReset()
{
    FZoom = 1;
    FZPos = QPointF(0, 0);
}

// ---- compositing -------------------------------------------------------------

void TPWImage::DstBitmapUpdate()
{
    DstBitmapUpdateRect(ImageRect(FDspBitmap));
}

void TPWImage::DstBitmapUpdateRect(const QRect &r0)
{
    const QRect r = r0 & ImageRect(FDspBitmap);
    if (r.isEmpty())
        return;
    // Each composite starts from the bare picture, so pixels of a transparent
    // picture never keep what was composited there before.
    QPainter p(&FDspBitmap);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(r.topLeft(), FSrcBitmap, r);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(r.topLeft(), FPnBitmap, r);
}

void TPWImage::PWImageBitmapUpdate()
{
    ScreenUpdateControlRect(ImageRect(Bitmap));
    ViewFrmUpdate();
}

void TPWImage::ScreenUpdateRect(const QRect &pictureRect)
{
    if (pictureRect.isEmpty())
        return;
    const QPointF a = PictureToScreen(pictureRect.topLeft());
    const QPointF b = PictureToScreen(QPointF(pictureRect.x() + pictureRect.width(), pictureRect.y() + pictureRect.height()));
    const QRect cr = QRectF(a, b).normalized().toAlignedRect().adjusted(-1, -1, 1, 1);
    ScreenUpdateControlRect(cr);
    ViewFrmUpdate();
}

void TPWImage::ScreenUpdateControlRect(const QRect &r0)
{
    const QRect r = r0 & ImageRect(Bitmap);
    if (r.isEmpty())
        return;
    {
        QPainter p(&Bitmap);
        p.setClipRect(r);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(r, QColor(0, 0, 0));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const QPointF a = PictureToScreen(QPointF(0, 0));
        const QPointF b = PictureToScreen(QPointF(FSrcBitmap.width(), FSrcBitmap.height()));
        // Drawing the whole picture under a clip samples every pixel exactly
        // as the unclipped drawing does.
        ScreenDraw(p, SrcBitmapRectF, QRectF(a, b));
    }
    update(r);
}

void TPWImage::ScreenDraw(const QRectF &src, const QRectF &dst)
{
    QPainter p(&Bitmap);
    ScreenDraw(p, src, dst);
}

void TPWImage::ScreenDraw(QPainter &p, const QRectF &src, const QRectF &dst)
{
    // Transparent parts of a picture show over white, as on paper; a black
    // drawing on a transparent background stays readable.
    if (!m_srcOpaque)
        p.fillRect(dst, Qt::white);
    // Magnified pictures show their pixels; shrunk ones are sampled smoothly,
    // so thin lines (a ruled white board, a drawing's outlines) never drop out.
    DrawBitmap(p, FDspBitmap, src, dst, 1.0, dst.width() >= src.width());
    if (OnPWMenu) {
        const QImage icon = ResourceImage(QStringLiteral("PW_LEFT"));
        if (!icon.isNull()) {
            const QRectF ir(Bitmap.width() - icon.width(), 0, icon.width(), icon.height());
            DrawBitmap(p, icon, QRectF(0, 0, icon.width(), icon.height()), ir, 0.4, true);
        }
    }
}

// ---- view --------------------------------------------------------------------

void TPWImage::FitCalc(Single w, Single h, Single &z, QPointF &o) const
{
    const Single W = Single(FSrcBitmap.width()), H = Single(FSrcBitmap.height());
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0) {
        // Nothing to fit into yet (a hidden or collapsed control).
        z = 1;
        o = QPointF(0, 0);
        return;
    }
    z = w / W;
    if (z * H > h)
        z = h / H;
    o = QPointF(Single((w - W * z) / (z * 2)), Single((h - H * z) / (z * 2)));
}

void TPWImage::ZoomPosSet(QObject *)
{
    CrPathData.Clear();
    GrPathData.Clear();
    FitCalc(Single(width()), Single(height()), PZoomF, PZPosF);
    FZoom = PZoomF;
    FZPos = PZPosF;
    FitCalc(Single(m_viewSize.width()), Single(m_viewSize.height()), PZoomV, PZPosV);
    // A refit (a resize, the tool bar hidden or shown) moves the strokes on
    // screen; a selection shown must move with them or a drag would miss them.
    SelImageRemap();
    PWImageBitmapUpdate();
}

void TPWImage::ZoomSet(Single aZoom, Single x, Single y)
{
    if (SelImage && SelImage->isVisible())
        return;
    if (!(aZoom > 0) || !std::isfinite(aZoom))
        return;
    const Single nx = Single(FZPos.x()) - Single(x / FZoom) + Single(x / aZoom);
    const Single ny = Single(FZPos.y()) - Single(y / FZoom) + Single(y / aZoom);
    FZPos = QPointF(nx, ny);
    FZoom = aZoom;
    // The display bitmap does not depend on the zoom, so it is not re-composited here.
    PWImageBitmapUpdate();
}

void TPWImage::PWHandMove(Single x, Single y)
{
    FZPos += QPointF(Single(x / FZoom), Single(y / FZoom));
    PWImageBitmapUpdate();
}

void TPWImage::PWResize()
{
    const int w = int(RoundEven(width())), h = int(RoundEven(height()));
    Bitmap = NewBitmap(qMax(w, 1), qMax(h, 1));
    BitmapClear(Bitmap, 0xFF000000);
    ZoomPosSet(this);
}

void TPWImage::SrcBitmapRotate(int index)
{
    LassoUpdate();
    PWRecArray.RecAddTurn(index == 1, Single(FSrcBitmap.width()), Single(FSrcBitmap.height()));
    RebuildAll();
    ZoomPosSet(this);
}

// ---- history -----------------------------------------------------------------

void TPWImage::RebuildAll()
{
    const int t = PWRecArray.RecTurn();
    if (t != FSrcT) {
        // The layers are made anew at the turned size: letting go of them
        // first keeps a turn of a large picture from holding both sizes at once.
        PatchesClear();
        FPnBitmap = QImage();
        DLnBitmap = QImage();
        FDspBitmap = QImage();
        FSrcBitmap = BitmapRotated(FSrcBitmap, t - FSrcT);
        FSrcT = t;
    }
    LayersReset();
    ReplayInto(true);
    // Without a record in effect the display bitmap, fresh from the picture, is right already.
    if (PWRecArray.p >= 0)
        DstBitmapUpdate();
    PWImageBitmapUpdate();
}

void TPWImage::ReplayInto(bool keepPatches)
{
    PatchesClear();
    const int p = PWRecArray.p;
    const int tail = keepPatches ? PatchTailStart() : p + 1;
    for (int j = ReplayStart(); j <= p; ++j)
        if (IsStrokeRec(PWRecArray.Rec[j].Menu.PenType))
            RenderRecord(j, j >= tail);
}

int TPWImage::PatchTailStart()
{
    // Only a tail is useful: undo goes back from the end, and the first
    // record without a patch needs a replay anyway. A replay copies at most
    // one pen layer's worth of pixels into patches, so that keeping them
    // never costs more than drawing about one more stroke: the strokes
    // drawn after it fill the rest of the budget.
    const int p = PWRecArray.p;
    const QRect layer = ImageRect(FPnBitmap);
    const qint64 allowance = qMin(m_undoBudget, PatchBytes(layer));
    TPathData path;
    qint64 bytes = 0;
    int start = p + 1, kept = 0;
    for (int j = p; j >= ReplayStart() && kept < ReplayPatchTail; --j) {
        if (!IsStrokeRec(PWRecArray.Rec[j].Menu.PenType))
            continue;
        const TPWMenuItem menu = PWRecArray.RecPath(j, path);
        bytes += PatchBytes(RecBounds(menu, path) & layer);
        if (bytes > allowance)
            break;
        start = j;
        ++kept;
    }
    return start;
}

int TPWImage::ReplayStart() const
{
    // An erase-all clears the pen layer and the stroke counters: nothing
    // up to it can show, so a replay starts after it, on the layer it left,
    // and its cost stays that of the strokes drawn since, however long the
    // history has grown. The erase-all itself is not drawn again: its undo
    // patch must hold the strokes before it, which only drawing it in
    // place (the command, or a redo) can take.
    return PWRecArray.RecLastEraseAll() + 1;
}

void TPWImage::RenderRecord(int index, bool keepPatch, const QVector<int> *countsBefore)
{
    const TPWMenuItem menu = PWRecArray.RecPath(index, CrPathData);
    if (keepPatch) {
        PatchStore(index, RecBounds(menu, CrPathData));
        auto kept = m_patches.find(index);
        if (countsBefore && kept != m_patches.end())
            kept->second.fuCounts = *countsBefore;
    }
    DrawRec(menu, CrPathData, PWRecArray.Rec[size_t(index)].Style);
}

void TPWImage::PWUndo()
{
    if (!PWRecArray.RecCanUndo())
        return;
    const int j = PWRecArray.p;
    const TPWPenType kind = PWRecArray.Rec[j].Menu.PenType;
    auto it = m_patches.find(j);
    if (IsStrokeRec(kind) && it != m_patches.end() && SelLines.isEmpty()) {
        // The pixels under the last stroke as they were before it: the same
        // pen layer a replay of the records before it would give.
        UndoPatch patch = std::move(it->second);
        m_undoBytes -= patch.pixels.sizeInBytes();
        m_patches.erase(it);
        {
            QPainter p(&FPnBitmap);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(patch.rect.topLeft(), patch.pixels);
        }
        FuCounts = patch.fuCounts;
        PWRecArray.RecUndo();
        DstBitmapUpdateRect(patch.rect);
        ScreenUpdateRect(patch.rect);
        return;
    }
    if (kind > pwTurnL) {
        // Replay ignores these records: nothing on the board changes.
        PWRecArray.RecUndo();
        return;
    }
    PWRecArray.RecUndo();
    RebuildAll();
}

void TPWImage::PWRedo()
{
    if (!PWRecArray.RecCanRedo())
        return;
    const int j = PWRecArray.p + 1;
    const TPWPenType kind = PWRecArray.Rec[j].Menu.PenType;
    if (IsStrokeRec(kind) && SelLines.isEmpty()) {
        // A stroke redone on top of the layer of the records before it is
        // exactly what a replay would draw last.
        PWRecArray.RecRedo();
        RenderRecord(j, true);
        DstBitmapUpdateRect(m_dirty);
        ScreenUpdateRect(m_dirty);
        return;
    }
    PWRecArray.RecRedo();
    if (kind > pwTurnL)
        return;
    RebuildAll();
}

void TPWImage::EraseAll()
{
    LassoUpdate();
    // An erase-all of a bare board would be an undo step that changes
    // nothing, and would throw the redo entries away.
    if (!PWRecArray.RecHasStrokes())
        return;
    // A record like any other: undo brings the strokes back, and it goes
    // with the history to wherever the history is copied. The turns before
    // it stay in effect, so the picture keeps its orientation.
    PWRecArray.RecAddEraseAll();
    RenderRecord(PWRecArray.p, true);
    DstBitmapUpdate();
    PWImageBitmapUpdate();
}

QImage TPWImage::ReplayPenLayer(bool straightforward, QVector<int> *replayCounts)
{
    QImage saved = FPnBitmap;
    const QVector<int> counts = FuCounts;
    const QRect dirty = m_dirty;
    const Single press = LastPress;
    TPathData path;
    FPnBitmap = NewBitmap(FSrcBitmap.width(), FSrcBitmap.height());
    FuCountsClear();
    m_straight = straightforward;
    for (int j = ReplayStart(); j <= PWRecArray.p; ++j)
        if (IsStrokeRec(PWRecArray.Rec[j].Menu.PenType)) {
            const TPWMenuItem menu = PWRecArray.RecPath(j, path);
            DrawRec(menu, path, PWRecArray.Rec[size_t(j)].Style);
        }
    m_straight = false;
    QImage result = FPnBitmap;
    if (replayCounts)
        *replayCounts = FuCounts;
    FPnBitmap = saved;
    FuCounts = counts;
    m_dirty = dirty;
    LastPress = press;
    return result;
}

// ---- undo store --------------------------------------------------------------

void TPWImage::PatchesClear()
{
    m_patches.clear();
    m_undoBytes = 0;
}

void TPWImage::SetUndoStoreBudget(qint64 bytes)
{
    m_undoBudget = qMax<qint64>(bytes, 0);
    PatchesClear();
}

void TPWImage::PatchStore(int index, const QRect &r)
{
    auto old = m_patches.find(index);
    if (old != m_patches.end()) {
        m_undoBytes -= old->second.pixels.sizeInBytes();
        m_patches.erase(old);
    }
    const QRect rect = r & ImageRect(FPnBitmap);
    const qint64 size = PatchBytes(rect);
    if (size > m_undoBudget) {
        // Undoing this record will replay, and the patches before it would never be reached.
        PatchesClear();
        return;
    }
    // Room first, so the store never holds more than its budget.
    while (m_undoBytes + size > m_undoBudget && !m_patches.empty()) {
        auto it = m_patches.begin();
        m_undoBytes -= it->second.pixels.sizeInBytes();
        m_patches.erase(it);
    }
    UndoPatch patch;
    patch.rect = rect;
    if (!rect.isEmpty())
        patch.pixels = FPnBitmap.copy(rect);
    patch.fuCounts = FuCounts;
    m_undoBytes += patch.pixels.sizeInBytes();
    m_patches.emplace(index, std::move(patch));
}

// ---- mirror hooks --------------------------------------------------------------
// The board only announces; whoever shows a mirror draws from what it announces.

void TPWImage::ViewResize(const QSize &viewSize)
{
    m_viewSize = viewSize;
    FitCalc(Single(viewSize.width()), Single(viewSize.height()), PZoomV, PZPosV);
    ViewFrmUpdate();
}

QRectF TPWImage::ViewRect() const
{
    return QRectF(PictureToView(QPointF(0, 0)), PictureToView(QPointF(FSrcBitmap.width(), FSrcBitmap.height())));
}

void TPWImage::ViewFrmUpdate()
{
    if (m_viewSize.isEmpty())
        return;
    emit ViewChanged();
}

void TPWImage::ViewFrmOnIdle()
{
    if (m_viewSize.isEmpty() || !CurImage->isVisible())
        return;
    // A footprint ring grows the cursor picture up and left; the pen's own
    // picture is what goes where it points on the mirror.
    const QPointF p = PictureToView(ScreenToPicture(QPointF(CurImage->pos()) + m_cursorShift)) - m_cursorShift;
    emit ViewCursorMoved(QPoint(int(RoundEven(p.x())), int(RoundEven(p.y()))));
}

void TPWImage::ViewCursorUpdate()
{
    if (m_viewSize.isEmpty())
        return;
    emit ViewCursorChanged(CurImage->Bitmap);
}

// ---- Qt events -----------------------------------------------------------------

void TPWImage::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    const QRect r = e->rect();
    if (Bitmap.width() < width() || Bitmap.height() < height())
        p.fillRect(r, Qt::black);
    p.drawImage(r.topLeft(), Bitmap, r & ImageRect(Bitmap));
}

void TPWImage::resizeEvent(QResizeEvent *)
{
    // A window shown for the first time reports the size its board was
    // already fitted to; the screen image is right as it is.
    if (Bitmap.size() == QSize(qMax(int(RoundEven(width())), 1), qMax(int(RoundEven(height())), 1)))
        return;
    PWResize();
}
