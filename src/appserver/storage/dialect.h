#pragma once

#include "databaseurl.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

class QSqlDatabase;

namespace kolvar::server {

// Everything that differs between SQLite and PostgreSQL. Method bodies and
// the schema use plain SQL that both understand (LIMIT, ON CONFLICT ...
// DO UPDATE, RETURNING, integers 0/1 for flags, ISO texts for dates) and ask
// this class for the rest.
class Dialect
{
public:
    explicit Dialect(DatabaseUrl::Kind kind) : m_kind(kind) {}

    DatabaseUrl::Kind kind() const { return m_kind; }
    bool isSqlite() const { return m_kind == DatabaseUrl::Kind::Sqlite; }
    bool isPostgres() const { return m_kind == DatabaseUrl::Kind::Postgres; }

    const char *qtDriver() const;

    // Schema text with placeholders: {ID} an auto-numbered integer primary
    // key, {BLOB} a byte column, {REAL} a double column.
    QString ddl(QString text) const;

    // Statements run on every new connection (pragmas, search_path).
    QStringList sessionSetup(const DatabaseUrl &url) const;

    // "BEGIN IMMEDIATE" on SQLite so that a writer takes the lock at the
    // start instead of failing on upgrade; plain BEGIN elsewhere.
    QString beginWrite() const;
    QString beginRead() const;

    // Row lock for read-then-write inside a transaction (" FOR UPDATE" or "").
    QString forUpdate() const;

    // Full-text / n-gram index over stoklar.ara, created by the schema.
    QStringList searchIndexDdl() const;
    // A condition that is true when stoklar.ara contains `placeholder`
    // (a bound, already normalised text of at least three characters).
    // SQLite answers through the FTS5 trigram table, PostgreSQL through
    // the pg_trgm index.
    QString searchContains(const QString &placeholder) const;
    // Stock numbers whose stoklar.ara contains every term (normalised, at
    // least three characters each), at most as many as the last bound
    // value: a query that stops at the limit instead of collecting every
    // match first. Bind searchTermsBinds(terms) and then the limit.
    QString searchCandidatesSql(int termCount) const;
    QVariantList searchTermsBinds(const QStringList &terms) const;

    // Case-insensitive LIKE for free texts that are not pre-normalised.
    QString ilike() const;

    // Check that the database file/catalogue is consistent; empty = fine.
    QString integrityCheckSql() const;

    // After rows were inserted with explicit keys, moves PostgreSQL's
    // identity sequence past them (nothing on SQLite).
    QString syncIdentity(const QString &table, const QString &column) const;

private:
    DatabaseUrl::Kind m_kind;
};

} // namespace kolvar::server
