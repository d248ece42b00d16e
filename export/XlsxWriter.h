#pragma once

#include <QString>

#include "export/SheetTable.h"

namespace sheetexport {

// Writes the sheet as an Excel workbook (libxlsxwriter): one worksheet named after the
// group or stream, the heading lines, the table with bold titles (and the maxima under
// them), numbers stored as numbers, the title rows frozen, column widths from the grid,
// then the date and the teacher's signature line. Set up for A4 as the printed sheet.
// The whole file or, on failure, none (ExportError with the reason).
void writeXlsx(const SheetTable& table, const QString& path);

// The worksheet's name: the group or stream without the characters Excel refuses in a
// name, at most 31 characters, "Ведомость" when nothing is left.
QString worksheetName(const QString& group);

}  // namespace sheetexport
