#pragma once

#include "table.h"

#include <QSharedData>

#include <memory>
#include <utility>
#include <vector>

namespace kolvar {

// Leaves new elements uninitialised on resize(): text is decoded straight
// into the arena, zeroing it first would only cost time.
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    using std::allocator<T>::allocator;
    template <class U> void construct(U *p) noexcept { ::new (static_cast<void *>(p)) U; }
    template <class U, class... Args> void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
};

// Where a column keeps its cells.
enum class ColumnStorage { Integer, Real, Text, Bytes };

inline ColumnStorage storageOf(ColumnType type)
{
    switch (type) {
    case ColumnType::String: return ColumnStorage::Text;
    case ColumnType::Double: return ColumnStorage::Real;
    case ColumnType::Blob: return ColumnStorage::Bytes;
    case ColumnType::Int32:
    case ColumnType::Int64:
    case ColumnType::Bool:
    case ColumnType::Date:
    case ColumnType::DateTime: break;
    }
    return ColumnStorage::Integer;
}

// Cells of one column. Integer-like types share `integers`: Int32, Int64,
// Bool (0/1), Date (Julian day) and DateTime (milliseconds of the wall-clock
// time counted from 1970-01-01T00:00:00, with no time zone applied).
// Strings and blobs live in one arena per column, addressed by offset and
// length per row; a rewritten cell leaves its old text behind in the arena.
struct ColumnData {
    ColumnStorage storage = ColumnStorage::Integer;
    std::vector<qint64> integers;
    std::vector<double> reals;
    std::vector<char16_t, UninitialisedAllocator<char16_t>> text;
    QByteArray bytes;
    std::vector<qsizetype> offsets;
    std::vector<qsizetype> lengths;
    std::vector<quint64> nulls; // bit set = null
};

class TablePrivate : public QSharedData
{
public:
    QList<ColumnDef> columns;
    std::vector<ColumnData> data;
    int rows = 0;

    void setColumns(QList<ColumnDef> defs);
    void reserve(int rowCount);
    // Grows every column by one row of nulls.
    void appendNullRow();

    static bool nullBit(const ColumnData &c, int row) { return (c.nulls[row >> 6] >> (row & 63)) & 1; }
    static void setNullBit(ColumnData &c, int row, bool null)
    {
        const quint64 mask = quint64(1) << (row & 63);
        if (null)
            c.nulls[row >> 6] |= mask;
        else
            c.nulls[row >> 6] &= ~mask;
    }
};

} // namespace kolvar
