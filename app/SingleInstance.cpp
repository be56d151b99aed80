#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>
#include <chrono>
#include <limits>

SingleInstance::SingleInstance(const QString &name)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    m_path = dir + QLatin1Char('/') + name + QStringLiteral(".lock");
    m_lock = std::make_unique<QLockFile>(m_path);
    // A lock whose process has ended is stale and taken over; a running
    // instance keeps its lock (the age limit is as long as Qt allows).
    m_lock->setStaleLockTime(std::chrono::milliseconds(std::numeric_limits<int>::max()));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryAcquire()
{
    if (m_lock->tryLock(0))
        return true;
    // Without a place for the lock the program still starts.
    return m_lock->error() != QLockFile::LockFailedError;
}
