// Drawing on a 4000 x 3000 picture shown in a 1600 x 900 board: committing a
// stroke, one preview step, undo at the end of a long history, and the
// pointer-move handler's latency. Each is reported with the reference it is
// measured against, in the same run.
#include "board/PWImage.h"

#include "BenchMain.h"
#include "BenchPhoto.h"
#include "BenchShort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <benchmark/benchmark.h>

namespace {
constexpr int BoardW = 1600, BoardH = 900;

struct Board {
    TPWImage b;
    Board()
    {
        b.resize(BoardW, BoardH);
        b.PWResize();
        b.SetSrcBitmap(SharedPhoto());
        b.ZoomPosSet();
    }
};

// A random walk in control coordinates over the shown picture.
QVector<QPointF> Walk(int n, quint32 seed, double step = 8)
{
    QRandomGenerator rng(seed);
    QVector<QPointF> pts;
    QPointF p(300 + rng.bounded(600), 200 + rng.bounded(400));
    for (int i = 0; i < n; ++i) {
        pts << p;
        p += QPointF(rng.bounded(2 * step) - step + 2, rng.bounded(2 * step) - step);
        p.setX(std::clamp(p.x(), 150.0, 1400.0));
        p.setY(std::clamp(p.y(), 10.0, 880.0));
    }
    return pts;
}

const TPWMenuItem Marker = MakeMenuItem(pwMk, 0xFF2080FF, 20);

void StrokeMoves(TPWImage &b, const QVector<QPointF> &pts)
{
    b.PWMouseDown(Single(pts[0].x()), Single(pts[0].y()));
    for (int i = 1; i < pts.size(); ++i)
        b.PWMouseMove(Single(pts[i].x()), Single(pts[i].y()));
}

void Stroke(TPWImage &b, const QVector<QPointF> &pts)
{
    StrokeMoves(b, pts);
    b.PWMouseUp(Single(pts.last().x()), Single(pts.last().y()));
}

// 1. Committing a 200-point marker stroke, until the screen image is ready.
void BM_CommitMarkerStroke(benchmark::State &state)
{
    Board f;
    f.b.SetCrPen(Marker);
    const QVector<QPointF> pts = Walk(200, 7);
    for (auto _ : state) {
        state.PauseTiming();
        StrokeMoves(f.b, pts);
        state.ResumeTiming();
        f.b.PWMouseUp(Single(pts.last().x()), Single(pts.last().y()));
        state.PauseTiming();
        f.b.PWUndo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CommitMarkerStroke)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(2));

// The reference: stroking the same path once into a transparent layer of the picture's size.
void BM_BareStrokeIntoLayer(benchmark::State &state)
{
    Board f;
    const QVector<QPointF> pts = Walk(200, 7);
    TPathData path;
    for (int i = 0; i < pts.size(); ++i) {
        const QPointF q = f.b.ScreenToPicture(pts[i]);
        if (i == 0)
            path.MoveTo(q);
        else
            path.LineTo(q);
    }
    const QPainterPath pp = path.toPainterPath();
    QImage layer = NewBitmap(PicW, PicH);
    for (auto _ : state) {
        QPainter p(&layer);
        PreparePainter(p);
        p.setPen(StrokePen(Marker.PenColor, Marker.PenThickness, sdSolid, true));
        p.setOpacity(0.4);
        p.drawPath(pp);
        p.end();
        benchmark::DoNotOptimize(layer.constBits());
    }
}
BENCHMARK(BM_BareStrokeIntoLayer)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(2));

// 2. One preview step at the end of a long and of a short marker stroke.
void BM_PreviewStep(benchmark::State &state)
{
    Board f;
    f.b.SetCrPen(Marker);
    const int n = int(state.range(0));
    const QVector<QPointF> pts = Walk(n, 11);
    StrokeMoves(f.b, pts);
    const QPointF last = pts.last();
    int i = 0;
    for (auto _ : state) {
        const double dx = (i++ & 1) ? -6 : 6;
        f.b.PWMouseMove(Single(last.x() + dx), Single(last.y() + 3));
    }
    f.b.PWMouseUp(Single(last.x()), Single(last.y()));
}
BENCHMARK(BM_PreviewStep)->Arg(10)->Arg(3000)->Unit(benchmark::kMicrosecond)->MinTime(BenchMinTime(1));

// 3. Undo at the end of a history of 50 and of 2000 marker strokes.
void BM_UndoAtEnd(benchmark::State &state)
{
    Board f;
    f.b.SetCrPen(Marker);
    const int n = int(state.range(0));
    // The same last stroke in both histories: only the length of the history differs.
    for (int k = 0; k < n - 1; ++k)
        Stroke(f.b, Walk(30, 1000 + k, 12));
    Stroke(f.b, Walk(30, 999, 12));
    for (auto _ : state) {
        f.b.PWUndo();
        state.PauseTiming();
        f.b.PWRedo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoAtEnd)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(2));

// 4. The pointer-move handler while drawing: its 95th percentile.
void BM_PointerMoveP95(benchmark::State &state)
{
    Board f;
    f.b.SetCrPen(Marker);
    const QVector<QPointF> pts = Walk(3000, 23, 6);
    std::vector<double> ms;
    for (auto _ : state) {
        ms.clear();
        f.b.PWMouseDown(Single(pts[0].x()), Single(pts[0].y()));
        QElapsedTimer t;
        for (int i = 1; i < pts.size(); ++i) {
            t.start();
            f.b.PWMouseMove(Single(pts[i].x()), Single(pts[i].y()));
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        f.b.PWMouseUp(Single(pts.last().x()), Single(pts.last().y()));
        f.b.PWUndo();
    }
    std::sort(ms.begin(), ms.end());
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p95_ms"] = ms[ms.size() * 95 / 100];
    state.counters["max_ms"] = ms.back();
}
BENCHMARK(BM_PointerMoveP95)->Unit(benchmark::kMillisecond)->Iterations(3);

// 5 and 6. Full replays of 64 marker strokes 20 px wide, each crossing the
// whole picture, so that each one's undo patch is nearly the whole layer:
// coming back to the picture (its history loaded and replayed until the
// screen image is ready) and one quarter turn. Arg 1 keeps undo patches
// within their budget, arg 0 keeps none (the reference). The counters give
// the process's peak resident memory during the runs and the limit it is
// held to: the board's four bitmaps of the picture's size plus the undo
// budget, 10 % on top, over what the process held before the picture.
double StatusMiB(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

void ResetPeakRss()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

struct Crossed {
    TPWImage b;
    TPWRecArray kept;
    double startMiB; // what the process held before the picture and the board
    Crossed(bool patches, const QImage &picture, double startMiB) : startMiB(startMiB)
    {
        b.resize(BoardW, BoardH);
        b.PWResize();
        b.SetSrcBitmap(picture);
        b.ZoomPosSet();
        if (!patches)
            b.SetUndoStoreBudget(0);
        b.SetCrPen(Marker);
        for (int k = 0; k < 64; ++k) {
            const double y = 20 + (k * 13) % 860;
            Stroke(b, {{160, y}, {450, 880 - y}, {760, y}, {1050, 880 - y}, {1380, y}});
        }
        RecCopy(b.PWRecArray(), kept);
    }
    void Report(benchmark::State &state) const
    {
        const double bitmaps = 4.0 * PicW * PicH * 4 / (1024 * 1024);
        state.counters["peak_MiB"] = StatusMiB("VmHWM:");
        state.counters["limit_MiB"] = startMiB + (bitmaps + (state.range(0) ? 256 : 0)) * 1.1;
        state.counters["undo_MiB"] = double(b.UndoStoreBytes()) / (1024 * 1024);
    }
};

void BM_ReturnToPicture(benchmark::State &state)
{
    // The picture as read from its file again; the board shares it.
    const double start = StatusMiB("VmRSS:");
    const QImage photo = Photo();
    Crossed f(state.range(0) != 0, photo, start);
    f.b.SetSrcBitmap(photo); // another picture shown, as before going back
    ResetPeakRss();
    for (auto _ : state) {
        f.b.SrcBitmapRecPictSet(photo, f.kept);
        f.b.ZoomPosSet();
    }
    f.Report(state);
}
BENCHMARK(BM_ReturnToPicture)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(3));

void BM_QuarterTurn(benchmark::State &state)
{
    // Turned after coming back to it, as a teacher would.
    const double start = StatusMiB("VmRSS:");
    const QImage photo = Photo();
    Crossed f(state.range(0) != 0, photo, start);
    f.b.SrcBitmapRecPictSet(photo, f.kept);
    ResetPeakRss();
    for (auto _ : state)
        f.b.SrcBitmapRotate(1);
    f.Report(state);
}
BENCHMARK(BM_QuarterTurn)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(3));
} // namespace

int main(int argc, char **argv) { return RunWidgetBenchmarks(argc, argv); }
