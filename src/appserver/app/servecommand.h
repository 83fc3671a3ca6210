#pragma once

#include <net/frontoptions.h>

#include <QString>

#include <functional>
#include <optional>

class QCommandLineParser;

namespace kolvar::server {

class MethodRegistry;

struct ServeSettings {
    FrontOptions front;
    QString databaseUrl;
    quint16 webPort = 8080;
};

// Reads the serve options; nullopt and *error on a bad value.
std::optional<ServeSettings> serveSettingsFrom(const QCommandLineParser &parser, QString *error);

// Called once before serving begins: registers method bodies and may set the
// worker hooks (a database connection per worker). Returns false with
// *error to refuse to start.
using ServePreparation = std::function<bool(ServeSettings &, MethodRegistry &, QString *error)>;

// Runs the server until SIGTERM or SIGINT; returns the exit code.
int runServe(const QCommandLineParser &parser, const ServePreparation &prepare);

} // namespace kolvar::server
