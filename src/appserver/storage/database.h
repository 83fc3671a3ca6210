#pragma once

#include "databaseurl.h"
#include "dialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <initializer_list>
#include <stdexcept>

namespace kolvar::server {

// A database failure. Method bodies let it escape; the front answers the
// call with an error and logs it.
class StorageError : public std::runtime_error
{
public:
    explicit StorageError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// The server's database: one URL, one dialect, one connection per thread.
//
// connection() answers the calling thread's own connection, opened in that
// thread on first use; a thread that ends closes its connections itself, and
// workers call closeThreadConnection() from their stop hook to do it early.
class Database
{
public:
    explicit Database(const DatabaseUrl &url);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const DatabaseUrl &url() const { return m_url; }
    const Dialect &dialect() const { return m_dialect; }
    quint64 serial() const { return m_serial; } // unique per Database object in this process

    QSqlDatabase connection() const; // throws StorageError when it cannot open
    void closeThreadConnection() const;

    // Creates or migrates the schema; true when something was changed.
    bool migrate() const;
    int schemaVersion() const;

    // The process-wide database the method bodies work on (set by the
    // server at start, by tests in their fixtures).
    static Database *instance();
    static void setInstance(Database *db);

private:
    DatabaseUrl m_url;
    Dialect m_dialect;
    quint64 m_serial;
};

// A prepared statement that throws StorageError on failure, so method bodies
// stay short:
//   Query q(db, "SELECT adi FROM stoklar WHERE stokno = ?", {stokno});
//   while (q.next()) ...
class Query
{
public:
    Query(const Database &db, const QString &sql);
    Query(const Database &db, const QString &sql, std::initializer_list<QVariant> binds);

    Query &bind(const QVariant &value); // next positional '?'
    Query &exec();                      // throws on error
    Query &exec(std::initializer_list<QVariant> binds);

    bool next() { return m_q.next(); }
    QVariant value(int i) const { return m_q.value(i); }
    QVariant value(const QString &name) const { return m_q.value(name); }
    int numRowsAffected() const { return m_q.numRowsAffected(); }
    QSqlQuery &raw() { return m_q; }

    // First column of the first row; `fallback` when there is no row. Ends
    // the statement, so use it for INSERT ... RETURNING.
    QVariant scalar(const QVariant &fallback = {});

private:
    QSqlQuery m_q;
    QString m_sql;
    int m_bound = 0;
    bool m_prepared = false;
};

// Runs one statement without results (DDL, pragmas); throws on error.
void execSql(const Database &db, const QString &sql);

// A transaction on the calling thread's connection, rolled back on
// destruction unless commit() was called. Write transactions take the write
// lock at the start (SQLite), so they never fail half-way on lock upgrade.
class Transaction
{
public:
    enum Mode { Write, Read };
    explicit Transaction(const Database &db, Mode mode = Write);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    const Database &m_db;
    bool m_open = false;
};

} // namespace kolvar::server
