#pragma once

#include <platform/grid/gridtypes.h>

#include <QStyledItemDelegate>

namespace kolvar {

// Paints every cell of a grid from the model's roles: text and memo, check
// box, icon by code, picture from bytes, or the window's own drawing.
class GridCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit GridCellDelegate(const GridLook *look, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return nullptr; // the grids are read only
    }

    RowStyle rowStyle(int viewRow) const;

private:
    void paintText(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index,
                   const QColor &color, bool wrap) const;
    void paintCheck(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintIcon(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintPicture(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;

    const GridLook *m_look;
};

} // namespace kolvar
