#include "batchinsert.h"

namespace kolvar::server {

BatchInsert::BatchInsert(const Database &db, const QString &table, const QStringList &columns,
                         int rowsPerStatement)
    : m_db(db), m_table(table), m_columns(columns), m_rowsPerStatement(qMax(1, rowsPerStatement))
{
    m_pending.reserve(m_columns.size() * m_rowsPerStatement);
}

BatchInsert::~BatchInsert() = default;

QString BatchInsert::statement(int rows) const
{
    QString one = QStringLiteral("(");
    for (int i = 0; i < m_columns.size(); ++i)
        one += i ? QStringLiteral(",?") : QStringLiteral("?");
    one += QLatin1Char(')');
    QStringList all;
    all.reserve(rows);
    for (int r = 0; r < rows; ++r)
        all << one;
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3").arg(m_table, m_columns.join(u','), all.join(u','));
}

void BatchInsert::add(const QVariantList &row)
{
    Q_ASSERT(row.size() == m_columns.size());
    m_pending += row;
    if (m_pending.size() >= m_columns.size() * m_rowsPerStatement)
        flush();
}

void BatchInsert::flush()
{
    const int rows = int(m_pending.size() / m_columns.size());
    if (rows == 0)
        return;
    Query *q = nullptr;
    std::unique_ptr<Query> partial;
    if (rows == m_rowsPerStatement) {
        if (!m_full)
            m_full = std::make_unique<Query>(m_db, statement(rows));
        q = m_full.get();
    } else {
        partial = std::make_unique<Query>(m_db, statement(rows));
        q = partial.get();
    }
    for (const QVariant &v : std::as_const(m_pending))
        q->bind(v);
    q->exec();
    m_written += rows;
    m_pending.clear();
}

} // namespace kolvar::server
