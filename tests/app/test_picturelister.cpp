// The thumbnail lister and its worker pool on their own: every picture's
// thumbnail arrives once on the window's thread, then the end; cancelling,
// restarting and destroying mid-listing; the pool's limit, clearing and waiting.
// Built also with ThreadSanitizer, which checks every hand-over between them.
#include "app/PictureFiles.h"
#include "app/PictureLister.h"
#include "app/WorkerPool.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <stdexcept>

namespace {
std::atomic<int> MadeCount = 0;

// Slow enough that a listing is still running when the test acts on it.
PictureLister::Thumb SlowThumbnail(const QString &path)
{
    ++MadeCount;
    QThread::msleep(20);
    PictureLister::Thumb t;
    t.image = MakeThumbnail(path, &t.error);
    return t;
}

PictureLister::Thumb ThrowingThumbnail(const QString &path)
{
    if (path.endsWith(QLatin1String("p1.png")))
        throw std::runtime_error("the reader gave up");
    PictureLister::Thumb t;
    t.image = MakeThumbnail(path, &t.error);
    return t;
}

struct MakerGuard {
    explicit MakerGuard(PictureLister::Maker m) { PictureLister::SetMaker(m); }
    ~MakerGuard() { PictureLister::SetMaker(nullptr); }
};

// A folder of count small pictures p0.png, p1.png, ... and their names.
struct Pictures {
    QTemporaryDir dir;
    QString folder;
    QStringList names;
    explicit Pictures(int count)
    {
        folder = dir.path() + QLatin1Char('/');
        for (int i = 0; i < count; ++i) {
            QImage img(60, 40, QImage::Format_RGB32);
            img.fill(qRgb(i * 10 % 256, 80, 160));
            const QString name = QStringLiteral("p%1.png").arg(i);
            img.save(folder + name);
            names << name;
        }
    }
};

// What a lister announced, in order.
struct Record {
    QList<int> indices;
    QStringList errors;
    int finished = 0;
    int readyAfterFinished = 0;
    explicit Record(PictureLister &l)
    {
        QObject::connect(&l, &PictureLister::ThumbnailReady, &l,
                         [this](int k, const QImage &image, const QString &error) {
                             if (finished)
                                 ++readyAfterFinished;
                             indices << k;
                             errors << (image.isNull() ? error : QString());
                         });
        QObject::connect(&l, &PictureLister::Finished, &l, [this] { ++finished; });
    }
};

struct PoolSize {
    int before = ThumbnailPool().MaxThreadCount();
    explicit PoolSize(int n) { ThumbnailPool().SetMaxThreadCount(n); }
    ~PoolSize() { ThumbnailPool().SetMaxThreadCount(before); }
};
} // namespace

class TestPictureLister : public QObject
{
    Q_OBJECT
private slots:
    void everyThumbnailOnceThenTheEnd_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("count");
        QTest::newRow("one thread") << 1 << 12;
        QTest::newRow("four threads") << 4 << 12;
        QTest::newRow("more threads than pictures") << 8 << 3;
        QTest::newRow("no pictures") << 2 << 0;
    }
    void everyThumbnailOnceThenTheEnd()
    {
        QFETCH(int, threads);
        QFETCH(int, count);
        PoolSize size(threads);
        Pictures pics(count);
        // A name that is no picture gets an error, not a missing thumbnail.
        QStringList names = pics.names;
        if (count > 0)
            names[count / 2] = QStringLiteral("missing.png");
        PictureLister l;
        Record r(l);
        l.Start(pics.folder, names);
        // Nothing arrives inside Start, not even the end of an empty listing.
        QVERIFY(l.IsRunning());
        QCOMPARE(r.finished, 0);
        QVERIFY(r.indices.isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return r.finished > 0; }, 20000));
        QVERIFY(!l.IsRunning());
        QCOMPARE(r.finished, 1);
        QCOMPARE(r.readyAfterFinished, 0);
        QList<int> sorted = r.indices;
        std::sort(sorted.begin(), sorted.end());
        QList<int> all(count);
        std::iota(all.begin(), all.end(), 0);
        QCOMPARE(sorted, all);
        for (int i = 0; i < r.indices.size(); ++i)
            QCOMPARE(r.errors[i].isEmpty(), r.indices[i] != count / 2);
        if (count > 0)
            QVERIFY(r.errors[r.indices.indexOf(count / 2)].contains(QStringLiteral("missing.png")));
        QVERIFY(ThumbnailPool().WaitForDone(5000));
    }

    void pageInViewFirst_data()
    {
        QTest::addColumn<int>("firstShown");
        QTest::addColumn<int>("shownCount");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("a middle page") << 4 << 3 << QList<int>{4, 5, 6, 0, 1, 2, 3, 7, 8, 9};
        QTest::newRow("the last page, cut short") << 8 << 4 << QList<int>{8, 9, 0, 1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("no page in view") << 0 << 0 << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("a page beyond the list") << 12 << 4 << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    }

    // One worker makes them in the order it is given: the strip's page in
    // view first, then the rest of the folder from its start.
    void pageInViewFirst()
    {
        QFETCH(int, firstShown);
        QFETCH(int, shownCount);
        QFETCH(QList<int>, order);
        PoolSize size(1);
        Pictures pics(10);
        PictureLister l;
        Record r(l);
        l.Start(pics.folder, pics.names, firstShown, shownCount);
        QVERIFY(QTest::qWaitFor([&] { return r.finished > 0; }, 20000));
        QCOMPARE(r.indices, order);
        QVERIFY(ThumbnailPool().WaitForDone(5000));
    }

    void cancelRestartAndDestroyMidListing()
    {
        MakerGuard slow(SlowThumbnail);
        PoolSize size(2);
        Pictures pics(30);
        auto l = std::make_unique<PictureLister>();
        Record r(*l);
        // Cancelled at the first thumbnail: it ends at once, once, and hands out nothing more.
        MadeCount = 0;
        auto c = connect(l.get(), &PictureLister::ThumbnailReady, l.get(), [&] { l->Cancel(); });
        l->Start(pics.folder, pics.names);
        QVERIFY(QTest::qWaitFor([&] { return r.finished > 0; }, 20000));
        QCOMPARE(r.indices.size(), 1);
        QVERIFY(!l->IsRunning());
        QVERIFY(ThumbnailPool().WaitForDone(5000));
        QCoreApplication::processEvents();
        QCOMPARE(r.indices.size(), 1);
        QCOMPARE(r.finished, 1);
        QVERIFY2(MadeCount < 30, qPrintable(QString::number(MadeCount)));
        disconnect(c);

        // Restarted from a receiver: only the new listing's thumbnails follow.
        r.indices.clear();
        r.errors.clear();
        r.finished = 0;
        bool restarted = false;
        QStringList second = pics.names.mid(0, 4);
        c = connect(l.get(), &PictureLister::ThumbnailReady, l.get(), [&] {
            if (!restarted) {
                restarted = true;
                r.indices.clear();
                l->Start(pics.folder, second);
            }
        });
        l->Start(pics.folder, pics.names);
        QVERIFY(QTest::qWaitFor([&] { return r.finished == 2; }, 20000));
        std::sort(r.indices.begin(), r.indices.end());
        QCOMPARE(r.indices, (QList<int>{0, 1, 2, 3}));
        disconnect(c);

        // Destroyed mid-listing: the workers end by themselves and tell no one.
        MadeCount = 0;
        l->Start(pics.folder, pics.names);
        QVERIFY(QTest::qWaitFor([&] { return MadeCount > 2; }, 20000));
        l.reset();
        QVERIFY(ThumbnailPool().WaitForDone(5000));
        QCoreApplication::processEvents();
    }

    // Thumbnails made while the opened picture is read: the listing after
    // takes them, so each picture is made once, however far the prefetch
    // got; a prefetch no listing takes stops after the picture in hand.
    void prefetchedThumbnailsAreTakenNotMadeAgain_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<bool>("waitForPrefetch");
        QTest::newRow("all made ahead") << 2 << true;
        QTest::newRow("listing starts mid-prefetch") << 2 << false;
        QTest::newRow("one thread, mid-prefetch") << 1 << false;
    }
    void prefetchedThumbnailsAreTakenNotMadeAgain()
    {
        QFETCH(int, threads);
        QFETCH(bool, waitForPrefetch);
        MakerGuard slow(SlowThumbnail);
        PoolSize size(threads);
        Pictures pics(8);
        QStringList ahead;
        for (int k = 2; k < 6; ++k)
            ahead << pics.folder + pics.names[k];
        MadeCount = 0;
        PictureLister l;
        Record r(l);
        l.Prefetch(ahead);
        if (waitForPrefetch) {
            QVERIFY(ThumbnailPool().WaitForDone(5000));
            QCOMPARE(MadeCount.load(), 4);
        }
        l.Start(pics.folder, pics.names, 2, 4);
        QVERIFY(QTest::qWaitFor([&] { return r.finished > 0; }, 20000));
        QList<int> sorted = r.indices;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
        // One worker hands out the page before the rest (with more, the
        // order they finish in is the machine's).
        if (threads == 1)
            QCOMPARE(QSet<int>(r.indices.begin(), r.indices.begin() + 4), (QSet<int>{2, 3, 4, 5}));
        QVERIFY(std::all_of(r.errors.begin(), r.errors.end(), [](const QString &e) { return e.isEmpty(); }));
        QVERIFY(ThumbnailPool().WaitForDone(5000));
        QCOMPARE(MadeCount.load(), 8);
    }

    // The opened picture, read whole for the board while the prefetch runs:
    // its thumbnail comes from those pixels (red here, which its file is
    // not), and its file is not read again.
    void aPictureReadAlreadyIsNotReadAgain()
    {
        MakerGuard slow(SlowThumbnail);
        PoolSize size(2);
        Pictures pics(6);
        QStringList ahead;
        for (int k = 0; k < 4; ++k)
            ahead << pics.folder + pics.names[k];
        MadeCount = 0;
        PictureLister l;
        Record r(l);
        QImage opened;
        connect(&l, &PictureLister::ThumbnailReady, &l, [&](int k, const QImage &image) {
            if (k == 3)
                opened = image;
        });
        l.Prefetch(ahead);
        QImage picture(60, 40, QImage::Format_ARGB32_Premultiplied);
        picture.fill(qRgb(255, 0, 0));
        l.PrefetchPicture(ahead.last(), picture);
        l.Start(pics.folder, pics.names, 0, 4);
        QVERIFY(QTest::qWaitFor([&] { return r.finished > 0; }, 20000));
        QCOMPARE(r.indices.size(), 6);
        QCOMPARE(opened.pixel(45, 45), qRgb(255, 0, 0));
        QVERIFY(ThumbnailPool().WaitForDone(5000));
        QCOMPARE(MadeCount.load(), 5);
    }

    void aDroppedPrefetchStops()
    {
        MakerGuard slow(SlowThumbnail);
        PoolSize size(2);
        Pictures pics(20);
        QStringList paths;
        for (const QString &name : std::as_const(pics.names))
            paths << pics.folder + name;
        MadeCount = 0;
        auto l = std::make_unique<PictureLister>();
        l->Prefetch(paths);
        QVERIFY(QTest::qWaitFor([&] { return MadeCount > 0; }, 5000));
        l->DropPrefetch();
        QVERIFY(ThumbnailPool().WaitForDone(5000));
        QVERIFY2(MadeCount <= 2, qPrintable(QString::number(MadeCount)));
        // A prefetch the lister still holds when it goes stops as well.
        MadeCount = 0;
        l->Prefetch(paths);
        QVERIFY(QTest::qWaitFor([&] { return MadeCount > 0; }, 5000));
        l.reset();
        QVERIFY(ThumbnailPool().WaitForDone(5000));
        QVERIFY2(MadeCount <= 2, qPrintable(QString::number(MadeCount)));
    }

    void aFailingReaderBecomesAnError()
    {
        MakerGuard throwing(ThrowingThumbnail);
        Pictures pics(3);
        PictureLister l;
        Record r(l);
        l.Start(pics.folder, pics.names);
        QVERIFY(QTest::qWaitFor([&] { return r.finished > 0; }, 20000));
        QCOMPARE(r.indices.size(), 3);
        const QString error = r.errors[r.indices.indexOf(1)];
        QVERIFY2(error.contains(QStringLiteral("p1.png")) && error.contains(QStringLiteral("the reader gave up")),
                 qPrintable(error));
        QVERIFY(r.errors[r.indices.indexOf(0)].isEmpty());

        // The same made ahead: the listing hands the error on and ends.
        Record ahead(l);
        l.Prefetch({pics.folder + pics.names[1], pics.folder + pics.names[0]});
        l.Start(pics.folder, pics.names, 0, 2);
        QVERIFY(QTest::qWaitFor([&] { return ahead.finished > 0; }, 20000));
        QCOMPARE(ahead.indices.size(), 3);
        QVERIFY(ahead.errors[ahead.indices.indexOf(1)].contains(QStringLiteral("the reader gave up")));
    }

    void poolLimitClearAndWait()
    {
        WorkerPool pool(2);
        std::mutex m;
        std::condition_variable cv;
        bool open = false;
        int running = 0, peak = 0, ran = 0;
        const auto task = [&] {
            std::unique_lock lock(m);
            ++running;
            peak = std::max(peak, running);
            cv.wait(lock, [&] { return open; });
            --running;
            ++ran;
        };
        for (int i = 0; i < 6; ++i)
            pool.Start(task);
        // Two run, four wait: the wait times out while the gate is shut.
        QVERIFY(!pool.WaitForDone(50));
        {
            const std::lock_guard lock(m);
            QCOMPARE(peak, 2);
        }
        // Cleared, the waiting four never run; the running two end once let go.
        pool.Clear();
        {
            const std::lock_guard lock(m);
            open = true;
        }
        cv.notify_all();
        QVERIFY(pool.WaitForDone(5000));
        {
            const std::lock_guard lock(m);
            QCOMPARE(ran, 2);
            open = false;
            peak = 0;
        }
        // One at a time when told so; a task that throws ends only itself.
        pool.SetMaxThreadCount(1);
        pool.Start([] { throw std::runtime_error("lost"); });
        for (int i = 0; i < 3; ++i)
            pool.Start(task);
        {
            const std::lock_guard lock(m);
            open = true;
        }
        cv.notify_all();
        QVERIFY(pool.WaitForDone(5000));
        const std::lock_guard lock(m);
        QCOMPARE(ran, 5);
        QCOMPARE(peak, 1);
    }
};

QTEST_MAIN(TestPictureLister)
#include "test_picturelister.moc"
