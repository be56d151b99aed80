// The eighth-size JPEG reader against libjpeg's own djpeg asked for an
// eighth: the same pixels for every layout cameras and encoders write, made
// here by libjpeg's own cjpeg (where chroma is halved both ways, for
// pictures whose chroma is even over each MCU, and close to them for any);
// no picture at all for what it leaves to the usual reader.
#include "imagefiles/JpegEighth.h"

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Not a multiple of any block or MCU, with colour edges and smooth shading,
// so that chroma placement and rounding both show.
QImage Fixture()
{
    QImage img(203, 157, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x * 255 / 202, y * 255 / 156, (x * y) % 256));
    QPainter p(&img);
    p.fillRect(QRect(17, 9, 61, 43), Qt::red);
    p.fillRect(QRect(120, 70, 50, 80), Qt::blue);
    p.fillRect(QRect(40, 100, 30, 30), Qt::black);
    p.fillRect(QRect(150, 10, 40, 40), Qt::white);
    return img;
}

// Chroma even over each 16 x 16 cell, luma anything: the greys added to a
// cell's colour change its luma alone, with no sample clamped. Chroma
// halved both ways then has no AC coefficient, and libjpeg's 2 x 2 samples
// of a chroma block are all its DC.
QImage EvenChromaFixture()
{
    QImage img(203, 157, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int cell = x / 16 * 7 + y / 16 * 3;
            const int grey = (x * 5 + y * 3) % 97 - 48;
            img.setPixel(x, y,
                         qRgb(64 + cell * 37 % 129 + grey, 64 + cell * 53 % 129 + grey, 64 + cell * 71 % 129 + grey));
        }
    return img;
}

// How far a is from b scaled down to size, as a thumbnail is: the largest
// difference of any channel, and the mean one.
std::pair<int, double> ThumbnailDifference(const QImage &a, const QImage &b, QSize size)
{
    const QImage x
        = a.convertToFormat(QImage::Format_RGB32).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage y
        = b.convertToFormat(QImage::Format_RGB32).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int most = 0;
    double sum = 0;
    for (int j = 0; j < size.height(); ++j)
        for (int i = 0; i < size.width(); ++i) {
            const QRgb p = x.pixel(i, j), q = y.pixel(i, j);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                most = std::max(most, std::abs(d));
                sum += std::abs(d);
            }
        }
    return {most, sum / (3.0 * size.width() * size.height())};
}

QByteArray Cjpeg(const QString &ppm, const QStringList &options)
{
    QProcess p;
    p.start(QStringLiteral("cjpeg"), options + QStringList{ppm});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

// libjpeg's picture at an eighth, from its own djpeg.
QImage LibjpegEighth(const QByteArray &jpeg)
{
    QProcess p;
    p.start(QStringLiteral("djpeg"), {QStringLiteral("-scale"), QStringLiteral("1/8"), QStringLiteral("-pnm")});
    p.write(jpeg);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QImage::fromData(p.readAllStandardOutput(), "PPM");
}
} // namespace

class TestJpegEighth : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_ppm;
    QString m_evenPpm; // chroma even over each MCU

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("cjpeg")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("djpeg")).isEmpty())
            QSKIP("libjpeg-turbo-progs is not installed (the README's test command installs it)");
        m_ppm = m_dir.filePath(QStringLiteral("fixture.ppm"));
        QVERIFY(Fixture().save(m_ppm, "PPM"));
        m_evenPpm = m_dir.filePath(QStringLiteral("even.ppm"));
        QVERIFY(EvenChromaFixture().save(m_evenPpm, "PPM"));
    }

    void sameAsLibjpeg_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("even"); // the fixture with chroma even over each MCU
        QTest::newRow("4:2:0") << QStringList{"-sample", "2x2"} << true;
        QTest::newRow("4:2:2") << QStringList{"-sample", "2x1"} << false;
        QTest::newRow("4:4:0") << QStringList{"-sample", "1x2"} << false;
        QTest::newRow("4:4:4") << QStringList{"-sample", "1x1"} << false;
        QTest::newRow("grey") << QStringList{"-grayscale"} << false;
        QTest::newRow("restart every 3 MCUs") << QStringList{"-restart", "3B"} << true;
        QTest::newRow("restart every row, grey") << QStringList{"-restart", "1", "-grayscale"} << false;
        QTest::newRow("restart every 3 MCUs, 4:4:4") << QStringList{"-restart", "3B", "-sample", "1x1"} << false;
        QTest::newRow("optimized tables") << QStringList{"-optimize", "-sample", "1x1"} << false;
        QTest::newRow("quality 100") << QStringList{"-quality", "100"} << true;
        QTest::newRow("quality 3") << QStringList{"-quality", "3"} << true;
    }

    void sameAsLibjpeg()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, even);
        const QByteArray jpeg = Cjpeg(even ? m_evenPpm : m_ppm, options);
        QVERIFY(!jpeg.isEmpty());
        const QImage expected = LibjpegEighth(jpeg);
        QVERIFY(!expected.isNull());
        const QImage eighth = ReadJpegEighth(jpeg);
        QVERIFY(!eighth.isNull());
        QCOMPARE(eighth.size(), QSize(26, 20));
        QCOMPARE(eighth.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
    }

    // Chroma halved both ways, of any picture: libjpeg's 2 x 2 samples of a
    // chroma block are spread about their mean, the DC taken here, so once
    // halved as a thumbnail is made they differ only at sharp colour edges.
    // The fixture is full of them, and of blue that changes every pixel.
    void chromaHalvedBothWaysCloseToLibjpeg_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("quality 75") << QStringList{"-sample", "2x2"};
        QTest::newRow("quality 100") << QStringList{"-sample", "2x2", "-quality", "100"};
    }

    void chromaHalvedBothWaysCloseToLibjpeg()
    {
        QFETCH(QStringList, options);
        const QByteArray jpeg = Cjpeg(m_ppm, options);
        const QImage expected = LibjpegEighth(jpeg);
        const QImage eighth = ReadJpegEighth(jpeg);
        QVERIFY(!expected.isNull() && !eighth.isNull());
        const auto [most, mean] = ThumbnailDifference(eighth, expected, QSize(13, 10));
        QVERIFY2(most <= 32 && mean <= 1.5, qPrintable(QStringLiteral("largest %1, mean %2").arg(most).arg(mean)));
    }

    // What it leaves to the usual reader gives no picture, never a wrong one.
    void leavesTheRestToTheUsualReader_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("cut"); // bytes cut off the end
        QTest::newRow("progressive") << QStringList{"-progressive"} << 0;
        QTest::newRow("arithmetic coding") << QStringList{"-arithmetic"} << 0;
        QTest::newRow("RGB, not YCbCr") << QStringList{"-rgb"} << 0;
        QTest::newRow("truncated in the scan") << QStringList{} << 600;
        QTest::newRow("truncated with restarts") << QStringList{"-restart", "2B"} << 600;
        QTest::newRow("only the headers") << QStringList{} << -1;
    }

    void leavesTheRestToTheUsualReader()
    {
        QFETCH(QStringList, options);
        QFETCH(int, cut);
        QByteArray jpeg = Cjpeg(m_ppm, options);
        QVERIFY(!jpeg.isEmpty());
        if (cut > 0)
            jpeg.chop(cut);
        else if (cut < 0)
            jpeg.truncate(jpeg.indexOf(QByteArray("\xFF\xDA", 2)) + 20);
        QVERIFY(ReadJpegEighth(jpeg).isNull());
        QVERIFY(ReadJpegEighth(QByteArray("\xFF\xD8\xFF", 3)).isNull());
        QVERIFY(ReadJpegEighth(QByteArray("not a picture")).isNull());
    }

    // A file whose eighth would be larger than allowed is not decoded.
    void refusesBeyondTheLimit()
    {
        const QByteArray jpeg = Cjpeg(m_ppm, {});
        QVERIFY(!ReadJpegEighth(jpeg, 26 * 20).isNull());
        QVERIFY(ReadJpegEighth(jpeg, 26 * 20 - 1).isNull());
    }
};

QTEST_MAIN(TestJpegEighth)
#include "test_jpegeighth.moc"
