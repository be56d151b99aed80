// Reading a kept history back: from memory while it still waits to be
// written, otherwise from the file, trusting no record that does not decode.
#include "store/HistoryCodec.h"

#include "store/StoreImpl.h"
#include <QCoreApplication>

namespace {
void FromSnapshot(const TStoreSnapshot &s, TPWRecArray &history)
{
    history.Rec.clear();
    const int count = s.c + 1;
    history.Rec.reserve(size_t(count));
    for (const TRecChunk &chunk : s.chunks) // shares the arrays; whoever changes them detaches
        history.Rec.insert(history.Rec.end(), chunk->begin(), chunk->end());
    history.p = s.p;
    history.c = s.c;
}

// An edit record moves earlier strokes only.
bool FitsAt(const TPWRec &rec, int index)
{
    for (qint32 line : rec.Lines)
        if (line >= index)
            return false;
    return true;
}

struct TReadResult {
    bool found = false;
    int p = -1;
    int c = -1;
    int damagedAt = -1; // the first record not trusted, or -1
    QString why;
};

int ReadRecords(sqlite3 *db, TStoredHistory &out, TReadResult &res)
{
    TSqlStatement rows(db, "SELECT idx, data FROM records WHERE hid = ? AND idx >= 0 AND idx <= ? ORDER BY idx");
    rows.Bind(1, out.id).Bind(2, res.c);
    int rc = SQLITE_ROW;
    while ((rc = rows.Step()) == SQLITE_ROW) {
        const int expected = int(out.recs.size());
        TStoredRec rec;
        const QByteArray blob = rows.Blob(1);
        if (rows.Int(0) != expected) {
            res.why = QCoreApplication::translate("KeptStrokes", "a record is missing");
        } else if (DecodeRecord(blob, rec.rec, &res.why)) {
            if (FitsAt(rec.rec, expected)) {
                rec.bytes = blob.size();
                out.recs.push_back(std::move(rec));
                continue;
            }
            res.why = QCoreApplication::translate("KeptStrokes", "a move names a stroke after it");
        }
        res.damagedAt = expected;
        rows.Run();
        return SQLITE_OK;
    }
    if (rc != SQLITE_DONE)
        return rc;
    if (int(out.recs.size()) <= res.c) {
        res.damagedAt = int(out.recs.size());
        res.why = QCoreApplication::translate("KeptStrokes", "records are missing");
    }
    return SQLITE_OK;
}

int ReadHistory(sqlite3 *db, const QString &key, TStoredHistory &out, TReadResult &res)
{
    TSqlStatement head(db, "SELECT id, p, c FROM histories WHERE key = ?");
    int rc = head.Bind(1, key).Step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    res.found = true;
    out.id = head.Int(0);
    res.p = int(std::clamp<qint64>(head.Int(1), -1, std::numeric_limits<int>::max()));
    res.c = int(std::clamp<qint64>(head.Int(2), -1, std::numeric_limits<int>::max() - 1));
    head.Run();
    rc = ReadRecords(db, out, res);
    // Validated against what could be read: -1 <= p <= c < count.
    res.c = std::min(res.c, int(out.recs.size()) - 1);
    res.p = std::min(res.p, res.c);
    return rc;
}
} // namespace

bool LessonStore::Load(const QString &key, TPWRecArray &history)
{
    if (!d->open)
        return false;
    int forgets = 0;
    {
        std::lock_guard lock(d->m);
        auto it = d->pending.find(key);
        const bool inMemory
            = it != d->pending.end()
              || (d->inflightForgets == d->forgetsAsked && (it = d->inflight.find(key)) != d->inflight.end());
        if (inMemory) {
            FromSnapshot(it->second, history);
            return it->second.c >= 0;
        }
        if (d->forgetsDone != d->forgetsAsked)
            return false; // the file still holds what the teacher asked to forget
        forgets = d->forgetsDone;
    }
    TStoredHistory read;
    read.forgets = forgets;
    TReadResult res;
    int rc = SQLITE_OK;
    QString reason;
    {
        std::lock_guard lock(d->readMutex);
        rc = SqlExec(d->rdb, "BEGIN");
        if (rc == SQLITE_OK)
            rc = ReadHistory(d->rdb, key, read, res);
        if (rc != SQLITE_OK)
            reason = SqlReason(rc, d->rdb);
        SqlExec(d->rdb, "COMMIT");
    }
    if (rc != SQLITE_OK) {
        if (d->reportedDamage.insert(QString()).second) // once, whichever history it was
            emit Problem(QCoreApplication::translate("KeptStrokes", "Kept strokes cannot be read: %1.").arg(reason));
        return false;
    }
    if (!res.found)
        return false;
    history.Rec.clear();
    for (const TStoredRec &r : read.recs)
        history.Rec.push_back(r.rec);
    const int kept = res.c + 1;
    history.Rec.resize(size_t(kept));
    history.p = res.p;
    history.c = res.c;
    if (res.damagedAt >= 0) {
        // Not seeded: the next save rewrites the history whole.
        if (d->reportedDamage.insert(key).second)
            emit Problem(QCoreApplication::translate(
                             "KeptStrokes", "Some kept strokes were damaged (%1): the %2 strokes before them are back, "
                                            "the rest were left out.")
                             .arg(res.why)
                             .arg(res.damagedAt));
    } else {
        std::lock_guard lock(d->m);
        d->seeds[key] = std::move(read);
    }
    {
        std::lock_guard lock(d->m);
        d->touches.insert(key);
    }
    d->wake.notify_one();
    return res.c >= 0;
}
