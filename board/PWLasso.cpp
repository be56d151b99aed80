// The lasso on the screen: the strokes the document picked up show as they
// look inside a dashed outline, can be dragged, and their accumulated move
// is recorded when the selection is given up.
#include "board/PWImage.h"

#include <QPainter>
#include <cmath>

void TPWImage::LassoUpdate()
{
    if (FCrPen.PenType != pwLasso)
        return;
    SelectionHide();
    const quint64 before = m_doc.Revision();
    ShowChange(m_doc.SelectionDrop());
    HistoryChangedSince(before);
}

void TPWImage::LassoEnd()
{
    const bool hadSelection = !m_doc.Selection().isEmpty();
    const quint64 before = m_doc.Revision();
    const TBoardChange change = m_doc.SelectInside(CrPathData);
    HistoryChangedSince(before);
    if (!hadSelection && m_doc.Selection().isEmpty()) {
        // Only the lasso's trail leaves the screen.
        m_selRF = QRectF(0, 0, 0, 0);
        PWImageBitmapUpdate();
        return;
    }
    SelImageBuild();
    ShowChange(change);
}

void TPWImage::SelectionHide()
{
    m_selRF = QRectF(0, 0, 0, 0);
    m_selImage->hide();
    m_selLayer = QImage();
}

void TPWImage::SelImageBuild()
{
    m_selLayer = m_doc.RenderSelection(m_selArea);
    SelImagePlace(m_doc.SelectionMove());
}

void TPWImage::SelImagePlace(const TAr3x3 &move)
{
    if (m_doc.Selection().isEmpty() || m_selArea.isEmpty()) {
        SelectionHide();
        return;
    }
    const QPointF a = PictureToScreen(MatApply(QPointF(m_selArea.left(), m_selArea.top()), move));
    const QPointF b = PictureToScreen(
        MatApply(QPointF(m_selArea.left() + m_selArea.width(), m_selArea.top() + m_selArea.height()), move));
    const QRectF shown = QRectF(a, b).normalized();
    // The outline runs a few pixels outside the strokes, and the whole of it is where a drag can start.
    constexpr double gap = 4;
    m_selRF = shown.adjusted(-gap, -gap, gap, gap);
    // The child control lies on whole pixels; the strokes keep their place on screen.
    const int left = int(std::floor(m_selRF.left())), top = int(std::floor(m_selRF.top()));
    const int w = qMax(1, int(std::ceil(m_selRF.right())) - left), h = qMax(1, int(std::ceil(m_selRF.bottom())) - top);
    m_selImage->setGeometry(left, top, w, h);
    m_selDst = shown.translated(-left, -top);
    m_selImage->show();
    m_selImage->update();
}

void TPWImage::SelImageRemap()
{
    if (m_doc.Selection().isEmpty())
        return;
    // A drag cut short by the new view keeps what it had moved.
    if (isDown == 3)
        SelMoveEnd();
    SelImagePlace(m_doc.SelectionMove());
}

void TPWImage::SelImagePaint(QPainter &canvas, const QRect &)
{
    if (m_doc.Selection().isEmpty() || m_selLayer.isNull())
        return;
    // Sampled as the board samples its picture, so nothing changes on screen when strokes are picked up.
    const QRectF src(0, 0, m_selLayer.width(), m_selLayer.height());
    DrawBitmap(canvas, m_selLayer, src, m_selDst, 1.0, m_selDst.width() * devicePixelRatioF() >= src.width());
    // Black dashes over a white line: readable on any picture.
    canvas.save();
    canvas.setOpacity(1);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setBrush(Qt::NoBrush);
    const QRectF box = QRectF(m_selImage->rect()).adjusted(1, 1, -1, -1);
    canvas.setPen(QPen(QColor(Qt::white), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    canvas.drawRect(box);
    QPen dashes(QColor(Qt::black), 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    dashes.setDashPattern({3, 3});
    canvas.setPen(dashes);
    canvas.drawRect(box);
    canvas.restore();
    // The cursor picture stays on top of the selection it grabs.
    if (m_curImage->isVisible() && !m_curImage->Bitmap.isNull())
        canvas.drawImage(m_curImage->pos() - m_selImage->pos(), m_curImage->Bitmap);
}

void TPWImage::SelMoveEnd()
{
    const QPointF a = ScreenToPicture(SelGrXY0), b = ScreenToPicture(SelGrXY1);
    m_doc.SelectionMoveBy(MatTranslate(Single(b.x() - a.x()), Single(b.y() - a.y())));
    m_selRF.translate(SelGrXY1 - SelGrXY0);
    isDown = 0;
}
