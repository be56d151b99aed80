#include "store/HistoryCodec.h"

#include <bit>
#include <cmath>
#include <limits>

// A record as bytes, little-endian:
//   version (1), flags, pen type, dash, colour (u32), thickness (f32),
//   [matrix: 9 x f32 when not the identity],
//   line count (varint) and each line (varint),
//   number font (varint length, UTF-8),
//   point count (varint), then the points: x and y of each as float32 bits
//   XOR the previous point's (a varint: neighbouring points share their high
//   bits, so most take three bytes instead of four), or as raw float64 when a
//   coordinate is not exactly a float,
//   [pressure: one u16 per point, for strokes drawn with a stylus].
// Records without pressure are the same bytes as before it was kept.
namespace {
constexpr quint8 Version = 1;
constexpr quint8 FlagMatrix = 1, FlagDouble = 2, FlagSmoothing = 4, FlagPressure = 8, KnownFlags = 15;
constexpr quint32 MaxPoints = 4'000'000, MaxLines = 1'000'000, MaxFontBytes = 256;

void PutU32(QByteArray &out, quint32 v)
{
    char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xFF);
    out.append(b, 4);
}

void PutU64(QByteArray &out, quint64 v)
{
    char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = char((v >> (8 * i)) & 0xFF);
    out.append(b, 8);
}

void PutVar(QByteArray &out, quint32 v)
{
    while (v >= 0x80) {
        out.append(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

bool IsFloatExact(double v) { return std::bit_cast<quint64>(double(float(v))) == std::bit_cast<quint64>(v); }

// Reads the bytes front to back; every read checks what is left first.
struct Reader {
    const uchar *at;
    const uchar *end;
    QString why;

    qsizetype Left() const { return end - at; }
    bool Fail(const char *reason)
    {
        if (why.isEmpty())
            why = QString::fromLatin1(reason);
        return false;
    }
    bool U8(quint8 &v)
    {
        if (Left() < 1)
            return Fail("the record ends early");
        v = *at++;
        return true;
    }
    bool U32(quint32 &v)
    {
        if (Left() < 4)
            return Fail("the record ends early");
        v = quint32(at[0]) | quint32(at[1]) << 8 | quint32(at[2]) << 16 | quint32(at[3]) << 24;
        at += 4;
        return true;
    }
    bool U64(quint64 &v)
    {
        if (Left() < 8)
            return Fail("the record ends early");
        v = 0;
        for (int i = 7; i >= 0; --i)
            v = v << 8 | at[i];
        at += 8;
        return true;
    }
    bool Var(quint32 &v)
    {
        v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            quint8 b = 0;
            if (!U8(b))
                return false;
            if (shift == 28 && b > 0x0F)
                return Fail("a number is too large");
            v |= quint32(b & 0x7F) << shift;
            if (!(b & 0x80))
                return true;
        }
        return Fail("a number is too large");
    }
    bool Finite(quint32 bits, float &f)
    {
        f = std::bit_cast<float>(bits);
        return std::isfinite(f) || Fail("a number is not finite");
    }
};

void EncodePoints(QByteArray &out, const TPolygon &pts, bool asDouble)
{
    PutVar(out, quint32(pts.size()));
    if (asDouble) {
        for (const QPointF &p : pts) {
            PutU64(out, std::bit_cast<quint64>(p.x()));
            PutU64(out, std::bit_cast<quint64>(p.y()));
        }
        return;
    }
    quint32 px = 0, py = 0;
    for (const QPointF &p : pts) {
        const quint32 x = std::bit_cast<quint32>(float(p.x())), y = std::bit_cast<quint32>(float(p.y()));
        PutVar(out, x ^ px);
        PutVar(out, y ^ py);
        px = x;
        py = y;
    }
}

bool DecodePoints(Reader &r, bool asDouble, TPolygon &pts)
{
    quint32 n = 0;
    if (!r.Var(n))
        return false;
    // Each point takes at least two bytes (sixteen as float64): a count the
    // bytes cannot hold is refused before anything is allocated.
    if (n > MaxPoints || qsizetype(n) * (asDouble ? 16 : 2) > r.Left())
        return r.Fail("the point count does not match the record's length");
    pts.resize(qsizetype(n));
    quint32 px = 0, py = 0;
    for (QPointF &p : pts) {
        if (asDouble) {
            quint64 x = 0, y = 0;
            if (!r.U64(x) || !r.U64(y))
                return false;
            p = QPointF(std::bit_cast<double>(x), std::bit_cast<double>(y));
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                return r.Fail("a point is not finite");
            continue;
        }
        quint32 dx = 0, dy = 0;
        float x = 0, y = 0;
        if (!r.Var(dx) || !r.Var(dy) || !r.Finite(px ^= dx, x) || !r.Finite(py ^= dy, y))
            return r.Fail("a point is not finite");
        p = QPointF(x, y);
    }
    return true;
}

bool DecodePressure(Reader &r, qsizetype points, TPressure &pressure)
{
    if (points * 2 > r.Left())
        return r.Fail("the pressure does not match the record's length");
    pressure.resize(points);
    for (quint16 &level : pressure) {
        level = quint16(r.at[0] | r.at[1] << 8);
        r.at += 2;
    }
    return true;
}

bool DecodeHead(Reader &r, quint8 &flags, TPWRec &rec)
{
    quint8 version = 0, type = 0, dash = 0;
    quint32 color = 0, thick = 0;
    if (!r.U8(version) || !r.U8(flags) || !r.U8(type) || !r.U8(dash) || !r.U32(color) || !r.U32(thick))
        return false;
    if (version != Version)
        return r.Fail("the record was written by another version");
    if (flags & ~KnownFlags)
        return r.Fail("the record has unknown flags");
    // The kinds a record was ever written with; the commands added after
    // them (export, print, replay) are never recorded.
    if (type > pwApp)
        return r.Fail("the pen kind is unknown");
    if (dash > sdCustom)
        return r.Fail("the dash style is unknown");
    float thickness = 0;
    if (!r.Finite(thick, thickness))
        return false;
    rec.Menu = MakeMenuItem(TPWPenType(type), color, thickness, TStrokeDash(dash));
    rec.Trans = MatIdentity();
    if (flags & FlagMatrix) {
        for (Single &m : rec.Trans) {
            quint32 bits = 0;
            if (!r.U32(bits) || !r.Finite(bits, m))
                return false;
        }
    }
    return true;
}

bool DecodeLinesAndStyle(Reader &r, quint8 flags, TPWRec &rec)
{
    quint32 n = 0;
    if (!r.Var(n))
        return false;
    if (n > MaxLines || qsizetype(n) > r.Left())
        return r.Fail("the line count does not match the record's length");
    rec.Lines.resize(qsizetype(n));
    for (qint32 &line : rec.Lines) {
        quint32 v = 0;
        if (!r.Var(v))
            return false;
        if (v > quint32(std::numeric_limits<qint32>::max()))
            return r.Fail("a line index is out of range");
        line = qint32(v);
    }
    quint32 fontBytes = 0;
    if (!r.Var(fontBytes))
        return false;
    if (fontBytes > MaxFontBytes || qsizetype(fontBytes) > r.Left())
        return r.Fail("the font name is too long");
    const QByteArray utf8(reinterpret_cast<const char *>(r.at), qsizetype(fontBytes));
    r.at += fontBytes;
    rec.Style.NumberFont = QString::fromUtf8(utf8);
    if (rec.Style.NumberFont.toUtf8() != utf8)
        return r.Fail("the font name is not valid text");
    rec.Style.Smoothing = (flags & FlagSmoothing) != 0;
    return true;
}
} // namespace

QByteArray EncodeRecord(const TPWRec &rec)
{
    bool asDouble = false;
    for (const QPointF &p : rec.Points)
        if (!IsFloatExact(p.x()) || !IsFloatExact(p.y())) {
            asDouble = true;
            break;
        }
    const bool matrix = !MatSameBits(rec.Trans, MatIdentity());
    const bool pressure = !rec.Pressure.isEmpty() && rec.Pressure.size() == rec.Points.size();
    const quint8 flags = quint8((matrix ? FlagMatrix : 0) | (asDouble ? FlagDouble : 0)
                                | (rec.Style.Smoothing ? FlagSmoothing : 0) | (pressure ? FlagPressure : 0));
    QByteArray out;
    out.reserve(32 + rec.Points.size() * (asDouble ? 16 : 7));
    out.append(char(Version));
    out.append(char(flags));
    out.append(char(rec.Menu.PenType));
    out.append(char(rec.Menu.PenDash));
    PutU32(out, rec.Menu.PenColor);
    PutU32(out, std::bit_cast<quint32>(rec.Menu.PenThickness));
    if (matrix)
        for (Single m : rec.Trans)
            PutU32(out, std::bit_cast<quint32>(m));
    PutVar(out, quint32(rec.Lines.size()));
    for (qint32 line : rec.Lines)
        PutVar(out, quint32(line));
    QString name = rec.Style.NumberFont;
    QByteArray font = name.toUtf8();
    while (font.size() > qsizetype(MaxFontBytes)) { // no font family is that long; cut whole characters
        name.chop(1);
        font = name.toUtf8();
    }
    PutVar(out, quint32(font.size()));
    out.append(font);
    EncodePoints(out, rec.Points, asDouble);
    if (pressure)
        for (quint16 level : rec.Pressure) {
            out.append(char(level & 0xFF));
            out.append(char(level >> 8));
        }
    return out;
}

bool DecodeRecord(const QByteArray &bytes, TPWRec &rec, QString *why)
{
    Reader r{reinterpret_cast<const uchar *>(bytes.constData()),
             reinterpret_cast<const uchar *>(bytes.constData()) + bytes.size(),
             {}};
    TPWRec out;
    quint8 flags = 0;
    bool ok = DecodeHead(r, flags, out) && DecodeLinesAndStyle(r, flags, out)
              && DecodePoints(r, (flags & FlagDouble) != 0, out.Points);
    if (ok && (flags & FlagPressure)) {
        // A stroke of no points has no pressure to keep: such bytes were not written here.
        if (out.Points.isEmpty())
            ok = r.Fail("the record has pressure without points");
        else
            ok = DecodePressure(r, out.Points.size(), out.Pressure);
    }
    if (ok && r.Left() != 0)
        ok = r.Fail("the record has bytes beyond its end");
    if (!ok) {
        if (why)
            *why = r.why;
        return false;
    }
    rec = std::move(out);
    return true;
}
