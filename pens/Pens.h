// Pen kinds and commands, the pen or command entry, the rainbow colours and
// the sample stroke of a pen: what the board, the tiles, the settings and the
// dialogs all speak of, below all of them.
#pragma once

#include "platform/Types.h"

#include <QRectF>
#include <array>

class QPainter;

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
    // Commands added later, after the original kinds: handing out the
    // lesson and replaying how its strokes were written.
    pwExport = 41,
    pwPrint = 42,
    pwReplay = 43,
};
constexpr int PenTypeCount = 44;

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
        return PenType == o.PenType && PenColor == o.PenColor && PenThickness == o.PenThickness && PenDash == o.PenDash;
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

// The seven rainbow colours of the rainbow pens, the pen-order pen and the samples.
extern const std::array<TAlphaColor, 7> RbColors;

// Draws a sample stroke of a pen into a rectangle of any canvas.
void PWMenuItemDraw(const TPWMenuItem &pen, QPainter &canvas, const QRectF &r);
