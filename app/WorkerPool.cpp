#include "app/WorkerPool.h"

#include <algorithm>
#include <chrono>
#include <system_error>

WorkerPool::WorkerPool(int maxThreads)
{
    if (maxThreads < 1)
        maxThreads = int(std::thread::hardware_concurrency());
    m_max = std::max(1, maxThreads);
}

WorkerPool::~WorkerPool()
{
    std::deque<std::function<void()>> dropped;
    std::vector<std::thread> threads;
    {
        const std::lock_guard lock(m_mutex);
        dropped.swap(m_queue);
        threads.swap(m_threads);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &t : threads)
        t.join();
}

void WorkerPool::Start(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(task));
        AddWorkersLocked();
        if (!m_threads.empty()) {
            m_wake.notify_one();
            return;
        }
        task = std::move(m_queue.back());
        m_queue.pop_back();
    }
    // No worker could be started at all: the task still runs, on the caller's thread.
    try {
        task();
    } catch (...) {
    }
}

void WorkerPool::AddWorkersLocked()
{
    // A worker for each queued task that no waiting worker will take, up to the limit.
    while (!m_stopping && int(m_threads.size()) < m_max && int(m_queue.size()) > m_idle) {
        try {
            m_threads.emplace_back([this] { Run(); });
            ++m_idle; // counted as waiting from the start, so one task starts one worker
        } catch (const std::system_error &) {
            return; // the workers there are take the tasks in turn
        }
    }
}

void WorkerPool::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || (!m_queue.empty() && m_active < m_max); });
        if (m_stopping)
            return;
        std::function<void()> task = std::move(m_queue.front());
        m_queue.pop_front();
        --m_idle;
        ++m_active;
        lock.unlock();
        try {
            task();
        } catch (...) {
        }
        // What the task holds is let go before anyone is told it ended.
        task = nullptr;
        lock.lock();
        --m_active;
        ++m_idle;
        m_done.notify_all();
    }
}

void WorkerPool::Clear()
{
    std::deque<std::function<void()>> dropped;
    {
        const std::lock_guard lock(m_mutex);
        dropped.swap(m_queue);
    }
    m_done.notify_all();
}

bool WorkerPool::WaitForDone(int msecs)
{
    std::unique_lock lock(m_mutex);
    const auto done = [this] { return m_queue.empty() && m_active == 0; };
    if (msecs < 0) {
        m_done.wait(lock, done);
        return true;
    }
    return m_done.wait_for(lock, std::chrono::milliseconds(msecs), done);
}

void WorkerPool::SetMaxThreadCount(int count)
{
    {
        const std::lock_guard lock(m_mutex);
        m_max = std::max(1, count);
        AddWorkersLocked();
    }
    m_wake.notify_all();
}

int WorkerPool::MaxThreadCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_max;
}
