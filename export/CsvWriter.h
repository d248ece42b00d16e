#pragma once

#include <QByteArray>
#include <QString>

#include "export/SheetTable.h"

namespace sheetexport {

// The table without the heading as CSV for a spreadsheet program: UTF-8 with a byte-order
// mark (so that Excel reads Cyrillic right), ";" between fields (Excel's default where
// the decimal separator is a comma), CRLF line ends, a field quoted when it holds ";",
// a quote or a line break. The titles come first, then the maxima when there are any.
QByteArray csvText(const SheetTable& table);

// Writes the CSV to a file: the whole file or, on failure, none (ExportError).
void writeCsv(const SheetTable& table, const QString& path);

}  // namespace sheetexport
