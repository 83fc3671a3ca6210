#include "database.h"

#include "schema.h"

#include <QAtomicInteger>
#include <QHash>
#include <QSqlError>
#include <QThread>
#include <QThreadStorage>

#include <atomic>

namespace kolvar::server {

namespace {

std::atomic<Database *> g_instance{nullptr};
QAtomicInteger<quint64> g_nextSerial{1};

// The connections opened by this thread, by database serial. Removed when
// the thread ends, in the thread that opened them.
struct ThreadConnections {
    QHash<quint64, QString> names;
    QHash<quint64, int> txDepth;
    QHash<quint64, bool> txFailed;
    ~ThreadConnections()
    {
        for (const QString &name : std::as_const(names)) {
            {
                QSqlDatabase db = QSqlDatabase::database(name, false);
                if (db.isOpen())
                    db.close();
            }
            QSqlDatabase::removeDatabase(name);
        }
    }
};

// QThreadStorage (rather than thread_local) so that a QThread's connections
// are gone by the time wait() on it returns.
QThreadStorage<ThreadConnections *> g_threadConnections;

ThreadConnections &threadConnections()
{
    if (!g_threadConnections.hasLocalData())
        g_threadConnections.setLocalData(new ThreadConnections);
    return *g_threadConnections.localData();
}

QString connectionName(quint64 serial)
{
    return QStringLiteral("kolvar-%1-%2")
        .arg(serial)
        .arg(reinterpret_cast<quintptr>(QThread::currentThreadId()), 0, 16);
}

} // namespace

Database::Database(const DatabaseUrl &url)
    : m_url(url), m_dialect(url.kind), m_serial(g_nextSerial.fetchAndAddRelaxed(1))
{}

Database::~Database()
{
    closeThreadConnection();
    Database *self = this;
    g_instance.compare_exchange_strong(self, nullptr);
}

Database *Database::instance()
{
    return g_instance.load();
}

void Database::setInstance(Database *db)
{
    g_instance.store(db);
}

QSqlDatabase Database::connection() const
{
    ThreadConnections &mine = threadConnections();
    auto it = mine.names.constFind(m_serial);
    if (it != mine.names.constEnd()) {
        QSqlDatabase db = QSqlDatabase::database(*it, false);
        if (db.isOpen())
            return db;
    }
    const QString name = connectionName(m_serial);
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QLatin1String(m_dialect.qtDriver()), name);
    mine.names.insert(m_serial, name);
    if (m_dialect.isSqlite()) {
        db.setDatabaseName(m_url.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else {
        db.setHostName(m_url.host);
        db.setPort(m_url.port);
        db.setDatabaseName(m_url.database);
        db.setUserName(m_url.user);
        if (!m_url.password.isEmpty())
            db.setPassword(m_url.password);
        db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    }
    if (!db.open())
        throw StorageError(QStringLiteral("cannot open %1: %2").arg(m_url.display(), db.lastError().text()));
    for (const QString &sql : m_dialect.sessionSetup(m_url)) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw StorageError(QStringLiteral("%1: %2").arg(sql, q.lastError().text()));
    }
    return db;
}

void Database::closeThreadConnection() const
{
    ThreadConnections &mine = threadConnections();
    const QString name = mine.names.take(m_serial);
    mine.txDepth.remove(m_serial);
    mine.txFailed.remove(m_serial);
    if (name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

bool Database::migrate() const
{
    return migrateSchema(*this);
}

int Database::schemaVersion() const
{
    return currentSchemaVersion(*this);
}

// ---------------------------------------------------------------- Query

Query::Query(const Database &db, const QString &sql) : m_q(db.connection()), m_sql(sql)
{
    m_q.setForwardOnly(true);
    if (!m_q.prepare(sql))
        throw StorageError(QStringLiteral("prepare failed: %1 [%2]").arg(m_q.lastError().text(), sql));
    m_prepared = true;
}

Query::Query(const Database &db, const QString &sql, std::initializer_list<QVariant> binds) : Query(db, sql)
{
    exec(binds);
}

Query &Query::bind(const QVariant &value)
{
    m_q.bindValue(m_bound++, value);
    return *this;
}

Query &Query::exec()
{
    if (!m_q.exec())
        throw StorageError(QStringLiteral("%1 [%2]").arg(m_q.lastError().text(), m_sql));
    m_bound = 0;
    return *this;
}

Query &Query::exec(std::initializer_list<QVariant> binds)
{
    m_bound = 0;
    for (const QVariant &v : binds)
        bind(v);
    return exec();
}

QVariant Query::scalar(const QVariant &fallback)
{
    QVariant v = fallback;
    if (m_q.isActive() && m_q.isSelect() && m_q.next())
        v = m_q.value(0);
    // Done with the statement: an INSERT ... RETURNING left half-stepped
    // would keep SQLite from committing.
    m_q.finish();
    return v;
}

void execSql(const Database &db, const QString &sql)
{
    QSqlQuery q(db.connection());
    if (!q.exec(sql))
        throw StorageError(QStringLiteral("%1 [%2]").arg(q.lastError().text(), sql));
}

// ---------------------------------------------------------- Transaction

Transaction::Transaction(const Database &db, Mode mode) : m_db(db)
{
    ThreadConnections &mine = threadConnections();
    db.connection();
    const quint64 key = db.serial();
    int &level = mine.txDepth[key];
    if (level == 0) {
        execSql(db, mode == Write ? db.dialect().beginWrite() : db.dialect().beginRead());
        mine.txFailed[key] = false;
    }
    ++level;
    m_open = true;
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    ThreadConnections &mine = threadConnections();
    const quint64 key = m_db.serial();
    int &level = mine.txDepth[key];
    --level;
    if (level > 0) {
        // An inner scope left without commit spoils the outer transaction.
        mine.txFailed[key] = true;
        return;
    }
    try {
        execSql(m_db, QStringLiteral("ROLLBACK"));
    } catch (const StorageError &) {
        // The connection is gone or the transaction was already ended by
        // the server; nothing is left to undo.
    }
}

void Transaction::commit()
{
    if (!m_open)
        throw StorageError(QStringLiteral("commit without a transaction"));
    ThreadConnections &mine = threadConnections();
    const quint64 key = m_db.serial();
    int &level = mine.txDepth[key];
    if (level > 1) {
        --level;
        m_open = false;
        return;
    }
    if (mine.txFailed.value(key))
        throw StorageError(QStringLiteral("transaction aborted by an inner failure"));
    execSql(m_db, QStringLiteral("COMMIT"));
    level = 0;
    m_open = false;
}

} // namespace kolvar::server
