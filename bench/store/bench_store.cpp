// The lessons' store, each figure beside its reference in the same run:
// 1. committing a stroke to a history of 2,000 and saving it, against the
//    commit alone (the window's thread pays only for the snapshot);
// 2. opening a picture whose 2,000 kept strokes of 200 points are read from
//    the store and replayed, against copying the same history from memory
//    and replaying it; and the read alone against the copy alone;
// 3. the store's size for 10,000 strokes of 200 points, against the bare
//    points as float32 pairs.
#include "board/BoardDocument.h"
#include "store/LessonStore.h"

#include "BenchShort.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {
constexpr int PicW = 2000, PicH = 1500;

int Strokes(int full) { return BenchShort() ? full / 20 : full; }

// A random walk of pointer positions turned into picture coordinates at a
// zoom that is not a power of two, as the board records them.
TPathData Walk(QRandomGenerator &rng, int n)
{
    TPathData path;
    const Single zoom = 0.4137f;
    Single x = Single(300 + rng.bounded(600)), y = Single(200 + rng.bounded(400));
    for (int i = 0; i < n; ++i) {
        const QPointF p(x / zoom - 17.25f, y / zoom - 3.5f);
        if (i == 0)
            path.MoveTo(p);
        else
            path.LineTo(p);
        x = std::clamp(x + Single(rng.bounded(9)) - 4, Single(0), Single(PicW * zoom));
        y = std::clamp(y + Single(rng.bounded(9)) - 4, Single(0), Single(PicH * zoom));
    }
    return path;
}

TPWRecArray History(int strokes, int points = 200)
{
    QRandomGenerator rng(7);
    TPWRecArray h;
    h.RecInit();
    const TPWMenuItem pen = MakeMenuItem(pwPn, 0xFF2040C0, 3);
    for (int i = 0; i < strokes; ++i)
        h.RecAddLine(pen, Walk(rng, points));
    return h;
}

qint64 StoreBytes(const QString &path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

// 1. The window's thread: a stroke appended, with and without Save.
void CommitStroke(benchmark::State &state, bool save)
{
    QTemporaryDir dir;
    LessonStore store;
    store.Open(dir.filePath(QStringLiteral("lessons.db")));
    TPWRecArray h = History(Strokes(2000));
    const int base = h.c;
    store.Save(BoardKey(), h);
    store.Flush(60000);
    QRandomGenerator rng(11);
    const TPathData path = Walk(rng, 200);
    for (auto _ : state) {
        h.RecAddLine(MakeMenuItem(pwMk, 0x80FF0000, 20), path);
        if (save)
            store.Save(BoardKey(), h);
        h.p = h.c = base; // the next stroke takes the same slot
    }
    store.Flush(60000);
}
void BM_CommitStroke(benchmark::State &state) { CommitStroke(state, false); }
void BM_CommitStrokeAndSave(benchmark::State &state) { CommitStroke(state, true); }

// 2. Opening a picture with its kept history.
struct TKept {
    QTemporaryDir dir;
    LessonStore store;
    TPWRecArray history = History(Strokes(2000));
    QImage picture;
    TKept()
    {
        store.Open(dir.filePath(QStringLiteral("lessons.db")));
        store.Save(QStringLiteral("p:1:kept"), history);
        store.Flush(120000);
        picture = QImage(PicW, PicH, QImage::Format_ARGB32_Premultiplied);
        picture.fill(0xFFE0E8F0);
    }
};

TKept &Kept()
{
    static TKept kept;
    return kept;
}

void OpenPicture(benchmark::State &state, bool fromStore, bool replay)
{
    TKept &kept = Kept();
    TBoardDocument doc;
    for (auto _ : state) {
        TPWRecArray h;
        if (fromStore)
            kept.store.Load(QStringLiteral("p:1:kept"), h);
        else
            RecCopy(kept.history, h);
        if (replay)
            doc.SetPicture(kept.picture, h);
        benchmark::DoNotOptimize(h.c);
    }
}
void BM_CopyFromMemory(benchmark::State &state) { OpenPicture(state, false, false); }
void BM_LoadFromStore(benchmark::State &state) { OpenPicture(state, true, false); }
void BM_OpenFromMemory(benchmark::State &state) { OpenPicture(state, false, true); }
void BM_OpenFromStore(benchmark::State &state) { OpenPicture(state, true, true); }

// 3. The size of 10,000 kept strokes, each saved as it was drawn.
void BM_StoreSize(benchmark::State &state)
{
    const int strokes = Strokes(10000), points = 200;
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lessons.db"));
        LessonStore store;
        store.Open(path);
        QRandomGenerator rng(5);
        TPWRecArray h;
        h.RecInit();
        for (int i = 0; i < strokes; ++i) {
            h.RecAddLine(MakeMenuItem(pwPn, 0xFF000000, 3), Walk(rng, points));
            store.Save(BoardKey(), h);
        }
        store.Flush(600000);
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        const double scale = 10000.0 / strokes; // the short mode keeps fewer
        state.counters["store_MB"] = double(StoreBytes(path)) * scale / 1e6;
        state.counters["float32_points_MB"] = double(strokes) * points * 8 * scale / 1e6;
    }
}
} // namespace

BENCHMARK(BM_CommitStroke)->Unit(benchmark::kMicrosecond)->MinTime(BenchMinTime(0.5))->Repetitions(BenchReps(5));
BENCHMARK(BM_CommitStrokeAndSave)->Unit(benchmark::kMicrosecond)->MinTime(BenchMinTime(0.5))->Repetitions(BenchReps(5));
BENCHMARK(BM_CopyFromMemory)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(0.5))->Repetitions(BenchReps(5));
BENCHMARK(BM_LoadFromStore)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(0.5))->Repetitions(BenchReps(5));
BENCHMARK(BM_OpenFromMemory)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(0.5))->Repetitions(BenchReps(5));
BENCHMARK(BM_OpenFromStore)->Unit(benchmark::kMillisecond)->MinTime(BenchMinTime(0.5))->Repetitions(BenchReps(5));
BENCHMARK(BM_StoreSize)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(BenchReps(3));

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
