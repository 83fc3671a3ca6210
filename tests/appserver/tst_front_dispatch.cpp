#include <methods/echomethods.h>
#include <methods/methodregistry.h>
#include <net/calldispatcher.h>
#include <net/workerpool.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>
#include <QThread>

#include <atomic>
#include <mutex>

using namespace kolvar;
using namespace kolvar::server;

namespace {

QByteArray echoRequest(const QByteArray &session = {})
{
    QByteArray json = R"({"id":12,"method":"TServerMethods1.EchoString","params":["girdi"])";
    if (!session.isEmpty())
        json += ",\"session\":\"" + session + '"';
    return json + '}';
}

QJsonObject parsed(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class FrontDispatchTest : public QObject
{
    Q_OBJECT

private slots:
    void bodyOutcomes_data();
    void bodyOutcomes();
    void sessionReachesBodyAndNewOneIsAnswered();
    void keyReachesBody();
    void reverse_data();
    void reverse();
    void workerHooksRunInEveryWorker();
};

void FrontDispatchTest::bodyOutcomes_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<QString>("errorClass"); // empty: success
    QTest::addColumn<QString>("message");

    QTest::newRow("no body") << 0 << "EServerError"
                             << "EchoString henüz uygulanmadı";
    QTest::newRow("result") << 1 << ""
                            << "";
    QTest::newRow("method error keeps class and text") << 2 << "ESepetHatasi"
                                                       << "Sepet bulunamadı";
    QTest::newRow("other exception is generic") << 3 << "EServerError"
                                                << "Sunucuda beklenmeyen bir hata oluştu";
    QTest::newRow("non-standard throw is generic") << 4 << "EServerError"
                                                   << "Sunucuda beklenmeyen bir hata oluştu";
    QTest::newRow("result of the wrong kind") << 5 << "EServerError"
                                              << "";
}

void FrontDispatchTest::bodyOutcomes()
{
    QFETCH(int, behaviour);
    QFETCH(QString, errorClass);
    QFETCH(QString, message);

    MethodRegistry registry;
    if (behaviour > 0) {
        registry.set("EchoString", [behaviour](CallContext &, const QList<WireValue> &inputs) -> CallResult {
            switch (behaviour) {
            case 2: throw MethodError(QStringLiteral("Sepet bulunamadı"), "ESepetHatasi");
            case 3: throw std::runtime_error("connection lost: password=secret");
            case 4: throw 42;
            case 5: return {{}, WireValue(qint64(7))};
            default: return {{}, inputs.value(0)};
            }
        });
    }
    CallDispatcher dispatcher(registry);
    const CallDispatcher::Reply reply = dispatcher.handle(echoRequest(), QHostAddress::LocalHost);
    QVERIFY(!reply.closeAfter);
    const QJsonObject response = parsed(reply.json);
    QCOMPARE(response.value(QStringLiteral("id")).toInteger(), 12);
    if (errorClass.isEmpty()) {
        QCOMPARE(response.value(QStringLiteral("result")).toArray(), QJsonArray{QStringLiteral("girdi")});
        return;
    }
    QVERIFY2(!response.contains(QStringLiteral("result")), reply.json.constData());
    const QJsonObject error = response.value(QStringLiteral("error")).toObject();
    QCOMPARE(error.value(QStringLiteral("class")).toString(), errorClass);
    if (!message.isEmpty())
        QCOMPARE(error.value(QStringLiteral("message")).toString(), message);
    QVERIFY(!reply.json.contains("secret")); // internals never reach the client
}

void FrontDispatchTest::sessionReachesBodyAndNewOneIsAnswered()
{
    MethodRegistry registry;
    registry.set("EchoString", [](CallContext &context, const QList<WireValue> &) {
        context.newSession = QStringLiteral("yeni-") + context.session;
        return CallResult{{}, WireValue(context.peer.toString())};
    });
    CallDispatcher dispatcher(registry);
    const QJsonObject withToken =
        parsed(dispatcher.handle(echoRequest("eski"), QHostAddress::LocalHost).json);
    QCOMPARE(withToken.value(QStringLiteral("session")).toString(), QStringLiteral("yeni-eski"));
    QCOMPARE(withToken.value(QStringLiteral("result")).toArray(), QJsonArray{QStringLiteral("127.0.0.1")});
}

void FrontDispatchTest::keyReachesBody()
{
    MethodRegistry registry;
    registry.set("EchoString", [](CallContext &context, const QList<WireValue> &) {
        return CallResult{{}, WireValue(context.key)};
    });
    CallDispatcher dispatcher(registry);
    QByteArray keyed = echoRequest("oturum");
    keyed.insert(keyed.size() - 1, R"(,"key":"a1b2")");
    QCOMPARE(parsed(dispatcher.handle(keyed, QHostAddress::LocalHost).json).value(QStringLiteral("result")),
             QJsonArray{QStringLiteral("a1b2")});
    QCOMPARE(parsed(dispatcher.handle(echoRequest("oturum"), QHostAddress::LocalHost).json)
                 .value(QStringLiteral("result")),
             QJsonArray{QString()});
}

void FrontDispatchTest::reverse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("pair in the middle") << "x😀y"
                                        << "y😀x";
    QTest::newRow("pairs only") << "😀🚗"
                                << "🚗😀";
    QTest::newRow("lone high surrogate at the end") << QString::fromUtf16(u"ab\xD83D")
                                                    << QString::fromUtf16(u"\xD83D"
                                                                          "ba");
    QTest::newRow("lone low surrogate first") << QString::fromUtf16(u"\xDE00"
                                                                    "ab")
                                              << QString::fromUtf16(u"ba\xDE00");
    QTest::newRow("one character") << "ş"
                                   << "ş";
}

void FrontDispatchTest::reverse()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(reverseKeepingSurrogates(text), expected);
}

void FrontDispatchTest::workerHooksRunInEveryWorker()
{
    std::mutex mutex;
    QSet<QThread *> started, stopped, ran;
    WorkerPool::Hooks hooks;
    hooks.onWorkerStart = [&] {
        std::lock_guard lock(mutex);
        started.insert(QThread::currentThread());
    };
    hooks.onWorkerStop = [&] {
        std::lock_guard lock(mutex);
        stopped.insert(QThread::currentThread());
    };
    std::atomic<int> done{0};
    {
        WorkerPool pool(4, hooks);
        pool.start();
        for (int i = 0; i < 200; ++i) {
            pool.post([&] {
                {
                    std::lock_guard lock(mutex);
                    ran.insert(QThread::currentThread());
                }
                done.fetch_add(1);
            });
        }
        pool.stop(); // runs what was queued first
    }
    QCOMPARE(done.load(), 200);
    QCOMPARE(started.size(), 4);
    QCOMPARE(stopped, started);
    QVERIFY(started.contains(ran));
    QVERIFY(!started.contains(QThread::currentThread()));
}

QTEST_GUILESS_MAIN(FrontDispatchTest)
#include "tst_front_dispatch.moc"
