#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kolvar::server {

// One sub-command of kolvar-server ("serve", "init", ...): its options and
// what it does once they are parsed.
struct Command {
    QString name;
    QString summary;
    QList<QCommandLineOption> options;
    QStringList positional; // "name|description" entries shown by --help
    std::function<int(const QCommandLineParser &)> run;
};

class CommandLine
{
public:
    CommandLine();

    // Replaces what a command does; its options stay.
    void setHandler(const QString &name, std::function<int(const QCommandLineParser &)> run);
    Command *find(const QString &name);
    const QList<Command> &commands() const { return m_commands; }

    // Parses the process arguments and runs the chosen command; returns the
    // process exit code.
    int exec(const QStringList &arguments);

    QString overview() const;

private:
    QList<Command> m_commands;
};

// The database URL every storage command takes (--db).
QCommandLineOption databaseOption();

} // namespace kolvar::server
