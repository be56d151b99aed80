// A few worker threads that run tasks in the order they were handed in.
// Built on the standard library's threads and locks rather than Qt's, so
// that ThreadSanitizer sees every hand-over between a task's caller and the
// worker that runs it: Qt's own locks, in libraries not built for it, are
// invisible to it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool
{
public:
    // maxThreads < 1 means as many as the machine has cores.
    explicit WorkerPool(int maxThreads = 0);
    // Drops the tasks not started, lets the running ones end and joins every worker.
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Queues a task; a worker runs it as soon as one is free. A task that
    // throws ends only itself.
    void Start(std::function<void()> task);
    // Drops the tasks not started yet; the running ones go on.
    void Clear();
    // Whether every task has ended within msecs (< 0: waits as long as it takes).
    bool WaitForDone(int msecs = -1);
    // How many tasks run at once; a lower count takes effect as running tasks end.
    void SetMaxThreadCount(int count);
    int MaxThreadCount() const;

private:
    void Run();
    void AddWorkersLocked();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake; // a task is queued, a place freed or the pool ends
    std::condition_variable m_done; // a task ended
    std::deque<std::function<void()>> m_queue;
    std::vector<std::thread> m_threads;
    int m_max = 1;
    int m_active = 0; // tasks running now
    int m_idle = 0; // workers waiting for a task
    bool m_stopping = false;
};
