// The tile button through real mouse events and real paints: clicks and
// cancelled presses, the pressed geometry, repaints, the kinds, and the
// black-or-white content with the in-place recolouring of the icon.
#include "tiles/MetroButton.h"

#include "platform/Bitmap.h"

#include <QtTest>

namespace {
// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// A shown host with one tile at (10, 10) that counts its clicks.
struct Fixture {
    QWidget host;
    TMetroButton *tile;
    int clicks = 0;
    QObject *sender = nullptr;
    explicit Fixture(TMetroButtonType type = mtSmallSingle)
    {
        host.resize(300, 200);
        tile = new TMetroButton(&host, type);
        tile->move(10, 10);
        tile->OnExecute = [this](QObject *s) {
            ++clicks;
            sender = s;
        };
        host.show();
    }
};

// An icon whose every pixel is a half-transparent orange (premultiplied), with a clear border.
QImage OrangeIcon()
{
    QImage img = NewBitmap(30, 30);
    for (int y = 5; y < 25; ++y)
        for (int x = 5; x < 25; ++x)
            img.setPixel(x, y, qPremultiply(qRgba(255, 128, 0, 128)));
    return img;
}

double Luma(QRgb c) { return 0.3 * qRed(c) + 0.59 * qGreen(c) + 0.11 * qBlue(c); }

// The darkest and lightest pixel of an area of an image.
std::pair<double, double> LumaRange(const QImage &img, const QRect &r)
{
    double lo = 255, hi = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const double l = Luma(img.pixel(x, y));
            lo = qMin(lo, l);
            hi = qMax(hi, l);
        }
    return {lo, hi};
}
} // namespace

class TestMetroButton : public QObject
{
    Q_OBJECT
private slots:
    void clickWithAnyButton_data();
    void clickWithAnyButton();
    void tapOnATouchScreenClicks();
    void pressShrinksAndReleaseRestores();
    void pressLeaveReturnReleaseDoesNotFire();
    void pressWanderingOverTheTileFires_data();
    void pressWanderingOverTheTileFires();
    void secondButtonWhilePressedDoesNotShrinkTwice();
    void hiddenWhilePressedIsRestored();
    void handlerMayDeleteTheTile();
    void downRepaintsOnlyOnChange();
    void typeSetsSizeAndResetsColour_data();
    void typeSetsSizeAndResetsColour();
    void contentColourFollowsLuminance_data();
    void contentColourFollowsLuminance();
    void defaultColourKeepsIconAsStored();
    void frameShowsWhenDown();
    void pictureTileDrawsNoCaption();
    void captionKeepsItsSize_data();
    void captionKeepsItsSize();
    void longCaptionStaysOnTheTile_data();
    void longCaptionStaysOnTheTile();
};

void TestMetroButton::clickWithAnyButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestMetroButton::clickWithAnyButton()
{
    QFETCH(Qt::MouseButton, button);
    Fixture f;
    QTest::mouseClick(f.tile, button, Qt::NoModifier, QPoint(30, 30));
    QCOMPARE(f.clicks, 1);
    QCOMPARE(f.sender, static_cast<QObject *>(f.tile));
    QCOMPARE(f.tile->geometry(), QRect(10, 10, 60, 60));
}

void TestMetroButton::tapOnATouchScreenClicks()
{
    // The tile takes no touch events: Qt turns the finger into a mouse for it.
    static QPointingDevice *screen = QTest::createTouchDevice();
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.host));
    QTest::touchEvent(&f.host, screen).press(0, QPoint(40, 40), &f.host);
    QTest::touchEvent(&f.host, screen).release(0, QPoint(40, 40), &f.host);
    QCOMPARE(f.clicks, 1);
    // A finger that slides off the tile before lifting does not click it.
    QTest::touchEvent(&f.host, screen).press(0, QPoint(40, 40), &f.host);
    QTest::touchEvent(&f.host, screen).move(0, QPoint(200, 150), &f.host);
    QTest::touchEvent(&f.host, screen).release(0, QPoint(200, 150), &f.host);
    QCOMPARE(f.clicks, 1);
}

void TestMetroButton::pressShrinksAndReleaseRestores()
{
    Fixture f(mtSmallDouble);
    QRect during;
    // The handler runs with the tile already back at full size (it may open a modal dialog).
    f.tile->OnExecute = [&](QObject *) { during = f.tile->geometry(); };
    QTest::mousePress(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QCOMPARE(f.tile->geometry(), QRect(13, 13, 124, 54));
    QVERIFY(f.tile->IsPressed());
    QTest::mouseRelease(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QCOMPARE(during, QRect(10, 10, 130, 60));
    QCOMPARE(f.tile->geometry(), QRect(10, 10, 130, 60));
    QVERIFY(!f.tile->IsPressed());
}

void TestMetroButton::pressLeaveReturnReleaseDoesNotFire()
{
    Fixture f;
    QTest::mousePress(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    // Qt keeps delivering moves to the pressed tile; one off the tile is the leave.
    QTest::mouseMove(f.tile, QPoint(150, 30));
    QCOMPARE(f.tile->geometry(), QRect(10, 10, 60, 60));
    QVERIFY(!f.tile->IsPressed());
    QVERIFY(!f.tile->IsEnter());
    QTest::mouseMove(f.tile, QPoint(30, 30));
    QVERIFY(f.tile->IsEnter());
    QTest::mouseRelease(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QCOMPARE(f.clicks, 0);
    QCOMPARE(f.tile->geometry(), QRect(10, 10, 60, 60));

    // A move past the tile's full-size edge leaves; the Leave event does the same.
    QTest::mousePress(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    QTest::mouseMove(f.tile, QPoint(-5, 1));
    QTest::mouseRelease(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(-5, 1));
    QCOMPARE(f.clicks, 0);
    QTest::mousePress(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.tile, &leave);
    QCOMPARE(f.tile->geometry(), QRect(10, 10, 60, 60));
    QTest::mouseRelease(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QCOMPARE(f.clicks, 0);

    // A press at the very edge released without moving is still a click.
    QTest::mousePress(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    QTest::mouseRelease(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    QCOMPARE(f.clicks, 1);
}

void TestMetroButton::pressWanderingOverTheTileFires_data()
{
    // Host coordinates; the 60 x 60 tile covers 10..69 and shrinks to 13..66 while pressed.
    QTest::addColumn<QVector<QPoint>>("path"); // press, moves, release
    QTest::addColumn<int>("clicks");
    QTest::newRow("around the edges inside") << QVector<QPoint>{{40, 40}, {11, 11}, {68, 12}, {68, 68}, {10, 40}} << 1;
    QTest::newRow("pressed at the edge, shaking") << QVector<QPoint>{{11, 40}, {12, 41}, {10, 39}, {11, 40}} << 1;
    QTest::newRow("released just outside") << QVector<QPoint>{{40, 40}, {68, 40}, {70, 40}} << 0;
    QTest::newRow("off and back") << QVector<QPoint>{{40, 40}, {80, 40}, {40, 40}} << 0;
}

void TestMetroButton::pressWanderingOverTheTileFires()
{
    // Through the window, as the platform delivers them: Qt's own grab and
    // enter/leave handling are part of what is tested.
    QFETCH(QVector<QPoint>, path);
    QFETCH(int, clicks);
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.host));
    QWindow *w = f.host.windowHandle();
    QTest::mouseMove(w, path.first());
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, path.first());
    for (int i = 1; i + 1 < path.size(); ++i)
        QTest::mouseMove(w, path[i]);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, path.last());
    QCOMPARE(f.clicks, clicks);
    QCOMPARE(f.tile->geometry(), QRect(10, 10, 60, 60));
}

void TestMetroButton::secondButtonWhilePressedDoesNotShrinkTwice()
{
    Fixture f;
    QTest::mousePress(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QTest::mousePress(f.tile, Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    QCOMPARE(f.tile->geometry(), QRect(13, 13, 54, 54));
    QTest::mouseRelease(f.tile, Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    QTest::mouseRelease(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QCOMPARE(f.clicks, 1);
    QCOMPARE(f.tile->geometry(), QRect(10, 10, 60, 60));
}

void TestMetroButton::hiddenWhilePressedIsRestored()
{
    Fixture f;
    QTest::mousePress(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    f.tile->hide();
    QCOMPARE(f.tile->geometry(), QRect(10, 10, 60, 60));
    QVERIFY(!f.tile->IsPressed());
    f.tile->show();
    QTest::mouseRelease(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QCOMPARE(f.clicks, 0);
}

void TestMetroButton::handlerMayDeleteTheTile()
{
    // The tool bar frees and rebuilds its tiles from the setup command, which a tile runs.
    Fixture f;
    QPointer<TMetroButton> guard(f.tile);
    f.tile->OnExecute = [&](QObject *sender) { delete sender; };
    QTest::mouseClick(f.tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QVERIFY(guard.isNull());
}

void TestMetroButton::downRepaintsOnlyOnChange()
{
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.host));
    PaintCounter paints;
    f.tile->installEventFilter(&paints);
    // Every repaint asked for so far is delivered now: what follows a flush
    // is only what the calls after it asked for.
    auto flush = [] {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    };
    flush();
    paints.count = 0;

    f.tile->SetDown(false);
    f.tile->SetColor(0xFFFF0000);
    f.tile->SetText(QStringLiteral("Pen"));
    f.tile->SetBitmap(OrangeIcon());
    flush();
    QCOMPARE(paints.count, 0);

    f.tile->SetDown(true);
    flush();
    QVERIFY(paints.count >= 1);
    QVERIFY(f.tile->Down());
    paints.count = 0;
    f.tile->SetDown(true);
    flush();
    QCOMPARE(paints.count, 0);
}

void TestMetroButton::typeSetsSizeAndResetsColour_data()
{
    QTest::addColumn<TMetroButtonType>("type");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<TAlphaColor>("color");
    QTest::newRow("single") << mtSingle << 90 << 90 << MetroBlue;
    QTest::newRow("double") << mtDouble << 190 << 90 << MetroBlue;
    QTest::newRow("picture") << mtPicture << 90 << 90 << TAlphaColor(0xFFFFFFFF);
    QTest::newRow("small single") << mtSmallSingle << 60 << 60 << MetroBlue;
    QTest::newRow("small double") << mtSmallDouble << 130 << 60 << MetroBlue;
}

void TestMetroButton::typeSetsSizeAndResetsColour()
{
    QFETCH(TMetroButtonType, type);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(TAlphaColor, color);
    TMetroButton tile(nullptr, mtSmallSingle);
    tile.SetColor(0xFF123456);
    tile.SetBitmap(OrangeIcon());
    tile.SetMetroButtonType(type);
    QCOMPARE(tile.MetroButtonType(), type);
    QCOMPARE(tile.size(), QSize(width, height));
    QCOMPARE(tile.MetroWidth(), Single(width));
    QCOMPARE(tile.MetroHeight(), Single(height));
    QCOMPARE(tile.Color(), color);
    if (type == mtPicture) {
        // The picture is a fresh transparent square of the tile's size.
        QCOMPARE(tile.Bitmap().size(), QSize(90, 90));
        QCOMPARE(tile.Bitmap().pixel(45, 45), 0u);
    }
}

void TestMetroButton::contentColourFollowsLuminance_data()
{
    QTest::addColumn<TAlphaColor>("color");
    QTest::addColumn<bool>("black");
    QTest::newRow("white, L 255") << TAlphaColor(0xFFFFFFFF) << true;
    QTest::newRow("grey, L exactly 204") << TAlphaColor(0xFFCCCCCC) << true;
    QTest::newRow("yellow, L exactly 204") << TAlphaColor(0xFFFFD416) << true;
    QTest::newRow("grey, L 203") << TAlphaColor(0xFFCBCBCB) << false;
    QTest::newRow("orange, L 203.3") << TAlphaColor(0xFFFFC850) << false;
    QTest::newRow("red") << MetroRed << false;
    QTest::newRow("black") << TAlphaColor(0xFF000000) << false;
}

void TestMetroButton::contentColourFollowsLuminance()
{
    QFETCH(TAlphaColor, color);
    QFETCH(bool, black);
    QCOMPARE(TMetroButton::IsLightColor(color), black);

    TMetroButton tile(nullptr, mtSingle);
    tile.SetColor(color);
    tile.SetBitmap(OrangeIcon());
    tile.SetText(QStringLiteral("MMMM"));
    const QImage shot = tile.grab().toImage();

    // The stored icon is recoloured in place, keeping every pixel's alpha.
    const QRgb expected = black ? qRgba(0, 0, 0, 128) : qRgba(128, 128, 128, 128);
    QCOMPARE(tile.Bitmap().pixel(15, 15), expected);
    QCOMPARE(qAlpha(tile.Bitmap().pixel(2, 2)), 0);
    // Painting again leaves it as it is.
    tile.grab();
    QCOMPARE(tile.Bitmap().pixel(15, 15), expected);

    // The caption at the bottom left takes the same content colour.
    const auto [lo, hi] = LumaRange(shot, QRect(6, 66, 60, 20));
    const double fill = Luma(color);
    if (black)
        QVERIFY2(lo < 60, qPrintable(QString::number(lo)));
    else
        QVERIFY2(hi > 230 && hi > fill + 20, qPrintable(QString::number(hi)));
    // The icon square (s = 56 at (17, 10)) shows the icon half blended over the fill.
    const QRgb mid = shot.pixel(45, 38);
    if (black)
        QVERIFY(Luma(mid) < fill - 60);
    else
        QVERIFY(Luma(mid) > fill + 20 || Luma(mid) > 180);
}

void TestMetroButton::defaultColourKeepsIconAsStored()
{
    TMetroButton tile(nullptr, mtSmallSingle);
    tile.SetBitmap(OrangeIcon());
    const QImage shot = tile.grab().toImage();
    QCOMPARE(tile.Bitmap().pixel(15, 15), qPremultiply(qRgba(255, 128, 0, 128)));
    // s = 26 at (17, 10): the orange shows through over the blue.
    const QRgb mid = shot.pixel(30, 23);
    QVERIFY(qRed(mid) > qBlue(mid));
}

void TestMetroButton::frameShowsWhenDown()
{
    TMetroButton tile(nullptr, mtSmallSingle);
    tile.SetColor(0xFF336699);
    QImage shot = tile.grab().toImage();
    QCOMPARE(shot.pixel(0, 0), 0xFF336699u);
    tile.SetDown(true);
    shot = tile.grab().toImage();
    // Two white pixels at the edge, then one black, then the fill.
    QCOMPARE(shot.pixel(0, 30), 0xFFFFFFFFu);
    QCOMPARE(shot.pixel(1, 30), 0xFFFFFFFFu);
    QCOMPARE(shot.pixel(2, 30), 0xFF000000u);
    QCOMPARE(shot.pixel(3, 30), 0xFF336699u);
    QCOMPARE(shot.pixel(59, 30), 0xFFFFFFFFu);
    QCOMPARE(shot.pixel(57, 30), 0xFF000000u);
    QCOMPARE(shot.pixel(30, 57), 0xFF000000u);
}

void TestMetroButton::pictureTileDrawsNoCaption()
{
    TMetroButton tile(nullptr, mtPicture);
    QImage picture = NewBitmap(20, 20);
    BitmapClear(picture, 0xFF0000FF);
    tile.SetBitmap(picture);
    const QImage plain = tile.grab().toImage();
    tile.SetText(QStringLiteral("MMMM MMMM"));
    QCOMPARE(tile.grab().toImage(), plain);
    // The picture is stretched over the whole tile at half opacity over the white.
    const QRgb mid = plain.pixel(45, 45);
    QVERIFY(qAbs(qBlue(mid) - 255) <= 1 && qAbs(qRed(mid) - 128) <= 2);
    const QRgb corner = plain.pixel(1, 88);
    QVERIFY(qAbs(qRed(corner) - 128) <= 2);
}

namespace {
// The rows and columns a white caption covers on a plain blue tile.
QRect CaptionInk(TMetroButton &tile)
{
    const QImage shot = tile.grab().toImage();
    QRect ink;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (Luma(shot.pixel(x, y)) > 160)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

QFont BaseCaptionFont(const TMetroButton &tile)
{
    QFont f(TMetroButton::CaptionFontFamily());
    SetFontPixelSize(f, tile.height() * 0.16, &tile);
    return f;
}
} // namespace

void TestMetroButton::captionKeepsItsSize_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("caption");
    // The English captions of the tool bar, the launcher and the pen dialog
    // that are widest or break at a hyphen.
    for (const char *c : {"Save As ...", "Arrow Both", "Multi View", "Turn Right", "W-Board", "Pen Order", "Erase All",
                          "DashDot2", "Desktop", "#FFFFFF", "Stock Pen", "Cancel"}) {
        QTest::addRow("small %s", c) << int(mtSmallSingle) << QString::fromLatin1(c);
        QTest::addRow("large %s", c) << int(mtSingle) << QString::fromLatin1(c);
    }
}

void TestMetroButton::captionKeepsItsSize()
{
    QFETCH(int, type);
    QFETCH(QString, caption);
    TMetroButton tile(nullptr, TMetroButtonType(type));
    tile.SetText(caption);
    QCOMPARE(tile.CaptionFont().pointSizeF(), BaseCaptionFont(tile).pointSizeF());
}

void TestMetroButton::longCaptionStaysOnTheTile_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("oneLine");
    QTest::newRow("one word a little too wide") << QStringLiteral("メニュー…") << true;
    QTest::newRow("one word just too wide") << QStringLiteral("別名保存…") << true;
    QTest::newRow("two lines") << QStringLiteral("ホワイトボード") << false;
    QTest::newRow("three lines") << QStringLiteral("ファイルを開いて画像を読み込む") << false;
    QTest::newRow("a word wider than the tile") << QStringLiteral("Zzzzzzzzzzzzzzzzzzzzzz") << false;
}

void TestMetroButton::longCaptionStaysOnTheTile()
{
    QFETCH(QString, caption);
    QFETCH(bool, oneLine);
    TMetroButton tile(nullptr, mtSmallSingle);
    tile.SetText(caption);
    const QRect ink = CaptionInk(tile);
    QVERIFY(!ink.isEmpty());
    // Inside the tile with its left margin, and in the lower half: never over the icon.
    QVERIFY2(ink.left() >= 5 && ink.right() <= tile.width() - 2,
             qPrintable(QStringLiteral("columns %1..%2").arg(ink.left()).arg(ink.right())));
    QVERIFY2(ink.top() >= tile.height() / 2, qPrintable(QStringLiteral("top row %1").arg(ink.top())));
    const double line = QFontMetricsF(BaseCaptionFont(tile), &tile).lineSpacing();
    if (oneLine)
        QVERIFY2(ink.height() < line * 1.3, qPrintable(QStringLiteral("%1 rows").arg(ink.height())));
}

QTEST_MAIN(TestMetroButton)
#include "test_metrobutton.moc"
