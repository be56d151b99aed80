// TGA reader and writer. A file is read through a small moving window: the
// extension area found through the footer, then the header and image ID, then
// the pixel packets (runs may cross rows).
#include "FMXTGA.h"

#include "ByteReader.h"
#include "FileIO.h"
#include "ImageAlloc.h"
#include "Premultiply.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

const char TGASignature[] = "TRUEVISION-XFILE.";

const QDate DayZero(1899, 12, 30);

inline quint32 Pixel24(const uchar *s) { return 0xFF000000u | (quint32(s[2]) << 16) | (quint32(s[1]) << 8) | s[0]; }

inline quint32 Pixel32(const uchar *s)
{
    return (quint32(s[3]) << 24) | (quint32(s[2]) << 16) | (quint32(s[1]) << 8) | s[0];
}

void ConvertPixels(const uchar *src, quint32 *dst, int count, int pixelSize)
{
    if (pixelSize == 4) {
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            std::memcpy(dst, src, size_t(count) * 4);
        } else {
            for (int i = 0; i < count; ++i)
                dst[i] = Pixel32(src + 4 * i);
        }
    } else {
        for (int i = 0; i < count; ++i, src += 3)
            dst[i] = Pixel24(src);
    }
}

// A zero-terminated text inside a fixed field.
QByteArray FieldText(const uchar *p, int size)
{
    int n = 0;
    while (n < size && p[n] != 0)
        ++n;
    return QByteArray(reinterpret_cast<const char *>(p), n);
}

void ReadExtensionArea(ByteReader &in, TTGAParamsVals &params)
{
    const qint64 size = in.size();
    if (size < TGAFooterSize || !in.seek(size - TGAFooterSize))
        return;
    const uchar *footer = in.take(TGAFooterSize);
    if (!footer)
        return;
    const quint32 offset = qFromLittleEndian<quint32>(footer);
    if (FieldText(footer + 8, 18) != QByteArray(TGASignature) || offset == 0)
        return;
    if (qint64(offset) + TGAExtensionSize > size || !in.seek(offset))
        return;
    const uchar *e = in.take(TGAExtensionSize);
    if (!e)
        return;
    ByteReader ext(e, TGAExtensionSize);
    params.fTGA_Author = FieldText(e + 2, 41);

    ext.seek(367);
    const int month = ext.u16le(), day = ext.u16le(), year = ext.u16le();
    const int hour = ext.u16le(), minute = ext.u16le(), second = ext.u16le();
    if (month >= 1 && month <= 12 && day >= 1 && day <= 31 && year >= 1 && year <= 2499 && hour <= 23 && minute <= 59
        && second <= 59) {
        const QDate date(year, month, day);
        if (date.isValid())
            params.fTGA_Date = DateTimeToDays(QDateTime(date, QTime(hour, minute, second)));
    }
    params.fTGA_ImageName = FieldText(e + 379, 41);
    params.fTGA_Background.r = e[471];
    params.fTGA_Background.g = e[472];
    params.fTGA_Background.b = e[473];
    ext.seek(474);
    const int aspectNum = ext.u16le(), aspectDen = ext.u16le();
    const int gammaNum = ext.u16le(), gammaDen = ext.u16le();
    if (aspectNum != 0 && aspectDen != 0)
        params.fTGA_AspectRatio = double(aspectNum) / aspectDen;
    if (gammaNum != 0 && gammaDen != 0)
        params.fTGA_Gamma = double(gammaNum) / gammaDen;
}

QString FormatReason(const QString &what)
{
    return QCoreApplication::translate("Files", "this TGA file uses a colour format the program cannot read (%1)")
        .arg(what);
}

// Ratio fields: numerator / denominator in 16 bits each; 0 is stored as 0/10000.
void RatioWords(double v, quint16 &num, quint16 &den)
{
    int d = 10000;
    double n = std::round(v * d);
    while ((n > 65535 || n < 0) && d > 1) {
        d /= 10;
        n = std::round(v * d);
    }
    num = quint16(qBound(0.0, n, 65535.0));
    den = quint16(d);
}

void Put16(uchar *p, quint16 v) { qToLittleEndian(v, p); }

// Text for the fixed 41-byte fields: at most 40 bytes, never a cut character.
QByteArray FixedText(const QByteArray &text)
{
    if (text.size() <= 40)
        return text;
    int n = 40;
    // Do not leave half of a multi-byte character behind.
    while (n > 0 && (uchar(text[n]) & 0xC0) == 0x80)
        --n;
    return text.left(n);
}

} // namespace

TDateTime DateTimeToDays(const QDateTime &dt)
{
    const qint64 days = DayZero.daysTo(dt.date());
    return double(days) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime DaysToDateTime(TDateTime days)
{
    if (!std::isfinite(days) || std::fabs(days) > 1e7)
        return QDateTime(DayZero, QTime(0, 0));
    const double whole = std::floor(days);
    qint64 msecs = qint64(std::llround((days - whole) * 86400.0)) * 1000;
    QDate date = DayZero.addDays(qint64(whole));
    if (msecs >= 86400000) {
        msecs -= 86400000;
        date = date.addDays(1);
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

void TTGAParamsVals::ResetInfo()
{
    fTGA_Descriptor.clear();
    fTGA_Author.clear();
    fTGA_ImageName.clear();
}

namespace {

// The fields of the 18-byte header the reader uses.
struct TgaHeader {
    int idLength = 0;
    int colorMapType = 0;
    int imageType = 0;
    int colorMapLength = 0;
    int colorMapEntryBits = 0;
    int width = 0;
    int height = 0;
    int depth = 0;
    int descriptor = 0;
};

// Reads and checks the header; the reason the picture cannot be read, or an empty text.
QString ReadTGAHeader(ByteReader &in, TgaHeader &head)
{
    in.seek(0);
    head.idLength = in.u8();
    head.colorMapType = in.u8();
    head.imageType = in.u8();
    in.skip(2); // first colour map entry
    head.colorMapLength = in.u16le();
    head.colorMapEntryBits = in.u8();
    in.skip(4); // origin
    head.width = in.u16le();
    head.height = in.u16le();
    head.depth = in.u8();
    head.descriptor = in.u8();
    const int imageType = head.imageType, depth = head.depth;
    if (!in.ok())
        return QCoreApplication::translate("Files", "the file is too short to be a TGA picture");
    if (imageType == 1 || imageType == 9)
        return FormatReason(QCoreApplication::translate("Files", "%1-bit colour map").arg(depth));
    if (imageType == 3 || imageType == 11)
        return FormatReason(QCoreApplication::translate("Files", "greyscale"));
    if (imageType != 2 && imageType != 10)
        return QCoreApplication::translate("Files", "this is not a TGA picture the program can read");
    if (depth != 24 && depth != 32)
        return FormatReason(QCoreApplication::translate("Files", "%1-bit colour").arg(depth));
    if (head.width == 0 || head.height == 0)
        return QCoreApplication::translate("Files", "the picture has no pixels");
    if (!ImageSizeAccepted(head.width, head.height))
        return QCoreApplication::translate("Files", "the picture is too large (%1 x %2 pixels)")
            .arg(head.width)
            .arg(head.height);
    return {};
}

// Reads the image ID and skips any colour map up to the pixels; false when
// the file is too short for the picture the header describes.
bool ReadTGAPrologue(ByteReader &in, const TgaHeader &head, TTGAParamsVals &params)
{
    const uchar *id = in.take(head.idLength);
    params.fTGA_Descriptor = id ? QByteArray(reinterpret_cast<const char *>(id), head.idLength) : QByteArray();
    // A true-colour picture may still carry a colour map; its entries lie
    // between the image ID and the pixels and mean nothing here.
    if (head.colorMapType == 1)
        in.skip(qint64(head.colorMapLength) * ((head.colorMapEntryBits + 7) / 8));
    params.fTGA_Compressed = head.imageType == 10;
    // The file must be able to hold what the header promises before a bitmap
    // of that size is made: raw pixels all of it, run-length encoded ones at
    // least a packet (a header and one pixel) per 128 pixels.
    const int pixelSize = head.depth / 8;
    const qint64 pixels = qint64(head.width) * head.height;
    const qint64 needed = params.fTGA_Compressed ? (pixels + 127) / 128 * (1 + pixelSize) : pixels * pixelSize;
    return in.ok() && in.remaining() >= needed;
}

// The packet in progress; a foreign file may let it run on into the next row.
struct TgaPacket {
    int left = 0;
    bool isRun = false;
    quint32 runPixel = 0;
};

// Decodes one row of run-length encoded pixels; returns how many pixels
// were decoded, clearing complete when the file ends first.
int DecodeRleRow(ByteReader &in, quint32 *row, int width, int pixelSize, TgaPacket &packet, bool &complete)
{
    int x = 0;
    while (x < width) {
        if (packet.left == 0) {
            if (in.atEnd()) {
                complete = false;
                break;
            }
            const int h = in.u8();
            packet.left = (h & 0x7F) + 1;
            packet.isRun = h & 0x80;
            if (packet.isRun) {
                const uchar *src = in.take(pixelSize);
                if (!src) {
                    complete = false;
                    break;
                }
                packet.runPixel = pixelSize == 4 ? Pixel32(src) : Pixel24(src);
            }
        }
        int n = std::min(packet.left, width - x);
        if (packet.isRun) {
            std::fill(row + x, row + x + n, packet.runPixel);
        } else {
            const qint64 avail = std::min<qint64>(in.remaining() / pixelSize, n);
            ConvertPixels(in.take(avail * pixelSize), row + x, int(avail), pixelSize);
            if (avail < n) {
                x += int(avail);
                complete = false;
                break;
            }
        }
        x += n;
        packet.left -= n;
    }
    return x;
}

// Decodes the pixels into img, row by row in file order; false when the
// file ends early (what is left undecoded is cleared).
bool DecodeTGAPixels(ByteReader &in, const TgaHeader &head, bool compressed, QImage &img)
{
    const int width = head.width, height = head.height;
    const int pixelSize = head.depth / 8;
    const bool topDown = head.descriptor & 0x20;
    const bool mirrored = head.descriptor & 0x10;
    bool complete = true;
    TgaPacket packet;

    int i = 0;
    for (; i < height && complete; ++i) {
        const int y = topDown ? i : height - 1 - i;
        auto *row = reinterpret_cast<quint32 *>(img.scanLine(y));
        int x = 0;
        if (!compressed) {
            const qint64 avail = std::min<qint64>(in.remaining() / pixelSize, width);
            const uchar *src = in.take(avail * pixelSize);
            ConvertPixels(src, row, int(avail), pixelSize);
            x = int(avail);
            complete = avail == width;
        } else {
            x = DecodeRleRow(in, row, width, pixelSize, packet, complete);
        }
        if (x < width)
            std::fill(row + x, row + width, 0u);
        if (pixelSize == 4)
            PremultiplyRow(row, x);
        if (mirrored)
            std::reverse(row, row + width);
    }
    for (; i < height; ++i)
        std::memset(img.scanLine(topDown ? i : height - 1 - i), 0, size_t(img.bytesPerLine()));
    return complete;
}

ImageReadResult ReadTGA(ByteReader &in, QImage &bitmap, TTGAParamsVals &params)
{
    params.fTGA_Author.clear();
    params.fTGA_Date = DateTimeToDays(QDateTime(QDate::currentDate(), QTime(0, 0)));
    params.fTGA_ImageName.clear();
    params.fTGA_Background = TRGB();
    params.fTGA_AspectRatio = 1.0;
    params.fTGA_Gamma = 2.2;
    ReadExtensionArea(in, params);

    ImageReadResult result;
    TgaHeader head;
    result.reason = ReadTGAHeader(in, head);
    if (!result.reason.isEmpty())
        return result;
    const int width = head.width, height = head.height;
    if (!ReadTGAPrologue(in, head, params)) {
        result.reason = QCoreApplication::translate(
                            "Files", "the file is too short for the picture its header describes (%1 x %2 pixels)")
                            .arg(width)
                            .arg(height);
        return result;
    }
    params.fWidth = params.fOriginalWidth = width;
    params.fHeight = params.fOriginalHeight = height;
    params.fBitsPerSample = 8;
    params.fSamplesPerPixel = head.depth / 8;

    if (!ReuseOrAllocate(bitmap, width, height)) {
        result.reason
            = QCoreApplication::translate("Files", "there is not enough memory for a picture of %1 x %2 pixels")
                  .arg(width)
                  .arg(height);
        return result;
    }
    // Not cleared: every pixel is written, and what a damaged file leaves
    // undecoded is cleared at the end.
    if (DecodeTGAPixels(in, head, params.fTGA_Compressed, bitmap)) {
        result.status = ImageReadStatus::Read;
    } else {
        result.status = ImageReadStatus::Truncated;
        result.reason = QCoreApplication::translate("Files", "the file is incomplete or damaged");
    }
    return result;
}

} // namespace

ImageReadResult ReadTGAData(const QByteArray &data, QImage &bitmap, TTGAParamsVals &params)
{
    ByteReader in(reinterpret_cast<const uchar *>(data.constData()), data.size());
    return ReadTGA(in, bitmap, params);
}

ImageReadResult ReadTGAFile(const QString &fileName, QImage &bitmap, QString &author)
{
    TTGAParamsVals params;
    params.ResetInfo();
    QFile file;
    OpenForReading(file, fileName);
    ByteReader in(file, file.size());
    ImageReadResult result = ReadTGA(in, bitmap, params);
    author = QString::fromLocal8Bit(params.fTGA_Author);
    return result;
}

int EncodeTGARow24(const quint32 *row, int width, uchar *out)
{
    constexpr quint32 Rgb = 0x00FFFFFF;
    uchar *o = out;
    auto put = [&o](quint32 p) {
        o[0] = uchar(p);
        o[1] = uchar(p >> 8);
        o[2] = uchar(p >> 16);
        o += 3;
    };
    int x = 0;
    while (x < width) {
        const quint32 c = row[x] & Rgb;
        int n = 1;
        while (n < 128 && x + n < width && (row[x + n] & Rgb) == c)
            ++n;
        if (n >= 2) {
            *o++ = uchar((n - 1) | 0x80);
            put(c);
            x += n;
            continue;
        }
        // Two equal neighbours end the raw packet: they make a run of their own.
        const int start = x;
        int m = 0;
        while (x < width - 1 && (row[x] & Rgb) != (row[x + 1] & Rgb) && m < 127) {
            ++m;
            ++x;
        }
        if (x == width - 1) {
            ++m;
            ++x;
        }
        *o++ = uchar(m - 1);
        for (int i = 0; i < m; ++i)
            put(row[start + i]);
    }
    return int(o - out);
}

bool TGASizeWritable(const QImage &bitmap)
{
    return !bitmap.isNull() && bitmap.width() <= 0xFFFF && bitmap.height() <= 0xFFFF;
}

namespace {

// Writes to the device, counting the bytes (the footer needs the extension
// area's offset) and giving up after the first failed write.
class TgaOut
{
public:
    explicit TgaOut(QIODevice &dev) : m_dev(dev) { }
    void write(const void *p, qint64 n)
    {
        if (m_ok && m_dev.write(static_cast<const char *>(p), n) != n)
            m_ok = false;
        m_written += n;
    }
    bool ok() const { return m_ok; }
    qint64 written() const { return m_written; }

private:
    QIODevice &m_dev;
    qint64 m_written = 0;
    bool m_ok = true;
};

void WriteTGAHeader(TgaOut &out, int width, int height, bool alpha, bool compressed, const QByteArray &descriptor)
{
    QByteArray id = descriptor.left(254);
    uchar header[TGAHeaderSize] = {};
    header[0] = uchar(id.size() + 1);
    header[2] = compressed ? 10 : 2;
    Put16(header + 12, quint16(width));
    Put16(header + 14, quint16(height));
    header[16] = uchar(alpha ? 32 : 24);
    header[17] = alpha ? 0x28 : 0x20;
    id.append('\0');
    out.write(header, TGAHeaderSize);
    out.write(id.constData(), id.size());
}

// Puts one row of straight (not premultiplied) pixels into dst in the file's
// form; returns the number of bytes.
qint64 EncodeTGARow(const std::vector<quint32> &straight, int width, bool alpha, bool compressed, uchar *dst)
{
    if (compressed)
        return EncodeTGARow24(straight.data(), width, dst);
    if (alpha) {
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            std::memcpy(dst, straight.data(), size_t(width) * 4);
        } else {
            for (int x = 0; x < width; ++x)
                qToLittleEndian(straight[x], dst + 4 * x);
        }
        return qint64(width) * 4;
    }
    for (int x = 0; x < width; ++x, dst += 3) {
        dst[0] = uchar(straight[x]);
        dst[1] = uchar(straight[x] >> 8);
        dst[2] = uchar(straight[x] >> 16);
    }
    return qint64(width) * 3;
}

void WriteTGAPixels(TgaOut &out, const QImage &bmp, bool alpha, bool compressed)
{
    const int width = bmp.width();
    const int height = bmp.height();
    // Rows are gathered into blocks of about 1 MiB before each write.
    const qint64 rowMax = compressed ? 4 * qint64(width) + 4 : qint64(width) * (alpha ? 4 : 3);
    const qint64 blockSize = std::max<qint64>(rowMax, qint64(1) << 20);
    std::vector<uchar> block(static_cast<size_t>(blockSize + rowMax));
    std::vector<quint32> straight(static_cast<size_t>(width));
    qint64 fill = 0;
    for (int y = 0; y < height && out.ok(); ++y) {
        const auto *src = reinterpret_cast<const quint32 *>(bmp.constScanLine(y));
        for (int x = 0; x < width; ++x)
            straight[x] = qUnpremultiply(src[x]);
        fill += EncodeTGARow(straight, width, alpha, compressed, block.data() + fill);
        if (fill >= blockSize) {
            out.write(block.data(), fill);
            fill = 0;
        }
    }
    out.write(block.data(), fill);
}

// The extension area and the footer that points at it.
void WriteTGAExtension(TgaOut &out, const TTGAParamsVals &params)
{
    const qint64 extOffset = out.written();
    uchar ext[TGAExtensionSize] = {};
    Put16(ext, TGAExtensionSize);
    const QByteArray author = FixedText(params.fTGA_Author);
    std::memcpy(ext + 2, author.constData(), size_t(author.size()));
    const QDateTime stamp = DaysToDateTime(params.fTGA_Date);
    const QDate d = stamp.date();
    const QTime t = stamp.time();
    const int year = qBound(0, d.year(), 0xFFFF);
    const quint16 words[6] = {quint16(d.month()), quint16(d.day()),    quint16(year),
                              quint16(t.hour()),  quint16(t.minute()), quint16(t.second())};
    for (int i = 0; i < 6; ++i)
        Put16(ext + 367 + 2 * i, words[i]);
    const QByteArray job = FixedText(params.fTGA_ImageName);
    std::memcpy(ext + 379, job.constData(), size_t(job.size()));
    ext[470] = 0;
    ext[471] = params.fTGA_Background.r;
    ext[472] = params.fTGA_Background.g;
    ext[473] = params.fTGA_Background.b;
    quint16 num, den;
    RatioWords(params.fTGA_AspectRatio, num, den);
    Put16(ext + 474, num);
    Put16(ext + 476, den);
    RatioWords(params.fTGA_Gamma, num, den);
    Put16(ext + 478, num);
    Put16(ext + 480, den);
    out.write(ext, TGAExtensionSize);

    uchar footer[TGAFooterSize] = {};
    qToLittleEndian(quint32(extOffset), footer);
    std::memcpy(footer + 8, TGASignature, sizeof(TGASignature));
    out.write(footer, TGAFooterSize);
}

} // namespace

bool WriteTGA(QIODevice &dev, const QImage &source, const TTGAParamsVals &params)
{
    if (!TGASizeWritable(source))
        return false;
    const QImage bmp = source.format() == BitmapFormat ? source : source.convertToFormat(BitmapFormat);
    const bool alpha = params.fAlphaUsed;
    const bool compressed = !alpha && params.fTGA_Compressed;
    TgaOut out(dev);
    WriteTGAHeader(out, bmp.width(), bmp.height(), alpha, compressed, params.fTGA_Descriptor);
    WriteTGAPixels(out, bmp, alpha, compressed);
    WriteTGAExtension(out, params);
    return out.ok();
}

void WriteTGAFile(const QString &fileName, const QImage &bitmap, const QString &author, bool hasAlpha)
{
    if (bitmap.isNull())
        throw FileError(SaveErrorText(fileName, QCoreApplication::translate("Files", "there is no picture to save")));
    if (!TGASizeWritable(bitmap))
        throw FileError(SaveErrorText(
            fileName, QCoreApplication::translate(
                          "Files", "a TGA file cannot hold a picture wider or taller than 65535 pixels")));
    TTGAParamsVals params;
    params.ResetInfo();
    params.fTGA_Compressed = !hasAlpha;
    params.fTGA_Author = author.toLocal8Bit();
    params.fAlphaUsed = hasAlpha;
    SaveFileSafely(fileName, [&](QIODevice &dev) { return WriteTGA(dev, bitmap, params); });
}
