// The board: fit, zoom and turns; loading; and the promise that every
// incremental path (commit, undo patches, redo, lasso, switching histories)
// leaves exactly the pen layer a full replay would draw.
#include "board/PWImage.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
QImage Picture(int w, int h)
{
    QImage img = NewBitmap(w, h);
    // An asymmetric picture, so turns and flips show.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 255) / qMax(w - 1, 1), (y * 255) / qMax(h - 1, 1), 128));
    return img;
}

// Draws a stroke through the board's own pointer handlers (control coordinates).
void Stroke(TPWImage &b, const QVector<QPointF> &pts)
{
    b.PWMouseDown(Single(pts[0].x()), Single(pts[0].y()));
    for (int i = 1; i < pts.size(); ++i)
        b.PWMouseMove(Single(pts[i].x()), Single(pts[i].y()));
    b.PWMouseUp(Single(pts.last().x()), Single(pts.last().y()));
}

// The same through a stylus's tablet events, at the pressures given (one per point).
void PressureStroke(TPWImage &b, const QVector<QPointF> &pts, const QVector<qreal> &levels)
{
    static QPointingDevice stylus(QStringLiteral("stylus"), 4001, QInputDevice::DeviceType::Stylus,
                                  QPointingDevice::PointerType::Pen,
                                  QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 2);
    for (int i = 0; i < pts.size(); ++i) {
        const QEvent::Type type = i == 0 ? QEvent::TabletPress : QEvent::TabletMove;
        QTabletEvent e(type, &stylus, pts[i], pts[i], levels[i], 0, 0, 0, 0, 0, Qt::NoModifier,
                       i == 0 ? Qt::LeftButton : Qt::NoButton, Qt::LeftButton);
        QApplication::sendEvent(&b, &e);
    }
    QTabletEvent e(QEvent::TabletRelease, &stylus, pts.last(), pts.last(), levels.last(), 0, 0, 0, 0, 0, Qt::NoModifier,
                   Qt::LeftButton, Qt::NoButton);
    QApplication::sendEvent(&b, &e);
}

QString FirstDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes %1x%2 and %3x%4").arg(a.width()).arg(a.height()).arg(b.width()).arg(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("pixel (%1, %2): %3 vs %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16)
                    .arg(b.pixel(x, y), 8, 16);
    return QString();
}
} // namespace

class TestBoard : public QObject
{
    Q_OBJECT
private slots:

    // Replay draws the strokes in the order they were recorded, each
    // growing, on a picture of its own: the history stays as it was, and a
    // press shows everything again at once.
    void replayInRecordOrderUntilAPress()
    {
        TPWImage b;
        b.resize(300, 200);
        b.PWResize();
        b.SetSrcBitmap(Picture(300, 200));
        b.ZoomReset();
        b.show();
        const QRgb red = 0xFFFF0000, blue = 0xFF0000FF;
        b.SetCrPen(MakeMenuItem(pwPn, red, 6));
        Stroke(b, {{20, 50}, {80, 50}, {140, 50}});
        b.SetCrPen(MakeMenuItem(pwPn, blue, 6));
        Stroke(b, {{20, 150}, {80, 150}, {140, 150}});
        const QImage all = b.DspBitmap().copy();
        const int records = b.PWRecArray().c;
        b.SetReplayPace(1000);
        b.ReplayStart();
        QVERIFY(b.IsReplaying());
        // The first frame: no stroke yet.
        QVERIFY(b.DspBitmap().pixel(20, 50) != red && b.DspBitmap().pixel(20, 150) != blue);
        b.ReplayAdvance(500); // half the first stroke
        QCOMPARE(b.DspBitmap().pixel(20, 50), red);
        QVERIFY(b.DspBitmap().pixel(138, 50) != red);
        QVERIFY(b.DspBitmap().pixel(20, 150) != blue);
        b.ReplayAdvance(500); // the first stroke whole, the second not begun
        QCOMPARE(b.DspBitmap().pixel(138, 50), red);
        QVERIFY(b.DspBitmap().pixel(20, 150) != blue);
        b.ReplayAdvance(500);
        QCOMPARE(b.DspBitmap().pixel(20, 150), blue);
        QVERIFY(b.DspBitmap().pixel(138, 150) != blue);
        QTest::mousePress(&b, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
        QVERIFY(!b.IsReplaying());
        QVERIFY2(FirstDifference(b.DspBitmap(), all).isEmpty(), qPrintable(FirstDifference(b.DspBitmap(), all)));
        QCOMPARE(b.PWRecArray().c, records); // the press drew nothing, the replay recorded nothing
        QCOMPARE(b.Bitmap().pixel(138, 150), blue); // the screen shows everything again

        // Run to its end by the timer, it stops by itself on the whole picture.
        b.SetReplayPace(100);
        b.ReplayStart();
        QTRY_VERIFY(!b.IsReplaying());
        QVERIFY(FirstDifference(b.DspBitmap(), all).isEmpty());
    }

    void fitsAndTurns()
    {
        TPWImage b;
        b.resize(800, 600);
        b.PWResize();
        b.SetSrcBitmap(Picture(1000, 500));
        b.ZoomPosSet();
        QCOMPARE(b.Zoom(), Single(0.8));
        QCOMPARE(b.ZoomPosition(), QPointF(0, 125));
        // Screen rows 100 to 500 show the picture; the rest is black.
        QCOMPARE(b.Bitmap().pixel(400, 99), qRgb(0, 0, 0));
        QVERIFY(b.Bitmap().pixel(400, 101) != qRgb(0, 0, 0));
        QVERIFY(b.Bitmap().pixel(400, 499) != qRgb(0, 0, 0));
        QCOMPARE(b.Bitmap().pixel(400, 501), qRgb(0, 0, 0));

        b.SrcBitmapRotate(1);
        QCOMPARE(b.SrcBitmap().size(), QSize(500, 1000));
        QCOMPARE(b.SrcBitmap().pixel(499, 0), Picture(1000, 500).pixel(0, 0));
        const Single turnedZoom = b.Zoom();
        const QPointF turnedPos = b.ZoomPosition();
        QCOMPARE(turnedZoom, Single(0.6));
        // Undo turns the picture back but keeps the view of the turned fit.
        b.PWUndo();
        QCOMPARE(b.SrcBitmap().size(), QSize(1000, 500));
        QCOMPARE(b.Zoom(), turnedZoom);
        QCOMPARE(b.ZoomPosition(), turnedPos);
        b.PWRedo();
        for (int i = 0; i < 3; ++i)
            b.SrcBitmapRotate(1);
        QCOMPARE(b.SrcTurn(), 0);
        QCOMPARE(b.SrcBitmap(), Picture(1000, 500));
    }

    void zoomKeepsThePointUnderTheCursor()
    {
        TPWImage b;
        b.resize(400, 300);
        b.PWResize();
        b.SetSrcBitmap(Picture(400, 300));
        b.ZoomReset();
        b.ZoomSet(2, 100, 100);
        QCOMPARE(b.ZoomPosition(), QPointF(-50, -50));
        QCOMPARE(b.ScreenToPicture(QPointF(100, 100)), QPointF(100, 100));
    }

    void drawnStrokeIsRecordedInPictureCoordinates()
    {
        TPWImage b;
        b.resize(400, 300);
        b.PWResize();
        b.SetSrcBitmap(Picture(800, 600));
        b.ZoomPosSet(); // zoom 0.5
        b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 6));
        Stroke(b, {{10, 10}, {50, 10}, {50, 60}});
        QCOMPARE(b.PWRecArray().p, 0);
        QCOMPARE(b.PWRecArray().Rec[0].Points, (TPolygon{{20, 20}, {100, 20}, {100, 120}}));
        // Rendered smoothed: the middle point moves to the midpoint of its neighbours.
        QCOMPARE(qAlpha(b.PenBitmap().pixel(60, 70)), 255);
        QCOMPARE(qAlpha(b.PenBitmap().pixel(100, 20)), 0);
        // The screen shows the committed stroke.
        QCOMPARE(b.Bitmap().pixel(30, 35), qRgb(0, 0, 0));
    }

    void inertPenKindsRecordNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("edit") << int(pwEdit);
        QTest::newRow("turn right") << int(pwTurnR);
        QTest::newRow("turn left") << int(pwTurnL);
    }
    void inertPenKindsRecordNothing()
    {
        QFETCH(int, kind);
        TPWImage b;
        b.resize(200, 200);
        b.PWResize();
        b.SetSrcBitmap(Picture(200, 200));
        b.ZoomPosSet();
        b.SetCrPen(MakeMenuItem(TPWPenType(kind), 0xFF000000, 4));
        Stroke(b, {{10, 10}, {100, 100}});
        QCOMPARE(b.PWRecArray().c, -1);
        QCOMPARE(b.SrcTurn(), 0);
    }

    // Erase All is a record of the history: undo brings the strokes back,
    // redo clears them again, and it travels with the history when the
    // picture is left and shown again.
    void eraseAllIsUndoable()
    {
        TPWImage b;
        b.resize(300, 300);
        b.PWResize();
        const QImage pic = Picture(300, 300);
        b.SetSrcBitmap(pic);
        b.ZoomReset();
        b.PWImageBitmapUpdate();
        b.SetCrPen(MakeMenuItem(pwPn, 0xFFFF0000, 6));
        Stroke(b, {{20, 20}, {200, 20}});
        b.SetCrPen(MakeMenuItem(pwFuMk, 0, 6));
        Stroke(b, {{20, 100}, {200, 100}});
        const QImage drawn = b.PenBitmap().copy();
        const QImage shown = b.Bitmap().copy();
        b.EraseAll();
        QCOMPARE(b.PWRecArray().p, 2);
        QCOMPARE(b.PWRecArray().Rec[2].Menu.PenType, pwEraseAll);
        QCOMPARE(b.PenBitmap(), NewBitmap(300, 300));
        QCOMPARE(b.DspBitmap(), pic);
        QCOMPARE(b.FuCounts(), QVector<int>{0});
        b.PWUndo();
        QCOMPARE(FirstDifference(b.PenBitmap(), drawn), QString());
        QCOMPARE(FirstDifference(b.Bitmap(), shown), QString());
        QCOMPARE(b.FuCounts(), QVector<int>{1});
        b.PWRedo();
        QCOMPARE(b.PenBitmap(), NewBitmap(300, 300));
        QCOMPARE(b.DspBitmap(), pic);
        // Left and shown again right after it (a full replay): undo still
        // brings the strokes back.
        {
            TPWRecArray kept;
            RecCopy(b.PWRecArray(), kept);
            b.SetSrcBitmap(Picture(50, 50));
            b.SrcBitmapRecPictSet(pic, kept);
            b.PWUndo();
            QCOMPARE(FirstDifference(b.PenBitmap(), drawn), QString());
            b.PWRedo();
        }
        // A pen-order stroke after it starts again at 1.
        Stroke(b, {{20, 150}, {200, 150}});
        QCOMPARE(int(b.PWRecArray().Rec[b.PWRecArray().p].Menu.PenColor), 1);
        // Left and shown again: the record is in the copy, undo still works.
        TPWRecArray kept;
        RecCopy(b.PWRecArray(), kept);
        b.SetSrcBitmap(Picture(50, 50));
        b.SrcBitmapRecPictSet(pic, kept);
        QCOMPARE(qAlpha(b.PenBitmap().pixel(100, 20)), 0);
        b.PWUndo();
        b.PWUndo();
        QCOMPARE(qAlpha(b.PenBitmap().pixel(100, 20)), 255);
        QCOMPARE(FirstDifference(b.PenBitmap(), b.ReplayPenLayer()), QString());
        // Without patches (every undo replays) the same.
        b.SetUndoStoreBudget(0);
        b.PWRedo();
        QCOMPARE(qAlpha(b.PenBitmap().pixel(100, 20)), 0);
        b.PWUndo();
        QCOMPARE(FirstDifference(b.PenBitmap(), drawn), QString());
    }

    // Nothing on the board: Erase All records nothing, so no empty undo step
    // appears and the redo entries stay.
    void eraseAllOfNothingRecordsNothing()
    {
        TPWImage b;
        b.resize(200, 200);
        b.PWResize();
        b.SetSrcBitmap(Picture(200, 200));
        b.ZoomReset();
        b.EraseAll();
        QCOMPARE(b.PWRecArray().c, -1);
        b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Stroke(b, {{20, 20}, {100, 20}});
        b.EraseAll();
        b.EraseAll();
        QCOMPARE(b.PWRecArray().c, 1);
        b.PWUndo();
        b.PWUndo();
        b.EraseAll();
        QCOMPARE(b.PWRecArray().c, 1);
        QCOMPARE(b.PWRecArray().p, -1);
    }

    // Erase All keeps the picture turned as the user sees it; strokes drawn
    // after it keep their place; undoing it, and the turn before it, are right.
    void eraseAllKeepsTheTurnedPicture()
    {
        TPWImage b;
        b.resize(300, 300);
        b.PWResize();
        const QImage pic = Picture(300, 200);
        b.SetSrcBitmap(pic);
        b.ZoomReset();
        b.SetCrPen(MakeMenuItem(pwPn, 0xFF0000FF, 4));
        Stroke(b, {{20, 20}, {150, 20}}); // along the top of the 300 x 200 picture
        b.SrcBitmapRotate(1);
        b.EraseAll();
        QCOMPARE(b.SrcBitmap().size(), QSize(200, 300));
        b.SetCrPen(MakeMenuItem(pwPn, 0xFFFF0000, 4));
        b.ZoomReset();
        Stroke(b, {{20, 250}, {150, 250}});
        b.PWUndo();
        b.PWRedo();
        QCOMPARE(b.SrcBitmap().size(), QSize(200, 300));
        QCOMPARE(qRed(b.PenBitmap().pixel(100, 250)), 255);
        // Leave the picture and show it again, reloaded in its loaded orientation.
        TPWRecArray kept;
        RecCopy(b.PWRecArray(), kept);
        b.SetSrcBitmap(Picture(50, 50));
        b.SrcBitmapRecPictSet(pic, kept);
        QCOMPARE(b.SrcBitmap().size(), QSize(200, 300));
        QCOMPARE(qRed(b.PenBitmap().pixel(100, 250)), 255);
        QCOMPARE(b.ReplayPenLayer(), b.PenBitmap());
        // Undo the new stroke and the erase-all: the first stroke is back, turned.
        b.PWUndo();
        b.PWUndo();
        QCOMPARE(b.SrcBitmap().size(), QSize(200, 300));
        QCOMPARE(qAlpha(b.PenBitmap().pixel(100, 250)), 0);
        QCOMPARE(qBlue(b.PenBitmap().pixel(180, 80)), 255); // (80, 20) turned right: (200 - 20, 80)
        // Undo the turn: the picture and the stroke go back.
        b.PWUndo();
        QCOMPARE(b.SrcBitmap().size(), QSize(300, 200));
        QCOMPARE(qBlue(b.PenBitmap().pixel(80, 20)), 255);
        QCOMPARE(FirstDifference(b.PenBitmap(), b.ReplayPenLayer()), QString());
    }

    // The strokes Erase All took away are not on the board: a lasso around
    // their place selects nothing, and never the erase-all itself.
    void lassoLeavesErasedStrokesAlone()
    {
        TPWImage b;
        b.resize(200, 200);
        b.PWResize();
        b.SetSrcBitmap(Picture(200, 200));
        b.ZoomReset();
        b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Stroke(b, {{50, 50}, {80, 50}});
        b.EraseAll();
        Stroke(b, {{50, 150}, {80, 150}});
        b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Stroke(b, {{10, 10}, {190, 10}, {190, 190}, {10, 190}, {10, 11}});
        QCOMPARE(b.SelLines(), TLines{2});
    }

    void transparentPictureCompositesFromClear()
    {
        TPWImage b;
        b.resize(200, 200);
        b.PWResize();
        b.SetSrcBitmap(NewBitmap(200, 200)); // fully transparent picture
        b.ZoomReset();
        b.SetCrPen(MakeMenuItem(pwMk, 0xFF0000FF, 10));
        Stroke(b, {{20, 20}, {100, 20}});
        const QRgb once = b.DspBitmap().pixel(50, 20);
        b.ZoomSet(2, 0, 0);
        b.DstBitmapUpdate();
        QCOMPARE(b.DspBitmap().pixel(50, 20), once);
        // An eraser stroke leaves no trace of the marker in the composite.
        b.SetCrPen(MakeMenuItem(pwEr, 0xFFFFFFFF, 30));
        b.ZoomReset();
        Stroke(b, {{10, 20}, {120, 20}});
        QCOMPARE(b.DspBitmap().pixel(50, 20), 0u);
    }

    // A replay draws what was drawn: how a stroke looks is kept with it, so
    // a setting changed later changes new strokes only.
    void replayKeepsTheStyleOfEachStroke()
    {
        TPWImage b;
        b.resize(200, 150);
        b.PWResize();
        b.SetSrcBitmap(Picture(200, 150));
        b.ZoomPosSet();
        b.ZoomReset();
        b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 6));
        const QVector<QPointF> zigzag{{20, 20}, {40, 60}, {60, 20}, {80, 60}, {100, 20}};
        Stroke(b, zigzag);
        const QImage smoothed = b.PenBitmap().copy();
        TRenderStyle plain;
        plain.Smoothing = false;
        b.SetRenderStyle(plain);
        b.RebuildAll();
        QCOMPARE(FirstDifference(b.PenBitmap(), smoothed), QString());
        // A stroke drawn now is drawn without smoothing, and stays so.
        Stroke(b, zigzag);
        QVERIFY(!b.PWRecArray().Rec[1].Style.Smoothing);
        QVERIFY(b.PWRecArray().Rec[0].Style.Smoothing);
        const QImage both = b.PenBitmap().copy();
        b.SetRenderStyle(TRenderStyle());
        b.RebuildAll();
        QCOMPARE(FirstDifference(b.PenBitmap(), both), QString());
        QVERIFY(FirstDifference(both, smoothed) != QString());
    }

    // Every full replay (coming back to a picture, a turn, a settled lasso
    // move, undo past a turn) keeps the undo store within its budget, and
    // keeps patches for the last strokes that fit, so undo stays quick.
    void undoStoreHoldsItsBudget()
    {
        TPWImage b;
        b.resize(400, 300);
        b.PWResize();
        b.SetSrcBitmap(Picture(400, 300));
        b.ZoomPosSet();
        const qint64 whole = 400 * 300 * 4;
        const qint64 budget = 3 * whole + whole / 2;
        b.SetUndoStoreBudget(budget);
        QString failed;
        auto holds = [&](const char *what) {
            if (failed.isEmpty() && b.UndoStoreBytes() > budget)
                failed = QStringLiteral("%1: %2 bytes").arg(QLatin1String(what)).arg(b.UndoStoreBytes());
        };
        // Marker strokes across the whole picture: each one's patch is the whole layer.
        b.SetCrPen(MakeMenuItem(pwMk, 0xFF0000FF, 20));
        for (int i = 0; i < 12; ++i) {
            const double y = 10 + i * 20;
            Stroke(b, {{0, y}, {200, 290 - y}, {399, y}});
            holds("stroke");
        }
        TPWRecArray kept;
        RecCopy(b.PWRecArray(), kept);
        b.SrcBitmapRecPictSet(Picture(400, 300), kept);
        holds("coming back");
        QVERIFY(b.UndoStoreBytes() > 0);
        b.SrcBitmapRotate(1);
        holds("turn");
        b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Stroke(b,
               {{0, 0}, {b.width() - 1.0, 0.0}, {b.width() - 1.0, b.height() - 1.0}, {0.0, b.height() - 1.0}, {0, 1}});
        if (!b.SelLines().isEmpty()) {
            const QPointF c = b.SelRF().center();
            Stroke(b, {c, c + QPointF(5, 5)});
        }
        b.LassoUpdate();
        holds("lasso move");
        b.PWUndo();
        b.PWUndo();
        holds("undo past a turn");
        b.PWUndo();
        holds("undo");
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QCOMPARE(FirstDifference(b.PenBitmap(), b.ReplayPenLayer()), QString());
    }

    // Random histories: after every step the board's pen layer equals the
    // straightforward replay of the history in effect. TW_SOAK_STEPS makes it a soak.
    void incrementalEqualsReplay()
    {
        const int steps
            = qEnvironmentVariableIsSet("TW_SOAK_STEPS") ? qEnvironmentVariableIntValue("TW_SOAK_STEPS") : 400;
        QRandomGenerator rng(20261210 + steps);
        TPWImage b;
        b.resize(160, 120);
        b.PWResize();
        const QImage pictures[2] = {Picture(160, 120), Picture(120, 90)};
        TPWRecArray other;
        int shown = 0;
        b.SetSrcBitmap(pictures[0]);
        b.ZoomPosSet();
        // A budget of a few whole layers, so that patches are dropped as they would be on large pictures.
        const qint64 budget = 160 * 120 * 4 * 3;
        b.SetUndoStoreBudget(budget);
        auto point = [&] { return QPointF(rng.bounded(b.width()), rng.bounded(b.height())); };
        for (int step = 0; step < steps; ++step) {
            const int op = rng.bounded(100);
            QString what;
            if (op < 55) {
                static const TPWPenType kinds[] = {pwPn,    pwMk,    pwEr,    pwRbPn, pwRbMk, pwArPn0,
                                                   pwArPn1, pwArMk0, pwArMk1, pwFuPn, pwFuMk, pwEraseAll};
                const TPWPenType k = kinds[rng.bounded(int(std::size(kinds)))];
                b.SetCrPen(MakeMenuItem(k, 0xFF000000 | rng.bounded(0x1000000), Single(1 + rng.bounded(30)),
                                        TStrokeDash(rng.bounded(5))));
                QVector<QPointF> pts{point()};
                const int n = rng.bounded(12);
                for (int i = 0; i < n; ++i)
                    pts << pts.last() + QPointF(rng.bounded(41) - 20, rng.bounded(41) - 20);
                if (rng.bounded(2)) {
                    QVector<qreal> levels;
                    for (int i = 0; i < pts.size(); ++i)
                        levels << rng.generateDouble();
                    PressureStroke(b, pts, levels);
                    what = QStringLiteral("stylus stroke of kind %1").arg(int(k));
                } else {
                    Stroke(b, pts);
                    what = QStringLiteral("stroke of kind %1").arg(int(k));
                }
            } else if (op < 68) {
                b.PWUndo();
                what = QStringLiteral("undo");
            } else if (op < 78) {
                b.PWRedo();
                what = QStringLiteral("redo");
            } else if (op < 84) {
                b.SrcBitmapRotate(rng.bounded(2) ? 1 : -1);
                what = QStringLiteral("turn");
            } else if (op < 92) {
                // Lasso around a random area, drag the selection, settle it.
                b.SetCrPen(MakeMenuItem(pwLasso, 0, 0));
                const QPointF c = point();
                const double r = 20 + rng.bounded(60);
                QVector<QPointF> loop;
                for (int i = 0; i < 12; ++i)
                    loop << c + QPointF(r * std::cos(i * M_PI / 6), r * std::sin(i * M_PI / 6));
                Stroke(b, loop);
                if (!b.SelLines().isEmpty()) {
                    const QPointF s = b.SelRF().center();
                    b.PWMouseDown(Single(s.x()), Single(s.y()));
                    b.PWMouseMove(Single(s.x() + rng.bounded(30) - 15), Single(s.y() + rng.bounded(30) - 15));
                    b.PWMouseUp(Single(s.x() + rng.bounded(30) - 15), Single(s.y() + rng.bounded(30) - 15));
                }
                b.LassoUpdate();
                what = QStringLiteral("lasso move");
            } else if (op < 94) {
                b.EraseAll();
                what = QStringLiteral("erase all");
            } else if (op < 97) {
                // The view changes nothing in the pen layer.
                if (rng.bounded(2))
                    b.ZoomSet(b.Zoom() * Single(rng.bounded(2) ? 1.2 : 1 / 1.2), Single(rng.bounded(160)),
                              Single(rng.bounded(120)));
                else
                    b.PWHandMove(Single(rng.bounded(41) - 20), Single(rng.bounded(41) - 20));
                what = QStringLiteral("view");
            } else {
                TPWRecArray leaving;
                RecCopy(b.PWRecArray(), leaving);
                shown = 1 - shown;
                b.SrcBitmapRecPictSet(pictures[shown], other);
                b.ZoomPosSet();
                other = leaving;
                what = QStringLiteral("switch picture");
            }
            QVector<int> counts;
            const QString diff = FirstDifference(b.PenBitmap(), b.ReplayPenLayer(true, &counts));
            if (!diff.isEmpty())
                QFAIL(qPrintable(QStringLiteral("step %1 (%2): %3").arg(step).arg(what, diff)));
            // The stroke counters too: the next pen-order stroke takes its number from them.
            if (counts != b.FuCounts())
                QFAIL(qPrintable(QStringLiteral("step %1 (%2): stroke counters differ").arg(step).arg(what)));
            if (b.UndoStoreBytes() > budget)
                QFAIL(qPrintable(QStringLiteral("step %1 (%2): undo store over its budget").arg(step).arg(what)));
        }
    }
};

QTEST_MAIN(TestBoard)
#include "test_board.moc"
