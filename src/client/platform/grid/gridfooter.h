#pragma once

#include <platform/grid/gridtypes.h>

#include <QWidget>

class QHeaderView;
class QTableView;

namespace kolvar {

class GridRowModel;

// The summary strip under a grid: each summary is written under the column
// bound to its field, lined up with the header sections as they scroll.
class GridFooter : public QWidget
{
    Q_OBJECT
public:
    GridFooter(const GridLook *look, QTableView *view, GridRowModel *rows, QWidget *parent = nullptr);

    QString cellText(int column) const; // summaries under a model column
    // Where the column's summary is written, in footer coordinates: right
    // aligned under the column and, when wider than the column, running on
    // to the left over the neighbours, so a total is never cut to its last
    // digits. Empty for a hidden column or one without a summary.
    QRect textRect(int column) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont textFont() const;
    int viewportOffset() const;

    const GridLook *m_look;
    QTableView *m_view;
    GridRowModel *m_rows;
};

} // namespace kolvar
