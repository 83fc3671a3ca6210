#include "authpassword.h"

#include "methodregistry.h"

#include <QCryptographicHash>

#include <sodium.h>

#include <atomic>
#include <cstdlib>

namespace kolvar::server {

namespace {

std::atomic<int> g_fast{-1}; // -1: not decided yet

void ensureSodium()
{
    static const bool ok = sodium_init() >= 0;
    if (!ok)
        throw MethodError(QStringLiteral("libsodium could not be initialised"));
}

bool fastHashing()
{
    int fast = g_fast.load();
    if (fast < 0) {
        fast = qEnvironmentVariableIntValue("KOLVAR_FAST_PWHASH") == 1 ? 1 : 0;
        g_fast.store(fast);
    }
    return fast == 1;
}

} // namespace

void setFastPasswordHashing(bool fast)
{
    g_fast.store(fast ? 1 : 0);
}

QString hashPassword(const QString &password)
{
    ensureSodium();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    const unsigned long long ops =
        fastHashing() ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    const size_t mem = fastHashing() ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    if (crypto_pwhash_str_alg(out, utf8.constData(), size_t(utf8.size()), ops, mem,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw MethodError(QStringLiteral("password hashing ran out of memory"));
    return QString::fromLatin1(out);
}

bool verifyPassword(const QString &password, const QString &storedHash)
{
    ensureSodium();
    const QByteArray stored = storedHash.toLatin1();
    if (stored.isEmpty() || stored.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(stored.constData(), utf8.constData(), size_t(utf8.size())) == 0;
}

QString newSessionToken()
{
    ensureSodium();
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes).toHex());
}

QString tokenHash(const QString &token)
{
    return QString::fromLatin1(QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256).toHex());
}

} // namespace kolvar::server
