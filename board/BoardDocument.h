// The board's document: a picture, its stroke history and the layers the
// history draws, with everything a change of the history does to them
// (replay, undo patches, quarter turns, erase-all, the lasso's lifted
// strokes, the pen-order counters). It needs no widgets: tests drive it
// headless and a fuzzer drives it with random operation sequences.
#pragma once

#include "board/PWRec.h"
#include "board/PWRender.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>
#include <map>

// What a change did to the display picture: the area that changed, or the
// whole of it (possibly at another size, after a turn).
struct TBoardChange {
    QRect area;
    bool whole = false;
    bool any() const { return whole || !area.isEmpty(); }
};

class TBoardDocument
{
public:
    TBoardDocument();

    // ---- what it shows ----------------------------------------------------------
    // A white picture of the size, without strokes.
    void Init(int width, int height);
    // A picture with a fresh history, or with a history to replay.
    void SetPicture(const QImage &picture);
    TBoardChange SetPicture(const QImage &picture, const TPWRecArray &recs);
    // The picture of a word, one light grey character per 500-pixel cell.
    void SetWord(const QString &word);
    TBoardChange SetWord(const QString &word, const TPWRecArray &recs);

    const QImage &Picture() const { return m_src; }
    const QImage &PenLayer() const { return m_pen; }
    // The picture with the pen layer over it.
    const QImage &Display() const { return m_dsp; }
    // The picture has no transparent pixel (else it shows over white).
    bool PictureOpaque() const { return m_srcOpaque; }
    // Quarter turns clockwise the picture is shown at, 0..3.
    int Turn() const { return m_turn; }
    const TPWRecArray &History() const { return m_recs; }
    // Counts the changes of the history made by its operations (not by
    // loading): whoever keeps histories saves when it moves.
    quint64 Revision() const { return m_revision; }
    // For tests and benchmarks that build histories directly; Rebuild shows them.
    TPWRecArray &History() { return m_recs; }

    // ---- options ----------------------------------------------------------------
    const TRenderOptions &Options() const { return m_options; }
    void SetMarkerOpacity(Single opacity) { m_options.MarkerOpacity = opacity; }
    void SetWordFont(const QString &family) { m_wordFont = family; }

    // ---- changes of the history ----------------------------------------------------
    // Each says what it changed on the display picture.
    // Records and draws a stroke; countsBefore are the pen-order counters
    // before the stroke took its number, which its undo goes back to.
    // pressure: a stylus's level at each point, or empty.
    TBoardChange AddStroke(const TPWMenuItem &pen, const TPathData &path, const TRenderStyle &style,
                           const QVector<int> &countsBefore, const TPressure &pressure = TPressure());
    TBoardChange Undo();
    TBoardChange Redo();
    // Nothing when no stroke shows: an erase-all of a bare board would be
    // an undo step that changes nothing and throws the redo entries away.
    TBoardChange EraseAll();
    TBoardChange Rotate(bool right);
    // Draws the layers anew from the history in effect.
    TBoardChange Rebuild();
    // Composites the whole display picture anew from the layers.
    TBoardChange Composite();
    // Renders a record into the pen layer without recording it.
    QRect Draw(const TPWMenuItem &menu, TPathData &path, const TRenderStyle &style,
               const TPressure &pressure = TPressure());

    // ---- the lasso -------------------------------------------------------------------
    // The strokes in effect that lie wholly inside the outline.
    TLines StrokesInside(const TPathData &lasso) const;
    const TLines &Selection() const { return m_selLines; }
    const TAr3x3 &SelectionMove() const { return m_selTrans; }
    void SelectionMoveBy(const TAr3x3 &move) { m_selTrans = MatMul(move, m_selTrans); }
    // Records the move of the strokes picked up so far, and picks up those
    // wholly inside the outline:
    // the pen layer shows the strokes in effect less those.
    TBoardChange SelectInside(const TPathData &lasso);
    // Records the move and puts the strokes picked up back in place.
    TBoardChange SelectionDrop();
    // The strokes picked up as they look on the board, at picture
    // resolution; area is where they lie in the picture, before the move.
    QImage RenderSelection(QRect &area) const;

    // ---- pen order -------------------------------------------------------------------
    // One column per character of the word, 1..64.
    int FuCount() const { return m_fuCount; }
    const QVector<int> &FuCounts() const { return m_fuCounts; }
    int FuColumn(Single x) const;
    // The number of the next pen-order stroke starting at picture x, counted.
    int FuCountNext(Single x);
    // Back to counters taken before (a withdrawn stroke gives its number back).
    void SetFuCounts(const QVector<int> &counts)
    {
        if (counts.size() == m_fuCounts.size())
            m_fuCounts = counts;
    }

    // ---- replay ------------------------------------------------------------------------
    // The area a record may touch, in whole pixels, clipped to the pen layer.
    QRect RecBounds(const TPWMenuItem &menu, const TPathData &path) const;
    // Renders the history in effect into a fresh pen layer of the picture's
    // size without touching the document: the reference the incremental
    // paths must match pixel for pixel. Straightforward: every record
    // composites its scratch layer whole instead of only the area it
    // touched. Like every replay it starts after the last erase-all in
    // effect. The stroke counters the replay ends with go to counts when given.
    QImage ReplayPenLayer(bool straightforward = true, QVector<int> *counts = nullptr) const;

    // Bytes held by the undo store, and its budget (256 MiB; 0 keeps no
    // patches, so every undo replays). The store never holds more.
    qint64 UndoStoreBytes() const { return m_undoBytes; }
    qint64 UndoStoreBudget() const { return m_undoBudget; }
    void SetUndoStoreBudget(qint64 bytes);

private:
    void PictureSet(const QImage &given);
    void WordSet(const QString &word);
    void LayersReset();
    void FuCountSet(const QString &word);
    void FuCountsClear() { m_fuCounts.fill(0); }
    // Re-composites a rectangle of the display picture.
    void DisplayUpdate(const QRect &r);
    // Records the move of the strokes picked up, and lets them go.
    void SelectionRecord();
    // The first record a replay draws: the one after the last erase-all in effect.
    int ReplayStart() const;
    // Replays the records in effect into the pen layer, leaving out skip
    // (sorted), keeping undo patches for as many of the last ones as the
    // budget holds when keepPatches.
    void ReplayInto(bool keepPatches, const TLines &skip = TLines());
    // Renders record index into the pen layer; with keepPatch its undo patch
    // is kept, holding countsBefore as the counters to go back to (the
    // current ones when null). Returns the area it touched.
    QRect RenderIndex(int index, bool keepPatch, const QVector<int> *countsBefore = nullptr);

    // Undo patches: for stroke record j, the pen-layer pixels its rendering
    // covered, as they were before, and the stroke counters before it. Valid
    // while the pen layer shows the replay of 0..p and no turn or move has
    // changed the geometry since they were taken.
    struct UndoPatch {
        QRect rect;
        QImage pixels;
        QVector<int> fuCounts;
    };
    void PatchesClear();
    // Keeps the patch of record index, dropping the oldest patches first so
    // that the store stays within its budget; a patch larger than the whole
    // budget is not kept (undo then replays).
    void PatchStore(int index, const QRect &r);
    // The first record of the tail of strokes 0..p whose patches fit the budget together.
    int PatchTailStart() const;

    QImage m_src; // the picture, turned
    QImage m_pen; // the strokes
    QImage m_scratch; // the renderer's work layer
    QImage m_dsp; // the picture with the strokes over it
    int m_turn = 0;
    bool m_srcOpaque = true;
    TPWRecArray m_recs;
    quint64 m_revision = 0;
    TRenderOptions m_options;
    QString m_wordFont;
    TLines m_selLines;
    TAr3x3 m_selTrans = MatIdentity();
    int m_fuCount = 1;
    QVector<int> m_fuCounts;
    std::map<int, UndoPatch> m_patches;
    qint64 m_undoBytes = 0;
    qint64 m_undoBudget;
};
