// The store of lessons: every picture's, word's and the white board's stroke
// history, kept in an SQLite database so that strokes survive closing the
// program, a crash or a power cut. Writes happen on a thread of the store's
// own; a store that cannot be used says so once and the program goes on
// with its histories in memory.
#pragma once

#include "board/PWRec.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

// What a history belongs to. A picture is known by its content, so a renamed
// or moved picture keeps its strokes and a changed one starts clean; a word
// by its list's content and its line; a document's page by the document's
// content and its number (from 0); the white board is one.
QString PictureKey(const QString &path, QString *error = nullptr);
QString WordKey(const QByteArray &listContent, int line);
// A document is hashed once for all its pages: DocumentKey, then PageKey of it.
QString DocumentKey(const QByteArray &documentContent);
QString PageKey(const QString &documentKey, int page);
QString BoardKey();

// What was open when the last run ended, and whether it ended cleanly.
struct TLessonSession {
    QString file; // the picture or word list; empty: the white board
    int entry = -1; // the picture's or word's index in its list
    bool cleanExit = true;
};

class LessonStore : public QObject
{
    Q_OBJECT
public:
    explicit LessonStore(QObject *parent = nullptr);
    // Writes what is queued (for a short while at most) and closes.
    ~LessonStore() override;

    // Opens the database at path, making it and its folder when missing. A
    // damaged file is moved aside with the date in its name and a new one
    // made. False (after one Problem) when the store cannot be used.
    bool Open(const QString &path);
    bool IsOpen() const;

    // Reads the history kept for key; false when there is none. A damaged
    // record is not trusted: it and what follows are left out, with one Problem.
    bool Load(const QString &key, TPWRecArray &history);
    // Queues history to be kept for key and returns at once.
    void Save(const QString &key, const TPWRecArray &history);
    // Waits until everything queued is written and on the disk, for at most ms.
    bool Flush(int ms = 2000);
    // Empties the store.
    void Forget();

    // Histories untouched for longer than days, and the oldest beyond bytes
    // together, are dropped when the store opens.
    void SetLimits(int days, qint64 bytes);

    // The session as it was when the store opened; then what is open now,
    // and that the run ended cleanly.
    TLessonSession LastSession() const;
    void SetSession(const QString &file, int entry);
    void MarkCleanExit();

signals:
    // Something went wrong; the message names the reason. Emitted on the
    // window's thread, once per kind of fault.
    void Problem(const QString &message);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
