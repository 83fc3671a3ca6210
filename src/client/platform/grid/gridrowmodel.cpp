#include "gridrowmodel.h"

#include "datasetmodel.h"

#include <format/numberformat.h>
#include <platform/clientdataset.h>

#include <algorithm>
#include <utility>

namespace kolvar {

namespace {
// Group rows live in the row vector as negative numbers: -1 - 2g is the
// header of group g, -2 - 2g its footer.
constexpr int headerEntry(int g)
{
    return -1 - 2 * g;
}
constexpr int footerEntry(int g)
{
    return -2 - 2 * g;
}
constexpr int entryGroup(int e)
{
    return (-1 - e) / 2;
}
constexpr bool entryIsFooter(int e)
{
    return ((-1 - e) & 1) != 0;
}

template <typename T> int threeWay(const T &x, const T &y)
{
    return x < y ? -1 : (y < x ? 1 : 0);
}
} // namespace

GridRowModel::GridRowModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

GridRowModel::~GridRowModel() = default;

void GridRowModel::setSourceModel(DataSetModel *source)
{
    beginResetModel();
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_source = source;
    if (source) {
        m_connections
            << connect(source, &QAbstractItemModel::modelAboutToBeReset, this,
                       &GridRowModel::onSourceAboutToReset)
            << connect(source, &QAbstractItemModel::modelReset, this, &GridRowModel::onSourceReset)
            << connect(source, &QAbstractItemModel::dataChanged, this, &GridRowModel::onSourceDataChanged)
            << connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                       [this](const QModelIndex &p, int first, int last) {
                           onSourceRowsAboutToChange(p, first, last, true);
                       })
            << connect(source, &QAbstractItemModel::rowsInserted, this, &GridRowModel::onSourceRowsChanged)
            << connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                       [this](const QModelIndex &p, int first, int last) {
                           onSourceRowsAboutToChange(p, first, last, false);
                       })
            << connect(source, &QAbstractItemModel::rowsRemoved, this, &GridRowModel::onSourceRowsChanged);
    }
    m_filters.clear();
    rebuildOrder();
    endResetModel();
}

// ---- rows ------------------------------------------------------------------

int GridRowModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_source)
        return 0;
    if (!m_groupField.isEmpty())
        return int(m_rows.size());
    if (identity())
        return m_source->rowCount();
    return int(m_order.size());
}

int GridRowModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_source ? 0 : m_source->columnCount();
}

GridRowKind GridRowModel::rowKind(int row) const
{
    if (m_groupField.isEmpty() || row < 0 || row >= int(m_rows.size()))
        return GridRowKind::Data;
    const int e = m_rows[row];
    if (e >= 0)
        return GridRowKind::Data;
    return entryIsFooter(e) ? GridRowKind::GroupFooter : GridRowKind::GroupHeader;
}

int GridRowModel::sourceRow(int row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    if (!m_groupField.isEmpty())
        return m_rows[row] >= 0 ? m_rows[row] : -1;
    if (identity())
        return row;
    return m_order[row];
}

int GridRowModel::groupOfRow(int row) const
{
    if (m_groupField.isEmpty() || row < 0 || row >= int(m_rows.size()))
        return -1;
    const int e = m_rows[row];
    if (e < 0)
        return entryGroup(e);
    // A data row: the nearest header above it.
    for (int r = row; r >= 0; --r) {
        if (m_rows[r] < 0)
            return entryGroup(m_rows[r]);
    }
    return -1;
}

int GridRowModel::rowOfSource(int source) const
{
    if (!m_source || source < 0 || source >= m_source->rowCount())
        return -1;
    if (identity())
        return source;
    if (m_reverse.empty()) {
        m_reverse.assign(m_source->rowCount(), -1);
        if (m_groupField.isEmpty()) {
            for (int i = 0; i < int(m_order.size()); ++i)
                m_reverse[m_order[i]] = i;
        } else {
            for (int i = 0; i < int(m_rows.size()); ++i) {
                if (m_rows[i] >= 0)
                    m_reverse[m_rows[i]] = i;
            }
        }
    }
    return m_reverse[source];
}

// ---- filters -----------------------------------------------------------------

void GridRowModel::setColumnFilter(int column, const QStringList &accepted)
{
    if (accepted.isEmpty() && !m_filters.contains(column))
        return;
    relayout([&] {
        if (accepted.isEmpty())
            m_filters.remove(column);
        else
            m_filters.insert(column, QSet<QString>(accepted.begin(), accepted.end()));
    });
}

QStringList GridRowModel::columnFilter(int column) const
{
    QStringList values = m_filters.value(column).values();
    std::sort(values.begin(), values.end());
    return values;
}

void GridRowModel::clearFilters()
{
    if (m_filters.isEmpty())
        return;
    relayout([this] { m_filters.clear(); });
}

QStringList GridRowModel::distinctTexts(int column) const
{
    QSet<QString> seen;
    if (m_source && column >= 0 && column < m_source->columnCount()) {
        const int n = m_source->rowCount();
        for (int r = 0; r < n; ++r)
            seen.insert(m_source->data(m_source->index(r, column), GridRole::Text).toString());
    }
    QStringList values(seen.begin(), seen.end());
    std::sort(values.begin(), values.end(),
              [this](const QString &a, const QString &b) { return m_collator.compare(a, b) < 0; });
    return values;
}

bool GridRowModel::passesFilters(int row) const
{
    for (auto it = m_filters.cbegin(); it != m_filters.cend(); ++it) {
        const QString text = m_source->data(m_source->index(row, it.key()), GridRole::Text).toString();
        if (!it.value().contains(text))
            return false;
    }
    return true;
}

// ---- sorting and grouping ------------------------------------------------------

void GridRowModel::sort(int column, Qt::SortOrder order)
{
    if (!m_source || column >= m_source->columnCount())
        return;
    if (column < 0)
        column = -1;
    if (column == m_sortColumn && (column < 0 || order == m_sortOrder))
        return;
    relayout([&] {
        m_sortColumn = column;
        m_sortOrder = order;
    });
}

void GridRowModel::setGrouping(const QString &field, Qt::SortOrder order)
{
    if (field == m_groupField && order == m_groupOrder)
        return;
    // Switching between flat and grouped changes what every row is.
    beginResetModel();
    m_groupField = field;
    m_groupOrder = order;
    rebuildOrder();
    endResetModel();
}

int GridRowModel::compareRows(int a, int b, int f) const
{
    const Table &t = m_source->dataSet()->table();
    const bool na = t.isNull(a, f), nb = t.isNull(b, f);
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    switch (t.column(f).type) {
    case ColumnType::Int32:
    case ColumnType::Int64:
    case ColumnType::Bool: return threeWay(t.integer(a, f), t.integer(b, f));
    case ColumnType::Double: return threeWay(t.real(a, f), t.real(b, f));
    case ColumnType::Date: return threeWay(t.date(a, f), t.date(b, f));
    case ColumnType::DateTime: return threeWay(t.dateTime(a, f), t.dateTime(b, f));
    case ColumnType::String: return m_collator.compare(t.stringView(a, f), t.stringView(b, f));
    case ColumnType::Blob: return 0;
    }
    return 0;
}

void GridRowModel::rebuildOrder()
{
    invalidateCaches();
    m_order.clear();
    m_rows.clear();
    m_groups.clear();
    if (!m_source || identity())
        return;
    const ClientDataSet *ds = m_source->dataSet();
    const int n = m_source->rowCount();
    m_order.reserve(n);
    for (int r = 0; r < n; ++r) {
        if (m_filters.isEmpty() || passesFilters(r))
            m_order.push_back(r);
    }
    const int sortField = m_sortColumn >= 0 ? m_source->fieldIndex(m_sortColumn) : -1;
    const int groupField = (ds && !m_groupField.isEmpty()) ? ds->fieldIndex(m_groupField) : -1;
    if (sortField >= 0 || groupField >= 0) {
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            if (groupField >= 0) {
                const int c = compareRows(a, b, groupField);
                if (c != 0)
                    return m_groupOrder == Qt::AscendingOrder ? c < 0 : c > 0;
            }
            if (sortField >= 0) {
                const int c = compareRows(a, b, sortField);
                return m_sortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
            }
            return false;
        });
    }
    if (m_groupField.isEmpty())
        return;
    // Groups: runs of equal group values. A missing group field makes one group.
    const int count = int(m_order.size());
    for (int i = 0; i < count;) {
        int j = i + 1;
        while (j < count && groupField >= 0 && compareRows(m_order[i], m_order[j], groupField) == 0)
            ++j;
        Group g;
        g.start = i;
        g.count = j - i;
        g.key = groupField >= 0 ? ds->displayText(m_order[i], groupField) : QString();
        m_groups.push_back(std::move(g));
        i = j;
    }
    computeGroupSums();
    rebuildRows();
}

void GridRowModel::rebuildRows()
{
    m_rows.clear();
    m_reverse.clear();
    if (m_groupField.isEmpty())
        return;
    size_t size = 0;
    for (const Group &g : m_groups)
        size += 2 + (g.expanded ? g.count : 0);
    m_rows.reserve(size);
    for (int gi = 0; gi < int(m_groups.size()); ++gi) {
        const Group &g = m_groups[gi];
        m_rows.push_back(headerEntry(gi));
        if (g.expanded)
            m_rows.insert(m_rows.end(), m_order.begin() + g.start, m_order.begin() + g.start + g.count);
        m_rows.push_back(footerEntry(gi));
    }
}

QString GridRowModel::groupKey(int group) const
{
    return group >= 0 && group < groupCount() ? m_groups[group].key : QString();
}

int GridRowModel::groupRowCount(int group) const
{
    return group >= 0 && group < groupCount() ? m_groups[group].count : 0;
}

bool GridRowModel::isGroupExpanded(int group) const
{
    return group >= 0 && group < groupCount() && m_groups[group].expanded;
}

void GridRowModel::setGroupExpanded(int group, bool expanded)
{
    if (group < 0 || group >= groupCount() || m_groups[group].expanded == expanded)
        return;
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<int> keys(before.size());
    for (int i = 0; i < before.size(); ++i)
        keys[i] = m_rows[before[i].row()];
    m_groups[group].expanded = expanded;
    rebuildRows();
    std::vector<int> position(m_source->rowCount() + 2 * m_groups.size() + 2, -1);
    auto slot = [&](int e) { return e >= 0 ? size_t(e) : size_t(m_source->rowCount()) + size_t(-1 - e); };
    for (int i = 0; i < int(m_rows.size()); ++i)
        position[slot(m_rows[i])] = i;
    QModelIndexList after;
    after.reserve(before.size());
    for (int i = 0; i < before.size(); ++i) {
        const int r = position[slot(keys[i])];
        after << (r >= 0 ? index(r, before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}

void GridRowModel::setAllGroupsExpanded(bool expanded)
{
    for (int g = 0; g < groupCount(); ++g)
        setGroupExpanded(g, expanded);
}

// Applies a filter or sort change and rebuilds the rows. Persistent indexes
// (the focused row, the selection) follow their dataset rows.
void GridRowModel::relayout(const std::function<void()> &change)
{
    if (!m_source) {
        change();
        rebuildOrder();
        return;
    }
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    struct Key {
        int source;
        GridRowKind kind;
        QString group;
    };
    std::vector<Key> keys;
    keys.reserve(before.size());
    for (const QModelIndex &i : before) {
        const GridRowKind k = rowKind(i.row());
        keys.push_back(
            {sourceRow(i.row()), k, k == GridRowKind::Data ? QString() : groupKey(groupOfRow(i.row()))});
    }
    change();
    rebuildOrder();
    QModelIndexList after;
    after.reserve(before.size());
    for (int i = 0; i < before.size(); ++i) {
        int r = -1;
        if (keys[i].kind == GridRowKind::Data) {
            r = rowOfSource(keys[i].source);
        } else {
            for (int row = 0; row < rowCount(); ++row) {
                if (rowKind(row) == keys[i].kind && groupKey(groupOfRow(row)) == keys[i].group) {
                    r = row;
                    break;
                }
            }
        }
        after << (r >= 0 ? index(r, before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}

// ---- summaries ---------------------------------------------------------------

void GridRowModel::setSummaries(QList<GridSummary> summaries)
{
    m_summaries = std::move(summaries);
    invalidateCaches();
    computeGroupSums();
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int GridRowModel::summaryField(int summary) const
{
    if (!m_source || !m_source->dataSet() || summary < 0 || summary >= m_summaries.size())
        return -1;
    if (!m_source->dataSet()->isActive())
        return -1;
    return m_source->dataSet()->fieldIndex(m_summaries[summary].field);
}

void GridRowModel::computeGroupSums()
{
    if (m_groups.empty() || !m_source || !m_source->dataSet())
        return;
    const Table &t = m_source->dataSet()->table();
    for (Group &g : m_groups) {
        g.sums.assign(m_summaries.size(), 0.0);
        for (int s = 0; s < m_summaries.size(); ++s) {
            const int f = summaryField(s);
            if (f < 0)
                continue;
            double acc = 0;
            for (int i = g.start; i < g.start + g.count; ++i) {
                const int r = m_order[i];
                if (t.isNull(r, f))
                    continue;
                acc += m_summaries[s].kind == SummaryKind::Count ? 1.0 : t.real(r, f);
            }
            g.sums[s] = acc;
        }
    }
}

double GridRowModel::summaryValue(int summary, int group) const
{
    if (summary < 0 || summary >= m_summaries.size())
        return 0;
    if (group >= 0)
        return group < groupCount() && summary < int(m_groups[group].sums.size())
                   ? m_groups[group].sums[summary]
                   : 0;
    if (!m_totalsValid) {
        m_totals.assign(m_summaries.size(), 0.0);
        if (m_source && m_source->dataSet()) {
            const Table &t = m_source->dataSet()->table();
            const bool all = identity() || (m_filters.isEmpty());
            const int n = all ? m_source->rowCount() : int(m_order.size());
            for (int s = 0; s < m_summaries.size(); ++s) {
                const int f = summaryField(s);
                if (f < 0)
                    continue;
                const bool count = m_summaries[s].kind == SummaryKind::Count;
                double acc = 0;
                for (int i = 0; i < n; ++i) {
                    const int r = all ? i : m_order[i];
                    if (!t.isNull(r, f))
                        acc += count ? 1.0 : t.real(r, f);
                }
                m_totals[s] = acc;
            }
        }
        m_totalsValid = true;
    }
    return m_totals[summary];
}

QString GridRowModel::formatSummary(int summary, double value) const
{
    if (m_summaries[summary].kind == SummaryKind::Count)
        return QString::number(qint64(value));
    const int f = summaryField(summary);
    const QString pattern = f >= 0 ? m_source->dataSet()->field(f).displayFormat : QString();
    if (pattern.isEmpty()) {
        const FieldKind k = f >= 0 ? m_source->dataSet()->field(f).kind : FieldKind::Float;
        if (k == FieldKind::Integer || k == FieldKind::LargeInt)
            return QString::number(qint64(value));
    }
    return formatNumber(value, pattern);
}

QString GridRowModel::summaryText(int summary, int group) const
{
    if (summary < 0 || summary >= m_summaries.size() || summaryField(summary) < 0)
        return {};
    return formatSummary(summary, summaryValue(summary, group));
}

void GridRowModel::invalidateCaches()
{
    m_reverse.clear();
    m_reverse.shrink_to_fit();
    m_totalsValid = false;
}

void GridRowModel::forEachExportRow(const std::function<void(GridRowKind, int)> &visit) const
{
    if (!m_source)
        return;
    if (!m_groupField.isEmpty()) {
        for (int g = 0; g < groupCount(); ++g) {
            visit(GridRowKind::GroupHeader, g);
            for (int i = m_groups[g].start; i < m_groups[g].start + m_groups[g].count; ++i)
                visit(GridRowKind::Data, m_order[i]);
            visit(GridRowKind::GroupFooter, g);
        }
        return;
    }
    const int n = rowCount();
    for (int r = 0; r < n; ++r)
        visit(GridRowKind::Data, sourceRow(r));
}

// ---- data --------------------------------------------------------------------

QVariant GridRowModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !m_source)
        return {};
    const GridRowKind kind = rowKind(index.row());
    if (kind == GridRowKind::Data)
        return m_source->data(m_source->index(sourceRow(index.row()), index.column()), role);

    const int group = groupOfRow(index.row());
    switch (role) {
    case GridRole::RowKind: return int(kind);
    case GridRole::SourceRow: return -1;
    case GridRole::Kind: return int(CellKind::Text);
    case GridRole::Field: return m_source->column(index.column()).field;
    default: break;
    }
    if (kind == GridRowKind::GroupHeader) {
        if (role == Qt::DisplayRole || role == GridRole::Text) {
            const int c = m_source->columnOfField(m_groupField);
            const QString caption = c >= 0 ? m_source->column(c).headerText() : m_groupField;
            return QStringLiteral("%1 : %2").arg(caption, groupKey(group));
        }
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }
    // Group footer: the summaries bound to this column's field.
    const QString &field = m_source->column(index.column()).field;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if ((role == Qt::DisplayRole || role == GridRole::Text) && !field.isEmpty()) {
        QStringList parts;
        for (int s = 0; s < m_summaries.size(); ++s) {
            if (m_summaries[s].field.compare(field, Qt::CaseInsensitive) == 0)
                parts << summaryText(s, group);
        }
        return parts.isEmpty() ? QVariant() : QVariant(parts.join(u' '));
    }
    return {};
}

QVariant GridRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && m_source) {
        if (role == GridRole::Filtered)
            return m_filters.contains(section);
        return m_source->headerData(section, orientation, role);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridRowModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (rowKind(index.row()) != GridRowKind::Data)
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// ---- source changes ------------------------------------------------------------

void GridRowModel::onSourceAboutToReset()
{
    beginResetModel();
}

void GridRowModel::onSourceReset()
{
    rebuildOrder();
    endResetModel();
}

void GridRowModel::onSourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                       const QList<int> &roles)
{
    if (identity()) {
        m_totalsValid = false;
        Q_EMIT dataChanged(index(topLeft.row(), topLeft.column()),
                           index(bottomRight.row(), bottomRight.column()), roles);
        return;
    }
    // A changed value may move the row or take it out of the filter.
    relayout([] {});
}

void GridRowModel::onSourceRowsAboutToChange(const QModelIndex &, int first, int last, bool inserting)
{
    if (m_pending != Pending::None)
        return;
    if (!identity()) {
        // Sorted, filtered or grouped rows are rebuilt as a whole.
        m_pending = Pending::Reset;
        beginResetModel();
        return;
    }
    if (inserting) {
        m_pending = Pending::Insert;
        beginInsertRows({}, first, last);
    } else {
        m_pending = Pending::Remove;
        beginRemoveRows({}, first, last);
    }
}

void GridRowModel::onSourceRowsChanged()
{
    const Pending p = std::exchange(m_pending, Pending::None);
    invalidateCaches();
    switch (p) {
    case Pending::Insert: endInsertRows(); break;
    case Pending::Remove: endRemoveRows(); break;
    case Pending::Reset:
        rebuildOrder();
        endResetModel();
        break;
    case Pending::None: break;
    }
}

} // namespace kolvar
