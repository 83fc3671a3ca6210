#pragma once

#include <QLoggingCategory>

namespace kolvar::server {

// One line per remote call: method, peer, duration, outcome. Switch off with
// QT_LOGGING_RULES="kolvar.call.info=false" when measuring throughput.
Q_DECLARE_LOGGING_CATEGORY(lcCall)
// Connections, limits and protocol faults.
Q_DECLARE_LOGGING_CATEGORY(lcFront)

} // namespace kolvar::server
