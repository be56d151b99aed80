// PSD reader and writers. Length fields are written as placeholders and filled
// in by seeking back once their section is complete, so a document is written
// in one pass; rows are packed with PackBits in bands of rows on every core,
// and the bands are written in order.
#include "FMXPSD.h"

#include "ByteReader.h"
#include "FileIO.h"
#include "ImageAlloc.h"
#include "Premultiply.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QIODevice>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
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
    explicit PsdOut(QIODevice &dev) : m_dev(dev) { }

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

// Runs task(0) ... task(count - 1) on every core, each task once; returns
// when all are done. Tasks are taken in order as cores become free, so
// bands that pack slowly do not hold the others up.
void RunOnAllCores(int count, const std::function<void(int)> &task)
{
    const int threads = std::min(count, std::max(1, QThread::idealThreadCount()));
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < count; i = next++)
            task(i);
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread &h : helpers)
        h.join();
}

// Straight colour of 16 premultiplied pixels split into channel bytes:
// out[c][i] = byte of pixel i at shift Shifts[c]. Opaque and fully
// transparent blocks, nearly all of a picture and of a pen layer, take the
// vector path; mixed blocks are unpremultiplied pixel by pixel first.
template <int Count> inline void SplitBlock16(const quint32 *src, uchar *const *out, int x, const int *shifts)
{
#if defined(__SSE2__)
    __m128i v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 4 * i));
    const __m128i alpha = _mm_packus_epi16(_mm_packs_epi32(_mm_srli_epi32(v[0], 24), _mm_srli_epi32(v[1], 24)),
                                           _mm_packs_epi32(_mm_srli_epi32(v[2], 24), _mm_srli_epi32(v[3], 24)));
    const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi8(alpha, _mm_set1_epi8(char(0xFF))));
    const int clear = _mm_movemask_epi8(_mm_cmpeq_epi8(alpha, _mm_setzero_si128()));
    if (clear == 0xFFFF) {
        for (int c = 0; c < Count; ++c)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out[c] + x), _mm_setzero_si128());
        return;
    }
    if (opaque != 0xFFFF) {
        quint32 straight[16];
        for (int i = 0; i < 16; ++i)
            straight[i] = qUnpremultiply(src[i]);
        for (int i = 0; i < 4; ++i)
            v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(straight + 4 * i));
    }
    const __m128i low = _mm_set1_epi32(0xFF);
    for (int c = 0; c < Count; ++c) {
        const int shift = shifts[c];
        __m128i w[4];
        for (int i = 0; i < 4; ++i)
            w[i] = _mm_and_si128(_mm_srl_epi32(v[i], _mm_cvtsi32_si128(shift)), low);
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(w[0], w[1]), _mm_packs_epi32(w[2], w[3]));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out[c] + x), bytes);
    }
#else
    for (int i = 0; i < 16; ++i) {
        const quint32 p = qUnpremultiply(src[i]);
        for (int c = 0; c < Count; ++c)
            out[c][x + i] = uchar(p >> shifts[c]);
    }
#endif
}

template <int Count> void SplitRow(const quint32 *src, int width, uchar *const *out, const int *shifts)
{
    int x = 0;
    for (; x + 16 <= width; x += 16)
        SplitBlock16<Count>(src + x, out, x, shifts);
    for (; x < width; ++x) {
        const quint32 p = qUnpremultiply(src[x]);
        for (int c = 0; c < Count; ++c)
            out[c][x] = uchar(p >> shifts[c]);
    }
}

// Channels of a bitmap packed row by row: per channel the row byte counts
// (big-endian) and the packed rows, ready to be written one after the
// other. The rows are packed in bands of BandRows on every core; each band
// has buffers of its own and the bands are written in order, so the bytes
// are those of packing row after row. Buffers are left uninitialised: only
// the bytes packed are ever touched.
class PackedChannels
{
public:
    static constexpr int BandRows = 64;

    // shifts: which byte of a straight 0xAARRGGBB pixel each channel takes
    // (24 alpha, 16 red, 8 green, 0 blue). The buffers are kept for the next
    // pack, so the layers and the merged image of a document share them.
    void begin(int width, int height, std::initializer_list<int> shifts)
    {
        m_count = int(shifts.size());
        m_width = width;
        m_height = height;
        std::copy(shifts.begin(), shifts.end(), m_shift);
        const int bands = (height + BandRows - 1) / BandRows;
        if (int(m_bands.size()) < bands)
            m_bands.resize(size_t(bands));
        const size_t rowMax = size_t(m_width) + size_t(m_width) / 128 + 1;
        m_bandBytes = rowMax * size_t(BandRows);
        for (int c = 0; c < m_count; ++c) {
            if (m_cap[c] < m_bandBytes * size_t(bands)) {
                m_cap[c] = m_bandBytes * size_t(bands);
                m_packed[c] = LargeBuffer(m_cap[c]);
            }
        }
        for (int b = 0; b < bands; ++b) {
            Band &band = m_bands[size_t(b)];
            band.top = b * BandRows;
            band.rows = std::min(BandRows, height - band.top);
            for (int c = 0; c < m_count; ++c)
                band.fill[c] = 0;
        }
        m_bandCount = bands;
        if (m_countsCap < size_t(m_height) * 2 * size_t(m_count)) {
            m_countsCap = size_t(m_height) * 2 * size_t(m_count);
            m_counts.reset(new uchar[m_countsCap]);
        }
    }

    int bandCount() const { return m_bandCount; }
    int bandTop(int b) const { return m_bands[size_t(b)].top; }
    int bandRows(int b) const { return m_bands[size_t(b)].rows; }

    // Packs count rows from row top on, the next rows of band b; row(y)
    // gives the premultiplied pixels of row y of the picture. Different
    // bands may be packed on different threads at once.
    template <typename RowAt> void packRows(int b, int top, int count, RowAt row)
    {
        Band &band = m_bands[size_t(b)];
        std::vector<uchar> scratch(size_t(m_width) * size_t(m_count) + 16);
        uchar *channel[4] = {};
        for (int c = 0; c < m_count; ++c)
            channel[c] = scratch.data() + size_t(c) * size_t(m_width);
        for (int y = top; y < top + count; ++y) {
            if (m_count == 4)
                SplitRow<4>(row(y), m_width, channel, m_shift);
            else
                SplitRow<3>(row(y), m_width, channel, m_shift);
            for (int c = 0; c < m_count; ++c) {
                const int n = PackBitsRow(channel[c], m_width, packed(b, c) + band.fill[c]);
                uchar *bytes = m_counts.get() + (size_t(c) * size_t(m_height) + size_t(y)) * 2;
                bytes[0] = uchar(n >> 8);
                bytes[1] = uchar(n);
                band.fill[c] += size_t(n);
            }
        }
    }

    // Packs a whole bitmap.
    void pack(const QImage &source, std::initializer_list<int> shifts)
    {
        const QImage bmp = ToBitmap(source);
        begin(bmp.width(), bmp.height(), shifts);
        RunOnAllCores(m_bandCount, [&](int b) {
            packRows(b, bandTop(b), bandRows(b),
                     [&](int y) { return reinterpret_cast<const quint32 *>(bmp.constScanLine(y)); });
        });
    }

    int count() const { return m_count; }
    const uchar *counts(int c) const { return m_counts.get() + size_t(c) * size_t(m_height) * 2; }
    qint64 countsSize() const { return qint64(m_height) * 2; }
    qint64 rowsSize(int c) const
    {
        qint64 n = 0;
        for (int b = 0; b < m_bandCount; ++b)
            n += qint64(m_bands[size_t(b)].fill[c]);
        return n;
    }
    // Writes the packed rows of channel c.
    template <typename Out> void writeRows(Out &out, int c) const
    {
        for (int b = 0; b < m_bandCount; ++b)
            out.bytes(packed(b, c), qint64(m_bands[size_t(b)].fill[c]));
    }

private:
    struct Band {
        int top = 0;
        int rows = 0;
        size_t fill[4] = {};
    };

    // Band b of channel c has its own stretch of the channel's buffer.
    uchar *packed(int b, int c) const { return m_packed[c].get() + size_t(b) * m_bandBytes; }

    // Written once from end to end: huge pages save most of the page faults.
    static std::unique_ptr<uchar[]> LargeBuffer(size_t size)
    {
        std::unique_ptr<uchar[]> buffer(new uchar[size]);
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
        const quintptr huge = quintptr(2) << 20;
        const quintptr begin = (quintptr(buffer.get()) + huge - 1) & ~(huge - 1);
        const quintptr end = (quintptr(buffer.get()) + size) & ~(huge - 1);
        if (end > begin)
            madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#endif
        return buffer;
    }

    std::unique_ptr<uchar[]> m_packed[4];
    size_t m_cap[4] = {};
    size_t m_bandBytes = 0;

    int m_count = 0;
    int m_width = 0;
    int m_height = 0;
    int m_shift[4] = {};
    std::vector<Band> m_bands;
    int m_bandCount = 0;
    std::unique_ptr<uchar[]> m_counts; // every channel's, channel after channel
    size_t m_countsCap = 0;
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
        packed.writeRows(out, c);
}

QString ModeName(int mode)
{
    switch (mode) {
    case 2: return QCoreApplication::translate("Files", "indexed colour");
    case 4: return QStringLiteral("CMYK");
    case 7: return QCoreApplication::translate("Files", "multichannel");
    case 8: return QCoreApplication::translate("Files", "duotone");
    case 9: return QCoreApplication::translate("Files", "Lab colour");
    default: return QCoreApplication::translate("Files", "colour mode %1").arg(mode);
    }
}

QString DamagedReason() { return QCoreApplication::translate("Files", "the file is incomplete or damaged"); }

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
        const __m128i eq
            = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, b), _mm_cmpeq_epi8(b, c)), _mm_cmpeq_epi8(c, d));
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

// Copies up to 128 bytes. A plain memcpy of a size only known to be small
// becomes a string move whose start-up costs more than the copy.
inline void CopyShort(uchar *dst, const uchar *src, int n)
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)));
#endif
    for (; i + 8 <= n; i += 8) {
        quint64 v;
        std::memcpy(&v, src + i, 8);
        std::memcpy(dst + i, &v, 8);
    }
    for (; i < n; ++i)
        dst[i] = src[i];
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
            CopyShort(o, src + p, k);
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
        // The header byte is a signed count in two's complement.
        const int byte = src[i++];
        const int h = byte < 128 ? byte : byte - 256;
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

// What the header and the section lengths before the merged picture say.
struct PsdHeader {
    int channels = 0;
    quint32 width = 0;
    quint32 height = 0;
    int depth = 0;
    int mode = 0;
    int compression = 0;
};

// Reads the header up to the merged picture's compression; the reason the
// file cannot be read, or an empty text.
QString ReadPSDHeader(ByteReader &in, PsdHeader &head)
{
    const uchar *sigBytes = in.take(4);
    char sig[4] = {};
    if (sigBytes)
        std::memcpy(sig, sigBytes, 4);
    const int version = in.u16be();
    in.skip(6);
    head.channels = in.u16be();
    head.height = in.u32be();
    head.width = in.u32be();
    head.depth = in.u16be();
    head.mode = in.u16be();
    const int mode = head.mode;
    if (!in.ok() || std::memcmp(sig, "8BPS", 4) != 0)
        return QCoreApplication::translate("Files", "this is not a Photoshop document");
    if (version != 1)
        return QCoreApplication::translate("Files", "this Photoshop document format (version %1) is not supported")
            .arg(version);
    if (mode != 0 && mode != 1 && mode != 3)
        return QCoreApplication::translate("Files", "this PSD file uses a colour mode the program cannot read (%1)")
            .arg(ModeName(mode));
    // Bitmap mode holds one bit per pixel; greyscale and RGB one byte per channel.
    if (head.depth != (mode == 0 ? 1 : 8))
        return QCoreApplication::translate("Files", "this PSD file uses %1-bit channels, which the program cannot read")
            .arg(head.depth);
    if (head.channels < 1 || head.channels > 56)
        return DamagedReason();
    if (!ImageSizeAccepted(head.width, head.height)) {
        return head.width == 0 || head.height == 0
                   ? QCoreApplication::translate("Files", "the picture has no pixels")
                   : QCoreApplication::translate("Files", "the picture is too large (%1 x %2 pixels)")
                         .arg(head.width)
                         .arg(head.height);
    }
    if (in.u32be() != 0 || !in.ok())
        return QCoreApplication::translate("Files", "this PSD file uses a colour table the program cannot read");
    in.skip(in.u32be()); // image resources
    in.skip(in.u32be()); // layer and mask information
    head.compression = in.u16be();
    if (!in.ok())
        return QCoreApplication::translate("Files", "the file is incomplete: it holds no merged picture");
    if (head.compression == 2 || head.compression == 3)
        return QCoreApplication::translate("Files",
                                           "its merged picture is compressed with ZIP, which the program cannot read");
    if (head.compression != 0 && head.compression != 1)
        return DamagedReason();
    return {};
}

// How the merged picture's channels are laid out and which of them are read.
struct PsdLayout {
    int w = 0;
    int h = 0;
    int mode = 0;
    int compression = 0;
    int used = 0;
    bool hasAlpha = false;
    qint64 rowBytes = 0;
};

// The file must be able to hold what the header promises before a bitmap
// of that size is made: the whole row-length table and, for packed rows,
// at least two bytes for every 128 bytes of a row (a row can unpack to
// no more); raw rows all of their bytes. Keeps the row lengths of the
// channels read; false when the file is too short.
bool ReadRowCounts(ByteReader &in, int channels, const PsdLayout &lay, std::vector<uchar> &counts)
{
    const int h = lay.h;
    if (lay.compression != 1)
        return in.remaining() >= qint64(lay.used) * h * lay.rowBytes;
    const qint64 tableBytes = qint64(channels) * h * 2;
    const qint64 minRow = 2 * ((lay.rowBytes + 127) / 128);
    if (in.remaining() < tableBytes || in.remaining() - tableBytes < qint64(lay.used) * h * minRow)
        return false;
    // Only the counts of the channels read are kept.
    const uchar *table = in.take(qint64(lay.used) * h * 2);
    if (!table)
        return false;
    counts.assign(table, table + qint64(lay.used) * h * 2);
    in.skip(tableBytes - qint64(lay.used) * h * 2);
    return true;
}

// Reads row y of channel c into rowBuf, clearing what the file lacks;
// false when the file ends before the row does.
bool ReadChannelRow(ByteReader &in, const PsdLayout &lay, const std::vector<uchar> &counts, int c, int y,
                    std::vector<uchar> &rowBuf)
{
    const qint64 rowBytes = lay.rowBytes;
    if (lay.compression == 1) {
        const qint64 k = qint64(c) * lay.h + y;
        const int packed = (counts[2 * k] << 8) | counts[2 * k + 1];
        const qint64 avail = std::min<qint64>(packed, in.remaining());
        const uchar *src = in.take(avail);
        const int n = UnpackBitsRow(src, int(avail), rowBuf.data(), int(rowBytes));
        std::memset(rowBuf.data() + n, 0, size_t(rowBytes - n));
        return avail == packed;
    }
    const qint64 n = in.takeUpTo(rowBuf.data(), rowBytes);
    std::memset(rowBuf.data() + n, 0, size_t(rowBytes - n));
    return n == rowBytes;
}

// Puts one channel's row into the picture's row.
void StoreChannelRow(quint32 *row, const uchar *s, const PsdLayout &lay, bool alpha, int shift)
{
    const int w = lay.w;
    if (lay.mode == 0) {
        for (int x = 0; x < w; ++x)
            row[x] = (s[x >> 3] & (0x80 >> (x & 7))) ? 0xFF000000u : 0xFFFFFFFFu;
    } else if (lay.mode == 1 && !alpha) {
        for (int x = 0; x < w; ++x)
            row[x] = (row[x] & 0xFF000000u) | (quint32(s[x]) * 0x010101u);
    } else {
        const quint32 keep = ~(0xFFu << shift);
        for (int x = 0; x < w; ++x)
            row[x] = (row[x] & keep) | (quint32(s[x]) << shift);
    }
}

// Decodes the merged picture into img, channel by channel; false when the
// file ends early (the rest stays as it was filled).
bool DecodeChannels(ByteReader &in, const PsdLayout &lay, const std::vector<uchar> &counts, QImage &img)
{
    bool complete = in.ok();
    std::vector<uchar> rowBuf(static_cast<size_t>(lay.rowBytes));
    for (int c = 0; c < lay.used && complete; ++c) {
        const bool alpha = lay.hasAlpha && c == lay.used - 1;
        const int shift = alpha ? 24 : lay.mode == 3 ? 16 - 8 * c : 0;
        for (int y = 0; y < lay.h && complete; ++y) {
            complete = ReadChannelRow(in, lay, counts, c, y, rowBuf);
            StoreChannelRow(reinterpret_cast<quint32 *>(img.scanLine(y)), rowBuf.data(), lay, alpha, shift);
        }
    }
    return complete;
}

ImageReadResult ReadPSD(ByteReader &in, QImage &bitmap)
{
    ImageReadResult result;
    PsdHeader head;
    result.reason = ReadPSDHeader(in, head);
    if (!result.reason.isEmpty())
        return result;

    PsdLayout lay;
    lay.w = int(head.width);
    lay.h = int(head.height);
    lay.mode = head.mode;
    lay.compression = head.compression;
    // Channels in file order; those past the last one the mode uses are ignored.
    lay.used = std::min(head.channels, head.mode == 3 ? 4 : head.mode == 1 ? 2 : 1);
    lay.hasAlpha = (head.mode == 3 && lay.used == 4) || (head.mode == 1 && lay.used == 2);
    lay.rowBytes = head.depth == 1 ? (qint64(lay.w) + 7) / 8 : lay.w;
    const int w = lay.w, h = lay.h;

    std::vector<uchar> counts;
    if (!ReadRowCounts(in, head.channels, lay, counts)) {
        result.reason = QCoreApplication::translate(
                            "Files", "the file is too short for the picture its header describes (%1 x %2 pixels)")
                            .arg(w)
                            .arg(h);
        return result;
    }
    if (!ReuseOrAllocate(bitmap, w, h)) {
        result.reason
            = QCoreApplication::translate("Files", "there is not enough memory for a picture of %1 x %2 pixels")
                  .arg(w)
                  .arg(h);
        return result;
    }
    QImage &img = bitmap;
    img.fill(0xFF000000u);
    const bool complete = DecodeChannels(in, lay, counts, img);
    if (lay.hasAlpha) {
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
        throw FileError(SaveErrorText(fileName, QCoreApplication::translate("Files", "there is no picture to save")));
    if (!SizeWritable(width, height))
        throw FileError(SaveErrorText(
            fileName,
            QCoreApplication::translate("Files", "a PSD file cannot hold a picture wider or taller than %1 pixels")
                .arg(PSDMaxSide)));
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

// Packs the rows of one band: each layer's channels, then the layers drawn
// over opaque black into the merged image, a few rows at a time so that the
// rows packed for a layer are still in the cache when they are drawn.
void PackBand(const TPSDFile &psd, const std::vector<QImage> &bitmaps, std::vector<PackedChannels> &layers,
              PackedChannels &merged, int b)
{
    constexpr int DrawRows = 16;
    static_assert(PackedChannels::BandRows % DrawRows == 0);
    QImage rows = NewBitmap(psd.Width, std::min(DrawRows, merged.bandRows(b)));
    const int end = merged.bandTop(b) + merged.bandRows(b);
    for (int top = merged.bandTop(b); top < end; top += DrawRows) {
        const int count = std::min(DrawRows, end - top);
        for (size_t i = 0; i < layers.size(); ++i) {
            const QImage &bmp = bitmaps[i];
            const int layerCount = std::min(top + count, bmp.height()) - top;
            if (layerCount > 0)
                layers[i].packRows(b, top, layerCount,
                                   [&](int y) { return reinterpret_cast<const quint32 *>(bmp.constScanLine(y)); });
        }
        rows.fill(0xFF000000u);
        {
            QPainter p(&rows);
            for (int i = 0; i < psd.LayerCount; ++i) {
                const TPSDLayer &layer = psd.Layer[i];
                if (bitmaps[size_t(i)].isNull())
                    continue;
                p.setOpacity(layer.Opacity / 255.0);
                p.drawImage(QPoint(int(layer.Left), int(layer.Top) - top), bitmaps[size_t(i)]);
            }
        }
        merged.packRows(b, top, count,
                        [&](int y) { return reinterpret_cast<const quint32 *>(rows.constScanLine(y - top)); });
    }
}

// Everything is packed before the first byte is written: each layer's
// channels and the merged image (every layer drawn over opaque black in
// layer order), band by band on every core.
void PackLayers(const TPSDFile &psd, std::vector<PackedChannels> &layers, PackedChannels &merged)
{
    std::vector<QImage> bitmaps;
    layers.resize(size_t(psd.LayerCount));
    for (int i = 0; i < psd.LayerCount; ++i) {
        bitmaps.push_back(ToBitmap(psd.Layer[i].Bitmap));
        layers[size_t(i)].begin(bitmaps.back().width(), bitmaps.back().height(), {24, 16, 8, 0});
    }
    merged.begin(psd.Width, psd.Height, {16, 8, 0});
    RunOnAllCores(merged.bandCount(), [&](int b) { PackBand(psd, bitmaps, layers, merged, b); });
}

using ChannelLengths = std::vector<std::array<qint64, 4>>;

// Writes the layer records; returns where each channel's length is to be
// patched once its data is written.
ChannelLengths WriteLayerRecords(PsdOut &out, const TPSDFile &psd)
{
    out.u16(psd.LayerCount);
    ChannelLengths channelLength(psd.LayerCount);
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
    return channelLength;
}

// Writes each layer's packed channels and patches their lengths into the records.
void WriteLayerChannels(PsdOut &out, TPSDFile &psd, const std::vector<PackedChannels> &layers,
                        const ChannelLengths &channelLength)
{
    for (int i = 0; i < psd.LayerCount && out.ok(); ++i) {
        TPSDLayer &layer = psd.Layer[i];
        const PackedChannels &packed = layers[size_t(i)];
        for (int c = 0; c < 4; ++c) {
            const qint64 start = out.pos();
            out.u16(1);
            out.bytes(packed.counts(c), packed.countsSize());
            packed.writeRows(out, c);
            layer.Channel[c].LG = quint32(out.pos() - start);
            out.patch32(channelLength[i][c], layer.Channel[c].LG);
        }
    }
}

// Writes layers PrepareLayers has measured.
bool WritePreparedLayers(QIODevice &dev, TPSDFile &psd)
{
    std::vector<PackedChannels> layers;
    PackedChannels merged;
    PackLayers(psd, layers, merged);

    PsdOut out(dev);
    WriteHeader(out, 3, quint32(psd.Width), quint32(psd.Height));
    const qint64 maskInfoLength = out.placeholder32();
    const qint64 layerInfoLength = out.placeholder32();
    const ChannelLengths channelLength = WriteLayerRecords(out, psd);
    WriteLayerChannels(out, psd, layers, channelLength);
    out.patchLength(layerInfoLength);
    out.u32(0); // global layer mask info
    out.patchLength(maskInfoLength);
    WriteMergedImage(out, merged);
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
