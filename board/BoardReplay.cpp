#include "board/BoardReplay.h"

#include "platform/Bitmap.h"

#include <QPainter>
#include <cmath>

TBoardReplay::TBoardReplay(const TBoardDocument &doc) : m_picture(doc.Picture()), m_options(doc.Options())
{
    const TPWRecArray &recs = doc.History();
    // A replay starts after the last erase-all in effect, as the board's does.
    for (int j = recs.RecLastEraseAll() + 1; j <= recs.p; ++j) {
        if (!IsStrokeRec(recs.Rec[size_t(j)].Menu.PenType))
            continue;
        Stroke s;
        s.menu = recs.RecPath(j, s.path);
        s.style = recs.Rec[size_t(j)].Style;
        s.pressure = recs.Rec[size_t(j)].Pressure;
        if (s.path.Count() > 0)
            m_strokes.push_back(std::move(s));
    }
    m_pen = NewBitmap(m_picture.width(), m_picture.height());
    // Composited as the document's display is: whoever shows either puts a
    // transparent picture over white.
    m_display = m_picture.copy();
}

QRect TBoardReplay::DrawPart(int points)
{
    const Stroke &s = m_strokes[size_t(m_next)];
    if (m_bounds.isNull()) { // the stroke begins: keep what lies under it
        m_bounds = RecordBounds(s.menu, s.path, m_pen.rect(), m_options);
        m_before = m_pen.copy(m_bounds);
    } else {
        QPainter p(&m_pen);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(m_bounds.topLeft(), m_before);
    }
    TPathData part;
    part.reserve(points);
    for (int i = 0; i < points; ++i) {
        const TPathData::Point &pt = s.path.at(i);
        if (pt.kind == TPathData::Move)
            part.MoveTo(pt.pt);
        else
            part.LineTo(pt.pt);
    }
    // The part keeps the pressure of its points.
    const TPressure pressure = s.pressure.size() == s.path.Count() ? s.pressure.mid(0, points) : TPressure();
    RenderRecord(m_pen, m_scratch, s.menu, part, s.style, m_options, pressure);
    const QRect r = m_bounds & m_display.rect();
    QPainter p(&m_display);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(r.topLeft(), m_picture, r);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(r.topLeft(), m_pen, r);
    return r;
}

QRect TBoardReplay::Advance(double strokes)
{
    QRect changed;
    while (!Done() && strokes > 0) {
        const double step = std::min(strokes, 1.0 - m_part);
        m_part += step;
        strokes -= step;
        const int n = m_strokes[size_t(m_next)].path.Count();
        const bool whole = m_part >= 1.0 - 1e-9;
        changed |= DrawPart(whole ? n : std::clamp(int(std::ceil(m_part * n)), 1, n));
        if (whole) {
            ++m_next;
            m_part = 0;
            m_bounds = QRect();
            m_before = QImage();
        }
    }
    return changed;
}
