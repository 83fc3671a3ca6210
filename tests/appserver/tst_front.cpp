#include "support/serverprocess.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <QtEndian>

#include <memory>
#include <vector>

using namespace kolvar::testing;

namespace {

constexpr quint32 MaxFrame = 4 << 20;

QByteArray lengthHeader(quint32 length)
{
    QByteArray header(4, Qt::Uninitialized);
    qToBigEndian(length, header.data());
    return header;
}

QByteArray framed(const QByteArray &payload)
{
    return lengthHeader(quint32(payload.size())) + payload;
}

QByteArray nested(int depth)
{
    return R"({"id":3,"method":"TServerMethods1.EchoString","params":[)" + QByteArray(depth, '[') +
           QByteArray(depth, ']') + "]}";
}

QString errorMessage(const QJsonObject &response)
{
    return response.value(QStringLiteral("error")).toObject().value(QStringLiteral("message")).toString();
}

} // namespace

class FrontTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
    void sessionIsOptional();
    void badInput_data();
    void badInput();
    void manyConnectionsAtOnce();
    void clientLeavesWhileCallRuns();

private:
    void expectServerServes(const char *where);
    ServerProcess m_server;
};

void FrontTest::initTestCase()
{
    QVERIFY2(m_server.startServe({QStringLiteral("--idle-timeout"), QStringLiteral("5"),
                                  QStringLiteral("--max-frame"), QString::number(MaxFrame)}),
             m_server.log().constData());
}

void FrontTest::cleanupTestCase()
{
    QCOMPARE(m_server.stop(), 0);
}

void FrontTest::expectServerServes(const char *where)
{
    FrameClient client;
    QVERIFY2(client.connectTo(m_server.port()), where);
    const auto response =
        client.call(command(QStringLiteral("EchoString")), {QStringLiteral("hâlâ burada")}, 99);
    QVERIFY2(response, where);
    QCOMPARE(response->value(QStringLiteral("id")).toInteger(), 99);
    QCOMPARE(response->value(QStringLiteral("result")).toArray(), QJsonArray{QStringLiteral("hâlâ burada")});
}

void FrontTest::roundTrip_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("echo ascii") << "EchoString"
                                << "merhaba"
                                << "merhaba";
    QTest::newRow("echo turkish") << "EchoString"
                                  << "ŞİĞÜÇÖ şığüçö"
                                  << "ŞİĞÜÇÖ şığüçö";
    QTest::newRow("echo empty") << "EchoString"
                                << ""
                                << "";
    QTest::newRow("echo escapes") << "EchoString"
                                  << "\"\\\n\t\u0001"
                                  << "\"\\\n\t\u0001";
    QTest::newRow("echo 1 MB") << "EchoString" << QString(1 << 20, QLatin1Char('x'))
                               << QString(1 << 20, QLatin1Char('x'));
    QTest::newRow("reverse") << "ReverseString"
                             << "Kolvar"
                             << "ravloK";
    QTest::newRow("reverse turkish") << "ReverseString"
                                     << "ığdır"
                                     << "rıdğı";
    QTest::newRow("reverse keeps surrogate pairs") << "ReverseString"
                                                   << "a😀b🚗"
                                                   << "🚗b😀a";
    QTest::newRow("reverse empty") << "ReverseString"
                                   << ""
                                   << "";
}

void FrontTest::roundTrip()
{
    QFETCH(QString, method);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    FrameClient client;
    QVERIFY(client.connectTo(m_server.port()));
    // Two calls on one connection: it stays usable after an answer.
    for (qint64 id : {41, 42}) {
        const auto response = client.call(command(method), {value}, id);
        QVERIFY(response);
        QCOMPARE(response->value(QStringLiteral("id")).toInteger(), id);
        QVERIFY2(!response->contains(QStringLiteral("error")), qPrintable(errorMessage(*response)));
        QCOMPARE(response->value(QStringLiteral("result")).toArray(), QJsonArray{expected});
        QVERIFY(!response->contains(QStringLiteral("session")));
    }
}

void FrontTest::sessionIsOptional()
{
    FrameClient client;
    QVERIFY(client.connectTo(m_server.port()));
    QVERIFY(client.sendRequest(5, command(QStringLiteral("EchoString")), {QStringLiteral("x")},
                               QStringLiteral("token-that-echo-ignores")));
    const auto response = client.readResponse();
    QVERIFY(response);
    QCOMPARE(response->value(QStringLiteral("result")).toArray(), QJsonArray{QStringLiteral("x")});
}

void FrontTest::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("clientCloses"); // the client hangs up right after sending
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("messagePart");
    QTest::addColumn<bool>("staysOpen");

    const QByteArray echo = R"({"id":8,"method":"TServerMethods1.EchoString","params":)";
    QTest::newRow("length far over the limit")
        << lengthHeader(0xFFFFFFF0u) + "{" << false << true << "frame too large" << false;
    QTest::newRow("length one over the limit")
        << lengthHeader(MaxFrame + 1) + "{" << false << true << "frame too large" << false;
    QTest::newRow("invalid UTF-8") << framed(echo + "[\"a\xff\xfe\"]}") << false << true << "" << false;
    QTest::newRow("overlong UTF-8") << framed(echo + "[\"\xc0\xaf\"]}") << false << true << "" << false;
    QTest::newRow("not JSON") << framed("merhaba") << false << true << "" << false;
    QTest::newRow("JSON array") << framed("[1,2,3]") << false << true << "" << false;
    QTest::newRow("JSON string") << framed("\"x\"") << false << true << "" << false;
    QTest::newRow("two objects") << framed(echo + "[\"a\"]}{}") << false << true << "" << false;
    QTest::newRow("deep nesting") << framed(nested(100000)) << false << true << "" << false;
    QTest::newRow("empty frame") << framed("") << false << true << "" << false;
    QTest::newRow("wrong kind") << framed(echo + "[5]}") << false << true << "" << true;
    QTest::newRow("too many params") << framed(echo + R"(["a","b"]})") << false << true << "" << true;
    QTest::newRow("too few params") << framed(echo + "[]}") << false << true << "" << true;
    QTest::newRow("unknown method") << framed(R"({"id":8,"method":"TServerMethods1.Yok","params":[]})")
                                    << false << true << "" << true;
    QTest::newRow("method without a session")
        << framed(R"({"id":8,"method":"TServerMethods1.SepetVer2","params":[1]})") << false << true
        << "Oturum bulunamadı" << true;
    QTest::newRow("truncated frame, client gone")
        << lengthHeader(100) + "{\"id\":1" << true << false << "" << false;
    QTest::newRow("half a header, client gone") << QByteArray("\0\0", 2) << true << false << "" << false;
}

void FrontTest::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, clientCloses);
    QFETCH(bool, answered);
    QFETCH(QString, messagePart);
    QFETCH(bool, staysOpen);

    FrameClient client;
    QVERIFY(client.connectTo(m_server.port()));
    QVERIFY(client.sendRaw(bytes));
    if (clientCloses) {
        client.close();
    } else if (answered) {
        const auto response = client.readResponse();
        QVERIFY2(response, "expected an error response");
        QVERIFY(response->contains(QStringLiteral("error")));
        QVERIFY(!response->contains(QStringLiteral("result")));
        const QJsonObject error = response->value(QStringLiteral("error")).toObject();
        QVERIFY(!error.value(QStringLiteral("class")).toString().isEmpty());
        QVERIFY(!error.value(QStringLiteral("message")).toString().isEmpty());
        QVERIFY2(error.value(QStringLiteral("message")).toString().contains(messagePart),
                 qPrintable(error.value(QStringLiteral("message")).toString()));
        if (staysOpen) {
            QCOMPARE(response->value(QStringLiteral("id")).toInteger(), 8);
            const auto next =
                client.call(command(QStringLiteral("EchoString")), {QStringLiteral("sonra")}, 9);
            QVERIFY2(next, "the connection should stay usable");
            QCOMPARE(next->value(QStringLiteral("result")).toArray(), QJsonArray{QStringLiteral("sonra")});
        } else {
            QVERIFY2(client.waitClosed(), "the server should close the connection");
        }
    }
    expectServerServes(QTest::currentDataTag());
}

void FrontTest::manyConnectionsAtOnce()
{
    constexpr int count = 300;
    std::vector<std::unique_ptr<FrameClient>> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<FrameClient>());
        QVERIFY(clients.back()->connectTo(m_server.port()));
    }
    // All requests are out before any answer is read.
    for (int i = 0; i < count; ++i)
        QVERIFY(clients[i]->sendRequest(i, command(QStringLiteral("ReverseString")),
                                        {QString::number(i * 1000 + 12)}));
    for (int i = 0; i < count; ++i) {
        const auto response = clients[i]->readResponse();
        QVERIFY2(response, qPrintable(QString::number(i)));
        QCOMPARE(response->value(QStringLiteral("id")).toInteger(), i);
        QString expected = QString::number(i * 1000 + 12);
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(response->value(QStringLiteral("result")).toArray(), QJsonArray{expected});
    }
}

void FrontTest::clientLeavesWhileCallRuns()
{
    // A large echo keeps the call busy for a while; its answer has nowhere to go.
    const QString big(3 << 20, QLatin1Char('y'));
    for (int i = 0; i < 5; ++i) {
        FrameClient client;
        QVERIFY(client.connectTo(m_server.port()));
        QVERIFY(client.sendRequest(1, command(QStringLiteral("EchoString")), {big}));
        client.close();
    }
    expectServerServes("after clients left");
}

QTEST_GUILESS_MAIN(FrontTest)
#include "tst_front.moc"
