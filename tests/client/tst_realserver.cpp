// The shared real-server fixture: a demo user signs in on a main window and
// the window's basket loads from the server.
#include "support/realserver.h"

#include <app/unit1.h>
#include <platform/clientdataset.h>
#include <transfer/baglantiu.h>

#include <QTest>

using namespace kolvar;
using namespace kolvar::test;

class TestRealServer : public QObject
{
    Q_OBJECT
private slots:
    void signInAndLoadBasket_data();
    void signInAndLoadBasket();

private:
    RealServer m_server;
};

void TestRealServer::signInAndLoadBasket_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("type");
    QTest::newRow("dealer") << "BAYI" << 0;
    QTest::newRow("representative") << "TEMSILCI2" << 2;
}

void TestRealServer::signInAndLoadBasket()
{
    QFETCH(QString, user);
    QFETCH(int, type);
    QString error;
    if (!m_server.isRunning())
        QVERIFY2(m_server.start(&error), qPrintable(error));
    TForm1 form;
    QVERIFY2(m_server.signIn(form, user, &error), qPrintable(error));
    QCOMPARE(form.sbilgi().MusteriTipi(), type);
    const qint64 lines =
        m_server
            .scalar(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE carino = ?"), {form.sbilgi().CARINO()})
            .toLongLong();
    form.SepetYukle();
    QVERIFY(form.sepet()->isActive());
    QCOMPARE(form.sepet()->recordCount(), int(lines));
}

QTEST_MAIN(TestRealServer)
#include "tst_realserver.moc"
