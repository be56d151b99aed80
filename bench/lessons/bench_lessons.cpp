// Kept lessons against the board alone, side by side in one run: committing
// a stroke with the store on and off (a board with a long history, so that
// handing the history to the store is not free), and opening a picture with
// 2,000 kept strokes from the store against replaying the same history
// held in memory.
#include "board/PWImage.h"
#include "store/LessonStore.h"

#include "BenchMain.h"
#include "BenchPhoto.h"
#include "BenchShort.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>

namespace {
constexpr int BoardW = 1600, BoardH = 900;

// A random walk of n points in picture coordinates.
TPathData Walk(int n, QRandomGenerator &rng)
{
    TPathData path;
    QPointF p(200 + rng.bounded(PicW - 400), 200 + rng.bounded(PicH - 400));
    for (int i = 0; i < n; ++i) {
        if (i == 0)
            path.MoveTo(QPointF(float(p.x()), float(p.y())));
        else
            path.LineTo(QPointF(float(p.x()), float(p.y())));
        p += QPointF(rng.bounded(16.0) - 8, rng.bounded(16.0) - 8);
    }
    return path;
}

// A history of strokes of 200 points each, as a lesson builds it.
TPWRecArray History(int strokes)
{
    QRandomGenerator rng(11);
    TPWRecArray recs;
    recs.RecInit();
    for (int i = 0; i < strokes; ++i)
        recs.RecAddLine(MakeMenuItem(i % 3 ? pwPn : pwMk, 0xFF2080FF, Single(4 + i % 9)), Walk(200, rng));
    return recs;
}

const TPWRecArray &SharedHistory()
{
    static const TPWRecArray recs = History(BenchShort() ? 20 : 2000);
    return recs;
}

void StrokeMoves(TPWImage &b, int seed)
{
    QRandomGenerator rng(seed);
    QPointF p(300 + rng.bounded(600), 200 + rng.bounded(400));
    b.PWMouseDown(Single(p.x()), Single(p.y()));
    for (int i = 1; i < 200; ++i) {
        p += QPointF(rng.bounded(16.0) - 7, rng.bounded(16.0) - 8);
        p.setX(std::clamp(p.x(), 150.0, 1400.0));
        p.setY(std::clamp(p.y(), 10.0, 880.0));
        b.PWMouseMove(Single(p.x()), Single(p.y()));
    }
}

// Committing a 200-point marker stroke until the screen image is ready, on
// a picture with a long history; with the store on (1) every change of the
// history goes to it as in the program.
void BM_CommitStroke(benchmark::State &state)
{
    QTemporaryDir dir;
    LessonStore store;
    TPWImage b;
    b.resize(BoardW, BoardH);
    b.PWResize();
    b.SrcBitmapRecPictSet(SharedPhoto(), SharedHistory());
    b.ZoomPosSet();
    b.SetCrPen(MakeMenuItem(pwMk, 0xFF2080FF, 20));
    if (state.range(0)) {
        store.Open(dir.filePath("lessons.db"));
        QObject::connect(&b, &TPWImage::HistoryChanged, &store,
                         [&] { store.Save(QStringLiteral("bench"), b.PWRecArray()); });
    }
    int seed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        StrokeMoves(b, ++seed % 8);
        state.ResumeTiming();
        b.PWMouseUp(300, 300);
        state.PauseTiming();
        b.PWUndo();
        state.ResumeTiming();
    }
    store.Flush(10000);
}
BENCHMARK(BM_CommitStroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(3));

// Opening a picture with its 2,000 strokes until its screen image is ready:
// from the store (1, reading and decoding them first) or from memory (0).
void BM_OpenWithStrokes(benchmark::State &state)
{
    QTemporaryDir dir;
    LessonStore store;
    const QString key = QStringLiteral("p:photo");
    if (state.range(0)) {
        store.Open(dir.filePath("lessons.db"));
        store.Save(key, SharedHistory());
        store.Flush(60000);
    }
    TPWImage b;
    b.resize(BoardW, BoardH);
    b.PWResize();
    for (auto _ : state) {
        TPWRecArray recs;
        if (state.range(0)) {
            // A store that holds nothing queued reads from its file.
            store.Load(key, recs);
            b.SrcBitmapRecPictSet(SharedPhoto(), recs);
        } else {
            b.SrcBitmapRecPictSet(SharedPhoto(), SharedHistory());
        }
        b.ZoomPosSet();
        state.PauseTiming();
        b.SetSrcBitmap(NewBitmap(1, 1));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWithStrokes)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(BenchShort() ? 1 : 5)
    ->Repetitions(BenchReps(3));
} // namespace

int main(int argc, char **argv) { return RunWidgetBenchmarks(argc, argv); }
