#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <optional>

namespace kolvar::testing {

// Runs the real kolvar-server (KOLVAR_SERVER_BIN) as a child process on a free
// loopback port. The server's standard error is kept for failure messages.
class ServerProcess
{
public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // `kolvar-server serve --listen 127.0.0.1 --port <free> <extra...>`, then
    // waits until the port accepts connections. Without --web-port in extra
    // the web pages are off (--web-port 0), so servers of parallel tests do
    // not compete for one port. The process runs in a fresh temporary
    // folder, so a database without --db stays private to it.
    bool startServe(const QStringList &extra = {}, int timeoutMs = 15000);
    // Any command line; when port is not 0, waits until it accepts.
    bool start(const QStringList &arguments, quint16 port, int timeoutMs = 15000);

    // SIGTERM, then waits for the exit. Returns the exit code, or -1 when the
    // process crashed or did not end in time (it is killed then).
    int stop(int timeoutMs = 15000);
    void kill();
    bool isRunning() const;

    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    QProcess &process() { return m_process; }
    // Everything the server wrote to standard error so far.
    QByteArray log();

    static quint16 freePort();
    static QString binary();

private:
    QProcess m_process;
    QTemporaryDir m_workDir;
    quint16 m_port = 0;
    QByteArray m_log;
};

// A client speaking frames over one blocking connection.
class FrameClient
{
public:
    bool connectTo(quint16 port, int timeoutMs = 5000);
    void close();
    QTcpSocket &socket() { return m_socket; }

    bool sendRaw(const QByteArray &bytes);
    bool sendFrame(const QByteArray &json); // adds the length header
    bool sendRequest(qint64 id, const QString &method, const QJsonArray &params, const QString &session = {});
    // The next frame's JSON object; nullopt on time-out, close or a broken frame.
    std::optional<QJsonObject> readResponse(int timeoutMs = 10000);
    std::optional<QByteArray> readFrame(int timeoutMs = 10000);
    // True once the server has closed the connection (all its data read).
    bool waitClosed(int timeoutMs = 5000);

    // One request and its response.
    std::optional<QJsonObject> call(const QString &method, const QJsonArray &params, qint64 id = 1);

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
};

// "TServerMethods1." + name.
QString command(const QString &name);

} // namespace kolvar::testing
