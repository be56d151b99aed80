// The lessons' store: what is saved comes back after a restart (redo too),
// keys by content, damaged, foreign, read-only and full stores, expiry,
// Forget, and the session that tells a crash from a clean exit.
#include "store/LessonStore.h"

#include "StoreSamples.h"

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct TOpened {
    std::unique_ptr<LessonStore> store = std::make_unique<LessonStore>();
    QSignalSpy problems{store.get(), &LessonStore::Problem};
    explicit TOpened(const QString &path, int days = 180, qint64 bytes = qint64(512) << 20)
    {
        store->SetLimits(days, bytes);
        store->Open(path);
    }
};

// Runs SQL on a store's file from outside, as another program would.
QString Sql(const QString &path, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    QString result;
    sqlite3_exec(
        db, sql.constData(),
        [](void *out, int, char **values, char **) {
            *static_cast<QString *>(out) += QString::fromUtf8(values[0] ? values[0] : "null") + QLatin1Char(';');
            return 0;
        },
        &result, nullptr);
    sqlite3_close(db);
    return result;
}

TPWRecArray Strokes(int n, int points = 200)
{
    TPWRecArray h;
    h.RecInit();
    for (int i = 0; i < n; ++i)
        h.RecAddLine(MakeMenuItem(pwPn, 0xFF000000u + quint32(i), 4), Walk(points, float(i), 7.5f));
    return h;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

struct TMount { // a tmpfs for as long as the test runs; root only
    QString dir;
    bool ok = false;
    TMount(const QString &where, const char *options) : dir(where)
    {
        QDir().mkpath(dir);
        ok = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, options) == 0;
    }
    ~TMount()
    {
        if (ok)
            ::umount2(QFile::encodeName(dir).constData(), MNT_DETACH);
    }
};
} // namespace

class TestStore : public QObject
{
    Q_OBJECT
    QTemporaryDir tmp;
    QString Db(const QString &name = QStringLiteral("lessons.db")) const { return tmp.filePath(name); }

private slots:
    void init() { QDir(tmp.path()).removeRecursively(), QDir().mkpath(tmp.path()); }

    void historiesComeBackAfterRestart()
    {
        TPWRecArray mixed = MixedHistory(), grown = Strokes(3);
        {
            TOpened s(Db());
            QVERIFY(s.store->IsOpen());
            s.store->Save(BoardKey(), mixed);
            TPWRecArray queued;
            QVERIFY(s.store->Load(BoardKey(), queued)); // from memory or the file, the same
            CompareHistories(queued, mixed);
            s.store->Save(QStringLiteral("p:1:x"), grown);
            QVERIFY(s.store->Flush());
            // Later changes rewrite from the first changed record: undo twice, then a new stroke drops the redo.
            grown.RecAddLine(MakeMenuItem(pwMk, 5, 9), Walk(10, 1, 1));
            s.store->Save(QStringLiteral("p:1:x"), grown);
            grown.RecUndo();
            grown.RecUndo();
            grown.RecAddEraseAll();
            s.store->Save(QStringLiteral("p:1:x"), grown);
            QVERIFY(s.store->Flush());
            QCOMPARE(s.problems.count(), 0);
        }
        QCOMPARE(Sql(Db(), "SELECT count(*) FROM records r JOIN histories h ON h.id = r.hid WHERE h.key = 'p:1:x'"),
                 QStringLiteral("3;")); // undo twice, then erase-all: c = 2
        TOpened s(Db());
        TPWRecArray board, picture, none;
        QVERIFY(s.store->Load(BoardKey(), board));
        CompareHistories(board, mixed);
        QVERIFY(board.RecCanRedo()); // the undone records survived
        board.RecRedo();
        QVERIFY(s.store->Load(QStringLiteral("p:1:x"), picture));
        CompareHistories(picture, grown);
        QVERIFY(!s.store->Load(QStringLiteral("p:2:y"), none));
        QCOMPARE(Sql(Db(), "PRAGMA integrity_check"), QStringLiteral("ok;"));
    }

    void changesAnywhereInALongHistoryAreKept()
    {
        TPWRecArray h = Strokes(150, 5);
        {
            TOpened s(Db());
            s.store->Save(BoardKey(), h);
            h.Rec[3].Points[0] = QPointF(-1, -2); // a record far below the end changes
            s.store->Save(BoardKey(), h);
            QVERIFY(s.store->Flush());
            TPWRecArray copy;
            RecCopy(h, copy); // the same records in new arrays
            for (int i = 0; i < 40; ++i)
                copy.RecUndo();
            copy.RecAddLine(MakeMenuItem(pwEr, 0, 30), Walk(3, 1, 1));
            s.store->Save(BoardKey(), copy);
            h = copy;
        }
        TOpened s(Db());
        TPWRecArray back;
        QVERIFY(s.store->Load(BoardKey(), back));
        CompareHistories(back, h);
        QCOMPARE(back.Rec[3].Points[0], QPointF(-1, -2));
        QCOMPARE(Sql(Db(), "SELECT count(*) FROM records"), QStringLiteral("111;"));
    }

    void keysFollowContent()
    {
        const QByteArray a("picture A"), b("picture B");
        QDir().mkpath(tmp.filePath("one"));
        QDir().mkpath(tmp.filePath("two"));
        QVERIFY(WriteFile(tmp.filePath("one/cat.png"), a) && WriteFile(tmp.filePath("two/cat.png"), b));
        QVERIFY(WriteFile(tmp.filePath("two/renamed.png"), a));
        const QString keyA = PictureKey(tmp.filePath("one/cat.png"));
        QVERIFY(keyA.startsWith(QStringLiteral("p:9:")));
        QVERIFY(keyA != PictureKey(tmp.filePath("two/cat.png"))); // same name, other folder
        QCOMPARE(PictureKey(tmp.filePath("two/renamed.png")), keyA); // moved and renamed
        QVERIFY(WriteFile(tmp.filePath("one/cat.png"), a + "!"));
        QVERIFY(PictureKey(tmp.filePath("one/cat.png")) != keyA); // changed
        QVERIFY(::mkfifo(QFile::encodeName(tmp.filePath("pipe.png")).constData(), 0600) == 0);
        for (const char *name : {"pipe.png", "missing.png", "one"}) {
            QString error;
            QVERIFY(PictureKey(tmp.filePath(QLatin1String(name)), &error).isEmpty());
            QVERIFY2(!error.isEmpty(), name);
        }
        QVERIFY(WordKey("a\nb\n", 0) != WordKey("a\nb\n", 1));
        QVERIFY(WordKey("a\nb\n", 0) != WordKey("a\nc\n", 0));
    }

    void damagedOrForeignFileIsMovedAside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("garbage") << "garbage";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("foreign") << "foreign";
    }
    void damagedOrForeignFileIsMovedAside()
    {
        QFETCH(QString, kind);
        if (kind == QLatin1String("garbage")) {
            QVERIFY(WriteFile(Db(), QByteArray(5000, '\x5a')));
        } else if (kind == QLatin1String("foreign")) {
            Sql(Db(), "CREATE TABLE notes(a, b); INSERT INTO notes VALUES(1, 2)");
        } else {
            {
                TOpened s(Db());
                s.store->Save(BoardKey(), Strokes(60));
            }
            QFile f(Db());
            QVERIFY(f.size() > 40000);
            QVERIFY(f.resize(f.size() / 2));
        }
        TOpened s(Db());
        QVERIFY(s.store->IsOpen());
        QCOMPARE(s.problems.count(), 1);
        QVERIFY(s.problems.at(0).at(0).toString().contains(QStringLiteral("moved aside")));
        const QStringList moved = QDir(tmp.path()).entryList({QStringLiteral("lessons-damaged-*.db")});
        QCOMPARE(moved.size(), 1);
        const TPWRecArray h = Strokes(2);
        s.store->Save(BoardKey(), h);
        QVERIFY(s.store->Flush());
        TPWRecArray back;
        s.store.reset();
        TOpened again(Db());
        QVERIFY(again.store->Load(BoardKey(), back));
        CompareHistories(back, h);
        QCOMPARE(again.problems.count(), 0);
    }

    void damagedRecordIsLeftOut()
    {
        const TPWRecArray h = Strokes(5);
        {
            TOpened s(Db());
            s.store->Save(BoardKey(), h);
        }
        Sql(Db(), "UPDATE records SET data = x'01ff' WHERE idx = 3");
        TOpened s(Db());
        TPWRecArray back;
        QVERIFY(s.store->Load(BoardKey(), back));
        QCOMPARE(back.c, 2);
        QCOMPARE(back.p, 2);
        QCOMPARE(s.problems.count(), 1);
        // The next change rewrites the history whole.
        back.RecAddLine(MakeMenuItem(pwPn, 1, 1), Walk(3, 0, 0));
        s.store->Save(BoardKey(), back);
        QVERIFY(s.store->Flush());
        TPWRecArray again;
        QVERIFY(s.store->Load(BoardKey(), again));
        CompareHistories(again, back);
        QCOMPARE(s.problems.count(), 1);
    }

    void unusableFolderMeansMemoryOnly()
    {
        TMount ro(tmp.filePath("ro"), "ro,size=64k");
        if (!ro.ok) {
            QVERIFY(::chmod(QFile::encodeName(ro.dir).constData(), 0555) == 0);
            if (::geteuid() == 0)
                QSKIP("a read-only folder needs a tmpfs mount, which is not allowed here");
        }
        for (const QString &path :
             {ro.dir + QStringLiteral("/lessons.db"), ro.dir + QStringLiteral("/sub/lessons.db")}) {
            TOpened s(path);
            QVERIFY(!s.store->IsOpen());
            QCOMPARE(s.problems.count(), 1);
            s.store->Save(BoardKey(), Strokes(1));
            TPWRecArray h;
            QVERIFY(!s.store->Load(BoardKey(), h));
            QVERIFY(!s.store->Flush(10));
            s.store->Forget();
            s.store->SetSession(QStringLiteral("x.png"), 1);
            s.store->MarkCleanExit();
            QCOMPARE(s.problems.count(), 1);
        }
    }

    void fullDiskStopsWritingOnce()
    {
        TMount full(tmp.filePath("full"), "size=256k");
        if (!full.ok)
            QSKIP("a full disk is made with a small tmpfs, which needs root");
        TOpened s(full.dir + QStringLiteral("/lessons.db"));
        QVERIFY(s.store->IsOpen());
        TPWRecArray h;
        h.RecInit();
        for (int i = 0; i < 400 && s.problems.isEmpty(); ++i) {
            h.RecAddLine(MakeMenuItem(pwPn, 1, 2), Walk(200, float(i), 3));
            s.store->Save(BoardKey(), h);
            s.store->Flush(1000);
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE(s.problems.count(), 1);
        QVERIFY(s.problems.at(0).at(0).toString().contains(QStringLiteral("disk is full")));
        // The lesson goes on in memory.
        h.RecAddLine(MakeMenuItem(pwPn, 1, 2), Walk(20, 0, 0));
        s.store->Save(BoardKey(), h);
        TPWRecArray back;
        QVERIFY(s.store->Load(BoardKey(), back));
        CompareHistories(back, h);
        QVERIFY(!s.store->Flush(100));
        s.store->MarkCleanExit();
        s.store.reset();
        QCOMPARE(s.problems.count(), 1);
        QCOMPARE(Sql(full.dir + QStringLiteral("/lessons.db"), "PRAGMA integrity_check"), QStringLiteral("ok;"));
    }

    void expiryByAgeThenSize()
    {
        {
            TOpened s(Db());
            for (const char *key : {"old", "older", "newer", "newest"})
                s.store->Save(QLatin1String(key), Strokes(4));
        }
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        Sql(Db(), QStringLiteral("UPDATE histories SET touched = %1 - CASE key WHEN 'old' THEN 181 * 86400 "
                                 "WHEN 'older' THEN 100 * 86400 WHEN 'newer' THEN 100 ELSE 0 END")
                      .arg(now)
                      .toUtf8());
        const qint64 one = Sql(Db(), "SELECT bytes FROM histories WHERE key = 'newest'").chopped(1).toLongLong();
        QVERIFY(one > 4 * 200);
        TOpened s(Db(), 180, 2 * one);
        TPWRecArray h;
        QVERIFY(!s.store->Load(QStringLiteral("old"), h)); // untouched too long
        QVERIFY(!s.store->Load(QStringLiteral("older"), h)); // the oldest beyond the size
        QVERIFY(s.store->Load(QStringLiteral("newer"), h));
        QVERIFY(s.store->Load(QStringLiteral("newest"), h));
        QCOMPARE(Sql(Db(), "SELECT count(*) FROM records"), QStringLiteral("8;"));
    }

    // A history opened again (only looked at, not drawn on) is in use: it
    // counts as touched then, and does not expire for the months before.
    void openingTouchesAHistory()
    {
        {
            TOpened s(Db());
            s.store->Save(QStringLiteral("yearly"), Strokes(3));
        }
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        Sql(Db(), QStringLiteral("UPDATE histories SET touched = %1").arg(now - 170 * 86400).toUtf8());
        {
            TOpened s(Db());
            TPWRecArray h;
            QVERIFY(s.store->Load(QStringLiteral("yearly"), h));
            QVERIFY(s.store->Flush());
        }
        const qint64 touched = Sql(Db(), "SELECT touched FROM histories").chopped(1).toLongLong();
        QVERIFY2(touched >= now, qPrintable(QString::number(now - touched)));
    }

    void forgetEmptiesButKeepsTheSession()
    {
        {
            TOpened s(Db());
            s.store->Save(BoardKey(), Strokes(3));
            s.store->SetSession(QStringLiteral("a.png"), 2);
            QVERIFY(s.store->Flush());
            s.store->Forget();
            TPWRecArray h;
            QVERIFY(!s.store->Load(BoardKey(), h));
            const TPWRecArray after = Strokes(1);
            s.store->Save(QStringLiteral("w:x:1"), after);
            QVERIFY(s.store->Flush());
            QVERIFY(!s.store->Load(BoardKey(), h));
            QVERIFY(s.store->Load(QStringLiteral("w:x:1"), h));
        }
        QCOMPARE(Sql(Db(), "SELECT count(*) FROM histories"), QStringLiteral("1;"));
        TOpened s(Db());
        QCOMPARE(s.store->LastSession().file, QStringLiteral("a.png"));
    }

    void sessionTellsACrashFromACleanExit()
    {
        {
            TOpened s(Db());
            QVERIFY(s.store->LastSession().cleanExit); // a new store
            s.store->SetSession(QStringLiteral("/pics/a.png"), 3);
        } // closed without MarkCleanExit: as after a crash
        {
            TOpened s(Db());
            const TLessonSession last = s.store->LastSession();
            QVERIFY(!last.cleanExit);
            QCOMPARE(last.file, QStringLiteral("/pics/a.png"));
            QCOMPARE(last.entry, 3);
            s.store->MarkCleanExit();
        }
        TOpened s(Db());
        QVERIFY(s.store->LastSession().cleanExit);
        QCOMPARE(s.store->LastSession().entry, 3);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
