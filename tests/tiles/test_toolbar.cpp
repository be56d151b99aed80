// The tool bar pieces: how a tile is dressed for an entry or a pen, which
// tiles show down for the current pen, and the layout of the tile places,
// both as arithmetic and applied to real tiles.
#include "TileSettings.h"

#include "platform/Bitmap.h"
#include "tiles/ToolBar.h"

#include <QtTest>
#include <array>
#include <memory>

using namespace TileTest;

Q_DECLARE_METATYPE(TPWMenuItem)

namespace {
// The 31 tool bar tiles on a panel, as the main window makes them.
struct ToolBarFixture {
    QWidget panel;
    std::array<TMetroButton *, MenuButtonCount> tiles{};
    ToolBarFixture()
    {
        panel.resize(MenuPanelWidth, 1000);
        for (int i = 0; i < MenuButtonCount; ++i)
            tiles[size_t(i)] = MenuButtonNew(&panel, i, nullptr);
    }
    MenuPanelLayout Layout(int height, int &penIndex)
    {
        const MenuPanelLayout l = MenuPanelLayoutFor(height, 30, Settings().MenuCount);
        MenuPanelApply(l, tiles, penIndex);
        return l;
    }
};

bool SameImage(const QImage &a, const QImage &b) { return a.isNull() ? b.isNull() : ToBitmap(a) == ToBitmap(b); }
} // namespace

class TestToolBar : public QObject
{
    Q_OBJECT
private slots:
    void init() { UseDefaultSettings(); }
    void dressing_data();
    void dressing();
    void stockPenDressing_data();
    void stockPenDressing();
    void downRules_data();
    void downRules();
    void layoutArithmetic_data();
    void layoutArithmetic();
    void layoutOnTiles();
    void reusedTileTakesNoOldColour();
    void downStatesOnTiles();
};

void TestToolBar::dressing_data()
{
    QTest::addColumn<TPWMenuItem>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<TAlphaColor>("color");
    QTest::newRow("save as") << Command(pwSaveAs) << "Save As ..."
                             << "MT_SAVE" << MetroBlue;
    QTest::newRow("setup") << Command(pwSetup) << "Setup ..."
                           << "MT_SETUP" << MetroBlue;
    QTest::newRow("launcher") << Command(pwLaunch) << "Menu ..."
                              << "MT_LAUNCH" << MetroBlue;
    // The eraser is a command: its white pen colour does not reach the tile.
    QTest::newRow("eraser") << MakeMenuItem(pwEr, 0xFFFFFFFF, 40) << "Eraser"
                            << "MT_ERASER" << MetroBlue;
    QTest::newRow("pen") << MakeMenuItem(pwPn, 0xFFFF0000, 8) << "Pen"
                         << "MT_PEN" << TAlphaColor(0xFFFF0000);
    QTest::newRow("marker arrow both") << MakeMenuItem(pwArMk1, 0xFF00FF00, 8) << "Arrow Both"
                                       << "MT_ARROWD" << TAlphaColor(0xFF00FF00);
    QTest::newRow("marker arrow") << MakeMenuItem(pwArMk0, 0xFF0000FF, 8) << "Arrow"
                                  << "MT_ARROWS" << TAlphaColor(0xFF0000FF);
    QTest::newRow("rainbow pen") << MakeMenuItem(pwRbPn, 0xFFFF0000, 8) << "Pen"
                                 << "MT_RBPEN" << MetroBlue;
    QTest::newRow("rainbow marker") << MakeMenuItem(pwRbMk, 0xFFFF0000, 8) << "Marker"
                                    << "MT_RBMARKER" << MetroBlue;
    QTest::newRow("pen order") << MakeMenuItem(pwFuMk, 0xFFFF0000, 8) << "Pen Order"
                               << "MT_FUMARKER" << MetroBlue;
    QTest::newRow("brush") << MakeMenuItem(pwFuPn, 0xFFFF0000, 8) << "Brush"
                           << "MT_FUPEN" << MetroBlue;
    // Kinds with no dressing leave a fresh tile as it is.
    QTest::newRow("none") << TPWMenuItem() << ""
                          << "" << MetroBlue;
    QTest::newRow("stock index") << Command(pwMarkIdx) << ""
                                 << "" << MetroBlue;
}

void TestToolBar::dressing()
{
    QFETCH(TPWMenuItem, item);
    QFETCH(QString, caption);
    QFETCH(QString, icon);
    QFETCH(TAlphaColor, color);
    TMetroButton tile(nullptr, mtSmallSingle);
    int penIndex = 7;
    MenuButtonSet(item, &tile, penIndex);
    QCOMPARE(tile.Text(), caption);
    QCOMPARE(tile.Color(), color);
    QCOMPARE(penIndex, 7);
    const MenuItemLook look = item.PenType == pwEr || !IsDrawingPen(item.PenType) ? MenuCommandLook(item.PenType)
                                                                                  : MenuPenLook(item.PenType);
    QCOMPARE(look.Icon, icon);
    QVERIFY(SameImage(tile.Bitmap(), icon.isEmpty() ? QImage() : ResourceImage(icon)));

    // The pen dressing alone leaves commands (the eraser included) untouched.
    TMetroButton sub(nullptr, mtSmallSingle);
    MenuButtonSubSet(item, &sub);
    if (IsDrawingPen(item.PenType) && item.PenType != pwEr) {
        QCOMPARE(sub.Text(), caption);
        QCOMPARE(sub.Color(), color);
    } else {
        QCOMPARE(sub.Text(), QString());
        QCOMPARE(sub.Color(), MetroBlue);
    }
}

void TestToolBar::stockPenDressing_data()
{
    QTest::addColumn<TAlphaColor>("reference");
    QTest::addColumn<int>("penIndex");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<TAlphaColor>("color");
    // Stock pen 3 is the cyan marker, 6 the rainbow pen, 9 the red double arrow.
    QTest::newRow("3") << TAlphaColor(3) << 3 << "Marker" << TAlphaColor(0xFF00FFFF);
    QTest::newRow("6, rainbow keeps the tile colour") << TAlphaColor(6) << 6 << "Pen" << MetroBlue;
    QTest::newRow("9 with an alpha byte") << TAlphaColor(0xFF000009) << 9 << "Arrow Both" << TAlphaColor(0xFFFF0000);
    QTest::newRow("12 names no stock pen") << TAlphaColor(12) << 5 << "Stock Pen" << MetroBlue;
    QTest::newRow("huge index") << TAlphaColor(0x00FFFFFF) << 5 << "Stock Pen" << MetroBlue;
}

void TestToolBar::stockPenDressing()
{
    QFETCH(TAlphaColor, reference);
    QFETCH(int, penIndex);
    QFETCH(QString, caption);
    QFETCH(TAlphaColor, color);
    TMetroButton tile(nullptr, mtSmallSingle);
    tile.SetBitmap(NewBitmap(30, 30));
    int index = 5;
    MenuButtonSet(MakeMenuItem(pwMarkPtr, reference, 1), &tile, index);
    QCOMPARE(index, penIndex);
    QCOMPARE(tile.Text(), caption);
    QCOMPARE(tile.Color(), color);
    if (caption == QLatin1String("Stock Pen"))
        QVERIFY(tile.Bitmap().isNull());
}

void TestToolBar::downRules_data()
{
    QTest::addColumn<TPWMenuItem>("entry");
    QTest::addColumn<TPWMenuItem>("current");
    QTest::addColumn<bool>("down");
    const TPWMenuItem red8 = MakeMenuItem(pwPn, 0xFFFF0000, 8);
    QTest::newRow("pen, exact") << red8 << red8 << true;
    QTest::newRow("pen, other thickness") << red8 << MakeMenuItem(pwPn, 0xFFFF0000, 9) << false;
    QTest::newRow("pen, other colour") << red8 << MakeMenuItem(pwPn, 0xFF0000FF, 8) << false;
    QTest::newRow("pen, other dash") << red8 << MakeMenuItem(pwPn, 0xFFFF0000, 8, sdDot) << false;
    QTest::newRow("pen vs marker") << red8 << MakeMenuItem(pwMk, 0xFFFF0000, 8) << false;
    QTest::newRow("arrow, exact") << MakeMenuItem(pwArMk1, 0xFF00FF00, 4) << MakeMenuItem(pwArMk1, 0xFF00FF00, 4)
                                  << true;
    QTest::newRow("rainbow by kind") << MakeMenuItem(pwRbPn, 0xFFFFFFFF, 8) << MakeMenuItem(pwRbPn, 0xFF123456, 30)
                                     << true;
    QTest::newRow("rainbow marker by kind") << MakeMenuItem(pwRbMk, 0, 1) << MakeMenuItem(pwRbMk, 1, 2) << true;
    QTest::newRow("eraser by kind") << MakeMenuItem(pwEr, 0xFFFFFFFF, 40) << MakeMenuItem(pwEr, 0xFFFFFFFF, 10) << true;
    QTest::newRow("move by kind") << Command(pwMove) << MakeMenuItem(pwMove, 0, 0) << true;
    QTest::newRow("lasso by kind") << Command(pwLasso) << MakeMenuItem(pwLasso, 0, 3) << true;
    QTest::newRow("eraser vs pen") << MakeMenuItem(pwEr, 0xFFFFFFFF, 8) << MakeMenuItem(pwPn, 0xFFFFFFFF, 8) << false;
    QTest::newRow("stock 1, exact") << StockRef(1) << MakeMenuItem(pwPn, 0xFFFF0000, 8) << true;
    QTest::newRow("stock 1, other thickness") << StockRef(1) << MakeMenuItem(pwPn, 0xFFFF0000, 10) << false;
    QTest::newRow("stock 12") << StockRef(12) << TPWMenuItem() << false;
    QTest::newRow("command") << Command(pwUndo) << Command(pwUndo) << false;
}

void TestToolBar::downRules()
{
    QFETCH(TPWMenuItem, entry);
    QFETCH(TPWMenuItem, current);
    QFETCH(bool, down);
    QCOMPARE(MenuItemIsDown(entry, current), down);
}

void TestToolBar::layoutArithmetic_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("places");
    QTest::addColumn<int>("crSetup");
    QTest::addColumn<int>("doubleTile"); // -1: none
    QTest::addColumn<QVector<int>>("entries"); // entry shown by tiles 0, 1, ...
    QTest::newRow("15 at 628") << 628 << 15 << 16 << 14 << 14
                               << QVector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -1};
    QTest::newRow("16 at 628") << 628 << 16 << 16 << 15 << -1
                               << QVector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -1};
    // Too many entries: the launcher and the setup command keep the last two places.
    QTest::newRow("20 at 628") << 628 << 20 << 16 << 15 << -1
                               << QVector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 18, 19, -1};
    // One pixel short of the eighth row.
    QTest::newRow("15 at 589") << 589 << 15 << 14 << 13 << 14
                               << QVector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, -1};
    QTest::newRow("one row") << 100 << 15 << 2 << 1 << 14 << QVector<int>{13, 14, -1};
    QTest::newRow("too short") << 99 << 15 << 0 << -1 << 14 << QVector<int>{-1, -1};
    QTest::newRow("shorter than the header") << 10 << 15 << 0 << -1 << 14 << QVector<int>{-1};
    QTest::newRow("31 on a tall panel") << 5000 << 31 << 142 << 30 << 30 << QVector<int>{0, 1, 29, 30, -1};
}

void TestToolBar::layoutArithmetic()
{
    QFETCH(int, height);
    QFETCH(int, count);
    QFETCH(int, places);
    QFETCH(int, crSetup);
    QFETCH(int, doubleTile);
    QFETCH(QVector<int>, entries);
    // A tool bar as normalisation leaves it: the launcher and Setup last.
    SettingsModel &s = Settings();
    for (int i = 0; i < count; ++i)
        s.MenuItems[size_t(i)] = Command(i == count - 1 ? pwSetup : i == count - 2 ? pwLaunch : pwUndo);
    s.MenuCount = count;
    const MenuPanelLayout l = MenuPanelLayoutFor(height, 30, count);
    QCOMPARE(l.Places, places);
    QCOMPARE(l.CrSetup, crSetup);
    for (int i = 0; i < MenuButtonCount; ++i)
        QCOMPARE(l.IsDouble(i), i == doubleTile);
    if (count == 31) {
        // A tall panel shows every entry and nothing past the last tile.
        QCOMPARE(l.EntryIndex(29), 29);
        QCOMPARE(l.EntryIndex(30), 30);
        QVERIFY(!l.IsVisible(31));
        return;
    }
    for (int i = 0; i < entries.size(); ++i) {
        QCOMPARE(l.EntryIndex(i), entries[i]);
        QCOMPARE(l.IsVisible(i), entries[i] >= 0);
    }
}

void TestToolBar::layoutOnTiles()
{
    ToolBarFixture f;
    int penIndex = 0;

    // The default 15 entries: "Setup ..." spans both columns alone in the eighth row.
    MenuPanelLayout l = f.Layout(628, penIndex);
    TMetroButton *setup = f.tiles[14];
    QCOMPARE(setup->geometry(), QRect(5, 7 * 70 + 35, 130, 60));
    QCOMPARE(setup->Text(), QStringLiteral("Setup ..."));
    QCOMPARE(f.tiles[13]->Text(), QStringLiteral("Menu ..."));
    for (int i = 0; i < MenuButtonCount; ++i)
        QCOMPARE(!f.tiles[size_t(i)]->isHidden(), i <= 14);
    // The layout dressed the three stock-pen tiles in order.
    QCOMPARE(penIndex, 2);
    QCOMPARE(f.tiles[5]->Color(), TAlphaColor(0xFFFF0000));

    // 16 entries: the last is a single tile in the right column.
    SetMenu({Command(pwOpen), Command(pwSaveAs), Command(pwUndo), Command(pwRedo), StockRef(0), StockRef(1),
             StockRef(2), Command(pwPenSetup), MakeMenuItem(pwEr, 0xFFFFFFFF, 40), Command(pwEraseAll), Command(pwMove),
             Command(pwCenter), Command(pwMView), Command(pwInfo), Command(pwLaunch), Command(pwSetup)});
    l = f.Layout(628, penIndex);
    QCOMPARE(f.tiles[15]->geometry(), QRect(75, 7 * 70 + 35, 60, 60));
    QCOMPARE(f.tiles[15]->Text(), QStringLiteral("Setup ..."));
    QVERIFY(!f.tiles[15]->isHidden());

    // 20 entries in 16 places: entries 14 to 17 are not shown; the launcher
    // stays reachable beside the setup command.
    SetMenu({Command(pwOpen),     Command(pwSaveAs),   Command(pwUndo),
             Command(pwRedo),     StockRef(0),         StockRef(1),
             StockRef(2),         Command(pwPenSetup), MakeMenuItem(pwEr, 0xFFFFFFFF, 40),
             Command(pwEraseAll), Command(pwMove),     Command(pwCenter),
             Command(pwMView),    Command(pwInfo),     Command(pwNext),
             Command(pwPrev),     Command(pwZoom0),    Command(pwZoom1),
             Command(pwLaunch),   Command(pwSetup)});
    l = f.Layout(628, penIndex);
    QCOMPARE(l.CrSetup, 15);
    QCOMPARE(f.tiles[13]->Text(), QStringLiteral("Info"));
    QCOMPARE(f.tiles[14]->Text(), QStringLiteral("Menu ..."));
    QCOMPARE(f.tiles[15]->Text(), QStringLiteral("Setup ..."));
    for (int i = 16; i < MenuButtonCount; ++i)
        QVERIFY(f.tiles[size_t(i)]->isHidden());

    // Too short for one row: nothing shows and nothing is dressed.
    f.tiles[0]->SetText(QStringLiteral("untouched"));
    l = f.Layout(80, penIndex);
    QCOMPARE(l.CrSetup, -1);
    for (TMetroButton *b : f.tiles)
        QVERIFY(b->isHidden());
    QCOMPARE(f.tiles[0]->Text(), QStringLiteral("untouched"));
}

void TestToolBar::reusedTileTakesNoOldColour()
{
    // Entry 15 is a red pen; when the panel shrinks, its tile shows "Setup ...".
    SetMenu({Command(pwOpen),
             Command(pwSaveAs),
             Command(pwUndo),
             Command(pwRedo),
             StockRef(0),
             StockRef(1),
             StockRef(2),
             Command(pwPenSetup),
             MakeMenuItem(pwEr, 0xFFFFFFFF, 40),
             Command(pwEraseAll),
             Command(pwMove),
             Command(pwCenter),
             Command(pwMView),
             Command(pwInfo),
             Command(pwNext),
             MakeMenuItem(pwPn, 0xFFFF0000, 8),
             Command(pwZoom0),
             Command(pwZoom1),
             Command(pwLaunch),
             Command(pwSetup)});
    ToolBarFixture f;
    int penIndex = 0;
    f.Layout(30 + 10 * 70, penIndex);
    QCOMPARE(f.tiles[15]->Color(), TAlphaColor(0xFFFF0000));
    QCOMPARE(f.tiles[15]->Text(), QStringLiteral("Pen"));
    f.Layout(628, penIndex);
    QCOMPARE(f.tiles[15]->Text(), QStringLiteral("Setup ..."));
    QCOMPARE(f.tiles[15]->Color(), MetroBlue);
}

void TestToolBar::downStatesOnTiles()
{
    SetMenu({MakeMenuItem(pwPn, 0xFFFF0000, 8), StockRef(1), MakeMenuItem(pwRbPn, 0xFFFFFFFF, 8),
             MakeMenuItem(pwPn, 0xFFFF0000, 8), Command(pwUndo), Command(pwSetup)});
    ToolBarFixture f;
    int penIndex = 0;
    MenuPanelLayout l = f.Layout(628, penIndex);
    const TPWMenuItem red8 = MakeMenuItem(pwPn, 0xFFFF0000, 8);
    MenuButtonDownSet(l.CrSetup, f.tiles, red8);
    const std::array<bool, 6> expected = {true, true, false, true, false, false};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(f.tiles[size_t(i)]->Down(), expected[size_t(i)]);

    // Four places: tile 3 now shows "Setup ..." and is not down, though entry 3 is the current pen.
    l = f.Layout(30 + 2 * 70, penIndex);
    QCOMPARE(l.CrSetup, 3);
    MenuButtonDownSet(l.CrSetup, f.tiles, red8);
    QVERIFY(f.tiles[0]->Down());
    QVERIFY(!f.tiles[3]->Down());

    MenuButtonDownSet(l.CrSetup, f.tiles, MakeMenuItem(pwRbPn, 0xFF000000, 20));
    QVERIFY(!f.tiles[0]->Down());
    QVERIFY(f.tiles[2]->Down());
}

QTEST_MAIN(TestToolBar)
#include "test_toolbar.moc"
