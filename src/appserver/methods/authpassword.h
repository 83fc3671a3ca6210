#pragma once

#include <QString>

namespace kolvar::server {

// Argon2id password hashes in libsodium's self-describing string form.
// Verification reads the cost from the stored string, so hashes made with
// the cheap test cost still verify after the cost is raised.
QString hashPassword(const QString &password);
bool verifyPassword(const QString &password, const QString &storedHash);

// Interactive cost by default; the cheapest allowed cost when the
// environment variable KOLVAR_FAST_PWHASH=1 is set (tests) or after
// setFastPasswordHashing(true).
void setFastPasswordHashing(bool fast);

// Random session token: 32 bytes as 64 hex digits; and the form in which a
// token is stored (SHA-256, hex).
QString newSessionToken();
QString tokenHash(const QString &token);

} // namespace kolvar::server
