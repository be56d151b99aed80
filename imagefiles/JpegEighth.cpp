#include "imagefiles/JpegEighth.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <QtEndian>

namespace {
// Codes up to this long are found with one look in a table; longer ones,
// rare in any table a camera writes, the canonical way.
constexpr int LookBits = 11;
// The AC coefficients a block's thumbnail does not need are stepped over
// several codes at a time: a table for the next RunBits bits says how many
// bits the whole codes (with their values) in them take (RunUsed), and how
// far they move the block's position (above RunStep), 64 more when the block
// ends with them (RunEnd then set too). One addition and one comparison
// thus tell whether the block goes on; only its last entry needs a closer
// look. Where not even one code fits, the step is RunNoFit, which no
// position can take to exactly 64.
constexpr int RunBits = 14;
constexpr int RunUsed = 63; // a shift's own mask: taking the bits needs no masking of its own
constexpr int RunStep = 6;
constexpr int RunEnd = 1 << 14;
constexpr int RunNoFit = 127 << RunStep;
static_assert(((79 + 64) << RunStep) < RunEnd && (RunEnd << 1) <= 0xFFFF);
// Whole runs a refill serves: each takes at most RunBits of the 56 at hand.
constexpr int RunsPerLoad = 56 / RunBits;

struct THuffman {
    bool defined = false;
    // For the next LookBits bits, the code's length and, above it, its
    // symbol; 0 where the code is longer.
    std::array<quint16, 1 << LookBits> code{};
    // AC tables, for the blocks whose coefficients are stepped over: the
    // bits the code and its value take together and, above them, how many
    // coefficients it accounts for.
    std::array<quint16, 1 << LookBits> fast{};
    std::vector<quint16> run; // RunBits
    std::array<int, 17> maxcode{}; // the largest code of each length; -1 for none
    std::array<int, 17> offset{}; // a code of that length less this is its symbol's index
    std::array<quint8, 256> symbols{};
    int count = 0;
};

// How many coefficients an AC symbol covers: its zeros and itself, sixteen
// zeros, or the rest of the block.
int AcAdvance(int symbol)
{
    const int run = symbol >> 4, size = symbol & 15;
    return size ? run + 1 : run == 15 ? 16 : 64;
}

void BuildRuns(THuffman &t)
{
    t.run.assign(size_t(1) << RunBits, 0);
    for (int bits = 0; bits < (1 << RunBits); ++bits) {
        int used = 0, advance = 0, end = 0;
        while (!end && advance < 64) {
            const int left = RunBits - used;
            const int ahead = left >= LookBits ? bits >> (left - LookBits) : bits << (LookBits - left);
            const int e = t.code[ahead & ((1 << LookBits) - 1)];
            const int len = e & 0xFF, symbol = e >> 8;
            if (!e || len + (symbol & 15) > left)
                break;
            used += len + (symbol & 15);
            if (AcAdvance(symbol) == 64)
                end = RunEnd;
            else
                advance += AcAdvance(symbol);
        }
        t.run[size_t(bits)] = quint16(used ? used | (advance + (end ? 64 : 0)) << RunStep | end : RunNoFit);
    }
}

// The table from a DHT segment's counts and symbols; false for one no
// encoder may write (libjpeg refuses the same).
bool BuildHuffman(THuffman &t, bool ac, const quint8 *counts, const quint8 *symbols, int n)
{
    t = THuffman();
    std::copy(symbols, symbols + n, t.symbols.begin());
    t.count = n;
    int code = 0, k = 0;
    for (int len = 1; len <= 16; ++len) {
        t.offset[len] = k - code;
        for (int i = 0; i < counts[len - 1]; ++i, ++k, ++code) {
            if (code >= (1 << len))
                return false; // more codes than the length has
            const int symbol = symbols[k];
            if (!ac && symbol > 11)
                return false; // no 8-bit sample differs by more
            if (len > LookBits)
                continue;
            const int first = code << (LookBits - len), last = (code + 1) << (LookBits - len);
            std::fill(t.code.begin() + first, t.code.begin() + last, quint16(len | symbol << 8));
            if (ac)
                std::fill(t.fast.begin() + first, t.fast.begin() + last,
                          quint16((len + (symbol & 15)) | AcAdvance(symbol) << 8));
        }
        t.maxcode[len] = counts[len - 1] ? code - 1 : -1;
        if (code >= (1 << len))
            return false;
        code <<= 1;
    }
    if (ac)
        BuildRuns(t);
    t.defined = true;
    return true;
}

// The entropy-coded data, most significant bit first. A marker or the end
// of the file ends it; zeros follow, and taking any of them is a fault.
class TBits
{
public:
    TBits(const quint8 *p, const quint8 *end) : m_p(p), m_end(end) { FindFF(); }

    quint64 Peek() const { return m_acc; }
    void Drop(int n)
    {
        m_acc <<= n;
        m_bits -= n;
    }
    // At least 56 bits at hand. Eight bytes before the next 0xFF, as nearly
    // all are, come in one load, without a branch on their count (bits past
    // the count are the next byte's own, so loading them again changes
    // nothing).
    void Need()
    {
        if (m_ff - m_p >= 8) {
            m_acc |= qFromBigEndian<quint64>(m_p) >> m_bits;
            m_p += (63 - m_bits) >> 3;
            m_bits |= 56;
            return;
        }
        Refill();
    }
    bool Overrun() const { return m_bits < m_padding * 8; }
    // Past the restart marker that must come now; false when it is not there.
    bool Restart()
    {
        m_acc = 0;
        m_bits = m_padding = 0;
        m_stopped = false;
        if (m_p >= m_end || *m_p != 0xFF)
            return false;
        while (m_p < m_end && *m_p == 0xFF)
            ++m_p;
        if (m_p >= m_end || *m_p < 0xD0 || *m_p > 0xD7)
            return false;
        ++m_p;
        FindFF();
        return true;
    }

private:
    void Refill()
    {
        while (m_bits <= 55) { // at most 63, which Need shifts by
            if (m_p < m_ff && m_end - m_p >= 8) {
                // The bytes before the next 0xFF, as many as fit, in one load.
                const int n = int(std::min<qsizetype>((63 - m_bits) >> 3, m_ff - m_p));
                m_acc |= (qFromBigEndian<quint64>(m_p) & ~(~quint64(0) >> (8 * n))) >> m_bits;
                m_p += n;
                m_bits += 8 * n;
                continue;
            }
            quint8 b = 0;
            if (m_stopped) {
                ++m_padding;
            } else if (m_p < m_end && (*m_p != 0xFF || (m_p + 1 < m_end && m_p[1] == 0))) {
                b = *m_p;
                m_p += b == 0xFF ? 2 : 1; // a data 0xFF is stuffed with a zero
                if (m_p > m_ff)
                    FindFF();
            } else {
                m_stopped = true; // the end, or a marker left for Restart to find
                continue;
            }
            m_acc |= quint64(b) << (56 - m_bits);
            m_bits += 8;
        }
    }
    // The next 0xFF from here on (a stuffed one or a marker's), or the end.
    void FindFF()
    {
        const void *ff = std::memchr(m_p, 0xFF, size_t(m_end - m_p));
        m_ff = ff ? static_cast<const quint8 *>(ff) : m_end;
    }

    const quint8 *m_p;
    const quint8 *m_end;
    const quint8 *m_ff = nullptr; // the next 0xFF, or the end
    quint64 m_acc = 0;
    int m_bits = 0;
    int m_padding = 0; // zero bytes given after the data ended
    bool m_stopped = false;
};

// A code longer than LookBits; its symbol, or -1 for none.
int SlowSymbol(const THuffman &t, TBits &bits)
{
    const int code16 = int(bits.Peek() >> 48);
    for (int len = LookBits + 1; len <= 16; ++len) {
        const int code = code16 >> (16 - len);
        if (code <= t.maxcode[len]) {
            const int index = code + t.offset[len];
            if (index < 0 || index >= t.count)
                return -1;
            bits.Drop(len);
            return t.symbols[index];
        }
    }
    return -1;
}

// libjpeg's sample range limit after its scaled inverse DCT: the value is
// taken modulo 1024 as a signed number, then clamped.
quint8 Limit(int v)
{
    // Without a branch: at sharp edges the clamp goes either way.
    const int x = ((v & 1023) ^ 512) - 512 + 128;
    return quint8(std::min(std::max(x, 0), 255));
}

// A coefficient's value from its size bits v (size 0 to 15; none is 0):
// the lower half of the values are negative. Without a branch, as the sign
// of a value is as good as random.
inline int Extended(int v, int size)
{
    const int half = (1 << size) >> 1;
    return v - (((1 << size) - 1) & -int(v < half));
}

// The next code's symbol, and in value the value of the size its low four
// bits give, taken with it; -1 for a code the table does not hold.
inline int NextCoded(TBits &bits, const THuffman &t, int &value)
{
    if (const int e = t.code[bits.Peek() >> (64 - LookBits)]) {
        const int len = e & 0xFF, symbol = e >> 8, size = symbol & 15;
        value = Extended(int(((bits.Peek() << len) >> 1) >> (63 - size)), size);
        bits.Drop(len + size);
        return symbol;
    }
    const int symbol = SlowSymbol(t, bits);
    if (symbol >= 0) {
        const int size = symbol & 15;
        value = Extended(int((bits.Peek() >> 1) >> (63 - size)), size);
        bits.Drop(size);
    }
    return symbol;
}

struct TComponent {
    int id = 0, h = 1, v = 1, tq = 0;
    int dc = 0, ac = 0; // tables of the scan
    int quant = 0; // of its DC coefficient
    int pred = 0;
    int width = 0, height = 0; // blocks in its plane
    std::vector<quint8> plane; // its samples, one a block
};

struct TFrame {
    int width = 0, height = 0;
    int hmax = 1, vmax = 1;
    std::vector<TComponent> comps;
};

// The DC coefficient's difference, added to pred. False on a code no table
// holds, or a DC out of any sample's range.
inline bool DecodeDc(TBits &bits, const THuffman &dc, int &pred)
{
    bits.Need();
    int diff = 0;
    if (NextCoded(bits, dc, diff) < 0)
        return false;
    pred += diff;
    return pred >= SHRT_MIN && pred <= SHRT_MAX;
}

// One AC code at k, its value stepped over; false for a code no table holds.
bool SkipCode(TBits &bits, const THuffman &ac, int &k)
{
    if (const int f = ac.fast[bits.Peek() >> (64 - LookBits)]) {
        bits.Drop(f & 0xFF);
        k += f >> 8;
        return true;
    }
    const int symbol = SlowSymbol(ac, bits);
    if (symbol < 0)
        return false;
    bits.Drop(symbol & 15);
    k += AcAdvance(symbol);
    return true;
}

// A block at one sample: its DC; the AC coefficients are stepped over.
bool DecodeBlock(TBits &bits, const THuffman &dc, const THuffman &ac, int &pred)
{
    if (!DecodeDc(bits, dc, pred))
        return false;
    const quint16 *run = ac.run.data();
    for (int k = 1;;) {
        bits.Need();
        int e = 0;
        int i = 0;
        for (; i < RunsPerLoad; ++i) {
            e = run[bits.Peek() >> (64 - RunBits)];
            const int next = k + (e >> RunStep);
            if (next >= 64)
                break;
            bits.Drop(e & RunUsed);
            k = next;
        }
        if (i == RunsPerLoad)
            continue;
        // The block's last entry: its codes are all this block's when its
        // end code comes before the block is full, or, without one, when
        // they fill the block exactly. What follows a full block is the
        // next block's, so otherwise one code at a time.
        const int step = (e & ~RunEnd) >> RunStep;
        if (e & RunEnd ? k + step - 64 < 64 : k + step == 64) {
            bits.Drop(e & RunUsed);
            return true;
        }
        bits.Need();
        if (!SkipCode(bits, ac, k))
            return false;
        if (k >= 64)
            return true;
    }
}

// A block's sample from its DC alone.
quint8 DcSample(int dc, int quant) { return Limit(int((qint64(dc) * quant + 4) >> 3)); }

bool DecodeScan(const TBits &start, TFrame &f, const std::array<THuffman, 4> &dcs, const std::array<THuffman, 4> &acs,
                int restartInterval)
{
    // A copy of the reader's own: the samples written as bytes could be any
    // object's, so through a reference its state would go back to memory
    // with every code.
    TBits bits = start;
    const bool single = f.comps.size() == 1;
    // One component is coded block by block; several, MCU by MCU.
    const int mcusX = single ? f.comps[0].width : (f.width + 8 * f.hmax - 1) / (8 * f.hmax);
    const int mcusY = single ? f.comps[0].height : (f.height + 8 * f.vmax - 1) / (8 * f.vmax);
    // The blocks of an MCU, in the order they are coded: one loop of a
    // fixed length, whichever the sampling.
    struct TSlot {
        TComponent *c;
        const THuffman *dc, *ac;
        int h, v; // the block's place in its MCU
        int bh, bv; // blocks across and down an MCU of its component
        quint8 *row; // its first sample in the row of MCUs being read
    };
    std::vector<TSlot> order;
    for (TComponent &c : f.comps) {
        const int bh = single ? 1 : c.h, bv = single ? 1 : c.v;
        for (int v = 0; v < bv; ++v)
            for (int h = 0; h < bh; ++h)
                order.push_back({&c, &dcs[c.dc], &acs[c.ac], h, v, bh, bv, nullptr});
    }
    int left = restartInterval;
    for (int my = 0; my < mcusY; ++my) {
        for (TSlot &b : order)
            b.row = b.c->plane.data() + size_t(my * b.bv + b.v) * size_t(b.c->width) + size_t(b.h);
        for (int mx = 0; mx < mcusX; ++mx) {
            if (restartInterval) {
                if (left == 0) {
                    if (!bits.Restart())
                        return false;
                    for (TComponent &c : f.comps)
                        c.pred = 0;
                    left = restartInterval;
                }
                --left;
            }
            for (const TSlot &b : order) {
                if (!DecodeBlock(bits, *b.dc, *b.ac, b.c->pred))
                    return false;
                b.row[mx * b.bh] = DcSample(b.c->pred, b.c->quant);
            }
        }
        if (bits.Overrun())
            return false;
    }
    return true;
}

// libjpeg's YCbCr to RGB conversion, to the same fixed-point rounding.
struct TYcc {
    std::array<int, 256> crR{}, cbB{}, crG{}, cbG{};
    TYcc()
    {
        constexpr int Scale = 16;
        constexpr qint64 Half = qint64(1) << (Scale - 1);
        auto fix = [](double x) { return qint64(std::lround(x * (1 << Scale))); };
        for (int i = 0; i < 256; ++i) {
            const qint64 x = i - 128;
            crR[i] = int((fix(1.40200) * x + Half) >> Scale);
            cbB[i] = int((fix(1.77200) * x + Half) >> Scale);
            crG[i] = int(-fix(0.71414) * x);
            cbG[i] = int(-fix(0.34414) * x + Half);
        }
    }
};

QImage Picture(const TFrame &f)
{
    const int w = (f.width + 7) / 8, h = (f.height + 7) / 8;
    const int n = int(f.comps.size());
    // Each component's samples, a row of the output's width at a time.
    std::vector<std::vector<quint8>> rows(n, std::vector<quint8>(w));
    QImage img(w, h, n == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (img.isNull())
        return {};
    static const TYcc ycc;
    for (int y = 0; y < h; ++y) {
        for (int c = 0; c < n; ++c) {
            const TComponent &comp = f.comps[c];
            // Replicated as libjpeg's upsampling does, by whole factors.
            const int hx = f.hmax / comp.h, vy = f.vmax / comp.v;
            if (y % vy)
                continue; // the same samples as the row above
            const quint8 *src = comp.plane.data() + qsizetype(y / vy) * comp.width;
            quint8 *row = rows[c].data();
            if (hx == 1) {
                std::copy(src, src + w, row);
                continue;
            }
            for (int x = 0; x < w; ++src)
                for (int r = 0; r < hx && x < w; ++r)
                    row[x++] = *src;
        }
        if (n == 1) {
            std::copy(rows[0].begin(), rows[0].end(), img.scanLine(y));
            continue;
        }
        auto *out = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int Y = rows[0][x], cb = rows[1][x], cr = rows[2][x];
            const int r = Y + ycc.crR[cr], g = Y + ((ycc.cbG[cb] + ycc.crG[cr]) >> 16), b = Y + ycc.cbB[cb];
            out[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return img;
}

int Be16(const quint8 *p) { return p[0] << 8 | p[1]; }

bool ParseFrame(const quint8 *s, int len, TFrame &f, qint64 maxPixels)
{
    if (len < 6 || s[0] != 8)
        return false; // 12-bit samples
    f.height = Be16(s + 1);
    f.width = Be16(s + 3);
    const int n = s[5];
    if (f.width == 0 || f.height == 0 || (n != 1 && n != 3) || len < 6 + 3 * n)
        return false;
    if (qint64((f.width + 7) / 8) * ((f.height + 7) / 8) > maxPixels)
        return false;
    f.comps.assign(n, TComponent());
    for (int i = 0; i < n; ++i) {
        TComponent &c = f.comps[i];
        c.id = s[6 + 3 * i];
        c.h = s[7 + 3 * i] >> 4;
        c.v = s[7 + 3 * i] & 15;
        c.tq = s[8 + 3 * i];
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.tq > 3)
            return false;
        f.hmax = std::max(f.hmax, c.h);
        f.vmax = std::max(f.vmax, c.v);
    }
    int blocks = 0;
    for (TComponent &c : f.comps) {
        if (f.hmax % c.h || f.vmax % c.v)
            return false; // fractional sampling, which libjpeg does not take either
        blocks += c.h * c.v;
        if (n == 1) {
            c.width = (f.width + 7) / 8;
            c.height = (f.height + 7) / 8;
        } else {
            c.width = (f.width + 8 * f.hmax - 1) / (8 * f.hmax) * c.h;
            c.height = (f.height + 8 * f.vmax - 1) / (8 * f.vmax) * c.v;
        }
        c.plane.assign(size_t(c.width) * size_t(c.height), 0);
    }
    return n == 1 || blocks <= 10;
}

bool ParseHuffman(const quint8 *s, int len, std::array<THuffman, 4> &dcs, std::array<THuffman, 4> &acs)
{
    while (len > 0) {
        if (len < 17)
            return false;
        const int tc = s[0] >> 4, th = s[0] & 15;
        int n = 0;
        for (int i = 1; i <= 16; ++i)
            n += s[i];
        if (tc > 1 || th > 3 || n > 256 || len < 17 + n)
            return false;
        if (!BuildHuffman(tc ? acs[th] : dcs[th], tc == 1, s + 1, s + 17, n))
            return false;
        s += 17 + n;
        len -= 17 + n;
    }
    return true;
}

// The DC coefficient's quantizer of each table: the only one an eighth needs.
using TQuant = std::array<int, 4>;

bool ParseQuant(const quint8 *s, int len, TQuant &quant, std::array<bool, 4> &defined)
{
    while (len > 0) {
        const int pq = s[0] >> 4, tq = s[0] & 15;
        const int size = 1 + 64 * (pq + 1);
        if (pq > 1 || tq > 3 || len < size)
            return false;
        quant[tq] = pq ? Be16(s + 1) : s[1];
        defined[tq] = true;
        s += size;
        len -= size;
    }
    return true;
}

bool StartsWith(const quint8 *s, int len, const char *text, int n)
{
    return len >= n && std::equal(s, s + n, reinterpret_cast<const quint8 *>(text));
}

// What the segments before the scan said.
struct TJpeg {
    std::array<THuffman, 4> dcs, acs;
    TQuant quant{};
    std::array<bool, 4> quantDefined{};
    TFrame frame;
    int restartInterval = 0;
    bool jfif = false, adobe = false;
    int adobeTransform = 1;
};

// A segment before the scan; false for one this reader does not take.
bool ReadSegment(TJpeg &j, quint8 marker, const quint8 *s, int len, qint64 maxPixels)
{
    switch (marker) {
    case 0xC0: // baseline
    case 0xC1: // extended, Huffman coded
        return j.frame.comps.empty() && ParseFrame(s, len, j.frame, maxPixels);
    case 0xC4: return ParseHuffman(s, len, j.dcs, j.acs);
    case 0xDB: return ParseQuant(s, len, j.quant, j.quantDefined);
    case 0xDD:
        if (len < 2)
            return false;
        j.restartInterval = Be16(s);
        return true;
    case 0xE0: j.jfif = j.jfif || StartsWith(s, len, "JFIF\0", 5); return true;
    case 0xEE:
        if (StartsWith(s, len, "Adobe", 5) && len >= 12) {
            j.adobe = true;
            j.adobeTransform = s[11];
        }
        return true;
    default:
        // Other frame kinds (progressive, lossless, arithmetic coding,
        // hierarchical) are left to the usual reader.
        return !(marker >= 0xC2 && marker <= 0xCF && marker != 0xC8 && marker != 0xCC);
    }
}

// The scan whose header is s, its data up to end.
QImage ReadScan(TJpeg &j, const quint8 *s, int len, const quint8 *end)
{
    TFrame &f = j.frame;
    const int n = len > 0 ? s[0] : 0;
    if (f.comps.empty() || n != int(f.comps.size()) || len < 4 + 2 * n)
        return {};
    // Progressive scans have other spectral limits; they were refused with their frame.
    if (s[1 + 2 * n] != 0 || s[2 + 2 * n] != 63 || s[3 + 2 * n] != 0)
        return {};
    // Three components are YCbCr unless the file says RGB the way libjpeg
    // reads it; those go the usual way.
    if (n == 3 && !j.jfif
        && (j.adobe ? j.adobeTransform == 0 : f.comps[0].id == 'R' && f.comps[1].id == 'G' && f.comps[2].id == 'B'))
        return {};
    // The scan takes the components in the frame's order, as every camera
    // writes them; another order goes the usual way.
    for (int i = 0; i < n; ++i) {
        TComponent &c = f.comps[i];
        const int td = s[2 + 2 * i] >> 4, ta = s[2 + 2 * i] & 15;
        if (s[1 + 2 * i] != c.id || td > 3 || ta > 3 || !j.dcs[td].defined || !j.acs[ta].defined
            || !j.quantDefined[c.tq])
            return {};
        c.dc = td;
        c.ac = ta;
        c.quant = j.quant[c.tq];
    }
    TBits bits(s + len, end);
    if (!DecodeScan(bits, f, j.dcs, j.acs, j.restartInterval))
        return {};
    return Picture(f);
}
} // namespace

QImage ReadJpegEighth(const QByteArray &file, qint64 maxPixels)
{
    const auto *d = reinterpret_cast<const quint8 *>(file.constData());
    const qsizetype size = file.size();
    if (size < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return {};
    TJpeg j;
    qsizetype pos = 2;
    while (pos + 4 <= size) {
        if (d[pos] != 0xFF)
            return {};
        const quint8 marker = d[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (marker == 0xD8 || marker == 0xD9) // another start, or the end before any scan
            return {};
        const int length = Be16(d + pos + 2);
        if (length < 2 || length > size - pos - 2)
            return {};
        if (marker == 0xDA)
            return ReadScan(j, d + pos + 4, length - 2, d + size);
        if (!ReadSegment(j, marker, d + pos + 4, length - 2, maxPixels))
            return {};
        pos += 2 + length;
    }
    return {};
}
