// Pictures of the main window for a person to look at, under the build folder: the demo
// teacher's choice made down to the sheet form of a group sheet, that sheet loaded with
// its totals and grade names, and a stream sheet of one department.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSet>

#include "tests/sheet/SheetFixture.h"
#include "tests/support/Screenshot.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

using Screenshot = SignedIn;

void save(QWidget& window, const char* name) {
    QCoreApplication::processEvents();
    testsupport::saveScreenshot(window.grab().toImage(), QStringLiteral(QOR28_SCREENSHOT_DIR),
                                QString::fromUtf8(name), QSize(1280, 800), 100);
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
