// Drives a board document with a sequence of operations read from bytes, and
// checks after each one what must always hold: the pen layer is exactly what
// replaying the history gives, with the same pen-order counters, and the
// display picture is the picture with the pen layer over it. Shared by the
// fuzzer and the headless document test.
#pragma once

#include "board/BoardDocument.h"
#include "board/BoardReplay.h"
#include "platform/Bitmap.h"

#include <QPainter>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace boardops {

class Reader
{
public:
    Reader(const uint8_t *data, size_t size) : m_data(data), m_size(size) { }
    bool AtEnd() const { return m_pos >= m_size; }
    int Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // A coordinate a little beyond a side of extent pixels on both ends.
    double Coordinate(int extent) { return Byte() * (extent + 16) / 255.0 - 8; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

inline TPathData ReadPath(Reader &in, int minimum, const QImage &picture)
{
    TPathData path;
    const int n = minimum + in.Byte() % 8;
    for (int i = 0; i < n; ++i) {
        const QPointF p(in.Coordinate(picture.width()), in.Coordinate(picture.height()));
        if (i == 0)
            path.MoveTo(p);
        else
            path.LineTo(p);
    }
    return path;
}

inline void AddStroke(TBoardDocument &doc, Reader &in)
{
    static const TAlphaColor colors[] = {0xFF000000, 0xFFFF0000, 0x800000FF, 0xFF00C000};
    const auto kind = TPWPenType(pwPn + in.Byte() % (pwFuMk - pwPn + 1));
    TPWMenuItem pen = MakeMenuItem(kind, colors[in.Byte() % 4], Single(1 + in.Byte() % 14), TStrokeDash(in.Byte() % 5));
    TRenderStyle style;
    const int how = in.Byte();
    style.Smoothing = how % 2 == 0;
    const TPathData path = ReadPath(in, 1, doc.Picture());
    // Some strokes come from a stylus: a pressure level for each point.
    TPressure pressure;
    if (how & 2)
        for (int i = 0; i < path.Count(); ++i)
            pressure.push_back(quint16(in.Byte() * 257));
    const QVector<int> before = doc.FuCounts();
    // As the board numbers a pen-order stroke when it starts.
    if (kind == pwFuMk)
        pen.PenColor = TAlphaColor(doc.FuCountNext(Single(path.at(0).pt.x())));
    doc.AddStroke(pen, path, style, before, pressure);
}

// Runs one operation; false when the input has no more.
inline bool Step(TBoardDocument &doc, Reader &in)
{
    if (in.AtEnd())
        return false;
    switch (in.Byte() % 10) {
    case 0:
    case 1: AddStroke(doc, in); break;
    case 2: doc.Undo(); break;
    case 3: doc.Redo(); break;
    case 4: doc.EraseAll(); break;
    case 5: doc.Rotate(in.Byte() % 2 == 0); break;
    case 6: doc.SelectInside(ReadPath(in, 3, doc.Picture())); break;
    case 7: doc.SelectionMoveBy(MatTranslate(Single(in.Byte() % 21 - 10), Single(in.Byte() % 21 - 10))); break;
    case 8: doc.SelectionDrop(); break;
    default: {
        static const qint64 budgets[] = {0, 2048, 16384, 256ll * 1024 * 1024};
        doc.SetUndoStoreBudget(budgets[in.Byte() % 4]);
        break;
    }
    }
    return true;
}

// What must hold between operations; empty when it does.
inline QString Check(const TBoardDocument &doc)
{
    if (doc.PenLayer().size() != doc.Picture().size() || doc.Display().size() != doc.Picture().size())
        return QStringLiteral("the layers are not the picture's size");
    QImage composed = doc.Picture().copy();
    {
        QPainter p(&composed);
        p.drawImage(0, 0, doc.PenLayer());
    }
    if (composed != doc.Display())
        return QStringLiteral("the display is not the picture with the pen layer over it");
    // With strokes picked up the pen layer lacks them on purpose.
    if (!doc.Selection().isEmpty())
        return QString();
    QVector<int> counts;
    if (doc.ReplayPenLayer(true, &counts) != doc.PenLayer())
        return QStringLiteral("the pen layer differs from a replay of the history");
    if (counts != doc.FuCounts())
        return QStringLiteral("the pen-order counters differ from a replay's");
    // Replay, drawing the strokes again stroke by stroke, ends on what the board shows.
    TBoardReplay replay(doc);
    replay.Advance(replay.StrokeCount() + 1.0);
    if (!replay.Done() || replay.Display() != doc.Display())
        return QStringLiteral("the last frame of Replay differs from the display");
    return QString();
}

// Runs every operation the bytes hold on a fresh document: the first byte
// chooses a picture or a word. Returns what did not hold, or an empty string.
inline QString Run(const uint8_t *data, size_t size, int maxSteps = 48)
{
    Reader in(data, size);
    TBoardDocument doc;
    switch (in.Byte() % 3) {
    case 0: doc.Init(40 + in.Byte() % 24, 30 + in.Byte() % 24); break;
    case 1: {
        QImage picture = NewBitmap(36, 52);
        picture.fill(QColor(0, 128, 255, in.Byte()));
        doc.SetPicture(picture);
        break;
    }
    default: doc.SetWord(QStringLiteral("ab")); break;
    }
    for (int i = 0; i < maxSteps && Step(doc, in); ++i) {
        const QString why = Check(doc);
        if (!why.isEmpty())
            return QStringLiteral("after operation %1: %2").arg(i + 1).arg(why);
    }
    doc.SelectionDrop();
    return Check(doc);
}

} // namespace boardops
