#include "support/testdatabase.h"

#include <methods/authmethods.h>
#include <methods/authpassword.h>
#include <methods/methodregistry.h>
#include <methods/session.h>
#include <storage/database.h>

#include <QTest>

using namespace kolvar;
using namespace kolvar::server;
using kolvar::testing::addBackendRows;

namespace {

// Two dealers, one representative serving the first, one inactive user.
void addPeople(const Database &db)
{
    setFastPasswordHashing(true);
    const QString h = hashPassword(QStringLiteral("1234"));
    Transaction tx(db);
    for (const QString &sql :
         {QStringLiteral("INSERT INTO saticilar (satici_no, adi, mail) VALUES (7, 'AHMET', 'a@x')"),
          QStringLiteral(
              "INSERT INTO cariler (carino, carikod, cariadi, satici_no) VALUES (1, 'C1', 'BIR', 7)"),
          QStringLiteral("INSERT INTO cariler (carino, carikod, cariadi) VALUES (2, 'C2', 'IKI')")}) {
        Query(db, sql).exec();
    }
    struct U {
        int no;
        const char *name;
        int type;
        QVariant carino;
        QVariant satici;
        int active;
    };
    const QVariant none(QMetaType(QMetaType::LongLong));
    for (const U &u : {U{1, "BAYI", 0, 1, none, 1}, U{2, "DIGER", 3, 2, none, 1},
                       U{3, "TEMSILCI", 1, none, 7, 1}, U{4, "PASIF", 0, 2, none, 0}}) {
        Query(
            db,
            QStringLiteral(
                "INSERT INTO kullanicilar (sirano, adi, sifre_hash, musteri_tipi, carino, satici_no, aktif) "
                "VALUES (?, ?, ?, ?, ?, ?, ?)"),
            {u.no, QLatin1String(u.name), h, u.type, u.carino, u.satici, u.active});
        Query(db, QStringLiteral("INSERT INTO bilgisayarlar (bilgisayarid, kullanici) VALUES (?, ?)"),
              {QStringLiteral("PC-") + QLatin1String(u.name), u.no});
    }
    tx.commit();
}

const QHostAddress kPeer(QStringLiteral("127.0.0.1"));

} // namespace

class tst_Auth : public QObject
{
    Q_OBJECT

private slots:
    void init() { setSignInClockOffsetForTests(0); }

    void passwordHashes();
    void lockoutGrows_data();
    void lockoutGrows();

    void machineRecordNeverCarriesPassword_data() { addBackendRows(); }
    void machineRecordNeverCarriesPassword();
    void signInChecksPassword_data();
    void signInChecksPassword();
    void throttleRefusesUntilLockoutEnds_data() { addBackendRows(); }
    void throttleRefusesUntilLockoutEnds();
    void throttleCountsPerAddress_data() { addBackendRows(); }
    void throttleCountsPerAddress();
    void sessionsAndAccountScope_data() { addBackendRows(); }
    void sessionsAndAccountScope();
    void guardAnswersWithoutSession_data() { addBackendRows(); }
    void guardAnswersWithoutSession();
};

void tst_Auth::passwordHashes()
{
    setFastPasswordHashing(true);
    const QString h = hashPassword(QStringLiteral("gizli şifre"));
    QVERIFY(h.startsWith(QLatin1String("$argon2id$")));
    QVERIFY(!h.contains(QLatin1String("gizli")));
    QVERIFY(verifyPassword(QStringLiteral("gizli şifre"), h));
    QVERIFY(!verifyPassword(QStringLiteral("gizli sifre"), h));
    QVERIFY(!verifyPassword(QString(), h));
    QVERIFY(!verifyPassword(QStringLiteral("x"), QString()));
    QVERIFY(!verifyPassword(QStringLiteral("x"), QStringLiteral("not a hash")));
    // Same password, different salt.
    QVERIFY(hashPassword(QStringLiteral("a")) != hashPassword(QStringLiteral("a")));
    const QString t1 = newSessionToken();
    QCOMPARE(t1.size(), 64);
    QVERIFY(t1 != newSessionToken());
    QCOMPARE(tokenHash(t1).size(), 64);
    QVERIFY(tokenHash(t1) != t1);
}

void tst_Auth::lockoutGrows_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<qint64>("seconds");
    QTest::newRow("4") << 4 << qint64(0);
    QTest::newRow("5") << 5 << kFirstLockoutSeconds;
    QTest::newRow("6") << 6 << 2 * kFirstLockoutSeconds;
    QTest::newRow("8") << 8 << 8 * kFirstLockoutSeconds;
    QTest::newRow("capped") << 60 << kLongestLockoutSeconds;
}

void tst_Auth::lockoutGrows()
{
    QFETCH(int, failures);
    QFETCH(qint64, seconds);
    QCOMPARE(lockoutSeconds(failures), seconds);
}

void tst_Auth::machineRecordNeverCarriesPassword()
{
    QFETCH(QString, backend);
    KOLVAR_TEST_DATABASE(t, backend);
    addPeople(t->db());
    Query(t->db(), QStringLiteral("UPDATE ayarlar SET deger = '9' WHERE anahtar = 'version'")).exec();

    qint64 user = 0;
    auto rec = machineRecord(t->db(), QStringLiteral("PC-BAYI"), &user);
    QCOMPARE(user, 1);
    QVERIFY(rec->Varmi());
    QCOMPARE(rec->ADI(), QStringLiteral("BAYI"));
    QVERIFY(rec->SIFRE().isEmpty());
    QCOMPARE(rec->CARINO(), 1);
    QCOMPARE(rec->carikod(), QStringLiteral("C1"));
    QCOMPARE(rec->SaticiNo(), 7);
    QCOMPARE(rec->SaticiAdi(), QStringLiteral("AHMET"));
    QCOMPARE(rec->AKTIF(), 1);
    QCOMPARE(rec->Version(), 9);

    auto rep = machineRecord(t->db(), QStringLiteral("PC-TEMSILCI"));
    QCOMPARE(rep->MusteriTipi(), 1);
    QCOMPARE(rep->SaticiNo(), 7);
    QCOMPARE(rep->CARINO(), 0);

    auto unknown = machineRecord(t->db(), QStringLiteral("PC-NOBODY"), &user);
    QCOMPARE(user, 0);
    QVERIFY(!unknown->Varmi());
    QCOMPARE(unknown->Version(), 9);
    QVERIFY(unknown->ADI().isEmpty());

    // Through the method body as the network front calls it.
    MethodRegistry registry;
    registerAuthMethods(registry);
    Database::setInstance(&t->db());
    CallContext call;
    const MethodBody *body = registry.body(findMethod(u"BuyukGetir"));
    QVERIFY(body);
    CallResult r = (*body)(call, {QStringLiteral("PC-BAYI")});
    auto obj = std::dynamic_pointer_cast<TSonucBilgisi>(std::get<std::shared_ptr<TransferObject>>(r.result));
    QVERIFY(obj);
    QVERIFY(obj->SIFRE().isEmpty());
    QVERIFY(call.newSession.isEmpty());
    Database::setInstance(nullptr);
}

void tst_Auth::signInChecksPassword_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("token");
    for (const char *b : {"sqlite", "postgresql"}) {
        const QString be = QLatin1String(b);
        QTest::addRow("%s right", b) << be << "PC-BAYI"
                                     << "BAYI"
                                     << "1234" << true << true;
        QTest::addRow("%s wrong password", b) << be << "PC-BAYI"
                                              << "BAYI"
                                              << "4321" << false << false;
        QTest::addRow("%s empty password", b) << be << "PC-BAYI"
                                              << "BAYI"
                                              << "" << false << false;
        QTest::addRow("%s other user's name", b) << be << "PC-BAYI"
                                                 << "DIGER"
                                                 << "1234" << false << false;
        QTest::addRow("%s lower-case name", b) << be << "PC-BAYI"
                                               << "bayi"
                                               << "1234" << false << false;
        QTest::addRow("%s unknown machine", b) << be << "PC-X"
                                               << "BAYI"
                                               << "1234" << false << false;
        // Right password of an inactive user: the record says AKTIF 0, no token.
        QTest::addRow("%s inactive", b) << be << "PC-PASIF"
                                        << "PASIF"
                                        << "1234" << true << false;
    }
}

void tst_Auth::signInChecksPassword()
{
    QFETCH(QString, backend);
    QFETCH(QString, machine);
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QFETCH(bool, token);
    KOLVAR_TEST_DATABASE(t, backend);
    addPeople(t->db());

    MethodRegistry registry;
    registerAuthMethods(registry);
    Database::setInstance(&t->db());
    CallContext call;
    call.peer = kPeer;
    const MethodBody *body = registry.body(findMethod(u"GirisDogrula"));
    QVERIFY(body);
    CallResult r = (*body)(call, {machine, name, password});
    Database::setInstance(nullptr);
    auto rec = std::dynamic_pointer_cast<TSonucBilgisi>(std::get<std::shared_ptr<TransferObject>>(r.result));
    QVERIFY(rec);
    // The client's own comparison must come out as the server decided.
    const bool clientAccepts = rec->ADI() == name && rec->SIFRE() == password;
    QCOMPARE(clientAccepts, accepted);
    QCOMPARE(!call.newSession.isEmpty(), token);
    if (!accepted) {
        QVERIFY(rec->SIFRE().isEmpty());
        QVERIFY(rec->ADI().isEmpty());
    }
    if (token) {
        const auto s = findSession(t->db(), call.newSession);
        QVERIFY(s);
        QCOMPARE(s->userName, name);
        // Only the hash is stored.
        Query q(t->db(), QStringLiteral("SELECT COUNT(*) FROM oturumlar WHERE token_hash = ?"),
                {call.newSession});
        QCOMPARE(q.scalar().toInt(), 0);
    }
}

void tst_Auth::throttleRefusesUntilLockoutEnds()
{
    QFETCH(QString, backend);
    KOLVAR_TEST_DATABASE(t, backend);
    addPeople(t->db());
    const Database &db = t->db();
    const QString pc = QStringLiteral("PC-BAYI");
    for (int i = 0; i < kFailuresBeforeLockout; ++i)
        QVERIFY(
            server::signIn(db, pc, QStringLiteral("BAYI"), QStringLiteral("yanlis"), kPeer).token.isEmpty());
    // Locked: even the right password is refused, and looks like a wrong one.
    SignInResult refused = server::signIn(db, pc, QStringLiteral("BAYI"), QStringLiteral("1234"), kPeer);
    QVERIFY(refused.token.isEmpty());
    QVERIFY(refused.record->SIFRE().isEmpty());
    QVERIFY(refused.record->Varmi());

    // After the first lockout one more failure locks for twice as long.
    setSignInClockOffsetForTests(kFirstLockoutSeconds + 1);
    QVERIFY(server::signIn(db, pc, QStringLiteral("BAYI"), QStringLiteral("yanlis"), kPeer).token.isEmpty());
    setSignInClockOffsetForTests(2 * kFirstLockoutSeconds);
    QVERIFY(server::signIn(db, pc, QStringLiteral("BAYI"), QStringLiteral("1234"), kPeer).token.isEmpty());
    setSignInClockOffsetForTests(kFirstLockoutSeconds + 1 + 2 * kFirstLockoutSeconds + 1);
    SignInResult ok = server::signIn(db, pc, QStringLiteral("BAYI"), QStringLiteral("1234"), kPeer);
    QVERIFY(!ok.token.isEmpty());
    QCOMPARE(ok.record->SIFRE(), QStringLiteral("1234"));

    // A success clears the machine's count.
    Query q(db, QStringLiteral("SELECT COUNT(*) FROM giris_denemeleri WHERE kapsam = 'm' AND anahtar = ?"),
            {pc});
    QCOMPARE(q.scalar().toInt(), 0);
}

void tst_Auth::throttleCountsPerAddress()
{
    QFETCH(QString, backend);
    KOLVAR_TEST_DATABASE(t, backend);
    addPeople(t->db());
    const Database &db = t->db();
    const QHostAddress attacker(QStringLiteral("10.1.2.3"));
    // Guessing machine identifiers from one address locks the address.
    for (int i = 0; i < kFailuresBeforeLockout; ++i)
        server::signIn(db, QStringLiteral("GUESS-%1").arg(i), QStringLiteral("BAYI"), QStringLiteral("1234"),
                       attacker);
    QVERIFY(server::signIn(db, QStringLiteral("PC-BAYI"), QStringLiteral("BAYI"), QStringLiteral("1234"),
                           attacker)
                .token.isEmpty());
    // The same computer from another address is not affected; an IPv4-mapped
    // IPv6 address counts as the IPv4 address.
    QVERIFY(
        !server::signIn(db, QStringLiteral("PC-BAYI"), QStringLiteral("BAYI"), QStringLiteral("1234"), kPeer)
             .token.isEmpty());
    QVERIFY(server::signIn(db, QStringLiteral("PC-BAYI"), QStringLiteral("BAYI"), QStringLiteral("1234"),
                           QHostAddress(QStringLiteral("::ffff:10.1.2.3")))
                .token.isEmpty());
}

void tst_Auth::sessionsAndAccountScope()
{
    QFETCH(QString, backend);
    KOLVAR_TEST_DATABASE(t, backend);
    addPeople(t->db());
    const Database &db = t->db();
    Database::setInstance(&t->db());

    const QString dealer = openSession(db, 1, QStringLiteral("PC-BAYI"));
    const QString rep = openSession(db, 3, QStringLiteral("PC-TEMSILCI"));
    const QString inactive = openSession(db, 4, QStringLiteral("PC-PASIF"));

    CallContext call;
    for (const QString &bad : {QString(), QStringLiteral("nonsense"), inactive, dealer + QLatin1Char('0')}) {
        call.session = bad;
        try {
            requireSession(call);
            QFAIL("a call without a valid session got through");
        } catch (const MethodError &e) {
            QCOMPARE(e.message(), QStringLiteral("Oturum bulunamadı"));
        }
    }
    call.session = dealer;
    const Session d = requireSession(call);
    QCOMPARE(d.carino, 1);
    QVERIFY(mayActFor(d, 1));
    QVERIFY(!mayActFor(d, 2));
    QVERIFY(!mayActFor(d, 999));
    QVERIFY(!mayActFor(d, 0));

    call.session = rep;
    const Session r = requireSession(call);
    QVERIFY(r.isRepresentative());
    QVERIFY(mayActFor(r, 1));  // served by representative 7
    QVERIFY(!mayActFor(r, 2)); // not served
    QVERIFY(!mayActFor(r, 0));

    // The scope condition admits exactly the same accounts.
    for (const Session &s : {d, r}) {
        Query q(db, QStringLiteral("SELECT carino FROM cariler WHERE ") +
                        accountScope(s, QStringLiteral("carino")) + QStringLiteral(" ORDER BY carino"));
        q.exec();
        QList<qint64> seen;
        while (q.next())
            seen << q.value(0).toLongLong();
        QCOMPARE(seen, QList<qint64>{1});
    }

    // Expired sessions are refused.
    Query(db, QStringLiteral("UPDATE oturumlar SET son_kullanma = 1 WHERE token_hash = ?"),
          {tokenHash(dealer)});
    QVERIFY(!findSession(db, dealer));
    closeSession(db, rep);
    QVERIFY(!findSession(db, rep));
    Database::setInstance(nullptr);
}

void tst_Auth::guardAnswersWithoutSession()
{
    QFETCH(QString, backend);
    KOLVAR_TEST_DATABASE(t, backend);
    addPeople(t->db());
    Database::setInstance(&t->db());
    MethodRegistry registry;
    registerAuthMethods(registry);
    int ran = 0;
    registry.set("KayanYaziGetir", [&ran](CallContext &, const QList<WireValue> &) {
        ++ran;
        return CallResult{{}, QStringLiteral("yazi")};
    });
    registry.set("EchoString", [](CallContext &, const QList<WireValue> &in) {
        return CallResult{{}, in.value(0)};
    });
    installSessionGuard(registry);

    CallContext anonymous;
    // Every non-public method answers "Oturum bulunamadı" without a session,
    // whether or not it has a body.
    int guarded = 0;
    for (const MethodDef &m : methodCatalogue()) {
        const MethodBody *body = registry.body(&m);
        if (isPublicMethod(m))
            continue;
        QVERIFY2(body, m.name);
        try {
            (*body)(anonymous, {});
            QFAIL(m.name);
        } catch (const MethodError &e) {
            QCOMPARE(e.message(), QStringLiteral("Oturum bulunamadı"));
        }
        ++guarded;
    }
    QCOMPARE(guarded, int(methodCatalogue().size()) - 4);
    QCOMPARE(ran, 0);
    CallResult echo = (*registry.body(findMethod(u"EchoString")))(anonymous, {QStringLiteral("x")});
    QCOMPARE(std::get<QString>(echo.result), QStringLiteral("x"));

    CallContext signedIn;
    signedIn.session = openSession(t->db(), 2, QStringLiteral("PC-DIGER"));
    CallResult r = (*registry.body(findMethod(u"KayanYaziGetir")))(signedIn, {});
    QCOMPARE(std::get<QString>(r.result), QStringLiteral("yazi"));
    QCOMPARE(ran, 1);
    Database::setInstance(nullptr);
}

QTEST_GUILESS_MAIN(tst_Auth)
#include "tst_auth.moc"
