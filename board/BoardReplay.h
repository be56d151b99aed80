// Drawing a board's strokes again, one after another in the order they were
// recorded, each growing along its points: how a character was written,
// shown to the class. Works on a picture of its own: the board's history and
// layers are not touched.
#pragma once

#include "board/BoardDocument.h"

#include <QImage>
#include <QRect>
#include <vector>

class TBoardReplay
{
public:
    // The strokes in effect on doc, where they are now (after moves and
    // turns), to be drawn over its picture.
    explicit TBoardReplay(const TBoardDocument &doc);

    // Every stroke is drawn.
    bool Done() const { return m_next >= int(m_strokes.size()); }
    int StrokeCount() const { return int(m_strokes.size()); }
    // Strokes drawn whole so far.
    int StrokesDone() const { return m_next; }
    // Goes on by the fraction of a stroke (1 draws one whole stroke), on into
    // the next ones when it is more than what is left of this one. Returns
    // the area of Display that changed.
    QRect Advance(double strokes);
    // The picture with the strokes drawn so far; when Done, the document's display.
    const QImage &Display() const { return m_display; }

private:
    struct Stroke {
        TPWMenuItem menu;
        TPathData path;
        TRenderStyle style;
        TPressure pressure; // a stylus's, one level per point, or none
    };
    // Draws the first points of the current stroke over the layer as it was before it.
    QRect DrawPart(int points);

    std::vector<Stroke> m_strokes;
    int m_next = 0; // the stroke being drawn
    double m_part = 0; // how much of it, 0..1
    QImage m_picture, m_pen, m_scratch, m_display;
    QImage m_before; // the pen layer under the current stroke's bounds before it
    QRect m_bounds;
    TRenderOptions m_options;
};
