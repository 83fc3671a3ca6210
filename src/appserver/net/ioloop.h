#pragma once

#include "frontoptions.h"

#include <wire/frame.h>

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <atomic>

class QTcpSocket;

namespace kolvar::server {

class CallDispatcher;
class WorkerPool;

// One event loop thread's share of the connections: reads frames, decodes
// requests, hands calls to the worker pool and writes the responses back.
// Everything here runs in the loop's own thread.
class IoLoop : public QObject
{
    Q_OBJECT
public:
    IoLoop(const FrontOptions &options, WorkerPool &pool, const CallDispatcher &dispatcher,
           std::atomic<int> &openConnections);
    ~IoLoop() override;

    // Queued from the accepting thread.
    Q_INVOKABLE void adopt(qintptr descriptor);
    // Stop taking requests: idle connections close now, busy ones after
    // their response is written. drained() follows once none are left.
    Q_INVOKABLE void beginDrain();
    Q_INVOKABLE void closeAll();

signals:
    void drained();

private:
    struct Connection {
        quint64 serial = 0;
        QTcpSocket *socket = nullptr;
        FrameDecoder frames;
        QDeadlineTimer idleDeadline;
        bool busy = false;     // a call is on a worker
        bool closing = false;  // no more requests; close once written
        bool shutDown = false; // our side is closed, waiting for the peer's
        explicit Connection(qint64 maxFrame) : frames(maxFrame) {}
    };

    void readInput(Connection *conn);
    void processFrames(Connection *conn);
    void startCall(Connection *conn, QByteArray payload);
    void deliver(quint64 serial, const QByteArray &frame, bool closeAfter);
    void failAndClose(Connection *conn, const QString &message);
    void closeWhenWritten(Connection *conn);
    void drop(Connection *conn);
    void sweepIdle();
    void checkDrained();

    const FrontOptions &m_options;
    WorkerPool &m_pool;
    const CallDispatcher &m_dispatcher;
    std::atomic<int> &m_open;
    QHash<quint64, Connection *> m_connections;
    quint64 m_nextSerial = 1;
    QTimer m_sweep;
    bool m_draining = false;
    bool m_drainedSent = false;
};

} // namespace kolvar::server
