#pragma once

// A TCP relay between the client and a server, on a thread of its own so
// that a client blocking the test's thread still gets its answers. It passes
// frames one request at a time and can lose the answer of a chosen method:
// the request reaches the server, the server answers, and the relay closes
// the client's connection instead of passing the answer on.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

class QTcpSocket;

namespace kolvar::test {

class TcpRelay : public QThread
{
public:
    explicit TcpRelay(quint16 serverPort);
    ~TcpRelay() override;

    // Listens on a free loopback port; false when it could not.
    bool begin();
    quint16 port() const { return m_port; }

    // The answers to the next `times` requests of `method` are lost.
    void loseAnswers(const QString &method, int times);
    // Called on the relay's thread with each request before it is passed on.
    void setOnRequest(std::function<void(const QString &method, const QByteArray &json)> hook);

    // Requests of `method` that passed, as JSON text.
    QList<QByteArray> requests(const QString &method) const;

protected:
    void run() override;

private:
    void serve(QTcpSocket &client);

    const quint16 m_serverPort;
    std::atomic<quint16> m_port{0};
    std::atomic<bool> m_stop{false};
    mutable QMutex m_lock;
    QString m_loseMethod;
    int m_loseTimes = 0;
    std::function<void(const QString &, const QByteArray &)> m_onRequest;
    QList<std::pair<QString, QByteArray>> m_requests;
};

} // namespace kolvar::test
