#pragma once

#include <QColor>
#include <QString>
#include <QUrl>

#include "db/Values.h"
#include "ui/DataGrid.h"

namespace sheet {

// What the colour of one mark-grid cell depends on: the row's admission, grade and
// right to edit, the cell's column, its title hint and its draw state, and the colours the
// grid component has already chosen.
struct CellColourInput {
    QColor chosen;         // the background the grid component picked for the cell
    QColor selection;      // the component's colour for selected cells
    QString admission;     // primech of the row: "д" when the student is admitted
    db::Value estimation;  // id_estimation of the row
    db::Value canEdit;     // CanEdit of the row
    int column = -1;       // the column's index in the grid
    QString hint;          // the column's title hint: the control point's CanEdit
    ui::DataGrid::DrawState state;
};

// The grade of a student who does not study the discipline: such rows stand out in light
// blue.
inline constexpr std::int64_t kNotStudyingId = 25;

// The cell's background after the window's three rules, each overriding the one before:
// the admission column of a student not admitted, a row of a student who does not study
// the discipline, and the control points of an editable row by whether they may be edited
// now.
QColor cellColour(const CellColourInput& in);

// The report page below the institution's report server address.
inline constexpr const char* kReportPage =
    "/reportserver/Pages/ReportViewer.aspx?%2fVUZ%2fs_nagr_kaf_1&rs%3aCommand=Render";

// The report's address: the server's address (defaults row 22) and the page. When the
// server's address is empty or not a web address, the result is invalid and error says
// why, in words for the teacher.
QUrl reportAddress(const QString& server, QString* error);

}  // namespace sheet
