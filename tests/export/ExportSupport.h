#pragma once

#include <QJsonObject>
#include <QString>

#include "export/SheetTable.h"

namespace exporttest {

// A sheet as a teacher has it: the heading of a group's exam sheet, the columns of a
// rule with four control points (each with its maximum), and students with Cyrillic
// names, marks, totals, grade names and a note that needs quoting in CSV. The first rows
// are always the same; more are made up for a long sheet.
sheetexport::SheetTable sampleTable(int students);

// The exported file read back by another program (tests/export/readback.py, with
// openpyxl for XLSX), as JSON.
QJsonObject readBack(const QString& kind, const QString& path);

// The text of a PDF (pdftotext), pages separated by form feeds.
QString pdfText(const QString& path);

// The names in a folder (without "." and "..").
QStringList folderEntries(const QString& path);

}  // namespace exporttest
