#include "realserver.h"

#include "fakeserver.h"

#include <app/adresler.h>
#include <app/unit1.h>
#include <platform/connection/dsconnection.h>
#include <server/baglanti.h>
#include <server/proxim.h>
#include <transfer/baglantiu.h>

#include <QDeadlineTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QThread>
#include <QUuid>

namespace kolvar::test {

namespace {

bool listening(quint16 port)
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    return s.waitForConnected(200);
}

} // namespace

RealServer::RealServer()
    : m_connectionName(QStringLiteral("realserver-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{}

RealServer::~RealServer()
{
    stop();
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

QString RealServer::databasePath() const
{
    return m_dir.filePath(QStringLiteral("kolvar.db"));
}

bool RealServer::run(const QStringList &args, QString *output)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KOLVAR_SERVER_BIN), args);
    if (!p.waitForFinished(300000))
        return false;
    *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool RealServer::start(QString *error, int stocks, const QStringList &extraServeArgs)
{
    const QString url = QStringLiteral("sqlite://") + databasePath();
    QString out;
    if (!run({QStringLiteral("init"), QStringLiteral("--db"), url}, &out) ||
        !run({QStringLiteral("seed-demo"), QStringLiteral("--db"), url, QStringLiteral("--stocks"),
              QString::number(stocks)},
             &out)) {
        *error = out;
        return false;
    }
    m_port = FakeServer::unusedPort();
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral(KOLVAR_SERVER_BIN),
                   QStringList{QStringLiteral("serve"), QStringLiteral("--db"), url, QStringLiteral("--port"),
                               QString::number(m_port), QStringLiteral("--web-port"), QStringLiteral("0")} +
                       extraServeArgs);
    if (!m_server.waitForStarted()) {
        *error = m_server.errorString();
        return false;
    }
    QDeadlineTimer deadline(30000);
    while (!listening(m_port)) {
        if (deadline.hasExpired() || m_server.state() != QProcess::Running) {
            *error = QStringLiteral("kolvar-server did not start listening");
            return false;
        }
        QThread::msleep(50);
    }
    setAdresler(
        {QStringLiteral("127.0.0.1"), m_port, QStringLiteral("127.0.0.1:1"), QStringLiteral("127.0.0.1:1")});
    return true;
}

void RealServer::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(5000))
        m_server.kill();
    m_server.waitForFinished(5000);
}

bool RealServer::signIn(DSConnection &bagc, TSonucBilgisi &bilgi, const QString &user, QString *error)
{
    bagc.setHostName(QStringLiteral("127.0.0.1"));
    bagc.setPort(m_port);
    if (!BaglantiKur(&bagc, 0)) {
        *error = QStringLiteral("no connection");
        return false;
    }
    try {
        TServerMethods1Client proxy(&bagc, false);
        TSonucBilgisi *r = proxy.GirisDogrula(QStringLiteral("DEMO-") + user, user, QStringLiteral("1234"));
        if (!r || r->ADI().isEmpty()) {
            *error = QStringLiteral("sign-in refused for ") + user;
            return false;
        }
        bilgi.Kopyala(*r);
    } catch (const std::exception &e) {
        *error = QString::fromUtf8(e.what());
        return false;
    }
    bilgi.setDisip(QStringLiteral("127.0.0.1"));
    bagc.close();
    return true;
}

bool RealServer::signIn(TForm1 &form, const QString &user, QString *error)
{
    if (!signIn(*form.bagc(), form.sbilgi(), user, error))
        return false;
    form.HesabaUyarla(form.sbilgi().MusteriTipi());
    return true;
}

QSqlDatabase RealServer::db()
{
    if (!QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        d.setDatabaseName(databasePath());
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    QSqlDatabase d = QSqlDatabase::database(m_connectionName);
    return d;
}

QVariant RealServer::scalar(const QString &sql, const QVariantList &binds)
{
    QSqlQuery q(db());
    q.prepare(sql);
    for (const QVariant &b : binds)
        q.addBindValue(b);
    if (!q.exec() || !q.next())
        return {};
    return q.value(0);
}

bool RealServer::exec(const QString &sql, const QVariantList &binds, QString *error)
{
    QSqlQuery q(db());
    q.prepare(sql);
    for (const QVariant &b : binds)
        q.addBindValue(b);
    if (q.exec())
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

} // namespace kolvar::test
