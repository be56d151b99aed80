// Makes the thumbnails of a folder's pictures on worker threads and hands
// each one to the window's thread as soon as it is ready, so the window
// stays responsive however large the folder is.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

class PictureLister : public QObject
{
    Q_OBJECT
public:
    struct Thumb {
        QImage image; // null when the picture could not be read
        QString error;
    };
    // What makes one thumbnail; tests put a slow one in.
    using Maker = Thumb (*)(const QString &path);
    static void SetMaker(Maker maker);

    explicit PictureLister(QObject *parent = nullptr);
    ~PictureLister() override;

    // Starts making the thumbnails of paths ahead of the listing that will
    // show them, on all cores but one, which is left to the window's thread
    // (reading the opened picture meanwhile). The next Start takes what is
    // made; a prefetch still running is dropped first.
    void Prefetch(const QStringList &paths);
    // The picture at path, read whole meanwhile (for the board): when the
    // prefetch has not started on path, its thumbnail is made from these
    // pixels, next, rather than from the file.
    void PrefetchPicture(const QString &path, const QImage &picture);
    // Stops a prefetch no listing has taken; what it is making is dropped.
    void DropPrefetch();
    // Starts making the thumbnails of folder + names[k]: first those of the
    // shownCount names from firstShown on (the strip's page in view), then
    // the others in order. A listing still running is cancelled first. What
    // a prefetch made or is making is taken rather than made again.
    void Start(const QString &folder, const QStringList &names, int firstShown = 0, int shownCount = 0);
    // Starts making the thumbnails of the entries indices with make, in that
    // order, each handed on under its index; name names them in messages.
    // A listing still running is cancelled first.
    using EntryMaker = std::function<Thumb(int index)>;
    void StartEntries(const QVector<int> &indices, EntryMaker make, const QString &name);
    // The entries of the listing running (StartEntries), empty when none.
    const QVector<int> &RunningEntries() const { return m_entries; }
    // Stops handing out thumbnails; the workers finish only the one each is making.
    void Cancel();
    bool IsRunning() const { return m_running; }

signals:
    void ThumbnailReady(int index, const QImage &image, const QString &error);
    // After the last thumbnail, or after Cancel.
    void Finished();

private:
    struct Batch;
    struct Ahead;
    // Called through the event queue by the workers when thumbnails are waiting.
    Q_INVOKABLE void TakeReady();
    // What a worker does: makes thumbnails until none are left or the listing is cancelled.
    static void Work(Batch &batch);
    void Run(const std::shared_ptr<Batch> &batch);
    void Detach();

    std::shared_ptr<Batch> m_batch; // the listing running, shared with its workers
    std::shared_ptr<Ahead> m_ahead; // the prefetch no listing has taken yet
    QVector<int> m_entries; // what StartEntries was asked for, while it runs
    int m_count = 0; // thumbnails of the listing running
    int m_taken = 0; // of them handed on
    bool m_running = false;
};
