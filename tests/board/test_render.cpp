// Rendering of each pen kind into the pen layer, checked on its pixels.
#include "board/PWImage.h"

#include <QPainter>
#include <QtTest>

namespace {
TPathData Path(const QVector<QPointF> &pts)
{
    TPathData p;
    for (int i = 0; i < pts.size(); ++i) {
        if (i == 0)
            p.MoveTo(pts[i]);
        else
            p.LineTo(pts[i]);
    }
    return p;
}

bool Smoothing = true; // how the boards made next draw

// A board showing a white picture at zoom 1, so control and picture coordinates agree.
struct Board {
    TPWImage b;
    explicit Board(int w = 200, int h = 150)
    {
        TRenderStyle style;
        style.Smoothing = Smoothing;
        b.SetRenderStyle(style);
        b.resize(w, h);
        b.PWResize();
        b.Init(w, h);
        b.ZoomPosSet();
    }
    // Records and renders one stroke as a finished pointer stroke would.
    void Add(const TPWMenuItem &pen, const QVector<QPointF> &pts)
    {
        TPathData path = Path(pts);
        b.Document().History().RecAddLine(pen, path, b.RenderStyle());
        b.DrawRec(pen, path);
    }
    QRgb At(int x, int y) const { return qUnpremultiply(b.PenBitmap().pixel(x, y)); }
    int AlphaAt(int x, int y) const { return qAlpha(b.PenBitmap().pixel(x, y)); }
    bool Empty() const
    {
        const QImage &img = b.PenBitmap();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != 0)
                    return false;
        return true;
    }
};

struct SmoothingOff {
    SmoothingOff() { Smoothing = false; }
    ~SmoothingOff() { Smoothing = true; }
};
} // namespace

class TestRender : public QObject
{
    Q_OBJECT
private slots:

    void rainbowSegmentsTakeTheColoursInOrder()
    {
        SmoothingOff off;
        Board t(260, 40);
        QVector<QPointF> pts;
        for (int i = 0; i < 9; ++i)
            pts << QPointF(10 + 30 * i, 20);
        t.Add(MakeMenuItem(pwRbPn, 0xFF000000, 6), pts);
        const QRgb expected[8]
            = {0xFFFF00FF, 0xFFFF0000, 0xFFFF6600, 0xFFFFFF00, 0xFF00FF00, 0xFF0000FF, 0xFF6666CC, 0xFFFF00FF};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(t.At(25 + 30 * i, 20), expected[i]);
    }

    void penOrderColoursFollowTheNumber_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<uint>("colour");
        QTest::newRow("1st magenta") << 1 << 0xFFFF00FFu;
        QTest::newRow("2nd red") << 2 << 0xFFFF0000u;
        QTest::newRow("3rd orange") << 3 << 0xFFFF6600u;
        QTest::newRow("8th magenta") << 8 << 0xFFFF00FFu;
    }
    void penOrderColoursFollowTheNumber()
    {
        QFETCH(int, number);
        QFETCH(uint, colour);
        SmoothingOff off;
        Board t;
        t.b.SetMKOpacity(1); // full strength, to read the colour back exactly
        t.Add(MakeMenuItem(pwFuMk, TAlphaColor(number), 8),
              {{20, 75}, {25, 75}, {30, 75}, {35, 75}, {40, 75}, {180, 75}});
        QCOMPARE(t.At(150, 75), QRgb(colour));
        // The numbered circle at the first point: white inside, with the black number or rim.
        QCOMPARE(qAlpha(t.At(20, 75 - 8 + 2)), 255);
        QCOMPARE(t.b.FuCounts()[0], number);
    }

    void arrowBarbs()
    {
        // Width 4: barbs of 5 pen widths, ending on whole pixels.
        QPointF A, B;
        ArrowHeadPoints(QPointF(100, 100), QPointF(0, 100), 4, 5, A, B);
        for (const QPointF &p : {A, B}) {
            QCOMPARE(p.x(), std::round(p.x()));
            QCOMPARE(p.y(), std::round(p.y()));
            QVERIFY(std::abs(std::hypot(p.x() - 100, p.y() - 100) - 20) < 0.75);
            QVERIFY(p.x() < 100); // they point back along the shaft
        }
        QCOMPARE(A, QPointF(83, 110));
        QCOMPARE(B, QPointF(83, 90));
        // A degenerate arrow (a click) opens downwards on the screen.
        QCOMPARE(PointAngle(QPointF(5, 5), QPointF(5, 5)), Single(3 * M_PI / 2));
        ArrowHeadPoints(QPointF(50, 50), QPointF(50, 50), 4, 5, A, B);
        QVERIFY(A.y() > 50 && B.y() > 50);
        QCOMPARE(A.x() + B.x(), 100.0);
    }

    void pointAngleQuadrants_data()
    {
        QTest::addColumn<QPointF>("b");
        QTest::addColumn<double>("angle");
        QTest::newRow("right") << QPointF(1, 0) << 0.0;
        QTest::newRow("up") << QPointF(0, -1) << M_PI / 2;
        QTest::newRow("left") << QPointF(-1, 0) << M_PI;
        QTest::newRow("down") << QPointF(0, 1) << 3 * M_PI / 2;
        QTest::newRow("down right") << QPointF(1, 1) << 7 * M_PI / 4;
    }
    void pointAngleQuadrants()
    {
        QFETCH(QPointF, b);
        QFETCH(double, angle);
        QVERIFY(std::abs(PointAngle(QPointF(0, 0), b) - angle) < 1e-5);
    }

    void oneAndTwoPointStrokes()
    {
        // A one-point stroke draws nothing for a pen, a head for an arrow.
        Board pen;
        pen.Add(MakeMenuItem(pwPn, 0xFF000000, 8), {{100, 75}});
        QVERIFY(pen.Empty());
        Board arrow;
        arrow.Add(MakeMenuItem(pwArPn0, 0xFF000000, 4), {{100, 75}});
        QVERIFY(!arrow.Empty());
        QCOMPARE(arrow.AlphaAt(105, 83), 255); // the head opens downwards
        QCOMPARE(arrow.AlphaAt(95, 83), 255);
        QCOMPARE(arrow.AlphaAt(100, 65), 0);
        // A click (two equal points) is a round dot of the pen's width.
        Board dot;
        dot.Add(MakeMenuItem(pwPn, 0xFF000000, 10), {{100, 75}, {100, 75}});
        QCOMPARE(dot.AlphaAt(100, 75), 255);
        QCOMPARE(dot.AlphaAt(103, 75), 255);
        QCOMPARE(dot.AlphaAt(100, 72), 255);
        QCOMPARE(dot.AlphaAt(104, 79), 0); // round, not square
        QCOMPARE(dot.AlphaAt(107, 75), 0);
    }

    void smoothing()
    {
        TPathData p = Path({{0, 0}, {10, 10}, {20, 0}});
        PathSmooth(p);
        QCOMPARE(p.Count(), 3);
        QCOMPARE(p.at(1).pt, QPointF(10, 0));
        TPathData two = Path({{0, 0}, {10, 10}});
        PathSmooth(two);
        QCOMPARE(two.at(1).pt, QPointF(10, 10));

        Board on;
        on.Add(MakeMenuItem(pwPn, 0xFF000000, 2), {{20, 20}, {60, 60}, {100, 20}});
        QCOMPARE(on.AlphaAt(60, 20), 255);
        QCOMPARE(on.AlphaAt(40, 40), 0);
        SmoothingOff off;
        Board raw;
        raw.Add(MakeMenuItem(pwPn, 0xFF000000, 2), {{20, 20}, {60, 60}, {100, 20}});
        QCOMPARE(raw.AlphaAt(40, 40), 255);
        QCOMPARE(raw.AlphaAt(60, 20), 0);
    }

    void brushThinsWhenFast()
    {
        Single press = 1024;
        // Slow segments keep the full width.
        for (int i = 0; i < 5; ++i)
            QCOMPARE(BrushWidth(20, QPointF(0, 0), QPointF(5, 0), press), Single(20));
        // Fast ones lose 30/1024 of it per segment, down to 10/1024.
        Single w = 20;
        for (int i = 1; i <= 40; ++i) {
            w = BrushWidth(20, QPointF(0, 0), QPointF(20, 0), press);
            QCOMPARE(w, Single(qMax(1024 - 30 * i, 10)) / 1024 * 20);
        }
        QCOMPARE(press, Single(10));
        // Slowing down brings it back by the same steps.
        QCOMPARE(BrushWidth(20, QPointF(0, 0), QPointF(1, 0), press), Single(40) / 1024 * 20);
    }

    void eraserClearsAndUndoBringsBack()
    {
        Board t;
        t.b.SetCrPen(MakeMenuItem(pwPn, 0xFFFF0000, 10));
        t.b.PWMouseDown(20, 75);
        t.b.PWMouseMove(180, 75);
        t.b.PWMouseUp(180, 75);
        QCOMPARE(t.At(100, 75), 0xFFFF0000u);
        t.b.SetCrPen(MakeMenuItem(pwEr, 0xFFFFFFFF, 30));
        t.b.PWMouseDown(100, 20);
        t.b.PWMouseMove(100, 130);
        t.b.PWMouseUp(100, 130);
        QCOMPARE(t.b.PenBitmap().pixel(100, 75), 0u);
        QCOMPARE(t.At(40, 75), 0xFFFF0000u);
        // The picture itself is untouched.
        QCOMPARE(t.b.SrcBitmap().pixel(100, 75), 0xFFFFFFFFu);
        // Every pixel stays a valid premultiplied colour at the eraser's rim.
        const QImage &pen = t.b.PenBitmap();
        for (int y = 0; y < pen.height(); ++y)
            for (int x = 0; x < pen.width(); ++x) {
                const QRgb v = pen.pixel(x, y);
                QVERIFY(qRed(v) <= qAlpha(v) && qGreen(v) <= qAlpha(v) && qBlue(v) <= qAlpha(v));
            }
        t.b.PWUndo();
        QCOMPARE(t.At(100, 75), 0xFFFF0000u);
    }

    void markerIsTranslucentAndDoesNotDarkenItself()
    {
        SmoothingOff off;
        Board t;
        // A stroke crossing itself blends once.
        t.Add(MakeMenuItem(pwMk, 0xFF0000FF, 10), {{20, 75}, {180, 75}, {100, 20}, {100, 130}});
        const int cross = t.AlphaAt(100, 75);
        QCOMPARE(cross, t.AlphaAt(40, 75));
        QVERIFY(std::abs(cross - 102) <= 1); // 0.4 of 255
        // A second marker stroke over it does darken.
        t.Add(MakeMenuItem(pwMk, 0xFF0000FF, 10), {{20, 75}, {180, 75}});
        QVERIFY(t.AlphaAt(40, 75) > cross + 40);
    }

    void orderMarkGeometry()
    {
        // Width 4: a circle of radius 8 (the minimum).
        QImage img = NewBitmap(40, 40);
        {
            QPainter p(&img);
            DrawOrderMark(p, QPointF(20, 20), 4, 1, QString());
        }
        QCOMPARE(qAlpha(img.pixel(20, 12 + 3)), 255);
        QCOMPARE(qAlpha(img.pixel(20, 9)), 0);
        QCOMPARE(qAlpha(img.pixel(20 - 7, 20)), 255); // rim
    }

    void penSamples()
    {
        QImage img = NewBitmap(130, 30);
        auto draw = [&](const TPWMenuItem &pen) {
            img.fill(0);
            QPainter p(&img);
            PWMenuItemDraw(pen, p, QRectF(0, 0, 130, 30));
        };
        // A 40-wide pen in a 30-high rectangle is drawn 30 thick.
        draw(MakeMenuItem(pwPn, 0xFF000000, 40));
        QCOMPARE(img.pixel(65, 1), 0xFF000000u);
        // A marker's sample is as opaque as a pen's.
        draw(MakeMenuItem(pwMk, 0xFF00FF00, 10));
        QCOMPARE(img.pixel(65, 15), 0xFF00FF00u);
        // Pen order is magenta whatever its colour, and tapers.
        draw(MakeMenuItem(pwFuMk, 0xFF000000, 20));
        QCOMPARE(img.pixel(20, 15), 0xFFFF00FFu);
        QCOMPARE(img.pixel(20, 6), 0xFFFF00FFu);
        QCOMPARE(img.pixel(110, 6), 0xFFEEEEEEu);
        // A command kind: the grey rectangle alone.
        draw(MakeMenuItem(pwMove, 0xFF000000, 20));
        QCOMPARE(img.pixel(65, 15), 0xFFEEEEEEu);
    }
};

QTEST_MAIN(TestRender)
#include "test_render.moc"
