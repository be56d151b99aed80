#include "app/PictureLister.h"

#include "app/PictureFiles.h"

#include <QThreadPool>
#include <QtConcurrent>
#include <numeric>

namespace {
PictureLister::Thumb MakeOne(const QString &path)
{
    PictureLister::Thumb t;
    t.image = MakeThumbnail(path, &t.error);
    return t;
}

PictureLister::Maker CurrentMaker = MakeOne;
} // namespace

void PictureLister::SetMaker(Maker maker)
{
    CurrentMaker = maker ? maker : MakeOne;
}

PictureLister::PictureLister(QObject *parent) : QObject(parent)
{
}

PictureLister::~PictureLister()
{
    // The workers keep their own copies of what they need; nothing waits for them here.
    if (m_watcher) {
        m_watcher->disconnect(this);
        m_watcher->cancel();
    }
}

void PictureLister::Start(const QString &folder, const QStringList &names)
{
    Cancel();
    const int n = int(names.size());
    m_taken = QVector<bool>(n, false);
    m_running = true;
    m_watcher = new QFutureWatcher<Thumb>(this);
    connect(m_watcher, &QFutureWatcher<Thumb>::resultReadyAt, this, &PictureLister::Take);
    connect(m_watcher, &QFutureWatcher<Thumb>::finished, this, &PictureLister::End);
    QVector<int> indices(n);
    std::iota(indices.begin(), indices.end(), 0);
    const Maker maker = CurrentMaker;
    // A pool of its own: Qt's painting borrows the global pool's threads and
    // would wait behind the thumbnails, freezing the window.
    m_watcher->setFuture(QtConcurrent::mapped(&ThumbnailPool(), indices,
                                              [folder, names, maker](int k) { return maker(folder + names[k]); }));
}

void PictureLister::Cancel()
{
    if (!m_watcher)
        return;
    m_watcher->disconnect(this);
    m_watcher->cancel();
    m_watcher->deleteLater();
    m_watcher = nullptr;
    if (m_running) {
        m_running = false;
        emit Finished();
    }
}

void PictureLister::Take(int index)
{
    if (!m_watcher || index < 0 || index >= m_taken.size() || m_taken[index])
        return;
    m_taken[index] = true;
    const Thumb t = m_watcher->resultAt(index);
    emit ThumbnailReady(index, t.image, t.error);
}

void PictureLister::End()
{
    if (!m_watcher)
        return;
    // Results the watcher reported together with its end.
    for (int k = 0; k < m_taken.size() && m_watcher; ++k)
        if (!m_taken[k] && m_watcher->future().isResultReadyAt(k))
            Take(k);
    if (!m_watcher)
        return; // a receiver cancelled the listing meanwhile
    m_watcher->deleteLater();
    m_watcher = nullptr;
    m_running = false;
    emit Finished();
}
