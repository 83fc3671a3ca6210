#include "support/fakeserver.h"

#include <platform/connection/dsconnection.h>

#include <QTest>

using namespace kolvar;
using kolvar::test::FakeReply;
using kolvar::test::FakeServer;

namespace {

const MethodDef &method(const char *name)
{
    const MethodDef *m = findMethod(QString::fromLatin1(name));
    Q_ASSERT(m);
    return *m;
}

std::unique_ptr<DSConnection> connectionTo(quint16 port)
{
    auto c = std::make_unique<DSConnection>();
    c->setHostName(QStringLiteral("127.0.0.1"));
    c->setPort(port);
    return c;
}

QString echoed(DSConnection &c, const QString &text)
{
    const Response r = c.call(method("EchoString"), {WireValue(text)});
    return std::get<QString>(r.results.value(0));
}

FakeReply echo(const Request &r)
{
    return FakeReply::ok({r.params.value(0)});
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parameters_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("driver") << "DriverName"
                                << "DataSnap";
        QTest::newRow("connection name") << "ConnectionName"
                                         << "DataSnapCONNECTION";
        QTest::newRow("driver unit") << "DriverUnit"
                                     << "Data.DBXDataSnap";
        QTest::newRow("protocol") << "CommunicationProtocol"
                                  << "tcp/ip";
        QTest::newRow("host") << "HostName"
                              << "localhost";
        QTest::newRow("port") << "Port"
                              << "9090";
        QTest::newRow("context") << "DatasnapContext"
                                 << "datasnap/";
        QTest::newRow("proxy port") << "DSProxyPort"
                                    << "8090";
        QTest::newRow("filters") << "Filters"
                                 << "{}";
        QTest::newRow("no proxy host") << "DSProxyHost"
                                       << "";
    }
    void parameters()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        DSConnection c;
        QCOMPARE(c.param(key), value);
        QVERIFY(!c.isOpen());
        QVERIFY(!c.loginPrompt());
    }

    void openCallClose()
    {
        FakeServer server;
        server.on(QStringLiteral("EchoString"), echo);
        auto c = connectionTo(server.port());
        c->open();
        QVERIFY(c->isOpen());
        QCOMPARE(echoed(*c, QStringLiteral("Çağrı şöyle")), QStringLiteral("Çağrı şöyle"));
        // Further calls reuse the same TCP connection.
        QCOMPARE(echoed(*c, QStringLiteral("iki")), QStringLiteral("iki"));
        QCOMPARE(server.connectionsAccepted(), 1);
        c->close();
        QVERIFY(!c->isOpen());
        c->close(); // harmless twice
    }

    void callOpensClosedConnection()
    {
        FakeServer server;
        server.on(QStringLiteral("EchoString"), echo);
        auto c = connectionTo(server.port());
        QCOMPARE(echoed(*c, QStringLiteral("x")), QStringLiteral("x"));
        QVERIFY(c->isOpen());
    }

    void refusedOpenThrows()
    {
        auto c = connectionTo(FakeServer::unusedPort());
        QVERIFY_THROWS_EXCEPTION(ConnectionError, c->open());
        QVERIFY(!c->isOpen());
    }

    // Every way a call can break leaves the connection closed with an
    // exception, and the next call works on a fresh connection.
    void brokenCalls_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("server hangs up") << 0;
        QTest::newRow("answer too late") << 1;
        QTest::newRow("not JSON") << 2;
        QTest::newRow("answer to another request") << 3;
        QTest::newRow("wrong number of results") << 4;
    }
    void brokenCalls()
    {
        QFETCH(int, kind);
        FakeServer server;
        std::atomic<int> calls = 0;
        server.on(QStringLiteral("EchoString"), [&](const Request &r) {
            if (calls++ > 0)
                return echo(r);
            switch (kind) {
            case 0: return FakeReply::drop();
            case 1: {
                FakeReply late = echo(r);
                late.delayMs = 400;
                return late;
            }
            case 2: return FakeReply::raw("{\"id\": 1, \"result\": [");
            case 3: return FakeReply::raw("{\"id\": 999, \"result\": [\"x\"]}");
            default: return FakeReply::raw("{\"id\": 1, \"result\": [\"a\", \"b\"]}");
            }
        });
        auto c = connectionTo(server.port());
        c->setReadTimeout(150);
        QVERIFY_THROWS_EXCEPTION(ConnectionError, echoed(*c, QStringLiteral("bir")));
        QVERIFY(!c->isOpen());
        if (kind == 1)
            QTest::qWait(400); // let the late answer go to the closed socket
        QCOMPARE(echoed(*c, QStringLiteral("iki")), QStringLiteral("iki"));
    }

    void serverErrorIsAResponse()
    {
        FakeServer server;
        server.on(QStringLiteral("EchoString"), FakeReply::fail(QStringLiteral("Stok bulunamadı")));
        server.on(QStringLiteral("ReverseString"), echo);
        auto c = connectionTo(server.port());
        const Response r = c->call(method("EchoString"), {WireValue(QStringLiteral("x"))});
        QVERIFY(r.isError);
        QCOMPARE(r.errorMessage, QStringLiteral("Stok bulunamadı"));
        QVERIFY(c->isOpen()); // the connection stays usable
        const Response next = c->call(method("ReverseString"), {WireValue(QStringLiteral("y"))});
        QCOMPARE(next.results.value(0), WireValue(QStringLiteral("y")));
        QCOMPARE(server.connectionsAccepted(), 1);
    }

    void reconnectsAfterServerDroppedIdleConnection()
    {
        FakeServer server;
        server.on(QStringLiteral("EchoString"), echo);
        auto c = connectionTo(server.port());
        QCOMPARE(echoed(*c, QStringLiteral("bir")), QStringLiteral("bir"));
        server.stop(); // drops the connection like an idle timeout
        server.listen(server.port());
        QTest::qWait(50);
        QCOMPARE(echoed(*c, QStringLiteral("iki")), QStringLiteral("iki"));
        QCOMPARE(server.requestCount(QStringLiteral("EchoString")), 2);
    }

    void cloneCopiesParameters()
    {
        DSConnection bagc;
        bagc.setHostName(QStringLiteral("b2b.example"));
        bagc.setPort(9191);
        bagc.setParam(QStringLiteral("Filters"), QStringLiteral("{\"x\":1}"));
        bagc.setReadTimeout(1234);
        const auto copy = bagc.clone();
        QCOMPARE(copy->params(), bagc.params());
        QCOMPARE(copy->readTimeout(), 1234);
        QVERIFY(!copy->parent());
        QVERIFY(!copy->isOpen());
        // Later changes do not travel between them.
        copy->setPort(1);
        QCOMPARE(bagc.port(), quint16(9191));
    }

    // The token a sign-in returns is sent with every later request, by the
    // connection that received it, its template and all their clones.
    void sessionTokenKeptAndSent()
    {
        FakeServer server;
        server.on(QStringLiteral("EchoString"), echo);
        server.on(QStringLiteral("GirisDogrula"), [](const Request &) {
            return FakeReply::ok({WireValue(std::shared_ptr<TransferObject>())}, QStringLiteral("tok-1"));
        });
        auto bagc = connectionTo(server.port());
        echoed(*bagc, QStringLiteral("önce"));
        auto worker = bagc->clone();
        worker->call(method("GirisDogrula"),
                     {WireValue(QStringLiteral("PC")), WireValue(QStringLiteral("ali")),
                      WireValue(QStringLiteral("gizli"))});
        QCOMPARE(worker->sessionToken(), QStringLiteral("tok-1"));
        echoed(*worker, QStringLiteral("a")); // an answer without a token keeps it
        echoed(*bagc, QStringLiteral("b"));
        echoed(*bagc->clone(), QStringLiteral("c"));

        const QList<Request> seen = server.requests();
        QCOMPARE(seen.size(), 5);
        QCOMPARE(seen[0].session, QString());
        QCOMPARE(seen[1].session, QString());
        for (int i = 2; i < 5; ++i)
            QCOMPARE(seen[i].session, QStringLiteral("tok-1"));
    }

    // The idempotency key goes with every request while it is set, on that
    // connection only.
    void requestKeySentWhileSet()
    {
        FakeServer server;
        server.on(QStringLiteral("EchoString"), echo);
        auto bagc = connectionTo(server.port());
        echoed(*bagc, QStringLiteral("önce"));
        bagc->setRequestKey(QStringLiteral("k-1"));
        echoed(*bagc, QStringLiteral("a"));
        echoed(*bagc->clone(), QStringLiteral("klon"));
        bagc->close(); // reopened: the key stays
        echoed(*bagc, QStringLiteral("b"));
        bagc->setRequestKey({});
        echoed(*bagc, QStringLiteral("sonra"));

        QStringList keys;
        for (const Request &r : server.requests())
            keys << r.key;
        QCOMPARE(keys, (QStringList{"", "k-1", "", "k-1", ""}));
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
