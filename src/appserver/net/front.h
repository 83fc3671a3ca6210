#pragma once

#include "frontoptions.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

class QThread;

namespace kolvar::server {

class CallDispatcher;
class IoLoop;
class Listener;
class MethodRegistry;
class WorkerPool;

// The server's network front: accepts connections on the calling thread,
// spreads them over a few I/O loop threads and runs method bodies on a fixed
// pool of worker threads, so accepting never waits for a method body.
class Front : public QObject
{
    Q_OBJECT
public:
    Front(FrontOptions options, const MethodRegistry &registry, QObject *parent = nullptr);
    ~Front() override;

    bool start(QString *error = nullptr);
    quint16 port() const;
    int openConnections() const { return m_open.load(); }
    const FrontOptions &options() const { return m_options; }

    // Stop accepting, let running calls answer, then end all threads;
    // stopped() follows.
    void stop();

signals:
    void stopped();

private:
    friend class Listener;
    void accept(qintptr descriptor);
    void loopDrained();
    void finishStop();
    void shutdownThreads();

    FrontOptions m_options;
    std::unique_ptr<CallDispatcher> m_dispatcher;
    std::unique_ptr<WorkerPool> m_pool;
    Listener *m_listener = nullptr;
    QList<IoLoop *> m_loops;
    QList<QThread *> m_loopThreads;
    std::atomic<int> m_open{0};
    int m_nextLoop = 0;
    int m_drainedLoops = 0;
    bool m_stopping = false;
    bool m_running = false;
    QTimer m_graceTimer;
    qint64 m_refused = 0;
    QTimer m_refusedReport;
};

} // namespace kolvar::server
