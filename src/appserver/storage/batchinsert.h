#pragma once

#include "database.h"

#include <QStringList>
#include <QVariantList>

#include <memory>

namespace kolvar::server {

// Inserts many rows with few statements: rows are collected and written as
// multi-row INSERTs of up to `rowsPerStatement` rows through one prepared
// statement. Used for bulk loads (demo catalogue); call inside a transaction.
class BatchInsert
{
public:
    BatchInsert(const Database &db, const QString &table, const QStringList &columns,
                int rowsPerStatement = 100);
    ~BatchInsert(); // does not flush: an exception must not write half a batch

    void add(const QVariantList &row); // one value per column
    void flush();
    qint64 written() const { return m_written; }

private:
    QString statement(int rows) const;

    const Database &m_db;
    QString m_table;
    QStringList m_columns;
    int m_rowsPerStatement;
    QVariantList m_pending;
    std::unique_ptr<Query> m_full;
    qint64 m_written = 0;
};

} // namespace kolvar::server
