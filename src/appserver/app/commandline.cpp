#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace kolvar::server {

namespace {

int notAvailable(const QString &name)
{
    QTextStream(stderr) << "kolvar-server: the command \"" << name << "\" is not available in this build\n";
    return 2;
}

Command command(const QString &name, const QString &summary, QList<QCommandLineOption> options,
                QStringList positional = {})
{
    Command cmd{name, summary, std::move(options), std::move(positional), {}};
    cmd.run = [name](const QCommandLineParser &) { return notAvailable(name); };
    return cmd;
}

} // namespace

QCommandLineOption databaseOption()
{
    return QCommandLineOption(QStringLiteral("db"),
                              QStringLiteral("Database URL, e.g. postgresql://user@localhost/kolvar or "
                                             "sqlite:///var/lib/kolvar/kolvar.db (default: $KOLVAR_DB)."),
                              QStringLiteral("URL"));
}

CommandLine::CommandLine()
{
    const QCommandLineOption db = databaseOption();
    const QCommandLineOption account(QStringLiteral("account"),
                                     QStringLiteral("Customer account number (CARINO)."),
                                     QStringLiteral("CARINO"));
    m_commands = {
        command(
            QStringLiteral("serve"), QStringLiteral("Run the application server."),
            {
                db,
                {QStringLiteral("port"), QStringLiteral("TCP port for remote calls (default 9090)."),
                 QStringLiteral("PORT"), QStringLiteral("9090")},
                {QStringLiteral("listen"), QStringLiteral("Address to listen on (default: all)."),
                 QStringLiteral("ADDRESS")},
                {QStringLiteral("web-port"),
                 QStringLiteral("TCP port for the web pages (default 8080; 0 = no web pages)."),
                 QStringLiteral("PORT"), QStringLiteral("8080")},
                {QStringLiteral("installer"),
                 QStringLiteral("Installer file served as /exe/KolvarSetup.exe."), QStringLiteral("FILE")},
                {QStringLiteral("trusted-proxy"),
                 QStringLiteral("Reverse proxy whose X-Forwarded-For ip.php believes."),
                 QStringLiteral("ADDRESS")},
                {QStringLiteral("max-frame"),
                 QStringLiteral("Largest request frame in bytes (default 67108864)."),
                 QStringLiteral("BYTES"), QStringLiteral("67108864")},
                {QStringLiteral("idle-timeout"),
                 QStringLiteral(
                     "Close a connection that sends no complete frame for this long (default 60)."),
                 QStringLiteral("SECONDS"), QStringLiteral("60")},
                {QStringLiteral("max-connections"),
                 QStringLiteral("Connections open at once; more are closed at once (default 1000)."),
                 QStringLiteral("N"), QStringLiteral("1000")},
                {QStringLiteral("workers"),
                 QStringLiteral("Threads that run method bodies (default: twice the cores, at least 4)."),
                 QStringLiteral("N")},
                {QStringLiteral("call-delay-ms"),
                 QStringLiteral("Delay every call by this long (for trying clients' time-outs)."),
                 QStringLiteral("MS")},
                {QStringLiteral("io-threads"),
                 QStringLiteral("Threads that read and write connections (default: one per core)."),
                 QStringLiteral("N")},
            }),
        command(QStringLiteral("init"), QStringLiteral("Create or upgrade the database schema."), {db}),
        command(QStringLiteral("seed-demo"), QStringLiteral("Fill the database with demonstration data."),
                {db}),
        command(QStringLiteral("register-machine"),
                QStringLiteral("Register a computer identifier for a customer account."),
                {db,
                 account,
                 {QStringLiteral("user"), QStringLiteral("User name stored for the computer."),
                  QStringLiteral("NAME")}},
                {QStringLiteral("machine-id|Identifier the client reports for the computer.")}),
        command(QStringLiteral("add-user"),
                QStringLiteral("Add a user to a customer account; the password is read from standard input."),
                {db, account, {QStringLiteral("rep"), QStringLiteral("The user is a sales representative.")}},
                {QStringLiteral("name|User name.")}),
        command(QStringLiteral("set-version"),
                QStringLiteral("Set the program version the server announces to clients."), {db},
                {QStringLiteral("version|Version number, e.g. 7.")}),
        command(QStringLiteral("outbox"), QStringLiteral("List or send the mail waiting in the outbox."),
                {db, {QStringLiteral("send"), QStringLiteral("Send waiting mail instead of listing it.")}}),
        command(QStringLiteral("requests"),
                QStringLiteral("List new-user and password-change requests sent from clients."),
                {db, {QStringLiteral("all"), QStringLiteral("Include requests already handled.")}}),
    };
}

void CommandLine::setHandler(const QString &name, std::function<int(const QCommandLineParser &)> run)
{
    Command *cmd = find(name);
    Q_ASSERT_X(cmd, "CommandLine::setHandler", qPrintable(name));
    if (cmd)
        cmd->run = std::move(run);
}

Command *CommandLine::find(const QString &name)
{
    for (Command &cmd : m_commands) {
        if (cmd.name == name)
            return &cmd;
    }
    return nullptr;
}

QString CommandLine::overview() const
{
    QString text = QStringLiteral("Usage: kolvar-server <command> [options]\n\nCommands:\n");
    for (const Command &cmd : m_commands)
        text += QStringLiteral("  %1%2\n").arg(cmd.name.leftJustified(18), cmd.summary);
    text += QStringLiteral("\nkolvar-server <command> --help shows the options of a command.\n");
    return text;
}

int CommandLine::exec(const QStringList &arguments)
{
    const QString first = arguments.value(1);
    if (first.isEmpty() || first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help")) {
        QTextStream(first.isEmpty() ? stderr : stdout) << overview();
        return first.isEmpty() ? 2 : 0;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        QTextStream(stdout) << "kolvar-server " << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    Command *cmd = find(first);
    if (!cmd) {
        QTextStream(stderr) << "kolvar-server: unknown command \"" << first << "\"\n\n" << overview();
        return 2;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(cmd->summary);
    parser.addHelpOption();
    parser.addOptions(cmd->options);
    for (const QString &entry : std::as_const(cmd->positional)) {
        const QString name = entry.section(QLatin1Char('|'), 0, 0);
        parser.addPositionalArgument(name, entry.section(QLatin1Char('|'), 1),
                                     QStringLiteral("<%1>").arg(name));
    }
    QStringList rest = arguments;
    rest.removeAt(1);
    if (!parser.parse(rest)) {
        QTextStream(stderr) << "kolvar-server " << cmd->name << ": " << parser.errorText() << '\n';
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        QString help = parser.helpText();
        const qsizetype lineEnd = help.indexOf(QLatin1Char('\n'));
        QString usage = QStringLiteral("Usage: kolvar-server %1 [options]").arg(cmd->name);
        for (const QString &entry : std::as_const(cmd->positional))
            usage += QStringLiteral(" <%1>").arg(entry.section(QLatin1Char('|'), 0, 0));
        help.replace(0, lineEnd, usage);
        QTextStream(stdout) << help;
        return 0;
    }
    if (parser.positionalArguments().size() > cmd->positional.size()) {
        QTextStream(stderr) << "kolvar-server " << cmd->name << ": unexpected argument \""
                            << parser.positionalArguments().value(cmd->positional.size()) << "\"\n";
        return 2;
    }
    return cmd->run(parser);
}

} // namespace kolvar::server
