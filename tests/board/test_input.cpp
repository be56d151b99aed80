// Pointer input on the board through real Qt mouse, wheel, enter and leave
// events: strokes, the hand, the wheel, the menu square, the lasso and the
// pen-order numbering.
#include "board/PWImage.h"

#include <QDialog>
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
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
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

// The board beside another widget in one window, driven through the
// window as the platform delivers input: Qt's own pointer grab and its
// enter and leave events are part of what is tested.
struct WindowFixture {
    QWidget top;
    TPWImage *b;
    QWindow *w = nullptr;
    WindowFixture()
    {
        top.resize(500, 300);
        b = new TPWImage(&top);
        b->setGeometry(0, 0, 400, 300);
        (new QWidget(&top))->setGeometry(400, 0, 100, 300); // the tool bar's place
        top.show();
        if (QTest::qWaitForWindowExposed(&top))
            w = top.windowHandle();
        b->Init(400, 300);
        b->ZoomPosSet();
        b->SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
    }
};

double Tx(const TPWRec &r) { return r.Trans[2]; }
double Ty(const TPWRec &r) { return r.Trans[5]; }
} // namespace

class TestInput : public QObject
{
    Q_OBJECT
private slots:

    void clickRecordsADot()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 10));
        QTest::mouseClick(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QCOMPARE(f.b.PWRecArray().p, 0);
        QCOMPARE(f.b.PWRecArray().Rec[0].Points, (TPolygon{{100, 100}, {100, 100}}));
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(100, 100)), 255);
        QCOMPARE(f.b.DownState(), 0);
        // Any mouse button draws.
        QTest::mouseClick(&f.b, Qt::RightButton, Qt::NoModifier, QPoint(200, 100));
        QCOMPARE(f.b.PWRecArray().p, 1);
    }

    // The board keeps one painter on its screen image from move to move of a
    // stroke: a copy handed out mid-stroke must not change with the moves
    // after it, and a resize mid-stroke must not leave the painter on the
    // image it replaced.
    void strokeKeepsNoPainterOnWhatItHandsOut()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 6));
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QPainter")));
        QTest::mousePress(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseMove(&f.b, QPoint(100, 50));
        const QImage mid = f.b.Bitmap();
        const QImage midPixels = mid.copy();
        QTest::mouseMove(&f.b, QPoint(150, 50));
        QTest::mouseMove(&f.b, QPoint(150, 150));
        QCOMPARE(mid, midPixels);
        QVERIFY(qGray(f.b.Bitmap().pixel(150, 100)) < 64); // the moves after the copy drew
        f.b.resize(380, 280);
        f.b.PWResize();
        // A refit starts the stroke's path afresh where the pointer is.
        QTest::mouseMove(&f.b, QPoint(50, 150));
        QTest::mouseMove(&f.b, QPoint(50, 250));
        QVERIFY(qGray(f.b.Bitmap().pixel(50, 200)) < 64); // on the new screen image
        QTest::mouseRelease(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 250));
        QCOMPARE(f.b.PWRecArray().p, 0);
    }

    void pressAndLeaveRecordsOnePoint()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 10));
        QTest::mousePress(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        Leave(&f.b);
        QCOMPARE(f.b.PWRecArray().p, 0);
        QCOMPARE(f.b.PWRecArray().Rec[0].Points.size(), 1);
        QCOMPARE(f.b.DownState(), 0);
        QVERIFY(!f.b.CurImage()->isVisible());
        QTest::mouseRelease(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QCOMPARE(f.b.PWRecArray().p, 0);

        // Dragging off the board ends the stroke where it left.
        Enter(&f.b, QPoint(10, 10));
        QTest::mousePress(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(&f.b, QPoint(150, 100));
        QTest::mouseMove(&f.b, QPoint(500, 100));
        QTest::mouseMove(&f.b, QPoint(600, 100));
        QTest::mouseRelease(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(600, 100));
        QCOMPARE(f.b.PWRecArray().p, 1);
        QCOMPARE(f.b.PWRecArray().Rec[1].Points, (TPolygon{{100, 100}, {150, 100}}));
    }

    void pointerShowsAfterCrossingTheEdge_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("released on the board after leaving it") << 0;
        QTest::newRow("released outside, then back") << 1;
        QTest::newRow("a dialog opened mid-stroke") << 2;
    }

    void pointerShowsAfterCrossingTheEdge()
    {
        QFETCH(int, how);
        WindowFixture f;
        QVERIFY(f.w);
        const QPoint back(200, 150);
        QTest::mouseMove(f.w, QPoint(100, 100));
        QTest::mousePress(f.w, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(f.w, QPoint(150, 100));
        if (how == 2) {
            QDialog dialog(&f.top);
            dialog.setModal(true);
            dialog.setGeometry(f.top.geometry().translated(20, 20).adjusted(0, 0, -100, -100));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::mouseRelease(dialog.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
            dialog.close();
            QTest::mouseMove(f.w, back);
        } else {
            QTest::mouseMove(f.w, QPoint(450, 100)); // over the tool bar
            if (how == 1) {
                QTest::mouseRelease(f.w, Qt::LeftButton, Qt::NoModifier, QPoint(450, 100));
                QTest::mouseMove(f.w, back);
            } else {
                QTest::mouseMove(f.w, back);
                QTest::mouseRelease(f.w, Qt::LeftButton, Qt::NoModifier, back);
            }
        }
        QCOMPARE(f.b->DownState(), 0);
        QCOMPARE(f.b->PWRecArray().p, 0); // the stroke ended where it left the board
        QTRY_VERIFY(f.b->CurImage()->isVisible());
        QCOMPARE(f.b->CurImage()->pos(), (back + f.b->CurOffset()).toPoint());
        const Single z = f.b->Zoom();
        Wheel(f.b, back, 120);
        QVERIFY(f.b->Zoom() > z);
        // Drawing goes on as before.
        QTest::mousePress(f.w, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseMove(f.w, QPoint(60, 60));
        QTest::mouseRelease(f.w, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
        QCOMPARE(f.b->PWRecArray().p, 1);
        QVERIFY(f.b->CurImage()->isVisible());
    }

    void repeatedPointAddsNothing()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Drag(&f.b, {{10, 10}, {20, 10}, {20, 10}, {30, 10}});
        QCOMPARE(f.b.PWRecArray().Rec[0].Points.size(), 3);
    }

    void handDragPansAndRecordsNothing()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwMove, 0xFFFFFFFF, 1));
        f.b.SetZoom(2);
        const QPointF before = f.b.ZoomPosition();
        Drag(&f.b, {{100, 100}, {150, 100}, {200, 100}});
        QCOMPARE(f.b.ZoomPosition().x() - before.x(), 50.0);
        QCOMPARE(f.b.ZoomPosition().y(), before.y());
        QCOMPARE(f.b.PWRecArray().c, -1);
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
        QCOMPARE(f.b.PWRecArray().p, 0);
        int raised = 0;
        f.b.SetOnPWMenu([&](QObject *) { ++raised; });
        QTest::mouseClick(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(390, 10));
        QCOMPARE(raised, 1);
        QCOMPARE(f.b.PWRecArray().p, 0);
        // Released outside the square: nothing.
        Drag(&f.b, {{390, 10}, {300, 100}});
        QCOMPARE(raised, 1);
        QCOMPARE(f.b.PWRecArray().p, 0);
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
        Drag(&f.b, {{50, 50}, {80, 50}}); // 0: inside
        Drag(&f.b, {{90, 60}, {250, 60}}); // 1: half inside
        f.b.SetCrPen(MakeMenuItem(pwEr, 0xFFFFFFFF, 10));
        Drag(&f.b, {{60, 80}, {70, 90}}); // 2: an eraser stroke, inside
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(30, 30, 100, 100)));
        QCOMPARE(f.b.SelLines(), (TLines{0, 2}));
        QVERIFY(f.b.SelImage()->isVisible());
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
        QCOMPARE(f.b.SelLines(), (TLines{0}));
        // Press and release without moving: nothing.
        QTest::mouseClick(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(60, 50));
        QVERIFY(MatIsIdentity(f.b.SelTrans()));
        // The wheel does not zoom while a selection is shown.
        const Single z = f.b.Zoom();
        Wheel(&f.b, QPoint(200, 200), 120);
        QCOMPARE(f.b.Zoom(), z);
        // Two drags, (10, 0) and (0, 10).
        Drag(&f.b, {{60, 50}, {65, 50}, {70, 50}});
        Drag(&f.b, {{70, 50}, {70, 55}, {70, 60}});
        QCOMPARE(f.b.PWRecArray().c, 0); // nothing recorded yet
        // Any command settles it: one edit record (10, 10).
        f.b.LassoUpdate();
        QCOMPARE(f.b.PWRecArray().p, 1);
        QCOMPARE(f.b.PWRecArray().Rec[1].Menu.PenType, pwEdit);
        QCOMPARE(Tx(f.b.PWRecArray().Rec[1]), 10.0);
        QCOMPARE(Ty(f.b.PWRecArray().Rec[1]), 10.0);
        QVERIFY(!f.b.SelImage()->isVisible());
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
        QCOMPARE(f.b.PWRecArray().p, 1);
        QCOMPARE(Tx(f.b.PWRecArray().Rec[1]), 200.0);
        QVERIFY(f.b.SelLines().isEmpty());
        Drag(&f.b, Loop(QRect(230, 30, 100, 100)));
        QCOMPARE(f.b.SelLines(), (TLines{0}));
    }

    void lassoDragAtZoomTwo()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Drag(&f.b, {{50, 50}, {80, 50}});
        f.b.ZoomSet(2, 0, 0);
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(60, 60, 140, 80))); // the stroke is at x 100..160 on screen
        QCOMPARE(f.b.SelLines(), (TLines{0}));
        Drag(&f.b, {{120, 100}, {170, 100}, {220, 100}});
        f.b.LassoUpdate();
        QCOMPARE(Tx(f.b.PWRecArray().Rec[1]), 50.0);
        QCOMPARE(Ty(f.b.PWRecArray().Rec[1]), 0.0);
    }

    // The selected strokes keep their own look (colour, arrow heads) at the
    // view's zoom, inside a black and white dashed outline that stays until
    // the selection is settled, on a dark picture as on a light one.
    void selectionShowsTheStrokesAndAnOutline()
    {
        Fixture f;
        QImage grey = NewBitmap(400, 300);
        BitmapClear(grey, 0xFF808080);
        f.b.SetSrcBitmap(grey);
        f.b.ZoomPosSet();
        f.b.SetCrPen(MakeMenuItem(pwArPn0, 0xFFFF0000, 4));
        Drag(&f.b, {{50, 150}, {100, 150}, {150, 150}});
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(30, 100, 150, 100)));
        QCOMPARE(f.b.SelLines(), (TLines{0}));
        auto red = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
        auto outline = [&](const QImage &img) {
            const QRect g = f.b.SelImage()->geometry();
            int black = 0, white = 0;
            for (int y = g.top(); y < g.top() + 4; ++y)
                for (int x = g.left() + 8; x < g.right() - 8; ++x) {
                    const QRgb c = img.pixel(x, y);
                    black += qMax(qMax(qRed(c), qGreen(c)), qBlue(c)) < 50;
                    white += qMin(qMin(qRed(c), qGreen(c)), qBlue(c)) > 210;
                }
            return black > 10 && white > 10;
        };
        QImage img = f.b.grab().toImage();
        QVERIFY(red(img.pixel(100, 150)));
        QVERIFY(red(img.pixel(141, 145))); // on a barb of the head
        QVERIFY(outline(img));
        // Dragged: the strokes and the outline go along; the move is recorded on settling.
        Drag(&f.b, {{100, 150}, {110, 170}, {120, 190}});
        img = f.b.grab().toImage();
        QVERIFY(red(img.pixel(90, 190))); // the hand cursor is over (120, 190)
        QVERIFY(!red(img.pixel(90, 150)));
        QVERIFY(outline(img));
        f.b.LassoUpdate();
        QVERIFY(!f.b.SelImage()->isVisible());
        QCOMPARE(Tx(f.b.PWRecArray().Rec[1]), 20.0);
        QCOMPARE(Ty(f.b.PWRecArray().Rec[1]), 40.0);
        QCOMPARE(f.b.PenBitmap().pixel(120, 190), 0xFFFF0000u);
    }

    // A marker in the selection is as translucent as on the board, at zoom 2 as at zoom 1.
    void selectionKeepsTheMarkersOpacityAtTheZoom()
    {
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwMk, 0xFF0000FF, 10));
        Drag(&f.b, {{50, 50}, {100, 50}});
        f.b.ZoomSet(2, 0, 0);
        const QRgb before = f.b.grab().toImage().pixel(150, 100);
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(60, 60, 180, 80)));
        QCOMPARE(f.b.SelLines(), (TLines{0}));
        const QRgb selected = f.b.grab().toImage().pixel(150, 100);
        QCOMPARE(selected, before);
        QVERIFY(qRed(selected) > 100); // translucent over white, not a black silhouette
        // At zoom 2 the stroke is 20 screen pixels wide: it shows 8 pixels off its middle.
        QCOMPARE(f.b.grab().toImage().pixel(150, 108), before);
    }

    void selectionFollowsARefit()
    {
        // The board grows (the tool bar hidden, the window resized) while a
        // selection is shown: its outline and grab area go where the strokes now are.
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        Drag(&f.b, {{100, 100}, {150, 100}});
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        Drag(&f.b, Loop(QRect(80, 80, 100, 40)));
        QCOMPARE(f.b.SelLines(), (TLines{0}));
        Drag(&f.b, {{120, 100}, {125, 100}, {130, 100}}); // (10, 0) at zoom 1
        f.b.resize(800, 600); // refit: zoom 2
        QCOMPARE(f.b.Zoom(), Single(2));
        // The moved stroke is at picture x 110..160, on screen 220..320 at y 200.
        QVERIFY(f.b.SelRF().contains(QPointF(270, 200)));
        QVERIFY(!f.b.SelRF().contains(QPointF(130, 100)));
        QVERIFY(qAbs(f.b.SelRF().center().y() - 200) < 1);
        QVERIFY(f.b.SelImage()->geometry().contains(270, 200));
        Drag(&f.b, {{270, 200}, {270, 230}, {270, 260}}); // 60 screen pixels: 30 picture pixels
        f.b.LassoUpdate();
        QCOMPARE(f.b.PWRecArray().p, 1);
        QCOMPARE(f.b.PWRecArray().Rec[1].Menu.PenType, pwEdit);
        QCOMPARE(Tx(f.b.PWRecArray().Rec[1]), 10.0);
        QCOMPARE(Ty(f.b.PWRecArray().Rec[1]), 30.0);
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(135, 130)), 255);
    }

    // Pen widths as seen on the screen: a stroke drawn at any zoom is as
    // thick on the screen as its pen, while it is drawn and after; its
    // record keeps that width in picture pixels, so replays match. Off, the
    // widths are picture pixels.
    void screenPenWidth_data()
    {
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("recorded");
        QTest::addColumn<int>("shown");
        QTest::newRow("zoom 0.5") << true << 0.5 << 16.0 << 8;
        QTest::newRow("zoom 2") << true << 2.0 << 4.0 << 8;
        QTest::newRow("zoom 1") << true << 1.0 << 8.0 << 8;
        QTest::newRow("off, zoom 0.5") << false << 0.5 << 8.0 << 4;
        QTest::newRow("off, zoom 2") << false << 2.0 << 8.0 << 16;
    }
    void screenPenWidth()
    {
        QFETCH(bool, onScreen);
        QFETCH(double, zoom);
        QFETCH(double, recorded);
        QFETCH(int, shown);
        Fixture f;
        f.b.SetScreenPenWidth(onScreen);
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 8));
        f.b.ZoomSet(Single(zoom), 0, 0);
        auto thickness = [&] {
            int n = 0;
            for (int y = 40; y < 80; ++y) // the picture shows there at every zoom here
                n += qGray(f.b.Bitmap().pixel(100, y)) < 128;
            return n;
        };
        QTest::mousePress(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(20, 60));
        QTest::mouseMove(&f.b, QPoint(100, 60));
        QTest::mouseMove(&f.b, QPoint(180, 60));
        QVERIFY2(qAbs(thickness() - shown) <= 1, qPrintable(QString::number(thickness())));
        QTest::mouseRelease(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(180, 60));
        QCOMPARE(f.b.PWRecArray().Rec[0].Menu.PenThickness, Single(recorded));
        QCOMPARE(f.b.CrPen().PenThickness, Single(8));
        QVERIFY2(qAbs(thickness() - shown) <= 1, qPrintable(QString::number(thickness())));
        QCOMPARE(f.b.ReplayPenLayer(), f.b.PenBitmap());
    }

    // With widths as seen on the screen the cursor shows the pen's width: a
    // ring of that diameter around the tip, which stays where the pointer is.
    void cursorShowsThePensWidth()
    {
        Fixture f;
        const QPoint at(200, 150);
        auto drawnAt = [&](QPoint p) {
            const QPoint local = p - f.b.CurImage()->pos();
            return f.b.CurImage()->Bitmap.rect().contains(local) && qAlpha(f.b.CurImage()->Bitmap.pixel(local)) > 128;
        };
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFFFF0000, 20));
        QTest::mouseMove(&f.b, at);
        QVERIFY(drawnAt(at + QPoint(-10, 0)));
        QVERIFY(drawnAt(at + QPoint(0, -10)));
        QVERIFY(!drawnAt(at + QPoint(-5, -5)));
        // The wheel still zooms about the pen's tip.
        const QPointF under = f.b.ScreenToPicture(at);
        Wheel(&f.b, at, 120);
        QCOMPARE(f.b.ScreenToPicture(at), under);
        // The eraser's too, around its own tip; a thin pen needs none.
        const QPoint at2(150, 120);
        f.b.SetCrPen(MakeMenuItem(pwEr, 0xFFFFFFFF, 40));
        QTest::mouseMove(&f.b, at2);
        QVERIFY(drawnAt(at2 + QPoint(-20, 0)));
        QVERIFY(drawnAt(at2 + QPoint(20, 0)));
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 4));
        QCOMPARE(f.b.CurOffset(), QPointF(0, 0));
        // Off: the cursor as it always was, whatever the width.
        f.b.SetScreenPenWidth(false);
        f.b.SetCrPen(MakeMenuItem(pwPn, 0xFFFF0000, 20));
        QTest::mouseMove(&f.b, at);
        QCOMPARE(f.b.CurOffset(), QPointF(0, 0));
        QVERIFY(!drawnAt(at + QPoint(-10, 0)));
        QCOMPARE(f.b.CurImage()->Bitmap.size(), QSize(32, 60));
    }

    void wordCellsAreWhatReadersSee_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("cells");
        const QString shikaru = QString::fromUcs4(U"\U00020B9F"); // outside the basic plane
        const QString eAcute = QStringLiteral("e\u0301"); // a letter and its combining mark
        const QString katsura = QString::fromUcs4(U"\u845B\U000E0100"); // with a variation selector
        QTest::newRow("surrogate pair") << shikaru + QStringLiteral("る") << QStringList{shikaru, QStringLiteral("る")};
        QTest::newRow("combining mark") << eAcute + QStringLiteral("t") + eAcute
                                        << QStringList{eAcute, QStringLiteral("t"), eAcute};
        QTest::newRow("variation selector")
            << katsura + QStringLiteral("城") << QStringList{katsura, QStringLiteral("城")};
        QTest::newRow("seven letters: seven cells")
            << QStringLiteral("ABCDEFG") << QStringList{"A", "B", "C", "D", "E", "F", "G"};
        QTest::newRow("seven pairs: seven cells") << shikaru.repeated(7) << QStringList(7, shikaru);
        QTest::newRow("a whole line") << QStringLiteral("今日は良い天気ですね")
                                      << QStringList{"今", "日", "は", "良", "い", "天", "気", "で", "す", "ね"};
        QTest::newRow("beyond the last cell")
            << QStringLiteral("x").repeated(100) << QStringList(64, QStringLiteral("x"));
    }

    void wordCellsAreWhatReadersSee()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, cells);
        QCOMPARE(WordCells(word, 64), cells);
        Fixture f;
        f.b.SetWord(word);
        QCOMPARE(f.b.FuCount(), int(cells.size()));
        QCOMPARE(f.b.SrcBitmap().width(), 500 * int(cells.size()));
        QCOMPARE(f.b.FuCounts().size(), cells.size());
    }

    void penOrderColumns()
    {
        Fixture f;
        auto inked = [&](int cell) {
            for (int y = 0; y < 500; y += 4)
                for (int x = cell * 500; x < cell * 500 + 500; x += 4)
                    if (f.b.SrcBitmap().pixel(x, y) != 0xFFFFFFFFu)
                        return true;
            return false;
        };
        // Six cells: columns of 500 pixels.
        f.b.SetWord(QStringLiteral("ABCDEF"));
        QCOMPARE(f.b.FuCount(), 6);
        QCOMPARE(f.b.SrcBitmap().size(), QSize(3000, 500));
        QCOMPARE(f.b.FuColumn(1200), 2);
        QCOMPARE(f.b.FuColumn(-10), 0);
        QCOMPARE(f.b.FuColumn(3200), 5);
        const QImage six = f.b.SrcBitmap().copy();
        // A longer line grows by cells of the same size and shows all of it;
        // its first six cells are the six-letter word's picture.
        f.b.SetWord(QStringLiteral("ABCDEFGHIJ"));
        QCOMPARE(f.b.FuCount(), 10);
        QCOMPARE(f.b.SrcBitmap().size(), QSize(5000, 500));
        QCOMPARE(f.b.FuCounts().size(), 10);
        QCOMPARE(f.b.FuColumn(4700), 9);
        QCOMPARE(f.b.FuColumn(3200), 6);
        for (int cell = 0; cell < 10; ++cell)
            QVERIFY2(inked(cell), qPrintable(QString::number(cell)));
        QCOMPARE(f.b.SrcBitmap().copy(0, 0, 3000, 500), six);
        // Beyond 64 cells the rest is not drawn.
        f.b.SetWord(QStringLiteral("W").repeated(80));
        QCOMPARE(f.b.FuCount(), 64);
        QCOMPARE(f.b.SrcBitmap().size(), QSize(32000, 500));
        QVERIFY(inked(63));
        f.b.SetWord(QString());
        QCOMPARE(f.b.FuCount(), 1);
        QCOMPARE(f.b.SrcBitmap().size(), QSize(500, 500));
        QVERIFY(!inked(0));
    }

    void penOrderNumbering()
    {
        Fixture f;
        f.b.SetWord(QStringLiteral("AB")); // two cells of 500 shown in 400 x 300
        f.b.ZoomReset(); // zoom 1: control x = picture x
        f.b.SetCrPen(MakeMenuItem(pwFuMk, 0xFF000000, 8));
        auto stroke = [&](int x) {
            Drag(&f.b, {{x, 100}, {x + 5, 110}, {x + 10, 120}});
            return int(f.b.PWRecArray().Rec[f.b.PWRecArray().p].Menu.PenColor);
        };
        QCOMPARE(stroke(100), 1);
        QCOMPARE(stroke(120), 2);
        QCOMPARE(stroke(140), 3);
        f.b.ZoomSet(1, 0, 0);
        f.b.SetZoomPosition(QPointF(-400, 0)); // show the second cell
        QCOMPARE(stroke(200), 1); // picture x 600: column 1
        f.b.SetZoomPosition(QPointF(0, 0));
        f.b.PWUndo(); // the column-1 stroke
        f.b.PWUndo(); // stroke 3
        QCOMPARE(stroke(150), 3); // reuses the number
        // Switching to another entry and back continues the sequence.
        TPWRecArray kept;
        RecCopy(f.b.PWRecArray(), kept);
        f.b.SetWord(QStringLiteral("X"));
        f.b.SrcBitmapRecTextSet(QStringLiteral("AB"), kept);
        f.b.ZoomReset();
        QCOMPARE(stroke(160), 4);
    }
};

QTEST_MAIN(TestInput)
#include "test_input.moc"
