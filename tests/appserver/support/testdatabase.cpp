#include "testdatabase.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>

using kolvar::server::Database;
using kolvar::server::DatabaseUrl;

namespace kolvar::testing {

namespace {
QAtomicInteger<int> g_counter{0};

void dropSchema(const QString &baseUrl, const QString &schema)
{
    const auto url = DatabaseUrl::parse(baseUrl);
    if (!url || schema.isEmpty())
        return;
    try {
        Database admin(*url);
        kolvar::server::execSql(admin, QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
        admin.closeThreadConnection();
    } catch (const kolvar::server::StorageError &e) {
        qWarning("could not drop test schema %s: %s", qPrintable(schema), qPrintable(e.message()));
    }
}
} // namespace

bool postgresRequired()
{
    return qEnvironmentVariableIntValue("KOLVAR_REQUIRE_PG") == 1;
}

void addBackendRows()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

TestDatabase::~TestDatabase()
{
    if (m_db)
        m_db->closeThreadConnection();
    m_db.reset();
    if (!m_schema.isEmpty())
        dropSchema(m_baseUrl, m_schema);
}

std::unique_ptr<TestDatabase> TestDatabase::create(const QString &backend, QString *why, bool migrate)
{
    std::unique_ptr<TestDatabase> t(new TestDatabase);
    t->m_backend = backend;
    if (backend == QLatin1String("sqlite")) {
        t->m_dir = std::make_unique<QTemporaryDir>();
        if (!t->m_dir->isValid()) {
            *why = QStringLiteral("no temporary folder");
            return nullptr;
        }
        t->m_url = QStringLiteral("sqlite:") + t->m_dir->filePath(QStringLiteral("kolvar.db"));
    } else {
        t->m_baseUrl = qEnvironmentVariable("KOLVAR_TEST_PG_URL");
        if (t->m_baseUrl.isEmpty()) {
            *why = QStringLiteral("KOLVAR_TEST_PG_URL is not set");
            return nullptr;
        }
        t->m_schema = QStringLiteral("t%1_%2_%3")
                          .arg(QCoreApplication::applicationPid())
                          .arg(g_counter.fetchAndAddRelaxed(1))
                          .arg(QRandomGenerator::global()->bounded(1000000));
        t->m_url = t->m_baseUrl + QStringLiteral("?schema=") + t->m_schema;
    }
    const auto url = DatabaseUrl::parse(t->m_url, why);
    if (!url)
        return nullptr;
    t->m_db = std::make_unique<Database>(*url);
    try {
        if (migrate)
            t->m_db->migrate();
        else
            t->m_db->connection();
    } catch (const kolvar::server::StorageError &e) {
        *why = e.message();
        return nullptr;
    }
    return t;
}

} // namespace kolvar::testing
