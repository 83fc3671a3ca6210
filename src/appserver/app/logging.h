#pragma once

namespace kolvar::server {

// Timestamped, levelled lines on standard error for every thread.
// QT_MESSAGE_PATTERN and QT_LOGGING_RULES still apply.
void installServerLogging();

} // namespace kolvar::server
