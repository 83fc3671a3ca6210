#pragma once

#include <QString>

#include <functional>
#include <memory>

class QCommandLineParser;

namespace kolvar::server {

class CommandLine;
class Database;
class MethodRegistry;
struct ServeSettings;

// The database a command works on: --db, else $KOLVAR_DB, else
// sqlite:kolvar.db in the working directory. Opened and migrated; nullptr
// with *error when that fails.
std::unique_ptr<Database> openCommandDatabase(const QString &url, QString *error);
QString commandDatabaseUrl(const QCommandLineParser &parser);

// Bodies of the storage commands (init, seed-demo, register-machine,
// add-user, set-version, outbox, requests), with the options they read.
void installStorageCommands(CommandLine &commands);

int runInit(const QCommandLineParser &parser);
int runSeedDemo(const QCommandLineParser &parser);
int runRegisterMachine(const QCommandLineParser &parser);
int runAddUser(const QCommandLineParser &parser);
int runSetVersion(const QCommandLineParser &parser);
int runOutbox(const QCommandLineParser &parser);
int runRequests(const QCommandLineParser &parser);

// For "serve": opens and migrates the database, makes it the process-wide
// one, gives every worker its own connection, registers the sign-in
// methods and `registerBusiness`'s bodies and finally the session guard.
// The database stays open until the process ends.
using BusinessRegistration = std::function<void(MethodRegistry &, Database &)>;
bool prepareStorageForServing(ServeSettings &settings, MethodRegistry &registry, QString *error,
                              const BusinessRegistration &registerBusiness);

} // namespace kolvar::server
