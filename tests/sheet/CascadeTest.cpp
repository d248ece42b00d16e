// The selection lists of the main window for a group, driven as a teacher drives them,
// on the demo faculty.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "data/LoginContext.h"
#include "tests/sheet/SheetFixture.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheettest {
namespace {

using Cascade = SignedIn;

QStringList menuItems(const QMenu* menu) {
    QStringList items;
    for (const QAction* a : menu->actions()) items << a->text();
    return items;
}

TEST_F(Cascade, AtStartOnlyTheYearCanBeChosen) {
    EXPECT_TRUE(form->DBLookupComboBox1->isEnabled());
    EXPECT_FALSE(entries(form->DBLookupComboBox1).isEmpty());
    for (QWidget* w :
         {static_cast<QWidget*>(form->DBLookupComboBox10),
          static_cast<QWidget*>(form->DBLookupComboBox11),
          static_cast<QWidget*>(form->DBLookupComboBox9),
          static_cast<QWidget*>(form->DBLookupComboBox3), static_cast<QWidget*>(form->ComboBox1)})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(form->DBLookupListBox2->isEnabled());
    EXPECT_TRUE(entries(form->DBLookupListBox2).isEmpty());
    EXPECT_TRUE(form->DBLookupComboBox2->isHidden());
    EXPECT_TRUE(form->Label5->isHidden());
    EXPECT_EQ(form->Label3->text(), "_");
    EXPECT_EQ(form->Choice.RuleId, -1);
    EXPECT_EQ(menuItems(form->PopupMenu1), QStringList{"н/п"});
}

// The nine columns every sheet has, read-only; the rule's columns come after them.
TEST_F(Cascade, TheGridStartsWithTheFixedColumns) {
    const struct {
        const char* field;
        const char* title;
        int width;
        bool visible;
    } fixed[] = {
        {"Rec_no", "П/П", 48, true},
        {"primech", "Допуск по оплате", 60, true},
        {"student", "Студент", 172, true},
        {"p20", "Группа", 64, true},
        {"teacher", "Преподаватель", 104, true},
        {"exam", "Форм/контр.", 77, false},
        {"f_est", "Форма ведомости", 103, true},
        {"p35", "№", 52, false},
        {"p36", "Дата сдачи", 64, false},
    };
    const ui::DataGrid* grid = form->KXDBGridEh1;
    ASSERT_EQ(grid->columnCount(), 9);
    for (int i = 0; i < 9; ++i) {
        const ui::DataGridColumn* c = grid->column(i);
        EXPECT_EQ(c->fieldName(), fixed[i].field) << i;
        EXPECT_EQ(c->title(), fixed[i].title) << i;
        EXPECT_EQ(c->width(), fixed[i].width) << i;
        EXPECT_EQ(c->visible(), fixed[i].visible) << i;
        EXPECT_TRUE(c->readOnly()) << i;
    }
    EXPECT_EQ(column("student")->footerText(), "Сумма баллов");
    EXPECT_EQ(column("teacher")->dropDownWidth(), 300);
    EXPECT_TRUE(grid->footerVisible());
    EXPECT_FALSE(grid->allowedOperations().testFlag(ui::DataGrid::AllowDelete));
}

TEST_F(Cascade, AGroupSheetFromYearToSheetForm) {
    pickKey(form->DBLookupComboBox1, year);
    ASSERT_TRUE(form->DBLookupComboBox10->isEnabled());
    EXPECT_EQ(form->DBLookupComboBox10->keyField(), "id_sem_Temp");
    // the first semester once for groups (10) and once for streams (11)
    EXPECT_EQ(entries(form->DBLookupComboBox10).size(), 3);
    pickKey(form->DBLookupComboBox10, std::int64_t{10});
    EXPECT_EQ(form->Choice.SemesterKind, "0");
    EXPECT_EQ(form->Label10->text(), "Группа:");
    EXPECT_EQ(dm.ADOQ_g_sem.field("id_sem_Temp").asInteger(), 10);

    // one discipline, two credit counts: two entries
    const QStringList disciplines = entries(form->DBLookupComboBox11);
    EXPECT_TRUE(disciplines.contains("Базы данных {3}")) << disciplines.join('|').toStdString();
    EXPECT_TRUE(disciplines.contains("Базы данных {4}"));
    EXPECT_FALSE(form->DBLookupComboBox9->isEnabled());

    pickText(form->DBLookupComboBox11, "Базы данных {3}");
    EXPECT_EQ(form->DBLookupComboBox11->keyValue(), db::Value(std::int64_t{13}));
    // the first assessment is chosen at once and its groups are offered
    EXPECT_EQ(entries(form->DBLookupListBox2), QStringList{"Экзамен"});
    EXPECT_EQ(form->DBLookupListBox2->text(), "Экзамен");
    EXPECT_EQ(form->DBLookupListBox2->keyValue(), db::Value(std::int64_t{1}));
    EXPECT_TRUE(form->DBLookupComboBox9->isEnabled());
    EXPECT_TRUE(form->DBLookupComboBox9->text().isEmpty());
    EXPECT_EQ(entries(form->DBLookupComboBox9), QStringList{"ИС-24-1"});
    EXPECT_FALSE(form->DBLookupComboBox3->isEnabled());
    EXPECT_EQ(menuItems(form->PopupMenu1), (QStringList{"н/п", "н/у", "удов", "хор", "отл"}));
    const data::LoginContext& c = data::loginContext();
    const QList<QAction*> grades = form->PopupMenu1->actions();
    ASSERT_EQ(grades.size(), 5);
    EXPECT_EQ(grades[1]->data().toInt(), c.GradeFailId);
    EXPECT_EQ(grades[4]->data().toInt(), c.GradeExcellentId);

    pickText(form->DBLookupComboBox9, "ИС-24-1");
    EXPECT_EQ(form->Choice.IsStream, 0);
    EXPECT_EQ(form->Choice.RuleIdText, "101");
    EXPECT_EQ(form->Choice.RuleId, 101);
    EXPECT_EQ(form->Label3->text(), "101");
    EXPECT_TRUE(form->DBLookupComboBox2->isHidden());
    EXPECT_EQ(dm.ADOQ_g_s.field("id_speciality").asInteger(), 1);
    EXPECT_EQ(dm.ADOQ_Group_F_educ.field("id_f_educ").asInteger(), 1);
    // the sheet forms of the group's rule
    EXPECT_EQ(dm.ADOQ_f_est2.param("@id_teacher").value(), db::Value(std::int64_t{-1}));
    EXPECT_EQ(dm.ADOQ_f_est2.param("@id_semesterOrWs").value(), db::Value(std::string("1")));
    EXPECT_EQ(dm.ADOQ_f_est2.param("@id_faculty").value(), db::Value(std::int64_t{1}));
    EXPECT_EQ(dm.ADOQ_f_est2.param("@id_ebe_var").value(), db::Value(std::int64_t{101}));
    EXPECT_TRUE(form->DBLookupComboBox3->isEnabled());
    EXPECT_TRUE(form->DBLookupComboBox3->text().isEmpty());
    EXPECT_EQ(entries(form->DBLookupComboBox3),
              (QStringList{"Ведомость", "Ведомость FX", "Ведомость I", "Только Просмотр"}));
    EXPECT_TRUE(form->ComboBox1->isEnabled());
    EXPECT_FALSE(form->SpeedButton2->isEnabled());
    EXPECT_EQ(form->KXDBGridEh1->dataSource(), nullptr);
    EXPECT_NO_MESSAGE(log);
}

TEST_F(Cascade, TheGroupsOwnRuleWhenThePlanNamesNone) {
    chooseUpToDiscipline(10, "Алгоритмы и структуры данных {5}");
    EXPECT_EQ(form->DBLookupListBox2->text(), "Диф/зачет");
    pickText(form->DBLookupComboBox9, "ВТ-24-1");
    EXPECT_EQ(form->Choice.RuleIdText, "105");
    EXPECT_EQ(form->Choice.RuleId, 105);
    EXPECT_EQ(form->Label3->text(), "_");  // the rule label keeps what it showed
    EXPECT_EQ(dm.ADOQ_f_est2.param("@id_speciality").value(), db::Value(std::int64_t{2}));
    EXPECT_TRUE(form->DBLookupComboBox3->isEnabled());
}

// Which grade items the "Оценка" menu offers for each kind of assessment.
TEST_F(Cascade, TheGradeMenuFollowsTheAssessmentKind) {
    const struct {
        const char* discipline;
        QStringList items;
    } cases[] = {
        {"Базы данных {3}", {"н/п", "н/у", "удов", "хор", "отл"}},           // exam
        {"Веб-программирование {2}", {"н/п", "н/у", "удов", "хор", "отл"}},  // course project
        {"Объектно-ориентированное программирование {2}",
         {"н/п", "н/у", "удов", "хор", "отл"}},                                      // course work
        {"Операционные системы {3}", {"н/п", "н/з", "зачёт"}},                       // credit
        {"Учебная практика {2}", {"н/п"}},                                           // attestation
        {"Алгоритмы и структуры данных {5}", {"н/п", "н/у", "удов", "хор", "отл"}},  // graded
    };
    pickKey(form->DBLookupComboBox1, year);
    pickKey(form->DBLookupComboBox10, std::int64_t{10});
    for (const auto& c : cases) {
        pickText(form->DBLookupComboBox11, c.discipline);
        EXPECT_EQ(menuItems(form->PopupMenu1), c.items) << c.discipline;
    }
    const data::LoginContext& login = data::loginContext();
    pickText(form->DBLookupComboBox11, "Операционные системы {3}");
    const QList<QAction*> credit = form->PopupMenu1->actions();
    ASSERT_EQ(credit.size(), 3);
    EXPECT_EQ(credit[1]->data().toInt(), login.GradeNoCreditId);
    EXPECT_EQ(credit[2]->data().toInt(), login.GradeCreditId);
}

// A new choice in any list empties and disables every list below it and takes the
// filter away; the lists above keep their choice.
TEST_F(Cascade, EveryListBelowAChangedChoiceIsClearedAndDisabled) {
    auto chooseAll = [&] {
        chooseUpToDiscipline(10, "Базы данных {3}");
        pickText(form->DBLookupComboBox9, "ИС-24-1");
        ASSERT_TRUE(form->DBLookupComboBox3->isEnabled());
        ASSERT_TRUE(form->ComboBox1->isEnabled());
    };
    auto expectCleared = [&](ui::LookupComboBox* list, const char* step) {
        EXPECT_FALSE(list->isEnabled()) << step << ": " << list->objectName().toStdString();
        EXPECT_TRUE(db::isNull(list->keyValue()))
            << step << ": " << list->objectName().toStdString();
        EXPECT_TRUE(list->text().isEmpty()) << step;
    };

    chooseAll();
    pickKey(form->DBLookupComboBox1, year);
    EXPECT_TRUE(form->DBLookupComboBox10->isEnabled());
    EXPECT_TRUE(db::isNull(form->DBLookupComboBox10->keyValue()));
    expectCleared(form->DBLookupComboBox11, "year");
    expectCleared(form->DBLookupComboBox9, "year");
    expectCleared(form->DBLookupComboBox3, "year");
    EXPECT_FALSE(dm.ADOQ_Vremennyi.active());
    EXPECT_TRUE(entries(form->DBLookupListBox2).isEmpty());
    EXPECT_FALSE(form->ComboBox1->isEnabled());

    chooseAll();
    pickKey(form->DBLookupComboBox10, std::int64_t{10});
    EXPECT_EQ(form->DBLookupComboBox1->keyValue(), db::Value(year));
    EXPECT_TRUE(form->DBLookupComboBox11->isEnabled());
    EXPECT_TRUE(db::isNull(form->DBLookupComboBox11->keyValue()));
    expectCleared(form->DBLookupComboBox9, "semester");
    expectCleared(form->DBLookupComboBox3, "semester");
    EXPECT_FALSE(dm.ADOQ_Vremennyi.active());
    EXPECT_FALSE(form->ComboBox1->isEnabled());

    chooseAll();
    pickText(form->DBLookupComboBox11, "Базы данных {4}");
    EXPECT_TRUE(form->DBLookupComboBox9->isEnabled());
    EXPECT_TRUE(db::isNull(form->DBLookupComboBox9->keyValue()));
    EXPECT_EQ(entries(form->DBLookupComboBox9), QStringList{"ВТ-24-1"});
    expectCleared(form->DBLookupComboBox3, "discipline");
    EXPECT_FALSE(form->ComboBox1->isEnabled());

    chooseAll();
    pickText(form->DBLookupListBox2, "Экзамен");
    EXPECT_TRUE(form->DBLookupComboBox9->isEnabled());
    EXPECT_TRUE(db::isNull(form->DBLookupComboBox9->keyValue()));
    expectCleared(form->DBLookupComboBox3, "assessment");
    EXPECT_FALSE(form->ComboBox1->isEnabled());

    // the group chosen again: the sheet-form list is offered afresh, with no choice
    chooseAll();
    pickKey(form->DBLookupComboBox3, std::int64_t{1});
    ASSERT_EQ(form->DBLookupComboBox3->text(), "Ведомость");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    EXPECT_TRUE(form->DBLookupComboBox3->isEnabled());
    EXPECT_TRUE(db::isNull(form->DBLookupComboBox3->keyValue()));
    EXPECT_NO_MESSAGE(log);
}

// A query the server refuses: its own text reaches the general error display, the step
// stops there, and the lists go on working.
TEST_F(Cascade, AServerErrorStopsTheStepWithTheServersText) {
    chooseUpToDiscipline(11, "Компьютерные сети {5}");
    execute("DROP TABLE RRNKkrdt");
    pickText(form->DBLookupComboBox9, "Поток 101");
    ASSERT_EQ(log.messages.size(), 1);
    EXPECT_EQ(log.messages[0].text, "Invalid object name 'RRNKkrdt'.");
    EXPECT_EQ(form->Choice.RuleId, -1);
    EXPECT_TRUE(form->DBLookupComboBox2->isHidden());
    EXPECT_FALSE(form->ComboBox1->isEnabled());

    // the window goes on: the stream chosen again asks the server again
    pickText(form->DBLookupComboBox9, "Поток 101");
    EXPECT_EQ(log.texts(), QStringList(2, "Invalid object name 'RRNKkrdt'."));
    EXPECT_TRUE(form->DBLookupComboBox9->isEnabled());
}

}  // namespace
}  // namespace sheettest
