#pragma once

#include <transfer/baglantiu.h>

#include <QHostAddress>
#include <QString>

#include <memory>

namespace kolvar::server {

class Database;
class MethodRegistry;

// `BuyukGetir` and `GirisDogrula`.
void registerAuthMethods(MethodRegistry &registry);

// The session record of a registered computer, never with a password
// (`SIFRE` empty). An unknown computer gets a record with `Varmi` false and
// the announced version, so the client can still update itself. `user`
// receives kullanicilar.sirano (0 when unknown).
std::shared_ptr<TSonucBilgisi> machineRecord(const Database &db, const QString &machineId,
                                             qint64 *user = nullptr);

struct SignInResult {
    std::shared_ptr<TSonucBilgisi> record;
    QString token; // empty on failure
};

// Checks name and password for a computer. After five failures within
// fifteen minutes for the computer or for the source address, attempts are
// refused unchecked until a lockout ends; the lockout doubles with every
// further failure. A refusal looks exactly like a wrong password.
SignInResult signIn(const Database &db, const QString &machineId, const QString &name,
                    const QString &password, const QHostAddress &peer);

// The sign-in throttle's figures, for tests and the operator.
constexpr int kFailuresBeforeLockout = 5;
constexpr qint64 kFailureWindowSeconds = 15 * 60;
constexpr qint64 kFirstLockoutSeconds = 60;
constexpr qint64 kLongestLockoutSeconds = 24 * 3600;
qint64 lockoutSeconds(int failures); // 0 below the threshold

// Moves the throttle's clock (tests); 0 restores the real clock.
void setSignInClockOffsetForTests(qint64 seconds);

} // namespace kolvar::server
