#include "store/StoreDb.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {
// SQLite is loaded with the store, while the splash is up, rather than by
// the system's loader before the program's first line: a library less on the
// way to the first window. The pointers have the types of the header's own
// declarations, so a call through them is checked as a direct call would be.
// clang-format off
#define TW_SQLITE_FUNCTIONS(X) \
    X(bind_blob) X(bind_int64) X(bind_text) X(busy_timeout) X(close_v2) X(column_blob) X(column_bytes) \
    X(column_int64) X(column_text) X(errstr) X(exec) X(extended_result_codes) X(finalize) X(open_v2) \
    X(prepare_v2) X(reset) X(step) X(system_errno) X(wal_checkpoint_v2)
// clang-format on

struct TSqliteApi {
// NOLINTNEXTLINE(bugprone-macro-parentheses): the argument names a member here
#define TW_SQLITE_POINTER(name) decltype(&::sqlite3_##name) name = nullptr;
    TW_SQLITE_FUNCTIONS(TW_SQLITE_POINTER)
#undef TW_SQLITE_POINTER
    bool loaded = false;
    QString reason; // why it is not
};

TSqliteApi LoadSqlite()
{
    TSqliteApi api;
    QLibrary library(QStringLiteral("sqlite3"), 0);
    if (!library.load()) {
        api.reason = library.errorString();
        return api;
    }
    bool all = true;
#define TW_SQLITE_RESOLVE(name)                                                                                        \
    api.name = reinterpret_cast<decltype(api.name)>(library.resolve("sqlite3_" #name));                                \
    all = all && api.name;
    TW_SQLITE_FUNCTIONS(TW_SQLITE_RESOLVE)
#undef TW_SQLITE_RESOLVE
    api.loaded = all;
    if (!all)
        api.reason = library.errorString();
    return api; // the library stays loaded: QLibrary does not unload on destruction
}

// Loaded the first time; every call below comes after a connection was
// opened, which only happens once it is.
const TSqliteApi &Api()
{
    static const TSqliteApi api = LoadSqlite();
    return api;
}

// Marks the file as this program's, in the header's user version.
constexpr int StoreVersion = 0x54570001;

// Whether the last run closed the store cleanly (its session row says so).
bool ClosedCleanly(sqlite3 *db)
{
    TSqlStatement session(db, "SELECT clean FROM session WHERE id = 1");
    return session.Step() == SQLITE_ROW && session.Int(0) == 1;
}

int CheckStoreFile(sqlite3 *db, TStoreFile &kind)
{
    TSqlStatement version(db, "PRAGMA user_version");
    TSqlStatement tables(db, "SELECT count(*), sum(name IN ('histories', 'records', 'session')) "
                             "FROM sqlite_master WHERE type = 'table'");
    int rc = version.Step();
    if (rc != SQLITE_ROW || (rc = tables.Step()) != SQLITE_ROW)
        return rc;
    if (version.Int(0) == StoreVersion && tables.Int(1) == 3)
        kind = TStoreFile::Ours;
    else if (version.Int(0) == 0 && tables.Int(0) == 0)
        kind = TStoreFile::New;
    else
        kind = TStoreFile::Foreign;
    // The whole file is read through only after a run that did not end
    // cleanly, when damage is to be feared: a check grows with the file
    // and must not hold up every start. Damage found later shows as an
    // error of the read or write that meets it.
    if (kind != TStoreFile::Ours || ClosedCleanly(db))
        return SQLITE_OK;
    TSqlStatement check(db, "PRAGMA quick_check");
    rc = check.Step();
    if (rc != SQLITE_ROW)
        return rc;
    if (check.Text(0) != QLatin1String("ok"))
        kind = TStoreFile::Damaged;
    return SQLITE_OK;
}
} // namespace

TSqlStatement::TSqlStatement(sqlite3 *db, const char *sql) { rc = Api().prepare_v2(db, sql, -1, &s, nullptr); }

TSqlStatement::~TSqlStatement() { Api().finalize(s); }

TSqlStatement &TSqlStatement::Bind(int i, qint64 v)
{
    if (s)
        Api().bind_int64(s, i, v);
    return *this;
}

TSqlStatement &TSqlStatement::Bind(int i, const QString &v)
{
    const QByteArray utf8 = v.toUtf8();
    if (s)
        Api().bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

TSqlStatement &TSqlStatement::Bind(int i, const QByteArray &v)
{
    if (s)
        Api().bind_blob(s, i, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    return *this;
}

int TSqlStatement::Step()
{
    if (!s)
        return rc;
    const int r = Api().step(s);
    if (r != SQLITE_ROW)
        Api().reset(s);
    return r;
}

int TSqlStatement::Run()
{
    int r = SQLITE_ROW;
    while (r == SQLITE_ROW)
        r = Step();
    return r == SQLITE_DONE ? SQLITE_OK : r;
}

qint64 TSqlStatement::Int(int col) const { return Api().column_int64(s, col); }

QString TSqlStatement::Text(int col) const
{
    const auto *text = reinterpret_cast<const char *>(Api().column_text(s, col));
    return QString::fromUtf8(text, Api().column_bytes(s, col));
}

QByteArray TSqlStatement::Blob(int col) const
{
    const auto *data = static_cast<const char *>(Api().column_blob(s, col));
    return QByteArray(data, Api().column_bytes(s, col));
}

int SqlExec(sqlite3 *db, const char *sql) { return Api().exec(db, sql, nullptr, nullptr, nullptr); }

int OpenStoreConnection(const QString &path, bool readOnly, sqlite3 **db, TStoreFile *kind)
{
    *db = nullptr;
    if (!Api().loaded)
        return SQLITE_CANTOPEN;
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    int rc = Api().open_v2(QFile::encodeName(path).constData(), db, flags, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    Api().extended_result_codes(*db, 1);
    Api().busy_timeout(*db, 200);
    if (readOnly)
        return SQLITE_OK;
    // A commit reaches the log without waiting for the disk, so it survives a
    // crash of the program; the writer syncs the log soon after (SyncStore),
    // which bounds what a power cut can take. The page size only counts for a
    // new file, before the log is switched on.
    rc = SqlExec(*db, "PRAGMA page_size = 8192; PRAGMA synchronous = NORMAL");
    if (rc == SQLITE_OK)
        rc = CheckStoreFile(*db, *kind);
    if (rc != SQLITE_OK || *kind == TStoreFile::Damaged || *kind == TStoreFile::Foreign)
        return rc;
    TSqlStatement wal(*db, "PRAGMA journal_mode = WAL");
    rc = wal.Step();
    if (rc == SQLITE_ROW && wal.Text(0) != QLatin1String("wal"))
        return SQLITE_CANTOPEN;
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

int SyncStore(sqlite3 *db, bool *complete)
{
    // A checkpoint syncs the log before copying it into the file. A reader
    // in the way keeps it from copying (and syncing) all of it: no fault,
    // only a reason to try again.
    int logFrames = 0, copied = 0;
    int rc = Api().wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logFrames, &copied);
    const bool busy = (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED;
    *complete = rc == SQLITE_OK && copied >= logFrames;
    return busy ? SQLITE_OK : rc;
}

int CreateStoreSchema(sqlite3 *db)
{
    // Records are kept in a table with row ids: their blobs are larger than
    // an index page holds, and an index-organised table would move each into
    // pages of its own.
    const QByteArray sql = QByteArray("BEGIN IMMEDIATE;"
                                      "CREATE TABLE histories(id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE,"
                                      " p INT NOT NULL, c INT NOT NULL, touched INT NOT NULL, bytes INT NOT NULL);"
                                      "CREATE INDEX histories_touched ON histories(touched);"
                                      "CREATE TABLE records(hid INT NOT NULL, idx INT NOT NULL, data BLOB NOT NULL,"
                                      " PRIMARY KEY(hid, idx));"
                                      "CREATE TABLE session(id INTEGER PRIMARY KEY CHECK(id = 1), file TEXT,"
                                      " entry INT, clean INT);"
                                      "PRAGMA user_version = ")
                           + QByteArray::number(StoreVersion) + ";COMMIT;";
    const int rc = SqlExec(db, sql.constData());
    if (rc != SQLITE_OK)
        SqlExec(db, "ROLLBACK");
    return rc;
}

QString MoveStoreAside(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    const QString base = info.dir().filePath(info.completeBaseName() + QStringLiteral("-damaged-") + stamp);
    QString target = base + QStringLiteral(".db");
    for (int n = 2; QFileInfo::exists(target) && n < 100; ++n)
        target = base + QLatin1Char('-') + QString::number(n) + QStringLiteral(".db");
    if (!QFile::rename(path, target))
        return {};
    // The log may hold the last commits: it goes with the file. The shared
    // memory index is rebuilt from the log by whoever opens it.
    QFile::rename(path + QStringLiteral("-wal"), target + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    return target;
}

int ExpireHistories(sqlite3 *db, qint64 now, int days, qint64 maxBytes)
{
    std::vector<qint64> drop;
    {
        TSqlStatement all(db, "SELECT id, touched, bytes FROM histories ORDER BY touched DESC, id DESC");
        qint64 total = 0;
        int rc = SQLITE_ROW;
        while ((rc = all.Step()) == SQLITE_ROW) {
            total += all.Int(2);
            if (all.Int(1) < now - qint64(days) * 86400 || total > maxBytes)
                drop.push_back(all.Int(0));
        }
        if (rc != SQLITE_DONE)
            return rc;
    }
    if (drop.empty())
        return SQLITE_OK;
    int rc = SqlExec(db, "BEGIN IMMEDIATE");
    TSqlStatement records(db, "DELETE FROM records WHERE hid = ?");
    TSqlStatement history(db, "DELETE FROM histories WHERE id = ?");
    for (size_t i = 0; i < drop.size() && rc == SQLITE_OK; ++i) {
        rc = records.Bind(1, drop[i]).Run();
        if (rc == SQLITE_OK)
            rc = history.Bind(1, drop[i]).Run();
    }
    if (rc == SQLITE_OK)
        rc = SqlExec(db, "COMMIT");
    if (rc != SQLITE_OK)
        SqlExec(db, "ROLLBACK");
    return rc;
}

void CloseStoreConnection(sqlite3 *db)
{
    if (db)
        Api().close_v2(db);
}

QString SqlReason(int rc, sqlite3 *db)
{
    if (!Api().loaded)
        return QCoreApplication::translate("KeptStrokes", "SQLite cannot be loaded (%1)").arg(Api().reason);
    const int system = db ? Api().system_errno(db) : 0;
    switch (rc & 0xFF) {
    case SQLITE_FULL: return QCoreApplication::translate("KeptStrokes", "the disk is full");
    case SQLITE_READONLY: return QCoreApplication::translate("KeptStrokes", "the file or its folder may only be read");
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QCoreApplication::translate("KeptStrokes", "another program is using the file");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return QCoreApplication::translate("KeptStrokes", "the file is damaged");
    case SQLITE_NOMEM: return QCoreApplication::translate("KeptStrokes", "there is not enough memory");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        if (system == ENOSPC)
            return QCoreApplication::translate("KeptStrokes", "the disk is full");
        if (system != 0)
            return QString::fromLocal8Bit(std::strerror(system));
        return (rc & 0xFF) == SQLITE_IOERR
                   ? QCoreApplication::translate("KeptStrokes", "the disk could not be read or written")
                   : QCoreApplication::translate("KeptStrokes", "the file cannot be opened or made");
    default: return QString::fromUtf8(Api().errstr(rc));
    }
}
