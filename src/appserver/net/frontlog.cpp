#include "frontlog.h"

namespace kolvar::server {

Q_LOGGING_CATEGORY(lcCall, "kolvar.call", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFront, "kolvar.front", QtInfoMsg)

} // namespace kolvar::server
