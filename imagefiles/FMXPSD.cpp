// PSD reader and writers. Length fields are written as placeholders and filled
// in by seeking back once their section is complete, so a document is written
// in one pass; rows are packed one at a time with PackBits.
#include "FMXPSD.h"

#include "ByteReader.h"
#include "FileIO.h"
#include "ImageAlloc.h"
#include "Premultiply.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include <QFile>
#include <QIODevice>
#include <QPainter>

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Big-endian output with placeholders that are filled in later.
class PsdOut
{
public:
    explicit PsdOut(QIODevice &dev) : m_dev(dev) {}

    bool ok() const { return m_ok; }
    qint64 pos() const { return m_dev.pos(); }

    void bytes(const void *p, qint64 n)
    {
        if (m_ok && n > 0 && m_dev.write(static_cast<const char *>(p), n) != n)
            m_ok = false;
    }
    void u8(quint8 v) { bytes(&v, 1); }
    void u16(quint16 v)
    {
        const uchar b[2] = {uchar(v >> 8), uchar(v)};
        bytes(b, 2);
    }
    void u32(quint32 v)
    {
        const uchar b[4] = {uchar(v >> 24), uchar(v >> 16), uchar(v >> 8), uchar(v)};
        bytes(b, 4);
    }
    void text(const char *s) { bytes(s, qint64(std::strlen(s))); }

    qint64 placeholder32()
    {
        const qint64 at = pos();
        u32(0);
        return at;
    }
    void patch32(qint64 at, quint32 v)
    {
        if (!m_ok)
            return;
        const qint64 end = pos();
        if (!m_dev.seek(at)) {
            m_ok = false;
            return;
        }
        u32(v);
        if (!m_dev.seek(end))
            m_ok = false;
    }
    // Fills a length placeholder with the bytes written after it.
    void patchLength(qint64 at) { patch32(at, quint32(pos() - at - 4)); }

private:
    QIODevice &m_dev;
    bool m_ok = true;
};

// Channels of a bitmap packed row by row: per channel the row byte counts
// (big-endian) and the packed rows, ready to be written one after the other.
// Buffers are left uninitialised: only the bytes packed are ever touched.
class PackedChannels
{
public:
    // shifts: which byte of a straight 0xAARRGGBB pixel each channel takes
    // (24 alpha, 16 red, 8 green, 0 blue). The buffers are kept for the next
    // pack, so the layers and the merged image of a document share them.
    void begin(int width, int height, std::initializer_list<int> shifts)
    {
        m_count = int(shifts.size());
        m_width = width;
        m_height = height;
        m_row = 0;
        const size_t rowMax = size_t(m_width) + size_t(m_width) / 128 + 1;
        std::copy(shifts.begin(), shifts.end(), m_shift);
        for (int c = 0; c < m_count; ++c) {
            m_fill[c] = 0;
            if (m_countsCap[c] < size_t(m_height) * 2) {
                m_countsCap[c] = size_t(m_height) * 2;
                m_counts[c].reset(new uchar[m_countsCap[c]]);
            }
            if (m_rowsCap[c] < rowMax * size_t(m_height)) {
                m_rowsCap[c] = rowMax * size_t(m_height);
                m_rows[c].reset(new uchar[m_rowsCap[c]]);
            }
        }
        if (m_lineCap < size_t(m_width)) {
            m_lineCap = size_t(m_width);
            m_straight.reset(new quint32[m_lineCap]);
            m_channel.reset(new uchar[m_lineCap]);
        }
    }

    // Packs the next row: width premultiplied pixels.
    void add(const quint32 *src)
    {
        if (m_row >= m_height)
            return;
        for (int x = 0; x < m_width; ++x)
            m_straight[x] = qUnpremultiply(src[x]);
        for (int c = 0; c < m_count; ++c) {
            const int shift = m_shift[c];
            for (int x = 0; x < m_width; ++x)
                m_channel[x] = uchar(m_straight[x] >> shift);
            const int n = PackBitsRow(m_channel.get(), m_width, m_rows[c].get() + m_fill[c]);
            m_counts[c][2 * m_row] = uchar(n >> 8);
            m_counts[c][2 * m_row + 1] = uchar(n);
            m_fill[c] += size_t(n);
        }
        ++m_row;
    }

    void pack(const QImage &source, std::initializer_list<int> shifts)
    {
        const QImage bmp = ToBitmap(source);
        begin(bmp.width(), bmp.height(), shifts);
        for (int y = 0; y < m_height; ++y)
            add(reinterpret_cast<const quint32 *>(bmp.constScanLine(y)));
    }

    int count() const { return m_count; }
    const uchar *counts(int c) const { return m_counts[c].get(); }
    qint64 countsSize() const { return qint64(m_height) * 2; }
    const uchar *rows(int c) const { return m_rows[c].get(); }
    qint64 rowsSize(int c) const { return qint64(m_fill[c]); }

private:
    int m_count = 0;
    int m_width = 0;
    int m_height = 0;
    int m_shift[4] = {};
    std::unique_ptr<uchar[]> m_counts[4];
    std::unique_ptr<uchar[]> m_rows[4];
    size_t m_countsCap[4] = {};
    size_t m_rowsCap[4] = {};
    size_t m_fill[4] = {};
    int m_row = 0;
    std::unique_ptr<quint32[]> m_straight;
    std::unique_ptr<uchar[]> m_channel;
    size_t m_lineCap = 0;
};

bool SizeWritable(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= PSDMaxSide && height <= PSDMaxSide;
}

void WriteHeader(PsdOut &out, quint16 channels, quint32 width, quint32 height)
{
    out.text("8BPS");
    out.u16(1);
    const uchar reserved[6] = {};
    out.bytes(reserved, 6);
    out.u16(channels);
    out.u32(height);
    out.u32(width);
    out.u16(8);
    out.u16(3);
    out.u32(0); // colour mode data

    // Image resources: one block, the resolution (300 pixels per inch).
    out.u32(28);
    out.text("8BIM");
    out.u16(1005);
    out.u16(0); // empty name, padded to an even size
    out.u32(16);
    for (int i = 0; i < 2; ++i) {
        out.u32(0x012C0000);
        out.u16(1);
        out.u16(1);
    }
}

// Writes what packed holds as the merged image data.
void WriteMergedImage(PsdOut &out, const PackedChannels &packed)
{
    out.u16(1);
    for (int c = 0; c < 3; ++c)
        out.bytes(packed.counts(c), packed.countsSize());
    for (int c = 0; c < 3; ++c)
        out.bytes(packed.rows(c), packed.rowsSize(c));
}

QString ModeName(int mode)
{
    switch (mode) {
    case 2: return QStringLiteral("indexed colour");
    case 4: return QStringLiteral("CMYK");
    case 7: return QStringLiteral("multichannel");
    case 8: return QStringLiteral("duotone");
    case 9: return QStringLiteral("Lab colour");
    default: return QStringLiteral("colour mode %1").arg(mode);
    }
}

QString DamagedReason()
{
    return QStringLiteral("the file is incomplete or damaged");
}

} // namespace

void FreePSDFile(TPSDFile &psd)
{
    for (TPSDLayer &layer : psd.Layer) {
        layer.Channel.clear();
        layer.Bitmap = QImage();
    }
    psd.Layer.clear();
    psd.LayerCount = 0;
}

namespace {

// The first q >= p where four equal bytes start, or n. Every byte before it
// belongs to a literal stretch: counted from any of them a run is shorter
// than 4, and runs of two or three are not worth a run packet.
int FindRun4(const uchar *s, int p, int n)
{
#if defined(__SSE2__)
    for (; p + 19 <= n; p += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + p + 1));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + p + 2));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + p + 3));
        const __m128i eq = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, b), _mm_cmpeq_epi8(b, c)),
                                         _mm_cmpeq_epi8(c, d));
        const int mask = _mm_movemask_epi8(eq);
        if (mask)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    for (; p + 3 < n; ++p) {
        if (s[p] == s[p + 1] && s[p + 1] == s[p + 2] && s[p + 2] == s[p + 3])
            return p;
    }
    return n;
}

} // namespace

int PackBitsRow(const uchar *src, int n, uchar *out)
{
    uchar *o = out;
    int p = 0;
    while (p < n) {
        const int q = FindRun4(src, p, n);
        // The literal stretch from p to q, cut every 128 bytes.
        while (p < q) {
            const int k = std::min(128, q - p);
            *o++ = uchar(k - 1);
            std::memcpy(o, src + p, size_t(k));
            o += k;
            p += k;
        }
        if (q >= n)
            break;
        const uchar b = src[q];
        int r = 4;
#if defined(__SSE2__)
        const __m128i bb = _mm_set1_epi8(char(b));
        while (r + 16 <= 128 && q + r + 16 <= n) {
            const int mask = _mm_movemask_epi8(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + q + r)), bb));
            if (mask != 0xFFFF) {
                r += __builtin_ctz(unsigned(~mask));
                break;
            }
            r += 16;
        }
#endif
        while (r < 128 && q + r < n && src[q + r] == b)
            ++r;
        *o++ = uchar(1 - r);
        *o++ = b;
        p = q + r;
    }
    return int(o - out);
}

int UnpackBitsRow(const uchar *src, int srcLen, uchar *dst, int dstLen)
{
    int i = 0, o = 0;
    while (i < srcLen && o < dstLen) {
        const int h = qint8(src[i++]);
        if (h >= 0) {
            const int n = std::min({h + 1, srcLen - i, dstLen - o});
            std::memcpy(dst + o, src + i, size_t(n));
            i += h + 1;
            o += n;
        } else if (h != -128) {
            if (i >= srcLen)
                break;
            const int n = std::min(1 - h, dstLen - o);
            std::memset(dst + o, src[i++], size_t(n));
            o += n;
        }
    }
    return o;
}

namespace {

ImageReadResult ReadPSD(ByteReader &in, QImage &bitmap)
{
    ImageReadResult result;
    const uchar *sigBytes = in.take(4);
    char sig[4] = {};
    if (sigBytes)
        std::memcpy(sig, sigBytes, 4);
    const int version = in.u16be();
    in.skip(6);
    const int channels = in.u16be();
    const quint32 height = in.u32be();
    const quint32 width = in.u32be();
    const int depth = in.u16be();
    const int mode = in.u16be();
    if (!in.ok() || std::memcmp(sig, "8BPS", 4) != 0) {
        result.reason = QStringLiteral("this is not a Photoshop document");
        return result;
    }
    if (version != 1) {
        result.reason = QStringLiteral("this Photoshop document format (version %1) is not supported").arg(version);
        return result;
    }
    if (mode != 0 && mode != 1 && mode != 3) {
        result.reason = QStringLiteral("this PSD file uses a colour mode the program cannot read (%1)").arg(ModeName(mode));
        return result;
    }
    // Bitmap mode holds one bit per pixel; greyscale and RGB one byte per channel.
    if (depth != (mode == 0 ? 1 : 8)) {
        result.reason = QStringLiteral("this PSD file uses %1-bit channels, which the program cannot read").arg(depth);
        return result;
    }
    if (channels < 1 || channels > 56) {
        result.reason = DamagedReason();
        return result;
    }
    if (!ImageSizeAccepted(width, height)) {
        result.reason = width == 0 || height == 0
            ? QStringLiteral("the picture has no pixels")
            : QStringLiteral("the picture is too large (%1 x %2 pixels)").arg(width).arg(height);
        return result;
    }
    if (in.u32be() != 0 || !in.ok()) {
        result.reason = QStringLiteral("this PSD file uses a colour table the program cannot read");
        return result;
    }
    in.skip(in.u32be()); // image resources
    in.skip(in.u32be()); // layer and mask information
    const int compression = in.u16be();
    if (!in.ok()) {
        result.reason = QStringLiteral("the file is incomplete: it holds no merged picture");
        return result;
    }
    if (compression == 2 || compression == 3) {
        result.reason = QStringLiteral("its merged picture is compressed with ZIP, which the program cannot read");
        return result;
    }
    if (compression != 0 && compression != 1) {
        result.reason = DamagedReason();
        return result;
    }

    const int w = int(width), h = int(height);
    // Channels in file order; those past the last one the mode uses are ignored.
    const int used = std::min(channels, mode == 3 ? 4 : mode == 1 ? 2 : 1);
    const bool hasAlpha = (mode == 3 && used == 4) || (mode == 1 && used == 2);
    const qint64 rowBytes = depth == 1 ? (qint64(w) + 7) / 8 : w;

    // The file must be able to hold what the header promises before a bitmap
    // of that size is made: the whole row-length table and, for packed rows,
    // at least two bytes for every 128 bytes of a row (a row can unpack to
    // no more); raw rows all of their bytes.
    const auto tooShort = [&] {
        result.reason = QStringLiteral("the file is too short for the picture its header describes (%1 x %2 pixels)")
                            .arg(w)
                            .arg(h);
        return result;
    };
    std::vector<uchar> counts;
    if (compression == 1) {
        const qint64 tableBytes = qint64(channels) * h * 2;
        const qint64 minRow = 2 * ((rowBytes + 127) / 128);
        if (in.remaining() < tableBytes || in.remaining() - tableBytes < qint64(used) * h * minRow)
            return tooShort();
        // Only the counts of the channels read are kept.
        const uchar *table = in.take(qint64(used) * h * 2);
        if (!table)
            return tooShort();
        counts.assign(table, table + qint64(used) * h * 2);
        in.skip(tableBytes - qint64(used) * h * 2);
    } else if (in.remaining() < qint64(used) * h * rowBytes) {
        return tooShort();
    }

    if (!ReuseOrAllocate(bitmap, w, h)) {
        result.reason = QStringLiteral("there is not enough memory for a picture of %1 x %2 pixels").arg(w).arg(h);
        return result;
    }
    QImage &img = bitmap;
    img.fill(0xFF000000u);
    bool complete = in.ok();
    std::vector<uchar> rowBuf(static_cast<size_t>(rowBytes));
    for (int c = 0; c < used && complete; ++c) {
        const bool alpha = hasAlpha && c == used - 1;
        const int shift = alpha ? 24 : mode == 3 ? 16 - 8 * c : 0;
        for (int y = 0; y < h && complete; ++y) {
            if (compression == 1) {
                const qint64 k = qint64(c) * h + y;
                const int packed = (counts[2 * k] << 8) | counts[2 * k + 1];
                const qint64 avail = std::min<qint64>(packed, in.remaining());
                const uchar *src = in.take(avail);
                const int n = UnpackBitsRow(src, int(avail), rowBuf.data(), int(rowBytes));
                std::memset(rowBuf.data() + n, 0, size_t(rowBytes - n));
                complete = avail == packed;
            } else {
                const qint64 n = in.takeUpTo(rowBuf.data(), rowBytes);
                std::memset(rowBuf.data() + n, 0, size_t(rowBytes - n));
                complete = n == rowBytes;
            }
            auto *row = reinterpret_cast<quint32 *>(img.scanLine(y));
            const uchar *s = rowBuf.data();
            if (mode == 0) {
                for (int x = 0; x < w; ++x)
                    row[x] = (s[x >> 3] & (0x80 >> (x & 7))) ? 0xFF000000u : 0xFFFFFFFFu;
            } else if (mode == 1 && !alpha) {
                for (int x = 0; x < w; ++x)
                    row[x] = (row[x] & 0xFF000000u) | (quint32(s[x]) * 0x010101u);
            } else {
                const quint32 keep = ~(0xFFu << shift);
                for (int x = 0; x < w; ++x)
                    row[x] = (row[x] & keep) | (quint32(s[x]) << shift);
            }
        }
    }
    if (hasAlpha) {
        for (int y = 0; y < h; ++y)
            PremultiplyRow(reinterpret_cast<quint32 *>(img.scanLine(y)), w);
    }
    if (complete) {
        result.status = ImageReadStatus::Read;
    } else {
        result.status = ImageReadStatus::Truncated;
        result.reason = DamagedReason();
    }
    return result;
}

} // namespace

ImageReadResult ReadPSDData(const QByteArray &data, QImage &bitmap)
{
    ByteReader in(reinterpret_cast<const uchar *>(data.constData()), data.size());
    return ReadPSD(in, bitmap);
}

ImageReadResult ReadPSDFile(const QString &fileName, QImage &bitmap)
{
    QFile file;
    OpenForReading(file, fileName);
    ByteReader in(file, file.size());
    return ReadPSD(in, bitmap);
}

bool WritePSD(QIODevice &dev, const QImage &bitmap)
{
    if (!SizeWritable(bitmap.width(), bitmap.height()))
        return false;
    PsdOut out(dev);
    WriteHeader(out, 3, quint32(bitmap.width()), quint32(bitmap.height()));
    out.u32(8); // layer and mask information: empty layer info and global mask info
    out.u32(0);
    out.u32(0);
    PackedChannels packed;
    packed.pack(bitmap, {16, 8, 0});
    WriteMergedImage(out, packed);
    return out.ok();
}

static void CheckWritable(const QString &fileName, qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        throw FileError(SaveErrorText(fileName, QStringLiteral("there is no picture to save")));
    if (!SizeWritable(width, height))
        throw FileError(SaveErrorText(
            fileName, QStringLiteral("a PSD file cannot hold a picture wider or taller than %1 pixels").arg(PSDMaxSide)));
}

bool WritePSDFile(const QString &fileName, const QImage &bitmap)
{
    CheckWritable(fileName, bitmap.width(), bitmap.height());
    SaveFileSafely(fileName, [&](QIODevice &dev) { return WritePSD(dev, bitmap); });
    return true;
}

namespace {

void PrepareLayers(TPSDFile &psd)
{
    psd.Layer.resize(psd.LayerCount);
    qint32 width = 0, height = 0;
    for (int i = 0; i < psd.LayerCount; ++i) {
        TPSDLayer &layer = psd.Layer[i];
        layer.Top = 0;
        layer.Left = 0;
        layer.Width = quint32(std::max(layer.Bitmap.width(), 0));
        layer.Height = quint32(std::max(layer.Bitmap.height(), 0));
        layer.Channels = 4;
        layer.Channel.resize(4);
        const quint16 ids[4] = {0xFFFF, 0, 1, 2};
        for (int c = 0; c < 4; ++c)
            layer.Channel[c] = TPSDChannel{ids[c], 0};
        layer.BlendMode = {'n', 'o', 'r', 'm'};
        layer.Opacity = 255;
        layer.Name = "Layer" + QByteArray::number(i);
        width = std::max(width, qint32(layer.Width));
        height = std::max(height, qint32(layer.Height));
    }
    psd.ColorMode = 3;
    psd.Depth = 8;
    psd.Channels = 4;
    psd.Width = width;
    psd.Height = height;
}

// Writes layers PrepareLayers has measured.
bool WritePreparedLayers(QIODevice &dev, TPSDFile &psd)
{
    PsdOut out(dev);
    WriteHeader(out, 3, quint32(psd.Width), quint32(psd.Height));

    const qint64 maskInfoLength = out.placeholder32();
    const qint64 layerInfoLength = out.placeholder32();
    out.u16(psd.LayerCount);
    std::vector<std::array<qint64, 4>> channelLength(psd.LayerCount);
    for (int i = 0; i < psd.LayerCount; ++i) {
        const TPSDLayer &layer = psd.Layer[i];
        out.u32(layer.Top);
        out.u32(layer.Left);
        out.u32(layer.Top + layer.Height);
        out.u32(layer.Left + layer.Width);
        out.u16(layer.Channels);
        for (int c = 0; c < 4; ++c) {
            out.u16(layer.Channel[c].ID);
            channelLength[i][c] = out.placeholder32();
        }
        out.text("8BIM");
        out.bytes(layer.BlendMode.data(), 4);
        out.u8(layer.Opacity);
        out.u8(0); // clipping
        out.u8(0); // flags
        out.u8(0); // filler
        const qint64 extraLength = out.placeholder32();
        out.u32(0); // layer mask data
        out.u32(0); // blending ranges
        const QByteArray name = layer.Name.left(255);
        out.u8(quint8(name.size()));
        out.bytes(name.constData(), name.size());
        int extra = 4 + 4 + 1 + int(name.size());
        for (; extra % 4 != 0; ++extra)
            out.u8(1);
        out.patchLength(extraLength);
    }
    PackedChannels packed;
    for (int i = 0; i < psd.LayerCount && out.ok(); ++i) {
        TPSDLayer &layer = psd.Layer[i];
        packed.pack(layer.Bitmap, {24, 16, 8, 0});
        for (int c = 0; c < 4; ++c) {
            const qint64 start = out.pos();
            out.u16(1);
            out.bytes(packed.counts(c), packed.countsSize());
            out.bytes(packed.rows(c), packed.rowsSize(c));
            layer.Channel[c].LG = quint32(out.pos() - start);
            out.patch32(channelLength[i][c], layer.Channel[c].LG);
        }
    }
    out.patchLength(layerInfoLength);
    out.u32(0); // global layer mask info
    out.patchLength(maskInfoLength);

    // The merged image: every layer drawn over opaque black in layer order,
    // a band of rows at a time so the band stays in the cache while it is packed.
    constexpr int BandRows = 32;
    packed.begin(psd.Width, psd.Height, {16, 8, 0});
    QImage band = NewBitmap(psd.Width, std::min(BandRows, int(psd.Height)));
    for (int top = 0; top < psd.Height; top += BandRows) {
        const int rows = std::min(BandRows, int(psd.Height) - top);
        band.fill(0xFF000000u);
        {
            QPainter p(&band);
            for (const TPSDLayer &layer : psd.Layer) {
                if (layer.Bitmap.isNull())
                    continue;
                p.setOpacity(layer.Opacity / 255.0);
                p.drawImage(QPoint(int(layer.Left), int(layer.Top) - top), layer.Bitmap);
            }
        }
        for (int y = 0; y < rows; ++y)
            packed.add(reinterpret_cast<const quint32 *>(band.constScanLine(y)));
    }
    WriteMergedImage(out, packed);
    return out.ok();
}

} // namespace

bool WritePSDLayers(QIODevice &dev, TPSDFile &psd)
{
    if (psd.LayerCount == 0)
        return false;
    PrepareLayers(psd);
    if (!SizeWritable(psd.Width, psd.Height))
        return false;
    return WritePreparedLayers(dev, psd);
}

bool WritePSDLayers(const QString &fileName, TPSDFile &psd)
{
    if (psd.LayerCount == 0)
        return false;
    PrepareLayers(psd);
    CheckWritable(fileName, psd.Width, psd.Height);
    SaveFileSafely(fileName, [&](QIODevice &dev) { return WritePreparedLayers(dev, psd); });
    return true;
}
