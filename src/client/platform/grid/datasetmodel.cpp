#include "datasetmodel.h"

#include <platform/clientdataset.h>

namespace kolvar {

DataSetModel::DataSetModel(QObject *parent) : QAbstractTableModel(parent) {}

DataSetModel::~DataSetModel() = default;

void DataSetModel::setColumns(QList<GridColumn> columns)
{
    beginResetModel();
    m_columns = std::move(columns);
    resolveFields();
    endResetModel();
}

int DataSetModel::columnOfField(QStringView field) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (!m_columns[i].field.isEmpty() && m_columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void DataSetModel::setDataSet(ClientDataSet *dataSet)
{
    if (dataSet == m_dataSet)
        return;
    beginResetModel();
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataSet = dataSet;
    if (dataSet) {
        m_connections << connect(dataSet, &ClientDataSet::dataReset, this, &DataSetModel::onReset)
                      << connect(dataSet, &ClientDataSet::displayFormatChanged, this, &DataSetModel::onReset)
                      << connect(dataSet, &ClientDataSet::rowChanged, this, &DataSetModel::onRowChanged)
                      << connect(dataSet, &ClientDataSet::rowsInserted, this, &DataSetModel::onRowsInserted)
                      << connect(dataSet, &ClientDataSet::rowsRemoved, this, &DataSetModel::onRowsRemoved)
                      << connect(dataSet, &QObject::destroyed, this, &DataSetModel::onDataSetDestroyed);
    }
    resolveFields();
    endResetModel();
}

int DataSetModel::fieldIndex(int column) const
{
    return column >= 0 && column < int(m_fieldIndex.size()) ? m_fieldIndex[column] : -1;
}

void DataSetModel::resolveFields()
{
    m_fieldIndex.assign(m_columns.size(), -1);
    m_rows = 0;
    if (!m_dataSet || !m_dataSet->isActive())
        return;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (!m_columns[i].field.isEmpty())
            m_fieldIndex[i] = m_dataSet->fieldIndex(m_columns[i].field);
    }
    m_rows = m_dataSet->recordCount();
}

// The data set is gone (the QPointer is already null): drop every row
// without touching it.
void DataSetModel::onDataSetDestroyed()
{
    beginResetModel();
    m_connections.clear();
    m_dataSet = nullptr;
    resolveFields();
    endResetModel();
}

void DataSetModel::onReset()
{
    beginResetModel();
    resolveFields();
    endResetModel();
}

void DataSetModel::onRowChanged(int row)
{
    if (row < 0 || row >= m_rows || m_columns.isEmpty())
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

// The dataset reports insertions and removals after the fact; the model keeps
// its own row count so that the begin/end pair still brackets the change.
void DataSetModel::onRowsInserted(int first, int last)
{
    if (!m_dataSet || first < 0 || last < first || first > m_rows) {
        onReset();
        return;
    }
    beginInsertRows({}, first, last);
    m_rows += last - first + 1;
    endInsertRows();
}

void DataSetModel::onRowsRemoved(int first, int last)
{
    if (!m_dataSet || first < 0 || last < first || last >= m_rows) {
        onReset();
        return;
    }
    beginRemoveRows({}, first, last);
    m_rows -= last - first + 1;
    endRemoveRows();
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

// Integer reading of a cell whatever its column type (icon codes and check
// boxes may arrive as any numeric or text column).
static qint64 cellInteger(const Table &t, int row, int col)
{
    switch (t.column(col).type) {
    case ColumnType::Int32:
    case ColumnType::Int64:
    case ColumnType::Bool: return t.integer(row, col);
    case ColumnType::Double: return qRound64(t.real(row, col));
    case ColumnType::String: return t.stringView(row, col).trimmed().toLongLong();
    default: return 0;
    }
}

static bool isNumeric(FieldKind kind)
{
    return kind == FieldKind::Integer || kind == FieldKind::LargeInt || kind == FieldKind::Float;
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int row = index.row();
    const GridColumn &col = m_columns.at(index.column());
    const int f = m_fieldIndex[index.column()];

    switch (role) {
    case GridRole::Kind: return int(col.kind);
    case GridRole::SourceRow: return row;
    case GridRole::RowKind: return int(GridRowKind::Data);
    case GridRole::Field: return col.field;
    case GridRole::Drawer:
        return col.drawer ? QVariant::fromValue(static_cast<const void *>(&col.drawer)) : QVariant();
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = col.alignment;
        if (!(a & Qt::AlignHorizontal_Mask)) {
            if (col.kind == CellKind::Check || col.kind == CellKind::Icon || col.kind == CellKind::Picture)
                a |= Qt::AlignHCenter;
            else
                a |= (f >= 0 && isNumeric(m_dataSet->field(f).kind)) ? Qt::AlignRight : Qt::AlignLeft;
        }
        if (!(a & Qt::AlignVertical_Mask))
            a |= Qt::AlignVCenter;
        return int(a);
    }
    default: break;
    }
    if (f < 0)
        return {};

    const Table &t = m_dataSet->table();
    switch (role) {
    case Qt::DisplayRole:
        if (col.kind == CellKind::Text || col.kind == CellKind::Memo)
            return m_dataSet->displayText(row, f);
        return {};
    case GridRole::Text: return m_dataSet->displayText(row, f);
    case GridRole::Value: return m_dataSet->value(row, f);
    case GridRole::IconCode:
        if (t.isNull(row, f))
            return {};
        return cellInteger(t, row, f);
    case Qt::DecorationRole:
        if (col.kind == CellKind::Icon && !t.isNull(row, f)) {
            const qint64 code = cellInteger(t, row, f);
            if (code >= 0 && code < col.icons.size())
                return col.icons.at(int(code));
        }
        return {};
    case Qt::CheckStateRole:
        if (col.kind == CellKind::Check)
            return (!t.isNull(row, f) && cellInteger(t, row, f) != 0) ? Qt::Checked : Qt::Unchecked;
        return {};
    case GridRole::Picture:
        if (col.kind == CellKind::Picture)
            return t.blob(row, f);
        return {};
    default: return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: return m_columns[section].headerText();
    case GridRole::Field: return m_columns[section].field;
    case GridRole::Kind: return int(m_columns[section].kind);
    default: return {};
    }
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace kolvar
