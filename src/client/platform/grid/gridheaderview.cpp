#include "gridheaderview.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace kolvar {

namespace {
constexpr int ButtonWidth = 14;
constexpr int Padding = 4;
} // namespace

GridHeaderView::GridHeaderView(const GridLook *look, QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent), m_look(look)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setDefaultAlignment(Qt::AlignCenter);
}

QRect GridHeaderView::buttonRect(const QRect &section) const
{
    return QRect(section.right() - ButtonWidth - 1, section.top() + 2, ButtonWidth, section.height() - 4);
}

QRect GridHeaderView::filterButtonRect(int logicalIndex) const
{
    if (!m_look->filterButtons || isSectionHidden(logicalIndex))
        return {};
    const QRect section(sectionViewportPosition(logicalIndex), 0, sectionSize(logicalIndex), height());
    return buttonRect(section);
}

void GridHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    painter->fillRect(rect, m_look->header);
    painter->setPen(m_look->header.darker(130));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    QRect textRect = rect.adjusted(Padding, 0, -Padding, 0);
    if (m_look->filterButtons)
        textRect.setRight(textRect.right() - ButtonWidth);

    const bool sorted = model() && logicalIndex == sortIndicatorSection() && isSortIndicatorShown();
    if (sorted) {
        // A small triangle at the left edge shows the sort direction.
        const int cx = rect.left() + Padding + 4, cy = rect.center().y();
        QPainterPath mark;
        if (sortIndicatorOrder() == Qt::AscendingOrder) {
            mark.moveTo(cx - 4, cy + 2);
            mark.lineTo(cx + 4, cy + 2);
            mark.lineTo(cx, cy - 3);
        } else {
            mark.moveTo(cx - 4, cy - 2);
            mark.lineTo(cx + 4, cy - 2);
            mark.lineTo(cx, cy + 3);
        }
        painter->fillPath(mark, m_look->headerText);
        textRect.setLeft(textRect.left() + 10);
    }

    painter->setFont(m_look->headerFont);
    painter->setPen(m_look->headerText);
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->drawText(textRect, int(Qt::AlignCenter | Qt::TextWordWrap), text);

    if (m_look->filterButtons) {
        const QRect b = buttonRect(rect);
        const bool active =
            model() && model()->headerData(logicalIndex, orientation(), GridRole::Filtered).toBool();
        const int cx = b.center().x(), cy = b.center().y();
        QPainterPath arrow;
        arrow.moveTo(cx - 4, cy - 2);
        arrow.lineTo(cx + 4, cy - 2);
        arrow.lineTo(cx, cy + 3);
        arrow.closeSubpath();
        if (active) {
            painter->fillRect(b.adjusted(1, 2, -1, -2), m_look->headerText);
            painter->fillPath(arrow, m_look->header);
        } else {
            painter->fillPath(arrow, m_look->headerText);
        }
    }
    painter->restore();
}

QSize GridHeaderView::sectionSizeFromContents(int logicalIndex) const
{
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const QFontMetrics fm(m_look->headerFont);
    const int w = fm.horizontalAdvance(text) + 2 * Padding + (m_look->filterButtons ? ButtonWidth : 0) + 12;
    return {w, m_look->headerHeight};
}

void GridHeaderView::mousePressEvent(QMouseEvent *event)
{
    const int logical = logicalIndexAt(event->position().toPoint());
    m_pressOnButton = false;
    if (event->button() == Qt::LeftButton && logical >= 0 &&
        filterButtonRect(logical).contains(event->position().toPoint())) {
        // The filter button is not a click on the section: no sorting.
        m_pressOnButton = true;
        event->accept();
        Q_EMIT filterButtonClicked(logical);
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void GridHeaderView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressOnButton) {
        m_pressOnButton = false;
        event->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

void GridHeaderView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    Q_EMIT customisationRequested(event->globalPos());
}

} // namespace kolvar
