#pragma once

#include <platform/grid/gridtypes.h>

#include <QHash>
#include <QWidget>

#include <functional>

class QMenu;

namespace kolvar {

class ClientDataSet;
class DataSetModel;
class GridCellDelegate;
class GridFooter;
class GridHeaderView;
class GridRowModel;
class GridTableView;

// The dataset-bound grid of every list of the client. A window declares its
// columns, binds a client dataset and sets the look; the grid shows the rows
// in place (no copy), with header filters, quick column customisation,
// footer and group summaries, incremental search and Excel export.
class DataGrid : public QWidget
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // Columns.
    void setColumns(QList<GridColumn> columns);
    const QList<GridColumn> &columns() const;
    int columnCount() const;
    int columnOfField(QStringView field) const;     // -1 when none
    int columnOfCaption(QStringView caption) const; // -1 when none
    bool isColumnVisible(int column) const;
    void setColumnVisible(int column, bool visible);
    bool isColumnOffered(int column) const;
    void setColumnOffered(int column, bool offered);
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    QList<int> visibleColumns() const; // in header order

    // Data source. A null data set detaches the grid (it shows nothing).
    void setDataSet(ClientDataSet *dataSet);
    ClientDataSet *dataSet() const;
    void detach() { setDataSet(nullptr); }

    // Look.
    void setLook(const GridLook &look);
    const GridLook &look() const;
    RowStyle rowStyle(int viewRow) const;

    // Batch update: nothing repaints until the outermost end. Nested calls count.
    void beginUpdate();
    void endUpdate();
    bool isUpdating() const { return m_updateDepth > 0; }

    // Rows and focus.
    int rowCount() const;           // view rows, group rows included
    int recordCount() const;        // data rows passing the filters
    int focusedRecord() const;      // dataset row of the focused row; -1 when none
    bool setFocusedRecord(int row); // false when the row is not shown
    int focusedColumn() const;      // model column; -1 when none
    QString focusedField() const;
    void setFocusedColumn(int column);

    // Header filters.
    void setColumnFilter(int column, const QStringList &acceptedTexts);
    QStringList columnFilter(int column) const;
    void clearFilters();
    bool hasFilters() const;
    QMenu *createFilterMenu(int column, QWidget *parent); // caller owns

    // Quick column customisation: offered columns with check marks.
    QMenu *createCustomisationMenu(QWidget *parent); // caller owns

    // Sorting by header click (on by default).
    void setSortingEnabled(bool enabled);
    void sortByColumn(int column, Qt::SortOrder order);

    // Summaries of the footer and the group footers.
    void setSummaries(QList<GridSummary> summaries);
    QString footerText(int column) const;
    QString groupFooterText(int group, int column) const;

    // Grouping by a field; its column is hidden while grouped.
    void setGrouping(const QString &field, Qt::SortOrder order = Qt::AscendingOrder);
    void clearGrouping();
    int groupCount() const;
    void collapseAll();
    void expandAll();
    void setGroupExpanded(int group, bool expanded);

    // Widths.
    void bestFit();
    // One unit is (grid width - 30) / sum of the visible columns' weights,
    // truncated; each visible column gets its weight times the unit. Returns
    // false (nothing resized) when no column is visible or the weights sum to 0.
    // Visible columns in `fixedWidths` get that width instead, and the others
    // share what is left by their weights.
    bool applyWeights(const QHash<int, int> &fixedWidths = {});
    static int weightUnit(int gridWidth, int weightSum);

    // Excel export of every row of the view: the file comes from the save
    // dialog (or the chooser set below); false on cancel or failure.
    bool exportToExcel(QString *error = nullptr);
    bool exportToExcel(const QString &path, QString *error = nullptr) const;
    using FileChooser = std::function<QString(QWidget *parent, const QString &filter)>;
    void setFileChooser(FileChooser chooser);
    static QString excelFilter(); // "Excel|*.xls*"

    void setPopupMenu(QMenu *menu);

    GridTableView *view() const;
    GridHeaderView *header() const;
    GridFooter *footer() const;
    GridRowModel *rowModel() const;
    DataSetModel *dataModel() const;

Q_SIGNALS:
    void focusedRecordChanged(int row);
    void focusedColumnChanged(int column);
    void doubleClicked(int row);
    void popupRequested(const QPoint &globalPos);

private:
    void applyLook();
    void applyColumnState();
    void updateGroupSpans();
    void onCurrentCellChanged(const QModelIndex &current, const QModelIndex &previous);
    void onHeaderClicked(int column);
    void onDataSetCurrentChanged(int row);
    void showFilterMenu(int column);

    GridLook m_look;
    DataSetModel *m_data;
    GridRowModel *m_rows;
    GridTableView *m_view;
    GridHeaderView *m_header;
    GridCellDelegate *m_delegate;
    GridFooter *m_footer;
    QMenu *m_popup = nullptr;
    FileChooser m_chooser;
    QMetaObject::Connection m_currentConnection;
    int m_updateDepth = 0;
    int m_groupColumn = -1;
    int m_columnBeforeLayout = -1;
    bool m_syncingCursor = false;
    QList<int> m_spanRows;
};

} // namespace kolvar
