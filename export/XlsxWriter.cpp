#include "export/XlsxWriter.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

#include "export/SafeFile.h"

namespace sheetexport {

namespace {

// Excel measures a column in widths of the digit "0" of its default font, about seven
// pixels of the grid.
double excelWidth(int pixels) {
    return std::max(4.0, pixels / 7.0);
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

struct Formats {
    lxw_format* title;
    lxw_format* label;
    lxw_format* columnTitle;
    lxw_format* subtitle;
    lxw_format* text;
    lxw_format* centered;
    lxw_format* number;
};

Formats addFormats(lxw_workbook* book) {
    Formats f{};
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    format_set_font_size(f.title, 14);
    f.label = workbook_add_format(book);
    format_set_bold(f.label);
    f.columnTitle = workbook_add_format(book);
    format_set_bold(f.columnTitle);
    format_set_text_wrap(f.columnTitle);
    format_set_align(f.columnTitle, LXW_ALIGN_CENTER);
    format_set_align(f.columnTitle, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(f.columnTitle, LXW_BORDER_THIN);
    format_set_bg_color(f.columnTitle, 0xE8E8E8);
    f.subtitle = workbook_add_format(book);
    format_set_italic(f.subtitle);
    format_set_align(f.subtitle, LXW_ALIGN_CENTER);
    format_set_border(f.subtitle, LXW_BORDER_THIN);
    format_set_bg_color(f.subtitle, 0xE8E8E8);
    f.text = workbook_add_format(book);
    format_set_border(f.text, LXW_BORDER_THIN);
    f.centered = workbook_add_format(book);
    format_set_border(f.centered, LXW_BORDER_THIN);
    format_set_align(f.centered, LXW_ALIGN_CENTER);
    f.number = workbook_add_format(book);
    format_set_border(f.number, LXW_BORDER_THIN);
    format_set_align(f.number, LXW_ALIGN_CENTER);
    format_set_num_format(f.number, "General");
    return f;
}

}  // namespace

QString worksheetName(const QString& group) {
    static const QRegularExpression refused(QStringLiteral("[\\[\\]:*?/\\\\]"));
    QString name = QString(group).replace(refused, QStringLiteral(" ")).simplified();
    // Excel refuses a name that starts or ends with an apostrophe.
    while (name.startsWith(QLatin1Char('\''))) name.remove(0, 1);
    while (name.endsWith(QLatin1Char('\''))) name.chop(1);
    name = name.left(31).trimmed();
    return name.isEmpty() ? QStringLiteral("Ведомость") : name;
}

void writeXlsx(const SheetTable& table, const QString& path) {
    TemporaryTarget target(path);
    const std::string file = QFile::encodeName(target.temporaryPath()).toStdString();
    lxw_workbook* book = workbook_new(file.c_str());
    if (!book) target.fail(QStringLiteral("не удалось создать книгу Excel"));
    const Formats f = addFormats(book);
    lxw_worksheet* sheet =
        workbook_add_worksheet(book, utf8(worksheetName(table.heading.group)).c_str());
    if (!sheet) {
        lxw_workbook_free(book);
        target.fail(QStringLiteral("Excel не принял имя листа «%1»")
                        .arg(worksheetName(table.heading.group)));
    }

    const auto columns = static_cast<lxw_col_t>(table.columns.size());
    lxw_row_t row = 0;
    worksheet_write_string(sheet, row++, 0, "Ведомость успеваемости", f.title);
    for (const HeadingLine& line : headingLines(table.heading)) {
        worksheet_write_string(
            sheet, row++, 0, utf8(line.label + QStringLiteral(": ") + line.text).c_str(), nullptr);
    }
    ++row;  // a blank row before the table

    const lxw_row_t titleRow = row;
    for (lxw_col_t c = 0; c < columns; ++c) {
        worksheet_write_string(sheet, row, c, utf8(table.columns[c].title).c_str(), f.columnTitle);
        worksheet_set_column(sheet, c, c, excelWidth(table.columns[c].width), nullptr);
    }
    ++row;
    if (table.hasSubtitles()) {
        for (lxw_col_t c = 0; c < columns; ++c) {
            worksheet_write_string(sheet, row, c, utf8(table.columns[c].subtitle).c_str(),
                                   f.subtitle);
        }
        ++row;
    }
    worksheet_freeze_panes(sheet, row, 0);
    worksheet_repeat_rows(sheet, titleRow, row - 1);

    for (const auto& cells : table.rows) {
        for (lxw_col_t c = 0; c < columns; ++c) {
            const SheetCell cell = c < cells.size() ? cells[c] : SheetCell{};
            if (cell.number) {
                worksheet_write_number(sheet, row, c, *cell.number, f.number);
            } else {
                worksheet_write_string(sheet, row, c, utf8(cell.text).c_str(),
                                       table.columns[c].centered ? f.centered : f.text);
            }
        }
        ++row;
    }

    ++row;
    if (!table.heading.date.isEmpty())
        worksheet_write_string(
            sheet, row++, 0, utf8(QStringLiteral("Дата: ") + table.heading.date).c_str(), nullptr);
    QString signature = QStringLiteral("Преподаватель: ____________________");
    if (!table.heading.teacher.isEmpty())
        signature += QStringLiteral(" / %1 /").arg(table.heading.teacher);
    worksheet_write_string(sheet, row, 0, utf8(signature).c_str(), nullptr);

    worksheet_set_paper(sheet, 9);  // A4
    if (columns > 0) worksheet_fit_to_pages(sheet, 1, 0);
    // Landscape when the grid's columns are wider than a portrait A4 page (about 720
    // pixels of the grid between its margins), as the printed sheet does.
    int gridWidth = 0;
    for (const SheetColumn& c : table.columns) gridWidth += c.width;
    if (gridWidth > 720) worksheet_set_landscape(sheet);

    const lxw_error error = workbook_close(book);
    if (error != LXW_NO_ERROR) target.fail(QString::fromUtf8(lxw_strerror(error)));
    target.commit();
}

}  // namespace sheetexport
