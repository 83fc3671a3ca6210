#include "session.h"

#include "authpassword.h"

#include <net/calldispatcher.h>
#include <storage/database.h>

#include <QDateTime>

namespace kolvar::server {

namespace {

qint64 nowSeconds()
{
    return QDateTime::currentSecsSinceEpoch();
}

// Extending on every call would turn each read into a write; a minute of
// slack is invisible against a twelve-hour lifetime.
constexpr qint64 kExtendAfterSeconds = 60;

const Database &requireDatabase()
{
    const Database *db = Database::instance();
    if (!db)
        throw MethodError(QStringLiteral("no database"));
    return *db;
}

} // namespace

QString noSessionMessage()
{
    return QStringLiteral("Oturum bulunamadı");
}

QString openSession(const Database &db, qint64 user, const QString &machineId)
{
    const QString token = newSessionToken();
    const qint64 now = nowSeconds();
    Transaction tx(db);
    // Expired sessions are swept by the sign-ins that create new ones.
    Query(db, QStringLiteral("DELETE FROM oturumlar WHERE son_kullanma < ?"), {now});
    Query(
        db,
        QStringLiteral("INSERT INTO oturumlar (token_hash, kullanici, bilgisayarid, olusturma, son_kullanma) "
                       "VALUES (?, ?, ?, ?, ?)"),
        {tokenHash(token), user, machineId, now, now + kSessionLifetimeSeconds});
    tx.commit();
    return token;
}

std::optional<Session> findSession(const Database &db, const QString &token)
{
    if (token.isEmpty() || token.size() > 256)
        return std::nullopt;
    const QString hash = tokenHash(token);
    const qint64 now = nowSeconds();
    Query q(db,
            QStringLiteral("SELECT k.sirano, k.adi, k.musteri_tipi, COALESCE(k.carino, 0), "
                           "COALESCE(k.satici_no, 0), o.bilgisayarid, o.son_kullanma "
                           "FROM oturumlar o JOIN kullanicilar k ON k.sirano = o.kullanici "
                           "WHERE o.token_hash = ? AND k.aktif = 1"),
            {hash});
    if (!q.next())
        return std::nullopt;
    const qint64 expires = q.value(6).toLongLong();
    if (expires <= now)
        return std::nullopt;
    Session s;
    s.user = q.value(0).toLongLong();
    s.userName = q.value(1).toString();
    s.musteriTipi = q.value(2).toInt();
    s.carino = q.value(3).toLongLong();
    s.saticiNo = q.value(4).toLongLong();
    s.machineId = q.value(5).toString();
    // An open SELECT keeps SQLite's read snapshot; the UPDATE below would
    // then fail at once with "database is locked" instead of waiting.
    q.raw().finish();
    if (now + kSessionLifetimeSeconds - expires > kExtendAfterSeconds) {
        Query(db, QStringLiteral("UPDATE oturumlar SET son_kullanma = ? WHERE token_hash = ?"),
              {now + kSessionLifetimeSeconds, hash});
    }
    return s;
}

void closeSession(const Database &db, const QString &token)
{
    Query(db, QStringLiteral("DELETE FROM oturumlar WHERE token_hash = ?"), {tokenHash(token)});
}

Session requireSession(CallContext &call)
{
    std::optional<Session> s = findSession(requireDatabase(), call.session);
    if (!s)
        throw MethodError(noSessionMessage());
    return *s;
}

bool mayActFor(const Database &db, const Session &session, qint64 carino)
{
    if (carino <= 0)
        return false;
    if (carino == session.carino)
        return true;
    if (!session.isRepresentative() || session.saticiNo <= 0)
        return false;
    Query q(db, QStringLiteral("SELECT 1 FROM cariler WHERE carino = ? AND satici_no = ?"),
            {carino, session.saticiNo});
    return q.next();
}

bool mayActFor(const Session &session, qint64 carino)
{
    return mayActFor(requireDatabase(), session, carino);
}

QString accountScope(const Session &session, const QString &column)
{
    if (session.isRepresentative() && session.saticiNo > 0) {
        return QStringLiteral("(%1 = %2 OR %1 IN (SELECT carino FROM cariler WHERE satici_no = %3))")
            .arg(column)
            .arg(session.carino)
            .arg(session.saticiNo);
    }
    if (session.carino > 0)
        return QStringLiteral("%1 = %2").arg(column).arg(session.carino);
    return QStringLiteral("1 = 0");
}

bool isPublicMethod(const MethodDef &method)
{
    static const char *const open[] = {"EchoString", "ReverseString", "BuyukGetir", "GirisDogrula"};
    for (const char *name : open) {
        if (qstrcmp(method.name, name) == 0)
            return true;
    }
    return false;
}

void installSessionGuard(MethodRegistry &registry)
{
    for (const MethodDef &method : methodCatalogue()) {
        if (isPublicMethod(method))
            continue;
        const MethodBody *existing = registry.body(&method);
        MethodBody inner = existing ? *existing : MethodBody();
        const MethodDef *def = &method;
        registry.set(method.name,
                     [inner, def](CallContext &call, const QList<WireValue> &inputs) -> CallResult {
                         requireSession(call);
                         if (!inner)
                             throw MethodError(notImplementedMessage(*def));
                         return inner(call, inputs);
                     });
    }
}

} // namespace kolvar::server
