// Typing on a mark cell that cannot be edited: the row stays where it was and nothing is
// written, on a closed control point and on a view-only sheet.
#include <QApplication>
#include <QTest>

#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

using Typing = SignedIn;

TEST_F(Typing, DigitsOnACellThatCannotBeEditedLeaveTheRowWhereItWas) {
    form->setWindowState(Qt::WindowNoState);
    form->resize(1280, 800);
    form->show();
    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    struct Case {
        const char* sheetForm;
        const char* field;  // РК 1: closed, and read-only on the view-only sheet
    };
    for (const Case& c : {Case{"Ведомость", "m1"}, Case{"Только Просмотр", "m1"}}) {
        SCOPED_TRACE(c.sheetForm);
        pickText(form->DBLookupComboBox3, QString::fromUtf8(c.sheetForm));
        ui::DataGrid* grid = form->KXDBGridEh1;
        const int column = grid->columnByField(QLatin1String(c.field))->index();
        // a student of row 14 has a РК 1 beginning with 15: the type-ahead target
        ASSERT_GT(dm.ADO_SP_Sort.recordCount(), 14);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(1, column));
        ASSERT_EQ(dm.ADO_SP_Sort.currentRow(), 1);
        ASSERT_FALSE(grid->cellEditable(1, column));
        const QString before = grid->cellText(1, column);
        // typed at a person's pace after the sheet opened, not as the tail of earlier keys
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(grid, QStringLiteral("15"));
        QTest::keyClick(grid, Qt::Key_4);
        EXPECT_EQ(grid->currentIndex().row(), 1);
        EXPECT_EQ(grid->currentIndex().column(), column);
        EXPECT_EQ(dm.ADO_SP_Sort.currentRow(), 1);
        EXPECT_EQ(dm.ADO_SP_Sort.state(), db::DatasetState::Browse);
        EXPECT_EQ(grid->cellText(1, column), before);
    }
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
}

}  // namespace
}  // namespace sheettest
