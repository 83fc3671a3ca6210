#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSharedDataPointer>
#include <QString>
#include <QVariant>

#include <optional>

namespace kolvar {

class JsonWriter;
class JsonReader;

// Column types of a table on the wire ("string", "int32", ...).
enum class ColumnType { String, Int32, Int64, Double, Bool, Date, DateTime, Blob };

const char *columnTypeName(ColumnType type);
std::optional<ColumnType> columnTypeFromName(QByteArrayView name);

struct ColumnDef {
    QString name;
    ColumnType type = ColumnType::String;
    int size = 0; // maximum length of a string column; 0 = not given

    friend bool operator==(const ColumnDef &, const ColumnDef &) = default;
};

class TablePrivate;

// A data packet or reader: typed, named columns and rows of values.
//
// Storage is columnar (one contiguous array per column, strings in one
// UTF-16 arena per column), so a table of a hundred thousand rows costs a few
// allocations per column instead of one per cell. Implicitly shared: copies
// are cheap until one side writes.
class Table
{
public:
    Table();
    explicit Table(QList<ColumnDef> columns);
    Table(const Table &);
    Table(Table &&) noexcept;
    Table &operator=(const Table &);
    Table &operator=(Table &&) noexcept;
    ~Table();

    int columnCount() const;
    int rowCount() const;
    const ColumnDef &column(int col) const;
    const QList<ColumnDef> &columns() const;
    int columnIndex(QStringView name) const; // -1 when missing; case-insensitive like a dataset

    void reserve(int rows);
    int appendRow(); // a row of nulls; returns its index
    void removeRow(int row);
    void clear(); // keeps the columns, drops the rows

    bool isNull(int row, int col) const;
    void setNull(int row, int col);

    // Typed access. Getters on a null cell answer 0, "", invalid date.
    QString string(int row, int col) const;
    QStringView stringView(int row, int col) const; // valid until the table changes
    qint64 integer(int row, int col) const;         // Int32, Int64, Bool (0/1)
    double real(int row, int col) const;            // Double; integers converted
    bool boolean(int row, int col) const;
    QDate date(int row, int col) const;
    QDateTime dateTime(int row, int col) const;
    QByteArray blob(int row, int col) const;

    void setString(int row, int col, QStringView value);
    void setInteger(int row, int col, qint64 value);
    void setReal(int row, int col, double value);
    void setBoolean(int row, int col, bool value);
    void setDate(int row, int col, QDate value);
    void setDateTime(int row, int col, const QDateTime &value);
    void setBlob(int row, int col, QByteArrayView value);

    // Converting access for callers that do not care about the type.
    QVariant value(int row, int col) const; // null -> invalid QVariant
    void setValue(int row, int col, const QVariant &value);

    // The wire form: {"columns": [...], "rows": [[...], ...]}.
    QByteArray toJson() const;
    void writeJson(JsonWriter &out) const;
    static std::optional<Table> readJson(JsonReader &in, QString *error);
    static std::optional<Table> fromJson(QByteArrayView json, QString *error = nullptr);

    friend bool operator==(const Table &a, const Table &b);

private:
    QSharedDataPointer<TablePrivate> d;
};

} // namespace kolvar
