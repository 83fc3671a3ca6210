#include "support/serverprocess.h"
#include "support/testdatabase.h"

#include <demo/demodata.h>
#include <methods/authpassword.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace kolvar::server;
using namespace kolvar::testing;

// Sessions and sign-in counters live in the database, so any server process
// on the same database honours them.
class tst_AuthProcesses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setFastPasswordHashing(true); }
    void signInThroughOneCallThroughAnother_data() { addBackendRows(); }
    void signInThroughOneCallThroughAnother();
};

namespace {

std::optional<QJsonObject> call(FrameClient &client, const QString &method, const QJsonArray &params,
                                const QString &session = {})
{
    static qint64 id = 0;
    if (!client.sendRequest(++id, command(method), params, session))
        return std::nullopt;
    return client.readResponse(20000);
}

QString errorOf(const std::optional<QJsonObject> &r)
{
    return r ? r->value(QStringLiteral("error")).toObject().value(QStringLiteral("message")).toString()
             : QString();
}

QJsonObject recordOf(const std::optional<QJsonObject> &r)
{
    return r->value(QStringLiteral("result"))
        .toArray()
        .last()
        .toObject()
        .value(QStringLiteral("fields"))
        .toObject();
}

} // namespace

void tst_AuthProcesses::signInThroughOneCallThroughAnother()
{
    QFETCH(QString, backend);
    KOLVAR_TEST_DATABASE(t, backend);
    demo::seedDemo(t->db(), {100, 5, 5});
    const int carino = 1; // BAYI's account in the demo

    ServerProcess a, b;
    QVERIFY2(a.startServe({QStringLiteral("--db"), t->url(), QStringLiteral("--web-port"),
                           QString::number(ServerProcess::freePort())}),
             a.log().constData());
    QVERIFY2(b.startServe({QStringLiteral("--db"), t->url(), QStringLiteral("--web-port"),
                           QString::number(ServerProcess::freePort())}),
             b.log().constData());
    FrameClient ca, cb;
    QVERIFY(ca.connectTo(a.port()));
    QVERIFY(cb.connectTo(b.port()));

    // Without a session nothing but the open methods answers.
    QCOMPARE(errorOf(call(cb, QStringLiteral("SepetVer2"), {carino})), QStringLiteral("Oturum bulunamadı"));
    auto pub = call(cb, QStringLiteral("BuyukGetir"), {QStringLiteral("DEMO-BAYI")});
    QVERIFY(pub && pub->contains(QStringLiteral("result")));
    QCOMPARE(recordOf(pub).value(QStringLiteral("FSIFRE")).toString(), QString());
    QCOMPARE(recordOf(pub).value(QStringLiteral("FVarmi")).toBool(), true);

    auto signedIn = call(ca, QStringLiteral("GirisDogrula"),
                         {QStringLiteral("DEMO-BAYI"), QStringLiteral("BAYI"), QStringLiteral("1234")});
    QVERIFY2(signedIn && signedIn->contains(QStringLiteral("result")), a.log().constData());
    const QString token = signedIn->value(QStringLiteral("session")).toString();
    QCOMPARE(token.size(), 64);
    QCOMPARE(recordOf(signedIn).value(QStringLiteral("FSIFRE")).toString(), QStringLiteral("1234"));

    // The other process knows the session.
    auto basket = call(cb, QStringLiteral("SepetVer2"), {carino}, token);
    QVERIFY2(basket && basket->contains(QStringLiteral("result")), b.log().constData());
    auto ticker = call(cb, QStringLiteral("KayanYaziGetir"), {}, token);
    QVERIFY2(ticker && !ticker->value(QStringLiteral("result")).toArray().last().toString().isEmpty(),
             b.log().constData());

    // Failures counted by one process lock the computer in the other.
    for (int i = 0; i < 5; ++i) {
        auto bad = call(cb, QStringLiteral("GirisDogrula"),
                        {QStringLiteral("DEMO-BAYI3"), QStringLiteral("BAYI3"), QStringLiteral("yanlis")});
        QVERIFY(bad && !bad->contains(QStringLiteral("session")));
    }
    auto locked = call(ca, QStringLiteral("GirisDogrula"),
                       {QStringLiteral("DEMO-BAYI3"), QStringLiteral("BAYI3"), QStringLiteral("1234")});
    QVERIFY(locked && locked->contains(QStringLiteral("result")));
    QVERIFY(!locked->contains(QStringLiteral("session")));
    QCOMPARE(recordOf(locked).value(QStringLiteral("FSIFRE")).toString(), QString());

    // No response of the conversation carried a stored hash.
    for (const auto &r : {pub, signedIn, basket, ticker, locked})
        QVERIFY(!QJsonDocument(*r).toJson().contains("$argon2"));

    QCOMPARE(a.stop(), 0);
    QCOMPARE(b.stop(), 0);
    const QByteArray logs = a.log() + b.log();
    QVERIFY(!logs.contains(token.toUtf8()));
    QVERIFY(!logs.contains("yanlis"));
}

QTEST_GUILESS_MAIN(tst_AuthProcesses)
#include "tst_auth_processes.moc"
