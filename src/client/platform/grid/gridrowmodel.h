#pragma once

#include <platform/grid/datasetmodel.h>
#include <platform/grid/gridtypes.h>

#include <QAbstractTableModel>
#include <QCollator>
#include <QHash>
#include <QPointer>
#include <QSet>

#include <functional>
#include <vector>

namespace kolvar {

// The rows a grid shows: the dataset rows that pass the column filters, in
// header-sort order, optionally grouped by a field with a header and a footer
// row per group. Rows are held as one vector of dataset row numbers (none at
// all while nothing is filtered, sorted or grouped), never as objects.
class GridRowModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit GridRowModel(QObject *parent = nullptr);
    ~GridRowModel() override;

    void setSourceModel(DataSetModel *source);
    DataSetModel *sourceModel() const { return m_source; }

    // Rows.
    GridRowKind rowKind(int row) const;
    int sourceRow(int row) const;         // dataset row; -1 for group rows
    int rowOfSource(int sourceRow) const; // -1 when filtered out or collapsed
    int groupOfRow(int row) const;        // -1 when not grouped

    // Column value filters: a row passes when the column's display text is one
    // of the accepted texts. An empty list removes the column's filter.
    void setColumnFilter(int column, const QStringList &accepted);
    QStringList columnFilter(int column) const;
    bool hasFilters() const { return !m_filters.isEmpty(); }
    void clearFilters();
    QStringList distinctTexts(int column) const; // of all dataset rows, sorted

    // Sorting; column -1 restores the dataset's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Grouping by a dataset field (it need not be a column).
    void setGrouping(const QString &field, Qt::SortOrder order = Qt::AscendingOrder);
    void clearGrouping() { setGrouping(QString()); }
    QString groupField() const { return m_groupField; }
    int groupCount() const { return int(m_groups.size()); }
    QString groupKey(int group) const;
    int groupRowCount(int group) const;
    bool isGroupExpanded(int group) const;
    void setGroupExpanded(int group, bool expanded);
    void setAllGroupsExpanded(bool expanded);

    // Summaries for the footer and the group footers.
    void setSummaries(QList<GridSummary> summaries);
    const QList<GridSummary> &summaries() const { return m_summaries; }
    double summaryValue(int summary, int group = -1) const; // group -1: all filtered rows
    QString summaryText(int summary, int group = -1) const;

    // Every row as the export sees it: groups expanded. For data rows the
    // callback gets the dataset row, for group rows the group number.
    void forEachExportRow(const std::function<void(GridRowKind, int)> &visit) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Group {
        int start = 0; // into m_order
        int count = 0;
        bool expanded = true;
        QString key;
        std::vector<double> sums;
    };

    bool identity() const { return m_filters.isEmpty() && m_sortColumn < 0 && m_groupField.isEmpty(); }
    void relayout(const std::function<void()> &change); // keeps persistent indexes
    void rebuildOrder();                                // filter, sort, group
    void rebuildRows();                                 // visible rows from groups and their expansion
    void computeGroupSums();
    bool passesFilters(int sourceRow) const;
    int compareRows(int a, int b, int field) const;
    int summaryField(int summary) const;
    QString formatSummary(int summary, double value) const;
    void invalidateCaches();

    void onSourceAboutToReset();
    void onSourceReset();
    void onSourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const QList<int> &roles);
    void onSourceRowsAboutToChange(const QModelIndex &parent, int first, int last, bool inserting);
    void onSourceRowsChanged();

    QPointer<DataSetModel> m_source;
    QList<QMetaObject::Connection> m_connections;
    QHash<int, QSet<QString>> m_filters;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_groupField;
    Qt::SortOrder m_groupOrder = Qt::AscendingOrder;
    QList<GridSummary> m_summaries;
    QCollator m_collator;

    std::vector<int> m_order; // filtered/sorted/grouped dataset rows (empty in identity)
    std::vector<int> m_rows;  // visible rows when grouped; group rows encoded negative
    std::vector<Group> m_groups;
    mutable std::vector<int> m_reverse;   // dataset row -> view row, built on demand
    mutable std::vector<double> m_totals; // grand summaries, built on demand
    mutable bool m_totalsValid = false;
    enum class Pending { None, Insert, Remove, Reset };
    Pending m_pending = Pending::None;
};

} // namespace kolvar
