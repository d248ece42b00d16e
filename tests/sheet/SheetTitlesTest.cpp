// The loaded sheet's column titles: wrapped at blanks, a word too wide for its column
// broken at a syllable with a hyphen, never in the middle of a syllable, and the whole
// title as the tool tip; a student's name cut short in its cell shows whole as a tool tip.
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/DataGridParts.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

using Titles = SignedIn;

TEST_F(Titles, LongTitlesWrapAtBlanksAndSyllablesAndShowWholeAsToolTips) {
    showDemoSheet();
    ui::DataGrid* grid = form->KXDBGridEh1;
    auto* titles = static_cast<ui::DataGridTitles*>(grid->horizontalHeader());
    auto shown = [&](const char* field) {
        return titles->shownTitle(grid->columnByField(QLatin1String(field))->index());
    };
    EXPECT_EQ(shown("teacher"), (QStringList{"Преподава-", "тель"}));
    EXPECT_EQ(shown("ball1"), (QStringList{"Об-", "щий", "балл"}));
    EXPECT_EQ(shown("calc1"), (QStringList{"Рей-", "тинг", "до-", "пус-", "ка"}));
    // a student's name cut short in its cell is its tool tip; a group that fits has none
    const int student = grid->columnByField(QStringLiteral("student"))->index();
    const QString name = grid->cellText(0, student);
    ASSERT_TRUE(grid->cellTextElided(student, name)) << name.toStdString();
    EXPECT_EQ(grid->model()->index(0, student).data(Qt::ToolTipRole).toString(), name);
    const int group = grid->columnByField(QStringLiteral("p20"))->index();
    EXPECT_FALSE(grid->model()->index(0, group).data(Qt::ToolTipRole).isValid());
    // the discipline list cut short gives its whole text
    ui::LookupComboBox* discipline = form->DBLookupComboBox11;
    EXPECT_EQ(discipline->elidedText(), QString());
    discipline->setFixedWidth(90);
    EXPECT_EQ(discipline->elidedText(), discipline->text());
    EXPECT_FALSE(discipline->text().isEmpty());
    const QFontMetrics fm(grid->titleFont());
    for (int i = 0; i < grid->columnCount(); ++i) {
        if (grid->isColumnHidden(i)) continue;
        const QString title = grid->column(i)->title();
        SCOPED_TRACE(title.toStdString());
        const QStringList lines = titles->shownTitle(i);
        // every line fits, and the lines put together give the title back
        QString joined;
        for (const QString& line : lines) {
            EXPECT_LE(fm.horizontalAdvance(line), grid->columnWidth(i) - 6);
            if (!joined.isEmpty() && !joined.endsWith(u'-')) joined += u' ';
            joined += line;
        }
        EXPECT_EQ(joined.remove(QStringLiteral("-")), title.simplified().remove(u'-'));
        EXPECT_EQ(grid->model()->headerData(i, Qt::Horizontal, Qt::ToolTipRole).toString(),
                  grid->column(i)->titleHint().isEmpty()
                      ? title
                      : title + u'\n' + grid->column(i)->titleHint());
    }
}

}  // namespace
}  // namespace sheettest
