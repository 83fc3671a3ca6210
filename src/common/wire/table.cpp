#include "table.h"

#include "jsonreader.h"
#include "jsonwriter.h"
#include "table_p.h"

#include <QTimeZone>

#include <algorithm>
#include <cstring>
#include <limits>

namespace kolvar {

namespace {

constexpr qint64 kMsPerDay = 86400000;
const qint64 kEpochJulianDay = QDate(1970, 1, 1).toJulianDay();

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Writes "YYYY-MM-DD" into out (10 chars); false when the year has no such form.
bool formatDate(qint64 julianDay, char *out)
{
    const QDate date = QDate::fromJulianDay(julianDay);
    if (!date.isValid() || date.year() < 0 || date.year() > 9999)
        return false;
    int y = date.year();
    const int m = date.month();
    const int d = date.day();
    out[0] = char('0' + y / 1000);
    out[1] = char('0' + y / 100 % 10);
    out[2] = char('0' + y / 10 % 10);
    out[3] = char('0' + y % 10);
    out[4] = '-';
    out[5] = char('0' + m / 10);
    out[6] = char('0' + m % 10);
    out[7] = '-';
    out[8] = char('0' + d / 10);
    out[9] = char('0' + d % 10);
    return true;
}

int digits(const char *p, int count)
{
    int v = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

std::optional<qint64> parseDate(QByteArrayView s)
{
    if (s.size() != 10 || s[4] != '-' || s[7] != '-')
        return std::nullopt;
    const int y = digits(s.data(), 4), m = digits(s.data() + 5, 2), d = digits(s.data() + 8, 2);
    if (y < 0 || m < 0 || d < 0)
        return std::nullopt;
    const QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date.toJulianDay();
}

// "YYYY-MM-DDTHH:MM:SS", optionally with ".mmm" (read, never written).
std::optional<qint64> parseDateTime(QByteArrayView s)
{
    if (s.size() < 19 || s[10] != 'T' || s[13] != ':' || s[16] != ':')
        return std::nullopt;
    const auto day = parseDate(s.first(10));
    if (!day)
        return std::nullopt;
    const int h = digits(s.data() + 11, 2), mi = digits(s.data() + 14, 2), sec = digits(s.data() + 17, 2);
    if (h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 || sec > 59)
        return std::nullopt;
    int ms = 0;
    if (s.size() > 19) {
        if (s[19] != '.' || s.size() > 23 || s.size() == 20)
            return std::nullopt;
        const int n = int(s.size() - 20);
        ms = digits(s.data() + 20, n);
        if (ms < 0)
            return std::nullopt;
        for (int i = n; i < 3; ++i)
            ms *= 10;
    }
    return (*day - kEpochJulianDay) * kMsPerDay + ((h * 60 + mi) * 60 + sec) * 1000 + ms;
}

bool formatDateTime(qint64 ms, char *out)
{
    const qint64 day = floorDiv(ms, kMsPerDay);
    if (!formatDate(kEpochJulianDay + day, out))
        return false;
    const qint64 secs = (ms - day * kMsPerDay) / 1000;
    const int h = int(secs / 3600), mi = int(secs / 60 % 60), s = int(secs % 60);
    out[10] = 'T';
    out[11] = char('0' + h / 10);
    out[12] = char('0' + h % 10);
    out[13] = ':';
    out[14] = char('0' + mi / 10);
    out[15] = char('0' + mi % 10);
    out[16] = ':';
    out[17] = char('0' + s / 10);
    out[18] = char('0' + s % 10);
    return true;
}

qint64 wallClockMs(const QDateTime &value)
{
    const QDate date = value.date();
    const QTime time = value.time();
    return (date.toJulianDay() - kEpochJulianDay) * kMsPerDay + time.msecsSinceStartOfDay();
}

} // namespace

// ---------------------------------------------------------------- names

const char *columnTypeName(ColumnType type)
{
    switch (type) {
    case ColumnType::String: return "string";
    case ColumnType::Int32: return "int32";
    case ColumnType::Int64: return "int64";
    case ColumnType::Double: return "double";
    case ColumnType::Bool: return "bool";
    case ColumnType::Date: return "date";
    case ColumnType::DateTime: return "datetime";
    case ColumnType::Blob: return "blob";
    }
    return "?";
}

std::optional<ColumnType> columnTypeFromName(QByteArrayView name)
{
    static const ColumnType all[] = {ColumnType::String,   ColumnType::Int32, ColumnType::Int64,
                                     ColumnType::Double,   ColumnType::Bool,  ColumnType::Date,
                                     ColumnType::DateTime, ColumnType::Blob};
    for (ColumnType t : all) {
        if (name == QByteArrayView(columnTypeName(t)))
            return t;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- private

void TablePrivate::setColumns(QList<ColumnDef> defs)
{
    columns = std::move(defs);
    data.assign(columns.size(), ColumnData());
    for (qsizetype i = 0; i < columns.size(); ++i)
        data[i].storage = storageOf(columns[i].type);
    rows = 0;
}

void TablePrivate::reserve(int rowCount)
{
    for (ColumnData &c : data) {
        c.nulls.reserve((rowCount + 63) / 64);
        switch (c.storage) {
        case ColumnStorage::Integer: c.integers.reserve(rowCount); break;
        case ColumnStorage::Real: c.reals.reserve(rowCount); break;
        case ColumnStorage::Text:
        case ColumnStorage::Bytes:
            c.offsets.reserve(rowCount);
            c.lengths.reserve(rowCount);
            break;
        }
    }
}

void TablePrivate::appendNullRow()
{
    const int row = rows++;
    for (ColumnData &c : data) {
        if ((row & 63) == 0)
            c.nulls.push_back(0);
        setNullBit(c, row, true);
        switch (c.storage) {
        case ColumnStorage::Integer: c.integers.push_back(0); break;
        case ColumnStorage::Real: c.reals.push_back(0); break;
        case ColumnStorage::Text:
        case ColumnStorage::Bytes:
            c.offsets.push_back(0);
            c.lengths.push_back(0);
            break;
        }
    }
}

// ---------------------------------------------------------------- Table

Table::Table() : d(new TablePrivate) {}

Table::Table(QList<ColumnDef> columns) : d(new TablePrivate)
{
    d->setColumns(std::move(columns));
}

Table::Table(const Table &) = default;
Table::Table(Table &&) noexcept = default;
Table &Table::operator=(const Table &) = default;
Table &Table::operator=(Table &&) noexcept = default;
Table::~Table() = default;

int Table::columnCount() const
{
    return int(d->columns.size());
}
int Table::rowCount() const
{
    return d->rows;
}
const ColumnDef &Table::column(int col) const
{
    return d->columns.at(col);
}
const QList<ColumnDef> &Table::columns() const
{
    return d->columns;
}

int Table::columnIndex(QStringView name) const
{
    for (qsizetype i = 0; i < d->columns.size(); ++i) {
        if (name.compare(d->columns[i].name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void Table::reserve(int rows)
{
    d->reserve(rows);
}

int Table::appendRow()
{
    d->appendNullRow();
    return d->rows - 1;
}

void Table::removeRow(int row)
{
    Q_ASSERT(row >= 0 && row < d->rows);
    const int last = d->rows - 1;
    for (ColumnData &c : d->data) {
        for (int r = row; r < last; ++r)
            TablePrivate::setNullBit(c, r, TablePrivate::nullBit(c, r + 1));
        if ((last & 63) == 0)
            c.nulls.pop_back();
        switch (c.storage) {
        case ColumnStorage::Integer: c.integers.erase(c.integers.begin() + row); break;
        case ColumnStorage::Real: c.reals.erase(c.reals.begin() + row); break;
        case ColumnStorage::Text:
        case ColumnStorage::Bytes:
            c.offsets.erase(c.offsets.begin() + row);
            c.lengths.erase(c.lengths.begin() + row);
            break;
        }
    }
    d->rows = last;
}

void Table::clear()
{
    d->setColumns(d->columns);
}

bool Table::isNull(int row, int col) const
{
    Q_ASSERT(row >= 0 && row < d->rows);
    return TablePrivate::nullBit(d->data[col], row);
}

void Table::setNull(int row, int col)
{
    Q_ASSERT(row >= 0 && row < d->rows);
    ColumnData &c = d->data[col];
    TablePrivate::setNullBit(c, row, true);
    switch (c.storage) {
    case ColumnStorage::Integer: c.integers[row] = 0; break;
    case ColumnStorage::Real: c.reals[row] = 0; break;
    case ColumnStorage::Text:
    case ColumnStorage::Bytes: c.lengths[row] = 0; break;
    }
}

QString Table::string(int row, int col) const
{
    const ColumnData &c = d->data[col];
    if (c.storage == ColumnStorage::Text)
        return stringView(row, col).toString();
    const QVariant v = value(row, col);
    return v.isValid() ? v.toString() : QString();
}

QStringView Table::stringView(int row, int col) const
{
    const ColumnData &c = d->data[col];
    if (c.storage != ColumnStorage::Text || TablePrivate::nullBit(c, row))
        return {};
    return QStringView(c.text.data() + c.offsets[row], c.lengths[row]);
}

qint64 Table::integer(int row, int col) const
{
    const ColumnData &c = d->data[col];
    if (TablePrivate::nullBit(c, row))
        return 0;
    switch (c.storage) {
    case ColumnStorage::Integer: return c.integers[row];
    case ColumnStorage::Real: return qRound64(c.reals[row]);
    case ColumnStorage::Text: return stringView(row, col).toLongLong();
    case ColumnStorage::Bytes: break;
    }
    return 0;
}

double Table::real(int row, int col) const
{
    const ColumnData &c = d->data[col];
    if (TablePrivate::nullBit(c, row))
        return 0;
    switch (c.storage) {
    case ColumnStorage::Integer: return double(c.integers[row]);
    case ColumnStorage::Real: return c.reals[row];
    case ColumnStorage::Text: return stringView(row, col).toDouble();
    case ColumnStorage::Bytes: break;
    }
    return 0;
}

bool Table::boolean(int row, int col) const
{
    return integer(row, col) != 0;
}

QDate Table::date(int row, int col) const
{
    const ColumnData &c = d->data[col];
    if (TablePrivate::nullBit(c, row) || c.storage != ColumnStorage::Integer)
        return {};
    const qint64 v = c.integers[row];
    switch (d->columns[col].type) {
    case ColumnType::Date: return QDate::fromJulianDay(v);
    case ColumnType::DateTime: return QDate::fromJulianDay(kEpochJulianDay + floorDiv(v, kMsPerDay));
    default: return {};
    }
}

QDateTime Table::dateTime(int row, int col) const
{
    const ColumnData &c = d->data[col];
    if (TablePrivate::nullBit(c, row) || c.storage != ColumnStorage::Integer)
        return {};
    const qint64 v = c.integers[row];
    switch (d->columns[col].type) {
    case ColumnType::Date: return QDateTime(QDate::fromJulianDay(v), QTime(0, 0));
    case ColumnType::DateTime: {
        const qint64 day = floorDiv(v, kMsPerDay);
        return QDateTime(QDate::fromJulianDay(kEpochJulianDay + day),
                         QTime::fromMSecsSinceStartOfDay(int(v - day * kMsPerDay)));
    }
    default: return {};
    }
}

QByteArray Table::blob(int row, int col) const
{
    const ColumnData &c = d->data[col];
    if (TablePrivate::nullBit(c, row))
        return {};
    if (c.storage == ColumnStorage::Bytes)
        return c.bytes.mid(c.offsets[row], c.lengths[row]);
    if (c.storage == ColumnStorage::Text)
        return stringView(row, col).toUtf8();
    return {};
}

namespace {

void storeText(ColumnData &c, int row, QStringView value)
{
    const auto from = value.utf16();
    // The value may point into this very arena; remember it as an offset.
    const bool inside = !c.text.empty() && from >= c.text.data() && from < c.text.data() + c.text.size();
    const qsizetype start = inside ? from - c.text.data() : 0;
    const qsizetype at = qsizetype(c.text.size());
    c.text.resize(at + value.size());
    if (inside)
        std::copy_n(c.text.begin() + start, value.size(), c.text.begin() + at);
    else
        std::copy_n(from, value.size(), c.text.begin() + at);
    c.offsets[row] = at;
    c.lengths[row] = value.size();
}

void storeBytes(ColumnData &c, int row, QByteArrayView value)
{
    const qsizetype at = c.bytes.size();
    c.bytes.append(value);
    c.offsets[row] = at;
    c.lengths[row] = value.size();
}

} // namespace

void Table::setString(int row, int col, QStringView value)
{
    Q_ASSERT(row >= 0 && row < d->rows);
    ColumnData &c = d->data[col];
    switch (c.storage) {
    case ColumnStorage::Text: storeText(c, row, value); break;
    case ColumnStorage::Bytes: storeBytes(c, row, value.toUtf8()); break;
    default: setValue(row, col, value.toString()); return;
    }
    TablePrivate::setNullBit(c, row, false);
}

void Table::setInteger(int row, int col, qint64 value)
{
    Q_ASSERT(row >= 0 && row < d->rows);
    ColumnData &c = d->data[col];
    switch (c.storage) {
    case ColumnStorage::Integer:
        c.integers[row] = d->columns[col].type == ColumnType::Bool ? (value != 0) : value;
        break;
    case ColumnStorage::Real: c.reals[row] = double(value); break;
    case ColumnStorage::Text: storeText(c, row, QString::number(value)); break;
    case ColumnStorage::Bytes: storeBytes(c, row, QByteArray::number(value)); break;
    }
    TablePrivate::setNullBit(c, row, false);
}

void Table::setReal(int row, int col, double value)
{
    Q_ASSERT(row >= 0 && row < d->rows);
    ColumnData &c = d->data[col];
    switch (c.storage) {
    case ColumnStorage::Integer: setInteger(row, col, qRound64(value)); return;
    case ColumnStorage::Real: c.reals[row] = value; break;
    case ColumnStorage::Text: storeText(c, row, QString::number(value, 'g', 17)); break;
    case ColumnStorage::Bytes: storeBytes(c, row, QByteArray::number(value, 'g', 17)); break;
    }
    TablePrivate::setNullBit(c, row, false);
}

void Table::setBoolean(int row, int col, bool value)
{
    setInteger(row, col, value ? 1 : 0);
}

void Table::setDate(int row, int col, QDate value)
{
    if (!value.isValid()) {
        setNull(row, col);
        return;
    }
    switch (d->columns[col].type) {
    case ColumnType::Date: setInteger(row, col, value.toJulianDay()); return;
    case ColumnType::DateTime:
        setInteger(row, col, (value.toJulianDay() - kEpochJulianDay) * kMsPerDay);
        return;
    default: setValue(row, col, value); return;
    }
}

void Table::setDateTime(int row, int col, const QDateTime &value)
{
    if (!value.isValid()) {
        setNull(row, col);
        return;
    }
    switch (d->columns[col].type) {
    case ColumnType::Date: setInteger(row, col, value.date().toJulianDay()); return;
    case ColumnType::DateTime: setInteger(row, col, wallClockMs(value)); return;
    default: setValue(row, col, value); return;
    }
}

void Table::setBlob(int row, int col, QByteArrayView value)
{
    Q_ASSERT(row >= 0 && row < d->rows);
    ColumnData &c = d->data[col];
    if (c.storage == ColumnStorage::Bytes) {
        storeBytes(c, row, value);
        TablePrivate::setNullBit(c, row, false);
    } else if (c.storage == ColumnStorage::Text) {
        setString(row, col, QString::fromUtf8(value));
    } else {
        setValue(row, col, QByteArray(value.data(), value.size()));
    }
}

QVariant Table::value(int row, int col) const
{
    if (isNull(row, col))
        return {};
    switch (d->columns[col].type) {
    case ColumnType::String: return stringView(row, col).toString();
    case ColumnType::Int32: return int(integer(row, col));
    case ColumnType::Int64: return integer(row, col);
    case ColumnType::Double: return real(row, col);
    case ColumnType::Bool: return boolean(row, col);
    case ColumnType::Date: return date(row, col);
    case ColumnType::DateTime: return dateTime(row, col);
    case ColumnType::Blob: return blob(row, col);
    }
    return {};
}

void Table::setValue(int row, int col, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        setNull(row, col);
        return;
    }
    switch (d->columns[col].type) {
    case ColumnType::String: setString(row, col, value.toString()); return;
    case ColumnType::Int32:
    case ColumnType::Int64: {
        bool ok = false;
        const qint64 v = value.toLongLong(&ok);
        if (ok)
            setInteger(row, col, v);
        else
            setNull(row, col);
        return;
    }
    case ColumnType::Double: {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (ok)
            setReal(row, col, v);
        else
            setNull(row, col);
        return;
    }
    case ColumnType::Bool: setBoolean(row, col, value.toBool()); return;
    case ColumnType::Date:
        if (value.metaType().id() == QMetaType::QDateTime)
            setDate(row, col, value.toDateTime().date());
        else
            setDate(row, col, value.toDate());
        return;
    case ColumnType::DateTime:
        if (value.metaType().id() == QMetaType::QDate)
            setDate(row, col, value.toDate());
        else
            setDateTime(row, col, value.toDateTime());
        return;
    case ColumnType::Blob: setBlob(row, col, value.toByteArray()); return;
    }
}

// ---------------------------------------------------------------- JSON

void Table::writeJson(JsonWriter &out) const
{
    out.beginObject();
    out.key(QLatin1StringView("columns"));
    out.beginArray();
    for (const ColumnDef &c : d->columns) {
        out.beginObject();
        out.key(QLatin1StringView("name"));
        out.value(QStringView(c.name));
        out.key(QLatin1StringView("type"));
        out.value(QLatin1StringView(columnTypeName(c.type)));
        if (c.size > 0) {
            out.key(QLatin1StringView("size"));
            out.value(c.size);
        }
        out.endObject();
    }
    out.endArray();
    out.key(QLatin1StringView("rows"));
    out.beginArray();
    const int cols = columnCount();
    char buf[24];
    for (int r = 0; r < d->rows; ++r) {
        out.beginArray();
        for (int col = 0; col < cols; ++col) {
            const ColumnData &c = d->data[col];
            if (TablePrivate::nullBit(c, r)) {
                out.null();
                continue;
            }
            switch (d->columns[col].type) {
            case ColumnType::String:
                out.value(QStringView(c.text.data() + c.offsets[r], c.lengths[r]));
                break;
            case ColumnType::Int32:
            case ColumnType::Int64: out.value(c.integers[r]); break;
            case ColumnType::Double: out.value(c.reals[r]); break;
            case ColumnType::Bool: out.value(c.integers[r] != 0); break;
            case ColumnType::Date:
                if (formatDate(c.integers[r], buf))
                    out.value(QLatin1StringView(buf, 10));
                else
                    out.null();
                break;
            case ColumnType::DateTime:
                if (formatDateTime(c.integers[r], buf))
                    out.value(QLatin1StringView(buf, 19));
                else
                    out.null();
                break;
            case ColumnType::Blob:
                out.base64(QByteArrayView(c.bytes).sliced(c.offsets[r], c.lengths[r]));
                break;
            }
        }
        out.endArray();
    }
    out.endArray();
    out.endObject();
}

QByteArray Table::toJson() const
{
    JsonWriter w;
    writeJson(w);
    return w.take();
}

namespace {

using Token = JsonReader::Token;

bool readColumns(JsonReader &in, QList<ColumnDef> &columns)
{
    if (in.next() != Token::BeginArray) {
        in.setError(QStringLiteral("\"columns\" must be an array"));
        return false;
    }
    for (;;) {
        Token t = in.next();
        if (t == Token::EndArray)
            return true;
        if (t != Token::BeginObject) {
            in.setError(QStringLiteral("a column must be an object"));
            return false;
        }
        ColumnDef def;
        bool haveName = false, haveType = false;
        while ((t = in.next()) == Token::Key) {
            if (in.stringEquals(QLatin1StringView("name"))) {
                if (in.next() != Token::String) {
                    in.setError(QStringLiteral("a column name must be a string"));
                    return false;
                }
                def.name = in.string();
                haveName = true;
            } else if (in.stringEquals(QLatin1StringView("type"))) {
                if (in.next() != Token::String) {
                    in.setError(QStringLiteral("a column type must be a string"));
                    return false;
                }
                const auto type = columnTypeFromName(in.rawString());
                if (!type || in.stringHasEscapes()) {
                    in.setError(QStringLiteral("unknown column type \"%1\"").arg(in.string()));
                    return false;
                }
                def.type = *type;
                haveType = true;
            } else if (in.stringEquals(QLatin1StringView("size"))) {
                if (in.next() != Token::Integer || in.integer() < 0 ||
                    in.integer() > std::numeric_limits<int>::max()) {
                    in.setError(QStringLiteral("a column size must be a non-negative integer"));
                    return false;
                }
                def.size = int(in.integer());
            } else if (!in.skipValue()) {
                return false;
            }
        }
        if (t != Token::EndObject)
            return false;
        if (!haveName || !haveType) {
            in.setError(QStringLiteral("a column needs a name and a type"));
            return false;
        }
        columns.append(std::move(def));
    }
}

// Decodes the rows straight into the column storage: numbers into their
// arrays, text unescaped into the column's arena.
bool readRows(JsonReader &in, TablePrivate &t)
{
    if (in.next() != Token::BeginArray) {
        in.setError(QStringLiteral("\"rows\" must be an array"));
        return false;
    }
    const int cols = int(t.columns.size());
    auto wrongValue = [&](int col) {
        in.setError(QStringLiteral("row %1, column %2: expected %3")
                        .arg(t.rows + 1)
                        .arg(t.columns[col].name, QLatin1StringView(columnTypeName(t.columns[col].type))));
        return false;
    };
    constexpr int kSampleRows = 64;
    const qsizetype rowsBegin = in.offset();
    for (;;) {
        Token tok = in.next();
        if (tok == Token::EndArray)
            break;
        if (tok != Token::BeginArray) {
            in.setError(QStringLiteral("row %1 is not an array").arg(t.rows + 1));
            return false;
        }
        const int row = t.rows;
        const bool newWord = (row & 63) == 0;
        for (int col = 0; col < cols; ++col) {
            ColumnData &c = t.data[col];
            if (newWord)
                c.nulls.push_back(0);
            tok = in.next();
            if (tok == Token::EndArray || tok == Token::Error) {
                // The table is dropped on error, half a row does not matter.
                if (tok == Token::EndArray)
                    in.setError(
                        QStringLiteral("row %1 has %2 values instead of %3").arg(row + 1).arg(col).arg(cols));
                return false;
            }
            const bool null = tok == Token::Null;
            if (null)
                TablePrivate::setNullBit(c, row, true);
            switch (t.columns[col].type) {
            case ColumnType::String: {
                c.offsets.push_back(qsizetype(c.text.size()));
                if (null) {
                    c.lengths.push_back(0);
                    break;
                }
                if (tok != Token::String) {
                    c.lengths.push_back(0);
                    return wrongValue(col);
                }
                const qsizetype at = qsizetype(c.text.size());
                c.text.resize(at + in.stringUtf16Bound());
                const qsizetype n = in.decodeString(c.text.data() + at);
                c.text.resize(at + n);
                c.lengths.push_back(n);
                break;
            }
            case ColumnType::Int32:
            case ColumnType::Int64:
                if (null) {
                    c.integers.push_back(0);
                    break;
                }
                c.integers.push_back(in.integer());
                if (tok != Token::Integer)
                    return wrongValue(col);
                if (t.columns[col].type == ColumnType::Int32 &&
                    (in.integer() < std::numeric_limits<qint32>::min() ||
                     in.integer() > std::numeric_limits<qint32>::max())) {
                    in.setError(QStringLiteral("row %1, column %2: %3 is out of the int32 range")
                                    .arg(row + 1)
                                    .arg(t.columns[col].name)
                                    .arg(in.integer()));
                    return false;
                }
                break;
            case ColumnType::Double:
                c.reals.push_back(null ? 0.0 : in.real());
                if (!null && tok != Token::Integer && tok != Token::Double)
                    return wrongValue(col);
                break;
            case ColumnType::Bool:
                c.integers.push_back(null ? 0 : in.boolean());
                if (!null && tok != Token::Bool)
                    return wrongValue(col);
                break;
            case ColumnType::Date:
            case ColumnType::DateTime: {
                if (null) {
                    c.integers.push_back(0);
                    break;
                }
                std::optional<qint64> v;
                if (tok == Token::String && !in.stringHasEscapes()) {
                    v = t.columns[col].type == ColumnType::Date ? parseDate(in.rawString())
                                                                : parseDateTime(in.rawString());
                }
                c.integers.push_back(v.value_or(0));
                if (!v)
                    return wrongValue(col);
                break;
            }
            case ColumnType::Blob: {
                c.offsets.push_back(c.bytes.size());
                if (null) {
                    c.lengths.push_back(0);
                    break;
                }
                if (tok != Token::String) {
                    c.lengths.push_back(0);
                    return wrongValue(col);
                }
                const QByteArray encoded =
                    in.stringHasEscapes() ? in.string().toLatin1() : in.rawString().toByteArray();
                auto decoded =
                    QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
                c.lengths.push_back(decoded.decoded.size());
                if (!decoded) {
                    in.setError(QStringLiteral("row %1, column %2: invalid base64")
                                    .arg(row + 1)
                                    .arg(t.columns[col].name));
                    return false;
                }
                c.bytes.append(decoded.decoded);
                break;
            }
            }
        }
        tok = in.next();
        if (tok != Token::EndArray) {
            t.rows = row + 1;
            if (tok != Token::Error)
                in.setError(QStringLiteral("row %1 has more than %2 values").arg(row + 1).arg(cols));
            return false;
        }
        t.rows = row + 1;
        if (t.rows == kSampleRows) {
            // Rows of one table are alike: the first ones tell roughly how
            // many follow and how much text they hold. Reserving for that
            // (generously: pages never touched cost no memory) spares the
            // arrays and arenas most of their regrowth and copying.
            const qsizetype sampleBytes = std::max<qsizetype>(in.offset() - rowsBegin, 1);
            const double scale = double(in.textSize() - rowsBegin) / double(sampleBytes) * 1.25;
            t.reserve(int(std::min<double>(kSampleRows * scale + 16, std::numeric_limits<int>::max() / 2)));
            for (ColumnData &c : t.data) {
                if (c.storage == ColumnStorage::Text)
                    c.text.reserve(size_t(double(c.text.size()) * scale) + 64);
            }
        }
    }
    return true;
}

} // namespace

std::optional<Table> Table::readJson(JsonReader &in, QString *error)
{
    auto failed = [&](JsonReader &r) -> std::optional<Table> {
        if (!r.hasError())
            r.setError(QStringLiteral("invalid table"));
        if (&r != &in)
            in.setError(r.errorString());
        if (error)
            *error = r.errorString();
        return std::nullopt;
    };
    if (in.next() != Token::BeginObject) {
        in.setError(QStringLiteral("a table must be a JSON object"));
        return failed(in);
    }
    Table table;
    bool haveColumns = false, haveRows = false;
    std::optional<JsonReader> rowsLater;
    Token t;
    while ((t = in.next()) == Token::Key) {
        if (in.stringEquals(QLatin1StringView("columns"))) {
            QList<ColumnDef> columns;
            if (!readColumns(in, columns))
                return failed(in);
            table.d->setColumns(std::move(columns));
            haveColumns = true;
            if (rowsLater) {
                if (!readRows(*rowsLater, *table.d))
                    return failed(*rowsLater);
                haveRows = true;
            }
        } else if (in.stringEquals(QLatin1StringView("rows"))) {
            if (haveColumns) {
                if (!readRows(in, *table.d))
                    return failed(in);
                haveRows = true;
            } else {
                rowsLater = in;
                if (!in.skipValue())
                    return failed(in);
            }
        } else if (!in.skipValue()) {
            return failed(in);
        }
    }
    if (t != Token::EndObject)
        return failed(in);
    if (!haveColumns || !haveRows) {
        in.setError(QStringLiteral("a table needs \"columns\" and \"rows\""));
        return failed(in);
    }
    return table;
}

std::optional<Table> Table::fromJson(QByteArrayView json, QString *error)
{
    JsonReader in(json);
    auto table = readJson(in, error);
    if (!table)
        return std::nullopt;
    if (in.next() != JsonReader::Token::End) {
        if (error)
            *error = in.errorString();
        return std::nullopt;
    }
    return table;
}

bool operator==(const Table &a, const Table &b)
{
    if (a.d == b.d)
        return true;
    if (a.d->columns != b.d->columns || a.d->rows != b.d->rows)
        return false;
    for (int col = 0; col < a.columnCount(); ++col) {
        const ColumnData &ca = a.d->data[col];
        const ColumnData &cb = b.d->data[col];
        for (int r = 0; r < a.d->rows; ++r) {
            const bool na = TablePrivate::nullBit(ca, r);
            if (na != TablePrivate::nullBit(cb, r))
                return false;
            if (na)
                continue;
            switch (ca.storage) {
            case ColumnStorage::Integer:
                if (ca.integers[r] != cb.integers[r])
                    return false;
                break;
            case ColumnStorage::Real:
                if (ca.reals[r] != cb.reals[r])
                    return false;
                break;
            case ColumnStorage::Text:
                if (a.stringView(r, col) != b.stringView(r, col))
                    return false;
                break;
            case ColumnStorage::Bytes:
                if (QByteArrayView(ca.bytes).sliced(ca.offsets[r], ca.lengths[r]) !=
                    QByteArrayView(cb.bytes).sliced(cb.offsets[r], cb.lengths[r]))
                    return false;
                break;
            }
        }
    }
    return true;
}

} // namespace kolvar
