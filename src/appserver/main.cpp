#include <app/commandline.h>
#include <app/logging.h>
#include <app/servecommand.h>
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
    commands.setHandler(QStringLiteral("serve"), [](const QCommandLineParser &parser) {
        return runServe(parser, [](ServeSettings &, MethodRegistry &registry, QString *) {
            registerEchoMethods(registry);
            return true;
        });
    });
    return commands.exec(QCoreApplication::arguments());
}
