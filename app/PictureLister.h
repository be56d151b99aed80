// Makes the thumbnails of a folder's pictures on worker threads and hands
// each one to the window's thread as soon as it is ready, so the window
// stays responsive however large the folder is.
#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

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

    // Starts making the thumbnails of folder + names[k], in order; a listing
    // still running is cancelled first.
    void Start(const QString &folder, const QStringList &names);
    // Stops handing out thumbnails; the workers finish only the one each is making.
    void Cancel();
    bool IsRunning() const { return m_running; }

signals:
    void ThumbnailReady(int index, const QImage &image, const QString &error);
    // After the last thumbnail, or after Cancel.
    void Finished();

private:
    void Take(int index);
    void End();

    QFutureWatcher<Thumb> *m_watcher = nullptr;
    QVector<bool> m_taken;
    bool m_running = false;
};
