#include "ioloop.h"

#include "calldispatcher.h"
#include "frontlog.h"
#include "workerpool.h"

#include <QTcpSocket>
#include <QThread>

#include <sys/socket.h>
#include <unistd.h>

namespace kolvar::server {

namespace {

// How long a closing connection may take to read our last answer and hang up.
constexpr int LingerMs = 2000;
// What a socket may hold while its call runs; beyond it the kernel pushes back.
constexpr qint64 SocketReadBuffer = 256 * 1024;

} // namespace

IoLoop::IoLoop(const FrontOptions &options, WorkerPool &pool, const CallDispatcher &dispatcher,
               std::atomic<int> &openConnections)
    : m_options(options), m_pool(pool), m_dispatcher(dispatcher), m_open(openConnections)
{
    m_sweep.setParent(this);
    m_sweep.setInterval(qBound(50, options.idleTimeoutMs / 4, 1000));
    connect(&m_sweep, &QTimer::timeout, this, &IoLoop::sweepIdle);
}

IoLoop::~IoLoop()
{
    for (Connection *conn : std::as_const(m_connections)) {
        delete conn->socket;
        delete conn;
        m_open.fetch_sub(1);
    }
}

void IoLoop::adopt(qintptr descriptor)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (!m_sweep.isActive())
        m_sweep.start();
    auto *socket = new QTcpSocket(this);
    if (m_draining || !socket->setSocketDescriptor(descriptor)) {
        if (socket->socketDescriptor() == -1)
            ::close(int(descriptor));
        delete socket;
        m_open.fetch_sub(1);
        checkDrained();
        return;
    }
    socket->setReadBufferSize(SocketReadBuffer);
    auto *conn = new Connection(m_options.maxFrameBytes);
    conn->serial = m_nextSerial++;
    conn->socket = socket;
    conn->idleDeadline = QDeadlineTimer(m_options.idleTimeoutMs);
    m_connections.insert(conn->serial, conn);

    connect(socket, &QTcpSocket::readyRead, this, [this, conn] { readInput(conn); });
    connect(socket, &QTcpSocket::disconnected, this, [this, conn] { drop(conn); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, conn](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            qCDebug(lcFront) << "socket error" << conn->socket->errorString();
        drop(conn);
    });
    connect(socket, &QTcpSocket::bytesWritten, this, [conn] {
        if (conn->closing && !conn->shutDown && conn->socket->bytesToWrite() == 0) {
            // Half-close and keep reading: closing with unread input would
            // reset the connection and could destroy our last answer.
            ::shutdown(int(conn->socket->socketDescriptor()), SHUT_WR);
            conn->shutDown = true;
        }
    });
    readInput(conn);
}

void IoLoop::readInput(Connection *conn)
{
    if (conn->closing) {
        conn->socket->skip(conn->socket->bytesAvailable());
        return;
    }
    if (conn->busy)
        return; // stays in the socket until the running call has answered
    const QByteArray bytes = conn->socket->readAll();
    if (!bytes.isEmpty())
        conn->frames.append(bytes);
    processFrames(conn);
}

void IoLoop::processFrames(Connection *conn)
{
    if (conn->busy || conn->closing)
        return;
    std::optional<QByteArray> frame = conn->frames.next();
    if (frame) {
        startCall(conn, std::move(*frame));
    } else if (conn->frames.hasError()) {
        failAndClose(conn, conn->frames.errorString());
    }
}

void IoLoop::startCall(Connection *conn, QByteArray payload)
{
    if (m_draining) {
        failAndClose(conn, QStringLiteral("Sunucu kapanıyor"));
        return;
    }
    conn->busy = true;
    const quint64 serial = conn->serial;
    const QHostAddress peer = conn->socket->peerAddress();
    const CallDispatcher &dispatcher = m_dispatcher;
    m_pool.post([this, serial, peer, &dispatcher, payload = std::move(payload)] {
        CallDispatcher::Reply reply = dispatcher.handle(payload, peer);
        QByteArray frame = encodeFrame(reply.json);
        const bool closeAfter = reply.closeAfter;
        // The loop outlives the pool, so it is still there to take the answer;
        // the connection may not be, which deliver() checks.
        QMetaObject::invokeMethod(
            this,
            [this, serial, frame = std::move(frame), closeAfter] { deliver(serial, frame, closeAfter); },
            Qt::QueuedConnection);
    });
}

void IoLoop::deliver(quint64 serial, const QByteArray &frame, bool closeAfter)
{
    Q_ASSERT(QThread::currentThread() == thread());
    Connection *conn = m_connections.value(serial);
    if (!conn)
        return; // the client left while its call ran
    conn->busy = false;
    conn->socket->write(frame);
    conn->idleDeadline = QDeadlineTimer(m_options.idleTimeoutMs);
    if (closeAfter || m_draining) {
        closeWhenWritten(conn);
        return;
    }
    readInput(conn);
}

void IoLoop::failAndClose(Connection *conn, const QString &message)
{
    qCWarning(lcFront).noquote() << "closing connection from" << conn->socket->peerAddress().toString() << ":"
                                 << message;
    conn->socket->write(encodeFrame(encodeError(std::nullopt, QStringLiteral("EServerError"), message)));
    closeWhenWritten(conn);
}

void IoLoop::closeWhenWritten(Connection *conn)
{
    if (conn->closing)
        return;
    conn->closing = true;
    conn->frames.reset();
    conn->idleDeadline = QDeadlineTimer(LingerMs);
    if (conn->socket->bytesToWrite() == 0) {
        ::shutdown(int(conn->socket->socketDescriptor()), SHUT_WR);
        conn->shutDown = true;
    }
    conn->socket->skip(conn->socket->bytesAvailable());
}

void IoLoop::drop(Connection *conn)
{
    if (m_connections.value(conn->serial) != conn)
        return; // already gone
    m_connections.remove(conn->serial);
    conn->socket->disconnect(this);
    conn->socket->abort();
    conn->socket->deleteLater(); // may be inside one of its own signals
    delete conn;
    m_open.fetch_sub(1);
    checkDrained();
}

void IoLoop::sweepIdle()
{
    QList<Connection *> expired;
    for (Connection *conn : std::as_const(m_connections)) {
        if (!conn->busy && conn->idleDeadline.hasExpired())
            expired.append(conn);
    }
    for (Connection *conn : std::as_const(expired)) {
        if (conn->closing) {
            drop(conn);
        } else {
            qCInfo(lcFront).noquote()
                << "idle connection from" << conn->socket->peerAddress().toString() << "closed";
            closeWhenWritten(conn);
        }
    }
}

void IoLoop::beginDrain()
{
    m_draining = true;
    const QList<Connection *> all = m_connections.values();
    for (Connection *conn : all) {
        if (!conn->busy)
            closeWhenWritten(conn);
    }
    checkDrained();
}

void IoLoop::closeAll()
{
    m_sweep.stop(); // the loop is deleted from another thread once this one ends
    const QList<Connection *> all = m_connections.values();
    for (Connection *conn : all)
        drop(conn);
}

void IoLoop::checkDrained()
{
    if (m_draining && m_connections.isEmpty() && !m_drainedSent) {
        m_drainedSent = true;
        emit drained();
    }
}

} // namespace kolvar::server
