#pragma once

#include <QList>
#include <QString>

namespace kolvar {

class GridRowModel;

// Writes the rows of a grid into an Excel workbook (.xlsx): one header row of
// captions, every row with groups expanded, the group and grid footers.
// Numbers stay numbers with the field's display format, dates stay dates.
class GridExcelExport
{
public:
    struct Column {
        int column = -1; // model column
        int width = 0;   // pixels
    };

    static bool write(const GridRowModel &rows, const QList<Column> &columns, const QString &path,
                      QString *error = nullptr);
};

} // namespace kolvar
