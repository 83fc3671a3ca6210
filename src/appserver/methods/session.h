#pragma once

#include "methodregistry.h"

#include <QString>

#include <optional>

namespace kolvar::server {

class Database;

// The signed-in user behind a call's session token.
struct Session {
    qint64 user = 0;     // kullanicilar.sirano
    QString userName;    // kullanicilar.adi
    int musteriTipi = 0; // 1 and 2: sales representative
    qint64 carino = 0;   // the user's own customer account (0: none)
    qint64 saticiNo = 0; // the representative's number (0: none)
    QString machineId;

    bool isRepresentative() const { return musteriTipi == 1 || musteriTipi == 2; }
};

// Sessions live twelve hours after their last use.
constexpr qint64 kSessionLifetimeSeconds = 12 * 3600;

// Issues a token for the user and stores its hash; answers the token.
QString openSession(const Database &db, qint64 user, const QString &machineId);
// The session of a token, extending its lifetime; nullopt when the token is
// unknown, expired or its user is no longer active.
std::optional<Session> findSession(const Database &db, const QString &token);
void closeSession(const Database &db, const QString &token);

// The text every call without a valid session is answered with.
QString noSessionMessage();

// The calling session; throws MethodError "Oturum bulunamadı" when there is
// none. Uses Database::instance().
Session requireSession(CallContext &call);

// True when the session's user may read and change the data of customer
// account `carino`: the dealer's own account, or for a representative every
// account whose representative they are.
bool mayActFor(const Session &session, qint64 carino);
bool mayActFor(const Database &db, const Session &session, qint64 carino);

// A condition over a column holding an account number that admits exactly
// the accounts the session may act for, e.g.
//   "SELECT ... FROM siparisler WHERE " + accountScope(s, "siparisler.carino")
// Only numbers from the session go into the text.
QString accountScope(const Session &session, const QString &column);

// Every method except these four needs a session.
bool isPublicMethod(const MethodDef &method);

// Wraps every registered body of a non-public method so that it runs only
// with a valid session; methods without a body get one that answers
// "Oturum bulunamadı" before anything else. Call after all bodies are set.
void installSessionGuard(MethodRegistry &registry);

} // namespace kolvar::server
