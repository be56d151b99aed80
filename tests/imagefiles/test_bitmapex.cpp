// TFMXBitmapEx: the codec chosen by extension, errors that name the file and
// the reason while the bitmap stays as it was, the TGA author, rotation, JPEG
// quality, and saves that never destroy an existing file.
#include "ExifFixture.h"
#include "TestPictures.h"
#include "imagefiles/BoxReduce.h"
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXTGA.h"
#include "imagefiles/FileIO.h"
#include "platform/Errors.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(ImageFileKind)

namespace {

void WriteFile(const QString &name, const QByteArray &data)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray FileBytes(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestBitmapEx : public QObject
{
    Q_OBJECT

private slots:
    void kinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<ImageFileKind>("kind");
        QTest::newRow(".JPG") << "/p/PHOTO.JPG" << ImageFileKind::Codec;
        QTest::newRow(".Jpeg") << "a.Jpeg" << ImageFileKind::Codec;
        QTest::newRow(".png") << "a.png" << ImageFileKind::Codec;
        QTest::newRow(".bmp") << "a.bmp" << ImageFileKind::Codec;
        QTest::newRow(".PSD") << "a.PSD" << ImageFileKind::Psd;
        QTest::newRow(".tga") << "a.b.tga" << ImageFileKind::Tga;
        QTest::newRow("Windows path") << "C:\\Pictures\\a.png" << ImageFileKind::Codec;
        QTest::newRow(".gif") << "a.gif" << ImageFileKind::None;
        QTest::newRow("no dot") << "README" << ImageFileKind::None;
        QTest::newRow(".tga.bak") << "a.tga.bak" << ImageFileKind::None;
        QTest::newRow("dot only in the folder") << "/pics.tga/file" << ImageFileKind::None;
        QTest::newRow("trailing dot") << "a.png." << ImageFileKind::None;
        QTest::newRow("non-ASCII letters do not fold") << QString::fromUtf8("a.\xC5\xA4GA") << ImageFileKind::None;
    }

    void kinds()
    {
        QFETCH(QString, name);
        QFETCH(ImageFileKind, kind);
        QCOMPARE(ImageFileKindOf(name), kind);
    }

    void defaults()
    {
        TFMXBitmapEx bmp;
        QCOMPARE(bmp.size(), QSize(0, 0));
        QCOMPARE(bmp.Author, QString("ORVEN PROJECT"));
        QVERIFY(bmp.hasAlpha);
        TFMXBitmapEx sized(3, 2);
        QCOMPARE(sized.size(), QSize(3, 2));
        QCOMPARE(sized.format(), BitmapFormat);
        QCOMPARE(PixelAt(sized, 2, 1), 0u);
    }

    void saveAndLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exact"); // identical pixels, alpha included
        QTest::addColumn<bool>("opaque"); // the format drops alpha: compare straight colour
        QTest::newRow("png") << "f.png" << true << false;
        QTest::newRow("tga 32-bit") << "f.tga" << true << false;
        QTest::newRow("psd") << "f.PSD" << false << true;
        QTest::newRow("bmp") << "f.bmp" << false << false;
        QTest::newRow("jpeg") << "f.jpeg" << false << false;
    }

    void saveAndLoad()
    {
        QFETCH(QString, name);
        QFETCH(bool, exact);
        QFETCH(bool, opaque);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        TFMXBitmapEx out;
        out = FPicture();
        out.SaveToFileEx(path);
        TFMXBitmapEx in;
        in.LoadFromFileEx(path, 0);
        QCOMPARE(in.size(), out.size());
        QCOMPARE(in.format(), BitmapFormat);
        if (exact)
            QVERIFY(in == out);
        if (opaque) {
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x) {
                    const quint32 p = PixelAt(out, x, y);
                    QCOMPARE(PixelAt(in, x, y), qAlpha(p) ? qUnpremultiply(p) | 0xFF000000u : 0xFF000000u);
                }
        }
        // The opaque red of the F survives every format (JPEG blurs it with the blue).
        const QRgb red = PixelAt(in, 2, 5);
        QVERIFY2(qRed(red) > 200 && qRed(red) > qBlue(red) + 80, qPrintable(QString::number(red, 16)));
    }

    void tgaAuthorAndForm()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath("plain.tga");
        WriteFile(plain, TgaHeader(2, 1, 1, 24, 0x20) + "abc");
        TFMXBitmapEx bmp;
        bmp.LoadFromFileEx(plain, 0);
        QCOMPARE(bmp.Author, QString()); // no extension area
        bmp.hasAlpha = false;
        const QString again = dir.filePath("again.tga");
        bmp.SaveToFileEx(again);
        const QByteArray file = FileBytes(again);
        QCOMPARE(int(file[2]), 10); // 24-bit RLE
        QCOMPARE(int(file[16]), 24);
        TFMXBitmapEx back;
        back.LoadFromFileEx(again, 0);
        QCOMPARE(back.Author, QString());
        QVERIFY(back == bmp);

        TFMXBitmapEx withDefault(2, 2);
        withDefault.SaveToFileEx(dir.filePath("d.tga"));
        back.LoadFromFileEx(dir.filePath("d.tga"), 0);
        QCOMPARE(back.Author, QString("ORVEN PROJECT"));
        QCOMPARE(int(FileBytes(dir.filePath("d.tga"))[16]), 32);
    }

    void rotation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("tga") << "r.tga";
        QTest::newRow("psd") << "r.psd";
        QTest::newRow("png") << "r.png";
    }

    void rotation()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        TFMXBitmapEx out;
        out = Opaque(FPicture(7, 5));
        out.SaveToFileEx(dir.filePath(name));
        const QRgb green = PixelAt(out, 0, 0);
        TFMXBitmapEx in;
        in.LoadFromFileEx(dir.filePath(name), 90);
        QCOMPARE(in.size(), QSize(5, 7));
        QCOMPARE(PixelAt(in, 4, 0), green); // top-left turns to top-right
        in.LoadFromFileEx(dir.filePath(name), -90);
        QCOMPARE(PixelAt(in, 0, 6), green);
        in.LoadFromFileEx(dir.filePath(name), 180);
        QCOMPARE(PixelAt(in, 6, 4), green);
    }

    void photosReadUpright_data() { exif::AddCaseRows(); }

    // The board's picture is upright whatever orientation tag the photo
    // carries, the board's own quarter turns come on top, and a saved copy
    // holds the upright pixels.
    void photosReadUpright()
    {
        QFETCH(int, row);
        const exif::Case &c = exif::Cases()[row];
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("photo.jpg"));
        WriteFile(name, exif::OrientedJpeg(c.orientation));
        TFMXBitmapEx in;
        in.LoadFromFileEx(name, 0);
        QCOMPARE(in.size(), QSize(c.width, c.height));
        QVERIFY2(exif::QuartersAre(in, c.quarters), qPrintable(exif::QuarterNames(in)));

        in.LoadFromFileEx(name, 90);
        QCOMPARE(in.size(), QSize(c.height, c.width));
        // Turned right: what was top left is now top right.
        QVERIFY(exif::Near(in.pixel(in.width() * 3 / 4, in.height() / 4), c.quarters[0]));

        in.LoadFromFileEx(name, 0);
        in.SaveToFileEx(dir.filePath(QStringLiteral("saved.png")));
        const QImage saved(dir.filePath(QStringLiteral("saved.png")));
        QCOMPARE(saved.size(), QSize(c.width, c.height));
        QVERIFY2(exif::QuartersAre(saved, c.quarters), qPrintable(exif::QuarterNames(saved)));
    }

    void loadErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // empty: the file is not created
        QTest::addColumn<QString>("reason");
        QByteArray truncated = TgaHeader(2, 4, 4, 24, 0x20) + QByteArray(20, 'x');
        QTest::newRow("missing") << "missing.png" << QByteArray() << "does not exist";
        QTest::newRow("gif") << "anim.gif" << QByteArray("GIF89a") << "does not read .gif";
        QTest::newRow("no extension") << "picture" << QByteArray("x") << "no extension";
        QTest::newRow("colour-mapped TGA") << "map.tga" << TgaHeader(1, 2, 2, 8, 0) + "abcd"
                                           << "colour map";
        QTest::newRow("truncated TGA") << "cut.tga" << truncated << "too short for the picture";
        QTest::newRow("CMYK PSD") << "c.psd" << PsdHead(4, 1, 1, 8, 4) << "CMYK";
        QTest::newRow("empty PSD") << "e.psd" << QByteArray("\0", 1) << "not a Photoshop document";
        QTest::newRow("PNG that is not one") << "bad.png" << QByteArray("not a picture at all") << "damaged";
        QTest::newRow("TGA named .png") << "tga.png" << TgaHeader(2, 1, 1, 24, 0x20) + "abc"
                                        << "damaged";
    }

    void loadErrors()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (!content.isEmpty())
            WriteFile(path, content);
        TFMXBitmapEx bmp;
        bmp = FPicture(3, 3);
        const QImage before = bmp.copy();
        try {
            bmp.LoadFromFileEx(path, 0);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(path)), qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QVERIFY(bmp == before);
    }

    void folderIsNotAPicture()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("x.png"));
        TFMXBitmapEx bmp;
        QVERIFY_THROWS_EXCEPTION(FileError, bmp.LoadFromFileEx(dir.filePath("x.png"), 0));
        QCOMPARE(bmp.size(), QSize(0, 0));
        // A pipe is refused at once instead of waiting for a writer that never comes.
        const QString fifo = dir.filePath("pipe.tga");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY_THROWS_EXCEPTION(FileError, bmp.LoadFromFileEx(fifo, 0));
    }

    // A failed save leaves the file that was there, and no temporary file.
    void failedSaveKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.tga");
        WriteFile(path, "old content");
        QVERIFY_THROWS_EXCEPTION(FileError, SaveFileSafely(path, [](QIODevice &dev) {
                                     dev.write("partial");
                                     return false;
                                 }));
        QCOMPARE(FileBytes(path), QByteArray("old content"));

        TFMXBitmapEx empty;
        QVERIFY_THROWS_EXCEPTION(FileError, empty.SaveToFileEx(path));
        QCOMPARE(FileBytes(path), QByteArray("old content"));

        TFMXBitmapEx wide(70000, 1);
        QVERIFY_THROWS_EXCEPTION(FileError, wide.SaveToFileEx(path));
        QCOMPARE(FileBytes(path), QByteArray("old content"));

        TFMXBitmapEx pic;
        pic = FPicture();
        QVERIFY_THROWS_EXCEPTION(FileError, pic.SaveToFileEx(dir.filePath("x.gif")));
        QVERIFY_THROWS_EXCEPTION(FileError, pic.SaveToFileEx(dir.filePath("nowhere/x.png")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.tga"});

        pic.SaveToFileEx(path);
        TFMXBitmapEx back;
        back.LoadFromFileEx(path, 0);
        QVERIFY(back == pic);
    }

    void qualityParam_data()
    {
        QTest::addColumn<QString>("params");
        QTest::addColumn<int>("quality");
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("quality=85") << "quality=85" << 85;
        QTest::newRow("spaces and case") << " Quality = 0 " << 0;
        QTest::newRow("among others") << "progressive=1,quality=40" << 40;
        QTest::newRow("out of range") << "quality=101" << -1;
        QTest::newRow("not a number") << "quality=high" << -1;
    }

    void qualityParam()
    {
        QFETCH(QString, params);
        QFETCH(int, quality);
        QCOMPARE(ImageQualityParam(params), quality);
    }

    // Each pixel the rounded mean of its block, every channel on its own (a
    // premultiplied mean stays premultiplied); the edges short of a block
    // left out; other formats taken as premultiplied ARGB.
    void boxReducedAveragesBlocks()
    {
        QImage img(5, 3, QImage::Format_ARGB32_Premultiplied);
        img.fill(0xFF000000);
        img.setPixel(0, 0, 0xFFFF0000);
        img.setPixel(1, 0, 0xFF000000);
        img.setPixel(0, 1, 0xFF00FF00);
        img.setPixel(1, 1, 0x80800000);
        img.setPixel(4, 2, 0xFFFFFFFF); // beyond the last whole block
        const QImage r = BoxReduced(img, 2);
        QCOMPARE(r.size(), QSize(2, 1));
        QCOMPARE(r.format(), QImage::Format_ARGB32_Premultiplied);
        // (255 + 0 + 0 + 128) / 4 = 95.75, (0 + 0 + 255 + 0) / 4 = 63.75, alpha (3 * 255 + 128) / 4 = 223.25
        QCOMPARE(r.pixel(0, 0), qRgba(96, 64, 0, 223));
        QCOMPARE(r.pixel(1, 0), qRgba(0, 0, 0, 255));

        QImage rgb(4, 4, QImage::Format_RGB888);
        rgb.fill(qRgb(10, 20, 30));
        const QImage fromRgb = BoxReduced(rgb, 4);
        QCOMPARE(fromRgb.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(fromRgb.pixel(0, 0), qRgb(10, 20, 30));

        QCOMPARE(BoxReduced(img, 1), img);
        QVERIFY(BoxReduced(img, 4).isNull()); // not one whole block down
        QVERIFY(BoxReduced(QImage(), 2).isNull());
    }

    // With fewer rows than a block has, the middle rows of equal parts of it,
    // every column of each.
    void boxReducedTakesEvenlySpreadRows()
    {
        QImage img(4, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 4; ++x)
                img.setPixel(x, y, qRgb(y * 10 + x, 0, 0));
        // Rows 1 and 3 of the first block, 5 and 7 of the second: means of
        // 21.5 and 61.5; a single row, row 6 (counted from 0): 61.5.
        QCOMPARE(qRed(BoxReduced(img, 4, 2).pixel(0, 0)), 22);
        QCOMPARE(qRed(BoxReduced(img, 4, 2).pixel(0, 1)), 62);
        QCOMPARE(qRed(BoxReduced(img, 4, 1).pixel(0, 1)), 62);
        QCOMPARE(BoxReduced(img, 4, 9), BoxReduced(img, 4));
        QCOMPARE(BoxReduced(img, 4, 0), BoxReduced(img, 4, 1));
    }

    void jpegQualityReachesTheEncoder()
    {
        QTemporaryDir dir;
        TFMXBitmapEx pic;
        pic = FPicture(64, 48).scaled(200, 150);
        pic.SaveToFileEx(dir.filePath("low.jpg"), "quality=5");
        pic.SaveToFileEx(dir.filePath("high.jpg"), "quality=95");
        const qint64 low = QFileInfo(dir.filePath("low.jpg")).size();
        const qint64 high = QFileInfo(dir.filePath("high.jpg")).size();
        QVERIFY2(low > 0 && low * 2 < high, qPrintable(QString("%1 %2").arg(low).arg(high)));
    }
};

QTEST_GUILESS_MAIN(TestBitmapEx)
#include "test_bitmapex.moc"
