#pragma once

#include <QList>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace kolvar::server {

// A fixed set of threads that run method bodies. Each thread calls
// onWorkerStart before its first job and onWorkerStop after its last, in
// that thread, so per-thread resources (a database connection) live there.
class WorkerPool
{
public:
    using Job = std::function<void()>;
    struct Hooks {
        std::function<void()> onWorkerStart;
        std::function<void()> onWorkerStop;
    };

    WorkerPool(int threads, Hooks hooks);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    void start();
    void post(Job job);
    // Runs what is queued, then ends the threads. Safe to call twice.
    void stop();

    int threadCount() const { return m_count; }
    int queued() const;

private:
    class Worker;
    void workLoop();

    const int m_count;
    Hooks m_hooks;
    QList<QThread *> m_threads;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
};

} // namespace kolvar::server
