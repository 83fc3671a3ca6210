// Sign-in through the real login window against a real kolvar-server with a
// demo database: GirisDogrula checks the password.
#include "support/fakeserver.h"
#include "support/modalanswerer.h"
#include "support/tinyweb.h"

#include <app/adresler.h>
#include <app/surec.h>
#include <platform/connection/dsconnection.h>
#include <platform/machine/machinefacts.h>
#include <signin/girisformu.h>
#include <transfer/baglantiu.h>

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace kolvar;
using namespace kolvar::test;

namespace {

struct TestFacts : MachineFacts {
    QString root;
    QString serial;
    QString diskSerial() const override { return serial; }
    QList<QByteArray> adapterAddresses() const override { return {}; }
    QString computerName() const override { return QStringLiteral("SRVTEST"); }
    QString userName() const override { return QStringLiteral("tester"); }
    QString localIPv4() const override { return QStringLiteral("127.0.0.1"); }
    QString configFolder() const override { return root; }
    QString documentsFolder() const override { return root; }
    QString localDataFolder() const override { return root; }
    QString findProgram(const QString &) const override { return {}; }
};

bool runServer(const QStringList &args, QString *output)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KOLVAR_SERVER_BIN), args);
    if (!p.waitForFinished(120000))
        return false;
    *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool listening(quint16 port)
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    return s.waitForConnected(200);
}

} // namespace

class TestLoginServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void signIn_data();
    void signIn();

private:
    QTemporaryDir m_dir;
    TestFacts m_facts;
    QProcess m_server;
    std::unique_ptr<TinyWeb> m_web;
    QList<int> m_ends;
};

void TestLoginServer::initTestCase()
{
    if (!QFileInfo::exists(QStringLiteral(KOLVAR_SERVER_BIN)))
        QSKIP("kolvar-server is not built");
    m_facts.root = m_dir.path();
    MachineFacts::install(&m_facts);
    setSurecBitirici([this](int code) { m_ends << code; });

    const QString db = QStringLiteral("sqlite://") + m_dir.filePath(QStringLiteral("kolvar.db"));
    QString out;
    QVERIFY2(runServer({QStringLiteral("init"), QStringLiteral("--db"), db}, &out), qPrintable(out));
    QVERIFY2(runServer({QStringLiteral("seed-demo"), QStringLiteral("--db"), db}, &out), qPrintable(out));
    QVERIFY2(runServer({QStringLiteral("register-machine"), QStringLiteral("--db"), db,
                        QStringLiteral("--machine-id"), QStringLiteral("SRVTEST01"), QStringLiteral("--user"),
                        QStringLiteral("BAYI")},
                       &out),
             qPrintable(out));

    const quint16 port = FakeServer::unusedPort();
    m_web = std::make_unique<TinyWeb>();
    m_web->script({{200, "127.0.0.1"}});
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral(KOLVAR_SERVER_BIN),
                   {QStringLiteral("serve"), QStringLiteral("--db"), db, QStringLiteral("--port"),
                    QString::number(port), QStringLiteral("--web-port"), QStringLiteral("0")});
    QVERIFY(m_server.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(listening(port), 20000);
    setAdresler({QStringLiteral("127.0.0.1"), port, m_web->host(), m_web->host()});
}

void TestLoginServer::cleanupTestCase()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
    }
    MachineFacts::install(nullptr);
}

void TestLoginServer::signIn_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("requestForm");

    QTest::newRow("registered dealer, lower case typed") << "SRVTEST01"
                                                         << "bayi"
                                                         << "1234" << true << QStringList{} << false;
    QTest::newRow("wrong password") << "SRVTEST01"
                                    << "bayi"
                                    << "4321" << false << QStringList{kKullaniciSifreHatali} << false;
    QTest::newRow("unknown computer") << "NOTREGISTERED"
                                      << "bayi"
                                      << "1234" << false << QStringList{} << true;
}

void TestLoginServer::signIn()
{
    QFETCH(QString, machine);
    QFETCH(QString, typedName);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QFETCH(QStringList, messages);
    QFETCH(bool, requestForm);

    m_ends.clear();
    m_facts.serial = machine;
    QString requestUrl;
    Tgirisform::setIstekFormuAcici([&](QWidget *, const QString &url) { requestUrl = url; });

    DSConnection bagc;
    bagc.setHostName(adresler().sunucu);
    bagc.setPort(adresler().port);
    TSonucBilgisi bilgi;
    Tgirisform form;
    form.bagim = &bagc;
    form.Bilgim = &bilgi;
    ModalAnswerer answerer;
    QSignalSpy rejected(&form, &Tgirisform::girisReddedildi);
    QSignalSpy finished(&form, &QDialog::finished);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.adi->clear();
    form.sifre->clear();
    QTest::keyClicks(form.adi, typedName);
    QTest::keyClicks(form.sifre, password);
    QCOMPARE(form.adi->text(), typedName.toUpper());
    QTest::keyClick(form.sifre, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(rejected.count() + finished.count() > 0, 30000);

    QCOMPARE(answerer.texts(), messages);
    QCOMPARE(form.result() == QDialog::Accepted, accepted);
    QCOMPARE(requestUrl.endsWith(QStringLiteral("&id=") + machine), requestForm);
    QCOMPARE(m_ends, requestForm ? QList<int>{0} : QList<int>{});
    if (accepted) {
        QCOMPARE(bilgi.ADI(), QStringLiteral("BAYI"));
        QVERIFY(bilgi.CARINO() != 0);
        QVERIFY(!bilgi.CariAdi().isEmpty());
        QVERIFY(!bilgi.Disip().isEmpty());
        QVERIFY(!bagc.sessionToken().isEmpty());
    } else {
        QVERIFY(bilgi.SIFRE().isEmpty()); // the stored password never comes back
    }
    Tgirisform::setIstekFormuAcici({});
}

QTEST_MAIN(TestLoginServer)
#include "tst_login_server.moc"
