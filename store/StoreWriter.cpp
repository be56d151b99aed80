// The writer thread: takes every snapshot queued since its last round and
// writes them in one transaction, each from its first changed record.
#include "store/HistoryCodec.h"
#include "store/StoreImpl.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QMetaObject>
#include <chrono>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
using Clock = std::chrono::steady_clock;
// How long commits may wait for the disk: a power cut takes at most this
// much, and a run of strokes drawn within it is synced once.
constexpr auto SyncDelay = std::chrono::milliseconds(1000);
// When a reader kept part of the log from being synced.
constexpr auto SyncRetry = std::chrono::milliseconds(50);
} // namespace

void LessonStore::Impl::Run()
{
#ifdef __linux__
    // Keeping strokes must never take the processor from drawing them.
    setpriority(PRIO_PROCESS, id_t(gettid()), 10);
#endif
    std::unique_lock lock(m);
    std::map<QString, TStoreSnapshot> done;
    std::vector<std::vector<TRecChunk>> letGo;
    Clock::time_point syncBy;
    const auto hasWork = [this] {
        return stop || !pending.empty() || session || forgetsAsked != forgetsDone || !released.empty()
               || !touches.empty() || (unsynced && syncAsked);
    };
    for (;;) {
        letGo.swap(released);
        if (!done.empty() || !letGo.empty()) { // let go outside the lock: Save must not wait on it
            lock.unlock();
            done.clear();
            letGo.clear();
            lock.lock();
            continue;
        }
        if (unsynced && !stop && (syncAsked || Clock::now() >= syncBy)) {
            if (!Sync(lock))
                break;
            if (unsynced)
                syncBy = Clock::now() + SyncRetry;
            continue;
        }
        if (unsynced)
            wake.wait_until(lock, syncBy, hasWork);
        else
            wake.wait(lock, hasWork);
        if (stop)
            break;
        if (pending.empty() && !session && forgetsAsked == forgetsDone && touches.empty())
            continue; // only snapshots to let go, or the log to sync
        const bool forget = forgetsAsked != forgetsDone;
        const int forgets = forgetsAsked;
        inflight.swap(pending);
        inflightForgets = forgets;
        const std::optional<TSessionRow> row = std::exchange(session, std::nullopt);
        const std::set<QString> touched = std::exchange(touches, {});
        if (forget)
            written.clear();
        // What Load read before a Forget no longer describes the file.
        for (auto &[key, seed] : seeds)
            if (seed.forgets == forgets)
                written.try_emplace(key, std::move(seed));
        seeds.clear();
        busy = true;
        lock.unlock();
        const QString fault = WriteBatch(forget, row, touched);
        ForgetOthers();
        lock.lock();
        busy = false;
        if (fault.isEmpty()) {
            forgetsDone = forgets;
            done.swap(inflight);
            if (!unsynced)
                syncBy = Clock::now() + SyncDelay;
            unsynced = true;
        } else {
            // Nothing more is written; what was not stays readable from memory.
            pending.merge(inflight);
            inflight.clear();
            Fail(fault);
        }
        idle.notify_all();
        if (broken)
            break;
    }
}

bool LessonStore::Impl::Sync(std::unique_lock<std::mutex> &lock)
{
    busy = true;
    lock.unlock();
    bool complete = false;
    const int rc = SyncStore(wdb, &complete);
    lock.lock();
    busy = false;
    if (rc != SQLITE_OK) {
        Fail(WriteFault(rc));
    } else if (complete) {
        unsynced = false;
        syncAsked = false;
    } else {
        syncAsked = false; // try again shortly, not at once
    }
    idle.notify_all();
    return !broken;
}

void LessonStore::Impl::Fail(const QString &fault)
{
    broken = true;
    problems.push_back(fault);
    QMetaObject::invokeMethod(
        q, [this] { Deliver(); }, Qt::QueuedConnection);
}

QString LessonStore::Impl::WriteFault(int rc)
{
    return QCoreApplication::translate(
               "KeptStrokes", "Strokes can no longer be kept in %1: %2. Drawing goes on; strokes drawn from now on "
                              "are kept only until the program ends.")
        .arg(QDir::toNativeSeparators(path), SqlReason(rc, wdb));
}

// What was written is kept to compare with for a few histories only: the
// rest would hold on to arrays the board has long let go. A history no
// longer remembered is written whole the next time it changes.
void LessonStore::Impl::ForgetOthers()
{
    constexpr size_t Remembered = 8;
    for (auto it = written.begin(); written.size() > Remembered && it != written.end();)
        it = inflight.count(it->first) ? std::next(it) : written.erase(it);
}

QString LessonStore::Impl::WriteBatch(bool forget, const std::optional<TSessionRow> &row,
                                      const std::set<QString> &touched)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    int rc = SqlExec(wdb, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK && forget)
        rc = SqlExec(wdb, "DELETE FROM records; DELETE FROM histories");
    for (auto it = inflight.cbegin(); rc == SQLITE_OK && it != inflight.cend(); ++it)
        rc = WriteHistory(it->first, it->second, now);
    // A history opened again is in use however long ago it last changed.
    for (auto it = touched.cbegin(); rc == SQLITE_OK && !forget && it != touched.cend(); ++it)
        if (!inflight.count(*it))
            rc = TSqlStatement(wdb, "UPDATE histories SET touched = ? WHERE key = ?").Bind(1, now).Bind(2, *it).Run();
    if (rc == SQLITE_OK && row)
        rc = TSqlStatement(wdb, "INSERT INTO session(id, file, entry, clean) VALUES(1, ?, ?, ?) ON CONFLICT(id) "
                                "DO UPDATE SET file = excluded.file, entry = excluded.entry, clean = excluded.clean")
                 .Bind(1, row->file)
                 .Bind(2, row->entry)
                 .Bind(3, row->clean ? 1 : 0)
                 .Run();
    if (rc == SQLITE_OK)
        rc = SqlExec(wdb, "COMMIT");
    if (rc == SQLITE_OK)
        return {};
    QString fault = WriteFault(rc);
    SqlExec(wdb, "ROLLBACK");
    written.clear();
    return fault;
}

int LessonStore::Impl::WriteHistory(const QString &key, const TStoreSnapshot &snap, qint64 now)
{
    if (snap.c < 0) { // nothing left to keep
        written.erase(key);
        const int rc = TSqlStatement(wdb, "DELETE FROM records WHERE hid IN (SELECT id FROM histories WHERE key = ?)")
                           .Bind(1, key)
                           .Run();
        return rc != SQLITE_OK ? rc : TSqlStatement(wdb, "DELETE FROM histories WHERE key = ?").Bind(1, key).Run();
    }
    TStoredHistory &w = written[key];
    int rc = SQLITE_OK;
    if (w.id < 0) {
        rc = TSqlStatement(wdb, "INSERT INTO histories(key, p, c, touched, bytes) VALUES(?, -1, -1, 0, 0) "
                                "ON CONFLICT(key) DO NOTHING")
                 .Bind(1, key)
                 .Run();
        TSqlStatement id(wdb, "SELECT id FROM histories WHERE key = ?");
        if (rc != SQLITE_OK || (rc = id.Bind(1, key).Step()) != SQLITE_ROW)
            return rc == SQLITE_DONE ? SQLITE_CORRUPT : rc;
        w.id = id.Int(0);
        rc = id.Run();
    }
    const size_t count = size_t(snap.c) + 1;
    size_t first = 0;
    while (first < w.recs.size() && first < count && SameRec(w.recs[first].rec, snap.At(int(first))))
        ++first;
    w.recs.resize(count);
    TSqlStatement put(wdb, "INSERT OR REPLACE INTO records(hid, idx, data) VALUES(?, ?, ?)");
    for (size_t i = first; i < count && rc == SQLITE_OK; ++i) {
        const TPWRec &rec = snap.At(int(i));
        const QByteArray blob = EncodeRecord(rec);
        rc = put.Bind(1, w.id).Bind(2, qint64(i)).Bind(3, blob).Run();
        w.recs[i] = {rec, blob.size()};
    }
    if (rc == SQLITE_OK) // records past c: an undo followed by a new stroke, or a stale tail
        rc = TSqlStatement(wdb, "DELETE FROM records WHERE hid = ? AND idx > ?").Bind(1, w.id).Bind(2, snap.c).Run();
    qint64 bytes = 0;
    for (const TStoredRec &r : w.recs)
        bytes += r.bytes;
    if (rc == SQLITE_OK)
        rc = TSqlStatement(wdb, "UPDATE histories SET p = ?, c = ?, touched = ?, bytes = ? WHERE id = ?")
                 .Bind(1, snap.p)
                 .Bind(2, snap.c)
                 .Bind(3, now)
                 .Bind(4, bytes)
                 .Bind(5, w.id)
                 .Run();
    return rc;
}

void LessonStore::Impl::Deliver()
{
    std::vector<QString> messages;
    {
        std::lock_guard lock(m);
        messages.swap(problems);
    }
    for (const QString &message : messages)
        emit q->Problem(message);
}
