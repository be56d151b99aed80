// Lasso selection: strokes wholly inside a drawn outline are lifted off the
// pen layer, shown as outlines that can be dragged, and their accumulated
// move becomes one edit record when the selection is given up.
#include "board/PWImage.h"

#include <QPainter>

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
    SelImagePlace(MatIdentity());
    SelTrans = MatIdentity();
}

void TPWImage::SelImagePlace(const TAr3x3 &move)
{
    SelPathData.Clear();
    const int n = SelLines.size();
    if (n == 0) {
        SelRF = QRectF(0, 0, 0, 0);
    } else {
        for (qint32 idx : SelLines) {
            const TPolygon pts = PWRecArray.RecPoints(idx);
            for (int i = 0; i < pts.size(); ++i) {
                const QPointF s = PictureToScreen(MatApply(pts[i], move));
                if (i == 0)
                    SelPathData.MoveTo(s);
                else
                    SelPathData.LineTo(s);
            }
        }
        const double g = double(FCrPen.PenThickness) * FZoom;
        SelRF = SelPathData.GetBounds().adjusted(-g, -g, g, g);
        // The child control lies on whole pixels; the outline keeps its place on screen.
        const int left = int(std::floor(SelRF.left())), top = int(std::floor(SelRF.top()));
        const int w = qMax(1, int(std::ceil(SelRF.right())) - left), h = qMax(1, int(std::ceil(SelRF.bottom())) - top);
        SelImage->setGeometry(left, top, w, h);
        SelImage->Bitmap = NewBitmap(w, h);
        SelPathData.Translate(-left, -top);
    }
    SelImage->setVisible(n > 0);
    if (n > 0)
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
    if (SelLines.isEmpty())
        return;
    PreparePainter(canvas);
    canvas.setPen(StrokePen(0xFF000000, qMax(double(FCrPen.PenThickness) * FZoom, 0.0), sdSolid, true));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawPath(SelPathData.toPainterPath());
}

void TPWImage::SelMoveEnd()
{
    const QPointF a = ScreenToPicture(SelGrXY0), b = ScreenToPicture(SelGrXY1);
    SelTrans = MatMul(MatTranslate(Single(b.x() - a.x()), Single(b.y() - a.y())), SelTrans);
    SelRF.translate(SelGrXY1 - SelGrXY0);
    isDown = 0;
}
