// A picture of the main window for a person to look at, under the build folder: the demo
// teacher's group sheet with every colour rule on it. In the demo student 7 has not paid,
// student 12 does not study the discipline and student 3 studies by an individual
// schedule; РК 1 is over, РК 2 open and the exam closes in two days. The test takes the
// terms of the extra point away, so that it has not begun.
#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

using ColoursScreenshot = SignedIn;

TEST_F(ColoursScreenshot, ASheetShowingEveryColourRule) {
    {
        sqlite3* file = nullptr;
        ASSERT_EQ(sqlite3_open(database.toUtf8().constData(), &file), SQLITE_OK);
        sqlite3_busy_timeout(file, 5000);
        char* error = nullptr;
        const int rc = sqlite3_exec(file,
                                    "DELETE FROM IndividualModulPermissPotok WHERE vid_rrnk = 1 "
                                    "AND id_rrnk_all = 1 AND id_f_e = 1 AND id_modul = 13",
                                    nullptr, nullptr, &error);
        EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(file);
    }
    showDemoSheet();
    db::Dataset& marks = dm.ADO_SP_Sort;
    ASSERT_EQ(marks.recordCount(), 23);
    EXPECT_NO_MESSAGE(log);
    // the cursor on the fourth row, away from the rows that stand out
    marks.setRecNo(4);
    QCoreApplication::processEvents();

    const QImage image = form->grab().toImage();
    ASSERT_EQ(image.size(), QSize(1280, 800));
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    ASSERT_TRUE(image.save(
        QDir(QStringLiteral(QOR28_SCREENSHOT_DIR)).filePath("main-window-colours.png"), "PNG"));

    // Every rule's colour is on the picture, over a good part of a cell at least.
    const struct {
        QColor colour;
        const char* what;
    } colours[] = {
        {QColor(255, 221, 221), "no admission"},
        {QColor(206, 239, 255), "not studying the discipline"},
        {QColor(255, 185, 255), "control point not begun (-1)"},
        {QColor(255, 240, 255), "control point over (0)"},
        {QColor(193, 255, 193), "control point open (1)"},
        {QColor(136, 255, 136), "control point closing (2)"},
    };
    for (const auto& c : colours) {
        int pixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == c.colour) ++pixels;
        EXPECT_GT(pixels, 200) << c.what;
    }
}

}  // namespace
}  // namespace sheettest
