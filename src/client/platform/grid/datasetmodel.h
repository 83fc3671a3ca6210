#pragma once

#include <platform/clientdataset.h>
#include <platform/grid/gridtypes.h>

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

namespace kolvar {

// The rows of a client dataset as a table model, one model column per
// declared grid column. Cells are read from the dataset on demand; the model
// keeps no copy of the rows. A null data set (detached) is an empty model.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DataSetModel(QObject *parent = nullptr);
    ~DataSetModel() override;

    void setColumns(QList<GridColumn> columns);
    const QList<GridColumn> &columns() const { return m_columns; }
    const GridColumn &column(int index) const { return m_columns.at(index); }
    // For the grid's own column state (visibility, width); not data.
    GridColumn &columnState(int index) { return m_columns[index]; }
    int columnOfField(QStringView field) const; // -1 when no column binds it

    void setDataSet(ClientDataSet *dataSet);
    ClientDataSet *dataSet() const { return m_dataSet; }

    // Dataset field index behind a model column; -1 when unbound or missing.
    int fieldIndex(int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void resolveFields();
    void onReset();
    void onDataSetDestroyed();
    void onRowChanged(int row);
    void onRowsInserted(int first, int last);
    void onRowsRemoved(int first, int last);

    QList<GridColumn> m_columns;
    std::vector<int> m_fieldIndex;
    QPointer<ClientDataSet> m_dataSet;
    int m_rows = 0;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace kolvar
