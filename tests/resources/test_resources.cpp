// The pictures compiled into the program: every name the program asks for is
// there, at its exact size, with an alpha channel, and the cursors' hot spots
// and ink band fall on the drawing.
#include "platform/Bitmap.h"

#include <QImageReader>
#include <QResource>
#include <QtTest>

namespace {

enum Background { Transparent, Opaque };

struct Expected {
    const char *name;
    int width, height;
    Background background;
};

const Expected Pictures[] = {
    {"MT_PEN", 30, 30, Transparent},      {"MT_MARKER", 30, 30, Transparent},   {"MT_RBPEN", 30, 30, Transparent},
    {"MT_RBMARKER", 30, 30, Transparent}, {"MT_ARROWS", 30, 30, Transparent},   {"MT_ARROWD", 30, 30, Transparent},
    {"MT_FUPEN", 30, 30, Transparent},    {"MT_FUMARKER", 30, 30, Transparent}, {"MT_ERASER", 30, 30, Transparent},
    {"MT_MOVE", 30, 30, Transparent},     {"MT_ERASEALL", 30, 30, Transparent}, {"MT_OPEN", 30, 30, Transparent},
    {"MT_SAVE", 30, 30, Transparent},     {"MT_UNDO", 30, 30, Transparent},     {"MT_REDO", 30, 30, Transparent},
    {"MT_ZOOM0", 30, 30, Transparent},    {"MT_ZOOM1", 30, 30, Transparent},    {"MT_WBRD", 30, 30, Transparent},
    {"MT_NEXT", 30, 30, Transparent},     {"MT_PREV", 30, 30, Transparent},     {"MT_CENTER", 30, 30, Transparent},
    {"MT_LAUNCH", 30, 30, Transparent},   {"MT_MVIEW", 30, 30, Transparent},    {"MT_TURNR", 30, 30, Transparent},
    {"MT_TURNL", 30, 30, Transparent},    {"MT_LASSO", 30, 30, Transparent},    {"MT_INFO", 30, 30, Transparent},
    {"MT_SETUP", 30, 30, Transparent},    {"MT_PENSETUP", 30, 30, Transparent}, {"MT_CLOSE", 30, 30, Transparent},
    {"MT_DESKTOP", 30, 30, Transparent},  {"MT_OK", 30, 30, Transparent},       {"PW_RIGHT", 30, 30, Transparent},
    {"PW_LEFT", 30, 30, Transparent},     {"ARROW_L", 13, 20, Transparent},     {"ARROW_R", 13, 20, Transparent},
    {"CR_PEN", 32, 60, Transparent},      {"CR_MARKER", 32, 60, Transparent},   {"CR_RBPEN", 32, 60, Transparent},
    {"CR_RBMARKER", 32, 60, Transparent}, {"CR_ERASER", 32, 52, Transparent},   {"CR_HAND0", 32, 38, Transparent},
    {"CR_HAND1", 32, 38, Transparent},    {"CR_LASSO", 32, 23, Transparent},    {"SPLASH", 512, 256, Opaque},
    {"MT_EXPORT", 30, 30, Transparent},   {"MT_PRINT", 30, 30, Transparent},    {"MT_REPLAY", 30, 30, Transparent},
    {"ICON", 64, 64, Transparent},        {"APP_256", 256, 256, Transparent},
};

int MinAlpha(const QImage &img)
{
    int a = 255;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            a = qMin(a, qAlpha(img.pixel(x, y)));
    return a;
}

int MaxAlpha(const QImage &img)
{
    int a = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            a = qMax(a, qAlpha(img.pixel(x, y)));
    return a;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void pictures_data();
    void pictures();
    void cursorHotSpots_data();
    void cursorHotSpots();
    void penBandOnBody_data();
    void penBandOnBody();
    void rawSplashIsThePicture();
};

void TestResources::pictures_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("opaque");
    for (const Expected &e : Pictures)
        QTest::newRow(e.name) << QSize(e.width, e.height) << (e.background == Opaque);
}

void TestResources::pictures()
{
    QFETCH(QSize, size);
    QFETCH(bool, opaque);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QImage img = ResourceImage(name);
    QVERIFY2(!img.isNull(), qPrintable(name + QStringLiteral(" is missing")));
    QCOMPARE(img.size(), size);
    // ResourceImage always hands out an alpha format; the stored file must carry alpha itself.
    QImageReader reader(QStringLiteral(":/res/%1.png").arg(name));
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage stored = reader.read();
    QVERIFY(stored.hasAlphaChannel());
    QCOMPARE(IsOpaque(img), opaque);
    if (opaque) {
        QCOMPARE(MinAlpha(img), 255);
    } else {
        // a drawing on a clear background: neither blank nor filled edge to edge
        QCOMPARE(MaxAlpha(img), 255);
        QCOMPARE(MinAlpha(img), 0);
    }
}

void TestResources::cursorHotSpots_data()
{
    QTest::addColumn<QPoint>("hotSpot");
    for (const char *pen : {"CR_PEN", "CR_MARKER", "CR_RBPEN", "CR_RBMARKER"})
        QTest::newRow(pen) << QPoint(0, 0);
    QTest::newRow("CR_ERASER") << QPoint(16, 0);
    QTest::newRow("CR_HAND0") << QPoint(12, 24);
    QTest::newRow("CR_HAND1") << QPoint(12, 24);
    QTest::newRow("CR_LASSO") << QPoint(1, 2);
}

// The point that follows the pointer must be on the drawing, or the user
// draws somewhere the cursor does not show.
void TestResources::cursorHotSpots()
{
    QFETCH(QPoint, hotSpot);
    const QImage img = ResourceImage(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(!img.isNull());
    QVERIFY2(qAlpha(img.pixel(hotSpot)) >= 128, "hot spot lies on a transparent pixel");
}

void TestResources::penBandOnBody_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("pen") << QStringLiteral("CR_PEN");
    QTest::newRow("marker") << QStringLiteral("CR_MARKER");
}

// The board paints the ink colour as a 5.5 px line from (7.5, 14.5) to
// (12.5, 24.5); the pen's body has to hold it on both sides, all along.
void TestResources::penBandOnBody()
{
    QFETCH(QString, name);
    const QImage img = ResourceImage(name);
    QVERIFY(!img.isNull());
    const QPointF a(7.5, 14.5), b(12.5, 24.5);
    const QPointF n = QPointF(2, -1) / std::sqrt(5.0); // across the band
    for (int i = 0; i <= 4; ++i) {
        const QPointF c = a + (b - a) * (i / 4.0);
        for (double side : {-4.0, 4.0}) {
            const QPointF f = c + n * side;
            const QPoint q(int(std::floor(f.x())), int(std::floor(f.y())));
            QVERIFY2(qAlpha(img.pixel(q)) == 255,
                     qPrintable(QStringLiteral("no body beside the band at (%1, %2)").arg(q.x()).arg(q.y())));
        }
    }
}

// The splash's raw pixels are what the program shows first: the same picture
// as its PNG, read where the program holds it rather than copied.
void TestResources::rawSplashIsThePicture()
{
    const QImage raw = ResourceRawImage(QStringLiteral("SPLASH"));
    QVERIFY(!raw.isNull());
    QCOMPARE(raw, ResourceImage(QStringLiteral("SPLASH"), 1.0));
    QCOMPARE(raw.constBits(), QResource(QStringLiteral(":/raw/SPLASH.raw")).data() + 8);
    QVERIFY(ResourceRawImage(QStringLiteral("NO_SUCH_PICTURE")).isNull());
}

QTEST_MAIN(TestResources)
#include "test_resources.moc"
