#include "disip.h"

#include <app/adresler.h>

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

namespace kolvar {

namespace {

// The body of an HTTP/1.0 answer (the server closes after it); chunked
// transfer is not used with 1.0.
std::optional<QString> bodyOf(const QByteArray &answer)
{
    const qsizetype end = answer.indexOf("\r\n\r\n");
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> status = answer.left(answer.indexOf("\r\n")).split(' ');
    if (status.size() < 2 || !status.at(0).startsWith("HTTP/") || status.at(1) != "200")
        return std::nullopt;
    return QString::fromUtf8(answer.mid(end + 4));
}

} // namespace

std::optional<QString> IpSayfasiAl(const QString &host, int readMs, int connectMs)
{
    const QUrl url(QStringLiteral("http://") + host + QStringLiteral("/ip.php"));
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    QTcpSocket socket;
    socket.connectToHost(url.host(), quint16(url.port(80)));
    if (!socket.waitForConnected(connectMs))
        return std::nullopt;
    socket.write("GET /ip.php HTTP/1.0\r\nHost: " + url.authority().toUtf8() +
                 "\r\nAccept: text/plain\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState) {
        if (!socket.waitForReadyRead(readMs)) {
            if (socket.state() == QAbstractSocket::ConnectedState)
                return std::nullopt; // read time-out
            break;
        }
        answer += socket.readAll();
        if (answer.size() > 64 * 1024)
            return std::nullopt; // not an address
    }
    answer += socket.readAll();
    return bodyOf(answer);
}

QString DisIpAl(const std::atomic<bool> *stop)
{
    for (;;) {
        if (stop && stop->load())
            return {};
        if (const auto body = IpSayfasiAl(adresler().guncelleme))
            return body->trimmed();
        // Wait a second before the next try, but leave at once when told.
        for (int i = 0; i < 10; ++i) {
            if (stop && stop->load())
                return {};
            QThread::msleep(100);
        }
    }
}

} // namespace kolvar
