// Pen order: pen-order strokes are numbered per column of the word picture,
// and a word is drawn large and light grey, one character per 500-pixel cell.
#include "board/PWImage.h"


#include <QPainter>
#include <QTextBoundaryFinder>
#include <cmath>

namespace {
// A word list's line is shown whole, one 500-pixel cell per character, up
// to this many cells (a picture 32000 pixels wide); characters beyond them
// are not drawn. Lines that long are sentences, not words to practise.
constexpr int MaxCells = 64;
} // namespace

QStringList WordCells(const QString &word, int limit)
{
    // A cell holds what a reader sees as one character: a surrogate pair (a
    // kanji outside the basic plane), a letter with its combining marks, a
    // character with its variation selector.
    QStringList cells;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, word);
    qsizetype start = 0;
    while (cells.size() < limit) {
        const qsizetype end = finder.toNextBoundary();
        if (end < 0 || end <= start)
            break;
        cells << word.mid(start, end - start);
        start = end;
    }
    return cells;
}

void TPWImage::FuCountSet(const QString &word)
{
    FuCount = qMax(int(WordCells(word, MaxCells).size()), 1);
    FuCounts.resize(FuCount);
}

void TPWImage::FuCountsClear()
{
    FuCounts.fill(0);
}

int TPWImage::FuColumn(Single x) const
{
    const Single cw = Single(Single(FSrcBitmap.width()) / Single(FuCount));
    if (!(cw > 0) || !std::isfinite(x))
        return 0;
    const double q = std::trunc(double(x / cw));
    if (q < 0)
        return 0;
    if (q > FuCount - 1)
        return FuCount - 1;
    return int(q);
}

void TPWImage::FuCountNext(Single x, Single y)
{
    const int k = FuColumn(Single(ScreenToPicture(QPointF(x, y)).x()));
    FuCounts[k] += 1;
    FCrPen.PenColor = TAlphaColor(FuCounts[k]);
}

void TPWImage::FuCountRestore(const TPWMenuItem &menu, const TPathData &path)
{
    if (path.Count() < 1)
        return;
    const int k = FuColumn(Single(path.at(0).pt.x()));
    FuCounts[k] = int(qint32(menu.PenColor));
}

void TPWImage::WordBitmapDraw(const QString &word)
{
    FSrcBitmap = NewBitmap(FuCount * 500, 500);
    BitmapClear(FSrcBitmap, 0xFFFFFFFF);
    if (word.isEmpty())
        return;
    QPainter p(&FSrcBitmap);
    PreparePainter(p);
    QFont font(m_wordFont);
    SetFontPixelSize(font, 400, &FSrcBitmap);
    p.setFont(font);
    p.setPen(QColor::fromRgba(0xFFDDDDDD));
    const QStringList cells = WordCells(word, FuCount);
    for (int i = 0; i < cells.size(); ++i)
        p.drawText(QRectF(i * 500, 0, 500, 500), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                   cells[i]);
}
