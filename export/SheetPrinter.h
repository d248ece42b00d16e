#pragma once

#include <QString>

#include "export/SheetTable.h"

class QPrinter;

namespace sheetexport {

// The printed sheet on paper, in the print preview and in a PDF: one renderer
// (SheetDocument), so the three are the same picture.

// Saves the sheet as a PDF file: the whole file or, on failure, none (ExportError).
void writePdf(const SheetTable& table, const QString& path);

// Sets a printer up for the sheet (A4, the sheet's orientation and margins, the document
// name) before the print dialog or the preview opens.
void preparePrinter(const SheetTable& table, QPrinter& printer);
// Paints the sheet on the printer in its current page layout (the preview's
// paintRequested, or printing after the dialog). ExportError when it cannot be painted.
void printSheet(const SheetTable& table, QPrinter& printer);
// ExportError(kNoPrinter) when the system has no printer at all.
void requirePrinter();

}  // namespace sheetexport
