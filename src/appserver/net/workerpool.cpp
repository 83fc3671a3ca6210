#include "workerpool.h"

#include <QLoggingCategory>

namespace kolvar::server {

class WorkerPool::Worker : public QThread
{
public:
    explicit Worker(WorkerPool *pool) : m_pool(pool) {}

protected:
    void run() override { m_pool->workLoop(); }

private:
    WorkerPool *m_pool;
};

WorkerPool::WorkerPool(int threads, Hooks hooks) : m_count(qMax(1, threads)), m_hooks(std::move(hooks)) {}

WorkerPool::~WorkerPool()
{
    stop();
}

void WorkerPool::start()
{
    Q_ASSERT(m_threads.isEmpty());
    for (int i = 0; i < m_count; ++i) {
        auto *worker = new Worker(this);
        worker->setObjectName(QStringLiteral("worker-%1").arg(i));
        m_threads.append(worker);
        worker->start();
    }
}

void WorkerPool::post(Job job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

int WorkerPool::queued() const
{
    std::lock_guard lock(m_mutex);
    return int(m_jobs.size());
}

void WorkerPool::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (QThread *thread : std::as_const(m_threads)) {
        thread->wait();
        delete thread;
    }
    m_threads.clear();
}

void WorkerPool::workLoop()
{
    if (m_hooks.onWorkerStart)
        m_hooks.onWorkerStart();
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                break; // stopping and nothing left
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
    if (m_hooks.onWorkerStop)
        m_hooks.onWorkerStop();
}

} // namespace kolvar::server
