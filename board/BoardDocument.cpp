// The document's layers and history: loading, compositing, replay, undo
// patches, turns, the lasso's lifted strokes and the pen-order counters.
#include "board/BoardDocument.h"

#include "platform/Bitmap.h"

#include <QPainter>
#include <QTextBoundaryFinder>
#include <cmath>

namespace {
// Undo patches are kept within this many bytes; the oldest go first.
constexpr qint64 DefaultUndoStoreBudget = 256ll * 1024 * 1024;
// A full replay keeps undo patches for at most this many of the last records.
constexpr int ReplayPatchTail = 64;
// A word list's line is shown whole, one 500-pixel cell per character, up
// to this many cells (a picture 32000 pixels wide); characters beyond them
// are not drawn. Lines that long are sentences, not words to practise.
constexpr int MaxCells = 64;

qint64 PatchBytes(const QRect &r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height() * 4; }

QRect ImageRect(const QImage &img) { return QRect(0, 0, img.width(), img.height()); }

// Whether every pixel of a picture is opaque. A picture given without an
// alpha channel is, without looking at its pixels.
bool PictureIsOpaque(const QImage &given, const QImage &bitmap)
{
    if (!given.isNull() && !given.hasAlphaChannel())
        return true;
    return IsOpaque(bitmap);
}

// The column of the word picture a picture x lies in.
int ColumnOf(Single x, int pictureWidth, int columns)
{
    const Single cw = Single(Single(pictureWidth) / Single(columns));
    if (!(cw > 0) || !std::isfinite(x))
        return 0;
    const double q = std::trunc(double(x / cw));
    if (q < 0)
        return 0;
    if (q > columns - 1)
        return columns - 1;
    return int(q);
}

// A pen-order stroke sets the counter of its column to its number, and an
// erase-all clears the counters, as they did when they were drawn.
void FollowCounters(QVector<int> &counts, const TPWMenuItem &menu, const TPathData &path, int pictureWidth)
{
    if (menu.PenType == pwEraseAll)
        counts.fill(0);
    else if (menu.PenType == pwFuMk && path.Count() >= 1 && !counts.isEmpty())
        counts[ColumnOf(Single(path.at(0).pt.x()), pictureWidth, int(counts.size()))] = int(qint32(menu.PenColor));
}
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

TBoardDocument::TBoardDocument() : m_undoBudget(DefaultUndoStoreBudget)
{
    m_recs.RecInit();
    FuCountSet(QString());
    Init(64, 64);
}

// ---- loading -----------------------------------------------------------------

void TBoardDocument::Init(int width, int height)
{
    m_turn = 0;
    m_src = NewBitmap(qMax(width, 1), qMax(height, 1));
    BitmapClear(m_src, 0xFFFFFFFF);
    m_srcOpaque = true;
    LayersReset();
    m_recs.RecClear();
    PatchesClear();
}

void TBoardDocument::PictureSet(const QImage &given)
{
    FuCountSet(QString());
    m_turn = 0;
    // Shared with the caller until either side writes: a copy in effect, without the copying.
    m_src = ToBitmap(given.isNull() ? NewBitmap(1, 1) : given);
    m_srcOpaque = PictureIsOpaque(given, m_src);
    m_selLines.clear();
    m_selTrans = MatIdentity();
}

void TBoardDocument::WordSet(const QString &word)
{
    FuCountSet(word);
    m_turn = 0;
    m_src = NewBitmap(m_fuCount * 500, 500);
    BitmapClear(m_src, 0xFFFFFFFF);
    m_srcOpaque = true;
    m_selLines.clear();
    m_selTrans = MatIdentity();
    if (word.isEmpty())
        return;
    QPainter p(&m_src);
    PreparePainter(p);
    QFont font(m_wordFont);
    SetFontPixelSize(font, 400, &m_src);
    p.setFont(font);
    p.setPen(QColor::fromRgba(0xFFDDDDDD));
    const QStringList cells = WordCells(word, m_fuCount);
    for (int i = 0; i < cells.size(); ++i)
        p.drawText(QRectF(i * 500, 0, 500, 500),
                   Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, cells[i]);
}

void TBoardDocument::SetPicture(const QImage &picture)
{
    PictureSet(picture);
    LayersReset();
    m_recs.RecClear();
    PatchesClear();
}

TBoardChange TBoardDocument::SetPicture(const QImage &picture, const TPWRecArray &recs)
{
    PictureSet(picture);
    // Rebuild sizes the layers, after any turn the history holds.
    RecCopy(recs, m_recs);
    return Rebuild();
}

void TBoardDocument::SetWord(const QString &word)
{
    WordSet(word);
    LayersReset();
    m_recs.RecClear();
    PatchesClear();
}

TBoardChange TBoardDocument::SetWord(const QString &word, const TPWRecArray &recs)
{
    WordSet(word);
    RecCopy(recs, m_recs);
    return Rebuild();
}

void TBoardDocument::LayersReset()
{
    const int w = m_src.width(), h = m_src.height();
    BitmapSetSize(m_pen, w, h);
    // The scratch layer is sized on first use (a picture of another size frees it);
    // the display picture shares the picture's pixels until it is first composited.
    if (m_scratch.size() != QSize(w, h))
        m_scratch = QImage();
    m_dsp = m_src;
    FuCountsClear();
}

// ---- compositing -------------------------------------------------------------

void TBoardDocument::DisplayUpdate(const QRect &r0)
{
    const QRect r = r0 & ImageRect(m_dsp);
    if (r.isEmpty())
        return;
    // Each composite starts from the bare picture, so pixels of a transparent
    // picture never keep what was composited there before.
    QPainter p(&m_dsp);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(r.topLeft(), m_src, r);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(r.topLeft(), m_pen, r);
}

TBoardChange TBoardDocument::Composite()
{
    DisplayUpdate(ImageRect(m_dsp));
    return TBoardChange{ImageRect(m_dsp), true};
}

// ---- history -----------------------------------------------------------------

TBoardChange TBoardDocument::Rebuild()
{
    const int t = m_recs.RecTurn();
    if (t != m_turn) {
        // The layers are made anew at the turned size: letting go of them
        // first keeps a turn of a large picture from holding both sizes at once.
        PatchesClear();
        m_pen = QImage();
        m_scratch = QImage();
        m_dsp = QImage();
        m_src = BitmapRotated(m_src, t - m_turn);
        m_turn = t;
    }
    LayersReset();
    ReplayInto(true);
    // Without a record in effect the display picture, fresh from the picture, is right already.
    if (m_recs.p >= 0)
        DisplayUpdate(ImageRect(m_dsp));
    return TBoardChange{ImageRect(m_dsp), true};
}

void TBoardDocument::ReplayInto(bool keepPatches, const TLines &skip)
{
    PatchesClear();
    const int p = m_recs.p;
    const int tail = keepPatches ? PatchTailStart() : p + 1;
    int k = 0;
    for (int j = ReplayStart(); j <= p; ++j) {
        if (!IsStrokeRec(m_recs.Rec[size_t(j)].Menu.PenType))
            continue;
        while (k < skip.size() && skip[k] < j)
            ++k;
        if (k < skip.size() && skip[k] == j)
            continue;
        RenderIndex(j, j >= tail);
    }
}

int TBoardDocument::PatchTailStart() const
{
    // Only a tail is useful: undo goes back from the end, and the first
    // record without a patch needs a replay anyway. A replay copies at most
    // one pen layer's worth of pixels into patches, so that keeping them
    // never costs more than drawing about one more stroke: the strokes
    // drawn after it fill the rest of the budget.
    const int p = m_recs.p;
    const QRect layer = ImageRect(m_pen);
    const qint64 allowance = qMin(m_undoBudget, PatchBytes(layer));
    TPathData path;
    qint64 bytes = 0;
    int start = p + 1, kept = 0;
    for (int j = p; j >= ReplayStart() && kept < ReplayPatchTail; --j) {
        if (!IsStrokeRec(m_recs.Rec[size_t(j)].Menu.PenType))
            continue;
        const TPWMenuItem menu = m_recs.RecPath(j, path);
        bytes += PatchBytes(RecBounds(menu, path) & layer);
        if (bytes > allowance)
            break;
        start = j;
        ++kept;
    }
    return start;
}

int TBoardDocument::ReplayStart() const
{
    // An erase-all clears the pen layer and the stroke counters: nothing
    // up to it can show, so a replay starts after it, on the layer it left,
    // and its cost stays that of the strokes drawn since, however long the
    // history has grown. The erase-all itself is not drawn again: its undo
    // patch must hold the strokes before it, which only drawing it in
    // place (the command, or a redo) can take.
    return m_recs.RecLastEraseAll() + 1;
}

QRect TBoardDocument::RecBounds(const TPWMenuItem &menu, const TPathData &path) const
{
    return RecordBounds(menu, path, ImageRect(m_pen), m_options);
}

QRect TBoardDocument::Draw(const TPWMenuItem &menu, TPathData &path, const TRenderStyle &style,
                           const TPressure &pressure)
{
    FollowCounters(m_fuCounts, menu, path, m_src.width());
    return RenderRecord(m_pen, m_scratch, menu, path, style, m_options, pressure);
}

QRect TBoardDocument::RenderIndex(int index, bool keepPatch, const QVector<int> *countsBefore)
{
    TPathData path;
    const TPWMenuItem menu = m_recs.RecPath(index, path);
    if (keepPatch) {
        PatchStore(index, RecBounds(menu, path));
        auto kept = m_patches.find(index);
        if (countsBefore && kept != m_patches.end())
            kept->second.fuCounts = *countsBefore;
    }
    const TPWRec &rec = m_recs.Rec[size_t(index)];
    return Draw(menu, path, rec.Style, rec.Pressure);
}

TBoardChange TBoardDocument::AddStroke(const TPWMenuItem &pen, const TPathData &path, const TRenderStyle &style,
                                       const QVector<int> &countsBefore, const TPressure &pressure)
{
    m_recs.RecAddLine(pen, path, style, pressure);
    ++m_revision;
    const QRect r = RenderIndex(m_recs.p, true, &countsBefore);
    DisplayUpdate(r);
    return TBoardChange{r};
}

TBoardChange TBoardDocument::Undo()
{
    if (!m_recs.RecCanUndo())
        return {};
    ++m_revision;
    const int j = m_recs.p;
    const TPWPenType kind = m_recs.Rec[size_t(j)].Menu.PenType;
    auto it = m_patches.find(j);
    if (IsStrokeRec(kind) && it != m_patches.end() && m_selLines.isEmpty()) {
        // The pixels under the last stroke as they were before it: the same
        // pen layer a replay of the records before it would give.
        UndoPatch patch = std::move(it->second);
        m_undoBytes -= patch.pixels.sizeInBytes();
        m_patches.erase(it);
        {
            QPainter p(&m_pen);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(patch.rect.topLeft(), patch.pixels);
        }
        m_fuCounts = patch.fuCounts;
        m_recs.RecUndo();
        DisplayUpdate(patch.rect);
        return TBoardChange{patch.rect};
    }
    m_recs.RecUndo();
    // Replay ignores the records after the turns: nothing on the board changes.
    if (kind > pwTurnL)
        return {};
    return Rebuild();
}

TBoardChange TBoardDocument::Redo()
{
    if (!m_recs.RecCanRedo())
        return {};
    ++m_revision;
    const int j = m_recs.p + 1;
    const TPWPenType kind = m_recs.Rec[size_t(j)].Menu.PenType;
    m_recs.RecRedo();
    if (IsStrokeRec(kind) && m_selLines.isEmpty()) {
        // A stroke redone on top of the layer of the records before it is
        // exactly what a replay would draw last.
        const QRect r = RenderIndex(j, true);
        DisplayUpdate(r);
        return TBoardChange{r};
    }
    if (kind > pwTurnL)
        return {};
    return Rebuild();
}

TBoardChange TBoardDocument::EraseAll()
{
    if (!m_recs.RecHasStrokes())
        return {};
    // A record like any other: undo brings the strokes back, and it goes
    // with the history to wherever the history is copied. The turns before
    // it stay in effect, so the picture keeps its orientation.
    m_recs.RecAddEraseAll();
    ++m_revision;
    RenderIndex(m_recs.p, true);
    return Composite();
}

TBoardChange TBoardDocument::Rotate(bool right)
{
    m_recs.RecAddTurn(right, Single(m_src.width()), Single(m_src.height()));
    ++m_revision;
    return Rebuild();
}

QImage TBoardDocument::ReplayPenLayer(bool straightforward, QVector<int> *replayCounts) const
{
    QImage layer = NewBitmap(m_src.width(), m_src.height());
    QImage scratch;
    QVector<int> counts(m_fuCount, 0);
    TRenderOptions options = m_options;
    options.WholeLayer = straightforward;
    TPathData path;
    for (int j = ReplayStart(); j <= m_recs.p; ++j)
        if (IsStrokeRec(m_recs.Rec[size_t(j)].Menu.PenType)) {
            const TPWMenuItem menu = m_recs.RecPath(j, path);
            FollowCounters(counts, menu, path, m_src.width());
            const TPWRec &rec = m_recs.Rec[size_t(j)];
            RenderRecord(layer, scratch, menu, path, rec.Style, options, rec.Pressure);
        }
    if (replayCounts)
        *replayCounts = counts;
    return layer;
}

// ---- the lasso -------------------------------------------------------------------

namespace {
bool PointInPolygon(double x, double y, const TPathData &poly)
{
    bool inside = false;
    const int n = poly.Count();
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const double xi = poly.at(i).pt.x(), yi = poly.at(i).pt.y();
        const double xj = poly.at(j).pt.x(), yj = poly.at(j).pt.y();
        if (((y >= yi && y < yj) || (y >= yj && y < yi)) && (xj - xi) * (y - yi) / (yj - yi) + xi > x)
            inside = !inside;
    }
    return inside;
}
} // namespace

TLines TBoardDocument::StrokesInside(const TPathData &lasso) const
{
    TLines result;
    if (lasso.Count() < 3)
        return result;
    // Strokes an erase-all took away are not on the board, and the erase-all
    // itself is not a stroke one can point at.
    for (int j = m_recs.RecLastEraseAll() + 1; j <= m_recs.p; ++j) {
        if (!IsStrokeRec(m_recs.Rec[size_t(j)].Menu.PenType))
            continue;
        const TPolygon pts = m_recs.RecPoints(j);
        bool all = true;
        for (const QPointF &pt : pts)
            if (!PointInPolygon(pt.x(), pt.y(), lasso)) {
                all = false;
                break;
            }
        if (all)
            result << j;
    }
    return result;
}

void TBoardDocument::SelectionRecord()
{
    const int kept = m_recs.c;
    m_recs.RecAddEdit(m_selTrans, m_selLines);
    if (m_recs.c != kept || m_recs.p != kept)
        ++m_revision;
    m_selLines.clear();
    m_selTrans = MatIdentity();
}

TBoardChange TBoardDocument::SelectInside(const TPathData &lasso)
{
    const bool hadSelection = !m_selLines.isEmpty();
    SelectionRecord();
    // After the move is recorded: the strokes are where they show.
    m_selLines = StrokesInside(lasso);
    // Nothing was or is picked up: the pen layer already holds every stroke.
    if (!hadSelection && m_selLines.isEmpty())
        return {};
    LayersReset();
    ReplayInto(false, m_selLines);
    return Composite();
}

TBoardChange TBoardDocument::SelectionDrop()
{
    const bool hadSelection = !m_selLines.isEmpty();
    SelectionRecord();
    // Without a selection the pen layer already shows every stroke in place.
    return hadSelection ? Rebuild() : TBoardChange{};
}

QImage TBoardDocument::RenderSelection(QRect &area) const
{
    area = QRect();
    TPathData path;
    for (qint32 idx : m_selLines)
        area |= RecBounds(m_recs.RecPath(idx, path), path);
    if (area.isEmpty())
        return QImage();
    // The strokes picked up are drawn by the renderer, in their order and
    // style, into a layer of just their area: they look exactly as they did
    // on the board (colours, markers' opacity, arrow heads, numbers).
    QImage layer = NewBitmap(area.width(), area.height()), scratch;
    for (qint32 idx : m_selLines) {
        const TPWMenuItem menu = m_recs.RecPath(idx, path);
        path.Translate(-area.left(), -area.top());
        const TPWRec &rec = m_recs.Rec[size_t(idx)];
        RenderRecord(layer, scratch, menu, path, rec.Style, m_options, rec.Pressure);
    }
    return layer;
}

// ---- pen order -------------------------------------------------------------------

void TBoardDocument::FuCountSet(const QString &word)
{
    m_fuCount = qMax(int(WordCells(word, MaxCells).size()), 1);
    m_fuCounts.resize(m_fuCount);
}

int TBoardDocument::FuColumn(Single x) const { return ColumnOf(x, m_src.width(), m_fuCount); }

int TBoardDocument::FuCountNext(Single x)
{
    const int k = FuColumn(x);
    m_fuCounts[k] += 1;
    return m_fuCounts[k];
}

// ---- undo store --------------------------------------------------------------

void TBoardDocument::PatchesClear()
{
    m_patches.clear();
    m_undoBytes = 0;
}

void TBoardDocument::SetUndoStoreBudget(qint64 bytes)
{
    m_undoBudget = qMax<qint64>(bytes, 0);
    PatchesClear();
}

void TBoardDocument::PatchStore(int index, const QRect &r)
{
    auto old = m_patches.find(index);
    if (old != m_patches.end()) {
        m_undoBytes -= old->second.pixels.sizeInBytes();
        m_patches.erase(old);
    }
    const QRect rect = r & ImageRect(m_pen);
    const qint64 size = PatchBytes(rect);
    if (size > m_undoBudget) {
        // Undoing this record will replay, and the patches before it would never be reached.
        PatchesClear();
        return;
    }
    // Room first, so the store never holds more than its budget.
    while (m_undoBytes + size > m_undoBudget && !m_patches.empty()) {
        auto it = m_patches.begin();
        m_undoBytes -= it->second.pixels.sizeInBytes();
        m_patches.erase(it);
    }
    UndoPatch patch;
    patch.rect = rect;
    if (!rect.isEmpty())
        patch.pixels = m_pen.copy(rect);
    patch.fuCounts = m_fuCounts;
    m_undoBytes += patch.pixels.sizeInBytes();
    m_patches.emplace(index, std::move(patch));
}
