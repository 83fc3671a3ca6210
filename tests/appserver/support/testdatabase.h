#pragma once

#include <storage/database.h>

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace kolvar::testing {

// A fresh, migrated database for one test: a SQLite file in a temporary
// folder, or a uniquely named schema in the PostgreSQL database of
// $KOLVAR_TEST_PG_URL (dropped again on destruction).
class TestDatabase
{
public:
    ~TestDatabase();

    // backend: "sqlite" or "postgresql". nullptr with *why when the backend
    // is not available (PostgreSQL without $KOLVAR_TEST_PG_URL) or fails.
    static std::unique_ptr<TestDatabase> create(const QString &backend, QString *why, bool migrate = true);

    kolvar::server::Database &db() { return *m_db; }
    QString url() const { return m_url; } // for --db of a server process
    QString backend() const { return m_backend; }

private:
    TestDatabase() = default;
    QString m_backend;
    QString m_url;
    QString m_schema;
    QString m_baseUrl;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kolvar::server::Database> m_db;
};

// True when CI demands PostgreSQL (KOLVAR_REQUIRE_PG=1).
bool postgresRequired();

// Adds the rows "sqlite" and "postgresql" with a QString column "backend".
void addBackendRows();

} // namespace kolvar::testing

// Opens a TestDatabase for `backend` into `var`; skips the test when the
// backend is missing, unless PostgreSQL is required, then it fails.
#define KOLVAR_TEST_DATABASE(var, backend)                                                                   \
    std::unique_ptr<kolvar::testing::TestDatabase> var;                                                      \
    do {                                                                                                     \
        QString why_;                                                                                        \
        var = kolvar::testing::TestDatabase::create(backend, &why_);                                         \
        if (!var) {                                                                                          \
            if (backend == QLatin1String("sqlite") || kolvar::testing::postgresRequired())                   \
                QFAIL(qPrintable(why_));                                                                     \
            QSKIP(qPrintable(why_));                                                                         \
        }                                                                                                    \
    } while (0)
