// The eighth-size JPEG reader against libjpeg's own djpeg asked for an
// eighth: the same pixels for every layout cameras and encoders
// write, made here by libjpeg's own cjpeg; no picture at all for what it
// leaves to the usual reader.
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

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("cjpeg")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("djpeg")).isEmpty())
            QSKIP("libjpeg-turbo-progs is not installed (the README's test command installs it)");
        m_ppm = m_dir.filePath(QStringLiteral("fixture.ppm"));
        QVERIFY(Fixture().save(m_ppm, "PPM"));
    }

    void sameAsLibjpeg_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("4:2:0") << QStringList{"-sample", "2x2"};
        QTest::newRow("4:2:2") << QStringList{"-sample", "2x1"};
        QTest::newRow("4:4:0") << QStringList{"-sample", "1x2"};
        QTest::newRow("4:4:4") << QStringList{"-sample", "1x1"};
        QTest::newRow("grey") << QStringList{"-grayscale"};
        QTest::newRow("restart every 3 MCUs") << QStringList{"-restart", "3B"};
        QTest::newRow("restart every row, grey") << QStringList{"-restart", "1", "-grayscale"};
        QTest::newRow("optimized tables") << QStringList{"-optimize", "-sample", "1x1"};
        QTest::newRow("quality 100") << QStringList{"-quality", "100"};
        QTest::newRow("quality 3") << QStringList{"-quality", "3"};
    }

    void sameAsLibjpeg()
    {
        QFETCH(QStringList, options);
        const QByteArray jpeg = Cjpeg(m_ppm, options);
        QVERIFY(!jpeg.isEmpty());
        const QImage expected = LibjpegEighth(jpeg);
        QVERIFY(!expected.isNull());
        const QImage eighth = ReadJpegEighth(jpeg);
        QVERIFY(!eighth.isNull());
        QCOMPARE(eighth.size(), QSize(26, 20));
        QCOMPARE(eighth.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
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
