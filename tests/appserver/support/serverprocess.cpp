#include "serverprocess.h"

#include <wire/frame.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTcpServer>
#include <QThread>
#include <QtEndian>

#include <csignal>

namespace kolvar::testing {

QString command(const QString &name)
{
    return QStringLiteral("TServerMethods1.") + name;
}

ServerProcess::~ServerProcess()
{
    if (isRunning())
        kill();
}

QString ServerProcess::binary()
{
#ifdef KOLVAR_SERVER_BIN
    return QStringLiteral(KOLVAR_SERVER_BIN);
#else
    return qEnvironmentVariable("KOLVAR_SERVER_BIN");
#endif
}

quint16 ServerProcess::freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool ServerProcess::startServe(const QStringList &extra, int timeoutMs)
{
    // Another process may grab the probed port first; try a few.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const quint16 port = freePort();
        QStringList args{QStringLiteral("serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1"),
                         QStringLiteral("--port"), QString::number(port)};
        if (!extra.contains(QStringLiteral("--web-port")))
            args += {QStringLiteral("--web-port"), QStringLiteral("0")};
        args += extra;
        if (start(args, port, timeoutMs))
            return true;
    }
    return false;
}

bool ServerProcess::start(const QStringList &arguments, quint16 port, int timeoutMs)
{
    if (isRunning())
        kill();
    m_log.clear();
    m_port = port;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    if (m_workDir.isValid())
        m_process.setWorkingDirectory(m_workDir.path());
    m_process.start(binary(), arguments);
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    if (port == 0)
        return true;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running)
            return false;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200)) {
            probe.abort();
            return true;
        }
        m_process.waitForFinished(50);
    }
    return false;
}

bool ServerProcess::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

int ServerProcess::stop(int timeoutMs)
{
    if (!isRunning())
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    ::kill(pid_t(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(timeoutMs)) {
        kill();
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void ServerProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

QByteArray ServerProcess::log()
{
    m_log += m_process.readAllStandardError();
    return m_log;
}

bool FrameClient::connectTo(quint16 port, int timeoutMs)
{
    m_buffer.clear();
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    return m_socket.waitForConnected(timeoutMs);
}

void FrameClient::close()
{
    m_socket.abort();
}

bool FrameClient::sendRaw(const QByteArray &bytes)
{
    if (m_socket.write(bytes) != bytes.size())
        return false;
    while (m_socket.bytesToWrite() > 0) {
        if (!m_socket.waitForBytesWritten(10000))
            return false;
    }
    return true;
}

bool FrameClient::sendFrame(const QByteArray &json)
{
    return sendRaw(encodeFrame(json));
}

bool FrameClient::sendRequest(qint64 id, const QString &method, const QJsonArray &params,
                              const QString &session)
{
    QJsonObject request{
        {QStringLiteral("id"), id}, {QStringLiteral("method"), method}, {QStringLiteral("params"), params}};
    if (!session.isEmpty())
        request.insert(QStringLiteral("session"), session);
    return sendFrame(QJsonDocument(request).toJson(QJsonDocument::Compact));
}

std::optional<QByteArray> FrameClient::readFrame(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        m_buffer += m_socket.readAll();
        if (m_buffer.size() >= 4) {
            const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
            if (m_buffer.size() >= qsizetype(4 + length)) {
                QByteArray payload = m_buffer.mid(4, length);
                m_buffer.remove(0, 4 + length);
                return payload;
            }
        }
        if (m_socket.state() != QAbstractSocket::ConnectedState || deadline.hasExpired())
            return std::nullopt;
        m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

std::optional<QJsonObject> FrameClient::readResponse(int timeoutMs)
{
    const std::optional<QByteArray> frame = readFrame(timeoutMs);
    if (!frame)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(*frame, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

bool FrameClient::waitClosed(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_socket.state() == QAbstractSocket::ConnectedState) {
        if (deadline.hasExpired())
            return false;
        if (m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            m_buffer += m_socket.readAll();
    }
    return true;
}

std::optional<QJsonObject> FrameClient::call(const QString &method, const QJsonArray &params, qint64 id)
{
    if (!sendRequest(id, method, params))
        return std::nullopt;
    return readResponse();
}

} // namespace kolvar::testing
