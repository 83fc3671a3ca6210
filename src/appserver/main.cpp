#include <app/commandline.h>
#include <app/commands.h>
#include <app/logging.h>
#include <app/servecommand.h>
#include <methods/businessmethods.h>
#include <methods/echomethods.h>
#include <methods/methodregistry.h>

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
    commands.setHandler(QStringLiteral("serve"), [](const QCommandLineParser &parser) {
        return runServe(parser, [](ServeSettings &settings, MethodRegistry &registry, QString *error) {
            registerEchoMethods(registry);
            return prepareStorageForServing(settings, registry, error, registerBusinessMethods);
        });
    });
    return commands.exec(QCoreApplication::arguments());
}
