// The launcher and the pen dialog, shown modally and driven by clicks on
// their tiles from a timer while they are open.
#include "TileSettings.h"

#include "platform/Bitmap.h"
#include "tiles/LnchDlg.h"
#include "tiles/PenSetupDlg.h"
#include "tiles/ToolBar.h"

#include <QtTest>

#include "ModalDialog.h"
#include <cmath>
#include <functional>

using namespace TileTest;

Q_DECLARE_METATYPE(TPWMenuItem)

namespace {
void Click(TMetroButton *tile) { QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30)); }

// A launcher over a main window, recording what it hands to MenuButtonClick.
struct LauncherFixture {
    QWidget main;
    int penIndex = 0;
    QVector<TPWMenuItem> clicked;
    TLnchDlg dlg;
    LauncherFixture()
        : dlg(
            &main, [this](const TPWMenuItem &m) { clicked << m; }, &penIndex)
    {
        // The window's outer size, frame included, is 1001 x 701.
        main.setGeometry(100, 80, 1001, 701);
        main.show();
        main.resize(QSize(1001, 701) - (main.frameGeometry().size() - main.size()));
    }
};

QRect AlphaBounds(const QImage &img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0)
                r |= QRect(x, y, 1, 1);
    return r;
}

// Which tiles of a group are down, as a string of 0 and 1.
template <size_t N> QString Marks(const std::array<TMetroButton *, N> &group)
{
    QString s;
    for (TMetroButton *b : group)
        s += b->Down() ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}
} // namespace

class TestTileDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init() { UseDefaultSettings(); }
    void launcherGrid_data();
    void launcherGrid();
    void launcherChoice_data();
    void launcherChoice();
    void launcherRebuildsItsTiles();
    void penSetupLayout();
    void penSetupResult_data();
    void penSetupResult();
    void penSetupRainbowMarksNoColour();
    void penSetupThicknessAndStockMarks();
    void penSetupStockChoiceMarksItsParts();
    void penSetupRelabelsOnEveryShowing();
    void thicknessImages();
};

void TestTileDialogs::launcherGrid_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<bool>("desktop");
    QTest::addColumn<int>("n");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("lastGridTile");
    QTest::newRow("29") << false << false << 29 << QSize(500, 350) << QPoint(215, 285);
    QTest::newRow("30") << true << false << 30 << QSize(500, 350) << QPoint(285, 285);
    QTest::newRow("31") << true << true << 31 << QSize(500, 420) << QPoint(355, 285);
}

void TestTileDialogs::launcherGrid()
{
    QFETCH(bool, mirror);
    QFETCH(bool, desktop);
    QFETCH(int, n);
    QFETCH(QSize, size);
    QFETCH(QPoint, lastGridTile);
    SetLnchItems(mirror, desktop);
    QCOMPARE(Settings().LnchCount, n);
    QCOMPARE(TLnchDlg::Columns(n), 6);

    LauncherFixture f;
    QSize shown;
    QPoint pos;
    OnModal([&](QDialog *d) {
        shown = d->size();
        pos = d->pos();
        Click(f.dlg.LnchBtn.back());
    });
    f.dlg.Execute();
    QCOMPARE(shown, size);
    QCOMPARE(int(f.dlg.LnchBtn.size()), n);
    QCOMPARE(f.dlg.LnchBtn[0]->pos(), QPoint(5, 5));
    QCOMPARE(f.dlg.LnchBtn[size_t(n - 2)]->pos(), lastGridTile);
    // The close tile: red, alone in its column.
    TMetroButton *close = f.dlg.LnchBtn.back();
    QCOMPARE(close->pos(), QPoint(435, 5));
    QCOMPARE(close->Color(), MetroRed);
    QCOMPARE(close->Text(), QStringLiteral("Close"));
    // Choosing it runs nothing.
    QCOMPARE(f.dlg.RMenuItem.PenType, pwClose);
    QVERIFY(f.clicked.isEmpty());
    // Centred over the main window, exact halves to the even neighbour:
    // (1001 - 500) / 2 = 250.5 -> 250; (701 - 350) / 2 = 175.5 -> 176, (701 - 420) / 2 = 140.5 -> 140.
    const QRect main = f.main.frameGeometry();
    QCOMPARE(main.size(), QSize(1001, 701));
    QCOMPARE(pos, main.topLeft() + QPoint(250, size.height() == 350 ? 176 : 140));
}

void TestTileDialogs::launcherChoice_data()
{
    QTest::addColumn<int>("tile"); // -1: Escape
    QTest::addColumn<TPWMenuItem>("passed");
    QTest::newRow("stock pen 2") << 17 << StockRef(2);
    QTest::newRow("eraser") << 6 << MakeMenuItem(pwEr, 0xFFFFFFFF, 40);
    QTest::newRow("undo") << 2 << Command(pwUndo);
    QTest::newRow("escape passes none") << -1 << TPWMenuItem();
}

void TestTileDialogs::launcherChoice()
{
    QFETCH(int, tile);
    QFETCH(TPWMenuItem, passed);
    LauncherFixture f;
    OnModal([&](QDialog *d) {
        if (tile < 0)
            QTest::keyClick(d, Qt::Key_Escape);
        else
            Click(f.dlg.LnchBtn[size_t(tile)]);
    });
    f.dlg.Execute();
    QCOMPARE(f.clicked.size(), 1);
    QCOMPARE(f.clicked[0], passed);
}

void TestTileDialogs::launcherRebuildsItsTiles()
{
    LauncherFixture f;
    f.penIndex = 3;
    for (int round = 0; round < 3; ++round) {
        OnModal([](QDialog *d) { QTest::keyClick(d, Qt::Key_Escape); });
        f.dlg.Execute();
        QCOMPARE(int(f.dlg.LnchBtn.size()), 29);
        QCOMPARE(int(f.dlg.findChildren<TMetroButton *>().size()), 29);
    }
    // Dressing the ten stock-pen tiles 0 to 9 leaves the last index.
    QCOMPARE(f.penIndex, 9);
    // The stock tiles follow the stock pens: 15 is stock pen 0 (black pen), 18 the cyan marker.
    QCOMPARE(f.dlg.LnchBtn[15]->Text(), QStringLiteral("Pen"));
    QCOMPARE(f.dlg.LnchBtn[18]->Color(), TAlphaColor(0xFF00FFFF));

    // A shorter list takes effect at the next showing.
    SetMenu({});
    Settings().LnchCount = 2;
    Settings().LnchItems[0] = Command(pwUndo);
    Settings().LnchItems[1] = Command(pwClose);
    OnModal([&](QDialog *d) {
        // One grid tile still takes a row of its own below it, as 30 entries in 6 columns do.
        QCOMPARE(d->size(), QSize(150, 140));
        Click(f.dlg.LnchBtn[0]);
    });
    f.dlg.Execute();
    QCOMPARE(int(f.dlg.findChildren<TMetroButton *>().size()), 2);
    QCOMPARE(f.clicked.last(), Command(pwUndo));
}

void TestTileDialogs::penSetupLayout()
{
    TPenSetupDlg dlg(nullptr);
    QCOMPARE(dlg.size(), QSize(680, 350));
    QCOMPARE(dlg.SampleRectangle->geometry(), QRect(5, 5, 130, 60));
    QCOMPARE(dlg.PenTBtn[0]->pos(), QPoint(5, 75));
    QCOMPARE(dlg.PenTBtn[7]->pos(), QPoint(75, 285));
    QCOMPARE(dlg.PenCBtn[0]->pos(), QPoint(155, 5));
    QCOMPARE(dlg.PenCBtn[9]->pos(), QPoint(225, 285));
    QCOMPARE(dlg.PenWBtn[4]->pos(), QPoint(305, 285));
    QCOMPARE(dlg.PenDBtn[2]->pos(), QPoint(385, 145));
    QCOMPARE(dlg.PenSBtn[0]->pos(), QPoint(465, 5));
    QCOMPARE(dlg.PenSBtn[9]->pos(), QPoint(535, 285));
    QCOMPARE(dlg.OKButton->pos(), QPoint(615, 5));
    QCOMPARE(dlg.CancelButton->pos(), QPoint(615, 75));
    QCOMPARE(dlg.OKButton->Color(), MetroGreen);
    QCOMPARE(dlg.OKButton->Text(), QStringLiteral("OK"));
    QCOMPARE(dlg.CancelButton->Color(), MetroRed);
    QCOMPARE(dlg.CancelButton->Text(), QStringLiteral("Cancel"));
    QCOMPARE(dlg.PenTBtn[5]->Text(), QStringLiteral("Arrow Both"));
    QCOMPARE(dlg.PenTBtnRT[7], pwFuMk);
    QCOMPARE(dlg.PenDBtn[4]->Text(), QStringLiteral("DashDot2"));
    // The dash pictures differ from each other: a solid line is unbroken, a dotted one is not.
    QCOMPARE(dlg.PenDBtn[0]->Bitmap(), TPenSetupDlg::DashImage(sdSolid));
    QVERIFY(dlg.PenDBtn[0]->Bitmap() != dlg.PenDBtn[2]->Bitmap());
    int gaps = 0;
    for (int x = 0; x < 30; ++x)
        gaps += qAlpha(dlg.PenDBtn[2]->Bitmap().pixel(x, 15)) == 0;
    QVERIFY(gaps >= 5);
    for (int x = 0; x < 30; ++x)
        QCOMPARE(qAlpha(dlg.PenDBtn[0]->Bitmap().pixel(x, 15)), 255);
}

void TestTileDialogs::penSetupResult_data()
{
    QTest::addColumn<QString>("close");
    QTest::addColumn<bool>("edited");
    QTest::newRow("ok") << "ok" << true;
    QTest::newRow("cancel") << "cancel" << false;
    QTest::newRow("escape") << "escape" << false;
}

void TestTileDialogs::penSetupResult()
{
    QFETCH(QString, close);
    QFETCH(bool, edited);
    TPenSetupDlg dlg(nullptr);
    const TPWMenuItem given = MakeMenuItem(pwPn, 0xFF000000, 8);
    OnModal([&](QDialog *d) {
        Click(dlg.PenTBtn[2]); // marker
        Click(dlg.PenCBtn[4]); // red
        Click(dlg.PenWBtn[3]); // 40
        Click(dlg.PenDBtn[3]); // dash-dot
        if (close == QLatin1String("ok"))
            Click(dlg.OKButton);
        else if (close == QLatin1String("cancel"))
            Click(dlg.CancelButton);
        else
            QTest::keyClick(d, Qt::Key_Escape);
    });
    const TPWMenuItem result = dlg.Execute(given);
    QCOMPARE(result, edited ? MakeMenuItem(pwMk, 0xFFFF0000, 40, sdDashDot) : given);
}

void TestTileDialogs::penSetupRainbowMarksNoColour()
{
    TPenSetupDlg dlg(nullptr);
    // Its colour equals preset 0, yet a rainbow pen marks no colour.
    const TPWMenuItem rainbow = MakeMenuItem(pwRbMk, 0xFF000000, 20);
    QString before, after, kind;
    TPWMenuItem edited;
    OnModal([&](QDialog *) {
        before = Marks(dlg.PenCBtn);
        Click(dlg.PenCBtn[4]);
        after = Marks(dlg.PenCBtn);
        kind = Marks(dlg.PenTBtn);
        edited = dlg.PenItem;
        // Back to a single-colour kind: the chosen colour shows.
        Click(dlg.PenTBtn[0]);
        after += QLatin1Char('/') + Marks(dlg.PenCBtn);
    });
    dlg.Execute(rainbow);
    QCOMPARE(before, QStringLiteral("0000000000"));
    QCOMPARE(after, QStringLiteral("0000000000/0000100000"));
    QCOMPARE(kind, QStringLiteral("00010000"));
    QCOMPARE(edited, MakeMenuItem(pwRbMk, 0xFFFF0000, 20));
}

void TestTileDialogs::penSetupThicknessAndStockMarks()
{
    TPenSetupDlg dlg(nullptr);
    struct Row {
        TPWMenuItem pen;
        QString thickness, stock, kind, dash;
    };
    const QVector<Row> rows = {
        // Thickness 7 is no preset; the pen equals no stock pen.
        {MakeMenuItem(pwPn, 0xFFFF0000, 7), "00000", "0000000000", "10000000", "10000"},
        // Stock pen 1 exactly.
        {MakeMenuItem(pwPn, 0xFFFF0000, 8), "00000", "0100000000", "10000000", "10000"},
        // Stock pen 1 but for its dash: no stock tile.
        {MakeMenuItem(pwPn, 0xFFFF0000, 8, sdDot), "00000", "0000000000", "10000000", "00100"},
        // Stock pen 7, the rainbow marker of 40.
        {MakeMenuItem(pwRbMk, 0xFFFFFFFF, 40), "00010", "0000000100", "00010000", "10000"},
        // A kind the dialog has no tile for marks no kind.
        {MakeMenuItem(pwEr, 0xFFFFFFFF, 10), "01000", "0000000000", "00000000", "10000"},
    };
    for (const Row &row : rows) {
        QString thickness, stock, kind, dash;
        OnModal([&](QDialog *) {
            thickness = Marks(dlg.PenWBtn);
            stock = Marks(dlg.PenSBtn);
            kind = Marks(dlg.PenTBtn);
            dash = Marks(dlg.PenDBtn);
        });
        dlg.Execute(row.pen);
        QCOMPARE(thickness, row.thickness);
        QCOMPARE(stock, row.stock);
        QCOMPARE(kind, row.kind);
        QCOMPARE(dash, row.dash);
    }
}

void TestTileDialogs::penSetupStockChoiceMarksItsParts()
{
    TPenSetupDlg dlg(nullptr);
    QString kind, color, thickness, dash, stock;
    QRgb sample = 0;
    OnModal([&](QDialog *) {
        Click(dlg.PenSBtn[3]); // the cyan marker of 20
        kind = Marks(dlg.PenTBtn);
        color = Marks(dlg.PenCBtn);
        thickness = Marks(dlg.PenWBtn);
        dash = Marks(dlg.PenDBtn);
        stock = Marks(dlg.PenSBtn);
        sample = dlg.SampleRectangle->grab().toImage().pixel(65, 30);
        Click(dlg.OKButton);
    });
    const TPWMenuItem result = dlg.Execute(MakeMenuItem(pwArPn1, 0xFF123456, 3, sdDashDotDot));
    QCOMPARE(kind, QStringLiteral("00100000"));
    QCOMPARE(color, QStringLiteral("0001000000"));
    QCOMPARE(thickness, QStringLiteral("00100"));
    QCOMPARE(dash, QStringLiteral("10000"));
    QCOMPARE(stock, QStringLiteral("0001000000"));
    QCOMPARE(result, Settings().StockPens[3]);
    // The sample shows the chosen pen: cyan across the middle.
    QCOMPARE(sample, 0xFF00FFFFu);
}

void TestTileDialogs::penSetupRelabelsOnEveryShowing()
{
    TPenSetupDlg dlg(nullptr);
    OnModal([](QDialog *) {});
    dlg.Execute(TPWMenuItem());
    QCOMPARE(dlg.PenCBtn[4]->Text(), QStringLiteral("#FF0000"));
    QCOMPARE(dlg.PenCBtn[9]->Text(), QStringLiteral("#B865CC"));
    QCOMPARE(dlg.PenCBtn[9]->Color(), TAlphaColor(0xFFB865CC));
    QCOMPARE(dlg.PenWBtn[1]->Text(), QStringLiteral("10px"));
    QCOMPARE(dlg.PenSBtn[1]->Color(), TAlphaColor(0xFFFF0000));
    QCOMPARE(dlg.PenSBtn[1]->Text(), QStringLiteral("Pen"));

    // The setup dialog changed the presets and made stock pen 1 a rainbow pen.
    Settings().PenSetupColor[9] = 0xFF0A0B0C;
    Settings().PenSetupThickness[1] = 2.5f;
    Settings().StockPens[1] = MakeMenuItem(pwRbPn, 0xFFFF0000, 8);
    OnModal([](QDialog *) {});
    dlg.Execute(TPWMenuItem());
    QCOMPARE(dlg.PenCBtn[9]->Text(), QStringLiteral("#0A0B0C"));
    QCOMPARE(dlg.PenWBtn[1]->Text(), QStringLiteral("2px"));
    // A rainbow stock pen takes no colour; the red of the old pen must not stay.
    QCOMPARE(dlg.PenSBtn[1]->Color(), MetroBlue);
    QCOMPARE(dlg.PenSBtn[1]->Text(), QStringLiteral("Pen"));
}

void TestTileDialogs::thicknessImages()
{
    // A preset of 2 gives the smallest dot, radius 1 about the centre.
    const QRect small = AlphaBounds(TPenSetupDlg::ThicknessImage(2));
    QVERIFY2(
        QRect(14, 14, 2, 2).contains(small) && !small.isEmpty(),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(small.x()).arg(small.y()).arg(small.width()).arg(small.height())));
    // 60 fills the image edge to edge, but not its corners.
    const QImage full = TPenSetupDlg::ThicknessImage(60);
    QCOMPARE(AlphaBounds(full), QRect(0, 0, 30, 30));
    QCOMPARE(qAlpha(full.pixel(0, 0)), 0);
    QCOMPARE(full.pixel(15, 15), 0xFFFFFFFFu);
    QCOMPARE(full.pixel(1, 15), 0xFFFFFFFFu);
    // 20 is a third of the way: radius 5.
    QCOMPARE(AlphaBounds(TPenSetupDlg::ThicknessImage(20)), QRect(10, 10, 10, 10));

    // Values the settings never normally hold still give a picture, not a fault.
    QVERIFY(QRect(14, 14, 2, 2).contains(AlphaBounds(TPenSetupDlg::ThicknessImage(std::nanf("")))));
    QCOMPARE(AlphaBounds(TPenSetupDlg::ThicknessImage(1e30f)), QRect(0, 0, 30, 30));

    // The dialog's tiles carry these pictures.
    TPenSetupDlg dlg(nullptr);
    OnModal([](QDialog *) {});
    dlg.Execute(TPWMenuItem());
    QCOMPARE(dlg.PenWBtn[0]->Bitmap(), TPenSetupDlg::ThicknessImage(2));
    QCOMPARE(dlg.PenWBtn[4]->Bitmap(), full);
}

QTEST_MAIN(TestTileDialogs)
#include "test_tiledialogs.moc"
