// Pointer input on the board through real Qt mouse, wheel, enter and leave
// events: strokes, the hand, the wheel, the menu square, the lasso and the
// pen-order numbering.
#include "board/PWImage.h"
#include "settings/Settings.h"

#include <QtTest>

namespace {
void Enter(QWidget *w, QPoint at)
{
    QEnterEvent e(at, w->mapTo(w->window(), at), w->mapToGlobal(at));
    QApplication::sendEvent(w, &e);
}

void Leave(QWidget *w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

void Wheel(QWidget *w, QPoint at, int delta)
{
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// Presses, moves through the points and releases, as a user would.
void Drag(QWidget *w, const QVector<QPoint> &pts, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(w, button, Qt::NoModifier, pts.first());
    for (int i = 1; i < pts.size(); ++i)
        QTest::mouseMove(w, pts[i]);
    QTest::mouseRelease(w, button, Qt::NoModifier, pts.last());
}

QVector<QPoint> Loop(QRect r)
{
    return {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft(), r.topLeft() + QPoint(0, 1)};
}

// A board 400 x 300 showing a white 400 x 300 picture at zoom 1.
struct Fixture {
    TPWImage b;
    Fixture()
    {
        b.resize(400, 300);
        b.show();
        b.PWResize();
        b.Init(400, 300);
        b.ZoomPosSet();
        Enter(&b, QPoint(200, 150));
    }
};

double Tx(const TPWRec &r) { return r.Trans[2]; }
double Ty(const TPWRec &r) { return r.Trans[5]; }
} // namespace

class TestInput : public QObject
{
    Q_OBJECT
private slots:
    void init() { Settings().isSmoothing = true; }

    void clickRecordsADot()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 10));
        QTest::mouseClick(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QCOMPARE(f.b.PWRecArray.p, 0);
        QCOMPARE(f.b.PWRecArray.Rec[0].Points, (TPolygon{{100, 100}, {100, 100}}));
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(100, 100)), 255);
        QCOMPARE(f.b.isDown, 0);
        // Any mouse button draws.
        QTest::mouseClick(&f.b, Qt::RightButton, Qt::NoModifier, QPoint(200, 100));
        QCOMPARE(f.b.PWRecArray.p, 1);
    }

    void pressAndLeaveRecordsOnePoint()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 10));
        QTest::mousePress(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        Leave(&f.b);
        QCOMPARE(f.b.PWRecArray.p, 0);
        QCOMPARE(f.b.PWRecArray.Rec[0].Points.size(), 1);
        QCOMPARE(f.b.isDown, 0);
        QVERIFY(!f.b.CurImage->isVisible());
        QTest::mouseRelease(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QCOMPARE(f.b.PWRecArray.p, 0);

        // Dragging off the board ends the stroke where it left.
        Enter(&f.b, QPoint(10, 10));
        QTest::mousePress(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(&f.b, QPoint(150, 100));
        QTest::mouseMove(&f.b, QPoint(500, 100));
        QTest::mouseMove(&f.b, QPoint(600, 100));
        QTest::mouseRelease(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(600, 100));
        QCOMPARE(f.b.PWRecArray.p, 1);
        QCOMPARE(f.b.PWRecArray.Rec[1].Points, (TPolygon{{100, 100}, {150, 100}}));
    }

    void repeatedPointAddsNothing()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Drag(&f.b, {{10, 10}, {20, 10}, {20, 10}, {30, 10}});
        QCOMPARE(f.b.PWRecArray.Rec[0].Points.size(), 3);
    }

    void handDragPansAndRecordsNothing()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwMove, 0xFFFFFFFF, 1));
        f.b.SetZoom(2);
        const QPointF before = f.b.FZPos;
        Drag(&f.b, {{100, 100}, {150, 100}, {200, 100}});
        QCOMPARE(f.b.FZPos.x() - before.x(), 50.0);
        QCOMPARE(f.b.FZPos.y(), before.y());
        QCOMPARE(f.b.PWRecArray.c, -1);
    }

    void wheelZoomsWithinLimits()
    {
        Fixture f;
        f.b.SetZoom(19);
        Wheel(&f.b, QPoint(100, 100), 120);
        QCOMPARE(f.b.Zoom(), Single(20));
        Wheel(&f.b, QPoint(100, 100), 120);
        QCOMPARE(f.b.Zoom(), Single(20));
        f.b.SetZoom(Single(0.1));
        Wheel(&f.b, QPoint(100, 100), -120);
        QCOMPARE(f.b.Zoom(), Single(0.1));
        // Away from the board (no cursor picture) the wheel does nothing.
        Leave(&f.b);
        Wheel(&f.b, QPoint(100, 100), 120);
        QCOMPARE(f.b.Zoom(), Single(0.1));
    }

    void menuSquare()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        // Unassigned: a press in the corner starts an ordinary stroke.
        QTest::mouseClick(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(390, 10));
        QCOMPARE(f.b.PWRecArray.p, 0);
        int raised = 0;
        f.b.OnPWMenu = [&](QObject *) { ++raised; };
        QTest::mouseClick(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(390, 10));
        QCOMPARE(raised, 1);
        QCOMPARE(f.b.PWRecArray.p, 0);
        // Released outside the square: nothing.
        Drag(&f.b, {{390, 10}, {300, 100}});
        QCOMPARE(raised, 1);
        QCOMPARE(f.b.PWRecArray.p, 0);
    }

    void lassoKeepsThePenWidth()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 10));
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0xFFFFFFFF, 1));
        QCOMPARE(f.b.CrPen().PenType, pwLasso);
        QCOMPARE(f.b.CrPen().PenThickness, Single(10));
    }

    void lassoSelectsWholeStrokesOnly()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Drag(&f.b, {{50, 50}, {80, 50}});    // 0: inside
        Drag(&f.b, {{90, 60}, {250, 60}});   // 1: half inside
        f.b.SetCrPen(MakeMenuItem(pwEr, 0xFFFFFFFF, 10));
        Drag(&f.b, {{60, 80}, {70, 90}});    // 2: an eraser stroke, inside
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(30, 30, 100, 100)));
        QCOMPARE(f.b.SelLines, (TLines{0, 2}));
        QVERIFY(f.b.SelImage->isVisible());
        // The selected strokes left the pen layer.
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(65, 50)), 0);
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(200, 60)), 255);
    }

    void lassoDragsRecordOneMove()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Drag(&f.b, {{50, 50}, {80, 50}});
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(30, 30, 100, 100)));
        QCOMPARE(f.b.SelLines, (TLines{0}));
        // Press and release without moving: nothing.
        QTest::mouseClick(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(60, 50));
        QVERIFY(MatIsIdentity(f.b.SelTrans));
        // The wheel does not zoom while a selection is shown.
        const Single z = f.b.Zoom();
        Wheel(&f.b, QPoint(200, 200), 120);
        QCOMPARE(f.b.Zoom(), z);
        // Two drags, (10, 0) and (0, 10).
        Drag(&f.b, {{60, 50}, {65, 50}, {70, 50}});
        Drag(&f.b, {{70, 50}, {70, 55}, {70, 60}});
        QCOMPARE(f.b.PWRecArray.c, 0); // nothing recorded yet
        // Any command settles it: one edit record (10, 10).
        f.b.LassoUpdate();
        QCOMPARE(f.b.PWRecArray.p, 1);
        QCOMPARE(f.b.PWRecArray.Rec[1].Menu.PenType, pwEdit);
        QCOMPARE(Tx(f.b.PWRecArray.Rec[1]), 10.0);
        QCOMPARE(Ty(f.b.PWRecArray.Rec[1]), 10.0);
        QVERIFY(!f.b.SelImage->isVisible());
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(75, 60)), 255);
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(55, 50)), 0);
        Wheel(&f.b, QPoint(200, 200), 120);
        QVERIFY(f.b.Zoom() > z);
        // Undo puts the stroke back.
        f.b.PWUndo();
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(55, 50)), 255);
    }

    void newOutlineRecordsThePreviousMoveFirst()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Drag(&f.b, {{50, 50}, {80, 50}});
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(30, 30, 100, 100)));
        Drag(&f.b, {{60, 50}, {160, 50}, {260, 50}}); // moved by 200 to x 250..280
        // An outline around the old place selects nothing; around the new place, the stroke.
        Drag(&f.b, Loop(QRect(30, 30, 100, 100)));
        QCOMPARE(f.b.PWRecArray.p, 1);
        QCOMPARE(Tx(f.b.PWRecArray.Rec[1]), 200.0);
        QVERIFY(f.b.SelLines.isEmpty());
        Drag(&f.b, Loop(QRect(230, 30, 100, 100)));
        QCOMPARE(f.b.SelLines, (TLines{0}));
    }

    void lassoDragAtZoomTwo()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Drag(&f.b, {{50, 50}, {80, 50}});
        f.b.ZoomSet(2, 0, 0);
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(60, 60, 140, 80))); // the stroke is at x 100..160 on screen
        QCOMPARE(f.b.SelLines, (TLines{0}));
        Drag(&f.b, {{120, 100}, {170, 100}, {220, 100}});
        f.b.LassoUpdate();
        QCOMPARE(Tx(f.b.PWRecArray.Rec[1]), 50.0);
        QCOMPARE(Ty(f.b.PWRecArray.Rec[1]), 0.0);
    }

    void penOrderColumns()
    {
        Fixture f;
        f.b.SetWord(QStringLiteral("ABCDEFG"));
        QCOMPARE(f.b.FuCount, 6);
        QCOMPARE(f.b.SrcBitmap().size(), QSize(3000, 500));
        QCOMPARE(f.b.FuColumn(1200), 2);
        QCOMPARE(f.b.FuColumn(-10), 0);
        QCOMPARE(f.b.FuColumn(3200), 5);
        // The word's characters are drawn light grey, one per cell; the seventh is not.
        auto inked = [&](int cell) {
            for (int y = 0; y < 500; y += 4)
                for (int x = cell * 500; x < cell * 500 + 500; x += 4)
                    if (f.b.SrcBitmap().pixel(x, y) != 0xFFFFFFFFu)
                        return true;
            return false;
        };
        for (int cell = 0; cell < 6; ++cell)
            QVERIFY(inked(cell));
        f.b.SetWord(QString());
        QCOMPARE(f.b.FuCount, 1);
        QCOMPARE(f.b.SrcBitmap().size(), QSize(500, 500));
        QVERIFY(!inked(0));
    }

    void penOrderNumbering()
    {
        Fixture f;
        f.b.SetWord(QStringLiteral("AB")); // two cells of 500 shown in 400 x 300
        f.b.ZoomReset();                  // zoom 1: control x = picture x
        f.b.SetCrPen(MakeMenuItem(pwFuMk, 0xFF000000, 8));
        auto stroke = [&](int x) {
            Drag(&f.b, {{x, 100}, {x + 5, 110}, {x + 10, 120}});
            return int(f.b.PWRecArray.Rec[f.b.PWRecArray.p].Menu.PenColor);
        };
        QCOMPARE(stroke(100), 1);
        QCOMPARE(stroke(120), 2);
        QCOMPARE(stroke(140), 3);
        f.b.ZoomSet(1, 0, 0);
        f.b.FZPos = QPointF(-400, 0); // show the second cell
        QCOMPARE(stroke(200), 1);     // picture x 600: column 1
        f.b.FZPos = QPointF(0, 0);
        f.b.PWUndo();                 // the column-1 stroke
        f.b.PWUndo();                 // stroke 3
        QCOMPARE(stroke(150), 3);     // reuses the number
        // Switching to another entry and back continues the sequence.
        TPWRecArray kept;
        RecCopy(f.b.PWRecArray, kept);
        f.b.SetWord(QStringLiteral("X"));
        f.b.SrcBitmapRecTextSet(QStringLiteral("AB"), kept);
        f.b.ZoomReset();
        QCOMPARE(stroke(160), 4);
    }
};

QTEST_MAIN(TestInput)
#include "test_input.moc"
