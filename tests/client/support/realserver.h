#pragma once

// A real kolvar-server on a temporary SQLite database filled with the demo
// data, for GUI tests of the windows: start it, sign a demo user in on a
// connection, and read or shape the database directly for fixtures and checks.

#include <QProcess>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace kolvar {
class DSConnection;
class TForm1;
class TSonucBilgisi;
} // namespace kolvar

namespace kolvar::test {

class RealServer
{
public:
    RealServer();
    ~RealServer();

    // init + seed-demo (`stocks` stocks) + serve on a free loopback port.
    // Sets the client's server address (adresler) to it. False with *error.
    bool start(QString *error, int stocks = 300, const QStringList &extraServeArgs = {});
    void stop();
    bool isRunning() const { return m_server.state() == QProcess::Running; }
    quint16 port() const { return m_port; }
    QString databasePath() const;

    // GirisDogrula for a demo user (BAYI, BAYI3, BAYI4, TEMSILCI, TEMSILCI2;
    // password 1234) from that user's demo computer; `bilgi` receives the
    // session record and `bagc` keeps the session token.
    bool signIn(DSConnection &bagc, TSonucBilgisi &bilgi, const QString &user, QString *error);
    // The same for a main window: its `bagc` and `sbilgi`, then the
    // window is adapted to the account type.
    bool signIn(TForm1 &form, const QString &user, QString *error);

    // Direct access to the database (a connection of the test's thread).
    QSqlDatabase db();
    // First column of the first row; invalid when there is no row.
    QVariant scalar(const QString &sql, const QVariantList &binds = {});
    bool exec(const QString &sql, const QVariantList &binds = {}, QString *error = nullptr);

private:
    bool run(const QStringList &args, QString *output);

    QTemporaryDir m_dir;
    QProcess m_server;
    quint16 m_port = 0;
    QString m_connectionName;
};

} // namespace kolvar::test
