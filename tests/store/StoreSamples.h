// Histories of every kind of record, for the store's tests.
#pragma once

#include "board/PWRec.h"

#include <QtTest>
#include <bit>
#include <cstring>
#include <numbers>

inline TPathData Walk(int n, float x0, float y0, float step = 1.37f)
{
    TPathData path;
    path.MoveTo(QPointF(x0, y0));
    for (int i = 1; i < n; ++i)
        path.LineTo(QPointF(x0 + float(i) * step, y0 + float(i % 7) * step / 3));
    return path;
}

// Strokes of several pens, a move, both turns and an erase-all; the last two
// records undone, so that p < c.
inline TPWRecArray MixedHistory()
{
    TPWRecArray h;
    h.RecInit();
    h.RecAddLine(MakeMenuItem(pwPn, 0xFF102030, 3.5f), Walk(40, 10.25f, 20.5f));
    h.RecAddLine(MakeMenuItem(pwMk, 0x80FF0000, 20, sdDashDot), Walk(5, 100, 100),
                 {false, QStringLiteral("Noto Sans")});
    h.RecAddEdit(MatTranslate(12.5f, -3), {0, 1});
    h.RecAddTurn(true, 800, 600);
    h.RecAddLine(MakeMenuItem(pwFuMk, 3, 8), Walk(1, 5, 5));
    h.RecAddEraseAll();
    h.RecAddTurn(false, 600, 800);
    h.RecUndo();
    h.RecUndo();
    return h;
}

inline bool SameBits(const TPWRec &a, const TPWRec &b)
{
    return a.Menu == b.Menu && MatSameBits(a.Trans, b.Trans) && a.Lines == b.Lines && a.Style == b.Style
           && a.Pressure == b.Pressure && a.Points.size() == b.Points.size()
           && (a.Points.isEmpty()
               || std::memcmp(a.Points.constData(), b.Points.constData(), size_t(a.Points.size()) * sizeof(QPointF))
                      == 0);
}

// Records 0..c, p and c are what a history is; capacity is not.
inline void CompareHistories(const TPWRecArray &got, const TPWRecArray &want)
{
    QCOMPARE(got.c, want.c);
    QCOMPARE(got.p, want.p);
    QVERIFY(got.Capacity() >= got.c + 1);
    for (int i = 0; i <= want.c; ++i)
        QVERIFY2(SameBits(got.Rec[size_t(i)], want.Rec[size_t(i)]), qPrintable(QString::number(i)));
}
