#include "servecommand.h"

#include "stopsignals.h"

#include <methods/methodregistry.h>
#include <net/front.h>
#include <net/frontlog.h>

#include <QCommandLineParser>
#include <QCoreApplication>

namespace kolvar::server {

namespace {

bool readNumber(const QCommandLineParser &parser, const char *name, qint64 min, qint64 max, qint64 *out,
                QString *error)
{
    const QString option = QLatin1StringView(name);
    if (!parser.isSet(option) && parser.value(option).isEmpty())
        return true;
    bool ok = false;
    const qint64 value = parser.value(option).toLongLong(&ok);
    if (!ok || value < min || value > max) {
        *error = QStringLiteral("--%1 expects a whole number from %2 to %3, not \"%4\"")
                     .arg(option)
                     .arg(min)
                     .arg(max)
                     .arg(parser.value(option));
        return false;
    }
    *out = value;
    return true;
}

} // namespace

std::optional<ServeSettings> serveSettingsFrom(const QCommandLineParser &parser, QString *error)
{
    ServeSettings settings;
    FrontOptions &front = settings.front;
    qint64 port = front.port, webPort = settings.webPort, maxFrame = front.maxFrameBytes;
    qint64 idle = front.idleTimeoutMs / 1000, maxConnections = front.maxConnections;
    qint64 workers = 0, ioThreads = 0, callDelay = 0;
    if (!readNumber(parser, "port", 0, 65535, &port, error) ||
        !readNumber(parser, "web-port", 0, 65535, &webPort, error) ||
        !readNumber(parser, "max-frame", 16, qint64(1) << 32, &maxFrame, error) ||
        !readNumber(parser, "idle-timeout", 1, 24 * 3600, &idle, error) ||
        !readNumber(parser, "max-connections", 1, 1'000'000, &maxConnections, error) ||
        !readNumber(parser, "workers", 1, 1024, &workers, error) ||
        !readNumber(parser, "io-threads", 1, 256, &ioThreads, error) ||
        !readNumber(parser, "call-delay-ms", 0, 600'000, &callDelay, error))
        return std::nullopt;
    if (parser.isSet(QStringLiteral("listen"))) {
        if (!front.address.setAddress(parser.value(QStringLiteral("listen")))) {
            *error = QStringLiteral("--listen expects an IP address, not \"%1\"")
                         .arg(parser.value(QStringLiteral("listen")));
            return std::nullopt;
        }
    }
    front.port = quint16(port);
    front.maxFrameBytes = maxFrame;
    front.idleTimeoutMs = int(idle * 1000);
    front.maxConnections = int(maxConnections);
    front.workers = int(workers);
    front.ioThreads = int(ioThreads);
    front.callDelayMs = int(callDelay);
    settings.webPort = quint16(webPort);
    settings.databaseUrl = parser.value(QStringLiteral("db"));
    if (settings.databaseUrl.isEmpty())
        settings.databaseUrl = qEnvironmentVariable("KOLVAR_DB");
    return settings;
}

int runServe(const QCommandLineParser &parser, const ServePreparation &prepare)
{
    QString error;
    std::optional<ServeSettings> settings = serveSettingsFrom(parser, &error);
    if (!settings) {
        qCCritical(lcFront).noquote() << error;
        return 2;
    }
    // Before any thread exists, so every thread inherits the blocked signals.
    StopSignals stopSignals;
    if (!stopSignals.isValid())
        qCWarning(lcFront) << "cannot watch SIGTERM/SIGINT; stop the server with SIGKILL";

    MethodRegistry registry;
    if (prepare && !prepare(*settings, registry, &error)) {
        qCCritical(lcFront).noquote() << "cannot start:" << error;
        return 1;
    }
    Front front(settings->front, registry);
    if (!front.start(&error)) {
        qCCritical(lcFront).noquote() << "cannot listen on port" << settings->front.port << ":" << error;
        return 1;
    }
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &front, [&front](int signalNumber) {
        qCInfo(lcFront) << "signal" << signalNumber << "received";
        front.stop();
    });
    QObject::connect(&front, &Front::stopped, qApp, [] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}

} // namespace kolvar::server
