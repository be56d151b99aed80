// On a screen scaled to 150 % or 200 % (run with QT_SCALE_FACTOR): the board,
// the mirror, the tile icons, the cursor and the thumbnails are made at
// device resolution, checked on the pixels the screen would show.
#include "app/MainFrm.h"
#include "app/PictureFiles.h"
#include "app/SharedThumbnails.h"
#include "board/PWImage.h"
#include "mirror/ViewFrm.h"
#include "platform/Bitmap.h"
#include "settings/Settings.h"
#include "tiles/MetroButton.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {
// One-pixel black and white columns: detail that only device pixels can show
// when the picture is shrunk to the screen's logical size.
QImage Columns(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = (x & 1) ? 0xFFFFFFFF : 0xFF000000;
    }
    return img;
}

// The grey values of a row of device pixels.
QVector<int> Row(const QImage &img, int y, int x0, int x1)
{
    QVector<int> v;
    for (int x = x0; x < x1; ++x)
        v << qGray(img.pixel(x, y));
    return v;
}

int Contrast(const QVector<int> &v)
{
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return *hi - *lo;
}

// Pixels of a tile's icon area that are neither the tile's blue nor white:
// the soft edge an enlarged icon has.
int SoftPixels(const QImage &tile)
{
    int n = 0;
    for (int y = 0; y < tile.height() * 2 / 3; ++y)
        for (int x = 0; x < tile.width(); ++x) {
            const QRgb c = tile.pixel(x, y);
            const bool blue = qAbs(qRed(c) - 0x1B) < 16 && qAbs(qGreen(c) - 0xA1) < 16 && qAbs(qBlue(c) - 0xE2) < 16;
            const bool white = qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240;
            n += !blue && !white;
        }
    return n;
}
} // namespace

class TestDensity : public QObject
{
    Q_OBJECT
    qreal dpr = 1;

private slots:
    void initTestCase()
    {
        dpr = qApp->devicePixelRatio();
        if (dpr <= 1.0)
            QSKIP("run with QT_SCALE_FACTOR above 1");
    }

    // A picture twice the board's size: at 2x every picture pixel has a
    // device pixel of its own (crisp columns); at any density above 1 the
    // columns show, where a logical-size screen image would be flat grey.
    void boardAndMirrorShowDeviceDetail()
    {
        const QImage picture = Columns(800, 600);
        TPWImage board;
        board.resize(400, 300);
        board.show();
        QVERIFY(QTest::qWaitForWindowExposed(&board));
        board.SrcBitmapRecPictSet(picture, {});
        board.ZoomPosSet();
        QCOMPARE(board.Bitmap().devicePixelRatio(), dpr);
        const QImage shown = board.grab().toImage();
        QCOMPARE(shown.size(), (QSizeF(400, 300) * dpr).toSize());

        TViewFrm mirror;
        mirror.resize(400, 300);
        mirror.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mirror));
        mirror.ShowPicture(picture, QRectF(0, 0, 400, 300), true);
        const QImage &view = mirror.Image->Bitmap;
        QCOMPARE(view.size(), (QSizeF(400, 300) * dpr).toSize());

        for (const QImage *img : {&shown, &view}) {
            const QVector<int> row = Row(*img, img->height() / 2, img->width() / 4, img->width() * 3 / 4);
            QVERIFY2(Contrast(row) > 100, qPrintable(QString::number(Contrast(row))));
            if (dpr == 2.0)
                for (int i = 0; i < row.size(); ++i)
                    QVERIFY2(row[i] < 8 || row[i] > 247, qPrintable(QStringLiteral("pixel %1: %2").arg(i).arg(row[i])));
        }

        // The cursor picture is drawn for the density too, at the 1x picture's logical size.
        board.SetScreenPenWidth(false);
        QCOMPARE(board.CurImage()->Bitmap.devicePixelRatio(), qMin(dpr, 2.0));
        QCOMPARE(board.CurImage()->size(), LogicalSize(ResourceImage(QStringLiteral("CR_MARKER"), 1.0)));
    }

    // The white board at zoom 1: a one-pixel grid line is whole device pixels
    // of the line's colour (two at 2x) with white on either side, never a blur.
    void whiteBoardGridLinesAreCrisp()
    {
        QTemporaryDir config;
        SetSettingsFolder(config.path());
        TWBDMainFrm w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TPWImage &board = *w.PWImage;
        board.ZoomSet(1, 0, 0);
        board.SetZoomPosition(QPointF(0, 0));
        board.PWImageBitmapUpdate();
        const QImage shown = board.grab().toImage();
        const int lineY = Settings().LineHeight; // the first line, in logical pixels
        QVERIFY(lineY > 2 && (lineY + 2) * dpr < shown.height());
        const int x = shown.width() / 3;
        QVector<int> column;
        for (int y = int((lineY - 2) * dpr); y < int((lineY + 3) * dpr); ++y)
            column << qGray(shown.pixel(x, y));
        const int line = *std::min_element(column.begin(), column.end());
        QVERIFY2(line < 250, "no line");
        int lineRows = 0;
        for (int g : column) {
            QVERIFY2(g == line || g == 255, qPrintable(QStringLiteral("a blurred row: %1").arg(g)));
            lineRows += g == line;
        }
        // At 1.5x a pixel line falls on one or two device rows, as it lies.
        QVERIFY(lineRows >= 1 && lineRows <= int(std::ceil(dpr)));
        if (dpr == 2.0)
            QCOMPARE(lineRows, 2);
    }

    // The tool bar's icons are drawn for the density: their edges are
    // clearly narrower than the 1x icon's enlarged to the same place.
    void tileIconsAreDrawnForTheDensity()
    {
        QTemporaryDir config;
        SetSettingsFolder(config.path());
        TWBDMainFrm w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TMetroButton *tile = w.MenuButton[0];
        QVERIFY(tile && tile->isVisible());
        QCOMPARE(tile->Bitmap().devicePixelRatio(), qMin(dpr, 2.0));
        const int sharp = SoftPixels(tile->grab().toImage());
        const QImage dense = tile->Bitmap();
        QImage enlarged = dense.scaled(LogicalSize(dense), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        enlarged.setDevicePixelRatio(1.0);
        tile->SetBitmap(enlarged);
        const int soft = SoftPixels(tile->grab().toImage());
        QVERIFY2(sharp * 10 < soft * 8, qPrintable(QStringLiteral("%1 soft pixels drawn for the density, %2 enlarged")
                                                         .arg(sharp)
                                                         .arg(soft)));
    }

    // A thumbnail has the strip's device pixels and comes from, and goes to,
    // the shared cache's large folder, which holds enough of them.
    void thumbnailsAtTheDensity()
    {
        QTemporaryDir dir;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));
        const QString photo = dir.filePath("p.jpg");
        QVERIFY(Columns(640, 480).save(photo, "JPEG", 95));
        SetThumbnailDensity(dpr);
        SetShareThumbnails(true);
        QString error;
        const QImage tile = MakeThumbnail(photo, &error);
        QCOMPARE(tile.devicePixelRatio(), dpr);
        QCOMPARE(tile.width(), qRound(90 * dpr));
        const SharedThumbnailKey key = SharedThumbnailKeyOf(photo);
        QVERIFY(QFileInfo::exists(SharedThumbnailRoot() + "/large/" + key.name));
        QVERIFY(!QFileInfo::exists(SharedThumbnailRoot() + "/normal/" + key.name));
        SetThumbnailDensity(1);
    }
};

QTEST_MAIN(TestDensity)
#include "test_density.moc"
