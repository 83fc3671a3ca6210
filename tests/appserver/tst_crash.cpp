#include "support/serverprocess.h"
#include "support/testdatabase.h"

#include <demo/demodata.h>
#include <methods/authpassword.h>
#include <methods/session.h>
#include <storage/database.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <csignal>

using namespace kolvar::server;
using namespace kolvar::testing;

// The server is killed with SIGKILL while it writes orders. After every
// restart: an acknowledged order exists exactly once, every basket line is
// either still in the basket or in exactly one order, and the database file
// is sound.
class tst_Crash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setFastPasswordHashing(true); }
    void killDuringOrderSubmission();
};

namespace {

constexpr qint64 kAccount = 1; // BAYI

QList<qint64> addSelectedLines(const Database &db, int count, int round)
{
    QList<qint64> ids;
    Transaction tx(db);
    Query(db, QStringLiteral("UPDATE sepet SET sec = 0 WHERE carino = ?"), {kAccount});
    for (int i = 0; i < count; ++i) {
        ids << Query(db,
                     QStringLiteral(
                         "INSERT INTO sepet (carino, stokno, barkod, stokadi, miktar, birimfiyat, kdv, sec, "
                         "tarih, aciklama) VALUES (?, 1, 'B', 'S', ?, 10, 20, 1, '2026-01-01', ?) "
                         "RETURNING sirano"),
                     {kAccount, double(i + 1), QStringLiteral("r%1").arg(round)})
                   .scalar()
                   .toLongLong();
    }
    tx.commit();
    return ids;
}

int count(const Database &db, const QString &sql, std::initializer_list<QVariant> binds = {})
{
    Query q(db, sql);
    q.exec(binds);
    return q.scalar().toInt();
}

} // namespace

void tst_Crash::killDuringOrderSubmission()
{
    KOLVAR_TEST_DATABASE(t, QStringLiteral("sqlite"));
    Database &db = t->db();
    demo::seedDemo(db, {30, 1, 0});
    Query(db, QStringLiteral("DELETE FROM sepet WHERE carino = ?"), {kAccount});
    const QString token = openSession(db, 1, demo::demoMachineId(QStringLiteral("BAYI")));
    db.closeThreadConnection();

    const int rounds = qMax(100, qEnvironmentVariableIntValue("KOLVAR_CRASH_ROUNDS"));
    QRandomGenerator rng(4711);
    QList<QList<qint64>> acknowledged;
    QList<qint64> allLines;
    int killedMidway = 0;
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < rounds; ++round) {
        const QList<qint64> lines = addSelectedLines(db, 1 + rng.bounded(3), round);
        allLines += lines;
        db.closeThreadConnection();

        ServerProcess server;
        QVERIFY2(server.startServe({QStringLiteral("--db"), t->url(), QStringLiteral("--web-port"),
                                    QString::number(ServerProcess::freePort())}),
                 server.log().constData());
        FrameClient client;
        QVERIFY(client.connectTo(server.port()));
        QVERIFY(client.sendRequest(
            round + 1, command(QStringLiteral("SiparisKaydet")),
            {QJsonValue::Null, kAccount, 1, 1, QStringLiteral("crash %1").arg(round), 1, 1}, token));
        // Kill somewhere between "before the call arrives" and "after the
        // answer"; an answer read before the kill counts as acknowledged.
        const int delayUs = int(rng.bounded(70000));
        QThread::usleep(delayUs);
        client.socket().waitForReadyRead(0);
        ::kill(pid_t(server.pid()), SIGKILL);
        server.process().waitForFinished(5000);
        const std::optional<QJsonObject> answer = client.readResponse(200);
        if (answer && answer->value(QStringLiteral("result")).toArray().last().toBool())
            acknowledged << lines;
        else
            ++killedMidway;

        // Invariants after the crash.
        QCOMPARE(count(db, QStringLiteral(
                               "SELECT COUNT(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'")),
                 0);
        QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM pragma_foreign_key_check")), 0);
        for (qint64 line : lines) {
            const int inBasket =
                count(db, QStringLiteral("SELECT COUNT(*) FROM sepet WHERE sirano = ?"), {line});
            const int inOrders = count(
                db, QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari WHERE sepet_sirano = ?"), {line});
            QVERIFY2(
                inBasket + inOrders == 1,
                qPrintable(
                    QStringLiteral("line %1: basket %2, orders %3").arg(line).arg(inBasket).arg(inOrders)));
        }
        db.closeThreadConnection();
    }
    // Every acknowledged submission is an order, exactly once, with all its lines.
    for (const QList<qint64> &lines : std::as_const(acknowledged)) {
        QStringList ids;
        for (qint64 l : lines)
            ids << QString::number(l);
        QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM siparis_satirlari WHERE sepet_sirano IN (%1)")
                               .arg(ids.join(u','))),
                 int(lines.size()));
        QCOMPARE(count(db, QStringLiteral(
                               "SELECT COUNT(DISTINCT idno) FROM siparis_satirlari WHERE sepet_sirano IN "
                               "(%1)")
                               .arg(ids.join(u','))),
                 1);
    }
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM siparisler s WHERE NOT EXISTS (SELECT 1 FROM "
                                      "siparis_satirlari l WHERE l.idno = s.idno)")),
             0);
    qInfo("%d rounds in %lld ms: %lld acknowledged, %d killed before the answer, %d orders written", rounds,
          clock.elapsed(), qint64(acknowledged.size()), killedMidway,
          count(db, QStringLiteral("SELECT COUNT(*) FROM siparisler WHERE aciklama LIKE 'crash %'")));
    QVERIFY(!acknowledged.isEmpty());
}

QTEST_GUILESS_MAIN(tst_Crash)
#include "tst_crash.moc"
