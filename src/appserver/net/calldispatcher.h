#pragma once

#include <wire/message.h>

#include <QByteArray>
#include <QHostAddress>

namespace kolvar::server {

class MethodRegistry;

// Decodes one request frame, runs it against the registry and encodes the
// response. Never throws: every failure becomes an error response. Called on
// a worker thread, so a large request does not hold up an I/O loop; writes
// one log line per call.
class CallDispatcher
{
public:
    explicit CallDispatcher(const MethodRegistry &registry, int callDelayMs = 0)
        : m_registry(registry), m_delayMs(callDelayMs)
    {}

    struct Reply {
        QByteArray json;
        bool closeAfter = false; // the request was not even JSON: drop the connection
    };
    Reply handle(QByteArrayView payload, const QHostAddress &peer) const;
    QByteArray dispatch(const MethodDef &method, Request &request, const QHostAddress &peer) const;

private:
    const MethodRegistry &m_registry;
    int m_delayMs;
};

// The text a method without a body answers with.
QString notImplementedMessage(const MethodDef &method);

} // namespace kolvar::server
