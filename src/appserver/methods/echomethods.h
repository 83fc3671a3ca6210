#pragma once

#include <QString>

namespace kolvar::server {

class MethodRegistry;

// `EchoString` and `ReverseString`: connectivity checks that need no storage.
void registerEchoMethods(MethodRegistry &registry);

// Reverses by UTF-16 code units but keeps each surrogate pair in order, so
// characters outside the BMP survive the round trip.
QString reverseKeepingSurrogates(QStringView text);

} // namespace kolvar::server
