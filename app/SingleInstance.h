// Detects a running instance of the program by name. A lock file in the
// user's runtime folder holds the owner's process id; a lock left behind by
// a crashed instance is recognised as stale and taken over.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class SingleInstance
{
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    // True when this process is the only instance (it now holds the lock).
    bool tryAcquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
