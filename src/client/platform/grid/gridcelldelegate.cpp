#include "gridcelldelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>

namespace kolvar {

namespace {
constexpr int TextPadding = 3;
constexpr int MaxIconSize = 24;
} // namespace

GridCellDelegate::GridCellDelegate(const GridLook *look, QObject *parent)
    : QStyledItemDelegate(parent), m_look(look)
{}

RowStyle GridCellDelegate::rowStyle(int viewRow) const
{
    RowStyle s;
    s.odd = (viewRow % 2) != 0;
    s.background = s.odd ? m_look->oddRow : m_look->evenRow;
    s.text = m_look->text;
    s.selectionBackground = m_look->selection;
    s.selectionText = m_look->selectionText;
    return s;
}

void GridCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const auto rowKind = GridRowKind(index.data(GridRole::RowKind).toInt());
    const bool selected = (option.state & QStyle::State_Selected) && rowKind == GridRowKind::Data;
    const RowStyle style = rowStyle(index.row());

    QColor background = selected ? style.selectionBackground : style.background;
    QColor foreground = selected ? style.selectionText : style.text;
    if (rowKind == GridRowKind::GroupHeader)
        background = m_look->groupRow;
    else if (rowKind == GridRowKind::GroupFooter)
        background = m_look->footer;

    painter->save();
    painter->fillRect(option.rect, background);

    const auto kind =
        rowKind == GridRowKind::Data ? CellKind(index.data(GridRole::Kind).toInt()) : CellKind::Text;
    switch (kind) {
    case CellKind::Custom:
        if (const auto *drawer =
                static_cast<const CellDrawer *>(index.data(GridRole::Drawer).value<const void *>())) {
            (*drawer)(painter, option.rect, index.data(GridRole::SourceRow).toInt(), selected, style);
        }
        break;
    case CellKind::Check: paintCheck(painter, option, index); break;
    case CellKind::Icon: paintIcon(painter, option, index); break;
    case CellKind::Picture: paintPicture(painter, option, index); break;
    case CellKind::Memo: paintText(painter, option, index, foreground, true); break;
    case CellKind::Text:
        if (rowKind == GridRowKind::GroupHeader) {
            QFont bold = option.font;
            bold.setBold(true);
            painter->setFont(bold);
        }
        paintText(painter, option, index, foreground, m_look->wordWrap && rowKind == GridRowKind::Data);
        break;
    }

    if (m_look->focusRect && (option.state & QStyle::State_HasFocus) && rowKind == GridRowKind::Data) {
        QPen pen(foreground, 1, Qt::DotLine);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

void GridCellDelegate::paintText(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index, const QColor &color, bool wrap) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    const QRect r = option.rect.adjusted(TextPadding, 0, -TextPadding, 0);
    painter->setPen(color);
    if (wrap) {
        painter->drawText(r, int(align) | Qt::TextWordWrap, text);
        return;
    }
    const QFontMetrics fm(painter->font());
    painter->drawText(r, int(align) | Qt::TextSingleLine, fm.elidedText(text, Qt::ElideRight, r.width()));
}

void GridCellDelegate::paintCheck(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    QStyleOptionButton box;
    box.state = QStyle::State_Enabled | QStyle::State_ReadOnly;
    box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget);
    box.rect = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, QSize(w, h), option.rect);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}

void GridCellDelegate::paintIcon(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    const QVariant v = index.data(Qt::DecorationRole);
    if (!v.isValid())
        return;
    const QIcon icon = v.value<QIcon>();
    const int side = qMax(1, qMin(MaxIconSize, option.rect.height() - 4));
    const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    const QRect r =
        QStyle::alignedRect(Qt::LeftToRight, align, QSize(side, side), option.rect.adjusted(2, 0, -2, 0));
    icon.paint(painter, r);
}

void GridCellDelegate::paintPicture(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const QByteArray bytes = index.data(GridRole::Picture).toByteArray();
    if (bytes.isEmpty())
        return;
    const QSize target = option.rect.size() - QSize(4, 4);
    if (target.isEmpty())
        return;
    // Decoding is costly; keep the scaled picture by content and size.
    const QString key = QStringLiteral("kolvar-grid-%1-%2-%3x%4")
                            .arg(qHash(bytes))
                            .arg(bytes.size())
                            .arg(target.width())
                            .arg(target.height());
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        QPixmap decoded;
        if (!decoded.loadFromData(bytes))
            return;
        pixmap = decoded.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmapCache::insert(key, pixmap);
    }
    const QRect r = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, pixmap.size(), option.rect);
    painter->drawPixmap(r, pixmap);
}

QSize GridCellDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto kind = CellKind(index.data(GridRole::Kind).toInt());
    switch (kind) {
    case CellKind::Check:
    case CellKind::Icon: return {MaxIconSize + 8, m_look->rowHeight};
    case CellKind::Picture:
    case CellKind::Custom: return {option.rect.width(), m_look->rowHeight};
    case CellKind::Text:
    case CellKind::Memo: break;
    }
    const QFontMetrics fm(option.font);
    return {fm.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 2 * TextPadding + 2,
            m_look->rowHeight};
}

} // namespace kolvar
