#pragma once

// The grid's rows as the printed and exported sheet's table. It belongs to the main
// window, which sits above both the grid and export/, so that export/ stays free of
// widgets and the grid's library free of export/.

#include <QString>
#include <functional>

#include "export/SheetTable.h"

namespace ui {
class DataGrid;
class DataGridColumn;
}  // namespace ui

namespace sheet {

// The table of a grid as it shows it: the visible columns in the grid's order with their
// titles and widths, one row per row of the grid with each cell's text as the grid shows
// it (numbers also kept as numbers). subtitle, when given, names the text printed under
// a column's title (the window gives each control point's maximum). The heading is left
// for the caller to fill in.
sheetexport::SheetTable gridTable(
    const ui::DataGrid& grid,
    const std::function<QString(const ui::DataGridColumn&)>& subtitle = {});

}  // namespace sheet
