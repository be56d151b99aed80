// The formats as other programs see them: files the program writes read in
// ImageMagick and Pillow with the same pixels, and their TGA and PSD files
// read here with the same pixels as their own PNG conversions.
#include "TestPictures.h"
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXPSD.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Convert = QStringLiteral("/usr/bin/convert");
const QString Identify = QStringLiteral("/usr/bin/identify");
const QString Python = QStringLiteral("/usr/bin/python3");

// Pillow and psd-tools, driven from the command line.
const char *PillowScript = R"(
import ast, sys
from PIL import Image
op = sys.argv[1]
if op == 'rgba':
    sys.stdout.buffer.write(Image.open(sys.argv[2]).convert('RGBA').tobytes())
elif op == 'save':
    im = Image.open(sys.argv[2])
    mode = sys.argv[4]
    if mode != 'keep':
        im = im.convert(mode)
    im.save(sys.argv[3], **ast.literal_eval(sys.argv[5]))
elif op == 'merged':
    from psd_tools import PSDImage
    PSDImage.open(sys.argv[2]).topil().convert('RGBA').save(sys.argv[3])
elif op == 'layers':
    import logging
    logging.basicConfig(level=logging.WARNING, stream=sys.stdout)  # a complaint fails the comparison
    from psd_tools import PSDImage
    print(','.join(layer.name for layer in PSDImage.open(sys.argv[2])))
)";

QByteArray Run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << program << args.join(' ') << "failed:" << p.readAllStandardError();
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

QByteArray Pillow(const QStringList &args) { return Run(Python, QStringList{"-c", PillowScript} + args); }

bool HavePillow()
{
    return QFileInfo(Python).isExecutable() && QProcess::execute(Python, {"-c", "import PIL, psd_tools"}) == 0;
}

// Straight RGBA bytes of a bitmap, as other programs report them.
QByteArray Rgba(const QImage &img, bool keepAlpha)
{
    QByteArray out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const quint32 p = PixelAt(img, x, y);
            const quint32 s = qAlpha(p) == 0 ? 0 : qUnpremultiply(p);
            out += char(qRed(s));
            out += char(qGreen(s));
            out += char(qBlue(s));
            out += char(keepAlpha ? qAlpha(s) : 255);
        }
    return out;
}

QString FirstDifference(const QByteArray &a, const QByteArray &b, int width)
{
    if (a.size() != b.size())
        return QString("sizes %1 and %2").arg(a.size()).arg(b.size());
    for (int i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return QString("pixel %1,%2 channel %3: %4 vs %5")
                .arg(i / 4 % width)
                .arg(i / 4 / width)
                .arg(i % 4)
                .arg(uchar(a[i]))
                .arg(uchar(b[i]));
    return QString();
}

} // namespace

class TestInterop : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QImage m_picture = FPicture();

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The source picture of the foreign files, written by Qt (straight colour).
        TFMXBitmapEx src;
        src = m_picture;
        src.SaveToFileEx(path("source.png"));
    }

    void ourFilesElsewhere_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("kind");
        for (const char *tool : {"ImageMagick", "Pillow"})
            for (const char *kind : {"tga 32-bit raw", "tga 24-bit RLE", "psd flat", "psd two layers"})
                QTest::newRow(qPrintable(QString("%1, %2").arg(tool, kind))) << tool << kind;
    }

    void ourFilesElsewhere()
    {
        QFETCH(QString, tool);
        QFETCH(QString, kind);
        if (tool == "ImageMagick" && !QFileInfo(Convert).isExecutable())
            QSKIP("ImageMagick is not installed");
        if (tool == "Pillow" && !HavePillow())
            QSKIP("Pillow or psd-tools is not installed");

        const QString file = path(QString(kind).replace(' ', '_') + (kind.startsWith("tga") ? ".tga" : ".psd"));
        QByteArray expected;
        if (kind == "psd two layers") {
            const QImage picture = Opaque(m_picture);
            QImage pen = NewBitmap(picture.width(), picture.height());
            pen.setPixel(5, 3, qRgba(255, 0, 255, 255));
            pen.setPixel(6, 7, qRgba(0, 255, 255, 255));
            TPSDFile psd;
            psd.LayerCount = 2;
            psd.Layer.resize(2);
            psd.Layer[0].Bitmap = picture;
            psd.Layer[1].Bitmap = pen;
            QVERIFY(WritePSDLayers(file, psd));
            FreePSDFile(psd);
            QImage merged = picture.copy();
            merged.setPixel(5, 3, qRgba(255, 0, 255, 255));
            merged.setPixel(6, 7, qRgba(0, 255, 255, 255));
            expected = Rgba(merged, false);
        } else {
            TFMXBitmapEx bmp;
            bmp = m_picture;
            bmp.hasAlpha = kind == "tga 32-bit raw";
            bmp.SaveToFileEx(file);
            expected = Rgba(m_picture, bmp.hasAlpha && kind.startsWith("tga"));
        }

        const QByteArray seen
            = tool == "ImageMagick"
                  ? Run(Convert, {(kind.startsWith("psd") ? file + "[0]" : file), "-depth", "8", "rgba:-"})
                  : Pillow({"rgba", file});
        const QString diff = FirstDifference(seen, expected, m_picture.width());
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void twoLayersAreSeen()
    {
        if (!QFileInfo(Identify).isExecutable() || !HavePillow())
            QSKIP("ImageMagick, Pillow or psd-tools is not installed");
        TPSDFile psd;
        psd.LayerCount = 2;
        psd.Layer.resize(2);
        psd.Layer[0].Bitmap = Opaque(m_picture);
        psd.Layer[1].Bitmap = NewBitmap(m_picture.width(), m_picture.height());
        QVERIFY(WritePSDLayers(path("layers.psd"), psd));
        FreePSDFile(psd);
        QCOMPARE(Run(Identify, {"-format", "%s:%l,%wx%h;", path("layers.psd")}),
                 QByteArray("0:,13x11;1:Layer0,13x11;2:Layer1,13x11;"));
        QCOMPARE(Pillow({"layers", path("layers.psd")}).trimmed(), QByteArray("Layer0,Layer1"));
    }

    void theirFilesHere_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("args"); // ImageMagick options, or Pillow's mode and save options
        QTest::addColumn<int>("descriptor"); // the TGA descriptor expected in the file; PSD: -1, -2 psd-tools reference
        QTest::newRow("IM tga 32 RLE") << "ImageMagick"
                                       << "im32rle.tga" << QStringList{"-compress", "RLE"} << 0x08;
        QTest::newRow("IM tga 32 raw") << "ImageMagick"
                                       << "im32raw.tga" << QStringList{"-compress", "None"} << 0x08;
        QTest::newRow("IM tga 24 RLE") << "ImageMagick"
                                       << "im24rle.tga" << QStringList{"-alpha", "off", "-compress", "RLE"} << 0x00;
        QTest::newRow("IM tga 24 raw top-left")
            << "ImageMagick"
            << "im24tl.tga" << QStringList{"-alpha", "off", "-orient", "TopLeft"} << 0x20;
        QTest::newRow("IM tga 32 top-left") << "ImageMagick"
                                            << "im32tl.tga" << QStringList{"-orient", "TopLeft"} << 0x28;
        QTest::newRow("PIL tga 32 RLE top-left")
            << "Pillow"
            << "pil32rle.tga" << QStringList{"RGBA", "{'compression': 'tga_rle', 'orientation': 1}"} << 0x28;
        QTest::newRow("PIL tga 32 raw") << "Pillow"
                                        << "pil32raw.tga" << QStringList{"RGBA", "{}"} << 0x08;
        QTest::newRow("PIL tga 24 RLE") << "Pillow"
                                        << "pil24rle.tga" << QStringList{"RGB", "{'compression': 'tga_rle'}"} << 0x00;
        QTest::newRow("PIL tga 24 raw top-left") << "Pillow"
                                                 << "pil24tl.tga" << QStringList{"RGB", "{'orientation': 1}"} << 0x20;
        QTest::newRow("IM psd RGBA packed") << "ImageMagick"
                                            << "im_rgba.psd" << QStringList{} << -1;
        QTest::newRow("IM psd RGBA raw") << "ImageMagick"
                                         << "im_rgba_raw.psd" << QStringList{"-compress", "None"} << -1;
        QTest::newRow("IM psd RGB") << "ImageMagick"
                                    << "im_rgb.psd" << QStringList{"-alpha", "off"} << -1;
        // ImageMagick reads the alpha of its own grey documents a few levels off
        // (111 as 114): psd-tools, which reads the stored values, makes its reference.
        QTest::newRow("IM psd grey + alpha") << "ImageMagick"
                                             << "im_ga.psd" << QStringList{"-colorspace", "Gray"} << -2;
        QTest::newRow("IM psd grey") << "ImageMagick"
                                     << "im_g.psd" << QStringList{"-alpha", "off", "-colorspace", "Gray"} << -1;
        QTest::newRow("IM psd grey raw") << "ImageMagick"
                                         << "im_g_raw.psd"
                                         << QStringList{"-alpha", "off", "-colorspace", "Gray", "-compress", "None"}
                                         << -1;
    }

    void theirFilesHere()
    {
        QFETCH(QString, tool);
        QFETCH(QString, name);
        QFETCH(QStringList, args);
        QFETCH(int, descriptor);
        const bool magick = tool == "ImageMagick";
        if (magick && !QFileInfo(Convert).isExecutable())
            QSKIP("ImageMagick is not installed");
        if (!magick && !HavePillow())
            QSKIP("Pillow is not installed");
        const QString file = path(name), reference = path(name + ".png");
        if (magick) {
            Run(Convert, QStringList{path("source.png")} + args + QStringList{file});
            // The PNG conversion of the merged image, by the same tool. ImageMagick
            // keeps a TGA's row order as it is stored and only notes the origin
            // (its bottom-left files hold their top row first), so the
            // reference is turned as the origin says, as every TGA reader does.
            // Its PSD reader takes a translucent merged image to be matted with
            // white, though its writer stores straight colour, as Pillow and
            // this program read it: the matte is switched off.
            if (descriptor == -2) {
                if (!HavePillow())
                    QSKIP("psd-tools is not installed");
                Pillow({"merged", file, reference});
            } else {
                Run(Convert, {"-define", "psd:alpha-unblend=off", descriptor < 0 ? file + "[0]" : file, "-auto-orient",
                              "PNG32:" + reference});
            }
        } else {
            Pillow({"save", path("source.png"), file, args[0], args[1]});
            Pillow({"save", file, reference, "keep", "{}"});
        }
        QVERIFY(QFileInfo::exists(file) && QFileInfo::exists(reference));
        if (descriptor >= 0) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(int(uchar(f.read(18)[17])), descriptor);
        }
        TFMXBitmapEx ours;
        ours.LoadFromFileEx(file, 0);
        // The reference's straight colour, premultiplied the way every bitmap is.
        QImage theirs(reference);
        theirs = theirs.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < theirs.height(); ++y) {
            auto *row = reinterpret_cast<quint32 *>(theirs.scanLine(y));
            for (int x = 0; x < theirs.width(); ++x)
                row[x] = qPremultiply(row[x]);
        }
        const QString diff = FirstDifference(Rgba(ours, true), Rgba(theirs, true), ours.width());
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        QCOMPARE(ours.size(), m_picture.size());
    }
};

QTEST_GUILESS_MAIN(TestInterop)
#include "test_interop.moc"
