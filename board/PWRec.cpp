#include "PWRec.h"

#include <bit>
#include <cmath>

TAr3x3 MatIdentity() { return {1, 0, 0, 0, 1, 0, 0, 0, 1}; }

TAr3x3 MatTranslate(Single tx, Single ty) { return {1, 0, tx, 0, 1, ty, 0, 0, 1}; }

TAr3x3 MatRotate(Single a)
{
    const Single c = std::cos(a), s = std::sin(a);
    return {c, -s, 0, s, c, 0, 0, 0, 1};
}

TAr3x3 MatMul(const TAr3x3 &a, const TAr3x3 &b)
{
    TAr3x3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            Single s = 0;
            for (int k = 0; k < 3; ++k)
                s += a[i * 3 + k] * b[k * 3 + j];
            r[i * 3 + j] = s;
        }
    return r;
}

QPointF MatApply(const QPointF &p, const TAr3x3 &m)
{
    const Single x = Single(p.x()), y = Single(p.y());
    const Single nx = m[0] * x + m[1] * y + m[2];
    const Single ny = m[3] * x + m[4] * y + m[5];
    return QPointF(nx, ny);
}

bool MatIsIdentity(const TAr3x3 &m)
{
    return m[0] == 1 && m[4] == 1 && m[8] == 1 && m[1] == 0 && m[2] == 0 && m[3] == 0 && m[5] == 0 && m[6] == 0
           && m[7] == 0;
}

bool MatSameBits(const TAr3x3 &a, const TAr3x3 &b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (std::bit_cast<quint32>(a[i]) != std::bit_cast<quint32>(b[i]))
            return false;
    return true;
}

TAr3x3 MatTurnAt(Single cx, Single cy, Single a)
{
    return MatMul(MatMul(MatTranslate(cy, cx), MatRotate(a)), MatTranslate(-cx, -cy));
}

void TPWRecArray::RecInit()
{
    p = c = -1;
    Rec.clear();
}

void TPWRecArray::RecClear()
{
    p = c = -1;
    Rec.clear();
    Rec.shrink_to_fit();
}

int TPWRecArray::RecNext()
{
    p = p + 1;
    c = p;
    if (p >= int(Rec.size()))
        Rec.resize(Rec.size() + 100);
    return p;
}

void TPWRecArray::RecAddLine(const TPWMenuItem &pen, const TPathData &path, const TRenderStyle &style,
                             const TPressure &pressure)
{
    if (path.Count() < 1)
        return;
    TPWRec &r = Rec[RecNext()];
    r.Menu = pen;
    r.Points.resize(path.Count());
    for (int i = 0; i < path.Count(); ++i)
        r.Points[i] = path.at(i).pt;
    if (pressure.size() == path.Count())
        r.Pressure = TPressure(pressure.begin(), pressure.end());
    else
        r.Pressure.clear();
    r.Lines.clear();
    r.Trans = MatIdentity();
    r.Style = style;
}

void TPWRecArray::RecAddEdit(const TAr3x3 &m, const TLines &indices)
{
    if (indices.isEmpty() || MatIsIdentity(m))
        return;
    TPWRec &r = Rec[RecNext()];
    r.Menu.PenType = pwEdit;
    r.Points.clear();
    r.Pressure.clear();
    r.Lines = indices;
    r.Trans = m;
}

void TPWRecArray::RecAddTurn(bool right, Single w, Single h)
{
    const Single a = Single(M_PI / 2);
    TPWRec &r = Rec[RecNext()];
    r.Menu.PenType = right ? pwTurnR : pwTurnL;
    r.Trans = MatTurnAt(w / 2, h / 2, right ? a : -a);
    r.Points.clear();
    r.Pressure.clear();
    r.Lines.clear();
}

void TPWRecArray::RecAddEraseAll()
{
    TPWRec &r = Rec[RecNext()];
    r.Menu = MakeMenuItem(pwEraseAll, 0xFFFFFFFF, 1, sdSolid);
    r.Points.clear();
    r.Pressure.clear();
    r.Lines.clear();
    r.Trans = MatIdentity();
}

int TPWRecArray::RecLastEraseAll() const
{
    for (int j = p; j >= 0; --j)
        if (Rec[j].Menu.PenType == pwEraseAll)
            return j;
    return -1;
}

bool TPWRecArray::RecHasStrokes() const
{
    for (int j = RecLastEraseAll() + 1; j <= p; ++j)
        if (IsStrokeRec(Rec[j].Menu.PenType))
            return true;
    return false;
}

TPolygon TPWRecArray::RecPoints(int r) const
{
    TPolygon pts = Rec[r].Points;
    TAr3x3 m = Rec[r].Trans;
    bool applied = false;
    for (int j = r + 1; j <= p; ++j) {
        const TPWRec &e = Rec[j];
        if (e.Menu.PenType == pwEdit) {
            for (qint32 idx : e.Lines)
                if (idx == r) {
                    m = MatMul(e.Trans, m);
                    applied = true;
                }
        } else if (IsTurnRec(e.Menu.PenType)) {
            m = MatMul(e.Trans, m);
            applied = true;
        }
    }
    if (applied)
        for (QPointF &pt : pts)
            pt = MatApply(pt, m);
    return pts;
}

TPWMenuItem TPWRecArray::RecPath(int r, TPathData &path) const
{
    path.Clear();
    const TPolygon pts = RecPoints(r);
    path.reserve(pts.size());
    for (int i = 0; i < pts.size(); ++i) {
        if (i == 0)
            path.MoveTo(pts[i]);
        else
            path.LineTo(pts[i]);
    }
    return Rec[r].Menu;
}

int TPWRecArray::RecTurn() const
{
    int t = 0;
    for (int j = 0; j <= p; ++j) {
        if (Rec[j].Menu.PenType == pwTurnR)
            t = (t + 1) % 4;
        else if (Rec[j].Menu.PenType == pwTurnL)
            t = (t + 3) % 4;
    }
    return t;
}

void RecCopy(const TPWRecArray &source, TPWRecArray &destination)
{
    if (&source == &destination)
        return;
    destination.Rec.clear();
    destination.p = source.p;
    destination.c = source.c;
    destination.Rec.resize(source.c + 1);
    for (int i = 0; i <= source.c; ++i) {
        const TPWRec &s = source.Rec[i];
        TPWRec &d = destination.Rec[i];
        d.Menu = s.Menu;
        d.Trans = s.Trans;
        // QVector shares on copy; detach so the copy never aliases the source.
        d.Points = TPolygon(s.Points.begin(), s.Points.end());
        d.Pressure = TPressure(s.Pressure.begin(), s.Pressure.end());
        d.Lines = TLines(s.Lines.begin(), s.Lines.end());
        d.Style = s.Style;
    }
}
