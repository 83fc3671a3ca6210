#pragma once

// A web host stand-in on 127.0.0.1 for client tests: answers every request
// with the next scripted (status, body) pair, repeating the last one. Runs
// in the test thread's event loop, so blocking client code under test must
// run on another thread.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QTcpServer>
#include <QTcpSocket>

namespace kolvar::test {

class TinyWeb : public QObject
{
public:
    TinyWeb()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    void script(QList<QPair<int, QByteArray>> answers) { m_answers = std::move(answers); }
    int requests() const { return m_requests; }
    QList<QByteArray> paths;
    QList<QByteArray> lastHeaders;

private:
    void serve(QTcpSocket *s)
    {
        QByteArray &in = m_pending[s];
        in += s->readAll();
        if (!in.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> lines = in.left(in.indexOf("\r\n\r\n")).split('\n');
        paths << lines.value(0).split(' ').value(1);
        lastHeaders = lines.mid(1);
        m_pending.remove(s);
        ++m_requests;
        QPair<int, QByteArray> a{200, QByteArray()};
        if (!m_answers.isEmpty())
            a = m_answers.size() > 1 ? m_answers.takeFirst() : m_answers.first();
        s->write("HTTP/1.0 " + QByteArray::number(a.first) + (a.first == 200 ? " OK" : " Error") +
                 "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                 QByteArray::number(a.second.size()) + "\r\nConnection: close\r\n\r\n" + a.second);
        s->disconnectFromHost();
    }

    QTcpServer m_server;
    QList<QPair<int, QByteArray>> m_answers;
    QHash<QTcpSocket *, QByteArray> m_pending;
    int m_requests = 0;
};

} // namespace kolvar::test
