#include "clientdataset.h"

#include <format/numberformat.h>

#include <QLocale>

#include <limits>
#include <utility>

namespace kolvar {

namespace {

FieldKind kindOf(ColumnType type)
{
    switch (type) {
    case ColumnType::String: return FieldKind::String;
    case ColumnType::Int32: return FieldKind::Integer;
    case ColumnType::Int64: return FieldKind::LargeInt;
    case ColumnType::Double: return FieldKind::Float;
    case ColumnType::Bool: return FieldKind::Boolean;
    case ColumnType::Date: return FieldKind::Date;
    case ColumnType::DateTime: return FieldKind::DateTime;
    case ColumnType::Blob: return FieldKind::Blob;
    }
    return FieldKind::String;
}

enum class State { Browse, Edit, Insert };

} // namespace

struct ClientDataSet::Private {
    ClientDataSet *q;
    Table table;
    QList<FieldInfo> fields;
    bool active = false;
    int cur = -1;
    bool bof = true;
    bool eof = true;
    State state = State::Browse;
    QList<QVariant> saved; // the record as it was before edit(), for cancel()
    int beforeInsert = -1; // cursor to return to when an insert is cancelled

    int disabled = 0;
    bool contentChanged = false; // while disabled
    bool cursorChanged = false;  // while disabled

    void setStructure(Table t)
    {
        table = std::move(t);
        fields.clear();
        fields.reserve(table.columnCount());
        for (const ColumnDef &c : table.columns())
            fields.append(FieldInfo{c.name, kindOf(c.type), c.size, QString()});
        active = true;
        state = State::Browse;
        saved.clear();
    }

    void resetCursor()
    {
        cur = table.rowCount() > 0 ? 0 : -1;
        bof = true;
        eof = cur < 0;
    }

    int requireField(QStringView name) const
    {
        const int i = active ? table.columnIndex(name) : -1;
        if (i < 0)
            throw DataSetError(QStringLiteral("Alan bulunamadı: %1").arg(name).toStdString());
        return i;
    }

    void requireActive() const
    {
        if (!active)
            throw DataSetError("Veri kümesi kapalı");
    }

    // Notifications go out only while controls are enabled; otherwise they
    // are remembered and replaced by one reset.
    void notifyReset()
    {
        if (disabled)
            contentChanged = true;
        else
            Q_EMIT q->dataReset();
    }
    void notifyRow(int row)
    {
        if (disabled)
            contentChanged = true;
        else
            Q_EMIT q->rowChanged(row);
    }
    void notifyInserted(int row)
    {
        if (disabled)
            contentChanged = true;
        else
            Q_EMIT q->rowsInserted(row, row);
    }
    void notifyRemoved(int row)
    {
        if (disabled)
            contentChanged = true;
        else
            Q_EMIT q->rowsRemoved(row, row);
    }
    void notifyCurrent()
    {
        if (disabled)
            cursorChanged = true;
        else
            Q_EMIT q->currentChanged(cur);
    }

    void moveTo(int row)
    {
        if (row == cur)
            return;
        cur = row;
        notifyCurrent();
    }
};

ClientDataSet::ClientDataSet(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
}

ClientDataSet::~ClientDataSet() = default;

bool ClientDataSet::isActive() const
{
    return d->active;
}

void ClientDataSet::close()
{
    d->table = Table();
    d->fields.clear();
    d->active = false;
    d->state = State::Browse;
    d->saved.clear();
    d->cur = -1;
    d->bof = d->eof = true;
    d->notifyReset();
    d->notifyCurrent();
}

void ClientDataSet::assignData(Table packet)
{
    d->setStructure(std::move(packet));
    d->resetCursor();
    d->notifyReset();
    d->notifyCurrent();
}

void ClientDataSet::copyReader(const Table &reader)
{
    // Same columns, same rows: sharing the reader's storage is the copy (it
    // detaches on the first write on either side).
    assignData(reader);
}

void ClientDataSet::emptyDataSet()
{
    d->requireActive();
    d->state = State::Browse;
    d->saved.clear();
    d->table.clear();
    d->resetCursor();
    d->notifyReset();
    d->notifyCurrent();
}

const Table &ClientDataSet::table() const
{
    return d->table;
}

int ClientDataSet::recordCount() const
{
    return d->active ? d->table.rowCount() : 0;
}

bool ClientDataSet::isEmpty() const
{
    return recordCount() == 0;
}

void ClientDataSet::first()
{
    if (isEditing())
        post();
    d->bof = true;
    d->eof = isEmpty();
    d->moveTo(isEmpty() ? -1 : 0);
}

void ClientDataSet::last()
{
    if (isEditing())
        post();
    d->eof = true;
    d->bof = isEmpty();
    d->moveTo(recordCount() - 1);
}

void ClientDataSet::next()
{
    if (isEditing())
        post();
    if (d->cur + 1 < recordCount()) {
        d->bof = false;
        d->eof = false;
        d->moveTo(d->cur + 1);
    } else {
        d->eof = true;
    }
}

void ClientDataSet::prior()
{
    if (isEditing())
        post();
    if (d->cur > 0) {
        d->bof = false;
        d->eof = false;
        d->moveTo(d->cur - 1);
    } else {
        d->bof = true;
    }
}

bool ClientDataSet::eof() const
{
    return d->eof || isEmpty();
}

bool ClientDataSet::bof() const
{
    return d->bof || isEmpty();
}

int ClientDataSet::recNo() const
{
    return d->cur;
}

void ClientDataSet::setRecNo(int row)
{
    if (isEmpty())
        return;
    if (isEditing())
        post();
    d->bof = d->eof = false;
    d->moveTo(qBound(0, row, recordCount() - 1));
}

bool ClientDataSet::locate(QStringView field, const QVariant &value)
{
    const int col = d->requireField(field);
    if (isEditing())
        post();
    const Table &t = d->table;
    const int rows = t.rowCount();
    const bool wantNull = !value.isValid() || value.isNull();
    const ColumnType type = t.column(col).type;
    for (int r = 0; r < rows; ++r) {
        bool match = false;
        if (t.isNull(r, col)) {
            match = wantNull;
        } else if (wantNull) {
            match = false;
        } else {
            switch (type) {
            case ColumnType::String: match = t.stringView(r, col) == value.toString(); break;
            case ColumnType::Int32:
            case ColumnType::Int64:
            case ColumnType::Bool: {
                bool ok = false;
                const double v = value.toDouble(&ok);
                match = ok && double(t.integer(r, col)) == v;
                break;
            }
            case ColumnType::Double: {
                bool ok = false;
                const double v = value.toDouble(&ok);
                match = ok && t.real(r, col) == v;
                break;
            }
            default: match = t.value(r, col) == value; break;
            }
        }
        if (match) {
            d->bof = d->eof = false;
            d->moveTo(r);
            return true;
        }
    }
    return false;
}

int ClientDataSet::fieldCount() const
{
    return int(d->fields.size());
}

int ClientDataSet::fieldIndex(QStringView name) const
{
    return d->active ? d->table.columnIndex(name) : -1;
}

const FieldInfo &ClientDataSet::field(int index) const
{
    if (index < 0 || index >= d->fields.size())
        throw DataSetError(QStringLiteral("Alan sırası geçersiz: %1").arg(index).toStdString());
    return d->fields.at(index);
}

QVariant ClientDataSet::fieldValue(QStringView name) const
{
    const int col = d->requireField(name);
    if (d->cur < 0)
        return {};
    return d->table.value(d->cur, col);
}

QVariant ClientDataSet::value(int row, int col) const
{
    if (row < 0 || row >= recordCount() || col < 0 || col >= fieldCount())
        return {};
    return d->table.value(row, col);
}

QString ClientDataSet::displayText(int row, int col) const
{
    if (row < 0 || row >= recordCount() || col < 0 || col >= fieldCount())
        return {};
    const Table &t = d->table;
    if (t.isNull(row, col))
        return {};
    const FieldInfo &f = d->fields.at(col);
    const QLocale locale;
    switch (f.kind) {
    case FieldKind::String: return t.string(row, col);
    case FieldKind::Integer:
    case FieldKind::LargeInt:
        if (!f.displayFormat.isEmpty())
            return formatNumber(double(t.integer(row, col)), f.displayFormat, locale);
        return QString::number(t.integer(row, col));
    case FieldKind::Float: return formatNumber(t.real(row, col), f.displayFormat, locale);
    case FieldKind::Boolean: return t.boolean(row, col) ? QStringLiteral("True") : QStringLiteral("False");
    case FieldKind::Date: return locale.toString(t.date(row, col), QLocale::ShortFormat);
    case FieldKind::DateTime: return locale.toString(t.dateTime(row, col), QLocale::ShortFormat);
    case FieldKind::Blob: return QStringLiteral("(BLOB)");
    }
    return {};
}

void ClientDataSet::setDisplayFormat(QStringView field, const QString &format)
{
    const int col = d->requireField(field);
    if (d->fields[col].displayFormat == format)
        return;
    d->fields[col].displayFormat = format;
    if (d->disabled)
        d->contentChanged = true;
    else
        Q_EMIT displayFormatChanged();
}

void ClientDataSet::edit()
{
    d->requireActive();
    if (isEditing())
        return;
    if (isEmpty()) {
        append();
        return;
    }
    d->saved.clear();
    for (int c = 0; c < fieldCount(); ++c)
        d->saved.append(d->table.value(d->cur, c));
    d->state = State::Edit;
}

void ClientDataSet::setFieldValue(QStringView name, const QVariant &value)
{
    const int col = d->requireField(name);
    if (!isEditing())
        throw DataSetError("Veri kümesi düzenleme durumunda değil");
    // A value the field cannot hold is refused rather than stored as null.
    if (value.isValid() && !value.isNull()) {
        bool ok = true;
        switch (d->fields[col].kind) {
        case FieldKind::Integer:
        case FieldKind::LargeInt: {
            const qint64 v = value.toLongLong(&ok);
            if (ok && d->fields[col].kind == FieldKind::Integer)
                ok = v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
            break;
        }
        case FieldKind::Float: value.toDouble(&ok); break;
        default: break;
        }
        if (!ok)
            throw DataSetError(QStringLiteral("'%1' %2 alanı için geçerli bir değer değil")
                                   .arg(value.toString(), d->fields[col].name)
                                   .toStdString());
    }
    d->table.setValue(d->cur, col, value);
}

void ClientDataSet::post()
{
    if (!isEditing())
        return;
    d->state = State::Browse;
    d->saved.clear();
    d->notifyRow(d->cur);
}

void ClientDataSet::cancel()
{
    if (d->state == State::Edit) {
        for (int c = 0; c < d->saved.size(); ++c)
            d->table.setValue(d->cur, c, d->saved.at(c));
        d->state = State::Browse;
        d->saved.clear();
        d->notifyRow(d->cur);
    } else if (d->state == State::Insert) {
        d->state = State::Browse;
        const int row = d->cur;
        d->table.removeRow(row);
        d->notifyRemoved(row);
        d->cur = qBound(-1, d->beforeInsert, recordCount() - 1);
        d->eof = d->bof = isEmpty();
        d->notifyCurrent();
    }
}

void ClientDataSet::append()
{
    d->requireActive();
    if (isEditing())
        post();
    d->beforeInsert = d->cur;
    const int row = d->table.appendRow();
    d->state = State::Insert;
    d->saved.clear();
    d->notifyInserted(row);
    d->bof = d->eof = false;
    d->moveTo(row);
}

void ClientDataSet::deleteRecord()
{
    d->requireActive();
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw DataSetError("Boş veri kümesinde kayıt silinemez");
    d->state = State::Browse;
    d->saved.clear();
    const int row = d->cur;
    d->table.removeRow(row);
    d->notifyRemoved(row);
    d->cur = qMin(row, recordCount() - 1);
    d->bof = d->eof = isEmpty();
    d->notifyCurrent();
}

bool ClientDataSet::isEditing() const
{
    return d->state != State::Browse;
}

bool ClientDataSet::isInserting() const
{
    return d->state == State::Insert;
}

void ClientDataSet::disableControls()
{
    ++d->disabled;
}

void ClientDataSet::enableControls()
{
    if (d->disabled == 0)
        return;
    if (--d->disabled > 0)
        return;
    const bool content = std::exchange(d->contentChanged, false);
    const bool cursor = std::exchange(d->cursorChanged, false);
    if (content)
        Q_EMIT dataReset();
    if (content || cursor)
        Q_EMIT currentChanged(d->cur);
}

bool ClientDataSet::controlsDisabled() const
{
    return d->disabled > 0;
}

} // namespace kolvar
