// The renderer: how one history record looks. Functions of the record and of
// explicit options only, so a history draws the same wherever and whenever
// it is replayed.
#pragma once

#include "board/PWRec.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QStringList>

class QPainter;

// What a rendering needs besides the record: the board's, the same for every
// record of a history.
struct TRenderOptions {
    Single MarkerOpacity = 0.4f;
    Single ArrowSize = 5;
    // Every record composites its scratch layer whole instead of only the
    // area it touched: the straightforward reference of the replay tests.
    bool WholeLayer = false;
};

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

// A pen's width as drawn: none for a width that is not positive, and
// never beyond what any picture could show.
Single StrokeThickness(const TPWMenuItem &menu);
// The colour a pen-order stroke numbered number is drawn in.
TAlphaColor OrderColor(TAlphaColor number);
// The speed-sensitive brush: the width of the segment a-b of a stroke of
// width w. press carries the pressure from segment to segment; a stroke
// starts it at 1024.
Single BrushWidth(Single w, const QPointF &a, const QPointF &b, Single &press);
// How much of a pen's width a stylus pressure level gives: a fifth at the
// lightest touch, the whole width at full pressure.
Single PressureScale(Single level);
// The brush at a real pressure: the width follows it instead of the speed.
Single PressureBrushWidth(Single w, Single level);

// The area of layer a record may touch, in whole pixels, clipped to it.
QRect RecordBounds(const TPWMenuItem &menu, const TPathData &path, const QRect &layer, const TRenderOptions &options);
// Renders one record into layer, in style (smoothing, the numbers' font).
// scratch is a work layer kept between calls; path is changed as drawn
// (smoothing, arrow heads). pressure, one level per point of path or empty,
// narrows pens, markers and rainbows and drives the brush.
// Returns the area that may have changed.
QRect RenderRecord(QImage &layer, QImage &scratch, const TPWMenuItem &menu, TPathData &path, const TRenderStyle &style,
                   const TRenderOptions &options, const TPressure &pressure = TPressure());
