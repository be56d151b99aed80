// Pen kinds and commands, the pen record and the stroke history.
//
// A history is a list of records; the pen layer is always reproducible by
// replaying the records in effect. Strokes are stored once as the raw points
// captured in picture coordinates; lasso moves and quarter turns append
// records carrying a 3x3 matrix that replay applies to earlier strokes.
#pragma once

#include "platform/PathData.h"
#include "platform/Types.h"

#include <QPointF>
#include <QVector>
#include <array>
#include <vector>

enum TPWPenType : quint8 {
    pwNone = 0,
    pwPn = 1,
    pwMk = 2,
    pwEr = 3,
    pwRbPn = 4,
    pwRbMk = 5,
    pwArPn0 = 6,
    pwArPn1 = 7,
    pwArMk0 = 8,
    pwArMk1 = 9,
    pwFuPn = 10,
    pwFuMk = 11,
    pwMove = 12,
    pwFunc = 13,
    pwEraseAll = 14,
    pwOpen = 15,
    pwSave = 16,
    pwSaveAs = 17,
    pwUndo = 18,
    pwRedo = 19,
    pwZoom0 = 20,
    pwZoom1 = 21,
    pwWBrd = 22,
    pwNext = 23,
    pwPrev = 24,
    pwCenter = 25,
    pwLaunch = 26,
    pwMView = 27,
    pwEdit = 28,
    pwTurnR = 29,
    pwTurnL = 30,
    pwMoveV = 31,
    pwMoveH = 32,
    pwLasso = 33,
    pwInfo = 34,
    pwSetup = 35,
    pwPenSetup = 36,
    pwMarkPtr = 37,
    pwMarkIdx = 38,
    pwClose = 39,
    pwApp = 40,
};
constexpr int PenTypeCount = 41;

// Drawing pens: the kinds 1 to 11.
inline bool IsDrawingPen(TPWPenType t) { return t >= pwPn && t <= pwFuMk; }

// One pen or command entry: every pen, stock pen, tool bar entry, launcher
// entry and pen-dialog result.
struct TPWMenuItem {
    TPWPenType PenType = pwNone;
    // Stroke colour; for pwFuMk strokes the order number, for pwMarkPtr the
    // stock-pen index in the low 24 bits.
    TAlphaColor PenColor = 0;
    // Width in picture pixels; for pwMoveV/pwMoveH the signed pan distance.
    Single PenThickness = 0;
    TStrokeDash PenDash = sdSolid;

    bool operator==(const TPWMenuItem &o) const
    {
        return PenType == o.PenType && PenColor == o.PenColor && PenThickness == o.PenThickness
               && PenDash == o.PenDash;
    }
    bool operator!=(const TPWMenuItem &o) const { return !(*this == o); }
};

inline TPWMenuItem MakeMenuItem(TPWPenType t, TAlphaColor color, Single thickness, TStrokeDash dash = sdSolid)
{
    TPWMenuItem m;
    m.PenType = t;
    m.PenColor = color;
    m.PenThickness = thickness;
    m.PenDash = dash;
    return m;
}

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
// Turns a W x H picture about its centre (cx, cy) and puts that centre at
// (cy, cx), the centre of the turned H x W picture.
TAr3x3 MatTurnAt(Single cx, Single cy, Single a);

struct TPWRec {
    TPWMenuItem Menu;
    TPolygon Points;
    TAr3x3 Trans = MatIdentity();
    TLines Lines;
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
    void RecAddLine(const TPWMenuItem &pen, const TPathData &path);
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
