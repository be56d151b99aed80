// TGA reader and writer: packet encoding, orientation, runs across rows, the
// extension area, straight colour in the file, and damaged or foreign files.
#include "TestPictures.h"
#include "imagefiles/FMXTGA.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray Encode(const QVector<quint32> &row)
{
    QByteArray out(4 * row.size() + 4, '\0');
    out.resize(EncodeTGARow24(row.constData(), int(row.size()), reinterpret_cast<uchar *>(out.data())));
    return out;
}

// The packet headers of an encoded row, walking the packets.
QByteArray PacketHeaders(const QByteArray &encoded)
{
    QByteArray headers;
    int i = 0;
    while (i < encoded.size()) {
        const uchar h = uchar(encoded[i]);
        headers.append(char(h));
        i += 1 + ((h & 0x80) ? 3 : 3 * ((h & 0x7F) + 1));
    }
    return headers;
}

QByteArray Bgr(quint32 p) { return QByteArray() + char(p & 0xFF) + char((p >> 8) & 0xFF) + char((p >> 16) & 0xFF); }

QByteArray Bgra(quint32 p) { return Bgr(p) + char(p >> 24); }

QByteArray Written(const QImage &img, bool alpha, const QByteArray &author = "ORVEN PROJECT")
{
    TTGAParamsVals params;
    params.fAlphaUsed = alpha;
    params.fTGA_Compressed = !alpha;
    params.fTGA_Author = author;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!WriteTGA(buffer, img, params))
        return QByteArray();
    return buffer.data();
}

QImage Read(const QByteArray &file, ImageReadStatus expect = ImageReadStatus::Read)
{
    QImage img;
    TTGAParamsVals params;
    const ImageReadResult r = ReadTGAData(file, img, params);
    if (r.status != expect)
        qWarning() << "unexpected read status" << int(r.status) << r.reason;
    return img;
}

// Footer with the signature and the given extension offset.
QByteArray Footer(quint32 extOffset)
{
    QByteArray f;
    Le32(f, extOffset);
    Le32(f, 0);
    f.append("TRUEVISION-XFILE.");
    f.append('\0');
    return f;
}

// A device that accepts a number of bytes and then refuses, like a full disk.
class FullDevice : public QIODevice
{
public:
    explicit FullDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override
    {
        if (len > m_room)
            return -1;
        m_room -= len;
        return len;
    }

private:
    qint64 m_room;
};

const quint32 A = 0xFF102030, B = 0xFF405060, C = 0xFF708090, D = 0xFFA0B0C0;

} // namespace

class TestTga : public QObject
{
    Q_OBJECT

private slots:
    void encodeRow_data()
    {
        QTest::addColumn<QVector<quint32>>("row");
        QTest::addColumn<QByteArray>("headers");
        QVector<quint32> distinct130, distinct128;
        for (int i = 0; i < 130; ++i)
            distinct130 << (0xFF000000u | quint32(i * 7919));
        distinct128 = distinct130.mid(0, 128);
        QTest::newRow("300 equal: runs of 128, 128, 44") << QVector<quint32>(300, A) << QByteArray("\xFF\xFF\xAB");
        QTest::newRow("130 distinct: raw 127 and raw 3") << distinct130 << QByteArray("\x7E\x02");
        QTest::newRow("128 distinct: the last pixel completes a raw 128") << distinct128 << QByteArray("\x7F");
        QTest::newRow("A B B: raw A, run B") << QVector<quint32>{A, B, B} << QByteArray("\x00\x81", 2);
        QTest::newRow("A A B C: last two inside a raw packet")
            << QVector<quint32>{A, A, B, C} << QByteArray("\x81\x01");
        QTest::newRow("A B C D: one raw packet") << QVector<quint32>{A, B, C, D} << QByteArray("\x03");
        QTest::newRow("single pixel") << QVector<quint32>{A} << QByteArray("\x00", 1);
        QTest::newRow("alpha is not compared") << QVector<quint32>{A, A & 0x00FFFFFF} << QByteArray("\x81");
    }

    void encodeRow()
    {
        QFETCH(QVector<quint32>, row);
        QFETCH(QByteArray, headers);
        const QByteArray encoded = Encode(row);
        QCOMPARE(PacketHeaders(encoded).toHex(' '), headers.toHex(' '));

        // The packets decode back to the row (as a one-row 24-bit RLE file).
        const QImage img = Read(TgaHeader(10, int(row.size()), 1, 24, 0x20) + encoded);
        QCOMPARE(img.size(), QSize(int(row.size()), 1));
        for (int x = 0; x < row.size(); ++x)
            QCOMPARE(PixelAt(img, x, 0), row[x] | 0xFF000000u);
    }

    void rawPacketDataIsThePixels()
    {
        const QByteArray encoded = Encode({A, B, B});
        QCOMPARE(encoded.toHex(), (QByteArray("\x00", 1) + Bgr(A) + "\x81" + Bgr(B)).toHex());
    }

    // Every value a premultiplied bitmap can hold survives a 32-bit write and read.
    void roundTrip32EveryValue()
    {
        QImage img = NewBitmap(256, 256);
        for (int a = 0; a < 256; ++a) {
            auto *row = reinterpret_cast<quint32 *>(img.scanLine(a));
            for (int c = 0; c < 256; ++c)
                row[c] = qRgba(qMin(c, a), qMin(255 - c, a), qMin(c / 2, a), a);
        }
        const QImage back = Read(Written(img, true));
        QCOMPARE(back.format(), BitmapFormat);
        QVERIFY(back == img);
    }

    // Files hold straight colour: other programs see the colour that was drawn.
    void fileHoldsStraightColour()
    {
        QImage img = NewBitmap(1, 1);
        const QRgb straight = qRgba(200, 100, 50, 128);
        img.setPixel(0, 0, qPremultiply(straight));
        const QByteArray file = Written(img, true);
        const QByteArray px = file.mid(TGAHeaderSize + 1, 4);
        QCOMPARE(px.toHex(), Bgra(qUnpremultiply(qPremultiply(straight))).toHex());
        QVERIFY(qAbs(uchar(px[2]) - 200) <= 1);

        // And a foreign translucent pixel is premultiplied on reading.
        const QImage back = Read(TgaHeader(2, 1, 1, 32, 0x28) + Bgra(straight));
        QCOMPARE(PixelAt(back, 0, 0), qPremultiply(straight));
    }

    void roundTrip24Rle()
    {
        const QImage img = FPicture();
        const QByteArray file = Written(img, false);
        QCOMPARE(int(file[2]), 10);
        QCOMPARE(int(file[16]), 24);
        QCOMPARE(int(file[17]), 0x20);
        const QImage back = Read(file);
        QCOMPARE(back.size(), img.size());
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const quint32 p = PixelAt(img, x, y);
                const quint32 expected = qAlpha(p) == 0 ? 0xFF000000u : (qUnpremultiply(p) | 0xFF000000u);
                QCOMPARE(PixelAt(back, x, y), expected);
            }
    }

    void writtenLayoutAndExtensionArea()
    {
        const QImage img = FPicture(7, 5);
        const QByteArray file = Written(img, true);
        const QByteArray header = file.left(19);
        QCOMPARE(header.toHex(), (TgaHeader(2, 7, 5, 32, 0x28, 1) + '\0').toHex());
        const qint64 e = TGAHeaderSize + 1 + 7 * 5 * 4;
        QCOMPARE(file.size(), e + TGAExtensionSize + TGAFooterSize);
        QCOMPARE(file.right(TGAFooterSize).toHex(), Footer(quint32(e)).toHex());

        const QByteArray ext = file.mid(e, TGAExtensionSize);
        QByteArray expected(TGAExtensionSize, '\0');
        expected[0] = char(0xEF);
        expected[1] = char(0x01);
        expected.replace(2, 13, "ORVEN PROJECT");
        QByteArray date;
        for (int w : {12, 30, 1899, 0, 0, 0})
            Le16(date, w);
        expected.replace(367, 12, date);
        QByteArray ratios;
        for (int w : {0, 10000, 0, 10000})
            Le16(ratios, w);
        expected.replace(474, 8, ratios);
        QCOMPARE(ext.toHex(), expected.toHex());

        QImage back;
        TTGAParamsVals params;
        QVERIFY(ReadTGAData(file, back, params).read());
        QCOMPARE(params.fTGA_Author, QByteArray("ORVEN PROJECT"));
        QCOMPARE(params.fTGA_Date, 0.0);
        QCOMPARE(DaysToDateTime(params.fTGA_Date), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
        QCOMPARE(params.fTGA_AspectRatio, 1.0); // a numerator of 0 keeps the default
        QCOMPARE(params.fTGA_Gamma, 2.2);
    }

    void longAuthorIsCutAt40Bytes()
    {
        QImage back;
        TTGAParamsVals params;
        QVERIFY(ReadTGAData(Written(FPicture(3, 3), true, QByteArray(60, 'x')), back, params).read());
        QCOMPARE(params.fTGA_Author, QByteArray(40, 'x'));
    }

    void orientation_data()
    {
        QTest::addColumn<int>("descriptor");
        QTest::addColumn<QVector<quint32>>("expected"); // the bitmap, row by row from the top
        // The file holds A B C then B C D in that order.
        QTest::newRow("0x00 bottom-left") << 0x00 << QVector<quint32>{B, C, D, A, B, C};
        QTest::newRow("0x20 top-left") << 0x20 << QVector<quint32>{A, B, C, B, C, D};
        QTest::newRow("0x30 top-right") << 0x30 << QVector<quint32>{C, B, A, D, C, B};
        QTest::newRow("0x10 bottom-right") << 0x10 << QVector<quint32>{D, C, B, C, B, A};
    }

    void orientation()
    {
        QFETCH(int, descriptor);
        QFETCH(QVector<quint32>, expected);
        QByteArray file = TgaHeader(2, 3, 2, 24, descriptor);
        for (quint32 p : {A, B, C, B, C, D})
            file += Bgr(p);
        const QImage img = Read(file);
        QVector<quint32> got;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                got << PixelAt(img, x, y);
        QCOMPARE(got, expected);
    }

    // Foreign writers may let a packet run on into the next row.
    void packetsAcrossRows_data()
    {
        QTest::addColumn<QByteArray>("across");
        QTest::addColumn<QByteArray>("split");
        QTest::newRow("run") << (QByteArray("\x83") + Bgr(A) + "\x01" + Bgr(B) + Bgr(C))
                             << (QByteArray("\x82") + Bgr(A) + "\x80" + Bgr(A) + "\x01" + Bgr(B) + Bgr(C));
        QTest::newRow("raw") << (QByteArray("\x03") + Bgr(A) + Bgr(B) + Bgr(C) + Bgr(D) + "\x81" + Bgr(A))
                             << (QByteArray("\x02") + Bgr(A) + Bgr(B) + Bgr(C) + QByteArray("\x00", 1) + Bgr(D) + "\x81"
                                 + Bgr(A));
    }

    void packetsAcrossRows()
    {
        QFETCH(QByteArray, across);
        QFETCH(QByteArray, split);
        const QByteArray header = TgaHeader(10, 3, 2, 24, 0x20);
        const QImage a = Read(header + across), b = Read(header + split);
        QCOMPARE(a.size(), QSize(3, 2));
        QVERIFY(a == b);
    }

    void extensionArea_data()
    {
        QTest::addColumn<QByteArray>("tail"); // what follows one 24-bit pixel
        QTest::addColumn<QByteArray>("author");
        QTest::addColumn<QDateTime>("date"); // invalid: today at midnight
        QTest::addColumn<double>("aspect");

        const qint64 e = TGAHeaderSize + 3;
        auto ext = [](int month, int day, int year, int hour, int min, int sec, int an, int ad) {
            QByteArray x(TGAExtensionSize, '\0');
            x.replace(2, 7, "Teacher");
            QByteArray w;
            for (int v : {month, day, year, hour, min, sec})
                Le16(w, v);
            x.replace(367, 12, w);
            QByteArray r;
            for (int v : {an, ad, 0, 0})
                Le16(r, v);
            x.replace(474, 8, r);
            return x;
        };
        QTest::newRow("no footer") << QByteArray() << QByteArray() << QDateTime() << 1.0;
        QTest::newRow("signature, offset 0") << Footer(0) << QByteArray() << QDateTime() << 1.0;
        QTest::newRow("offset past the end") << Footer(100000) << QByteArray() << QDateTime() << 1.0;
        QTest::newRow("valid stamp") << ext(5, 17, 2023, 10, 20, 30, 3, 2) + Footer(quint32(e)) << QByteArray("Teacher")
                                     << QDateTime(QDate(2023, 5, 17), QTime(10, 20, 30)) << 1.5;
        QTest::newRow("month 13") << ext(13, 1, 2023, 0, 0, 0, 0, 0) + Footer(quint32(e)) << QByteArray("Teacher")
                                  << QDateTime() << 1.0;
        QTest::newRow("30 February") << ext(2, 30, 2023, 0, 0, 0, 1, 0) + Footer(quint32(e)) << QByteArray("Teacher")
                                     << QDateTime() << 1.0;
        QTest::newRow("second 60") << ext(2, 3, 2023, 0, 0, 60, 1, 0) + Footer(quint32(e)) << QByteArray("Teacher")
                                   << QDateTime() << 1.0;
    }

    void extensionArea()
    {
        QFETCH(QByteArray, tail);
        QFETCH(QByteArray, author);
        QFETCH(QDateTime, date);
        QFETCH(double, aspect);
        QImage img;
        TTGAParamsVals params;
        QVERIFY(ReadTGAData(TgaHeader(2, 1, 1, 24, 0x20) + Bgr(A) + tail, img, params).read());
        QCOMPARE(params.fTGA_Author, author);
        const QDateTime expected = date.isValid() ? date : QDateTime(QDate::currentDate(), QTime(0, 0));
        QCOMPARE(DaysToDateTime(params.fTGA_Date), expected);
        QCOMPARE(params.fTGA_AspectRatio, aspect);
        QCOMPARE(params.fTGA_Gamma, 2.2);
        QCOMPARE(PixelAt(img, 0, 0), A);
    }

    void rejectedHeaders_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("colour-mapped") << TgaHeader(1, 2, 2, 8, 0) + QByteArray(4, 'x') << "8-bit colour map";
        QTest::newRow("RLE colour-mapped") << TgaHeader(9, 2, 2, 8, 0) << "colour map";
        QTest::newRow("greyscale") << TgaHeader(3, 2, 2, 8, 0) << "greyscale";
        QTest::newRow("RLE greyscale") << TgaHeader(11, 2, 2, 8, 0) << "greyscale";
        QTest::newRow("16-bit") << TgaHeader(2, 2, 2, 16, 0) << "16-bit colour";
        QTest::newRow("15-bit") << TgaHeader(10, 2, 2, 15, 0) << "15-bit colour";
        QTest::newRow("no image") << TgaHeader(0, 2, 2, 24, 0) << "not a TGA picture";
        QTest::newRow("zero width") << TgaHeader(2, 0, 2, 24, 0) << "no pixels";
        QTest::newRow("too short") << QByteArray(10, '\0') << "too short";
        QTest::newRow("empty") << QByteArray() << "too short";
        QTest::newRow("65535 x 65535") << TgaHeader(10, 65535, 65535, 32, 0) + "\xFF\x01\x02\x03\x04"
                                       << "too large";
    }

    void rejectedHeaders()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        QImage img = NewBitmap(2, 3);
        img.fill(0xFF123456u);
        const QImage before = img.copy();
        TTGAParamsVals params;
        const ImageReadResult r = ReadTGAData(file, img, params);
        QCOMPARE(int(r.status), int(ImageReadStatus::Rejected));
        QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
        QVERIFY(img == before);
    }

    // The author of a file whose picture is refused still reaches the caller.
    void authorOfRejectedFile()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("map.tga");
        QByteArray ext(TGAExtensionSize, '\0');
        ext.replace(2, 5, "Maker");
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(TgaHeader(1, 1, 1, 8, 0) + "\x01" + ext + Footer(TGAHeaderSize + 1));
        f.close();
        QImage img;
        QString author = "old";
        QVERIFY(!ReadTGAFile(name, img, author).read());
        QCOMPARE(author, QString("Maker"));
        QVERIFY(img.isNull());
    }

    void truncatedDataKeepsDecodedRows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("pixelsKept"); // in file order, top-down
        QByteArray rle = TgaHeader(10, 3, 3, 24, 0x00);
        rle += QByteArray("\x83") + Bgr(A) + "\x7F" + Bgr(B); // a raw packet of 128 with one pixel in it
        QTest::newRow("RLE raw packet cut short") << rle << 5;
    }

    void truncatedDataKeepsDecodedRows()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, pixelsKept);
        QImage img;
        TTGAParamsVals params;
        const ImageReadResult r = ReadTGAData(file, img, params);
        QCOMPARE(int(r.status), int(ImageReadStatus::Truncated));
        QVERIFY(!r.reason.isEmpty());
        QCOMPARE(img.size(), QSize(3, 3));
        const bool topDown = file[17] & 0x20;
        for (int i = 0; i < 9; ++i) {
            const int y = topDown ? i / 3 : 2 - i / 3;
            const quint32 p = PixelAt(img, i % 3, y);
            if (i < pixelsKept)
                QVERIFY2(p != 0, qPrintable(QString::number(i)));
            else
                QCOMPARE(p, 0u);
        }
    }

    // A file too short for what its header promises is refused before a
    // bitmap is made: raw pixels must all be there, run-length encoded ones
    // need at least a packet (header and pixel) per 128 pixels.
    void tooShortForHeaderIsRefused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QByteArray raw = TgaHeader(2, 3, 3, 32, 0x28);
        for (int i = 0; i < 8; ++i)
            raw += Bgra(0xFF000000u | quint32(i + 1));
        QTest::newRow("raw, one pixel short") << raw + "\x01\x02\x03";
        QTest::newRow("RLE header only") << TgaHeader(10, 3, 3, 24, 0x00) + "\x85";
        // 200 x 200 pixels need 313 packets of at least 4 bytes.
        QTest::newRow("RLE, 1251 bytes for 40000 pixels")
            << TgaHeader(10, 200, 200, 24, 0x20) + QByteArray(1251, '\xFF');
        QTest::newRow("16000 x 16000, nothing after the header")
            << TgaHeader(2, 16000, 16000, 32, 0x28) + QByteArray(26, '\0');
        QByteArray longId = TgaHeader(2, 1, 1, 24, 0x20, 200);
        QTest::newRow("image ID past the end") << longId + QByteArray(10, 'i');
    }

    void tooShortForHeaderIsRefused()
    {
        QFETCH(QByteArray, file);
        QImage img = NewBitmap(1, 2);
        TTGAParamsVals params;
        const ImageReadResult r = ReadTGAData(file, img, params);
        QCOMPARE(int(r.status), int(ImageReadStatus::Rejected));
        QVERIFY2(r.reason.contains("too short for the picture"), qPrintable(r.reason));
        QCOMPARE(img.size(), QSize(1, 2));
        // One byte more than the minimum reads (as far as the data goes).
        if (QTest::currentDataTag() == QByteArray("RLE, 1251 bytes for 40000 pixels"))
            QVERIFY(ReadTGAData(file + "\xFF", img, params).status != ImageReadStatus::Rejected);
    }

    // A true-colour file may carry a colour map before its pixels.
    void colourMapIsSkipped()
    {
        QByteArray file = TgaHeader(2, 2, 1, 24, 0x20, 1);
        file[1] = 1; // colour map present
        file[5] = 2; // two entries
        file[7] = 24; // of 24 bits
        file += "I" + Bgr(D) + Bgr(D) + Bgr(A) + Bgr(B);
        const QImage img = Read(file);
        QCOMPARE(PixelAt(img, 0, 0), A);
        QCOMPARE(PixelAt(img, 1, 0), B);
    }

    void writeFailures()
    {
        const QImage img = FPicture();
        for (bool alpha : {true, false}) {
            for (qint64 room : {0, 10, 200, 600}) {
                FullDevice dev(room);
                TTGAParamsVals params;
                params.fAlphaUsed = alpha;
                params.fTGA_Compressed = !alpha;
                QVERIFY(!WriteTGA(dev, img, params));
            }
        }
        QTemporaryDir dir;
        const QString wide = dir.filePath("wide.tga");
        QVERIFY_THROWS_EXCEPTION(FileError, WriteTGAFile(wide, NewBitmap(70000, 1), "x", true));
        QVERIFY(!QFile::exists(wide));
        try {
            WriteTGAFile(dir.filePath("no/such/folder/x.tga"), img, "x", true);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains("x.tga") && e.message().contains("folder"), qPrintable(e.message()));
        }
    }

    void fileRoundTrip()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("f.tga");
        const QImage img = FPicture();
        WriteTGAFile(name, img, "Ms Example", true);
        QImage back;
        QString author;
        QVERIFY(ReadTGAFile(name, back, author).read());
        QVERIFY(back == img);
        QCOMPARE(author, QString("Ms Example"));
    }
};

QTEST_GUILESS_MAIN(TestTga)
#include "test_tga.moc"
