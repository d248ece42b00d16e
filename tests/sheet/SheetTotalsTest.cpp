// The loaded sheet's totals, intermediate results and grade names, the grade bands behind
// them, and what the teacher sees when the rule has no bands or a formula is broken.
#include "Demo.h"
#include "server/Engine.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/Application.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"

namespace sheettest {
namespace {

class Totals : public SignedIn {
  protected:
    // Базы данных, ИС-24-1: rule 101, m1 + m2 as its intermediate result, the total
    // MIN(M1+M2+M3+DOP,100), bands н/у 0–50, удов 50–71, хор 71–86, отл 86–101.
    void openSheet() {
        chooseUpToDiscipline(10, "Базы данных {3}");
        pickText(form->DBLookupComboBox9, "ИС-24-1");
        pickText(form->DBLookupComboBox3, "Ведомость");
    }
    // The row of a student, or a failure when the sheet has none.
    bool goTo(const char* student) {
        return dm.ADO_SP_Sort.locate("student", db::Value(std::string(student)));
    }
    std::string text(const char* field) { return dm.ADO_SP_Sort.field(field).asString(); }
};

TEST_F(Totals, EveryRowShowsItsIntermediateResultTotalAndGradeName) {
    openSheet();
    EXPECT_NO_MESSAGE(log);
    EXPECT_TRUE(form->KXDBGridEh1->isEnabled());
    EXPECT_FALSE(dm.SheetNotReady);
    EXPECT_EQ(dm.GradeBands[data::Band::Good].lower, 71);
    EXPECT_EQ(dm.GradeBands[data::Band::Good].upper, 86);

    const struct {
        const char* student;
        const char *calc1, *ball1, *name;
    } rows[] = {
        {"Абдрахманов Ерлан Маратович", "32", "32", "н/у()"},
        // the extra point counts in the total, not in the intermediate result
        {"Ахметова Айгерим Нурлановна", "44", "49", "н/у()"},
        {"Кусаинов Алихан Ерболович", "55", "55", "удов()"},
        // the stored grade (absent) differs from the one the total earns
        {"Рахимжанова Мадина Талгатовна", "24", "24", "н/у(н/я)"},
        // not admitted: no total at all
        {"Жумабаев Арман Бауыржанович", "", "", "н/у()"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.student);
        ASSERT_TRUE(goTo(r.student));
        EXPECT_EQ(text("calc1"), r.calc1);
        EXPECT_EQ(text("ball1"), r.ball1);
        EXPECT_EQ(text("ball_name"), r.name);
    }
    // the grid shows them in the rule's columns
    const ui::DataGrid* grid = form->KXDBGridEh1;
    const int first = 0;
    EXPECT_EQ(grid->cellText(first, grid->indexOfColumn(column("calc1"))), "32");
    EXPECT_EQ(grid->cellText(first, grid->indexOfColumn(column("ball1"))), "32");
    EXPECT_EQ(grid->cellText(first, grid->indexOfColumn(column("Ball_name"))), "н/у()");
}

TEST_F(Totals, AStoredGradeThatAgreesWithTheTotalIsShownAlone) {
    // Кусаинов's 55 earns удов; once удов is stored the name shows it without brackets
    openSheet();
    ASSERT_TRUE(goTo("Кусаинов Алихан Ерболович"));
    const auto& teacher = server::qor::demo::serverLogins[0];
    server::Engine::open(database.toStdString(), teacher.serverLogin, teacher.serverPassword)
        ->execute("UPDATE mark_mag SET id_estimation = 3 WHERE id_mark_mag = " +
                  text("id_mark_mag"));
    pickText(form->DBLookupComboBox3, "Ведомость");
    ASSERT_TRUE(goTo("Кусаинов Алихан Ерболович"));
    EXPECT_EQ(text("ball_name"), "удов");
}

TEST_F(Totals, TheColumnOfOtherGradesFollowsTheRule) {
    openSheet();
    EXPECT_TRUE(column("EstimationOther")->visible());  // rule 101 has осв., акад., перезач.
    execute("UPDATE EstimationOther SET id_ebe_var = 107 WHERE id_ebe_var = 101");
    pickText(form->DBLookupComboBox3, "Ведомость");
    EXPECT_FALSE(column("EstimationOther")->visible());
    EXPECT_NO_MESSAGE(log);
}

TEST_F(Totals, ARuleWithoutBandsIsShownButTheGridStaysDisabled) {
    execute("DELETE FROM ebe WHERE id_ebe_var = 101");
    openSheet();
    ASSERT_EQ(log.messages.size(), 1);
    EXPECT_EQ(log.messages[0].text, "Нет информации о баллах.");
    EXPECT_EQ(log.messages[0].caption, "Error");
    EXPECT_EQ(log.messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(dm.SheetNotReady);
    EXPECT_FALSE(form->KXDBGridEh1->isEnabled());
    // the rows are there, with totals but no band to name them by
    EXPECT_EQ(dm.ADO_SP_Sort.recordCount(), 23);
    ASSERT_TRUE(goTo("Кусаинов Алихан Ерболович"));
    EXPECT_EQ(text("ball1"), "55");
    EXPECT_EQ(text("ball_name"), "-()");
    EXPECT_EQ(dm.GradeBands[data::Band::Satisfactory].lower, data::GradeBands::kEmpty);
}

// A formula that fails on one row: the teacher is told once with the formula engine's
// own text, every row is still shown, and the program goes on.
TEST_F(Totals, AFormulaFailingOnARowIsReportedOnceAndTheSheetStaysOpen) {
    execute(
        "UPDATE est_config SET formula = 'M1/(M2-13)' WHERE id_ebe_var = 101 AND "
        "pole_mark_mag = 'ball1' AND id_f_est = 1");
    openSheet();
    EXPECT_EQ(log.texts(), QStringList{"Floating point division by zero"});
    EXPECT_EQ(log.messages.value(0).caption, ui::Application::title());
    db::Dataset& sheet = dm.ADO_SP_Sort;
    ASSERT_TRUE(sheet.active());
    EXPECT_EQ(sheet.recordCount(), 23);
    EXPECT_EQ(form->KXDBGridEh1->dataSource(), form->DS_SP_Sort);
    EXPECT_TRUE(form->KXDBGridEh1->isEnabled());
    ASSERT_TRUE(goTo("Абдрахманов Ерлан Маратович"));  // m2 = 13
    EXPECT_EQ(text("calc1"), "32");                    // worked out before the total
    EXPECT_EQ(text("ball1"), "");
    EXPECT_EQ(text("ball_name"), "");
    ASSERT_TRUE(goTo("Ахметова Айгерим Нурлановна"));  // 26 / (18 - 13)
    EXPECT_EQ(text("ball1"), "5.2");

    // the program goes on: another sheet form loads as usual
    log.messages.clear();
    pickText(form->DBLookupComboBox3, "Ведомость FX");
    EXPECT_NO_MESSAGE(log);
    EXPECT_TRUE(sheet.active());
}

}  // namespace
}  // namespace sheettest
