// Choosing the sheet form: the rule's columns and the sheet's rows, on the demo faculty.
#include <QComboBox>
#include <QSysInfo>

#include "Demo.h"
#include "server/Engine.h"
#include "tests/sheet/SheetFixture.h"
#include "tests/support/ThrowMessage.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/DataSource.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheettest {
namespace {

using Loading = SignedIn;

QStringList fields(const ui::DataGrid* grid, int from = 9) {
    QStringList f;
    for (int i = from; i < grid->columnCount(); ++i) f << grid->column(i)->fieldName();
    return f;
}

TEST_F(Loading, TheRulesColumnsFollowTheFixedOnesAndTheRowsAreShown) {
    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    pickText(form->DBLookupComboBox3, "Ведомость");
    const ui::DataGrid* grid = form->KXDBGridEh1;
    EXPECT_EQ(fields(grid), (QStringList{"m1", "m2", "m3", "dop", "calc1", "ball1", "p36",
                                         "Ball_name", "EstimationOther", "poseshal"}));
    QStringList titles, hints;
    for (int i = 9; i < grid->columnCount(); ++i) {
        titles << grid->column(i)->title();
        hints << grid->column(i)->titleHint();
    }
    EXPECT_EQ(titles.mid(6),
              (QStringList{"Дата сдачи", "Оценка", "Особая оценка", "Посещаемость"}));
    EXPECT_EQ(titles.mid(0, 4), (QStringList{"РК 1", "РК 2", "Экзамен", "Доп. балл"}));
    // the server's CanEdit per control point: m1 0 (closed), m2 1, m3 2, dop 1
    EXPECT_EQ(hints.mid(0, 5), (QStringList{"0", "1", "2", "1", ""}));
    QList<bool> readOnly;
    QList<int> tags;
    for (int i = 9; i < grid->columnCount(); ++i) {
        readOnly << grid->column(i)->readOnly();
        tags << grid->column(i)->tag();
    }
    EXPECT_EQ(readOnly,
              (QList<bool>{true, false, false, false, true, true, true, true, false, true}));
    EXPECT_EQ(tags.mid(0, 6), (QList<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(column("Ball_name")->editButtonMenu(), form->PopupMenu1);
    EXPECT_FALSE(column("Ball_name")->editButtonVisible());  // not a session sheet
    EXPECT_EQ(form->GradeColumnIndex, 16);
    EXPECT_EQ(form->Choice.SheetFormId, 1);
    EXPECT_EQ(grid->dataSource(), form->DS_SP_Sort);
    EXPECT_TRUE(dm.ADO_SP_Sort.active());
    EXPECT_GT(dm.ADO_SP_Sort.recordCount(), 0);
    EXPECT_FALSE(dm.ADO_SP_Sort.controlsDisabled());
    EXPECT_NO_MESSAGE(log);

    pickText(form->DBLookupComboBox3, "Ведомость FX");
    EXPECT_EQ(form->Choice.SheetFormId, 9);
    EXPECT_EQ(fields(grid, 0).mid(0, 9), (QStringList{"Rec_no", "primech", "student", "p20",
                                                      "teacher", "exam", "f_est", "p35", "p36"}));
    EXPECT_EQ(fields(grid), (QStringList{"m1", "m2", "m3", "dop", "calc1", "m12", "ball1", "p36",
                                         "Ball_name", "EstimationOther", "poseshal"}));
    // an FX sheet (a session sheet) offers the grade menu in the "Оценка" column
    EXPECT_EQ(form->GradeColumnIndex, 17);
    EXPECT_TRUE(column("Ball_name")->editButtonVisible());
    // the FX retake has not begun (-1): its column is shown but cannot be edited
    EXPECT_EQ(column("m12")->titleHint(), "-1");
    EXPECT_TRUE(column("m12")->readOnly());
    EXPECT_NO_MESSAGE(log);

    // the view-only entry (key -1) loads sheet form 1 with every column read-only, but
    // for the other grade while some control point is open
    pickText(form->DBLookupComboBox3, "Только Просмотр");
    EXPECT_EQ(form->Choice.SheetFormId, 1);
    EXPECT_EQ(fields(grid).mid(0, 6), (QStringList{"m1", "m2", "m3", "dop", "calc1", "ball1"}));
    readOnly.clear();
    for (int i = 9; i < grid->columnCount(); ++i) readOnly << grid->column(i)->readOnly();
    EXPECT_EQ(readOnly, (QList<bool>{true, true, true, true, true, true, true, true, false, true}));
    EXPECT_FALSE(grid->column(form->GradeColumnIndex)->editButtonVisible());
    EXPECT_NO_MESSAGE(log);
}

TEST_F(Loading, AStreamSheetOfTheChosenDepartment) {
    chooseUpToDiscipline(11, "Компьютерные сети {5}");
    pickText(form->DBLookupComboBox9, "Поток 101");
    pickKey(form->DBLookupComboBox2, std::int64_t{2});
    ASSERT_EQ(form->Choice.RuleId, 107);
    pickText(form->DBLookupComboBox3, "Ведомость");
    db::Dataset& sheet = dm.ADO_SP_Sort;
    EXPECT_EQ(sheet.param("@group").value(), db::Value(std::int64_t{0}));
    EXPECT_EQ(sheet.param("@subGroup").value(), db::Value(std::int64_t{101}));
    EXPECT_EQ(sheet.param("@isGetFromSubGroup").value(), db::Value(std::int64_t{1}));
    EXPECT_EQ(sheet.param("@id_a_year").value(), db::Value(std::to_string(year)));
    EXPECT_EQ(sheet.param("@id_kafedra").value(), db::Value(std::int64_t{2}));
    EXPECT_EQ(sheet.param("@DoNotShowEst").value(), db::Value(std::string("1=1")));
    EXPECT_TRUE(sheet.active());
    EXPECT_GT(sheet.recordCount(), 0);
    EXPECT_EQ(form->KXDBGridEh1->dataSource(), form->DS_SP_Sort);
    EXPECT_NO_MESSAGE(log);
}

// Closing the window while a mark is being edited saves it first; a save the server
// refuses keeps the window open with the server's text and the entry kept.
TEST_F(Loading, ClosingSavesTheRowBeingEditedAndKeepsTheWindowWhenTheSaveFails) {
    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    pickText(form->DBLookupComboBox3, "Ведомость");
    db::Dataset& sheet = dm.ADO_SP_Sort;
    ASSERT_GT(sheet.recordCount(), 1);
    form->show();

    auto storedM2 = [&](std::int64_t id) {
        auto engine = server::Engine::open(database.toStdString(), server::qor::demo::bootLogin,
                                           server::qor::demo::bootPassword);
        auto r =
            engine->execute("SELECT m2 FROM mark_mag WHERE id_mark_mag = " + std::to_string(id));
        return db::toText(r.resultSets.at(0).rows.at(0).at(0));
    };

    sheet.first();
    const std::int64_t first = sheet.field("id_mark_mag").asInteger();
    sheet.edit();
    sheet.field("m2").setValue(std::int64_t{17});
    EXPECT_TRUE(form->close());
    EXPECT_NO_MESSAGE(log);
    EXPECT_EQ(sheet.state(), db::DatasetState::Browse);
    EXPECT_EQ(storedM2(first), "17");

    // someone else changed the row meanwhile: the save finds it no more
    form->show();
    sheet.first();
    sheet.edit();
    sheet.field("m2").setValue(std::int64_t{18});
    {
        const auto& teacher = server::qor::demo::serverLogins[0];  // the same teacher
        auto other = server::Engine::open(database.toStdString(), teacher.serverLogin,
                                          teacher.serverPassword);
        other->execute("UPDATE mark_mag SET m2 = 5 WHERE id_mark_mag = " + std::to_string(first));
    }
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    // the refused save names the grid's current column, then the server's own text
    EXPECT_EQ(log.texts(),
              (QStringList{"Вы пытаетесь изменить запись в поле \"П/П\", но у вас нет на это прав.",
                           "Row cannot be located for updating. Some values may have "
                           "been changed since it was last read."}));
    EXPECT_EQ(sheet.state(), db::DatasetState::Edit);
    EXPECT_EQ(sheet.field("m2").asString(), "18");
    EXPECT_EQ(storedM2(first), "5");  // the other's change is not overwritten
    sheet.cancel();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(log.messages.size(), 2);
}

// The window reads the institution's admission setting and the workstation's name once,
// when it is created.
TEST_F(Loading, CreationReadsTheAdmissionSettingAndTheComputerName) {
    EXPECT_EQ(form->AdmissionStrict, 0);
    execute("UPDATE VuzDefaults SET id_field = 1 WHERE id_vuz_defaults = 23");
    EXPECT_EQ(form->AdmissionStrict, 0);
    createForm();
    EXPECT_EQ(form->AdmissionStrict, 1);
    EXPECT_FALSE(form->ComputerName.isEmpty());
    EXPECT_EQ(form->ComputerName, QSysInfo::machineHostName().left(100));
}

// The statements the change log collects run in order; an error stops the list there.
TEST_F(Loading, ExecuteStatementsRunsTheListInOrderAndStopsAtAnError) {
    chooseUpToDiscipline(10, "Базы данных {3}");
    pickText(form->DBLookupComboBox9, "ИС-24-1");
    pickText(form->DBLookupComboBox3, "Ведомость");
    db::Dataset& sheet = dm.ADO_SP_Sort;
    sheet.first();
    const std::string id = sheet.field("id_mark_mag").asString();
    const std::string set = "UPDATE mark_mag SET m2 = ";
    EXPECT_THROW_MSG(
        form->ExecuteStatements({set + "9 WHERE id_mark_mag = " + id, "SELECT * FROM nowhere",
                                 set + "10 WHERE id_mark_mag = " + id}),
        db::Error, "Invalid object name 'nowhere'.");
    db::Dataset& exec = dm.ADOQ_Exec;
    exec.close();
    exec.setSql("SELECT m2 FROM mark_mag WHERE id_mark_mag = " + id);
    exec.open();
    EXPECT_EQ(exec.field("m2").asInteger(), 9);
}

}  // namespace
}  // namespace sheettest
