#include "dsconnection.h"

#include <wire/frame.h>

#include <QDeadlineTimer>
#include <QMutex>
#include <QTcpSocket>
#include <QThread>

namespace kolvar {

struct DSConnection::Session {
    mutable QMutex lock;
    QString token;
};

DSConnection::DSConnection(QObject *parent) : QObject(parent), m_session(std::make_shared<Session>())
{
    m_params = {
        {QStringLiteral("DriverName"), QStringLiteral("DataSnap")},
        {QStringLiteral("ConnectionName"), QStringLiteral("DataSnapCONNECTION")},
        {QStringLiteral("DriverUnit"), QStringLiteral("Data.DBXDataSnap")},
        {QStringLiteral("CommunicationProtocol"), QStringLiteral("tcp/ip")},
        {QStringLiteral("HostName"), QStringLiteral("localhost")},
        {QStringLiteral("Port"), QStringLiteral("9090")},
        {QStringLiteral("DatasnapContext"), QStringLiteral("datasnap/")},
        {QStringLiteral("DSProxyPort"), QStringLiteral("8090")},
        {QStringLiteral("Filters"), QStringLiteral("{}")},
    };
}

DSConnection::~DSConnection()
{
    close();
}

bool DSConnection::isOpen() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void DSConnection::open()
{
    if (isOpen())
        return;
    close();
    m_socket = std::make_unique<QTcpSocket>();
    m_socket->connectToHost(hostName(), port());
    if (!m_socket->waitForConnected(m_connectTimeout))
        fail(QStringLiteral("Sunucuya bağlanılamadı (%1:%2): %3")
                 .arg(hostName())
                 .arg(port())
                 .arg(m_socket->errorString()));
}

void DSConnection::close()
{
    if (!m_socket)
        return;
    // A socket belongs to the thread that opened it.
    Q_ASSERT(m_socket->thread() == QThread::currentThread());
    m_socket->abort();
    m_socket.reset();
}

void DSConnection::fail(const QString &what)
{
    close();
    throw ConnectionError(what.toStdString());
}

std::unique_ptr<DSConnection> DSConnection::clone() const
{
    auto copy = std::make_unique<DSConnection>();
    copy->m_params = m_params;
    copy->m_session = m_session;
    copy->m_connectTimeout = m_connectTimeout;
    copy->m_readTimeout = m_readTimeout;
    return copy;
}

QString DSConnection::sessionToken() const
{
    QMutexLocker lock(&m_session->lock);
    return m_session->token;
}

void DSConnection::setSessionToken(const QString &token)
{
    QMutexLocker lock(&m_session->lock);
    m_session->token = token;
}

Response DSConnection::call(const MethodDef &method, const QList<WireValue> &inputs)
{
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState) {
        // The server drops idle connections; notice that before sending
        // rather than after, so a request is never sent twice.
        m_socket->waitForReadyRead(0);
        if (m_socket->state() != QAbstractSocket::ConnectedState || m_socket->bytesAvailable() > 0)
            close();
    }
    open();

    const qint64 id = m_nextId++;
    const QByteArray frame = encodeFrame(encodeRequest(method, id, sessionToken(), inputs, m_requestKey));
    if (m_socket->write(frame) != frame.size())
        fail(QStringLiteral("İstek gönderilemedi: %1").arg(m_socket->errorString()));

    const QDeadlineTimer deadline(m_readTimeout > 0 ? qint64(m_readTimeout) : -1);
    const auto remaining = [&deadline] {
        return deadline.isForever() ? -1 : int(qMax<qint64>(1, deadline.remainingTime()));
    };
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(remaining()))
            fail(QStringLiteral("İstek gönderilemedi: %1").arg(m_socket->errorString()));
    }

    FrameDecoder decoder;
    std::optional<QByteArray> payload;
    for (;;) {
        decoder.append(m_socket->readAll());
        if (decoder.hasError())
            fail(QStringLiteral("Sunucunun cevabı okunamadı: %1").arg(decoder.errorString()));
        payload = decoder.next();
        if (payload)
            break;
        if (deadline.hasExpired())
            fail(QStringLiteral("Sunucu %1 saniye içinde cevap vermedi").arg(m_readTimeout / 1000.0));
        if (!m_socket->waitForReadyRead(remaining())) {
            if (m_socket->state() != QAbstractSocket::ConnectedState)
                fail(QStringLiteral("Sunucu bağlantıyı kapattı"));
            if (deadline.hasExpired())
                fail(QStringLiteral("Sunucu %1 saniye içinde cevap vermedi").arg(m_readTimeout / 1000.0));
        }
    }
    if (decoder.hasPartialFrame())
        fail(QStringLiteral("Sunucu beklenmeyen veri gönderdi"));

    QString error;
    std::optional<Response> response = decodeResponse(method, *payload, &error);
    if (!response)
        fail(QStringLiteral("Sunucunun cevabı okunamadı: %1").arg(error));
    if (!response->isError && response->id != id)
        fail(QStringLiteral("Sunucunun cevabı başka bir isteğe ait"));
    const int expected = method.outputCount() + (method.result == ValueKind::None ? 0 : 1);
    if (!response->isError && response->results.size() != expected)
        fail(QStringLiteral("%1: sunucu %2 sonuç yerine %3 sonuç gönderdi")
                 .arg(method.commandText())
                 .arg(expected)
                 .arg(response->results.size()));
    if (!response->session.isEmpty())
        setSessionToken(response->session);
    return std::move(*response);
}

} // namespace kolvar
