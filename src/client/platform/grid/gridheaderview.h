#pragma once

#include <platform/grid/gridtypes.h>

#include <QHeaderView>

namespace kolvar {

// Column headers of a grid: the grid's header colours and font, a sort mark
// and a filter button at the right of each section.
class GridHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    explicit GridHeaderView(const GridLook *look, QWidget *parent = nullptr);

    QRect filterButtonRect(int logicalIndex) const; // in viewport coordinates

Q_SIGNALS:
    void filterButtonClicked(int logicalIndex);
    void customisationRequested(const QPoint &globalPos);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QRect buttonRect(const QRect &section) const;

    const GridLook *m_look;
    bool m_pressOnButton = false;
};

} // namespace kolvar
