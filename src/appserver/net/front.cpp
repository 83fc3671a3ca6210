#include "front.h"

#include "calldispatcher.h"
#include "frontlog.h"
#include "ioloop.h"
#include "listener.h"
#include "workerpool.h"

#include <QThread>

#include <unistd.h>

namespace kolvar::server {

Front::Front(FrontOptions options, const MethodRegistry &registry, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_dispatcher(std::make_unique<CallDispatcher>(registry, m_options.callDelayMs))
{
    m_graceTimer.setSingleShot(true);
    connect(&m_graceTimer, &QTimer::timeout, this, [this] {
        qCWarning(lcFront) << "calls still running after" << m_options.stopGraceMs
                           << "ms; closing connections";
        for (IoLoop *loop : std::as_const(m_loops))
            QMetaObject::invokeMethod(loop, &IoLoop::closeAll, Qt::QueuedConnection);
    });
    m_refusedReport.setInterval(1000);
    connect(&m_refusedReport, &QTimer::timeout, this, [this] {
        if (m_refused > 0)
            qCWarning(lcFront) << "refused" << m_refused << "connections over the limit of"
                               << m_options.maxConnections;
        m_refused = 0;
    });
}

Front::~Front()
{
    shutdownThreads();
}

bool Front::start(QString *error)
{
    Q_ASSERT(!m_running);
    WorkerPool::Hooks hooks{m_options.onWorkerStart, m_options.onWorkerStop};
    m_pool = std::make_unique<WorkerPool>(m_options.effectiveWorkers(), std::move(hooks));

    m_listener = new Listener(this);
    m_listener->setListenBacklogSize(1024);
    if (!m_listener->listen(m_options.address, m_options.port)) {
        if (error)
            *error = m_listener->errorString();
        delete m_listener;
        m_listener = nullptr;
        m_pool.reset();
        return false;
    }

    m_pool->start();
    const int loops = m_options.effectiveIoThreads();
    for (int i = 0; i < loops; ++i) {
        auto *thread = new QThread;
        thread->setObjectName(QStringLiteral("io-%1").arg(i));
        auto *loop = new IoLoop(m_options, *m_pool, *m_dispatcher, m_open);
        loop->moveToThread(thread);
        connect(loop, &IoLoop::drained, this, &Front::loopDrained, Qt::QueuedConnection);
        thread->start();
        m_loopThreads.append(thread);
        m_loops.append(loop);
    }
    m_refusedReport.start();
    m_running = true;
    qCInfo(lcFront).noquote() << "listening on port" << port() << "with" << loops << "I/O threads and"
                              << m_pool->threadCount() << "workers";
    return true;
}

quint16 Front::port() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

void Front::accept(qintptr descriptor)
{
    if (m_stopping || m_open.load() >= m_options.maxConnections) {
        ::close(int(descriptor));
        ++m_refused;
        return;
    }
    m_open.fetch_add(1);
    IoLoop *loop = m_loops[m_nextLoop];
    m_nextLoop = (m_nextLoop + 1) % int(m_loops.size());
    QMetaObject::invokeMethod(
        loop, [loop, descriptor] { loop->adopt(descriptor); }, Qt::QueuedConnection);
}

void Front::stop()
{
    if (!m_running || m_stopping)
        return;
    m_stopping = true;
    qCInfo(lcFront) << "stopping: no new connections, waiting for running calls";
    m_listener->close();
    m_drainedLoops = 0;
    m_graceTimer.start(m_options.stopGraceMs);
    for (IoLoop *loop : std::as_const(m_loops))
        QMetaObject::invokeMethod(loop, &IoLoop::beginDrain, Qt::QueuedConnection);
}

void Front::loopDrained()
{
    if (++m_drainedLoops == m_loops.size())
        finishStop();
}

void Front::finishStop()
{
    m_graceTimer.stop();
    shutdownThreads();
    qCInfo(lcFront) << "stopped";
    emit stopped();
}

void Front::shutdownThreads()
{
    if (!m_running)
        return;
    m_running = false;
    m_refusedReport.stop();
    if (m_listener)
        m_listener->close();
    // Loops first, so no new calls are queued; then the pool, whose last
    // answers land in the loops' queues and die with them.
    for (IoLoop *loop : std::as_const(m_loops))
        QMetaObject::invokeMethod(loop, &IoLoop::closeAll, Qt::BlockingQueuedConnection);
    m_pool->stop();
    for (QThread *thread : std::as_const(m_loopThreads)) {
        thread->quit();
        thread->wait();
    }
    qDeleteAll(m_loops);
    m_loops.clear();
    qDeleteAll(m_loopThreads);
    m_loopThreads.clear();
}

} // namespace kolvar::server
