// Lasso selection: strokes wholly inside a drawn outline are lifted off the
// pen layer, shown as they look inside a dashed outline, can be dragged, and
// their accumulated move becomes one edit record when the selection is given up.
#include "board/PWImage.h"

#include <QPainter>
#include <cmath>

namespace {
bool PointInPolygon(double x, double y, const TPathData &poly)
{
    bool inside = false;
    const int n = poly.Count();
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const double xi = poly.at(i).pt.x(), yi = poly.at(i).pt.y();
        const double xj = poly.at(j).pt.x(), yj = poly.at(j).pt.y();
        if (((y >= yi && y < yj) || (y >= yj && y < yi)) && (xj - xi) * (y - yi) / (yj - yi) + xi > x)
            inside = !inside;
    }
    return inside;
}
} // namespace

void TPWImage::LassoUpdate()
{
    if (FCrPen.PenType != pwLasso)
        return;
    const bool hadSelection = !SelLines.isEmpty();
    PWRecArray.RecAddEdit(SelTrans, SelLines);
    SelLines.clear();
    SelRF = QRectF(0, 0, 0, 0);
    SelTrans = MatIdentity();
    SelImage->hide();
    m_selLayer = QImage();
    // Without a selection the pen layer already shows every stroke in place.
    if (hadSelection)
        RebuildAll();
}

TLines TPWImage::RecSelect(const TPathData &lasso) const
{
    TLines result;
    if (lasso.Count() < 3)
        return result;
    // Strokes an erase-all took away are not on the board, and the erase-all
    // itself is not a stroke one can point at.
    for (int j = PWRecArray.RecLastEraseAll() + 1; j <= PWRecArray.p; ++j) {
        if (!IsStrokeRec(PWRecArray.Rec[j].Menu.PenType))
            continue;
        const TPolygon pts = PWRecArray.RecPoints(j);
        bool all = true;
        for (const QPointF &pt : pts)
            if (!PointInPolygon(pt.x(), pt.y(), lasso)) {
                all = false;
                break;
            }
        if (all)
            result << j;
    }
    return result;
}

void TPWImage::RebuildSelect()
{
    SelImageBuild();
    LayersReset();
    PatchesClear();
    int k = 0;
    for (int j = ReplayStart(); j <= PWRecArray.p; ++j) {
        if (!IsStrokeRec(PWRecArray.Rec[j].Menu.PenType))
            continue;
        while (k < SelLines.size() && SelLines[k] < j)
            ++k;
        if (k < SelLines.size() && SelLines[k] == j)
            continue;
        RenderRecord(j, false);
    }
    DstBitmapUpdate();
    PWImageBitmapUpdate();
}

void TPWImage::SelImageBuild()
{
    SelLayerRender();
    SelImagePlace(MatIdentity());
    SelTrans = MatIdentity();
}

void TPWImage::SelLayerRender()
{
    m_selLayer = QImage();
    m_selArea = QRect();
    TPathData path;
    for (qint32 idx : SelLines)
        m_selArea |= RecBounds(PWRecArray.RecPath(idx, path), path);
    if (m_selArea.isEmpty())
        return;
    // The selected strokes are drawn by the board's own renderer, in their
    // order, into a layer of just their area: what the user picked up looks
    // exactly as it did on the board (colours, markers' opacity, arrow
    // heads, numbers). The renderer draws into the pen and scratch layers,
    // so the board's own are set aside meanwhile, with the state a
    // rendering changes.
    QImage pen = std::move(FPnBitmap), scratch = std::move(DLnBitmap);
    const QVector<int> counts = FuCounts;
    const Single press = LastPress;
    const QRect dirty = m_dirty;
    FPnBitmap = NewBitmap(m_selArea.width(), m_selArea.height());
    for (qint32 idx : SelLines) {
        const TPWMenuItem menu = PWRecArray.RecPath(idx, path);
        path.Translate(-m_selArea.left(), -m_selArea.top());
        DrawRec(menu, path);
    }
    m_selLayer = std::move(FPnBitmap);
    FPnBitmap = std::move(pen);
    DLnBitmap = std::move(scratch);
    FuCounts = counts;
    LastPress = press;
    m_dirty = dirty;
}

void TPWImage::SelImagePlace(const TAr3x3 &move)
{
    if (SelLines.isEmpty() || m_selArea.isEmpty()) {
        SelRF = QRectF(0, 0, 0, 0);
        m_selLayer = QImage();
        SelImage->hide();
        return;
    }
    const QPointF a = PictureToScreen(MatApply(QPointF(m_selArea.left(), m_selArea.top()), move));
    const QPointF b = PictureToScreen(MatApply(QPointF(m_selArea.left() + m_selArea.width(), m_selArea.top() + m_selArea.height()), move));
    const QRectF shown = QRectF(a, b).normalized();
    // The outline runs a few pixels outside the strokes, and the whole of it is where a drag can start.
    constexpr double gap = 4;
    SelRF = shown.adjusted(-gap, -gap, gap, gap);
    // The child control lies on whole pixels; the strokes keep their place on screen.
    const int left = int(std::floor(SelRF.left())), top = int(std::floor(SelRF.top()));
    const int w = qMax(1, int(std::ceil(SelRF.right())) - left), h = qMax(1, int(std::ceil(SelRF.bottom())) - top);
    SelImage->setGeometry(left, top, w, h);
    m_selDst = shown.translated(-left, -top);
    SelImage->show();
    SelImage->update();
}

void TPWImage::SelImageRemap()
{
    if (SelLines.isEmpty())
        return;
    // A drag cut short by the new view keeps what it had moved.
    if (isDown == 3)
        SelMoveEnd();
    SelImagePlace(SelTrans);
}

void TPWImage::SelImagePaint(QPainter &canvas, const QRect &)
{
    if (SelLines.isEmpty() || m_selLayer.isNull())
        return;
    // Sampled as the board samples its picture, so nothing changes on screen when strokes are picked up.
    const QRectF src(0, 0, m_selLayer.width(), m_selLayer.height());
    DrawBitmap(canvas, m_selLayer, src, m_selDst, 1.0, m_selDst.width() >= src.width());
    // Black dashes over a white line: readable on any picture.
    canvas.save();
    canvas.setOpacity(1);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setBrush(Qt::NoBrush);
    const QRectF box = QRectF(SelImage->rect()).adjusted(1, 1, -1, -1);
    canvas.setPen(QPen(QColor(Qt::white), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    canvas.drawRect(box);
    QPen dashes(QColor(Qt::black), 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    dashes.setDashPattern({3, 3});
    canvas.setPen(dashes);
    canvas.drawRect(box);
    canvas.restore();
}

void TPWImage::SelMoveEnd()
{
    const QPointF a = ScreenToPicture(SelGrXY0), b = ScreenToPicture(SelGrXY1);
    SelTrans = MatMul(MatTranslate(Single(b.x() - a.x()), Single(b.y() - a.y())), SelTrans);
    SelRF.translate(SelGrXY1 - SelGrXY0);
    isDown = 0;
}
