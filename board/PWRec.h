// Pen kinds and commands, the pen record and the stroke history.
//
// A history is a list of records; the pen layer is always reproducible by
// replaying the records in effect. Strokes are stored once as the raw points
// captured in picture coordinates; lasso moves and quarter turns append
// records carrying a 3x3 matrix that replay applies to earlier strokes.
#pragma once

#include "pens/Pens.h"
#include "platform/PathData.h"
#include "platform/Types.h"

#include <QPointF>
#include <QString>
#include <QVector>
#include <array>
#include <cmath>
#include <vector>

// Row-major 3x3 matrix m0..m8; m6..m8 hold 0, 0, 1 and are not read when mapping.
using TAr3x3 = std::array<Single, 9>;
using TPolygon = QVector<QPointF>;
using TLines = QVector<qint32>;

TAr3x3 MatIdentity();
TAr3x3 MatTranslate(Single tx, Single ty);
TAr3x3 MatRotate(Single a);
// A*B: B is applied first, then A.
TAr3x3 MatMul(const TAr3x3 &a, const TAr3x3 &b);
QPointF MatApply(const QPointF &p, const TAr3x3 &m);
bool MatIsIdentity(const TAr3x3 &m);
// The same matrix to the bit (-0 and 0 differ): what a stored copy must keep.
bool MatSameBits(const TAr3x3 &a, const TAr3x3 &b);
// Turns a W x H picture about its centre (cx, cy) and puts that centre at
// (cy, cx), the centre of the turned H x W picture.
TAr3x3 MatTurnAt(Single cx, Single cy, Single a);

// How a stroke is drawn beyond its pen: taken from the settings when the
// stroke is recorded and kept with it, so that a replay draws what was drawn
// whatever the settings say by then.
struct TRenderStyle {
    bool Smoothing = true;
    QString NumberFont; // the pen-order numbers' font family; empty: the default
    bool operator==(const TRenderStyle &o) const { return Smoothing == o.Smoothing && NumberFont == o.NumberFont; }
};

// A stylus's pressure at each point of a stroke, 0 (lightest) to
// PressureFull; a stroke drawn without pressure has none.
using TPressure = QVector<quint16>;
constexpr quint16 PressureFull = 65535;
inline quint16 PressureLevel(double pressure) { return quint16(std::lround(qBound(0.0, pressure, 1.0) * PressureFull)); }

struct TPWRec {
    TPWMenuItem Menu;
    TPolygon Points;
    TPressure Pressure; // stroke records only: empty, or one per point
    TAr3x3 Trans = MatIdentity();
    TLines Lines;
    TRenderStyle Style; // stroke records only
};

// Record classes by Menu.PenType.
inline bool IsStrokeRec(TPWPenType t) { return t < pwEdit; }
inline bool IsTurnRec(TPWPenType t) { return t == pwTurnR || t == pwTurnL; }

struct TPWRecArray {
    int p = -1; // last record in effect
    int c = -1; // last record kept; p+1..c are the redo entries
    std::vector<TPWRec> Rec; // its size is a capacity and may exceed c + 1

    void RecInit();
    void RecClear();
    int RecNext();
    // pressure is kept when it has one level per point of path.
    void RecAddLine(const TPWMenuItem &pen, const TPathData &path, const TRenderStyle &style = TRenderStyle(),
                    const TPressure &pressure = TPressure());
    void RecAddEdit(const TAr3x3 &m, const TLines &indices);
    // Appends the turn record of a W x H picture (before the turn).
    void RecAddTurn(bool right, Single w, Single h);
    // Appends an erase-all record: it clears the pen layer when replayed,
    // and undoing it brings the strokes before it back.
    void RecAddEraseAll();
    // The last record in effect that clears the pen layer, or -1: the
    // strokes up to it are no longer on the board.
    int RecLastEraseAll() const;
    // Whether a stroke drawn after the last erase-all is in effect.
    bool RecHasStrokes() const;
    bool RecCanUndo() const { return p >= 0 && c >= 0; }
    void RecUndo() { --p; }
    bool RecCanRedo() const { return p < c; }
    void RecRedo() { ++p; }

    // The effective points of stroke record r in the current orientation.
    TPolygon RecPoints(int r) const;
    // Record r's pen, and its effective points as a move and lines.
    TPWMenuItem RecPath(int r, TPathData &path) const;
    // Net number of quarter turns clockwise, 0..3.
    int RecTurn() const;

    int Capacity() const { return int(Rec.size()); }
};

void RecCopy(const TPWRecArray &source, TPWRecArray &destination);
