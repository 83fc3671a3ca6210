#include "support/dialogrecorder.h"

#include <app/beklesinu.h>

#include <QApplication>
#include <QMutex>
#include <QSemaphore>
#include <QSet>
#include <QTest>
#include <QThreadPool>

#include <atomic>
#include <stdexcept>

using namespace kolvar;
using kolvar::test::DialogRecorder;

namespace {

// Records what reaches the application's error report, and in which order
// relative to the UI procedures.
struct Journal {
    QMutex lock;
    QStringList events;
    void add(const QString &e)
    {
        QMutexLocker l(&lock);
        events.append(e);
    }
    QStringList all()
    {
        QMutexLocker l(&lock);
        return events;
    }
};

} // namespace

class TestAsync : public QObject
{
    Q_OBJECT

    Journal journal;

private Q_SLOTS:
    void init()
    {
        journal.events.clear();
        setErrorReporter([this](const QString &text) {
            QVERIFY(QThread::currentThread() == qApp->thread());
            journal.add(QStringLiteral("report:") + text);
        });
    }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        setErrorReporter({});
    }

    void uiRunsAfterBackgroundOnCallingThread()
    {
        QThread *worker = nullptr;
        std::atomic<bool> backgroundDone = false;
        bool uiRan = false;
        Async([&] {
            QTest::qSleep(50);
            worker = QThread::currentThread();
            backgroundDone = true;
        })->Await([&] {
            QVERIFY(backgroundDone);
            QCOMPARE(QThread::currentThread(), qApp->thread());
            uiRan = true;
        });
        QVERIFY(!uiRan); // Await returns at once
        QTRY_VERIFY(uiRan);
        QVERIFY(worker && worker != qApp->thread());
        QVERIFY(journal.all().isEmpty());
    }

    // Even work that is done before Await returns never has its UI part run
    // inside the call: callers may still be setting up after it.
    void uiNeverRunsInsideTheCall()
    {
        int ran = 0;
        for (int i = 0; i < 200; ++i) {
            std::atomic<bool> done = false;
            Async([&] { done = true; })->Await([&] { ++ran; });
            QCOMPARE(ran, i);
            while (!done) // the worker finishes while no event is handled
                QThread::yieldCurrentThread();
            QThread::msleep(1);
            QCOMPARE(ran, i);
            QTRY_COMPARE(ran, i + 1);
        }
    }

    // An error escaping the background procedure is reported on the UI
    // thread after the UI procedure; one escaping the UI procedure too.
    void errorsReachTheReport_data()
    {
        QTest::addColumn<bool>("backgroundThrows");
        QTest::addColumn<bool>("uiThrows");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("background") << true << false << QStringList{"ui", "report:Stok listesi alınamadı"};
        QTest::newRow("ui") << false << true << QStringList{"ui", "report:Izgara hatası"};
        QTest::newRow("both") << true << true
                              << QStringList{"ui", "report:Izgara hatası", "report:Stok listesi alınamadı"};
        QTest::newRow("none") << false << false << QStringList{"ui"};
    }
    void errorsReachTheReport()
    {
        QFETCH(bool, backgroundThrows);
        QFETCH(bool, uiThrows);
        QFETCH(QStringList, expected);
        Async([=] {
            if (backgroundThrows)
                throw std::runtime_error("Stok listesi alınamadı");
        })->Await([=, this] {
            journal.add(QStringLiteral("ui"));
            if (uiThrows)
                throw std::runtime_error("Izgara hatası");
        });
        QTRY_COMPARE(journal.all().size(), expected.size());
        QTest::qWait(20);
        QCOMPARE(journal.all(), expected);
    }

    void nonStandardExceptionIsReported()
    {
        Async([] { throw 42; })->Await([] {});
        QTRY_COMPARE(journal.all(), QStringList{"report:Bilinmeyen hata"});
    }

    // Several uses at once: each UI procedure runs once, after its own
    // background procedure, on the UI thread.
    void concurrentUses()
    {
        constexpr int uses = 12;
        std::atomic<int> running = 0, peak = 0;
        QList<int> finished;
        std::array<std::atomic<bool>, uses> done{};
        for (int i = 0; i < uses; ++i) {
            Async([&, i] {
                const int now = ++running;
                int seen = peak;
                while (now > seen && !peak.compare_exchange_weak(seen, now)) {
                }
                QTest::qSleep(20 + 5 * (i % 3));
                --running;
                done[i] = true;
            })->Await([&, i] {
                QVERIFY(done[i]);
                QCOMPARE(QThread::currentThread(), qApp->thread());
                finished.append(i);
            });
        }
        QTRY_COMPARE(finished.size(), uses);
        QCOMPARE(QSet<int>(finished.begin(), finished.end()).size(), uses);
        if (QThreadPool::globalInstance()->maxThreadCount() > 1)
            QVERIFY(peak > 1);
    }

    // The state shared by both procedures lives until the later one ran,
    // even when the handler that created it has long returned.
    void sharedStateOutlivesTheHandler()
    {
        std::weak_ptr<int> watch;
        bool uiSaw = false;
        {
            auto state = std::make_shared<int>(0);
            watch = state;
            Async([state] { *state = 7; })->Await([state, &uiSaw] { uiSaw = *state == 7; });
        }
        QVERIFY(!watch.expired());
        QTRY_VERIFY(uiSaw);
        QTRY_VERIFY(watch.expired());
    }

    void runOnUiThreadFromWorker()
    {
        std::atomic<bool> ranOnUi = false, sawResult = false, sawError = false;
        QString errorText;
        Async([&] {
            int value = 0;
            RunOnUiThread([&] {
                ranOnUi = QThread::currentThread() == qApp->thread();
                value = 5;
            });
            sawResult = value == 5; // it waited for the UI thread
            try {
                RunOnUiThread([] { throw std::runtime_error("etiket yok"); });
            } catch (const std::runtime_error &e) {
                errorText = QString::fromUtf8(e.what());
                sawError = true;
            }
        })->Await([] {});
        QTRY_VERIFY(sawError);
        QVERIFY(ranOnUi);
        QVERIFY(sawResult);
        QCOMPARE(errorText, QStringLiteral("etiket yok"));
    }

    void runOnUiThreadOnUiThreadRunsDirectly()
    {
        bool ran = false;
        RunOnUiThread([&] { ran = true; });
        QVERIFY(ran);
    }
    // The standard tab loader: controls restored before anything is said,
    // the standard report only for a failed load, one load at a time.
    void tabLoader_data()
    {
        QTest::addColumn<int>("outcome"); // 0 loaded, 1 failed, 2 error escaped
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("dialogs");
        const QString report = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");
        QTest::newRow("loaded") << 0 << QStringList{"prepare", "load", "restore", "finish:0"}
                                << QStringList{};
        QTest::newRow("failed") << 1 << QStringList{"prepare", "load", "restore", "finish:1"}
                                << QStringList{report};
        QTest::newRow("error escaped")
            << 2 << QStringList{"prepare", "load", "restore", "finish:0", "report:Sunucu hatası"}
            << QStringList{};
    }
    void tabLoader()
    {
        QFETCH(int, outcome);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, dialogs);
        DialogRecorder recorder;
        QWidget animation;
        animation.hide();
        QSemaphore release;
        std::atomic<int> loads = 0;
        bool busyWhileLoading = false, busyAfter = true;

        SekmeYukleyici loader;
        loader.setBusyWidget(&animation);
        int dialogsBefore = 0;
        loader.setPrepare([&] {
            dialogsBefore = recorder.count();
            journal.add(QStringLiteral("prepare"));
        });
        loader.setLoader([&] {
            ++loads;
            journal.add(QStringLiteral("load"));
            release.acquire();
            if (outcome == 2)
                throw std::runtime_error("Sunucu hatası");
            return outcome == 1;
        });
        loader.setRestore([&] {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            QCOMPARE(recorder.count(), dialogsBefore); // controls come back before any message
            journal.add(QStringLiteral("restore"));
        });
        loader.setFinish([&](bool hata) {
            busyAfter = !animation.isHidden();
            journal.add(QStringLiteral("finish:%1").arg(int(hata)));
        });

        QVERIFY(loader.start());
        busyWhileLoading = !animation.isHidden();
        QVERIFY(loader.isRunning());
        QVERIFY(!loader.start()); // the tab shown again while loading
        release.release();
        QTRY_VERIFY(!loader.isRunning());
        QTRY_COMPARE(journal.all().size(), expected.size());
        QCOMPARE(journal.all(), expected);
        QCOMPARE(loads.load(), 1);
        QVERIFY(busyWhileLoading);
        QVERIFY(!busyAfter);
        QCOMPARE(recorder.texts(), dialogs);
        if (!dialogs.isEmpty()) {
            QCOMPARE(recorder.shown().first().request.caption, QStringLiteral("Hata"));
            QCOMPARE(recorder.shown().first().request.defaultButton, MsgButton::OK);
        }

        // And it can load again afterwards.
        release.release();
        QVERIFY(loader.start());
        QTRY_VERIFY(!loader.isRunning());
        QCOMPARE(loads.load(), 2);
    }
};

QTEST_MAIN(TestAsync)
#include "tst_async.moc"
