#include "authmethods.h"

#include "authpassword.h"
#include "methodregistry.h"
#include "session.h"

#include <storage/database.h>

#include <QAtomicInteger>
#include <QDateTime>

namespace kolvar::server {

namespace {

QAtomicInteger<qint64> g_clockOffset{0};

qint64 nowSeconds()
{
    return QDateTime::currentSecsSinceEpoch() + g_clockOffset.loadRelaxed();
}

int announcedVersion(const Database &db)
{
    Query q(db, QStringLiteral("SELECT deger FROM ayarlar WHERE anahtar = 'version'"));
    q.exec();
    bool ok = false;
    const int v = q.scalar(QStringLiteral("7")).toString().toInt(&ok);
    return ok ? v : 7;
}

QString addressKey(const QHostAddress &peer)
{
    bool mapped = false;
    const quint32 v4 = peer.toIPv4Address(&mapped);
    if (mapped)
        return QHostAddress(v4).toString();
    return peer.toString();
}

// ---- sign-in throttle. kapsam 'm': machine identifier, 'a': address.

bool isLocked(const Database &db, const QString &scope, const QString &key, qint64 now)
{
    Query q(db, QStringLiteral("SELECT kilit_bitis FROM giris_denemeleri WHERE kapsam = ? AND anahtar = ?"),
            {scope, key});
    return q.next() && q.value(0).toLongLong() > now;
}

void recordFailure(const Database &db, const QString &scope, const QString &key, qint64 now)
{
    Query(db,
          QStringLiteral(
              "INSERT INTO giris_denemeleri (kapsam, anahtar, hata_sayisi, pencere_basi, kilit_bitis) "
              "VALUES (?, ?, 0, ?, 0) ON CONFLICT (kapsam, anahtar) DO NOTHING"),
          {scope, key, now});
    Query q(db,
            QStringLiteral("SELECT hata_sayisi, pencere_basi, kilit_bitis FROM giris_denemeleri "
                           "WHERE kapsam = ? AND anahtar = ?") +
                db.dialect().forUpdate(),
            {scope, key});
    if (!q.next())
        return;
    int failures = q.value(0).toInt();
    qint64 windowStart = q.value(1).toLongLong();
    const qint64 lockedUntil = q.value(2).toLongLong();
    // A quiet quarter of an hour, counted from the window's start and from
    // the end of the last lockout, forgets the earlier failures.
    if (now - windowStart > kFailureWindowSeconds && now >= lockedUntil + kFailureWindowSeconds) {
        failures = 0;
        windowStart = now;
    }
    ++failures;
    const qint64 lock = lockoutSeconds(failures);
    Query(db,
          QStringLiteral("UPDATE giris_denemeleri SET hata_sayisi = ?, pencere_basi = ?, kilit_bitis = ? "
                         "WHERE kapsam = ? AND anahtar = ?"),
          {failures, windowStart, lock > 0 ? now + lock : qint64(0), scope, key});
}

void clearFailures(const Database &db, const QString &scope, const QString &key)
{
    Query(db, QStringLiteral("DELETE FROM giris_denemeleri WHERE kapsam = ? AND anahtar = ?"), {scope, key});
}

QString inputString(const QList<WireValue> &inputs, int i)
{
    if (i < inputs.size()) {
        if (const QString *s = std::get_if<QString>(&inputs[i]))
            return *s;
    }
    return QString();
}

} // namespace

qint64 lockoutSeconds(int failures)
{
    if (failures < kFailuresBeforeLockout)
        return 0;
    const int doublings = failures - kFailuresBeforeLockout;
    if (doublings >= 20)
        return kLongestLockoutSeconds;
    return qMin(kFirstLockoutSeconds << doublings, kLongestLockoutSeconds);
}

void setSignInClockOffsetForTests(qint64 seconds)
{
    g_clockOffset.storeRelaxed(seconds);
}

std::shared_ptr<TSonucBilgisi> machineRecord(const Database &db, const QString &machineId, qint64 *user)
{
    auto record = std::make_shared<TSonucBilgisi>();
    record->setBILGISAYARID(machineId);
    record->setVersion(announcedVersion(db));
    if (user)
        *user = 0;
    Query q(db,
            QStringLiteral("SELECT k.sirano, k.adi, k.musteri_tipi, k.aktif, k.mail, COALESCE(k.carino, 0), "
                           "COALESCE(c.carikod, ''), COALESCE(c.cariadi, ''), COALESCE(s.satici_no, 0), "
                           "COALESCE(s.adi, ''), COALESCE(s.mail, ''), COALESCE(s.telefon, '') "
                           "FROM bilgisayarlar b JOIN kullanicilar k ON k.sirano = b.kullanici "
                           "LEFT JOIN cariler c ON c.carino = k.carino "
                           "LEFT JOIN saticilar s ON s.satici_no = COALESCE(k.satici_no, c.satici_no) "
                           "WHERE b.bilgisayarid = ?"),
            {machineId});
    if (!q.next())
        return record;
    record->setVarmi(true);
    record->setSirano(q.value(0).toInt());
    record->setADI(q.value(1).toString());
    record->setMusteriTipi(q.value(2).toInt());
    record->setAKTIF(q.value(3).toInt());
    record->setKullanicimail(q.value(4).toString());
    record->setCARINO(q.value(5).toInt());
    record->setcarikod(q.value(6).toString());
    record->setCariAdi(q.value(7).toString());
    record->setSaticiNo(q.value(8).toInt());
    record->setSaticiAdi(q.value(9).toString());
    record->setSaticiMail(q.value(10).toString());
    record->setSaticiTelefon(q.value(11).toString());
    if (user)
        *user = q.value(0).toLongLong();
    return record;
}

SignInResult signIn(const Database &db, const QString &machineId, const QString &name,
                    const QString &password, const QHostAddress &peer)
{
    const qint64 now = nowSeconds();
    const QString address = addressKey(peer);
    qint64 user = 0;
    SignInResult result;
    result.record = machineRecord(db, machineId, &user);
    // Only a successful check may show the name back: an empty typed
    // password must never compare equal to an emptied record.
    result.record->setADI(QString());
    result.record->setSIFRE(QString());

    if (isLocked(db, QStringLiteral("m"), machineId, now) || isLocked(db, QStringLiteral("a"), address, now))
        return result;

    QString storedName;
    QString storedHash;
    int active = 0;
    if (user > 0) {
        Query q(db, QStringLiteral("SELECT adi, sifre_hash, aktif FROM kullanicilar WHERE sirano = ?"),
                {user});
        if (q.next()) {
            storedName = q.value(0).toString();
            storedHash = q.value(1).toString();
            active = q.value(2).toInt();
        }
    }
    // The hash is checked even when the name is wrong, so both failures
    // take the same time.
    const bool passwordOk = !password.isEmpty() && verifyPassword(password, storedHash);
    const bool ok = user > 0 && !name.isEmpty() && name == storedName && passwordOk;

    Transaction tx(db);
    if (!ok) {
        recordFailure(db, QStringLiteral("m"), machineId, now);
        recordFailure(db, QStringLiteral("a"), address, now);
        tx.commit();
        return result;
    }
    clearFailures(db, QStringLiteral("m"), machineId);
    tx.commit();

    result.record->setADI(name);
    result.record->setSIFRE(password);
    if (active == 1)
        result.token = openSession(db, user, machineId);
    return result;
}

void registerAuthMethods(MethodRegistry &registry)
{
    registry.set("BuyukGetir", [](CallContext &, const QList<WireValue> &inputs) {
        const Database *db = Database::instance();
        if (!db)
            throw MethodError(QStringLiteral("no database"));
        std::shared_ptr<TSonucBilgisi> record = machineRecord(*db, inputString(inputs, 0));
        CallResult r;
        r.result = std::shared_ptr<TransferObject>(record);
        return r;
    });
    registry.set("GirisDogrula", [](CallContext &call, const QList<WireValue> &inputs) {
        const Database *db = Database::instance();
        if (!db)
            throw MethodError(QStringLiteral("no database"));
        SignInResult s =
            signIn(*db, inputString(inputs, 0), inputString(inputs, 1), inputString(inputs, 2), call.peer);
        call.newSession = s.token;
        CallResult r;
        r.result = std::shared_ptr<TransferObject>(s.record);
        return r;
    });
}

} // namespace kolvar::server
