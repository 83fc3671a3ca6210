#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QString>

#include <functional>

class QPainter;
class QRect;

namespace kolvar {

// How a cell shows its value.
enum class CellKind {
    Text,    // display text of the field
    Memo,    // display text, wrapped over several lines
    Check,   // read-only check box: checked when the value is not 0
    Icon,    // icon chosen by the integer value; an unknown code draws nothing
    Picture, // picture decoded from the field's bytes
    Custom,  // drawn by the window through the column's drawer
};

// Item roles of the grid's models. Delegates and the footer read these,
// never column numbers.
namespace GridRole {
enum : int {
    Value = Qt::UserRole + 1, // raw value of the cell (invalid when null)
    Text,                     // display text, whatever the cell kind
    Kind,                     // CellKind as int
    IconCode,                 // integer code of an icon cell
    Picture,                  // bytes of a picture cell
    SourceRow,                // dataset row of a data row; -1 for group rows
    RowKind,                  // GridRowKind as int
    Drawer,                   // const CellDrawer * of a custom cell
    Field,                    // bound field name of the column
    Filtered,                 // header: the column has a value filter
};
}

enum class GridRowKind { Data, GroupHeader, GroupFooter };

// Colours a window's own cell drawing should use for the row it paints.
struct RowStyle {
    QColor background; // even or odd row colour
    QColor text;
    QColor selectionBackground;
    QColor selectionText;
    bool odd = false; // row index counted from 0 in the view
};

// A cell drawn by the window: the dataset row, the cell rectangle, whether the
// row is selected and the row's colours.
using CellDrawer = std::function<void(QPainter *, const QRect &, int row, bool selected, const RowStyle &)>;

// One column of a grid view, bound to a dataset field by name.
struct GridColumn {
    QString field;   // bound field; empty for a column the window draws
    QString caption; // header text; the field name when empty
    bool visible = true;
    bool offered = true;          // listed in the quick column customisation
    int weight = 1;               // width weight (the column's Tag)
    Qt::Alignment alignment = {}; // empty: right for numbers, left otherwise
    CellKind kind = CellKind::Text;
    QList<QIcon> icons; // Icon cells: the icon of code i is icons[i]
    CellDrawer drawer;  // Custom cells
    int width = 0;      // initial width in pixels; 0 = default

    QString headerText() const { return caption.isEmpty() ? field : caption; }
};

enum class SummaryKind { Count, Sum };

// A footer (and group footer) summary of a field, shown under that field's column.
struct GridSummary {
    QString field;
    SummaryKind kind = SummaryKind::Count;
};

// The look of a grid.
struct GridLook {
    QColor evenRow = QColor(255, 255, 255);
    QColor oddRow = QColor(255, 255, 255);
    QColor text = Qt::black;
    QColor selection = QColor(173, 216, 230);
    QColor selectionText = Qt::black;
    QColor header = QColor(240, 240, 240);
    QColor headerText = Qt::black;
    QColor footer = QColor(235, 235, 235);
    QColor groupRow = QColor(225, 230, 240);
    QFont font;
    QFont headerFont;
    int rowHeight = 24;
    int headerHeight = 24;
    bool indicator = false; // a narrow row indicator at the left
    int indicatorWidth = 5;
    bool focusRect = true; // dotted rectangle around the focused cell
    bool wordWrap = false;
    bool sorting = true;       // sort by clicking a header
    bool filterButtons = true; // value filter buttons in the headers
    bool showHeader = true;
    bool showFooter = false;
};

} // namespace kolvar
