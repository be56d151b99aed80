// The store's inside, shared by its window-side calls and its writer thread.
// Private to store/.
#pragma once

#include "store/LessonStore.h"
#include "store/StoreDb.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

// A history as Save saw it: records 0..c sharing their point arrays with the
// board's (the board never writes into an array that is shared), and p, c.
// The records go in chunks that the next snapshot of the same history shares
// while they are unchanged, so that a stroke added to a long history copies
// one chunk.
using TRecChunk = std::shared_ptr<const std::vector<TPWRec>>;
constexpr int ChunkRecs = 64;
struct TStoreSnapshot {
    std::vector<TRecChunk> chunks;
    int p = -1;
    int c = -1;
    const TPWRec &At(int i) const { return (*chunks[size_t(i / ChunkRecs)])[size_t(i % ChunkRecs)]; }
};

// What the file holds for a key, as the writer last wrote or Load last read it.
struct TStoredRec {
    TPWRec rec;
    qint64 bytes = 0;
};
struct TStoredHistory {
    qint64 id = -1;
    std::vector<TStoredRec> recs;
    int forgets = 0; // Forget calls done when it was read
};

struct TSessionRow {
    QString file;
    int entry = -1;
    bool clean = false;
};

struct LessonStore::Impl {
    explicit Impl(LessonStore *owner) : q(owner) { }

    LessonStore *q;
    QString path;
    int days = 180;
    qint64 maxBytes = qint64(512) << 20;
    bool open = false;
    TLessonSession last;
    TSessionRow current; // the window's side: what SetSession said last
    std::set<QString> reportedDamage; // the window's side
    QString sentKey; // the window's side: the history Save saw last, and its chunks
    TStoreSnapshot sent;

    sqlite3 *wdb = nullptr; // the writer's connection (Open's before the thread starts)
    sqlite3 *rdb = nullptr; // Load's, read-only: reads never wait for the writer
    std::mutex readMutex; // guards rdb
    std::thread writer;

    std::mutex m; // guards everything down to the writer's own
    std::condition_variable wake; // the writer waits for work
    std::condition_variable idle; // Flush waits for the writer
    std::map<QString, TStoreSnapshot> pending;
    std::map<QString, TStoreSnapshot> inflight; // being written; changed by the writer only
    int inflightForgets = 0; // the Forget calls done when inflight's batch is committed
    std::map<QString, TStoredHistory> seeds; // what Load read, for the writer to compare with
    std::optional<TSessionRow> session;
    std::set<QString> touches; // histories Load read: used, so not to expire as untouched
    int forgetsAsked = 0;
    int forgetsDone = 0;
    bool busy = false;
    bool stop = false;
    bool broken = false; // a write failed: nothing more is written
    bool unsynced = false; // commits made that may not be on the disk yet
    bool syncAsked = false; // Flush wants them there now
    std::vector<QString> problems; // for the window's thread
    std::vector<std::vector<TRecChunk>> released; // replaced snapshots, for the writer to let go

    // The writer's own.
    std::map<QString, TStoredHistory> written;

    bool OpenFile(const QString &file);
    void Close();
    void Run();
    bool Sync(std::unique_lock<std::mutex> &lock);
    void Fail(const QString &fault);
    QString WriteFault(int rc);
    QString WriteBatch(bool forget, const std::optional<TSessionRow> &row, const std::set<QString> &touched);
    int WriteHistory(const QString &key, const TStoreSnapshot &snap, qint64 now);
    void ForgetOthers();
    void Deliver();
};

bool SameRec(const TPWRec &a, const TPWRec &b);
