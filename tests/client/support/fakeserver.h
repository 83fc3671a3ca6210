#pragma once

#include <wire/message.h>

#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

#include <functional>
#include <map>
#include <memory>

namespace kolvar::test {

// A scripted answer of the fake server.
struct FakeReply {
    QList<WireValue> results; // outs, then the result
    QString session;          // sent beside the result when not empty
    bool error = false;
    QString errorClass = QStringLiteral("EServerError");
    QString errorMessage;
    bool hangUp = false;   // close the connection instead of answering
    QByteArray rawPayload; // when set, sent as the frame's payload as is
    int delayMs = 0;       // wait this long before answering

    static FakeReply ok(QList<WireValue> results, QString session = {});
    static FakeReply fail(QString message);
    static FakeReply drop();
    static FakeReply raw(QByteArray payload);
};

class FakeServerCore;

// An application server stand-in for client tests: listens on 127.0.0.1
// in a thread of its own (the client's calls block the test thread), speaks
// the frame protocol, records every request and answers from a script of
// per-method handlers. Handlers run on the server's thread.
class FakeServer
{
public:
    using Handler = std::function<FakeReply(const Request &)>;

    explicit FakeServer(bool listenNow = true);
    ~FakeServer();

    bool listen(quint16 port = 0); // any free port by default
    void stop();                   // stops listening and drops every connection
    quint16 port() const { return m_port; }

    void on(const QString &method, Handler handler);
    void on(const QString &method, FakeReply reply); // the same answer every time

    QList<Request> requests() const;
    int requestCount(const QString &method) const;
    int connectionsAccepted() const;

    // A port on which nothing listens (for refused connections).
    static quint16 unusedPort();

private:
    friend class FakeServerCore;
    FakeReply answer(const Request &request);

    mutable QMutex m_lock;
    std::map<QString, Handler> m_handlers;
    QList<Request> m_requests;
    int m_accepted = 0;
    quint16 m_port = 0;
    QThread m_thread;
    FakeServerCore *m_core = nullptr;
};

} // namespace kolvar::test
