#include "commands.h"

#include "commandline.h"
#include "servecommand.h"

#include <demo/demodata.h>
#include <methods/authmethods.h>
#include <methods/authpassword.h>
#include <methods/methodregistry.h>
#include <methods/session.h>
#include <storage/database.h>

#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTextStream>

namespace kolvar::server {

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

int fail(const QString &command, const QString &message)
{
    QTextStream(stderr) << "kolvar-server " << command << ": " << message << '\n';
    return 1;
}

void addOptionIfMissing(Command *cmd, const QCommandLineOption &option)
{
    if (!cmd)
        return;
    for (const QCommandLineOption &o : std::as_const(cmd->options)) {
        if (o.names().constFirst() == option.names().constFirst())
            return;
    }
    cmd->options.append(option);
}

QString optionOrPositional(const QCommandLineParser &parser, const QString &option, int position)
{
    if (parser.isSet(option))
        return parser.value(option);
    return parser.positionalArguments().value(position);
}

// Runs a command body that works on the database; storage failures become a
// message and exit code 1.
int withDatabase(const QString &command, const QCommandLineParser &parser,
                 const std::function<int(const Database &)> &body)
{
    QString error;
    std::unique_ptr<Database> db = openCommandDatabase(commandDatabaseUrl(parser), &error);
    if (!db)
        return fail(command, error);
    try {
        return body(*db);
    } catch (const StorageError &e) {
        return fail(command, e.message());
    } catch (const MethodError &e) {
        return fail(command, e.message());
    }
}

QString when(qint64 secs)
{
    return secs > 0 ? QDateTime::fromSecsSinceEpoch(secs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                    : QString();
}

// Deliberately never destroyed: method bodies on other threads may use it
// until the process ends, and static destruction order is not ours to pick.
Database *g_servingDatabase = nullptr;

} // namespace

QString commandDatabaseUrl(const QCommandLineParser &parser)
{
    if (parser.isSet(QStringLiteral("db")))
        return parser.value(QStringLiteral("db"));
    const QString env = qEnvironmentVariable("KOLVAR_DB");
    return env.isEmpty() ? QStringLiteral("sqlite:kolvar.db") : env;
}

std::unique_ptr<Database> openCommandDatabase(const QString &url, QString *error)
{
    const std::optional<DatabaseUrl> parsed = DatabaseUrl::parse(url, error);
    if (!parsed)
        return nullptr;
    auto db = std::make_unique<Database>(*parsed);
    try {
        db->migrate();
    } catch (const StorageError &e) {
        if (error)
            *error = e.message();
        return nullptr;
    }
    return db;
}

int runInit(const QCommandLineParser &parser)
{
    return withDatabase(QStringLiteral("init"), parser, [](const Database &db) {
        out() << "schema version " << db.schemaVersion() << " on " << db.url().display() << Qt::endl;
        return 0;
    });
}

int runSeedDemo(const QCommandLineParser &parser)
{
    demo::DemoOptions options;
    if (parser.isSet(QStringLiteral("stocks"))) {
        bool ok = false;
        options.stocks = parser.value(QStringLiteral("stocks")).toInt(&ok);
        if (!ok || options.stocks < 1 || options.stocks > 10'000'000)
            return fail(QStringLiteral("seed-demo"),
                        QStringLiteral("--stocks needs a number from 1 to 10000000"));
    }
    return withDatabase(QStringLiteral("seed-demo"), parser, [&](const Database &db) {
        QElapsedTimer timer;
        timer.start();
        const demo::DemoSummary s = demo::seedDemo(db, options);
        out() << "demo data: " << s.stocks << " stocks (" << s.pictures << " with pictures), " << s.accounts
              << " customer accounts, " << s.users << " users, " << s.orders << " orders in "
              << timer.elapsed() / 1000.0 << " s\n"
              << "users (password " << demo::demoPassword() << "): BAYI (type 0), BAYI3 (3), BAYI4 (4), "
              << "TEMSILCI (1), TEMSILCI2 (2); computers DEMO-<user>\n";
        out().flush();
        return 0;
    });
}

int runRegisterMachine(const QCommandLineParser &parser)
{
    const QString machine = optionOrPositional(parser, QStringLiteral("machine-id"), 0).trimmed();
    const QString user = parser.value(QStringLiteral("user"));
    if (machine.isEmpty() || user.isEmpty())
        return fail(QStringLiteral("register-machine"),
                    QStringLiteral("needs --machine-id ID and --user NAME"));
    return withDatabase(QStringLiteral("register-machine"), parser, [&](const Database &db) {
        Transaction tx(db);
        qint64 sirano = 0;
        qint64 carino = 0;
        int type = 0;
        {
            Query q(db,
                    QStringLiteral(
                        "SELECT sirano, COALESCE(carino, 0), musteri_tipi FROM kullanicilar WHERE adi = ?"),
                    {user});
            if (!q.next())
                return fail(QStringLiteral("register-machine"), QStringLiteral("no user named %1").arg(user));
            sirano = q.value(0).toLongLong();
            carino = q.value(1).toLongLong();
            type = q.value(2).toInt();
        }
        if (parser.isSet(QStringLiteral("account")) &&
            parser.value(QStringLiteral("account")).toLongLong() != carino)
            return fail(QStringLiteral("register-machine"),
                        QStringLiteral("user %1 belongs to account %2").arg(user).arg(carino));
        Query(db,
              QStringLiteral(
                  "INSERT INTO bilgisayarlar (bilgisayarid, kullanici, kayit_zamani) VALUES (?, ?, ?) "
                  "ON CONFLICT (bilgisayarid) DO UPDATE SET kullanici = excluded.kullanici, "
                  "kayit_zamani = excluded.kayit_zamani"),
              {machine, sirano, QDateTime::currentSecsSinceEpoch()});
        tx.commit();
        out() << "CARINO=" << carino << " MusteriTipi=" << type << Qt::endl;
        return 0;
    });
}

int runAddUser(const QCommandLineParser &parser)
{
    const QString command = QStringLiteral("add-user");
    const QString name = optionOrPositional(parser, QStringLiteral("user"), 0).trimmed();
    if (name.isEmpty())
        return fail(command, QStringLiteral("needs --user NAME"));
    QString password = parser.value(QStringLiteral("password"));
    if (!parser.isSet(QStringLiteral("password")))
        password = QTextStream(stdin).readLine();
    if (password.isEmpty())
        return fail(command,
                    QStringLiteral("needs a password (--password PW or one line on standard input)"));
    int type = parser.isSet(QStringLiteral("rep")) ? 1 : 0;
    if (parser.isSet(QStringLiteral("type"))) {
        bool ok = false;
        type = parser.value(QStringLiteral("type")).toInt(&ok);
        if (!ok || type < 0 || type > 4)
            return fail(command, QStringLiteral("--type needs 0 to 4"));
    }
    const bool representative = type == 1 || type == 2;
    qint64 carino = 0;
    if (parser.isSet(QStringLiteral("account"))) {
        bool ok = false;
        carino = parser.value(QStringLiteral("account")).toLongLong(&ok);
        if (!ok || carino <= 0)
            return fail(command, QStringLiteral("--account needs an account number"));
    }
    if (!representative && carino == 0)
        return fail(command, QStringLiteral("a dealer user needs --account CARINO"));
    return withDatabase(command, parser, [&](const Database &db) {
        const QString hash = hashPassword(password);
        Transaction tx(db);
        if (carino > 0 &&
            !Query(db, QStringLiteral("SELECT 1 FROM cariler WHERE carino = ?"), {carino}).next())
            return fail(command, QStringLiteral("no customer account %1").arg(carino));
        if (Query(db, QStringLiteral("SELECT 1 FROM kullanicilar WHERE adi = ?"), {name}).next())
            return fail(command, QStringLiteral("a user named %1 exists already").arg(name));
        QVariant satici(QMetaType(QMetaType::LongLong));
        if (representative) {
            // A representative serves the accounts that name their number.
            satici = Query(db, QStringLiteral("INSERT INTO saticilar (adi) VALUES (?) RETURNING satici_no"),
                           {name})
                         .scalar();
        }
        Query u(db,
                QStringLiteral(
                    "INSERT INTO kullanicilar (adi, sifre_hash, musteri_tipi, carino, satici_no, aktif) "
                    "VALUES (?, ?, ?, ?, ?, 1) RETURNING sirano"),
                {name, hash, type, carino > 0 ? QVariant(carino) : QVariant(QMetaType(QMetaType::LongLong)),
                 satici});
        const qint64 sirano = u.scalar().toLongLong();
        tx.commit();
        out() << "user " << name << " (" << sirano << "), type " << type;
        if (carino > 0)
            out() << ", account " << carino;
        if (representative)
            out() << ", representative number " << satici.toLongLong()
                  << " (customers are served when cariler.satici_no names it)";
        out() << Qt::endl;
        return 0;
    });
}

int runSetVersion(const QCommandLineParser &parser)
{
    bool ok = false;
    const int version = parser.positionalArguments().value(0).toInt(&ok);
    if (!ok || version < 1)
        return fail(QStringLiteral("set-version"),
                    QStringLiteral("needs a version number, e.g. set-version 7"));
    return withDatabase(QStringLiteral("set-version"), parser, [&](const Database &db) {
        Query(db,
              QStringLiteral("INSERT INTO ayarlar (anahtar, deger) VALUES ('version', ?) "
                             "ON CONFLICT (anahtar) DO UPDATE SET deger = excluded.deger"),
              {QString::number(version)});
        out() << "announced version " << version << Qt::endl;
        return 0;
    });
}

int runOutbox(const QCommandLineParser &parser)
{
    if (parser.isSet(QStringLiteral("send")))
        return fail(QStringLiteral("outbox"), QStringLiteral("waiting mail is sent by the running server"));
    return withDatabase(QStringLiteral("outbox"), parser, [](const Database &db) {
        Query q(db, QStringLiteral(
                        "SELECT sirano, olusturma, alici, konu, gonderildi, gonderim, deneme, hata, govde "
                        "FROM mail_kutusu ORDER BY sirano"));
        q.exec();
        int n = 0;
        while (q.next()) {
            ++n;
            out() << '#' << q.value(0).toLongLong() << "  " << when(q.value(1).toLongLong()) << "  to "
                  << q.value(2).toString() << "  ["
                  << (q.value(4).toInt() ? QStringLiteral("sent ") + when(q.value(5).toLongLong())
                                         : QStringLiteral("waiting"))
                  << (q.value(6).toInt() > 0 ? QStringLiteral(", %1 attempts").arg(q.value(6).toInt())
                                             : QString())
                  << "]\n  " << q.value(3).toString() << '\n';
            if (!q.value(7).toString().isEmpty())
                out() << "  last error: " << q.value(7).toString() << '\n';
            for (const QString &line : q.value(8).toString().split(u'\n'))
                out() << "    " << line << '\n';
        }
        out() << n << " mail(s)" << Qt::endl;
        return 0;
    });
}

int runRequests(const QCommandLineParser &parser)
{
    const bool all = parser.isSet(QStringLiteral("all"));
    return withDatabase(QStringLiteral("requests"), parser, [all](const Database &db) {
        Query q(db, QStringLiteral("SELECT sirano, olusturma, bilgisayarid, baslik, konu, firmaadi, yetkili, "
                                   "telefon, mail, kullaniciadi, sehir, ilce, adres1, adres2, vergidairesi, "
                                   "vergino, kargoambar, COALESCE(carino, 0), durum FROM hesap_istekleri ") +
                        (all ? QString() : QStringLiteral("WHERE durum = 0 ")) +
                        QStringLiteral("ORDER BY sirano"));
        q.exec();
        int n = 0;
        while (q.next()) {
            ++n;
            out() << '#' << q.value(0).toLongLong() << "  " << when(q.value(1).toLongLong()) << "  "
                  << q.value(3).toString()
                  << (q.value(4).toString().isEmpty() ? QString()
                                                      : QStringLiteral(" / ") + q.value(4).toString())
                  << (q.value(18).toInt() ? "  [handled]" : "") << '\n'
                  << "  computer " << q.value(2).toString() << ", account " << q.value(17).toLongLong()
                  << ", user name " << q.value(9).toString() << '\n'
                  << "  " << q.value(5).toString() << ", " << q.value(6).toString() << ", "
                  << q.value(7).toString() << ", " << q.value(8).toString() << '\n'
                  << "  " << q.value(12).toString() << ' ' << q.value(13).toString() << ' '
                  << q.value(11).toString() << ' ' << q.value(10).toString() << ", VD "
                  << q.value(14).toString() << ' ' << q.value(15).toString() << ", kargo "
                  << q.value(16).toString() << '\n';
        }
        out() << n << " request(s)" << Qt::endl;
        return 0;
    });
}

void installStorageCommands(CommandLine &commands)
{
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User name (capitals)."),
                                  QStringLiteral("NAME"));
    addOptionIfMissing(commands.find(QStringLiteral("seed-demo")),
                       QCommandLineOption(QStringLiteral("stocks"),
                                          QStringLiteral("Number of stocks (default 1000)."),
                                          QStringLiteral("N"), QStringLiteral("1000")));
    Command *reg = commands.find(QStringLiteral("register-machine"));
    addOptionIfMissing(reg,
                       QCommandLineOption(QStringLiteral("machine-id"),
                                          QStringLiteral("Identifier the client reports for the computer."),
                                          QStringLiteral("ID")));
    addOptionIfMissing(reg, user);
    Command *add = commands.find(QStringLiteral("add-user"));
    addOptionIfMissing(add, user);
    addOptionIfMissing(add,
                       QCommandLineOption(QStringLiteral("password"),
                                          QStringLiteral("Password (else one line from standard input)."),
                                          QStringLiteral("PW")));
    addOptionIfMissing(
        add, QCommandLineOption(QStringLiteral("type"),
                                QStringLiteral("Account type: 0, 3, 4 dealer; 1, 2 representative."),
                                QStringLiteral("N")));
    commands.setHandler(QStringLiteral("init"), runInit);
    commands.setHandler(QStringLiteral("seed-demo"), runSeedDemo);
    commands.setHandler(QStringLiteral("register-machine"), runRegisterMachine);
    commands.setHandler(QStringLiteral("add-user"), runAddUser);
    commands.setHandler(QStringLiteral("set-version"), runSetVersion);
    commands.setHandler(QStringLiteral("outbox"), runOutbox);
    commands.setHandler(QStringLiteral("requests"), runRequests);
}

bool prepareStorageForServing(ServeSettings &settings, MethodRegistry &registry, QString *error,
                              const BusinessRegistration &registerBusiness)
{
    const QString url = settings.databaseUrl.isEmpty() ? (qEnvironmentVariable("KOLVAR_DB").isEmpty()
                                                              ? QStringLiteral("sqlite:kolvar.db")
                                                              : qEnvironmentVariable("KOLVAR_DB"))
                                                       : settings.databaseUrl;
    if (!g_servingDatabase)
        g_servingDatabase = openCommandDatabase(url, error).release();
    if (!g_servingDatabase)
        return false;
    Database *db = g_servingDatabase;
    Database::setInstance(db);
    // The migrating connection belongs to this thread; workers open theirs.
    db->closeThreadConnection();
    settings.front.onWorkerStart = [db] {
        try {
            db->connection();
        } catch (const StorageError &) {
            // Opened again by the first call, which then reports the error.
        }
    };
    settings.front.onWorkerStop = [db] { db->closeThreadConnection(); };
    registerAuthMethods(registry);
    if (registerBusiness)
        registerBusiness(registry, *db);
    installSessionGuard(registry);
    return true;
}

} // namespace kolvar::server
