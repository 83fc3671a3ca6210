#include "gridtableview.h"

#include <platform/grid/gridtypes.h>

#include <QApplication>
#include <QKeyEvent>

namespace kolvar {

GridTableView::GridTableView(QWidget *parent) : QTableView(parent)
{
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setTabKeyNavigation(false);
}

void GridTableView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row() || current.column() != previous.column())
        m_search.clear();
    Q_EMIT currentCellChanged(current, previous);
}

bool GridTableView::incrementalSearch(const QString &text)
{
    QAbstractItemModel *m = model();
    if (!m || text.isEmpty())
        return false;
    const int rows = m->rowCount();
    if (rows == 0)
        return false;
    const QModelIndex cur = currentIndex();
    int column = cur.isValid() ? cur.column() : -1;
    if (column < 0 || isColumnHidden(column)) {
        for (column = 0; column < m->columnCount() && isColumnHidden(column); ++column) {
        }
        if (column >= m->columnCount())
            return false;
    }
    const int start = cur.isValid() ? cur.row() : 0;
    for (int i = 0; i < rows; ++i) {
        const int row = (start + i) % rows;
        const QModelIndex idx = m->index(row, column);
        if (GridRowKind(idx.data(GridRole::RowKind).toInt()) != GridRowKind::Data)
            continue;
        if (idx.data(GridRole::Text).toString().startsWith(text, Qt::CaseInsensitive)) {
            const QString keep = text;
            setCurrentIndex(idx);
            scrollTo(idx);
            m_search = keep; // moving clears it
            return true;
        }
    }
    return false;
}

void GridTableView::keyboardSearch(const QString &search)
{
    if (search.isEmpty())
        return;
    if (!m_lastKey.isValid() || m_lastKey.elapsed() > QApplication::keyboardInputInterval())
        m_search.clear();
    m_lastKey.start();
    const QString candidate = m_search + search;
    if (!incrementalSearch(candidate))
        QApplication::beep(); // the typed letter is not taken
}

void GridTableView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Backspace && !m_search.isEmpty()) {
        m_search.chop(1);
        m_lastKey.start();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && !m_search.isEmpty()) {
        m_search.clear();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridTableView::focusOutEvent(QFocusEvent *event)
{
    m_search.clear();
    QTableView::focusOutEvent(event);
}

} // namespace kolvar
