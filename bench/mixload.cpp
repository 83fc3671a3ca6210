// A realistic mix of dealer calls against a running server, one TCP
// connection per call as the desktop client makes them:
//
//   kolvar-server seed-demo --db sqlite:/tmp/mix.db
//   kolvar-server serve --db sqlite:/tmp/mix.db --port 19292 --web-port 0 &
//   bench_mixload --port 19292 --clients 200 --seconds 120
//
// Each client signs in once as one of the demo dealers (computers
// DEMO-<user>, password 1234), then loops over searches, basket reads and
// adds, previous orders, statements and the ticker. Prints calls per second,
// latency percentiles per method and the number of errors.

#include <platform/connection/dsconnection.h>
#include <server/proxim.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

using namespace kolvar;

namespace {

struct Stats {
    std::mutex lock;
    std::map<std::string, std::vector<double>> latencies;
    std::map<std::string, int> errors;
    std::string firstError;
};

const char *const kQueries[] = {"FREN",     "BALATA", "FILTRE", "YAG",   "AMORTISOR",  "KLV-10",
                                "KLV-1040", "BOSCH",  "EGEA",   "DOBLO", "SU POMPASI", "TRIGER",
                                "BUJI",     "HAVA",   "12",     "MANN"};

void runClient(int index, const QString &host, quint16 port, const QStringList &users, qint64 deadlineMs,
               const QElapsedTimer &clock, Stats &stats)
{
    std::mt19937 random(unsigned(index) * 7919u + 17u);
    const QString user = users.at(index % users.size());
    DSConnection con;
    con.setHostName(host);
    con.setPort(port);
    TSonucBilgisi me;
    std::vector<std::pair<std::string, double>> local;
    std::map<std::string, int> localErrors;
    std::string firstError;

    auto timed = [&](const std::string &name, auto &&call) {
        QElapsedTimer t;
        t.start();
        try {
            con.open();
            TServerMethods1Client proxy(&con);
            call(proxy);
            con.close();
            local.emplace_back(name, double(t.nsecsElapsed()) / 1e6);
            return true;
        } catch (const std::exception &e) {
            con.close();
            ++localErrors[name];
            if (firstError.empty())
                firstError = name + ": " + e.what();
            return false;
        }
    };

    const bool signedIn = timed("GirisDogrula", [&](TServerMethods1Client &p) {
        TSonucBilgisi *r = p.GirisDogrula(QStringLiteral("DEMO-") + user, user, QStringLiteral("1234"));
        if (!r || r->SIFRE().isEmpty())
            throw std::runtime_error("sign-in refused");
        me.Kopyala(*r);
    });
    qint64 stokno = 0;
    QString barkod, stokadi;
    while (signedIn && clock.elapsed() < deadlineMs) {
        const int pick = int(random() % 100);
        auto copy = [&] {
            auto c = std::make_unique<TSonucBilgisi>();
            c->Kopyala(me);
            return c;
        };
        if (pick < 40) {
            const QString text = QString::fromLatin1(kQueries[random() % std::size(kQueries)]);
            timed("StokAraGetir", [&](TServerMethods1Client &p) {
                const Table &t = p.StokAraGetir(text, copy());
                const int col = t.columnIndex(u"STOK_STOKNO");
                if (t.rowCount() > 0 && col >= 0) {
                    const int row = int(random() % unsigned(t.rowCount()));
                    stokno = t.integer(row, col);
                    barkod = t.string(row, t.columnIndex(u"BARKOD"));
                    stokadi = t.string(row, t.columnIndex(u"ADI"));
                }
            });
        } else if (pick < 60) {
            timed("SepetVer2", [&](TServerMethods1Client &p) { p.SepetVer2(me.CARINO()); });
        } else if (pick < 70 && stokno > 0) {
            timed("SepetEkle2", [&](TServerMethods1Client &p) {
                p.SepetEkle2(copy(), me.CARINO(), int(stokno), barkod, stokadi, 1 + double(random() % 3), 20,
                             0, 0, me.Sirano(), 0, 0, 0, 0);
            });
        } else if (pick < 80) {
            timed("OncekiSiparisler", [&](TServerMethods1Client &p) { p.OncekiSiparisler(me.CARINO()); });
        } else if (pick < 90) {
            timed("CariEkstreVer", [&](TServerMethods1Client &p) { p.CariEkstreVer(me.CARINO()); });
        } else {
            timed("KayanYaziGetir", [&](TServerMethods1Client &p) { p.KayanYaziGetir(); });
        }
    }

    std::lock_guard guard(stats.lock);
    for (const auto &[name, ms] : local)
        stats.latencies[name].push_back(ms);
    for (const auto &[name, n] : localErrors)
        stats.errors[name] += n;
    if (stats.firstError.empty())
        stats.firstError = firstError;
}

double percentile(std::vector<double> &v, double p)
{
    if (v.empty())
        return 0;
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size())));
    std::nth_element(v.begin(), v.begin() + long(i), v.end());
    return v[i];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Realistic connection-per-call load on the application server."));
    parser.addHelpOption();
    parser.addOptions(
        {{QStringLiteral("host"), QStringLiteral("Server address."), QStringLiteral("IP"),
          QStringLiteral("127.0.0.1")},
         {QStringLiteral("port"), QStringLiteral("Server port."), QStringLiteral("PORT"),
          QStringLiteral("9090")},
         {QStringLiteral("clients"), QStringLiteral("Concurrent clients."), QStringLiteral("N"),
          QStringLiteral("200")},
         {QStringLiteral("seconds"), QStringLiteral("Duration."), QStringLiteral("S"), QStringLiteral("60")},
         {QStringLiteral("users"), QStringLiteral("Demo dealers to sign in as."), QStringLiteral("LIST"),
          QStringLiteral("BAYI,BAYI3,BAYI4")}});
    parser.process(app);
    const int clients = std::max(1, parser.value(QStringLiteral("clients")).toInt());
    const qint64 seconds = std::max(1, parser.value(QStringLiteral("seconds")).toInt());
    const QString host = parser.value(QStringLiteral("host"));
    const quint16 port = quint16(parser.value(QStringLiteral("port")).toUInt());
    const QStringList users = parser.value(QStringLiteral("users")).split(u',', Qt::SkipEmptyParts);

    Stats stats;
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> threads;
    threads.reserve(size_t(clients));
    for (int i = 0; i < clients; ++i)
        threads.emplace_back(runClient, i, host, port, users, seconds * 1000, std::cref(clock),
                             std::ref(stats));
    for (auto &t : threads)
        t.join();
    const double elapsed = double(clock.elapsed()) / 1000.0;

    size_t total = 0;
    int errors = 0;
    std::printf("%d clients, %.1f s, one connection per call\n", clients, elapsed);
    std::printf("%-18s %8s %8s %8s %8s %8s %6s\n", "method", "calls", "p50 ms", "p90 ms", "p99 ms", "max ms",
                "errors");
    for (auto &[name, v] : stats.latencies) {
        total += v.size();
        const double p50 = percentile(v, 0.50), p90 = percentile(v, 0.90), p99 = percentile(v, 0.99);
        const double mx = v.empty() ? 0 : *std::max_element(v.begin(), v.end());
        std::printf("%-18s %8zu %8.2f %8.2f %8.2f %8.2f %6d\n", name.c_str(), v.size(), p50, p90, p99, mx,
                    stats.errors[name]);
    }
    for (const auto &[name, n] : stats.errors)
        errors += n;
    std::printf("total %zu calls (%.0f calls/s), %d errors\n", total, double(total) / elapsed, errors);
    if (!stats.firstError.empty())
        std::printf("first error: %s\n", stats.firstError.c_str());
    return errors == 0 ? 0 : 1;
}
