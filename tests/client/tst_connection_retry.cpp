#include "support/dialogrecorder.h"
#include "support/fakeserver.h"

#include <app/beklesinu.h>
#include <server/baglanti.h>

#include <QApplication>
#include <QTest>

using namespace kolvar;
using kolvar::test::DialogRecorder;
using kolvar::test::FakeServer;

class TestConnectionRetry : public QObject
{
    Q_OBJECT

    QList<int> pauses;

    std::unique_ptr<DSConnection> connectionTo(quint16 port)
    {
        auto c = std::make_unique<DSConnection>();
        c->setHostName(QStringLiteral("127.0.0.1"));
        c->setPort(port);
        return c;
    }

private Q_SLOTS:
    void init()
    {
        pauses.clear();
        setRetryPause([this](int ms) { pauses.append(ms); });
    }
    void cleanup() { setRetryPause({}); }

    void serverAcceptingTheThirdAttempt()
    {
        DialogRecorder dialogs;
        FakeServer server(false);
        const quint16 port = FakeServer::unusedPort();
        setRetryPause([&](int ms) {
            pauses.append(ms);
            if (pauses.size() == 2)
                QVERIFY(server.listen(port));
        });
        auto c = connectionTo(port);
        QVERIFY(BaglantiKur(c.get(), 1));
        QVERIFY(c->isOpen());
        QCOMPARE(pauses, QList<int>({500, 500}));
        QCOMPARE(dialogs.count(), 0);
        QTRY_COMPARE(server.connectionsAccepted(), 1);
    }

    void noServer_data()
    {
        QTest::addColumn<int>("report");
        QTest::addColumn<int>("messages");
        QTest::newRow("report 1") << 1 << 1;
        QTest::newRow("report 0") << 0 << 0;
        QTest::newRow("report 2 is silent") << 2 << 0;
    }
    void noServer()
    {
        QFETCH(int, report);
        QFETCH(int, messages);
        DialogRecorder dialogs;
        auto c = connectionTo(FakeServer::unusedPort());
        QVERIFY(!BaglantiKur(c.get(), report));
        QVERIFY(!c->isOpen());
        QCOMPARE(pauses, QList<int>(11, 500)); // the last failure pauses too
        QCOMPARE(dialogs.count(), messages);
        if (messages) {
            const MessageRequest shown = dialogs.shown().first().request;
            QCOMPARE(shown.text, QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!"));
            QCOMPARE(shown.kind, int(mkError));
            QCOMPARE(shown.caption, QStringLiteral("Hata"));
            QCOMPARE(shown.buttons, QList<MsgButton>{MsgButton::OK});
            QCOMPARE(shown.defaultButton, MsgButton::OK);
        }
    }

    // From a worker the message is shown on the UI thread while the worker
    // waits for it.
    void reportFromWorkerShownOnUiThread()
    {
        DialogRecorder dialogs;
        const quint16 port = FakeServer::unusedPort();
        std::atomic<bool> finished = false, result = true;
        std::atomic<int> shownBeforeReturn = -1;
        Async([&] {
            auto copy = connectionTo(port);
            result = BaglantiKur(copy.get(), 1);
            shownBeforeReturn = dialogs.count();
            finished = true;
        })->Await([] {});
        QTRY_VERIFY(finished);
        QVERIFY(!result);
        QCOMPARE(shownBeforeReturn.load(), 1);
        QCOMPARE(dialogs.shown().first().thread, qApp->thread());
    }

    void openConnectionIsReopened()
    {
        DialogRecorder dialogs;
        FakeServer server;
        auto c = connectionTo(server.port());
        c->open();
        QTRY_COMPARE(server.connectionsAccepted(), 1);
        QVERIFY(BaglantiKur(c.get(), 1));
        QVERIFY(c->isOpen());
        QTRY_COMPARE(server.connectionsAccepted(), 2);
        QVERIFY(pauses.isEmpty());
        QCOMPARE(dialogs.count(), 0);
    }

    void missingConnection() { QVERIFY(!BaglantiKur(nullptr, 0)); }

    // The two ways a routine calls the server: on a private copy (workers)
    // or on the main connection (UI thread). Either way the connection is
    // closed afterwards, also when the call fails.
    void callWays_data()
    {
        QTest::addColumn<bool>("onCopy");
        QTest::addColumn<int>("outcome"); // 0 answered, 1 server error, 2 no server
        for (bool onCopy : {true, false}) {
            const char *way = onCopy ? "copy" : "main";
            QTest::addRow("%s answered", way) << onCopy << 0;
            QTest::addRow("%s server error", way) << onCopy << 1;
            QTest::addRow("%s no server", way) << onCopy << 2;
        }
    }
    void callWays()
    {
        QFETCH(bool, onCopy);
        QFETCH(int, outcome);
        DialogRecorder dialogs;
        FakeServer server;
        server.on(QStringLiteral("KayanYaziGetir"),
                  outcome == 1 ? kolvar::test::FakeReply::fail(QStringLiteral("Yazı yok"))
                               : kolvar::test::FakeReply::ok({QStringLiteral("Kampanya haftası")}));
        auto bagc = connectionTo(outcome == 2 ? FakeServer::unusedPort() : server.port());
        QString text;
        DSConnection *used = nullptr;
        const auto work = [&](TServerMethods1Client &proxy) {
            used = proxy.connection();
            QVERIFY(used->isOpen());
            text = proxy.KayanYaziGetir();
        };
        bool result = false;
        QString error;
        try {
            result = onCopy ? KopyaylaCagir(*bagc, 0, work) : BaglantiylaCagir(*bagc, 0, work);
        } catch (const ServerError &e) {
            error = e.message();
        }
        QCOMPARE(result, outcome == 0);
        QCOMPARE(text, outcome == 0 ? QStringLiteral("Kampanya haftası") : QString());
        QCOMPARE(error, outcome == 1 ? QStringLiteral("Yazı yok") : QString());
        QCOMPARE(used == nullptr, outcome == 2);
        if (used && !onCopy)
            QCOMPARE(used, bagc.get());
        if (used && onCopy)
            QVERIFY(used != bagc.get());
        QVERIFY(!bagc->isOpen());
        QCOMPARE(dialogs.count(), 0);
    }
};

QTEST_MAIN(TestConnectionRetry)
#include "tst_connection_retry.moc"
