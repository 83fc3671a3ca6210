#pragma once

#include <QString>

#include <atomic>
#include <optional>

namespace kolvar {

// One GET of http://<host>/ip.php; the body, or nothing when the request
// failed (no connection within connectMs, a pause in the answer longer than
// readMs, or a status other than 200).
std::optional<QString> IpSayfasiAl(const QString &host, int readMs = 1500, int connectMs = 15000);

// The computer's external address as the update host sees it, trimmed. Asks
// again one second after every failure, until an answer comes or `stop` is
// set (then the result is empty). Blocking: call it from a worker.
QString DisIpAl(const std::atomic<bool> *stop = nullptr);

} // namespace kolvar
