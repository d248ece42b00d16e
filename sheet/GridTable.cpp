#include "sheet/GridTable.h"

#include <QAbstractItemModel>
#include <QHeaderView>

#include "db/Dataset.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"

namespace sheet {

using ui::DataGrid;
using ui::DataGridColumn;

sheetexport::SheetTable gridTable(const DataGrid& grid,
                                  const std::function<QString(const DataGridColumn&)>& subtitle) {
    sheetexport::SheetTable table;
    // The columns in the order the grid shows them.
    std::vector<const DataGridColumn*> shown;
    const QHeaderView* header = grid.horizontalHeader();
    for (int visual = 0; visual < grid.columnCount(); ++visual) {
        const int index = header ? header->logicalIndex(visual) : visual;
        const DataGridColumn* c = grid.column(index < 0 ? visual : index);
        if (c && c->visible()) shown.push_back(c);
    }
    for (const DataGridColumn* c : shown) {
        table.columns.push_back(
            sheetexport::SheetColumn{c->title(), subtitle ? subtitle(*c) : QString(), c->width(),
                                     (c->alignment() & Qt::AlignHCenter) != 0});
    }
    const int rows = grid.dataset() && grid.model() ? grid.model()->rowCount() : 0;
    table.rows.reserve(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        std::vector<sheetexport::SheetCell> cells;
        cells.reserve(shown.size());
        for (const DataGridColumn* c : shown) {
            sheetexport::SheetCell cell{grid.cellText(r, c->index()), std::nullopt};
            const db::Value value = grid.cellValue(r, c->fieldName());
            const db::Type type = db::typeOf(value);
            if (type == db::Type::Integer || type == db::Type::Float)
                cell.number = db::toDouble(value);
            cells.push_back(std::move(cell));
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

}  // namespace sheet
