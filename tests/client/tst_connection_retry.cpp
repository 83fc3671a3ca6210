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
};

QTEST_MAIN(TestConnectionRetry)
#include "tst_connection_retry.moc"
