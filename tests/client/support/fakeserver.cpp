#include "fakeserver.h"

#include <wire/frame.h>

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace kolvar::test {

FakeReply FakeReply::ok(QList<WireValue> results, QString session)
{
    FakeReply r;
    r.results = std::move(results);
    r.session = std::move(session);
    return r;
}

FakeReply FakeReply::fail(QString message)
{
    FakeReply r;
    r.error = true;
    r.errorMessage = std::move(message);
    return r;
}

FakeReply FakeReply::drop()
{
    FakeReply r;
    r.hangUp = true;
    return r;
}

FakeReply FakeReply::raw(QByteArray payload)
{
    FakeReply r;
    r.rawPayload = std::move(payload);
    return r;
}

class FakeServerCore : public QObject
{
public:
    explicit FakeServerCore(FakeServer *owner) : m_owner(owner)
    {
        connect(&m_server, &QTcpServer::newConnection, this, &FakeServerCore::accept);
    }

    quint16 listen(quint16 port)
    {
        if (!m_server.listen(QHostAddress::LocalHost, port))
            return 0;
        return m_server.serverPort();
    }

    void stop()
    {
        m_server.close();
        for (const QPointer<QTcpSocket> &s : std::as_const(m_sockets)) {
            if (s)
                s->abort();
        }
        m_sockets.clear();
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            {
                QMutexLocker lock(&m_owner->m_lock);
                ++m_owner->m_accepted;
            }
            m_sockets.append(socket);
            auto decoder = std::make_shared<FrameDecoder>();
            connect(socket, &QTcpSocket::readyRead, this,
                    [this, socket, decoder] { serve(socket, *decoder); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void serve(QTcpSocket *socket, FrameDecoder &decoder)
    {
        decoder.append(socket->readAll());
        while (std::optional<QByteArray> payload = decoder.next()) {
            const DecodedRequest decoded = decodeRequest(*payload);
            if (!decoded.ok()) {
                socket->write(
                    encodeFrame(encodeError(decoded.id, QStringLiteral("EServerError"), decoded.error)));
                continue;
            }
            const Request &request = *decoded.request;
            const FakeReply reply = m_owner->answer(request);
            if (reply.delayMs > 0)
                QThread::msleep(ulong(reply.delayMs));
            if (reply.hangUp) {
                socket->disconnectFromHost();
                return;
            }
            if (!reply.rawPayload.isEmpty()) {
                socket->write(encodeFrame(reply.rawPayload));
                continue;
            }
            if (reply.error) {
                socket->write(encodeFrame(encodeError(request.id, reply.errorClass, reply.errorMessage)));
                continue;
            }
            Response response;
            response.id = request.id;
            response.session = reply.session;
            response.results = reply.results;
            socket->write(encodeFrame(encodeResponse(*decoded.method, response)));
        }
        if (decoder.hasError())
            socket->disconnectFromHost();
    }

    FakeServer *m_owner;
    QTcpServer m_server{this}; // a child, so it moves to the server thread with us
    QList<QPointer<QTcpSocket>> m_sockets;
};

FakeServer::FakeServer(bool listenNow)
{
    m_thread.setObjectName(QStringLiteral("fake server"));
    m_thread.start();
    m_core = new FakeServerCore(this);
    m_core->moveToThread(&m_thread);
    if (listenNow)
        listen();
}

FakeServer::~FakeServer()
{
    QMetaObject::invokeMethod(
        m_core,
        [core = m_core] {
            core->stop();
            delete core;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

bool FakeServer::listen(quint16 port)
{
    quint16 bound = 0;
    QMetaObject::invokeMethod(
        m_core, [&] { bound = m_core->listen(port); }, Qt::BlockingQueuedConnection);
    m_port = bound;
    return bound != 0;
}

void FakeServer::stop()
{
    QMetaObject::invokeMethod(
        m_core, [this] { m_core->stop(); }, Qt::BlockingQueuedConnection);
}

void FakeServer::on(const QString &method, Handler handler)
{
    QMutexLocker lock(&m_lock);
    m_handlers[method] = std::move(handler);
}

void FakeServer::on(const QString &method, FakeReply reply)
{
    on(method, [reply](const Request &) { return reply; });
}

FakeReply FakeServer::answer(const Request &request)
{
    Handler handler;
    {
        QMutexLocker lock(&m_lock);
        m_requests.append(request);
        auto it = m_handlers.find(request.method);
        if (it != m_handlers.end())
            handler = it->second;
    }
    if (!handler)
        return FakeReply::fail(QStringLiteral("no scripted answer for ") + request.method);
    return handler(request);
}

QList<Request> FakeServer::requests() const
{
    QMutexLocker lock(&m_lock);
    return m_requests;
}

int FakeServer::requestCount(const QString &method) const
{
    QMutexLocker lock(&m_lock);
    return int(std::count_if(m_requests.begin(), m_requests.end(),
                             [&](const Request &r) { return r.method == method; }));
}

int FakeServer::connectionsAccepted() const
{
    QMutexLocker lock(&m_lock);
    return m_accepted;
}

quint16 FakeServer::unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace kolvar::test
