// Pictures of the main window for a person to look at, under the build folder: the demo
// teacher's choice made down to the sheet form of a group sheet, that sheet loaded with
// its totals and grade names, and a stream sheet of one department.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSet>

#include "tests/sheet/SheetFixture.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

using Screenshot = SignedIn;

void save(QWidget& window, const char* name) {
    QCoreApplication::processEvents();
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.size(), QSize(1280, 800));
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    ASSERT_TRUE(image.save(QDir(QStringLiteral(QOR28_SCREENSHOT_DIR)).filePath(name), "PNG"));
    // More than an empty window: labels, lists and frames give many colours.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 100) << name;
}

TEST_F(Screenshot, MainWindowWithTheChoiceMadeAndWithTheSheetLoaded) {
    form->setWindowState(Qt::WindowNoState);
    form->resize(1280, 800);
    form->show();
    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    ASSERT_TRUE(form->DBLookupComboBox3->isEnabled());
    save(*form, "main-window-cascade.png");

    // the first sheet form loaded
    pickText(form->DBLookupComboBox3, "Ведомость");
    ASSERT_GT(dm.ADO_SP_Sort.recordCount(), 0);
    save(*form, "main-window-sheet.png");
}

TEST_F(Screenshot, MainWindowWithAStreamSheet) {
    form->setWindowState(Qt::WindowNoState);
    form->resize(1280, 800);
    form->show();
    chooseUpToDiscipline(11, "Компьютерные сети {5}");
    pickText(form->DBLookupComboBox9, "Поток 101");
    pickKey(form->DBLookupComboBox2, std::int64_t{2});
    pickText(form->DBLookupComboBox3, "Ведомость");
    ASSERT_GT(dm.ADO_SP_Sort.recordCount(), 0);
    EXPECT_NO_MESSAGE(log);
    save(*form, "main-window-stream-sheet.png");
}

}  // namespace
}  // namespace sheettest
