#pragma once

#include <QHostAddress>
#include <QtGlobal>

#include <functional>

namespace kolvar::server {

struct FrontOptions {
    QHostAddress address = QHostAddress::Any;
    quint16 port = 9090;
    qint64 maxFrameBytes = 64ll * 1024 * 1024;
    int idleTimeoutMs = 60'000;
    int maxConnections = 1000;
    int workers = 0;          // 0: twice the ideal thread count, at least 4
    int ioThreads = 0;        // 0: the ideal thread count, at least 1
    int stopGraceMs = 30'000; // how long a stop waits for running calls
    int callDelayMs = 0;      // added before every call, to try clients' patience

    // Run in every worker thread before its first and after its last call.
    std::function<void()> onWorkerStart;
    std::function<void()> onWorkerStop;

    int effectiveWorkers() const;
    int effectiveIoThreads() const;
};

} // namespace kolvar::server
