// PSD reader and writers: PackBits both ways, the layered layout with its
// filled-in lengths, merged images of foreign documents, refusals and damage.
#include "TestPictures.h"
#include "imagefiles/ByteReader.h"
#include "imagefiles/FMXPSD.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray Pack(const QByteArray &row)
{
    QByteArray out(row.size() + row.size() / 128 + 1, '\0');
    out.resize(PackBitsRow(reinterpret_cast<const uchar *>(row.constData()), int(row.size()),
                           reinterpret_cast<uchar *>(out.data())));
    return out;
}

QByteArray Unpack(const QByteArray &packed, int length)
{
    QByteArray out(length, '\0');
    out.resize(UnpackBitsRow(reinterpret_cast<const uchar *>(packed.constData()), int(packed.size()),
                             reinterpret_cast<uchar *>(out.data()), length));
    return out;
}

QByteArray Distinct(int n)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char(i * 7));
    return b;
}

QImage ReadData(const QByteArray &file)
{
    QImage img;
    const ImageReadResult r = ReadPSDData(file, img);
    if (!r.read())
        qWarning() << "not read:" << r.reason;
    return img;
}

QByteArray LayeredFile(TPSDFile &psd)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!WritePSDLayers(buffer, psd))
        return QByteArray();
    return buffer.data();
}

// A merged image of the given channels (each w*h bytes), stored raw.
QByteArray RawMerged(const QList<QByteArray> &channels)
{
    QByteArray b;
    Be16(b, 0);
    for (const QByteArray &c : channels)
        b += c;
    return b;
}

// The same, packed row by row.
QByteArray PackedMerged(const QList<QByteArray> &channels, int width)
{
    QByteArray counts, rows;
    for (const QByteArray &c : channels) {
        for (int y = 0; y * width < c.size(); ++y) {
            const QByteArray p = Pack(c.mid(y * width, width));
            Be16(counts, int(p.size()));
            rows += p;
        }
    }
    QByteArray b;
    Be16(b, 1);
    return b + counts + rows;
}

} // namespace

class TestPsd : public QObject
{
    Q_OBJECT

private slots:
    void packBits_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("packed");
        QTest::newRow("200 equal: runs of 128 and 72") << QByteArray(200, 'a')
                                                       << QByteArray("\x81"
                                                                     "a"
                                                                     "\xB9"
                                                                     "a");
        QTest::newRow("130 distinct: literals of 128 and 2")
            << Distinct(130) << QByteArray("\x7F") + Distinct(128) + "\x01" + Distinct(130).mid(128);
        QTest::newRow("A A A B: one literal") << QByteArray("aaab")
                                              << QByteArray("\x03"
                                                            "aaab");
        QTest::newRow("A A A A B: run of 4, literal of 1") << QByteArray("aaaab")
                                                           << QByteArray("\xFD"
                                                                         "a"
                                                                         "\x00"
                                                                         "b",
                                                                         4);
        QTest::newRow("literal, run, literal") << QByteArray("xyzzzzzw")
                                               << QByteArray("\x01"
                                                             "xy"
                                                             "\xFC"
                                                             "z"
                                                             "\x00"
                                                             "w",
                                                             7);
        QTest::newRow("single byte") << QByteArray("q")
                                     << QByteArray("\x00"
                                                   "q",
                                                   2);
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }

    void packBits()
    {
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, packed);
        QCOMPARE(Pack(row).toHex(' '), packed.toHex(' '));
        QCOMPARE(Unpack(packed, int(row.size())), row);
    }

    // Against the rule written out byte by byte: four or more equal bytes make
    // a run (at most 128), everything else literal stretches of at most 128.
    void packBitsMatchesTheRule()
    {
        auto reference = [](const QByteArray &row) {
            QByteArray out;
            QByteArray lit;
            auto flush = [&] {
                if (!lit.isEmpty())
                    out += char(lit.size() - 1) + lit;
                lit.clear();
            };
            int p = 0;
            while (p < row.size()) {
                int r = 1;
                while (r < 128 && p + r < row.size() && row[p + r] == row[p])
                    ++r;
                if (r >= 4) {
                    flush();
                    out += char(1 - r);
                    out += row[p];
                    p += r;
                } else if (lit.size() == 128) {
                    flush();
                } else {
                    lit += row[p++];
                }
            }
            flush();
            return out;
        };
        QRandomGenerator rng(7);
        for (int i = 0; i < 3000; ++i) {
            QByteArray row;
            const int length = int(rng.bounded(700));
            while (row.size() < length) {
                // Stretches of equal bytes of every length around the limits.
                const int run = rng.bounded(4) == 0 ? int(rng.bounded(1, 300)) : int(rng.bounded(1, 5));
                row += QByteArray(run, char(rng.bounded(3)));
            }
            row.truncate(length);
            QCOMPARE(Pack(row).toHex(), reference(row).toHex());
            QCOMPARE(Unpack(Pack(row), length), row);
        }
    }

    // Damaged packed data stops at the row's end and at the packed bytes' end.
    void unpackMalformed_data()
    {
        QTest::addColumn<QByteArray>("packed");
        QTest::addColumn<int>("rowLength");
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("literal longer than the data") << QByteArray("\x05"
                                                                    "ab")
                                                      << 8 << QByteArray("ab");
        QTest::newRow("literal longer than the row") << QByteArray("\x05"
                                                                   "abcdef")
                                                     << 3 << QByteArray("abc");
        QTest::newRow("run longer than the row") << QByteArray("\x81"
                                                               "z")
                                                 << 5 << QByteArray("zzzzz");
        QTest::newRow("-128 is skipped") << QByteArray("\x80\x01"
                                                       "ab")
                                         << 4 << QByteArray("ab");
        QTest::newRow("run header without its byte") << QByteArray("\x00"
                                                                   "a"
                                                                   "\xFE",
                                                                   3)
                                                     << 4 << QByteArray("a");
    }

    void unpackMalformed()
    {
        QFETCH(QByteArray, packed);
        QFETCH(int, rowLength);
        QFETCH(QByteArray, row);
        QByteArray out(rowLength + 4, '#');
        const int n = UnpackBitsRow(reinterpret_cast<const uchar *>(packed.constData()), int(packed.size()),
                                    reinterpret_cast<uchar *>(out.data()), rowLength);
        QCOMPARE(out.left(n), row);
        QCOMPARE(out.right(4), QByteArray("####")); // nothing written past the row
    }

    // Walks a two-digit layered document field by field: names and padding,
    // channel IDs, and every length filled in after its section was written.
    void layeredLayout()
    {
        TPSDFile psd;
        psd.LayerCount = 11;
        psd.Layer.resize(11);
        for (int i = 0; i < 11; ++i) {
            psd.Layer[i].Bitmap = NewBitmap(3 + i % 2, 2);
            psd.Layer[i].Bitmap.fill(qPremultiply(qRgba(10 * i, 0, 0, 255)));
        }
        const QByteArray file = LayeredFile(psd);
        QVERIFY(!file.isEmpty());
        QCOMPARE(psd.Width, 4);
        QCOMPARE(psd.Height, 2);

        ByteReader in(reinterpret_cast<const uchar *>(file.constData()), file.size());
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(in.take(4)), 4), QByteArray("8BPS"));
        in.seek(12);
        QCOMPARE(in.u16be(), 3);
        QCOMPARE(in.u32be(), 2u);
        QCOMPARE(in.u32be(), 4u);
        QCOMPARE(in.u16be(), 8);
        QCOMPARE(in.u16be(), 3);
        QCOMPARE(in.u32be(), 0u);
        QCOMPARE(in.u32be(), 28u);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(in.take(28)), 28).toHex(),
                 QByteArray("3842494d03ed000000000010012c000000010001012c000000010001"));

        const quint32 maskLength = in.u32be();
        const qint64 maskEnd = in.pos() + maskLength;
        const quint32 infoLength = in.u32be();
        const qint64 infoEnd = in.pos() + infoLength;
        QCOMPARE(in.u16be(), 11);
        QList<QList<quint32>> lengths;
        for (int i = 0; i < 11; ++i) {
            const quint32 width = 3 + i % 2;
            QCOMPARE(in.u32be(), 0u);
            QCOMPARE(in.u32be(), 0u);
            QCOMPARE(in.u32be(), 2u);
            QCOMPARE(in.u32be(), width);
            QCOMPARE(in.u16be(), 4);
            QList<quint32> channelLengths;
            for (int id : {0xFFFF, 0, 1, 2}) {
                QCOMPARE(int(in.u16be()), id);
                channelLengths << in.u32be();
            }
            lengths << channelLengths;
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(in.take(8)), 8), QByteArray("8BIMnorm"));
            QCOMPARE(int(in.u8()), 255);
            in.skip(3);
            QCOMPARE(in.u32be(), 16u); // 4 + 4 + 1 + name + padding
            QCOMPARE(in.u32be(), 0u);
            QCOMPARE(in.u32be(), 0u);
            const QByteArray name = "Layer" + QByteArray::number(i);
            QCOMPARE(int(in.u8()), int(name.size()));
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(in.take(name.size())), name.size()), name);
            if (name.size() == 6)
                QCOMPARE(int(in.u8()), 1); // "Layer0" .. "Layer9" take one pad byte
        }
        for (int i = 0; i < 11; ++i) {
            for (int c = 0; c < 4; ++c) {
                const qint64 start = in.pos();
                QCOMPARE(in.u16be(), 1);
                quint32 packed = 0;
                for (int y = 0; y < 2; ++y)
                    packed += in.u16be();
                in.skip(packed);
                QCOMPARE(quint32(in.pos() - start), lengths[i][c]);
                QCOMPARE(psd.Layer[i].Channel[c].LG, lengths[i][c]);
            }
        }
        QCOMPARE(in.pos(), infoEnd);
        QCOMPARE(in.u32be(), 0u); // global layer mask info
        QCOMPARE(in.pos(), maskEnd);
        QCOMPARE(in.u16be(), 1);
        QVERIFY(in.ok());

        // The merged image is the last layer: each is opaque.
        const QImage merged = ReadData(file);
        QCOMPARE(PixelAt(merged, 0, 0), qRgba(100, 0, 0, 255));
        QCOMPARE(PixelAt(merged, 3, 1), qRgba(90, 0, 0, 255)); // only layer 9 is 4 wide
        FreePSDFile(psd);
        QCOMPARE(psd.LayerCount, 0);
        QVERIFY(psd.Layer.isEmpty());
    }

    // Layers are packed in bands of rows on several threads, 16 pixels at a
    // time: a picture of several bands with a ragged right edge, a smaller
    // pen layer, and opaque, clear and translucent stretches must still give
    // every channel byte of every pixel in its place.
    void largeLayersEveryByte()
    {
        const int width = 211, height = 150;
        QImage picture = NewBitmap(width, height);
        QImage pen = NewBitmap(100, 70);
        quint32 seed = 7;
        auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
        for (int y = 0; y < height; ++y) {
            auto *row = reinterpret_cast<quint32 *>(picture.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] = x > 150 ? 0xFF203040u : qPremultiply(next() | (y % 5 == 0 ? 0x80000000u : 0xFF000000u));
        }
        for (int y = 0; y < pen.height(); ++y) {
            auto *row = reinterpret_cast<quint32 *>(pen.scanLine(y));
            for (int x = 0; x < pen.width(); ++x)
                row[x] = (x / 16 + y) % 3 == 0 ? qPremultiply(next()) : 0u;
        }
        TPSDFile psd;
        psd.LayerCount = 2;
        psd.Layer.resize(2);
        psd.Layer[0].Bitmap = picture;
        psd.Layer[1].Bitmap = pen;
        const QByteArray file = LayeredFile(psd);

        ByteReader in(reinterpret_cast<const uchar *>(file.constData()), file.size());
        in.seek(26 + 4 + 4 + 28 + 4 + 4 + 2);
        for (int i = 0; i < 2; ++i) {
            in.skip(4 * 4 + 2 + 6 * 4 + 4 + 4 + 4);
            in.skip(in.u32be());
        }
        const int shifts[4] = {24, 16, 8, 0};
        for (const QImage &layer : {picture, pen}) {
            for (int c = 0; c < 4; ++c) {
                QCOMPARE(in.u16be(), 1);
                QList<int> counts;
                for (int y = 0; y < layer.height(); ++y)
                    counts << in.u16be();
                for (int y = 0; y < layer.height(); ++y) {
                    const uchar *packed = in.take(counts[y]);
                    QVERIFY(packed);
                    QByteArray row(layer.width(), '\0');
                    QCOMPARE(UnpackBitsRow(packed, counts[y], reinterpret_cast<uchar *>(row.data()), layer.width()),
                             layer.width());
                    for (int x = 0; x < layer.width(); ++x)
                        QCOMPARE(uchar(row[x]), uchar(qUnpremultiply(PixelAt(layer, x, y)) >> shifts[c]));
                }
            }
        }

        QImage expected = NewBitmap(width, height);
        expected.fill(0xFF000000u);
        QPainter p(&expected);
        p.drawImage(0, 0, picture);
        p.drawImage(0, 0, pen);
        p.end();
        QVERIFY(ReadData(file) == expected);
        FreePSDFile(psd);
    }

    // The picture and the pen strokes load back as one opaque picture.
    void twoLayersLoadAsMergedImage()
    {
        const QImage picture = Opaque(FPicture());
        QImage pen = NewBitmap(picture.width(), picture.height());
        pen.setPixel(4, 4, qRgba(255, 0, 255, 255));
        pen.setPixel(5, 4, qPremultiply(qRgba(255, 255, 255, 128)));
        TPSDFile psd;
        psd.LayerCount = 2;
        psd.Layer.resize(2);
        psd.Layer[0].Bitmap = picture;
        psd.Layer[1].Bitmap = pen;
        const QImage merged = ReadData(LayeredFile(psd));
        QCOMPARE(psd.Layer[0].Name, QByteArray("Layer0"));
        QCOMPARE(psd.Layer[1].Name, QByteArray("Layer1"));
        QCOMPARE(merged.size(), picture.size());
        for (int y = 0; y < merged.height(); ++y)
            for (int x = 0; x < merged.width(); ++x) {
                QCOMPARE(qAlpha(PixelAt(merged, x, y)), 255);
                if ((x != 4 && x != 5) || y != 4)
                    QCOMPARE(PixelAt(merged, x, y), PixelAt(picture, x, y));
            }
        QCOMPARE(PixelAt(merged, 4, 4), qRgba(255, 0, 255, 255));
        const QRgb under = PixelAt(picture, 5, 4), blended = PixelAt(merged, 5, 4);
        QVERIFY(qAbs(qRed(blended) - (qRed(under) + 255) / 2) <= 2);
        QVERIFY(qAbs(qBlue(blended) - (qBlue(under) + 255) / 2) <= 2);
        FreePSDFile(psd);
    }

    void flatRoundTrip()
    {
        const QImage img = FPicture();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(WritePSD(buffer, img));
        const QByteArray file = buffer.data();
        QCOMPARE(file.mid(12, 2).toHex(), QByteArray("0003"));
        QCOMPARE(file.mid(26 + 4 + 4 + 28, 12).toHex(), QByteArray("000000080000000000000000"));
        const QImage back = ReadData(file);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const quint32 p = PixelAt(img, x, y);
                const quint32 flat = qAlpha(p) == 0 ? 0xFF000000u : (qUnpremultiply(p) | 0xFF000000u);
                QCOMPARE(PixelAt(back, x, y), flat);
            }
    }

    void foreignDocuments_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QVector<quint32>>("pixels"); // 2 x 1
        const QByteArray r("\x10\xF0"), g("\x20\xE0"), b("\x30\xD0"), a("\xFF\x80"), x("\x55\x66");
        const QVector<quint32> rgb{qRgb(0x10, 0x20, 0x30), qRgb(0xF0, 0xE0, 0xD0)};
        QTest::newRow("RGB, packed") << PsdHead(3, 2, 1, 8, 3) + PackedMerged({r, g, b}, 2) << rgb;
        QTest::newRow("RGB, raw") << PsdHead(3, 2, 1, 8, 3) + RawMerged({r, g, b}) << rgb;
        const QVector<quint32> rgba{qRgb(0x10, 0x20, 0x30), qPremultiply(qRgba(0xF0, 0xE0, 0xD0, 0x80))};
        QTest::newRow("RGB + alpha") << PsdHead(4, 2, 1, 8, 3) + PackedMerged({r, g, b, a}, 2) << rgba;
        QTest::newRow("RGB + alpha + spot") << PsdHead(5, 2, 1, 8, 3) + PackedMerged({r, g, b, a, x}, 2) << rgba;
        const QVector<quint32> grey{qRgb(0x10, 0x10, 0x10), qRgb(0xF0, 0xF0, 0xF0)};
        QTest::newRow("grey") << PsdHead(1, 2, 1, 8, 1) + PackedMerged({r}, 2) << grey;
        QTest::newRow("grey, raw") << PsdHead(1, 2, 1, 8, 1) + RawMerged({r}) << grey;
        const QVector<quint32> greyAlpha{qRgb(0x10, 0x10, 0x10), qPremultiply(qRgba(0xF0, 0xF0, 0xF0, 0x80))};
        QTest::newRow("grey + alpha") << PsdHead(2, 2, 1, 8, 1) + PackedMerged({r, a}, 2) << greyAlpha;
        QTest::newRow("grey + alpha + spot") << PsdHead(3, 2, 1, 8, 1) + RawMerged({r, a, x}) << greyAlpha;
        QTest::newRow("bitmap mode") << PsdHead(1, 2, 1, 1, 0) + RawMerged({QByteArray("\x40")})
                                     << QVector<quint32>{qRgb(255, 255, 255), qRgb(0, 0, 0)};
        QByteArray withSections = PsdHead(3, 2, 1, 8, 3);
        withSections.chop(8);
        Be32(withSections, 6);
        withSections += "8BIM\x03\xED";
        Be32(withSections, 10);
        withSections += QByteArray(10, '\x07');
        QTest::newRow("resources and layer info skipped") << withSections + RawMerged({r, g, b}) << rgb;
    }

    void foreignDocuments()
    {
        QFETCH(QByteArray, file);
        QFETCH(QVector<quint32>, pixels);
        const QImage img = ReadData(file);
        QCOMPARE(img.size(), QSize(2, 1));
        QCOMPARE(PixelAt(img, 0, 0), pixels[0]);
        QCOMPARE(PixelAt(img, 1, 0), pixels[1]);
    }

    void rejected_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray body = RawMerged({"a", "b", "c"});
        QByteArray sig = PsdHead(3, 1, 1, 8, 3) + body;
        sig[0] = 'X';
        QTest::newRow("signature") << sig << "not a Photoshop document";
        QByteArray v2 = PsdHead(3, 1, 1, 8, 3) + body;
        v2[5] = 2;
        QTest::newRow("version 2") << v2 << "version 2";
        QTest::newRow("CMYK") << PsdHead(4, 1, 1, 8, 4) + body << "CMYK";
        QTest::newRow("indexed") << PsdHead(1, 1, 1, 8, 2) + body << "indexed";
        QTest::newRow("Lab") << PsdHead(3, 1, 1, 8, 9) + body << "Lab";
        QTest::newRow("16-bit") << PsdHead(3, 1, 1, 16, 3) + body << "16-bit";
        QTest::newRow("1-bit RGB") << PsdHead(3, 1, 1, 1, 3) + body << "1-bit";
        QByteArray table = PsdHead(3, 1, 1, 8, 3);
        table[29] = 3;
        QTest::newRow("colour mode data") << table + "xyz" + body << "colour table";
        QTest::newRow("zip") << PsdHead(3, 1, 1, 8, 3) + QByteArray("\x00\x02", 2) << "ZIP";
        QTest::newRow("unknown compression") << PsdHead(3, 1, 1, 8, 3) + QByteArray("\x00\x07", 2) << "damaged";
        QTest::newRow("no merged image") << PsdHead(3, 1, 1, 8, 3) << "no merged picture";
        QTest::newRow("huge") << PsdHead(3, 300000, 300000, 8, 3) + body << "too large";
        QTest::newRow("zero height") << PsdHead(3, 4, 0, 8, 3) + body << "no pixels";
        // Refused before a bitmap is made: the file cannot hold what the header promises.
        const QByteArray raw = PsdHead(3, 2, 2, 8, 3) + RawMerged({"abcd", "efgh", "ijkl"});
        QTest::newRow("raw, two bytes short") << raw.left(raw.size() - 2) << "too short for the picture";
        QTest::newRow("row table cut") << PsdHead(3, 8000, 8000, 8, 3) + QByteArray("\x00\x01\x00\x10", 4)
                                       << "too short for the picture";
        // 8000-byte rows need at least 126 packed bytes each: a table of zero
        // lengths and nothing after it cannot be a picture of 8000 x 1000.
        QTest::newRow("rows far shorter than they can be")
            << PsdHead(3, 8000, 1000, 8, 3) + QByteArray("\x00\x01", 2) + QByteArray(3 * 1000 * 2, '\0')
            << "too short for the picture";
        QTest::newRow("no channels") << PsdHead(0, 1, 1, 8, 3) + body << "damaged";
        QTest::newRow("short header") << QByteArray("8BPS\x00\x01") << "not a Photoshop document";
        QByteArray longSection = PsdHead(3, 1, 1, 8, 3);
        longSection[34] = char(0x7F); // image resources far longer than the file
        QTest::newRow("section past the end") << longSection + body << "no merged picture";
    }

    void rejected()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        QImage img = NewBitmap(1, 2);
        const ImageReadResult r = ReadPSDData(file, img);
        QCOMPARE(int(r.status), int(ImageReadStatus::Rejected));
        QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
        QCOMPARE(img.size(), QSize(1, 2));
    }

    void truncatedKeepsRows_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray r("\x11\x12\x13\x14"), g("\x21\x22\x23\x24"), b("\x31\x32\x33\x34");
        const QByteArray packed = PsdHead(3, 2, 2, 8, 3) + PackedMerged({r, g, b}, 2);
        QTest::newRow("packed") << packed.left(packed.size() - 3);
    }

    void truncatedKeepsRows()
    {
        QFETCH(QByteArray, file);
        QImage img;
        const ImageReadResult r = ReadPSDData(file, img);
        QCOMPARE(int(r.status), int(ImageReadStatus::Truncated));
        QCOMPARE(img.size(), QSize(2, 2));
        // Red and green are complete, blue has its first row.
        QCOMPARE(PixelAt(img, 0, 0), qRgb(0x11, 0x21, 0x31));
        QCOMPARE(PixelAt(img, 1, 1), qRgb(0x14, 0x24, 0x00));
    }

    void noLayersNoFile()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("none.psd");
        TPSDFile psd;
        QVERIFY(!WritePSDLayers(name, psd));
        QVERIFY(!QFile::exists(name));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(!WritePSDLayers(buffer, psd));
        QCOMPARE(buffer.size(), 0);
    }

    void fileErrors()
    {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(FileError, WritePSDFile(dir.filePath("missing/x.psd"), FPicture()));
        const QString big = dir.filePath("big.psd");
        QVERIFY_THROWS_EXCEPTION(FileError, WritePSDFile(big, NewBitmap(30001, 1)));
        QVERIFY(!QFile::exists(big));
        QImage img;
        QVERIFY_THROWS_EXCEPTION(FileError, ReadPSDFile(dir.filePath("absent.psd"), img));
    }
};

QTEST_GUILESS_MAIN(TestPsd)
#include "test_psd.moc"
