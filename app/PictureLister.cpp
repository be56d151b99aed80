#include "app/PictureLister.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include "app/PictureFiles.h"
#include "app/WorkerPool.h"
#include "imagefiles/FileIO.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <utility>
#include <vector>

// One listing, shared by the window's thread and the workers making its
// thumbnails. Every hand-over between them goes through its mutex.
struct PictureLister::Batch {
    // Set before the workers start and never changed.
    std::vector<int> order; // the indices of the entries in the order they are made
    EntryMaker make; // makes the thumbnail of an index, never throws

    std::mutex mutex; // guards what follows
    int next = 0; // the place in order of the next picture to hand out
    bool cancelled = false;
    std::vector<std::pair<int, Thumb>> ready; // made, in the order made, not yet taken
    PictureLister *owner = nullptr; // told when thumbnails wait; null once it no longer cares
    bool wakePending = false; // owner has been told and has not taken them yet
};

namespace {
PictureLister::Thumb MakeOne(const QString &path)
{
    PictureLister::Thumb t;
    t.image = MakeThumbnail(path, &t.error);
    return t;
}

PictureLister::Maker CurrentMaker = MakeOne;

// A picture whose reading fails in an unforeseen way becomes a broken
// thumbnail with the reason, never the end of its worker or of the listing.
PictureLister::Thumb MakeGuarded(const std::function<PictureLister::Thumb()> &make, const QString &path)
{
    PictureLister::Thumb t;
    try {
        return make();
    } catch (const std::bad_alloc &) {
        t.error = OpenErrorText(path, QCoreApplication::translate("Files", "there is not enough memory to read it"));
    } catch (const std::exception &e) {
        t.error = OpenErrorText(path, QString::fromLocal8Bit(e.what()));
    }
    return t;
}
} // namespace

// Thumbnails made ahead of a listing, shared by the workers making them and
// the listing's workers taking them. Each path is made once: by the prefetch
// until the listing starts, then by the listing.
struct PictureLister::Ahead {
    PictureLister::Maker make = nullptr; // set before the workers start

    std::mutex mutex; // guards what follows
    std::condition_variable made; // a path that was being made is ready
    std::deque<QString> waiting; // not started yet, in order
    QHash<QString, QImage> pictures; // of those, the ones read whole already
    QSet<QString> making;
    QHash<QString, Thumb> ready;

    // The next path to make, with its picture when read already; none when
    // stopped or all are started.
    std::optional<std::pair<QString, QImage>> Next()
    {
        const std::lock_guard lock(mutex);
        if (waiting.empty())
            return std::nullopt;
        QString path = std::move(waiting.front());
        waiting.pop_front();
        making.insert(path);
        return std::pair(path, pictures.take(path));
    }
    void Work()
    {
        while (const auto next = Next()) {
            const QString &path = next->first;
            const QImage &picture = next->second;
            const Thumb t = MakeGuarded([&] { return picture.isNull() ? make(path) : Of(path, picture); }, path);
            {
                const std::lock_guard lock(mutex);
                making.remove(path);
                ready.insert(path, t);
            }
            made.notify_all();
        }
    }
    static Thumb Of(const QString &path, const QImage &picture)
    {
        Thumb t;
        t.image = MakeThumbnailOf(path, picture);
        return t;
    }
    // The thumbnail of path when the prefetch has made it or is making it
    // (then waited for), or made here from its picture when that was read
    // already; none when it is the caller's to make from the file.
    std::optional<Thumb> Take(const QString &path)
    {
        QImage picture;
        {
            std::unique_lock lock(mutex);
            made.wait(lock, [&] { return !making.contains(path); });
            if (const auto it = ready.find(path); it != ready.end()) {
                Thumb t = std::move(*it);
                ready.erase(it);
                return t;
            }
            picture = pictures.take(path);
        }
        if (picture.isNull())
            return std::nullopt;
        return Of(path, picture);
    }
    void Seed(const QString &path, const QImage &picture)
    {
        const std::lock_guard lock(mutex);
        const auto it = std::find(waiting.begin(), waiting.end(), path);
        if (it == waiting.end())
            return;
        waiting.erase(it);
        waiting.push_front(path);
        pictures.insert(path, picture);
    }
    // Starts no more (the pictures read already stay for Take); what it is
    // making now, in a list of the caller's own (a copy of the set would
    // share its data with the one the workers change).
    QStringList Stop()
    {
        const std::lock_guard lock(mutex);
        waiting.clear();
        return QStringList(making.cbegin(), making.cend());
    }
    // Starts no more and lets go of the pictures.
    void Drop()
    {
        const std::lock_guard lock(mutex);
        waiting.clear();
        pictures.clear();
    }
};

void PictureLister::SetMaker(Maker maker) { CurrentMaker = maker ? maker : MakeOne; }

PictureLister::PictureLister(QObject *parent) : QObject(parent) { }

PictureLister::~PictureLister()
{
    // The workers keep the listing alive as long as they need it; nothing waits for them here.
    Detach();
    DropPrefetch();
}

void PictureLister::Prefetch(const QStringList &paths)
{
    DropPrefetch();
    if (paths.isEmpty())
        return;
    auto ahead = std::make_shared<Ahead>();
    ahead->make = CurrentMaker;
    ahead->waiting.assign(paths.begin(), paths.end());
    m_ahead = ahead;
    WorkerPool &pool = ThumbnailPool();
    const int tasks = std::clamp(pool.MaxThreadCount() - 1, 1, int(paths.size()));
    for (int i = 0; i < tasks; ++i)
        pool.Start([ahead] { ahead->Work(); });
}

void PictureLister::PrefetchPicture(const QString &path, const QImage &picture)
{
    if (m_ahead && !picture.isNull())
        m_ahead->Seed(path, picture);
}

void PictureLister::DropPrefetch()
{
    if (m_ahead)
        std::exchange(m_ahead, nullptr)->Drop();
}

void PictureLister::Start(const QString &folder, const QStringList &names, int firstShown, int shownCount)
{
    Cancel();
    auto batch = std::make_shared<Batch>();
    const Maker maker = CurrentMaker;
    // What the prefetch has made or is making is taken from it; it starts
    // no more, and the listing's workers make the rest in their own order
    // (two orders taking turns would have one wait for the other).
    std::shared_ptr<Ahead> ahead = std::exchange(m_ahead, nullptr);
    const QStringList making = ahead ? ahead->Stop() : QStringList();
    batch->make = [folder, names, maker, ahead](int k) {
        const QString path = folder + names.at(k);
        return MakeGuarded(
            [&] {
                if (ahead) {
                    if (std::optional<Thumb> t = ahead->Take(path))
                        return std::move(*t);
                }
                return maker(path);
            },
            path);
    };
    const int count = int(names.size());
    const int shownBegin = std::clamp(firstShown, 0, count);
    const int shownEnd = std::clamp(firstShown + std::max(shownCount, 0), shownBegin, count);
    batch->order.reserve(size_t(count));
    for (int k = shownBegin; k < shownEnd; ++k)
        batch->order.push_back(k);
    // What the prefetch is still making comes last on the page: the workers
    // make the others meanwhile instead of waiting for it.
    std::stable_partition(batch->order.begin(), batch->order.end(),
                          [&](int k) { return !making.contains(folder + names.at(k)); });
    for (int k = 0; k < count; ++k)
        if (k < shownBegin || k >= shownEnd)
            batch->order.push_back(k);
    Run(batch);
}

void PictureLister::StartEntries(const QVector<int> &indices, EntryMaker make, const QString &name)
{
    Cancel();
    auto batch = std::make_shared<Batch>();
    batch->make = [make = std::move(make), name](int k) { return MakeGuarded([&] { return make(k); }, name); };
    batch->order.assign(indices.begin(), indices.end());
    m_entries = indices;
    Run(batch);
}

void PictureLister::Run(const std::shared_ptr<Batch> &batch)
{
    batch->owner = this;
    m_batch = batch;
    m_count = int(batch->order.size());
    m_taken = 0;
    m_running = true;
    if (m_count == 0) {
        // Ends as a listing with pictures does: after Start has returned.
        QMetaObject::invokeMethod(this, "TakeReady", Qt::QueuedConnection);
        return;
    }
    // A pool of its own: Qt's painting borrows the global pool's threads and
    // would wait behind the thumbnails, freezing the window. Each task takes
    // pictures one by one until none are left or the listing is cancelled.
    WorkerPool &pool = ThumbnailPool();
    const int tasks = std::min(m_count, pool.MaxThreadCount());
    for (int i = 0; i < tasks; ++i)
        pool.Start([batch] { Work(*batch); });
}

void PictureLister::Work(Batch &b)
{
    for (;;) {
        int k = 0;
        {
            const std::lock_guard lock(b.mutex);
            if (b.cancelled || b.next >= int(b.order.size()))
                return;
            k = b.order[size_t(b.next++)];
        }
        Thumb t = b.make(k);
        const std::lock_guard lock(b.mutex);
        if (b.cancelled)
            return;
        b.ready.emplace_back(k, std::move(t));
        // Told while the lock is held, so the owner cannot go away in between;
        // an event still queued for it when it does is dropped with it.
        if (b.owner && !b.wakePending) {
            b.wakePending = true;
            QMetaObject::invokeMethod(b.owner, "TakeReady", Qt::QueuedConnection);
        }
    }
}

void PictureLister::Cancel()
{
    Detach();
    if (m_running) {
        m_running = false;
        emit Finished();
    }
}

void PictureLister::Detach()
{
    m_entries.clear();
    if (!m_batch)
        return;
    std::vector<std::pair<int, Thumb>> dropped;
    {
        const std::lock_guard lock(m_batch->mutex);
        m_batch->cancelled = true;
        m_batch->owner = nullptr;
        dropped.swap(m_batch->ready);
    }
    m_batch.reset();
}

void PictureLister::TakeReady()
{
    const std::shared_ptr<Batch> batch = m_batch;
    if (!batch)
        return;
    std::vector<std::pair<int, Thumb>> ready;
    {
        const std::lock_guard lock(batch->mutex);
        ready.swap(batch->ready);
        batch->wakePending = false;
    }
    for (const auto &[k, t] : ready) {
        if (m_batch != batch)
            return; // a receiver cancelled or restarted the listing meanwhile
        ++m_taken;
        emit ThumbnailReady(k, t.image, t.error);
    }
    if (m_batch == batch && m_taken >= m_count) {
        Detach();
        m_running = false;
        emit Finished();
    }
}
