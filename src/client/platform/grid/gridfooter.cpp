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

void GridFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_look->footer);
    p.setPen(m_look->footer.darker(130));
    p.drawLine(rect().topLeft(), rect().topRight());
    if (!m_rows->sourceModel())
        return;
    QFont bold = m_look->font;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(m_look->text);
    const QHeaderView *header = m_view->horizontalHeader();
    const int offset = m_view->viewport()->mapTo(parentWidget(), QPoint(0, 0)).x() - x();
    p.setClipRect(QRect(offset, 0, m_view->viewport()->width(), height()));
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        const QString text = cellText(c);
        if (text.isEmpty())
            continue;
        const QRect cell(offset + header->sectionViewportPosition(c) + 3, 0, header->sectionSize(c) - 6,
                         height());
        p.drawText(cell, int(Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine), text);
    }
}

} // namespace kolvar
