#include "store/LessonStore.h"

#include "store/HistoryCodec.h"
#include "store/StoreImpl.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <bit>
#include <chrono>
#include <cstring>

namespace {
QString KeptOnlyInMemory()
{
    return QCoreApplication::translate("KeptStrokes", "Drawing goes on; strokes are kept only until the program ends.");
}

// Reads the session row, then marks it not clean so that a run that never
// reaches MarkCleanExit is known as such next time.
int ReadSession(sqlite3 *db, TLessonSession &last)
{
    {
        TSqlStatement row(db, "SELECT file, entry, clean FROM session WHERE id = 1");
        const int rc = row.Step();
        if (rc == SQLITE_ROW) {
            last.file = row.Text(0);
            last.entry = int(row.Int(1));
            last.cleanExit = row.Int(2) != 0;
            row.Run();
        } else if (rc != SQLITE_DONE) {
            return rc;
        }
    }
    return TSqlStatement(db, "INSERT INTO session(id, file, entry, clean) VALUES(1, ?, ?, 0) "
                             "ON CONFLICT(id) DO UPDATE SET clean = 0")
        .Bind(1, last.file)
        .Bind(2, last.entry)
        .Run();
}

} // namespace

namespace {
// The same arrays, not only equal ones: a snapshot holds them, so they
// cannot have changed under it.
bool SharesChunk(const std::vector<TPWRec> &chunk, std::vector<TPWRec>::const_iterator from, int n)
{
    if (int(chunk.size()) != n)
        return false;
    for (const TPWRec &a : chunk) {
        const TPWRec &b = *from++;
        if (a.Points.constData() != b.Points.constData() || a.Points.size() != b.Points.size()
            || a.Lines.constData() != b.Lines.constData() || a.Lines.size() != b.Lines.size()
            || a.Pressure.constData() != b.Pressure.constData() || a.Pressure.size() != b.Pressure.size()
            || a.Menu != b.Menu || !MatSameBits(a.Trans, b.Trans) || a.Style.Smoothing != b.Style.Smoothing
            || a.Style.NumberFont.constData() != b.Style.NumberFont.constData())
            return false;
    }
    return true;
}
} // namespace

bool SameRec(const TPWRec &a, const TPWRec &b)
{
    if (a.Menu != b.Menu || !MatSameBits(a.Trans, b.Trans) || a.Lines != b.Lines || !(a.Style == b.Style)
        || a.Points.size() != b.Points.size() || a.Pressure != b.Pressure)
        return false;
    // The board's own arrays are shared with what was written; a copied
    // history (after switching pictures) has equal contents in new arrays.
    return a.Points.constData() == b.Points.constData() || a.Points.isEmpty()
           || std::memcmp(a.Points.constData(), b.Points.constData(), size_t(a.Points.size()) * sizeof(QPointF)) == 0;
}

LessonStore::LessonStore(QObject *parent) : QObject(parent), d(std::make_unique<Impl>(this)) { }

LessonStore::~LessonStore()
{
    Flush(2000);
    d->Close();
}

bool LessonStore::Open(const QString &path)
{
    if (d->open)
        return true;
    d->path = path;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        emit Problem(
            QCoreApplication::translate("KeptStrokes", "Strokes cannot be kept: the folder %1 cannot be made. ")
                .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()))
            + KeptOnlyInMemory());
        return false;
    }
    if (!d->OpenFile(path))
        return false;
    d->current = {d->last.file, d->last.entry, false};
    d->open = true;
    d->writer = std::thread([this] { d->Run(); });
    return true;
}

bool LessonStore::Impl::OpenFile(const QString &file)
{
    TStoreFile kind = TStoreFile::New;
    int rc = OpenStoreConnection(file, false, &wdb, &kind);
    const int damage = rc & 0xFF;
    if (damage == SQLITE_CORRUPT || damage == SQLITE_NOTADB || kind == TStoreFile::Damaged
        || kind == TStoreFile::Foreign) {
        CloseStoreConnection(wdb);
        wdb = nullptr;
        const QString moved = MoveStoreAside(file);
        const QString name = QDir::toNativeSeparators(file);
        if (moved.isEmpty()) {
            emit q->Problem(QCoreApplication::translate(
                                "KeptStrokes", "Strokes cannot be kept in %1: the file is damaged and cannot be moved "
                                               "aside. ")
                                .arg(name)
                            + KeptOnlyInMemory());
            return false;
        }
        emit q->Problem((kind == TStoreFile::Foreign
                             ? QCoreApplication::translate(
                                 "KeptStrokes", "%1 was not a file of kept strokes: it was moved aside as %2 and a "
                                                "new one was started.")
                             : QCoreApplication::translate(
                                 "KeptStrokes", "The file of kept strokes %1 was damaged: it was moved aside as %2 "
                                                "and a new one was started."))
                            .arg(name, QDir::toNativeSeparators(moved)));
        kind = TStoreFile::New;
        rc = OpenStoreConnection(file, false, &wdb, &kind);
        if (rc == SQLITE_OK && kind != TStoreFile::New)
            rc = SQLITE_CANTOPEN;
    }
    if (rc == SQLITE_OK && kind == TStoreFile::New)
        rc = CreateStoreSchema(wdb);
    if (rc == SQLITE_OK)
        rc = ReadSession(wdb, last);
    if (rc == SQLITE_OK)
        rc = ExpireHistories(wdb, QDateTime::currentSecsSinceEpoch(), days, maxBytes);
    if (rc == SQLITE_OK)
        rc = OpenStoreConnection(file, true, &rdb, nullptr);
    if (rc != SQLITE_OK) {
        emit q->Problem(QCoreApplication::translate("KeptStrokes", "Strokes cannot be kept in %1: %2. ")
                            .arg(QDir::toNativeSeparators(file), SqlReason(rc, wdb))
                        + KeptOnlyInMemory());
        Close();
        return false;
    }
    return true;
}

void LessonStore::Impl::Close()
{
    if (writer.joinable()) {
        {
            std::lock_guard lock(m);
            stop = true;
        }
        wake.notify_all();
        writer.join();
    }
    CloseStoreConnection(rdb);
    CloseStoreConnection(wdb);
    rdb = wdb = nullptr;
    open = false;
}

bool LessonStore::IsOpen() const { return d->open; }

void LessonStore::Save(const QString &key, const TPWRecArray &history)
{
    if (!d->open)
        return;
    TStoreSnapshot snap;
    snap.c = std::min(history.c, history.Capacity() - 1);
    snap.p = std::clamp(history.p, -1, snap.c);
    const TStoreSnapshot *prev = d->sentKey == key ? &d->sent : nullptr;
    for (int first = 0; first <= snap.c; first += ChunkRecs) {
        const int n = std::min(ChunkRecs, snap.c + 1 - first);
        const size_t k = size_t(first / ChunkRecs);
        const auto from = history.Rec.begin() + first;
        if (prev && k < prev->chunks.size() && SharesChunk(*prev->chunks[k], from, n))
            snap.chunks.push_back(prev->chunks[k]);
        else
            snap.chunks.push_back(std::make_shared<const std::vector<TPWRec>>(from, from + n));
    }
    d->sentKey = key;
    d->sent = snap;
    {
        std::lock_guard lock(d->m);
        std::swap(d->pending[key], snap);
        // The snapshot it replaced goes to the writer to release: thousands
        // of records let go are not the window's work.
        if (!snap.chunks.empty())
            d->released.push_back(std::move(snap.chunks));
    }
    d->wake.notify_one();
}

bool LessonStore::Flush(int ms)
{
    if (!d->open)
        return false;
    std::unique_lock lock(d->m);
    d->syncAsked = true;
    d->wake.notify_one();
    const bool done = d->idle.wait_for(lock, std::chrono::milliseconds(ms), [this] {
        return d->broken
               || (d->pending.empty() && !d->busy && !d->session && d->forgetsDone == d->forgetsAsked && !d->unsynced
                   && d->touches.empty());
    });
    return done && !d->broken;
}

void LessonStore::Forget()
{
    if (!d->open)
        return;
    {
        std::lock_guard lock(d->m);
        d->pending.clear();
        ++d->forgetsAsked;
    }
    d->wake.notify_one();
}

void LessonStore::SetLimits(int days, qint64 bytes)
{
    d->days = std::max(days, 0);
    d->maxBytes = std::max<qint64>(bytes, 0);
}

TLessonSession LessonStore::LastSession() const { return d->last; }

void LessonStore::SetSession(const QString &file, int entry)
{
    d->current = {file, entry, false};
    if (!d->open)
        return;
    {
        std::lock_guard lock(d->m);
        d->session = d->current;
    }
    d->wake.notify_one();
}

void LessonStore::MarkCleanExit()
{
    d->current.clean = true;
    if (!d->open)
        return;
    {
        std::lock_guard lock(d->m);
        d->session = d->current;
    }
    d->wake.notify_one();
}
