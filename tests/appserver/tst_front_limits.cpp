#include "support/serverprocess.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <csignal>

using namespace kolvar::testing;

namespace {

bool echoWorks(quint16 port, const QString &text = QStringLiteral("tamam"))
{
    FrameClient client;
    if (!client.connectTo(port))
        return false;
    const auto response = client.call(command(QStringLiteral("EchoString")), {text});
    return response && response->value(QStringLiteral("result")).toArray() == QJsonArray{text};
}

} // namespace

class FrontLimitsTest : public QObject
{
    Q_OBJECT

private slots:
    void idleConnectionsAreClosed_data();
    void idleConnectionsAreClosed();
    void connectionsOverTheLimitAreRefused();
    void stopSignalFinishesRunningCall_data();
    void stopSignalFinishesRunningCall();
    void commandLine_data();
    void commandLine();
};

void FrontLimitsTest::idleConnectionsAreClosed_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("nothing sent") << QByteArray();
    QTest::newRow("half a frame") << QByteArray("\0\0\0\x20{\"id\":", 10);
}

void FrontLimitsTest::idleConnectionsAreClosed()
{
    QFETCH(QByteArray, sent);
    ServerProcess server;
    QVERIFY2(server.startServe({QStringLiteral("--idle-timeout"), QStringLiteral("1")}),
             server.log().constData());

    FrameClient idle;
    QVERIFY(idle.connectTo(server.port()));
    if (!sent.isEmpty())
        QVERIFY(idle.sendRaw(sent));
    QElapsedTimer clock;
    clock.start();
    // Another connection keeps being served meanwhile.
    QVERIFY(echoWorks(server.port()));
    QVERIFY2(idle.waitClosed(6000), "idle connection still open");
    QVERIFY2(clock.elapsed() >= 700, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(echoWorks(server.port()));
    QCOMPARE(server.stop(), 0);
}

void FrontLimitsTest::connectionsOverTheLimitAreRefused()
{
    ServerProcess server;
    QVERIFY2(server.startServe({QStringLiteral("--max-connections"), QStringLiteral("3")}),
             server.log().constData());

    FrameClient first, second, third;
    for (FrameClient *client : {&first, &second, &third}) {
        QVERIFY(client->connectTo(server.port()));
        // A call makes sure the server has taken the connection on.
        QVERIFY(client->call(command(QStringLiteral("EchoString")), {QStringLiteral("a")}));
    }
    FrameClient refused;
    QVERIFY(refused.connectTo(server.port())); // the kernel accepts; the server closes it
    QVERIFY2(refused.waitClosed(3000), "fourth connection was kept");

    for (FrameClient *client : {&first, &second, &third}) {
        const auto response = client->call(command(QStringLiteral("ReverseString")), {QStringLiteral("ab")});
        QVERIFY(response);
        QCOMPARE(response->value(QStringLiteral("result")).toArray(), QJsonArray{QStringLiteral("ba")});
    }

    // A freed place can be taken again.
    third.close();
    bool served = false;
    for (int attempt = 0; attempt < 50 && !served; ++attempt) {
        served = echoWorks(server.port());
        if (!served)
            QTest::qWait(50);
    }
    QVERIFY(served);
    QCOMPARE(server.stop(), 0);
}

void FrontLimitsTest::stopSignalFinishesRunningCall_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void FrontLimitsTest::stopSignalFinishesRunningCall()
{
    QFETCH(int, signalNumber);
    ServerProcess server;
    QVERIFY2(server.startServe({QStringLiteral("--call-delay-ms"), QStringLiteral("800")}),
             server.log().constData());

    FrameClient busy, idle;
    QVERIFY(idle.connectTo(server.port()));
    QVERIFY(busy.connectTo(server.port()));
    QVERIFY(busy.sendRequest(77, command(QStringLiteral("EchoString")), {QStringLiteral("yarım kalmasın")}));
    QTest::qWait(200); // the call is on a worker now
    ::kill(pid_t(server.pid()), signalNumber);

    const auto response = busy.readResponse(5000);
    QVERIFY2(response, server.log().constData());
    QCOMPARE(response->value(QStringLiteral("id")).toInteger(), 77);
    QCOMPARE(response->value(QStringLiteral("result")).toArray(),
             QJsonArray{QStringLiteral("yarım kalmasın")});
    QVERIFY(idle.waitClosed());
    QVERIFY(busy.waitClosed());
    QVERIFY(server.process().waitForFinished(5000));
    QCOMPARE(server.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.process().exitCode(), 0);
}

void FrontLimitsTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outputPart");

    QTest::newRow("overview") << QStringList{"--help"} << 0 << "seed-demo";
    QTest::newRow("no command") << QStringList{} << 2 << "Usage: kolvar-server";
    QTest::newRow("unknown command") << QStringList{"yok"} << 2 << "unknown command";
    QTest::newRow("serve help") << QStringList{"serve", "--help"} << 0 << "--idle-timeout";
    QTest::newRow("add-user help") << QStringList{"add-user", "--help"} << 0 << "--account";
    QTest::newRow("unknown option") << QStringList{"serve", "--yok"} << 2 << "yok";
    QTest::newRow("port not a number") << QStringList{"serve", "--port", "abc"} << 2 << "--port";
    QTest::newRow("port out of range") << QStringList{"serve", "--port", "70000"} << 2 << "--port";
    QTest::newRow("zero workers") << QStringList{"serve", "--workers", "0"} << 2 << "--workers";
    QTest::newRow("negative idle timeout")
        << QStringList{"serve", "--idle-timeout", "-1"} << 2 << "--idle-timeout";
}

void FrontLimitsTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, outputPart);
    QProcess process;
    process.start(ServerProcess::binary(), arguments);
    QVERIFY(process.waitForFinished(10000));
    const QString output =
        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(output.contains(outputPart), qPrintable(output));
}

QTEST_GUILESS_MAIN(FrontLimitsTest)
#include "tst_front_limits.moc"
