// The store's SQLite file: statements, the schema, the checks made when it
// opens, and plain words for SQLite's faults. Private to store/.
#pragma once

#include <QByteArray>
#include <QString>
#include <sqlite3.h>

// One prepared statement; finalized when it goes.
class TSqlStatement
{
public:
    TSqlStatement(sqlite3 *db, const char *sql);
    ~TSqlStatement();
    TSqlStatement(const TSqlStatement &) = delete;
    TSqlStatement &operator=(const TSqlStatement &) = delete;

    int Prepared() const { return rc; }
    TSqlStatement &Bind(int i, qint64 v);
    TSqlStatement &Bind(int i, const QString &v);
    TSqlStatement &Bind(int i, const QByteArray &v);
    // SQLITE_ROW, SQLITE_DONE or the fault; the statement is reset after DONE
    // or a fault, ready for new bindings.
    int Step();
    // Steps to the end; SQLITE_OK or the fault.
    int Run();
    qint64 Int(int col) const;
    QString Text(int col) const;
    QByteArray Blob(int col) const;

private:
    sqlite3_stmt *s = nullptr;
    int rc = SQLITE_OK;
};

// Runs statements without results; SQLITE_OK or the first fault.
int SqlExec(sqlite3 *db, const char *sql);

// What a file turned out to be when opened.
enum class TStoreFile { Ours, New, Foreign, Damaged };

// Opens path (read-only when asked) with the settings the store relies on:
// WAL, commits not waiting for the disk, a short wait for locks. For a writable
// connection, also checks the file and says what it is in kind.
int OpenStoreConnection(const QString &path, bool readOnly, sqlite3 **db, TStoreFile *kind);
// Closes a connection OpenStoreConnection opened (or tried to); null is none.
void CloseStoreConnection(sqlite3 *db);
int CreateStoreSchema(sqlite3 *db);
// Puts what was committed on the disk, so that a power cut cannot take it;
// complete is false when a reader kept part of it back for now.
int SyncStore(sqlite3 *db, bool *complete);

// Moves a damaged or foreign file (with its journal files) aside under a name
// with the date and time; the new name, or empty when it cannot be moved.
QString MoveStoreAside(const QString &path);

// Drops histories untouched for longer than days, then the least recently
// touched ones until the kept bytes fit in maxBytes.
int ExpireHistories(sqlite3 *db, qint64 now, int days, qint64 maxBytes);

// Words for the user for an SQLite result, with the system's reason where
// there is one.
QString SqlReason(int rc, sqlite3 *db);
