#include "datagrid.h"

#include "datasetmodel.h"
#include "gridcelldelegate.h"
#include "gridexcelexport.h"
#include "gridfooter.h"
#include "gridheaderview.h"
#include "gridrowmodel.h"
#include "gridtableview.h"

#include <platform/clientdataset.h>

#include <QFileDialog>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>

namespace kolvar {

namespace {
constexpr int WeightMargin = 30; // room left for the indicator and the scroll bar
constexpr int MaxFilterValues = 500;
constexpr int BestFitRowLimit = 20000;
} // namespace

DataGrid::DataGrid(QWidget *parent)
    : QWidget(parent), m_data(new DataSetModel(this)), m_rows(new GridRowModel(this)),
      m_view(new GridTableView(this)), m_header(new GridHeaderView(&m_look, m_view)),
      m_delegate(new GridCellDelegate(&m_look, this)), m_footer(nullptr)
{
    m_look.headerFont = m_look.font;
    m_rows->setSourceModel(m_data);
    m_view->setHorizontalHeader(m_header);
    m_view->setModel(m_rows);
    m_view->setItemDelegate(m_delegate);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setStretchLastSection(false);

    m_footer = new GridFooter(&m_look, m_view, m_rows, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_footer);
    setFocusProxy(m_view);

    connect(m_view, &GridTableView::currentCellChanged, this, &DataGrid::onCurrentCellChanged);
    connect(m_header, &QHeaderView::sectionClicked, this, &DataGrid::onHeaderClicked);
    connect(m_header, &GridHeaderView::filterButtonClicked, this, &DataGrid::showFilterMenu);
    connect(m_header, &GridHeaderView::customisationRequested, this, [this](const QPoint &pos) {
        QMenu *menu = createCustomisationMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(pos);
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        const int row = m_rows->sourceRow(index.row());
        if (row >= 0)
            Q_EMIT doubleClicked(row);
    });
    connect(m_view, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (m_rows->rowKind(index.row()) == GridRowKind::GroupHeader) {
            const int g = m_rows->groupOfRow(index.row());
            setGroupExpanded(g, !m_rows->isGroupExpanded(g));
        }
    });
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QPoint global = m_view->viewport()->mapToGlobal(pos);
        Q_EMIT popupRequested(global);
        if (m_popup)
            m_popup->popup(global);
    });
    auto afterReset = [this] {
        updateGroupSpans();
        // A freshly loaded list has its dataset's current record focused.
        if (m_rows->rowCount() > 0 && !m_view->currentIndex().isValid()) {
            const ClientDataSet *ds = m_data->dataSet();
            const int rec = ds && ds->recNo() >= 0 ? ds->recNo() : 0;
            setFocusedRecord(rec) || setFocusedRecord(m_rows->sourceRow(0));
        }
    };
    connect(m_rows, &QAbstractItemModel::modelReset, this, afterReset);
    connect(m_rows, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this] { m_columnBeforeLayout = focusedColumn(); });
    connect(m_rows, &QAbstractItemModel::layoutChanged, this, [this] {
        updateGroupSpans();
        // The focused row was filtered out or collapsed: focus the first record.
        if (!m_view->currentIndex().isValid()) {
            for (int r = 0; r < m_rows->rowCount(); ++r) {
                if (m_rows->rowKind(r) == GridRowKind::Data) {
                    const int c = m_columnBeforeLayout >= 0 ? m_columnBeforeLayout : 0;
                    m_view->setCurrentIndex(m_rows->index(r, c));
                    break;
                }
            }
        }
    });

    applyLook();
}

DataGrid::~DataGrid()
{
    // The view, its header and the footer measure with m_look while they are
    // hidden and destroyed; they must go before the members do.
    delete m_footer;
    delete m_view;
}

// ---- columns -------------------------------------------------------------------

void DataGrid::setColumns(QList<GridColumn> columns)
{
    m_groupColumn = -1;
    m_data->setColumns(std::move(columns));
    if (!m_rows->groupField().isEmpty())
        m_groupColumn = m_data->columnOfField(m_rows->groupField());
    applyColumnState();
}

const QList<GridColumn> &DataGrid::columns() const
{
    return m_data->columns();
}

int DataGrid::columnCount() const
{
    return m_data->columnCount();
}

int DataGrid::columnOfField(QStringView field) const
{
    return m_data->columnOfField(field);
}

int DataGrid::columnOfCaption(QStringView caption) const
{
    const auto &cols = m_data->columns();
    for (int i = 0; i < cols.size(); ++i) {
        if (cols[i].headerText() == caption)
            return i;
    }
    return -1;
}

bool DataGrid::isColumnVisible(int column) const
{
    return column >= 0 && column < columnCount() && !m_view->isColumnHidden(column);
}

void DataGrid::setColumnVisible(int column, bool visible)
{
    if (column < 0 || column >= columnCount())
        return;
    m_data->columnState(column).visible = visible;
    m_view->setColumnHidden(column, !visible || column == m_groupColumn);
    m_footer->update();
}

bool DataGrid::isColumnOffered(int column) const
{
    return column >= 0 && column < columnCount() && m_data->column(column).offered;
}

void DataGrid::setColumnOffered(int column, bool offered)
{
    if (column >= 0 && column < columnCount())
        m_data->columnState(column).offered = offered;
}

int DataGrid::columnWidth(int column) const
{
    return m_view->columnWidth(column);
}

void DataGrid::setColumnWidth(int column, int width)
{
    if (column >= 0 && column < columnCount())
        m_view->setColumnWidth(column, width);
}

QList<int> DataGrid::visibleColumns() const
{
    QList<int> result;
    for (int v = 0; v < m_header->count(); ++v) {
        const int c = m_header->logicalIndex(v);
        if (!m_view->isColumnHidden(c))
            result << c;
    }
    return result;
}

void DataGrid::applyColumnState()
{
    const auto &cols = m_data->columns();
    for (int i = 0; i < cols.size(); ++i) {
        m_view->setColumnHidden(i, !cols[i].visible || i == m_groupColumn);
        if (cols[i].width > 0)
            m_view->setColumnWidth(i, cols[i].width);
    }
    m_footer->update();
}

// ---- data source -------------------------------------------------------------------

void DataGrid::setDataSet(ClientDataSet *dataSet)
{
    if (dataSet == m_data->dataSet())
        return;
    disconnect(m_currentConnection);
    m_data->setDataSet(dataSet);
    if (dataSet)
        m_currentConnection =
            connect(dataSet, &ClientDataSet::currentChanged, this, &DataGrid::onDataSetCurrentChanged);
}

ClientDataSet *DataGrid::dataSet() const
{
    return m_data->dataSet();
}

// ---- look ------------------------------------------------------------------------------

void DataGrid::setLook(const GridLook &look)
{
    m_look = look;
    applyLook();
}

const GridLook &DataGrid::look() const
{
    return m_look;
}

RowStyle DataGrid::rowStyle(int viewRow) const
{
    return m_delegate->rowStyle(viewRow);
}

void DataGrid::applyLook()
{
    m_view->setFont(m_look.font);
    m_header->setFont(m_look.headerFont);
    m_header->setFixedHeight(m_look.headerHeight);
    m_header->setVisible(m_look.showHeader);
    QHeaderView *rows = m_view->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(m_look.rowHeight);
    rows->setVisible(m_look.indicator);
    rows->setFixedWidth(m_look.indicatorWidth);
    m_view->setWordWrap(m_look.wordWrap);
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Base, m_look.evenRow);
    pal.setColor(QPalette::Text, m_look.text);
    pal.setColor(QPalette::Highlight, m_look.selection);
    pal.setColor(QPalette::HighlightedText, m_look.selectionText);
    m_view->setPalette(pal);
    m_header->setSortIndicatorShown(m_look.sorting && m_rows->sortColumn() >= 0);
    m_footer->setFont(m_look.font);
    m_footer->setVisible(m_look.showFooter || !m_rows->summaries().isEmpty());
    m_footer->setFixedHeight(m_footer->sizeHint().height());
    m_view->viewport()->update();
    m_header->viewport()->update();
}

// ---- batch update ----------------------------------------------------------------------

void DataGrid::beginUpdate()
{
    if (m_updateDepth++ == 0)
        setUpdatesEnabled(false);
}

void DataGrid::endUpdate()
{
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth == 0) {
        setUpdatesEnabled(true);
        m_view->viewport()->update();
        m_footer->update();
    }
}

// ---- rows and focus ----------------------------------------------------------------------

int DataGrid::rowCount() const
{
    return m_rows->rowCount();
}

int DataGrid::recordCount() const
{
    if (m_rows->groupField().isEmpty())
        return m_rows->rowCount();
    int n = 0;
    for (int g = 0; g < m_rows->groupCount(); ++g)
        n += m_rows->groupRowCount(g);
    return n;
}

int DataGrid::focusedRecord() const
{
    const QModelIndex cur = m_view->currentIndex();
    return cur.isValid() ? m_rows->sourceRow(cur.row()) : -1;
}

bool DataGrid::setFocusedRecord(int row)
{
    const int viewRow = m_rows->rowOfSource(row);
    if (viewRow < 0)
        return false;
    int column = focusedColumn();
    if (column < 0 || m_view->isColumnHidden(column)) {
        const QList<int> visible = visibleColumns();
        column = visible.isEmpty() ? 0 : visible.first();
    }
    const QModelIndex idx = m_rows->index(viewRow, column);
    m_view->setCurrentIndex(idx);
    return true;
}

int DataGrid::focusedColumn() const
{
    const QModelIndex cur = m_view->currentIndex();
    return cur.isValid() ? cur.column() : -1;
}

QString DataGrid::focusedField() const
{
    const int c = focusedColumn();
    return c >= 0 ? m_data->column(c).field : QString();
}

void DataGrid::setFocusedColumn(int column)
{
    const QModelIndex cur = m_view->currentIndex();
    if (!cur.isValid() || column < 0 || column >= columnCount())
        return;
    m_view->setCurrentIndex(m_rows->index(cur.row(), column));
}

void DataGrid::onCurrentCellChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (current.row() != previous.row() || !previous.isValid()) {
        const int rec = current.isValid() ? m_rows->sourceRow(current.row()) : -1;
        ClientDataSet *ds = m_data->dataSet();
        if (rec >= 0 && ds && !m_syncingCursor && ds->recNo() != rec) {
            m_syncingCursor = true;
            ds->setRecNo(rec);
            m_syncingCursor = false;
        }
        Q_EMIT focusedRecordChanged(rec);
    }
    if (current.column() != previous.column())
        Q_EMIT focusedColumnChanged(current.isValid() ? current.column() : -1);
}

void DataGrid::onDataSetCurrentChanged(int row)
{
    if (m_syncingCursor || row < 0 || row == focusedRecord())
        return;
    m_syncingCursor = true;
    setFocusedRecord(row);
    m_syncingCursor = false;
}

// ---- filters -------------------------------------------------------------------------

void DataGrid::setColumnFilter(int column, const QStringList &acceptedTexts)
{
    m_rows->setColumnFilter(column, acceptedTexts);
    m_header->viewport()->update();
}

QStringList DataGrid::columnFilter(int column) const
{
    return m_rows->columnFilter(column);
}

void DataGrid::clearFilters()
{
    m_rows->clearFilters();
    m_header->viewport()->update();
}

bool DataGrid::hasFilters() const
{
    return m_rows->hasFilters();
}

QMenu *DataGrid::createFilterMenu(int column, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("filterMenu"));
    QAction *all = menu->addAction(tr("(Tümü)"));
    connect(all, &QAction::triggered, this, [this, column] { setColumnFilter(column, {}); });
    menu->addSeparator();
    const QStringList values = m_rows->distinctTexts(column);
    const QStringList current = m_rows->columnFilter(column);
    for (int i = 0; i < values.size() && i < MaxFilterValues; ++i) {
        const QString &value = values[i];
        QString label = value.isEmpty() ? tr("(Boş)") : value;
        label.replace(u'&', QStringLiteral("&&"));
        QAction *a = menu->addAction(label);
        a->setCheckable(true);
        a->setChecked(current.contains(value));
        a->setData(value);
        connect(a, &QAction::toggled, this, [this, column, value](bool on) {
            QStringList accepted = m_rows->columnFilter(column);
            accepted.removeAll(value);
            if (on)
                accepted << value;
            setColumnFilter(column, accepted);
        });
    }
    return menu;
}

void DataGrid::showFilterMenu(int column)
{
    QMenu *menu = createFilterMenu(column, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QRect b = m_header->filterButtonRect(column);
    menu->popup(m_header->viewport()->mapToGlobal(b.bottomLeft()));
}

// ---- customisation ---------------------------------------------------------------------

QMenu *DataGrid::createCustomisationMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("customisationMenu"));
    const auto &cols = m_data->columns();
    for (int i = 0; i < cols.size(); ++i) {
        if (!cols[i].offered || i == m_groupColumn)
            continue;
        QString label = cols[i].headerText();
        label.replace(u'&', QStringLiteral("&&"));
        QAction *a = menu->addAction(label);
        a->setCheckable(true);
        a->setChecked(cols[i].visible);
        a->setData(i);
        connect(a, &QAction::toggled, this, [this, i](bool on) { setColumnVisible(i, on); });
    }
    return menu;
}

// ---- sorting --------------------------------------------------------------------------------

void DataGrid::setSortingEnabled(bool enabled)
{
    m_look.sorting = enabled;
    if (!enabled && m_rows->sortColumn() >= 0)
        m_rows->sort(-1);
    applyLook();
}

void DataGrid::sortByColumn(int column, Qt::SortOrder order)
{
    m_rows->sort(column, order);
    m_header->setSortIndicator(column, order);
    m_header->setSortIndicatorShown(column >= 0);
}

void DataGrid::onHeaderClicked(int column)
{
    if (!m_look.sorting) {
        m_header->setSortIndicatorShown(false);
        return;
    }
    const Qt::SortOrder order = (m_rows->sortColumn() == column && m_rows->sortOrder() == Qt::AscendingOrder)
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    sortByColumn(column, order);
}

// ---- summaries and grouping ------------------------------------------------------------

void DataGrid::setSummaries(QList<GridSummary> summaries)
{
    m_rows->setSummaries(std::move(summaries));
    applyLook();
}

QString DataGrid::footerText(int column) const
{
    return m_footer->cellText(column);
}

QString DataGrid::groupFooterText(int group, int column) const
{
    for (int r = 0; r < m_rows->rowCount(); ++r) {
        if (m_rows->rowKind(r) == GridRowKind::GroupFooter && m_rows->groupOfRow(r) == group)
            return m_rows->index(r, column).data(GridRole::Text).toString();
    }
    return {};
}

void DataGrid::setGrouping(const QString &field, Qt::SortOrder order)
{
    m_rows->setGrouping(field, order);
    m_groupColumn = field.isEmpty() ? -1 : m_data->columnOfField(field);
    applyColumnState();
    updateGroupSpans();
}

void DataGrid::clearGrouping()
{
    setGrouping(QString());
}

int DataGrid::groupCount() const
{
    return m_rows->groupCount();
}

void DataGrid::collapseAll()
{
    m_rows->setAllGroupsExpanded(false);
}

void DataGrid::expandAll()
{
    m_rows->setAllGroupsExpanded(true);
}

void DataGrid::setGroupExpanded(int group, bool expanded)
{
    m_rows->setGroupExpanded(group, expanded);
}

// A group header reads across the row: one span from the first shown column.
void DataGrid::updateGroupSpans()
{
    if (!m_spanRows.isEmpty()) {
        m_view->clearSpans();
        m_spanRows.clear();
    }
    if (m_rows->groupField().isEmpty())
        return;
    const QList<int> visible = visibleColumns();
    if (visible.isEmpty())
        return;
    const int first = visible.first();
    const int span = columnCount() - first;
    for (int r = 0; r < m_rows->rowCount(); ++r) {
        if (m_rows->rowKind(r) == GridRowKind::GroupHeader) {
            if (span > 1)
                m_view->setSpan(r, first, 1, span);
            m_spanRows << r;
        }
    }
}

// ---- widths --------------------------------------------------------------------------------

int DataGrid::weightUnit(int gridWidth, int weightSum)
{
    if (weightSum <= 0)
        return 0;
    return std::max(0, (gridWidth - WeightMargin) / weightSum);
}

bool DataGrid::applyWeights(const QHash<int, int> &fixedWidths)
{
    const QList<int> visible = visibleColumns();
    int sum = 0, fixedSum = 0;
    for (int c : visible) {
        if (const auto it = fixedWidths.constFind(c); it != fixedWidths.cend())
            fixedSum += *it;
        else
            sum += m_data->column(c).weight;
    }
    if (visible.isEmpty() || (sum <= 0 && fixedSum == 0))
        return false;
    const int unit = sum > 0 ? qMax(0, weightUnit(width() - fixedSum, sum)) : 0;
    beginUpdate();
    for (int c : visible)
        m_view->setColumnWidth(c, fixedWidths.value(c, m_data->column(c).weight * unit));
    endUpdate();
    return true;
}

void DataGrid::bestFit()
{
    const QFontMetrics fm(m_look.font);
    const int rows = std::min(m_rows->rowCount(), BestFitRowLimit);
    beginUpdate();
    for (int c : visibleColumns()) {
        const GridColumn &col = m_data->column(c);
        int w = m_header->sectionSizeHint(c);
        switch (col.kind) {
        case CellKind::Custom:
        case CellKind::Picture: continue; // the window decides these widths
        case CellKind::Check:
        case CellKind::Icon: w = std::max(w, 32); break;
        case CellKind::Text:
        case CellKind::Memo:
            for (int r = 0; r < rows; ++r) {
                if (m_rows->rowKind(r) == GridRowKind::GroupHeader)
                    continue;
                const QString text = m_rows->index(r, c).data(GridRole::Text).toString();
                w = std::max(w, fm.horizontalAdvance(text) + 10);
            }
            break;
        }
        m_view->setColumnWidth(c, w);
    }
    endUpdate();
}

// ---- export ------------------------------------------------------------------------------

QString DataGrid::excelFilter()
{
    return QStringLiteral("Excel|*.xls*");
}

void DataGrid::setFileChooser(FileChooser chooser)
{
    m_chooser = std::move(chooser);
}

bool DataGrid::exportToExcel(QString *error)
{
    QString path;
    if (m_chooser) {
        path = m_chooser(this, excelFilter());
    } else {
        // "Name|pattern" as the file dialog writes it: "Name (pattern)".
        const QStringList parts = excelFilter().split(u'|');
        path = QFileDialog::getSaveFileName(this, QString(), QString(),
                                            QStringLiteral("%1 (%2)").arg(parts.value(0), parts.value(1)));
    }
    if (path.isEmpty())
        return false;
    // The workbook is .xlsx; a name without an Excel extension gets one.
    if (!path.section(u'/', -1).contains(QStringLiteral(".xls"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    return exportToExcel(path, error);
}

bool DataGrid::exportToExcel(const QString &path, QString *error) const
{
    QList<GridExcelExport::Column> cols;
    for (int c : visibleColumns())
        cols.append({c, m_view->columnWidth(c)});
    return GridExcelExport::write(*m_rows, cols, path, error);
}

void DataGrid::setPopupMenu(QMenu *menu)
{
    m_popup = menu;
}

GridTableView *DataGrid::view() const
{
    return m_view;
}

GridHeaderView *DataGrid::header() const
{
    return m_header;
}

GridFooter *DataGrid::footer() const
{
    return m_footer;
}

GridRowModel *DataGrid::rowModel() const
{
    return m_rows;
}

DataSetModel *DataGrid::dataModel() const
{
    return m_data;
}

} // namespace kolvar
