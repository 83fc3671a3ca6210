// Load generator for the application server: N clients, each opening a new
// TCP connection per call as the desktop client does, calling one string
// method and timing the whole round trip (connect, request, response, close).

#include <catalogue/methodcatalogue.h>
#include <wire/frame.h>
#include <wire/message.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

struct ClientStats {
    std::vector<quint32> latenciesUs;
    qint64 errors = 0;
};

bool sendAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool recvAll(int fd, char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// One call on a fresh connection; false on any failure or an error response.
bool oneCall(const sockaddr_in &address, const QByteArray &frame, QByteArray &buffer)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    bool ok = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
              sendAll(fd, frame.constData(), size_t(frame.size()));
    if (ok) {
        unsigned char header[4];
        ok = recvAll(fd, reinterpret_cast<char *>(header), 4);
        if (ok) {
            const quint32 length = quint32(header[0]) << 24 | quint32(header[1]) << 16 |
                                   quint32(header[2]) << 8 | quint32(header[3]);
            buffer.resize(length);
            ok = recvAll(fd, buffer.data(), length) && buffer.contains("\"result\"");
        }
    }
    ::close(fd);
    return ok;
}

qint64 rssKiB(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (pid <= 0 || !status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

quint32 percentile(const std::vector<quint32> &sorted, double p)
{
    if (sorted.empty())
        return 0;
    const size_t index = std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5));
    return sorted[index];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Connection-per-call load on the application server."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("host"), QStringLiteral("Server address."), QStringLiteral("IP"),
         QStringLiteral("127.0.0.1")},
        {QStringLiteral("port"), QStringLiteral("Server port."), QStringLiteral("PORT"),
         QStringLiteral("9090")},
        {QStringLiteral("clients"), QStringLiteral("Concurrent clients."), QStringLiteral("N"),
         QStringLiteral("50")},
        {QStringLiteral("seconds"), QStringLiteral("Duration."), QStringLiteral("S"), QStringLiteral("10")},
        {QStringLiteral("method"), QStringLiteral("EchoString or ReverseString."), QStringLiteral("NAME"),
         QStringLiteral("EchoString")},
        {QStringLiteral("value"), QStringLiteral("The string sent."), QStringLiteral("TEXT"),
         QStringLiteral("Kolvar Otomotiv B2B")},
        {QStringLiteral("server-pid"), QStringLiteral("Report this process's resident memory."),
         QStringLiteral("PID")},
    });
    parser.process(app);

    QTextStream out(stdout);
    const kolvar::MethodDef *method = kolvar::findMethod(parser.value(QStringLiteral("method")));
    if (!method || method->inputCount() != 1 || method->parameters()[0].kind != kolvar::ValueKind::String) {
        QTextStream(stderr) << "--method must name a method with one string parameter\n";
        return 2;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(parser.value(QStringLiteral("port")).toUInt()));
    if (::inet_pton(AF_INET, parser.value(QStringLiteral("host")).toLatin1().constData(),
                    &address.sin_addr) != 1) {
        QTextStream(stderr) << "--host must be an IPv4 address\n";
        return 2;
    }
    const int clients = qMax(1, parser.value(QStringLiteral("clients")).toInt());
    const double seconds = qMax(0.1, parser.value(QStringLiteral("seconds")).toDouble());
    const qint64 serverPid = parser.value(QStringLiteral("server-pid")).toLongLong();
    const QByteArray frame = kolvar::encodeFrame(
        kolvar::encodeRequest(*method, 1, {}, {kolvar::WireValue(parser.value(QStringLiteral("value")))}));

    const qint64 rssStart = rssKiB(serverPid, "VmRSS");
    std::vector<ClientStats> stats(size_t(clients), ClientStats{});
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    const auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            ClientStats &mine = stats[size_t(i)];
            mine.latenciesUs.reserve(1 << 16);
            QByteArray buffer;
            for (auto now = Clock::now(); now < end; now = Clock::now()) {
                const bool ok = oneCall(address, frame, buffer);
                const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - now);
                if (ok)
                    mine.latenciesUs.push_back(quint32(took.count()));
                else
                    ++mine.errors;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const qint64 rssEnd = rssKiB(serverPid, "VmRSS");
    const qint64 rssPeak = rssKiB(serverPid, "VmHWM");

    std::vector<quint32> all;
    qint64 errors = 0;
    for (const ClientStats &s : stats) {
        all.insert(all.end(), s.latenciesUs.begin(), s.latenciesUs.end());
        errors += s.errors;
    }
    std::sort(all.begin(), all.end());
    auto ms = [](quint32 us) { return QString::number(us / 1000.0, 'f', 2); };
    out << "method " << method->name << ", " << clients << " clients, " << QString::number(elapsed, 'f', 1)
        << " s, one connection per call\n";
    out << "calls " << all.size() << " (" << QString::number(double(all.size()) / elapsed, 'f', 0)
        << " calls/s), errors " << errors << '\n';
    out << "latency ms: p50 " << ms(percentile(all, 0.50)) << "  p90 " << ms(percentile(all, 0.90))
        << "  p99 " << ms(percentile(all, 0.99)) << "  max " << ms(all.empty() ? 0 : all.back()) << '\n';
    if (serverPid > 0)
        out << "server RSS KiB: start " << rssStart << "  end " << rssEnd << "  peak " << rssPeak << '\n';
    return errors == 0 ? 0 : 1;
}
