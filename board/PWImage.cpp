// The board's view: construction, loading, compositing to the screen, fit,
// zoom, pan, quarter turns, undo and redo as the screen shows them, and the
// hooks that repeat the board on a mirror.
#include "board/PWImage.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace {
// The board as assistive technology sees it: one drawing surface named
// "Board"; the pictures it layers for the pointer and the selection are
// its own business.
class TPWImageAccessible : public QAccessibleWidget
{
public:
    explicit TPWImageAccessible(QWidget *board) : QAccessibleWidget(board, QAccessible::Canvas) { }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QCoreApplication::translate("Board", "Board");
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
};

QAccessibleInterface *PWImageAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("TPWImage") && object->isWidgetType())
        return new TPWImageAccessible(static_cast<QWidget *>(object));
    return nullptr;
}
} // namespace

TPWImage::TPWImage(QWidget *parent) : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(PWImageAccessible), true);
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setAttribute(Qt::WA_AcceptTouchEvents);
    // A stylus coming near is told to the application only.
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
    FCrPen = MakeMenuItem(pwMk, 0xFFFF0000, 10, sdSolid);
    m_eraserPen = MakeMenuItem(pwEr, 0xFFFFFFFF, 40, sdSolid);
    Init(64, 64);

    m_selImage = new ImageControl(this);
    m_selImage->SetHitTest(false);
    m_selImage->OnPaint = [this](QPainter &p, const QRect &r) { SelImagePaint(p, r); };
    m_selImage->hide();

    m_replayTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replayTimer, &QTimer::timeout, this, [this] { ReplayAdvance(int(m_replayClock.restart())); });

    // The board draws its own cursor picture; the system pointer stays hidden over it.
    setCursor(Qt::BlankCursor);
    m_curImage = new ImageControl(this);
    m_curImage->SetHitTest(false);
    // The board draws the cursor picture over its screen image: it follows
    // every pointer move, and a child window of its own would double what
    // each move costs.
    m_curImage->SetDrawnByParent([this](const QRect &was, const QRect &now) {
        // A step of the pointer leaves the two places overlapping: one
        // rectangle around both paints in one go what would be bands.
        const QRect both = was.intersects(now) ? was.united(now) : QRect();
        for (const QRect &r : both.isEmpty() ? QList<QRect>{was, now} : QList<QRect>{both}) {
            ScreenRepaint(r);
            if (m_selImage->isVisible())
                m_selImage->update(r.translated(-m_selImage->pos()));
        }
    });
    m_curImage->hide();
    CursorSet(FCrPen);
}

TPWImage::~TPWImage()
{
    // Qt hides the children as the board goes, and the cursor's control
    // reports that to a board whose members are already gone: it goes first.
    delete m_curImage;
    m_curImage = nullptr;
}

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

void TPWImage::SetCrPen(const TPWMenuItem &value)
{
    const Single kept = FCrPen.PenThickness;
    FCrPen = value;
    if (FCrPen.PenType == pwLasso) {
        // The lasso shows selections with the width of the pen used before it.
        FCrPen.PenThickness = kept;
        m_selRF = QRectF(0, 0, 0, 0);
    }
    CursorSet(FCrPen);
}

// ---- loading -----------------------------------------------------------------

void TPWImage::SetSharpPicture(SharpPicture source)
{
    m_sharp = std::move(source);
    m_sharpImage = QImage();
    m_sharpPart = QRectF();
    m_sharpScale = 0;
}

bool TPWImage::SharpDraw(QPainter &p, const QRectF &src, const QRectF &dst)
{
    const double dpr = m_bitmap.devicePixelRatio();
    // Worth it only where a picture pixel covers more than a device pixel or
    // so; a turned picture shows its own pixels.
    if (!m_sharp || m_replay || m_doc.Turn() != 0 || src.isEmpty() || dst.width() * dpr < src.width() * 1.25)
        return false;
    const QRectF view = dst & QRectF(ScreenRect());
    if (view.isEmpty())
        return false;
    const double kx = src.width() / dst.width(), ky = src.height() / dst.height();
    const QRectF want(src.x() + (view.x() - dst.x()) * kx, src.y() + (view.y() - dst.y()) * ky, view.width() * kx,
                      view.height() * ky);
    const double scale = dst.width() * dpr / src.width(); // device pixels a picture pixel
    if (m_sharpImage.isNull() || m_sharpScale != scale || !m_sharpPart.contains(want)) {
        // A quarter of the view more on every side: a short pan renders nothing new.
        const QRectF wide
            = want.adjusted(-want.width() / 4, -want.height() / 4, want.width() / 4, want.height() / 4) & src;
        const QRectF part = QRectF(wide.toAlignedRect()) & src;
        m_sharpPart = part;
        m_sharpScale = scale;
        m_sharpImage
            = m_sharp(part, QSize(qMax(1, qRound(part.width() * scale)), qMax(1, qRound(part.height() * scale))));
        if (m_sharpImage.isNull()) {
            m_sharp = nullptr; // not to be asked again for this picture
            return false;
        }
    }
    const QRectF target(dst.x() + (m_sharpPart.x() - src.x()) / kx, dst.y() + (m_sharpPart.y() - src.y()) / ky,
                        m_sharpPart.width() / kx, m_sharpPart.height() / ky);
    p.drawImage(target, m_sharpImage);
    DrawBitmap(p, m_doc.PenLayer(), src, dst, 1.0, true);
    return true;
}

void TPWImage::Init(int width, int height)
{
    SetSharpPicture(nullptr);
    ReplayStop();
    ZoomReset();
    m_doc.Init(width, height);
}

void TPWImage::SetSrcBitmap(const QImage &value)
{
    SetSharpPicture(nullptr);
    ReplayStop();
    ZoomReset();
    m_doc.SetPicture(value);
    SelImageBuild();
}

void TPWImage::SrcBitmapRecPictSet(const QImage &bitmap, const TPWRecArray &recs)
{
    SetSharpPicture(nullptr);
    ReplayStop();
    ZoomReset();
    const TBoardChange change = m_doc.SetPicture(bitmap, recs);
    SelImageBuild();
    ShowChange(change);
}

void TPWImage::SrcBitmapRecTextSet(const QString &word, const TPWRecArray &recs)
{
    SetSharpPicture(nullptr);
    ReplayStop();
    ZoomReset();
    const TBoardChange change = m_doc.SetWord(word, recs);
    SelImageBuild();
    ShowChange(change);
}

void TPWImage::SetWord(const QString &value)
{
    SetSharpPicture(nullptr);
    ReplayStop();
    ZoomReset();
    m_doc.SetWord(value);
    SelImageBuild();
}

void TPWImage::ZoomReset()
{
    FZoom = 1;
    FZPos = QPointF(0, 0);
}

// ---- compositing -------------------------------------------------------------

void TPWImage::ShowChange(const TBoardChange &change)
{
    if (change.whole)
        PWImageBitmapUpdate();
    else
        ScreenUpdateRect(change.area);
}

void TPWImage::HistoryChangedSince(quint64 before)
{
    if (m_doc.Revision() != before)
        emit HistoryChanged();
}

void TPWImage::DstBitmapUpdate() { m_doc.Composite(); }

void TPWImage::PWImageBitmapUpdate()
{
    ScreenUpdateControlRect(ScreenRect());
    ViewFrmUpdate();
}

void TPWImage::ScreenUpdateRect(const QRect &pictureRect)
{
    if (pictureRect.isEmpty())
        return;
    const QPointF a = PictureToScreen(pictureRect.topLeft());
    const QPointF b
        = PictureToScreen(QPointF(pictureRect.x() + pictureRect.width(), pictureRect.y() + pictureRect.height()));
    const QRect cr = QRectF(a, b).normalized().toAlignedRect().adjusted(-1, -1, 1, 1);
    ScreenUpdateControlRect(cr);
    ViewFrmUpdate();
}

void TPWImage::ScreenUpdateControlRect(const QRect &r0)
{
    const QRect r = r0 & ScreenRect();
    if (r.isEmpty())
        return;
    TrailEnd();
    {
        QPainter p(&m_bitmap);
        p.setClipRect(r);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(r, QColor(0, 0, 0));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const QImage &src = m_doc.Picture();
        const QPointF a = PictureToScreen(QPointF(0, 0));
        const QPointF b = PictureToScreen(QPointF(src.width(), src.height()));
        // Drawing the whole picture under a clip samples every pixel exactly
        // as the unclipped drawing does.
        ScreenDraw(p, QRectF(0, 0, src.width(), src.height()), QRectF(a, b));
    }
    update(r);
}

void TPWImage::ScreenDraw(const QRectF &src, const QRectF &dst)
{
    TrailEnd();
    QPainter p(&m_bitmap);
    ScreenDraw(p, src, dst);
}

void TPWImage::ScreenDraw(QPainter &p, const QRectF &src, const QRectF &dst)
{
    // Transparent parts of a picture show over white, as on paper; a black
    // drawing on a transparent background stays readable.
    if (!m_doc.PictureOpaque())
        p.fillRect(dst, Qt::white);
    // Magnified pictures show their pixels; shrunk ones are sampled smoothly,
    // so thin lines (a ruled white board, a drawing's outlines) never drop out.
    // Which of the two is counted in the screen's own pixels.
    if (!SharpDraw(p, src, dst))
        DrawBitmap(p, DspBitmap(), src, dst, 1.0, dst.width() * m_bitmap.devicePixelRatio() >= src.width());
    if (OnPWMenu) {
        const QImage icon = ResourceImage(QStringLiteral("PW_LEFT"), m_bitmap.devicePixelRatio());
        if (!icon.isNull()) {
            const QSize logical = LogicalSize(icon);
            const QRectF ir(ScreenRect().width() - logical.width(), 0, logical.width(), logical.height());
            DrawBitmap(p, icon, QRectF(0, 0, icon.width(), icon.height()), ir, 0.4, true);
        }
    }
}

// ---- view --------------------------------------------------------------------

void TPWImage::FitCalc(Single w, Single h, Single &z, QPointF &o) const
{
    const Single W = Single(m_doc.Picture().width()), H = Single(m_doc.Picture().height());
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
    m_prvBoundsCount = 0;
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
    if (m_selImage && m_selImage->isVisible())
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
    // Made at device resolution: on a screen scaled to 150 % or 200 % the
    // picture is sampled for every device pixel instead of being enlarged.
    const int w = qMax(int(RoundEven(width())), 1), h = qMax(int(RoundEven(height())), 1);
    const qreal dpr = devicePixelRatioF();
    TrailEnd();
    m_bitmap = NewBitmap(int(std::ceil(w * dpr - 1e-6)), int(std::ceil(h * dpr - 1e-6)));
    m_bitmap.setDevicePixelRatio(dpr);
    BitmapClear(m_bitmap, 0xFF000000);
    if (m_cursorName.isEmpty() || m_curImage->Bitmap.devicePixelRatio() != dpr) {
        if (isDown == 0)
            CursorSet(FCrPen);
    }
    ZoomPosSet(this);
}

void TPWImage::SrcBitmapRotate(int index)
{
    ReplayStop();
    const quint64 before = m_doc.Revision();
    LassoUpdate();
    ShowChange(m_doc.Rotate(index == 1));
    ZoomPosSet(this);
    HistoryChangedSince(before);
}

// ---- history -----------------------------------------------------------------

void TPWImage::RebuildAll() { ShowChange(m_doc.Rebuild()); }

void TPWImage::PWUndo()
{
    ReplayStop();
    const quint64 before = m_doc.Revision();
    ShowChange(m_doc.Undo());
    HistoryChangedSince(before);
}

void TPWImage::PWRedo()
{
    ReplayStop();
    const quint64 before = m_doc.Revision();
    ShowChange(m_doc.Redo());
    HistoryChangedSince(before);
}

void TPWImage::EraseAll()
{
    ReplayStop();
    const quint64 before = m_doc.Revision();
    LassoUpdate();
    ShowChange(m_doc.EraseAll());
    HistoryChangedSince(before);
}

void TPWImage::DrawRec(const TPWMenuItem &menu, TPathData &path) { m_doc.Draw(menu, path, m_style); }

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
    return QRectF(PictureToView(QPointF(0, 0)),
                  PictureToView(QPointF(m_doc.Picture().width(), m_doc.Picture().height())));
}

void TPWImage::ViewFrmUpdate()
{
    if (m_viewSize.isEmpty())
        return;
    emit ViewChanged();
}

void TPWImage::ViewFrmOnIdle()
{
    if (m_viewSize.isEmpty() || !m_curImage->isVisible())
        return;
    // A footprint ring grows the cursor picture up and left; the pen's own
    // picture is what goes where it points on the mirror.
    const QPointF p = PictureToView(ScreenToPicture(QPointF(m_curImage->pos()) + m_cursorShift)) - m_cursorShift;
    emit ViewCursorMoved(QPoint(int(RoundEven(p.x())), int(RoundEven(p.y()))));
}

void TPWImage::ViewCursorUpdate()
{
    if (m_viewSize.isEmpty())
        return;
    emit ViewCursorChanged(m_curImage->Bitmap);
}

// ---- Qt events -----------------------------------------------------------------

void TPWImage::ScreenRepaint(const QRect &r)
{
    // The cursor's old and new places and the segment under them come in
    // one event, overlapping: as one rectangle they are painted in one go
    // and copied row by row, as bands they would be three of each.
    if (r.intersects(m_repaintPending)) {
        m_repaintPending |= r;
        update(m_repaintPending);
        return;
    }
    if (m_repaintPending.isEmpty())
        m_repaintPending = r;
    update(r);
}

void TPWImage::paintEvent(QPaintEvent *e)
{
    m_repaintPending = QRect();
    // Moved to a screen of another density: the screen image is made anew for it.
    if (m_bitmap.devicePixelRatio() != devicePixelRatioF())
        PWResize();
    QPainter p(this);
    const QRect screen = ScreenRect();
    const bool uncovered = screen.width() < width() || screen.height() < height();
    // The screen image is opaque everywhere, so its pixels read as they are
    // without alpha: a window's backing store has none either, and Qt copies
    // such pixels row by row instead of blending them one by one.
    QImage opaque(m_bitmap.constBits(), m_bitmap.width(), m_bitmap.height(), m_bitmap.bytesPerLine(),
                  QImage::Format_RGB32);
    opaque.setDevicePixelRatio(m_bitmap.devicePixelRatio());
    const QRegion &region = e->region();
    for (const QRect &r : region) {
        if (uncovered)
            p.fillRect(r, Qt::black);
        const QRect shown = r & screen;
        p.drawImage(QPointF(shown.topLeft()), opaque, ScreenPixels(shown));
    }
    // Over it the cursor picture, once; the painter is clipped to the region.
    const QRect cursorRect = m_curImage->geometry();
    if (m_curImage->isVisible() && !m_curImage->Bitmap.isNull() && region.intersects(cursorRect))
        p.drawImage(cursorRect.topLeft(), m_curImage->Bitmap);
}

void TPWImage::resizeEvent(QResizeEvent *)
{
    // A window shown for the first time reports the size its board was
    // already fitted to; the screen image is right as it is.
    if (LogicalSize(m_bitmap) == QSize(qMax(int(RoundEven(width())), 1), qMax(int(RoundEven(height())), 1))
        && m_bitmap.devicePixelRatio() == devicePixelRatioF())
        return;
    PWResize();
}
