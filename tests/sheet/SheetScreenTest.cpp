// What the teacher sees of a loaded sheet, held fixed while the grid's insides change: the
// columns with their titles, widths, hints and editability, the height of the title row
// and the width of the row indicator, the current cell, and every row's total and grade.
#include <QCoreApplication>
#include <QHeaderView>

#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

using Screen = SignedIn;

// One line per shown column: field, title, width, hint and "ro" for a read-only column.
QStringList columns(const ui::DataGrid& grid) {
    QStringList lines;
    for (int i = 0; i < grid.columnCount(); ++i) {
        if (grid.isColumnHidden(i)) continue;
        const ui::DataGridColumn* c = grid.column(i);
        lines << QStringLiteral("%1|%2|%3|%4%5")
                     .arg(c->fieldName(), c->title())
                     .arg(grid.columnWidth(i))
                     .arg(c->titleHint(), c->readOnly() ? QStringLiteral("|ro") : QString());
    }
    return lines;
}

QStringList cells(const ui::DataGrid& grid, const char* field) {
    QStringList texts;
    const int column = grid.columnByField(QLatin1String(field))->index();
    for (int row = 0; row < grid.model()->rowCount(); ++row) texts << grid.cellText(row, column);
    return texts;
}

TEST_F(Screen, TheLoadedSheetLooksAsBefore) {
    showDemoSheet();
    QCoreApplication::processEvents();
    const ui::DataGrid& grid = *form->KXDBGridEh1;
    EXPECT_EQ(columns(grid),
              (QStringList{
                  "Rec_no|П/П|50||ro", "primech|Допуск по оплате|60||ro", "student|Студент|181||ro",
                  "p20|Группа|67||ro", "teacher|Преподаватель|109||ro",
                  "f_est|Форма ведомости|108||ro", "m1|РК 1|44|0|ro", "m2|РК 2|44|1",
                  "m3|Экзамен|44|2", "dop|Доп. балл|44|1", "calc1|Рейтинг допуска|44||ro",
                  "ball1|Общий балл|44||ro", "p36|Дата сдачи|110||ro", "Ball_name|Оценка|110||ro",
                  "EstimationOther|Особая оценка|110|", "poseshal|Посещаемость|82||ro"}));
    // taller since long words are hyphenated ("Рей-тинг до-пус-ка": five lines)
    EXPECT_EQ(grid.horizontalHeader()->height(), 78);
    EXPECT_EQ(grid.verticalHeader()->width(), 15);
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(grid.currentIndex().column(), 0);
    EXPECT_EQ(grid.column(2)->footerText(), QStringLiteral("Сумма баллов"));
    EXPECT_EQ(cells(grid, "ball1"),
              (QStringList{"32", "49", "37", "49", "31", "",   "43", "55", "53", "37", "30", "0",
                           "54", "24", "36", "48", "41", "53", "23", "0",  "47", "40", "29"}));
    const QString fail = QStringLiteral("н/у()"), pass = QStringLiteral("удов()");
    EXPECT_EQ(cells(grid, "Ball_name"),
              (QStringList{fail, fail, fail, fail, fail, fail, fail,
                           pass, pass, fail, fail, fail, pass, QStringLiteral("н/у(н/я)"),
                           fail, fail, fail, pass, fail, fail, fail,
                           fail, fail}));
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
}

}  // namespace
}  // namespace sheettest
