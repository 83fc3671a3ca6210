#include "tcprelay.h"

#include <wire/frame.h>

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <optional>

namespace kolvar::test {

namespace {

// One whole frame from `s`, or nothing when the peer closed, the frame is
// broken or `stop` was raised.
std::optional<QByteArray> readFrame(QTcpSocket &s, FrameDecoder &decoder, const std::atomic<bool> &stop)
{
    for (;;) {
        if (auto payload = decoder.next())
            return payload;
        if (decoder.hasError() || stop)
            return std::nullopt;
        if (!s.waitForReadyRead(50) && s.state() != QAbstractSocket::ConnectedState &&
            s.bytesAvailable() == 0)
            return std::nullopt;
        decoder.append(s.readAll());
    }
}

bool writeFrame(QTcpSocket &s, const QByteArray &payload)
{
    s.write(encodeFrame(payload));
    while (s.bytesToWrite() > 0) {
        if (!s.waitForBytesWritten(5000))
            return false;
    }
    return true;
}

} // namespace

TcpRelay::TcpRelay(quint16 serverPort) : m_serverPort(serverPort) {}

TcpRelay::~TcpRelay()
{
    m_stop = true;
    wait();
}

bool TcpRelay::begin()
{
    start();
    QDeadlineTimer deadline(5000);
    while (m_port == 0 && isRunning() && !deadline.hasExpired())
        QThread::msleep(5);
    return m_port != 0;
}

void TcpRelay::loseAnswers(const QString &method, int times)
{
    QMutexLocker lock(&m_lock);
    m_loseMethod = method;
    m_loseTimes = times;
}

void TcpRelay::setOnRequest(std::function<void(const QString &, const QByteArray &)> hook)
{
    QMutexLocker lock(&m_lock);
    m_onRequest = std::move(hook);
}

QList<QByteArray> TcpRelay::requests(const QString &method) const
{
    QMutexLocker lock(&m_lock);
    QList<QByteArray> found;
    for (const auto &[name, json] : m_requests) {
        if (name == method)
            found << json;
    }
    return found;
}

void TcpRelay::run()
{
    QTcpServer listener;
    if (!listener.listen(QHostAddress::LocalHost, 0))
        return;
    m_port = listener.serverPort();
    while (!m_stop) {
        if (!listener.waitForNewConnection(50))
            continue;
        while (QTcpSocket *client = listener.nextPendingConnection()) {
            serve(*client);
            delete client;
        }
    }
}

void TcpRelay::serve(QTcpSocket &client)
{
    QTcpSocket server;
    server.connectToHost(QHostAddress::LocalHost, m_serverPort);
    if (!server.waitForConnected(5000))
        return;
    FrameDecoder fromClient, fromServer;
    for (;;) {
        const std::optional<QByteArray> request = readFrame(client, fromClient, m_stop);
        if (!request)
            return;
        const QString method = QJsonDocument::fromJson(*request)
                                   .object()
                                   .value(QLatin1String("method"))
                                   .toString()
                                   .section(u'.', 1);
        std::function<void(const QString &, const QByteArray &)> hook;
        bool lose = false;
        {
            QMutexLocker lock(&m_lock);
            m_requests.append({method, *request});
            hook = m_onRequest;
            if (method == m_loseMethod && m_loseTimes > 0) {
                --m_loseTimes;
                lose = true;
            }
        }
        if (hook)
            hook(method, *request);
        if (!writeFrame(server, *request))
            return;
        const std::optional<QByteArray> answer = readFrame(server, fromServer, m_stop);
        if (!answer || lose) {
            client.abort();
            return;
        }
        if (!writeFrame(client, *answer))
            return;
    }
}

} // namespace kolvar::test
