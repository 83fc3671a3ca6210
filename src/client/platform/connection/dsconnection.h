#pragma once

#include <catalogue/methodcatalogue.h>
#include <wire/message.h>
#include <wire/wirevalue.h>

#include <QMap>
#include <QObject>
#include <QString>

#include <memory>
#include <stdexcept>

class QTcpSocket;

namespace kolvar {

// The connection could not be opened, or broke, timed out or answered
// something that is not a response while a call was running.
class ConnectionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The client's connection to the application server: parameters as
// key/value pairs, open/close over one TCP socket, and one request/response
// exchange per call. All use is blocking on the calling thread, so an object
// is used by one thread at a time: the main connection on the UI thread, its
// clones on the workers that made them.
//
// The session token issued at sign-in is shared by a connection and all its
// clones (and their clones): whichever of them receives a token, every one
// of them sends it from then on. Sign-in itself runs on a clone.
class DSConnection : public QObject
{
    Q_OBJECT
public:
    explicit DSConnection(QObject *parent = nullptr);
    ~DSConnection() override;

    // Parameters ("DriverName", "HostName", "Port", ...).
    QString param(const QString &key) const { return m_params.value(key); }
    void setParam(const QString &key, const QString &value) { m_params.insert(key, value); }
    const QMap<QString, QString> &params() const { return m_params; }

    QString driverName() const { return param(QStringLiteral("DriverName")); }
    QString connectionName() const { return param(QStringLiteral("ConnectionName")); }
    QString hostName() const { return param(QStringLiteral("HostName")); }
    void setHostName(const QString &host) { setParam(QStringLiteral("HostName"), host); }
    quint16 port() const { return quint16(param(QStringLiteral("Port")).toUInt()); }
    void setPort(quint16 port) { setParam(QStringLiteral("Port"), QString::number(port)); }
    bool loginPrompt() const { return false; }

    // Milliseconds; a connect that takes longer counts as failed, a call
    // whose answer takes longer breaks the connection.
    int connectTimeout() const { return m_connectTimeout; }
    void setConnectTimeout(int ms) { m_connectTimeout = ms; }
    int readTimeout() const { return m_readTimeout; }
    void setReadTimeout(int ms) { m_readTimeout = ms; }

    void open(); // throws ConnectionError; harmless when already open
    void close();
    bool isOpen() const;

    // A new, closed connection with the same parameters and time-outs,
    // sharing the session token; owned by the caller.
    std::unique_ptr<DSConnection> clone() const;

    QString sessionToken() const;
    void setSessionToken(const QString &token);

    // The idempotency key every request carries while it is set: one user
    // action whose call may be sent again after a broken connection sets it
    // for the duration, so the server can tell the repeat from a new call.
    // Clones do not take it.
    QString requestKey() const { return m_requestKey; }
    void setRequestKey(const QString &key) { m_requestKey = key; }

    // One exchange: the request goes out, its response comes back (an error
    // response too: isError set). Opens the connection first when closed.
    // Transport failures, time-outs and unreadable answers throw
    // ConnectionError and leave the connection closed.
    Response call(const MethodDef &method, const QList<WireValue> &inputs);

private:
    struct Session;

    [[noreturn]] void fail(const QString &what);

    QMap<QString, QString> m_params;
    std::shared_ptr<Session> m_session;
    std::unique_ptr<QTcpSocket> m_socket;
    QString m_requestKey;
    int m_connectTimeout = 10000;
    int m_readTimeout = 60000;
    qint64 m_nextId = 1;
};

} // namespace kolvar
