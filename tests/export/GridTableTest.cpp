// The demo's Базы данных, ИС-24-1 sheet loaded in the real main window, taken from its
// grid as the exported table, written and read back by other programs.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>

#include "export/CsvWriter.h"
#include "export/SheetPrinter.h"
#include "export/XlsxWriter.h"
#include "tests/export/ExportSupport.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "sheet/GridTable.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

class GridExport : public SignedIn {
  protected:
    void SetUp() override {
        SignedIn::SetUp();
        if (HasFatalFailure()) return;
        chooseUpToDiscipline(10, "Базы данных {3}");
        pickText(form->DBLookupComboBox9, "ИС-24-1");
        pickText(form->DBLookupComboBox3, "Ведомость");
        ASSERT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
        grid = form->KXDBGridEh1;
        for (int c = 0; c < grid->columnCount(); ++c) {
            if (grid->column(c)->visible()) shown.push_back(c);
        }
    }

    // The maximum of a control point, as the window prints it under the title.
    sheetexport::SheetTable table() {
        db::Dataset& config = dm.ADOQ_est_config;
        return sheet::gridTable(*grid, [&](const ui::DataGridColumn& c) {
            if (c.tag() == 0 || !config.locate("pole_mark_mag", c.fieldName().toStdString()))
                return QString();
            const std::string max = config.field("max").asString();
            return max.empty() ? QString()
                               : QStringLiteral("макс. %1").arg(QString::fromStdString(max));
        });
    }

    // What the grid shows in a cell.
    QString shownText(int row, int column) const {
        return grid->model()->data(grid->model()->index(row, column)).toString();
    }

    ui::DataGrid* grid = nullptr;
    std::vector<int> shown;  // the visible columns' indexes
};

TEST_F(GridExport, TheTableIsTheGridsVisibleColumnsAndEveryRowAsShown) {
    const sheetexport::SheetTable t = table();
    ASSERT_EQ(t.columns.size(), shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const ui::DataGridColumn* c = grid->column(shown[i]);
        EXPECT_EQ(t.columns[i].title, c->title());
        EXPECT_EQ(t.columns[i].width, c->width());
    }
    QStringList titles;
    for (const auto& c : t.columns) titles << c.title;
    EXPECT_TRUE(titles.contains(QStringLiteral("Студент")));
    EXPECT_TRUE(titles.contains(QStringLiteral("Оценка")));
    EXPECT_FALSE(titles.contains(QStringLiteral("Форм/контр.")));  // hidden in the grid
    // the control points carry their maxima, the other columns nothing
    int withMaximum = 0;
    for (const auto& c : t.columns) withMaximum += c.subtitle.startsWith(QStringLiteral("макс. "));
    EXPECT_GE(withMaximum, 3);
    EXPECT_EQ(t.columns[2].subtitle, QString());

    ASSERT_EQ(t.rows.size(), 23u);
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        ASSERT_EQ(t.rows[r].size(), shown.size());
        for (std::size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(t.rows[r][i].text, shownText(static_cast<int>(r), shown[i]));
    }
    // a total is a number too, a grade name is not
    const auto total = std::find(titles.begin(), titles.end(),
                                 grid->columnByField(QStringLiteral("ball1"))->title());
    const auto grade = titles.indexOf(QStringLiteral("Оценка"));
    ASSERT_NE(total, titles.end());
    const auto& first = t.rows[0];
    EXPECT_EQ(first[static_cast<std::size_t>(total - titles.begin())].number, 32.0);
    EXPECT_EQ(first[static_cast<std::size_t>(grade)].text, QStringLiteral("н/у()"));
    EXPECT_FALSE(first[static_cast<std::size_t>(grade)].number.has_value());
}

// The files another program reads hold every student, mark, total and grade the grid
// shows.
TEST_F(GridExport, TheWrittenFilesReadBackAsTheGridShowsTheSheet) {
    sheetexport::SheetTable t = table();
    t.heading.discipline = QStringLiteral("Базы данных");
    t.heading.group = QStringLiteral("ИС-24-1");
    t.heading.sheetForm = QStringLiteral("Ведомость");
    t.heading.teacher = QStringLiteral("Иванова Анна Сергеевна");
    t.heading.date = QStringLiteral("10.12.2026");
    const QString xlsx = folder.file(QStringLiteral("sheet.xlsx"));
    const QString csv = folder.file(QStringLiteral("sheet.csv"));
    const QString pdf = folder.file(QStringLiteral("sheet.pdf"));
    sheetexport::writeXlsx(t, xlsx);
    sheetexport::writeCsv(t, csv);
    sheetexport::writePdf(t, pdf);

    const int rows = grid->model()->rowCount();
    const QJsonArray book = exporttest::readBack(QStringLiteral("xlsx"), xlsx)["rows"].toArray();
    const QJsonArray lines = exporttest::readBack(QStringLiteral("csv"), csv)["rows"].toArray();
    // the first data row follows the titles and the maxima
    qsizetype top = 0;
    while (top < book.size() && book[top].toArray()[0].toString() != QStringLiteral("П/П")) ++top;
    ASSERT_LT(top + 2 + rows, book.size());
    ASSERT_EQ(lines.size(), rows + 2);
    EXPECT_EQ(book[0].toArray()[0].toString(), QStringLiteral("Ведомость успеваемости"));
    for (int r = 0; r < rows; ++r) {
        const QJsonArray x = book[top + 2 + r].toArray();
        const QJsonArray c = lines[2 + r].toArray();
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const QString expected = shownText(r, shown[i]);
            const QJsonValue v = x[static_cast<qsizetype>(i)];
            const QString fromBook = v.isDouble() ? QString::number(v.toDouble()) : v.toString();
            EXPECT_EQ(fromBook, expected) << "row " << r << " column " << shown[i];
            EXPECT_EQ(c[static_cast<qsizetype>(i)].toString(), expected);
        }
    }
    const QString text = exporttest::pdfText(pdf);
    for (int r = 0; r < rows; ++r) {
        const QString student =
            grid->cellText(r, grid->indexOfColumn(grid->columnByField(QStringLiteral("student"))));
        EXPECT_TRUE(text.contains(student)) << student.toStdString();
    }
    EXPECT_TRUE(text.contains(QStringLiteral("стр. 1 из ")));
    // kept beside the screenshots, to be looked at
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    QFile::remove(QStringLiteral(QOR28_SCREENSHOT_DIR "/demo-sheet.pdf"));
    QFile::copy(pdf, QStringLiteral(QOR28_SCREENSHOT_DIR "/demo-sheet.pdf"));
}

// The demo sheet in the print preview the window opens: one landscape page, saved as a
// picture to look at.
TEST_F(GridExport, ThePrintPreviewShowsTheDemoSheetOnOneLandscapePage) {
    sheetexport::SheetTable t = table();
    t.heading.faculty = QStringLiteral("Факультет информационных технологий");
    t.heading.academicYear = QStringLiteral("2026-2027");
    t.heading.semester = QStringLiteral("Осенний семестр");
    t.heading.discipline = QStringLiteral("Базы данных");
    t.heading.credits = QStringLiteral("3");
    t.heading.assessment = QStringLiteral("Экзамен");
    t.heading.group = QStringLiteral("ИС-24-1");
    t.heading.sheetForm = QStringLiteral("Ведомость");
    t.heading.teacher = QStringLiteral("Иванова Анна Сергеевна");
    t.heading.date = QStringLiteral("10.12.2026");
    QPrinter printer(QPrinter::HighResolution);
    sheetexport::preparePrinter(t, printer);
    QPrintPreviewDialog preview(&printer);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* p) { sheetexport::printSheet(t, *p); });
    preview.resize(1200, 860);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    auto* widget = preview.findChild<QPrintPreviewWidget*>();
    ASSERT_TRUE(widget);
    widget->setZoomMode(QPrintPreviewWidget::FitToWidth);
    widget->updatePreview();  // the pages are painted now, not on a later event
    QTest::qWait(100);
    EXPECT_EQ(widget->pageCount(), 1);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    EXPECT_TRUE(
        preview.grab().save(QStringLiteral(QOR28_SCREENSHOT_DIR "/demo-print-preview.png")));
    preview.close();
    // and the PDF of the same table is one page too
    const QString pdf = folder.file(QStringLiteral("demo.pdf"));
    sheetexport::writePdf(t, pdf);
    EXPECT_EQ(exporttest::pdfText(pdf).count(QLatin1Char('\f')), 1);
    QFile::remove(QStringLiteral(QOR28_SCREENSHOT_DIR "/demo-sheet-full.pdf"));
    QFile::copy(pdf, QStringLiteral(QOR28_SCREENSHOT_DIR "/demo-sheet-full.pdf"));
}

}  // namespace
}  // namespace sheettest
