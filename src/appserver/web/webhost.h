#pragma once

#include "paymentprovider.h"

#include <QHostAddress>
#include <QString>

#include <memory>

namespace kolvar::server {

class Database;

struct WebHostOptions {
    QHostAddress bindAddress = QHostAddress::Any;
    quint16 port = 8080;
    QString installerPath;     // served as /exe/KolvarSetup.exe; empty = 404
    QHostAddress trustedProxy; // its X-Forwarded-For is believed by ip.php; null = none
    qsizetype maxBodyBytes = 64 * 1024;
    QString firmName = QStringLiteral("Kolvar Otomotiv Yedek Parça San. ve Tic. A.Ş.");
    QString firmAddress = QStringLiteral("Oto Sanayi Sitesi 12. Blok No: 7, Ostim / Ankara");
    QString firmPhone = QStringLiteral("+90 312 000 00 00");
    QString firmMail = QStringLiteral("bilgi@kolvar.example");
};

// The update host and the distributor's web site in one small HTTP server:
// ip.php, the installer download, the account request form, the home page
// and the card-payment page. Runs its own threads; each request handler
// uses the calling thread's database connection.
class WebHost
{
public:
    WebHost(Database &db, WebHostOptions options, std::unique_ptr<PaymentProvider> payments);
    ~WebHost();
    WebHost(const WebHost &) = delete;
    WebHost &operator=(const WebHost &) = delete;

    bool start(QString *error = nullptr); // listening when it returns true
    void stop();                          // waits for running requests
    quint16 port() const;                 // the bound port (useful with port 0)

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace kolvar::server
