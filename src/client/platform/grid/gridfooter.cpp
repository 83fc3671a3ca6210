#include "gridfooter.h"

#include "datasetmodel.h"
#include "gridrowmodel.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

namespace kolvar {

GridFooter::GridFooter(const GridLook *look, QTableView *view, GridRowModel *rows, QWidget *parent)
    : QWidget(parent), m_look(look), m_view(view), m_rows(rows)
{
    auto repaint = [this] { update(); };
    QHeaderView *header = view->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, repaint);
    connect(header, &QHeaderView::sectionMoved, this, repaint);
    connect(header, &QHeaderView::geometriesChanged, this, repaint);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    connect(rows, &QAbstractItemModel::modelReset, this, repaint);
    connect(rows, &QAbstractItemModel::layoutChanged, this, repaint);
    connect(rows, &QAbstractItemModel::dataChanged, this, repaint);
    connect(rows, &QAbstractItemModel::rowsInserted, this, repaint);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, repaint);
}

QString GridFooter::cellText(int column) const
{
    const DataSetModel *source = m_rows->sourceModel();
    if (!source || column < 0 || column >= source->columnCount())
        return {};
    const QString &field = source->column(column).field;
    if (field.isEmpty())
        return {};
    QStringList parts;
    const auto &summaries = m_rows->summaries();
    for (int s = 0; s < summaries.size(); ++s) {
        if (summaries[s].field.compare(field, Qt::CaseInsensitive) == 0)
            parts << m_rows->summaryText(s);
    }
    return parts.join(u' ');
}

QSize GridFooter::sizeHint() const
{
    return {100, qMax(QFontMetrics(m_look->font).height() + 8, 22)};
}

QFont GridFooter::textFont() const
{
    QFont bold = m_look->font;
    bold.setBold(true);
    return bold;
}

int GridFooter::viewportOffset() const
{
    return m_view->viewport()->mapTo(parentWidget(), QPoint(0, 0)).x() - x();
}

QRect GridFooter::textRect(int column) const
{
    const QHeaderView *header = m_view->horizontalHeader();
    if (column < 0 || column >= header->count() || header->isSectionHidden(column))
        return {};
    const QString text = cellText(column);
    if (text.isEmpty())
        return {};
    QRect cell(viewportOffset() + header->sectionViewportPosition(column) + 3, 0,
               header->sectionSize(column) - 6, height());
    const int width = QFontMetrics(textFont()).horizontalAdvance(text);
    if (width > cell.width())
        cell.setLeft(cell.right() + 1 - width);
    return cell;
}

void GridFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_look->footer);
    p.setPen(m_look->footer.darker(130));
    p.drawLine(rect().topLeft(), rect().topRight());
    if (!m_rows->sourceModel())
        return;
    p.setFont(textFont());
    p.setPen(m_look->text);
    p.setClipRect(QRect(viewportOffset(), 0, m_view->viewport()->width(), height()));
    const QHeaderView *header = m_view->horizontalHeader();
    for (int c = 0; c < header->count(); ++c) {
        const QRect r = textRect(c);
        if (!r.isEmpty())
            p.drawText(r, int(Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine), cellText(c));
    }
}

} // namespace kolvar
