#include "gridexcelexport.h"

#include "datasetmodel.h"
#include "gridrowmodel.h"

#include <platform/clientdataset.h>

#include <QFile>
#include <QHash>

#include <xlsxwriter.h>

#include <utility>

namespace kolvar {

namespace {

constexpr int MaxCellText = 32767; // longest text a spreadsheet cell takes

// A display format such as "#,###,##0.00" in the spreadsheet's own notation:
// grouping when the integer part has a comma, the decimals as given.
QString spreadsheetNumberFormat(QStringView pattern)
{
    const qsizetype dot = pattern.indexOf(u'.');
    const bool grouping = (dot < 0 ? pattern : pattern.left(dot)).contains(u',');
    int decimals = 0;
    if (dot >= 0) {
        for (QChar c : pattern.mid(dot + 1)) {
            if (c != u'0' && c != u'#')
                break;
            ++decimals;
        }
    }
    QString f = grouping ? QStringLiteral("#,##0") : QStringLiteral("0");
    if (decimals > 0)
        f += u'.' + QString(decimals, u'0');
    return f;
}

class Writer
{
public:
    explicit Writer(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        m_book = workbook_new(name.constData());
        if (m_book)
            m_sheet = workbook_add_worksheet(m_book, nullptr);
    }
    ~Writer()
    {
        if (m_book)
            workbook_close(m_book);
    }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    bool ok() const { return m_book && m_sheet; }

    // Closing writes the file; the result tells whether it was written.
    lxw_error close()
    {
        lxw_workbook *book = std::exchange(m_book, nullptr);
        return book ? workbook_close(book) : LXW_ERROR_CREATING_XLSX_FILE;
    }

    lxw_format *numberFormat(const QString &pattern, bool bold = false)
    {
        const QString key = bold ? pattern + QStringLiteral("|b") : pattern;
        if (lxw_format *f = m_formats.value(key))
            return f;
        lxw_format *f = workbook_add_format(m_book);
        if (!pattern.isEmpty())
            format_set_num_format(f, pattern.toUtf8().constData());
        if (bold)
            format_set_bold(f);
        m_formats.insert(key, f);
        return f;
    }

    void text(int row, int col, const QString &value, lxw_format *format = nullptr)
    {
        if (value.isEmpty())
            return;
        const QByteArray utf8 = value.left(MaxCellText).toUtf8();
        worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(col), utf8.constData(), format);
    }
    void number(int row, int col, double value, lxw_format *format)
    {
        worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(col), value, format);
    }
    void date(int row, int col, const QDateTime &value, lxw_format *format)
    {
        const QDate d = value.date();
        const QTime t = value.time();
        lxw_datetime dt{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
        worksheet_write_datetime(m_sheet, lxw_row_t(row), lxw_col_t(col), &dt, format);
    }
    void width(int col, double chars)
    {
        worksheet_set_column(m_sheet, lxw_col_t(col), lxw_col_t(col), chars, nullptr);
    }

private:
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    QHash<QString, lxw_format *> m_formats;
};

} // namespace

bool GridExcelExport::write(const GridRowModel &rows, const QList<Column> &columns, const QString &path,
                            QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    const DataSetModel *source = rows.sourceModel();
    Writer out(path);
    if (!out.ok())
        return fail(QStringLiteral("workbook could not be created"));

    const ClientDataSet *ds = source ? source->dataSet() : nullptr;
    const bool hasData = ds && ds->isActive();
    lxw_format *bold = out.numberFormat(QString(), true);

    // Per column: dataset field and the spreadsheet format of its values.
    struct Out {
        int column;
        int field;
        lxw_format *format;
    };
    QList<Out> cols;
    for (int i = 0; i < columns.size(); ++i) {
        const int c = columns[i].column;
        out.text(0, i, rows.headerData(c, Qt::Horizontal).toString(), bold);
        if (columns[i].width > 0)
            out.width(i, columns[i].width / 7.0);
        const int f = hasData ? source->fieldIndex(c) : -1;
        lxw_format *format = nullptr;
        if (f >= 0) {
            const FieldInfo &info = ds->field(f);
            switch (info.kind) {
            case FieldKind::Float:
            case FieldKind::Integer:
            case FieldKind::LargeInt:
                if (!info.displayFormat.isEmpty())
                    format = out.numberFormat(spreadsheetNumberFormat(info.displayFormat));
                break;
            case FieldKind::Date: format = out.numberFormat(QStringLiteral("dd.mm.yyyy")); break;
            case FieldKind::DateTime: format = out.numberFormat(QStringLiteral("dd.mm.yyyy hh:mm:ss")); break;
            default: break;
            }
        }
        cols.append({c, f, format});
    }

    auto summaryCells = [&](int line, int group) {
        const auto &summaries = rows.summaries();
        for (int i = 0; i < cols.size(); ++i) {
            if (cols[i].field < 0)
                continue;
            const QString &field = source->column(cols[i].column).field;
            for (int s = 0; s < summaries.size(); ++s) {
                if (summaries[s].field.compare(field, Qt::CaseInsensitive) != 0)
                    continue;
                lxw_format *format = summaries[s].kind == SummaryKind::Count ? bold : cols[i].format;
                if (summaries[s].kind == SummaryKind::Sum && !format)
                    format = bold;
                out.number(line, i, rows.summaryValue(s, group), format);
                break; // one value per cell
            }
        }
    };

    int line = 1;
    if (hasData) {
        const Table &t = ds->table();
        const QString groupCaption = [&] {
            const int c = source->columnOfField(rows.groupField());
            return c >= 0 ? source->column(c).headerText() : rows.groupField();
        }();
        rows.forEachExportRow([&](GridRowKind kind, int n) {
            if (kind == GridRowKind::GroupHeader) {
                out.text(line++, 0, QStringLiteral("%1 : %2").arg(groupCaption, rows.groupKey(n)), bold);
                return;
            }
            if (kind == GridRowKind::GroupFooter) {
                summaryCells(line++, n);
                return;
            }
            for (int i = 0; i < cols.size(); ++i) {
                const int f = cols[i].field;
                if (f < 0 || t.isNull(n, f))
                    continue;
                switch (t.column(f).type) {
                case ColumnType::Int32:
                case ColumnType::Int64:
                case ColumnType::Bool: out.number(line, i, double(t.integer(n, f)), cols[i].format); break;
                case ColumnType::Double: out.number(line, i, t.real(n, f), cols[i].format); break;
                case ColumnType::Date:
                    if (t.date(n, f).year() >= 1900)
                        out.date(line, i, t.date(n, f).startOfDay(), cols[i].format);
                    else
                        out.text(line, i, ds->displayText(n, f));
                    break;
                case ColumnType::DateTime:
                    if (t.dateTime(n, f).date().year() >= 1900)
                        out.date(line, i, t.dateTime(n, f), cols[i].format);
                    else
                        out.text(line, i, ds->displayText(n, f));
                    break;
                case ColumnType::String: out.text(line, i, t.string(n, f)); break;
                case ColumnType::Blob: break;
                }
            }
            ++line;
        });
        if (!rows.summaries().isEmpty())
            summaryCells(line++, -1);
    }

    const lxw_error result = out.close();
    if (result != LXW_NO_ERROR)
        return fail(QString::fromUtf8(lxw_strerror(result)));
    return true;
}

} // namespace kolvar
