#pragma once

// The grade sheet as it is printed and exported: a plain value of texts, filled in by the
// main window from what it shows (the heading from its selection, the table from the
// grid), read by the writers (paper and PDF, XLSX, CSV). Nothing here knows a widget.

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sheetexport {

// The heading of the sheet: each field is the text shown after its label, empty when
// the sheet has none (a group has no department; a sheet for a stream names the
// stream).
struct SheetHeading {
    QString faculty;
    QString academicYear;
    QString semester;
    QString discipline;
    QString credits;
    QString assessment;  // the form of assessment: экзамен, зачёт, …
    QString group;       // a group or a stream
    QString department;
    QString sheetForm;
    QString teacher;
    QString date;  // the date printed above the signature, as "dd.mm.yyyy"
};

// The labelled lines of the heading in the order they are printed and exported;
// fields without text are left out. The discipline carries its credits.
struct HeadingLine {
    QString label;
    QString text;
};
std::vector<HeadingLine> headingLines(const SheetHeading& heading);

struct SheetColumn {
    QString title;     // may hold several lines ("\n")
    QString subtitle;  // printed under the title: a control point's maximum, or empty
    int width = 64;    // the grid's width in pixels; the writers scale it
    bool centered = false;
};

// A cell as the grid shows it; a number is also kept as a number for the spreadsheet.
struct SheetCell {
    QString text;
    std::optional<double> number;
};

struct SheetTable {
    SheetHeading heading;
    std::vector<SheetColumn> columns;
    std::vector<std::vector<SheetCell>> rows;  // each row as long as columns

    bool hasSubtitles() const;
};

// A failed export: the message says in Russian what went wrong and the system's reason.
class ExportError : public std::runtime_error {
  public:
    explicit ExportError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString message() const { return message_; }

  private:
    QString message_;
};

// What the window says when a command finds nothing to print or no printer.
inline constexpr char kNothingLoaded[] =
    "Ведомость не загружена. Выберите дисциплину, группу и форму ведомости, затем повторите "
    "команду.";
inline constexpr char kNoPrinter[] =
    "Принтер не найден. Установите принтер в системе или сохраните ведомость в PDF.";

// The message for a file that could not be written, with the system's reason.
QString cannotWriteMessage(const QString& path, const QString& reason);

// The file name offered for a sheet: discipline, group, sheet form and date, with the
// characters no file system accepts replaced, and the extension ("pdf", "xlsx", "csv").
QString defaultFileName(const SheetHeading& heading, const QString& extension);

}  // namespace sheetexport
