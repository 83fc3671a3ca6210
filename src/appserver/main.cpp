#include <app/commandline.h>
#include <app/commands.h>
#include <app/logging.h>
#include <app/servecommand.h>
#include <methods/businessmethods.h>
#include <methods/echomethods.h>
#include <methods/methodregistry.h>
#include <storage/database.h>
#include <web/webhost.h>

#include <QCoreApplication>

using namespace kolvar::server;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kolvar-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral("7"));
    installServerLogging();

    CommandLine commands;
    installStorageCommands(commands);
    std::unique_ptr<WebHost> web;
    commands.setHandler(QStringLiteral("serve"), [&web](const QCommandLineParser &parser) {
        return runServe(
            parser, [&web, &parser](ServeSettings &settings, MethodRegistry &registry, QString *error) {
                registerEchoMethods(registry);
                if (!prepareStorageForServing(settings, registry, error, registerBusinessMethods))
                    return false;
                if (settings.webPort == 0)
                    return true; // web pages served elsewhere
                WebHostOptions options;
                options.bindAddress = settings.front.address;
                options.port = settings.webPort;
                options.installerPath = parser.value(QStringLiteral("installer"));
                const QString proxy = parser.value(QStringLiteral("trusted-proxy"));
                if (!proxy.isEmpty() && !options.trustedProxy.setAddress(proxy)) {
                    *error = QStringLiteral("--trusted-proxy expects an IP address, not \"%1\"").arg(proxy);
                    return false;
                }
                web = std::make_unique<WebHost>(*Database::instance(), options, createTestPaymentProvider());
                return web->start(error);
            });
    });
    const int code = commands.exec(QCoreApplication::arguments());
    web.reset(); // before the database goes
    return code;
}
