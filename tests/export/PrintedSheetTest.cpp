// The printed sheet: its pages, the PDF's text, and the print preview showing the same
// pages.
#include <gtest/gtest.h>

#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

#include "export/SheetDocument.h"
#include "export/SheetPrinter.h"
#include "tests/export/ExportSupport.h"
#include "tests/support/TempFolder.h"

namespace exporttest {
namespace {

using sheetexport::SheetDocument;

// The printable area of A4 with the sheet's margins, in points.
QSizeF area(QPageLayout::Orientation orientation) {
    QPageLayout layout(QPageSize(QPageSize::A4), orientation,
                       QMarginsF(SheetDocument::kMarginMm, SheetDocument::kMarginMm,
                                 SheetDocument::kMarginMm, SheetDocument::kMarginMm),
                       QPageLayout::Millimeter);
    return layout.paintRect(QPageLayout::Point).size();
}

TEST(PrintedSheet, PagesHoldEveryRowOnceInOrderWithTheHeadingFirstAndTheSignatureLast) {
    for (int students : {0, 1, 23, 300}) {
        SCOPED_TRACE(students);
        const auto table = sampleTable(students);
        SheetDocument document(table);
        const auto& pages = document.paginate(area(document.orientation()));
        ASSERT_FALSE(pages.empty());
        int next = 0;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(pages[i].firstRow, next);
            EXPECT_EQ(pages[i].heading, i == 0);
            EXPECT_EQ(pages[i].signature, i + 1 == pages.size());
            // only a page for the signature alone may be without rows
            if (pages[i].rowCount == 0) {
                EXPECT_TRUE(i == 0 || pages[i].signature);
            }
            next += pages[i].rowCount;
        }
        EXPECT_EQ(next, students);
    }
    // ten columns of the grid's widths are too wide for a portrait page
    EXPECT_EQ(SheetDocument(sampleTable(3)).orientation(), QPageLayout::Landscape);
    auto narrow = sampleTable(3);
    narrow.columns.resize(3);
    for (auto& row : narrow.rows) row.resize(3);
    EXPECT_EQ(SheetDocument(narrow).orientation(), QPageLayout::Portrait);
}

TEST(PrintedSheet, ColumnsAreWideEnoughForTheirLongestTextAndTheTableFitsThePage) {
    auto table = sampleTable(5);
    table.rows[2][1].text = QStringLiteral("Константинопольский-Долгорукий Александр Вениаминович");
    SheetDocument document(table);
    const auto& widths = document.columnWidths();
    EXPECT_GT(widths[1], table.columns[1].width * 0.75 * 1.2);   // widened past the grid's
    EXPECT_DOUBLE_EQ(widths[8], table.columns[8].width * 0.75);  // its short grades fit
    document.paginate(area(QPageLayout::Landscape));
    double sum = 0;
    for (double w : widths) sum += w;
    EXPECT_LE(sum * document.tableScale(), area(QPageLayout::Landscape).width() + 0.01);
    EXPECT_GE(document.tableScale(), SheetDocument::kMinScale);
}

TEST(PrintedSheet, ThePdfHoldsTheHeadingEveryStudentAndThePageNumbers) {
    testsupport::TempFolder folder;
    const auto table = sampleTable(23);
    const QString path = folder.file(QStringLiteral("Базы данных ИС-24-1.pdf"));
    sheetexport::writePdf(table, path);
    const QString text = pdfText(path);
    for (const char* heading :
         {"ВЕДОМОСТЬ УСПЕВАЕМОСТИ", "Факультет информационных технологий", "2026-2027",
          "Базы данных (5 кредит.)", "Экзамен", "ИС-24-1", "Кафедра информационных систем",
          "Иванова Анна Сергеевна", "10.12.2026", "(подпись)", "макс. 30"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(heading))) << heading;
    }
    for (const auto& row : table.rows)
        EXPECT_TRUE(text.contains(row[1].text)) << row[1].text.toStdString();
    SheetDocument document(table);
    const auto pages =
        static_cast<qsizetype>(document.paginate(area(document.orientation())).size());
    EXPECT_EQ(text.count(QLatin1Char('\f')), pages);
    for (qsizetype i = 1; i <= pages; ++i)
        EXPECT_TRUE(text.contains(QStringLiteral("стр. %1 из %2").arg(i).arg(pages)));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
    // kept beside the screenshots, to be looked at
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    QFile::remove(QStringLiteral(QOR28_SCREENSHOT_DIR "/sheet.pdf"));
    QFile::copy(path, QStringLiteral(QOR28_SCREENSHOT_DIR "/sheet.pdf"));
}

TEST(PrintedSheet, ALongSheetRunsOverSeveralPagesEachWithTheTableTitlesAndItsNumber) {
    testsupport::TempFolder folder;
    const auto table = sampleTable(300);
    const QString path = folder.file(QStringLiteral("long.pdf"));
    sheetexport::writePdf(table, path);
    QStringList pages = pdfText(path).split(QLatin1Char('\f'));
    if (pages.last().trimmed().isEmpty()) pages.removeLast();
    SheetDocument document(table);
    const auto count =
        static_cast<qsizetype>(document.paginate(area(document.orientation())).size());
    ASSERT_GE(count, 3);
    ASSERT_EQ(pages.size(), count);
    for (qsizetype i = 0; i < count; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(pages[i].contains(QStringLiteral("стр. %1 из %2").arg(i + 1).arg(count)));
        EXPECT_EQ(pages[i].contains(QStringLiteral("Факультет:")), i == 0);
        const bool hasRows = document.pages()[static_cast<std::size_t>(i)].rowCount > 0;
        if (hasRows) {
            EXPECT_TRUE(pages[i].contains(QStringLiteral("Студент")));
            EXPECT_TRUE(pages[i].contains(QStringLiteral("макс. 40")));
        }
    }
    EXPECT_TRUE(pages.last().contains(QStringLiteral("(подпись)")));
    for (const auto& row : table.rows) EXPECT_TRUE(pages.join(QString()).contains(row[1].text));
}

TEST(PrintedSheet, NoPrinterIsToldInRussian) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "this machine has a printer";
    try {
        sheetexport::requirePrinter();
        ADD_FAILURE() << "no error";
    } catch (const sheetexport::ExportError& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8(sheetexport::kNoPrinter));
    }
}

// The preview the window opens: the same pages as the PDF, saved as a picture to look at.
TEST(PrintedSheet, ThePrintPreviewShowsTheSheetsPages) {
    const auto table = sampleTable(60);
    QPrinter printer(QPrinter::HighResolution);
    sheetexport::preparePrinter(table, printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    QPrintPreviewDialog preview(&printer);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* p) { sheetexport::printSheet(table, *p); });
    preview.resize(1100, 800);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    auto* widget = preview.findChild<QPrintPreviewWidget*>();
    ASSERT_TRUE(widget);
    widget->setZoomMode(QPrintPreviewWidget::FitInView);
    widget->updatePreview();  // the pages are painted now, not on a later event
    QTest::qWait(100);
    SheetDocument document(table);
    EXPECT_EQ(widget->pageCount(),
              static_cast<int>(document.paginate(area(QPageLayout::Landscape)).size()));
    EXPECT_GE(widget->pageCount(), 2);
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    EXPECT_TRUE(preview.grab().save(QStringLiteral(QOR28_SCREENSHOT_DIR "/print-preview.png")));
    preview.close();
}

}  // namespace
}  // namespace exporttest
