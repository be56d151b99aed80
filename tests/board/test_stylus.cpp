// A stylus and fingers on a shown board, through real tablet and touch
// events: pressure in the strokes and their records, the eraser end, one
// finger drawing, two fingers zooming and panning, and what is taken for a
// palm.
#include "board/PWImage.h"

#include <QtTest>

namespace {
QPointingDevice *NewStylus(QPointingDevice::PointerType type, bool pressure)
{
    QInputDevice::Capabilities caps = QInputDevice::Capability::Position;
    if (pressure)
        caps |= QInputDevice::Capability::Pressure;
    return new QPointingDevice(QStringLiteral("stylus"), 4000 + int(type) * 2 + int(pressure),
                               QInputDevice::DeviceType::Stylus, type, caps, 1, 2);
}

const QPointingDevice *Stylus()
{
    static QPointingDevice *d = NewStylus(QPointingDevice::PointerType::Pen, true);
    return d;
}

const QPointingDevice *StylusWithoutPressure()
{
    static QPointingDevice *d = NewStylus(QPointingDevice::PointerType::Pen, false);
    return d;
}

const QPointingDevice *EraserEnd()
{
    static QPointingDevice *d = NewStylus(QPointingDevice::PointerType::Eraser, true);
    return d;
}

QPointingDevice *Screen()
{
    static QPointingDevice *d = QTest::createTouchDevice();
    return d;
}

// Sends a tablet event to the board's window, as the platform would; true
// when it was accepted (else Qt would make a mouse event of it too).
bool Tablet(QWidget *w, QEvent::Type type, const QPointingDevice *device, QPointF at, qreal pressure)
{
    const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton;
    QTabletEvent e(type, device, at, w->mapToGlobal(at), pressure, 0, 0, 0, 0, 0, Qt::NoModifier, button, buttons);
    e.setAccepted(false);
    QApplication::sendEvent(w->windowHandle(), &e);
    return e.isAccepted();
}

void Proximity(QEvent::Type type)
{
    QTabletEvent e(type, Stylus(), QPointF(), QPointF(), 0, 0, 0, 0, 0, 0, Qt::NoModifier, Qt::NoButton, Qt::NoButton);
    QApplication::sendEvent(qApp, &e);
}

// A stylus stroke through the points, its pressure going evenly from first to last.
bool StylusStroke(QWidget *w, const QPointingDevice *device, const QVector<QPointF> &pts, qreal first = 0,
                  qreal last = 1)
{
    auto level = [&](int i) { return first + (last - first) * i / qMax(1, int(pts.size()) - 1); };
    bool accepted = Tablet(w, QEvent::TabletPress, device, pts[0], level(0));
    for (int i = 1; i < pts.size(); ++i)
        accepted &= Tablet(w, QEvent::TabletMove, device, pts[i], level(i));
    accepted &= Tablet(w, QEvent::TabletRelease, device, pts.last(), level(int(pts.size()) - 1));
    return accepted;
}

QVector<QPointF> Row(double y, double x0, double x1, double step)
{
    QVector<QPointF> pts;
    for (double x = x0; x <= x1; x += step)
        pts << QPointF(x, y);
    return pts;
}

// One finger through the points.
void FingerStroke(QWidget *w, const QVector<QPoint> &pts)
{
    QTest::touchEvent(w, Screen()).press(0, pts[0], w);
    for (int i = 1; i < pts.size(); ++i)
        QTest::touchEvent(w, Screen()).move(0, pts[i], w);
    QTest::touchEvent(w, Screen()).release(0, pts.last(), w);
}

// How many pixels of column x of the layer are mostly ink.
int InkHeight(const QImage &layer, int x)
{
    int n = 0;
    for (int y = 0; y < layer.height(); ++y)
        n += qAlpha(layer.pixel(x, y)) > 100;
    return n;
}

// A shown board 400 x 300 on a white 400 x 300 picture at zoom 1.
struct Fixture {
    TPWImage b;
    Fixture()
    {
        b.resize(400, 300);
        b.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b));
        b.PWResize();
        b.Init(400, 300);
        b.ZoomPosSet();
        b.SetCrPen(MakeMenuItem(pwPn, 0xFF000000, 20));
    }
};
} // namespace

class TestStylus : public QObject
{
    Q_OBJECT
private slots:
    void pressureNarrowsTheStroke_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("setting");
        QTest::addColumn<bool>("reported");
        QTest::addColumn<bool>("pressed");
        QTest::newRow("pen") << int(pwPn) << true << true << true;
        QTest::newRow("marker") << int(pwMk) << true << true << true;
        QTest::newRow("rainbow pen") << int(pwRbPn) << true << true << true;
        QTest::newRow("arrow") << int(pwArPn0) << true << true << true;
        QTest::newRow("brush") << int(pwFuPn) << true << true << true;
        QTest::newRow("pressure switched off") << int(pwPn) << false << true << false;
        QTest::newRow("stylus without pressure") << int(pwPn) << true << false << false;
    }

    void pressureNarrowsTheStroke()
    {
        QFETCH(int, kind);
        QFETCH(bool, setting);
        QFETCH(bool, reported);
        QFETCH(bool, pressed);
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(TPWPenType(kind), 0xFF000000, 20));
        f.b.SetPressureOn(setting);
        const QVector<QPointF> pts = Row(150, 40, 360, 20);
        QVERIFY(StylusStroke(&f.b, reported ? Stylus() : StylusWithoutPressure(), pts));
        QCOMPARE(f.b.DownState(), 0);
        const TPWRecArray &h = f.b.PWRecArray();
        QCOMPARE(h.p, 0);
        QCOMPARE(h.Rec[0].Points.size(), pts.size());
        const int light = InkHeight(f.b.PenBitmap(), 70), full = InkHeight(f.b.PenBitmap(), 330);
        if (pressed) {
            QCOMPARE(h.Rec[0].Pressure.size(), pts.size());
            QCOMPARE(h.Rec[0].Pressure.first(), quint16(0));
            QCOMPARE(h.Rec[0].Pressure.last(), PressureFull);
            QVERIFY2(light <= 8 && full >= 16, qPrintable(QStringLiteral("%1 and %2").arg(light).arg(full)));
        } else {
            QVERIFY(h.Rec[0].Pressure.isEmpty());
            QVERIFY2(light >= 18 && full >= 18, qPrintable(QStringLiteral("%1 and %2").arg(light).arg(full)));
        }
        // What was drawn is what the record replays to.
        QCOMPARE(f.b.ReplayPenLayer(), f.b.PenBitmap());
    }

    void eraserEndErasesThenThePenComesBack()
    {
        Fixture f;
        const TPWMenuItem pen = MakeMenuItem(pwMk, 0xFF0000FF, 12);
        f.b.SetCrPen(pen);
        QTest::mousePress(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 100));
        QTest::mouseMove(&f.b, QPoint(350, 100));
        QTest::mouseRelease(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(350, 100));
        QVERIFY(f.b.PWRecArray().Rec[0].Pressure.isEmpty()); // the mouse has none

        QVERIFY(Tablet(&f.b, QEvent::TabletPress, EraserEnd(), QPointF(200, 60), 0.2));
        QCOMPARE(f.b.CrPen().PenType, pwEr);
        QVERIFY(Tablet(&f.b, QEvent::TabletMove, EraserEnd(), QPointF(200, 140), 0.9));
        QVERIFY(Tablet(&f.b, QEvent::TabletRelease, EraserEnd(), QPointF(200, 140), 0));
        QVERIFY(f.b.CrPen() == pen);
        const TPWRecArray &h = f.b.PWRecArray();
        QCOMPARE(h.p, 1);
        QCOMPARE(h.Rec[1].Menu.PenType, pwEr);
        QCOMPARE(h.Rec[1].Menu.PenThickness, f.b.EraserPen().PenThickness);
        QVERIFY(h.Rec[1].Pressure.isEmpty());
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(200, 100)), 0);
        QVERIFY(qAlpha(f.b.PenBitmap().pixel(100, 100)) > 0);
        // The pen draws again with the stylus's tip.
        QVERIFY(StylusStroke(&f.b, Stylus(), Row(200, 100, 300, 25)));
        QCOMPARE(f.b.PWRecArray().Rec[2].Menu.PenType, pwMk);
    }

    // A replay stops on a stylus's or a finger's touch as on a click, and
    // that touch draws nothing.
    void touchesStopAReplay()
    {
        Fixture f;
        StylusStroke(&f.b, Stylus(), Row(100, 50, 300, 10), 1, 1);
        for (int finger = 0; finger < 2; ++finger) {
            f.b.ReplayStart();
            QVERIFY(f.b.IsReplaying());
            if (finger)
                FingerStroke(&f.b, {{100, 200}, {200, 200}});
            else
                StylusStroke(&f.b, Stylus(), Row(200, 50, 300, 10));
            QVERIFY(!f.b.IsReplaying());
            QCOMPARE(f.b.PWRecArray().p, 0);
            QCOMPARE(qAlpha(f.b.PenBitmap().pixel(150, 200)), 0);
        }
    }

    void oneFingerDraws()
    {
        Fixture f;
        FingerStroke(&f.b, {{100, 100}, {150, 100}, {200, 120}});
        const TPWRecArray &h = f.b.PWRecArray();
        QCOMPARE(h.p, 0);
        QCOMPARE(h.Rec[0].Points, (TPolygon{{100, 100}, {150, 100}, {200, 120}}));
        QVERIFY(h.Rec[0].Pressure.isEmpty());
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(150, 100)), 255);
        QCOMPARE(f.b.DownState(), 0);
        // A tap is a dot, as a click is.
        QTest::touchEvent(&f.b, Screen()).press(0, QPoint(300, 250), &f.b);
        QTest::touchEvent(&f.b, Screen()).release(0, QPoint(300, 250), &f.b);
        QCOMPARE(f.b.PWRecArray().p, 1);
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(300, 250)), 255);
    }

    void twoFingersZoomAndPanRecordingNothing()
    {
        Fixture f;
        const Single z0 = f.b.Zoom();
        const QPointF under = f.b.ScreenToPicture(QPointF(200, 150));
        QTest::touchEvent(&f.b, Screen()).press(0, QPoint(150, 150), &f.b).press(1, QPoint(250, 150), &f.b);
        // Spread to twice the distance about the same centre.
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(125, 150), &f.b).move(1, QPoint(275, 150), &f.b);
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(100, 150), &f.b).move(1, QPoint(300, 150), &f.b);
        QCOMPARE(f.b.Zoom(), 2 * z0);
        QVERIFY(QLineF(f.b.ScreenToPicture(QPointF(200, 150)), under).length() < 0.01);
        // Both fingers move together: the picture follows them.
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(140, 180), &f.b).move(1, QPoint(340, 180), &f.b);
        QVERIFY(QLineF(f.b.ScreenToPicture(QPointF(240, 180)), under).length() < 0.01);
        // One finger lifts, the other goes on: still nothing is drawn.
        QTest::touchEvent(&f.b, Screen()).release(0, QPoint(140, 180), &f.b).move(1, QPoint(300, 250), &f.b);
        QTest::touchEvent(&f.b, Screen()).release(1, QPoint(300, 250), &f.b);
        QCOMPARE(f.b.PWRecArray().c, -1);
        QCOMPARE(f.b.DownState(), 0);
        QVERIFY(f.b.PenBitmap() == NewBitmap(400, 300));
        // The next single finger draws again.
        FingerStroke(&f.b, {{100, 100}, {150, 100}});
        QCOMPARE(f.b.PWRecArray().p, 0);
    }

    void secondFingerSoonWithdrawsTheStroke_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("late");
        QTest::newRow("pen, at once") << int(pwPn) << false;
        QTest::newRow("brush, at once") << int(pwFuPn) << false;
        QTest::newRow("hand, at once") << int(pwMove) << false;
        QTest::newRow("pen, later") << int(pwPn) << true;
    }

    void secondFingerSoonWithdrawsTheStroke()
    {
        QFETCH(int, kind);
        QFETCH(bool, late);
        Fixture f;
        f.b.SetCrPen(MakeMenuItem(TPWPenType(kind), 0xFF000000, 20));
        const QImage screen = f.b.Bitmap().copy();
        const QPointF origin = f.b.ZoomPosition();
        QTest::touchEvent(&f.b, Screen()).press(0, QPoint(100, 100), &f.b);
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(130, 110), &f.b);
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(160, 120), &f.b);
        if (late)
            QTest::qWait(TPWImage::GestureGraceMs + 100);
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(160, 120), &f.b).press(1, QPoint(300, 200), &f.b);
        QTest::touchEvent(&f.b, Screen()).release(0, QPoint(160, 120), &f.b).release(1, QPoint(300, 200), &f.b);
        QCOMPARE(f.b.DownState(), 0);
        if (late) {
            // A stroke already under way when the second finger lands stays.
            QCOMPARE(f.b.PWRecArray().p, 0);
            QCOMPARE(f.b.PWRecArray().Rec[0].Points.size(), 3);
            return;
        }
        QCOMPARE(f.b.PWRecArray().c, -1);
        QCOMPARE(f.b.ZoomPosition(), origin);
        QVERIFY(f.b.Bitmap() == screen);
    }

    void secondFingerPutsADraggedSelectionBack()
    {
        Fixture f;
        QTest::mousePress(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseMove(&f.b, QPoint(80, 50));
        QTest::mouseRelease(&f.b, Qt::LeftButton, Qt::NoModifier, QPoint(80, 50));
        f.b.SetCrPen(MakeMenuItem(pwLasso, 0, 1));
        FingerStroke(&f.b, {{30, 30}, {130, 30}, {130, 130}, {30, 130}, {30, 31}});
        QCOMPARE(f.b.SelLines(), (TLines{0}));
        const QPoint shown = f.b.SelImage()->pos();
        QTest::touchEvent(&f.b, Screen()).press(0, QPoint(60, 50), &f.b);
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(90, 70), &f.b);
        QCOMPARE(f.b.SelImage()->pos(), shown + QPoint(30, 20));
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(90, 70), &f.b).press(1, QPoint(300, 200), &f.b);
        QTest::touchEvent(&f.b, Screen()).release(0, QPoint(90, 70), &f.b).release(1, QPoint(300, 200), &f.b);
        QCOMPARE(f.b.DownState(), 0);
        QCOMPARE(f.b.SelImage()->pos(), shown);
        f.b.LassoUpdate();
        QCOMPARE(f.b.PWRecArray().c, 0); // the stroke, and no move
    }

    void palmsAndTouchesNearAStylusDrawNothing()
    {
        Fixture f;
        Proximity(QEvent::TabletEnterProximity);
        FingerStroke(&f.b, {{100, 100}, {200, 100}});
        QCOMPARE(f.b.PWRecArray().c, -1);
        // The stylus draws meanwhile, a hand on the screen or not.
        QTest::touchEvent(&f.b, Screen()).press(0, QPoint(50, 250), &f.b);
        QVERIFY(StylusStroke(&f.b, Stylus(), Row(150, 100, 300, 50)));
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(150, 250), &f.b);
        QTest::touchEvent(&f.b, Screen()).release(0, QPoint(150, 250), &f.b);
        QCOMPARE(f.b.PWRecArray().p, 0);
        QCOMPARE(qAlpha(f.b.PenBitmap().pixel(100, 250)), 0);
        Proximity(QEvent::TabletLeaveProximity);
        FingerStroke(&f.b, {{100, 50}, {200, 50}});
        QCOMPARE(f.b.PWRecArray().p, 1);

        // A finger drawing when the stylus comes near was the hand resting: its stroke goes.
        QTest::touchEvent(&f.b, Screen()).press(0, QPoint(100, 280), &f.b);
        QTest::touchEvent(&f.b, Screen()).move(0, QPoint(200, 280), &f.b);
        Proximity(QEvent::TabletEnterProximity);
        QTest::touchEvent(&f.b, Screen()).release(0, QPoint(200, 280), &f.b);
        Proximity(QEvent::TabletLeaveProximity);
        QCOMPARE(f.b.PWRecArray().p, 1);
        QCOMPARE(f.b.DownState(), 0);
    }

    void palmSizedContacts_data()
    {
        QTest::addColumn<QSizeF>("diameters");
        QTest::addColumn<bool>("palm");
        QTest::newRow("size not reported") << QSizeF() << false;
        QTest::newRow("fingertip") << QSizeF(12, 14) << false;
        QTest::newRow("flat thumb") << QSizeF(60, 90) << false;
        QTest::newRow("side of the hand") << QSizeF(40, 180) << true;
        QTest::newRow("palm") << QSizeF(200, 150) << true;
    }

    void palmSizedContacts()
    {
        // Qt's test API sends touches without a size, so the judgement is checked on its own.
        QFETCH(QSizeF, diameters);
        QFETCH(bool, palm);
        QCOMPARE(TPWImage::IsPalmContact(diameters), palm);
    }
};

QTEST_MAIN(TestStylus)
#include "test_stylus.moc"
