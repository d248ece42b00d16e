// The selection lists of the main window, one step per list: each choice asks the
// server for the entries of the next list and empties every list below it, so a sheet is
// only ever shown for a complete choice. The last step finds the sheet's grading rule
// and offers the sheet forms.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <exception>
#include <memory>

#include "data/LoginContext.h"
#include "data/TDM_ZOL_3.h"
#include "sheet/CurrentRow.h"
#include "sheet/SheetStatements.h"
#include "sheet/TForm2.h"
#include "structure/TForm_7.h"
#include "ui/ControlDialogs.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheet {

namespace {

using statements::text;

// A key compared as a number: false for NULL or for a text that is no number.
bool equalsNumber(const db::Value& v, std::int64_t n) {
    if (db::isNull(v)) return false;
    try {
        return db::toInteger(v) == n;
    } catch (const std::exception&) {
        return false;
    }
}

void clearAndDisable(ui::LookupComboBox* c) {
    c->clearKey();
    c->setEnabled(false);
}

}  // namespace

void TForm2::connectCascade() {
    connect(DBLookupComboBox1, &ui::LookupComboBox::picked, this, &TForm2::DBLookupComboBox1Click);
    connect(DBLookupComboBox10, &ui::LookupComboBox::picked, this,
            &TForm2::DBLookupComboBox10Click);
    connect(DBLookupComboBox10, &ui::LookupComboBox::dropDown, this,
            &TForm2::DBLookupComboBox10DropDown);
    connect(DBLookupComboBox11, &ui::LookupComboBox::picked, this,
            &TForm2::DBLookupComboBox11Click);
    connect(DBLookupListBox2, &ui::LookupListBox::picked, this, &TForm2::DBLookupListBox2Click);
    // The group step tells a department pick from a stream pick by the department list's
    // hint, so each pick sets it first: after one department was taken the hint says
    // "one department", and a second department pick read as a stream pick would count
    // the departments again and drop the list down anew instead of taking the pick; a
    // stream pick under a hint left from an unanswered department offer would look for
    // the plan row of no department.
    connect(DBLookupComboBox9, &ui::LookupComboBox::picked, this, [this] {
        DBLookupComboBox2->setHint(QString());
        DBLookupComboBox9Click();
    });
    connect(DBLookupComboBox2, &ui::LookupComboBox::picked, this, [this] {
        DBLookupComboBox2->setHint(severalDepartmentsHint());
        DBLookupComboBox9Click();
    });
    connect(DBLookupComboBox3, &ui::LookupComboBox::picked, this, &TForm2::DBLookupComboBox3Click);
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { ui::ControlDialogs::guard([this] { ComboBox1Change(); }); });
}

void TForm2::closeSheet() {
    dm_.ADO_SP_Sort.close();
    ComboBox1->setEnabled(false);
}

void TForm2::clearAndDisableGroups() {
    clearAndDisable(DBLookupComboBox9);
    Choice.group = {};
}

void TForm2::hideDepartments() {
    Label5->hide();
    DBLookupComboBox2->hide();
    Choice.departmentOffered = false;
}

// Step 1: the academic year.
void TForm2::DBLookupComboBox1Click() {
    closeSheet();
    hideDepartments();
    Choice.year = DBLookupComboBox1->keyValue();
    if (db::isNull(Choice.year)) return;
    KXDBGridEh1->setDataSource(nullptr);

    requery(dm_.ADOQ_g_sem, statements::semesterList(Choice.year, data::loginContext().LoginId));
    DBLookupComboBox10->setKeyField(QStringLiteral("id_sem_Temp"));
    DBLookupComboBox10->clearKey();
    DBLookupComboBox10->setEnabled(dm_.ADOQ_g_sem.recordCount() > 0);

    clearAndDisableGroups();
    clearAndDisable(DBLookupComboBox11);
    dm_.ADOQ_Vremennyi.close();
    clearAndDisableSheetForm();
}

void TForm2::DBLookupComboBox10DropDown() {
    DBLookupComboBox10->setKeyField(QStringLiteral("id_sem_Temp"));
}

// Step 2: the semester, for groups or for streams.
void TForm2::DBLookupComboBox10Click() {
    closeSheet();
    hideDepartments();
    if (db::isNull(DBLookupComboBox10->keyValue())) return;

    db::Dataset& sem = dm_.ADOQ_g_sem;
    const std::int64_t semTemp = sem.field("id_sem_Temp").asInteger();
    Choice.SemesterKind = sem.field("isSelect").asString();
    sem.locate("id_sem_Temp", semTemp);
    Choice.semester = sem.field("id_sem").value();
    if (Choice.SemesterKind == "0") Label10->setText(QStringLiteral("Группа:"));
    if (Choice.SemesterKind == "1") Label10->setText(QStringLiteral("Поток:"));

    KXDBGridEh1->setDataSource(nullptr);
    requery(dm_.ADOQ_Discipline, statements::disciplineList(Choice, data::loginContext().LoginId));
    DBLookupComboBox11->clearKey();
    DBLookupComboBox11->setEnabled(dm_.ADOQ_Discipline.recordCount() > 0);

    clearAndDisableGroups();
    clearAndDisableSheetForm();
    dm_.ADOQ_Vremennyi.close();
}

// Step 3: the discipline with its credit count; the first form of assessment is
// chosen at once.
void TForm2::DBLookupComboBox11Click() {
    closeSheet();
    hideDepartments();
    if (DBLookupComboBox10->text().isEmpty() || DBLookupComboBox11->text().isEmpty()) return;

    KXDBGridEh1->setDataSource(nullptr);
    Choice.discipline = currentValue(dm_.ADOQ_Discipline, "id_discipline");
    Choice.credits = currentValue(dm_.ADOQ_Discipline, "kredit");
    requery(dm_.ADOQ_Vremennyi, statements::assessmentList(Choice, data::loginContext().LoginId));
    if (dm_.ADOQ_Vremennyi.recordCount() > 0) {
        dm_.ADOQ_Vremennyi.first();
        DBLookupListBox2->setKeyValue(currentValue(dm_.ADOQ_Vremennyi, "id_examination"));
        DBLookupListBox2Click();
    } else {
        // Nothing to assess: the groups of the previous discipline must not stay on offer.
        DBLookupListBox2->clearKey();
        Choice.assessment = Choice.assessmentCredits = Choice.assessmentExamination = {};
        clearAndDisableGroups();
        dm_.ADOQ_group.close();
    }
    clearAndDisableSheetForm();
}

void TForm2::rebuildGradeMenu(const db::Value& assessment) {
    const QList<QAction*> items = PopupMenu1->actions();
    for (qsizetype i = items.size() - 1; i >= 1; --i) {
        PopupMenu1->removeAction(items[i]);
        delete items[i];
    }
    const data::LoginContext& c = data::loginContext();
    const std::string k = text(assessment);
    std::vector<std::pair<QString, int>> grades;
    bool graded = false;
    for (std::int32_t kind : {c.KindExamId, c.KindTotalId, c.KindCourseProjectId,
                              c.KindGradedCreditId, c.KindCourseWorkId})
        graded = graded || k == std::to_string(kind);
    if (graded) {
        grades = {{QStringLiteral("н/у"), c.GradeFailId},
                  {QStringLiteral("удов"), c.GradeSatisfactoryId},
                  {QStringLiteral("хор"), c.GradeGoodId},
                  {QStringLiteral("отл"), c.GradeExcellentId}};
    } else if (equalsNumber(assessment, c.KindCreditId)) {
        grades = {{QStringLiteral("н/з"), c.GradeNoCreditId},
                  {QStringLiteral("зачёт"), c.GradeCreditId}};
    }
    for (const auto& [caption, grade] : grades) {
        QAction* item = PopupMenu1->addAction(caption);
        item->setData(grade);
    }
}

// Step 4: the form of assessment; offers the groups or streams.
void TForm2::DBLookupListBox2Click() {
    DBLookupComboBox2->setHint(QString());
    hideDepartments();
    // A sheet of the previous assessment must not stay open under a new choice.
    closeSheet();
    Choice.assessment = DBLookupListBox2->keyValue();
    Choice.assessmentCredits = currentValue(dm_.ADOQ_Vremennyi, "kredit");
    Choice.assessmentExamination = currentValue(dm_.ADOQ_Vremennyi, "id_examination");
    if (!DBLookupComboBox10->text().isEmpty() && !DBLookupComboBox11->text().isEmpty())
        rebuildGradeMenu(Choice.assessment);

    clearAndDisableGroups();
    clearAndDisableSheetForm();
    dm_.ADOQ_group.close();
    if (db::isNull(Choice.assessment)) return;
    dm_.ADOQ_group.setSql(statements::groupList(Choice, data::loginContext().LoginId));
    dm_.ADOQ_group.open();
    DBLookupComboBox9->clearKey();
    Choice.group = {};
    DBLookupComboBox9->setEnabled(dm_.ADOQ_group.recordCount() > 0);
}

void TForm2::takeRule(const db::Value& rule, bool showIt) {
    Choice.RuleIdText = db::isNull(rule) ? std::string() : text(rule);
    Choice.RuleId = db::isNull(rule) ? 0 : db::toInteger(rule);
    if (showIt) Label3->setText(QString::fromStdString(Choice.RuleIdText));
}

// Step 5: the group, the stream, or the department of a stream.
void TForm2::DBLookupComboBox9Click() {
    DBLookupComboBox3->setEnabled(true);
    DBLookupComboBox3->clearKey();
    Choice.sheetForm = {};
    Choice.RuleIdText.clear();
    Choice.RuleId = -1;
    closeSheet();
    Choice.group = DBLookupComboBox9->keyValue();
    if (db::isNull(Choice.group)) return;

    KXDBGridEh1->setDataSource(nullptr);
    Choice.groupKind = currentValue(dm_.ADOQ_group, "isSelect");
    Choice.teacher = currentValue(dm_.ADOQ_group, "id_teacher");
    Choice.department = DBLookupComboBox2->keyValue();
    Choice.faculty = Choice.speciality = Choice.formOfEducation = {};
    const bool stream = Choice.groupKindText() == "1";
    db::Dataset& exec = dm_.ADOQ_Exec;
    if (!stream) {
        Choice.IsStream = 0;
        requery(exec, statements::groupPlanRule(Choice));
        const db::Value planned = currentValue(exec, "id_ebe_var");
        if (!db::isNull(planned)) {
            takeRule(planned, true);
        } else {
            // No rule in the teaching plan: the group's own rule applies.
            requery(exec, statements::groupOwnRule(Choice));
            takeRule(currentValue(exec, "id_ebe_var"), false);
        }
    } else {
        Choice.IsStream = 1;
        if (!findStreamRule()) return;
    }

    if (!stream) {
        requery(dm_.ADOQ_g_s, statements::groupSpecialityRow(Choice));
        Choice.faculty = currentValue(dm_.ADOQ_g_s, "id_faculty");
        Choice.speciality = currentValue(dm_.ADOQ_g_s, "id_speciality");
        requery(dm_.ADOQ_Group_F_educ, statements::groupRow(Choice));
        Choice.formOfEducation = currentValue(dm_.ADOQ_Group_F_educ, "id_f_educ");
    }
    openSheetForms(stream);
    ComboBox1->setEnabled(true);
    SpeedButton2->setEnabled(false);
}

bool TForm2::findStreamRule() {
    db::Dataset& exec = dm_.ADOQ_Exec;
    exec.close();
    if (DBLookupComboBox2->hint() == severalDepartmentsHint()) {
        // The teacher has just picked a department.
        exec.setSql(statements::streamPlanRowOfDepartment(Choice));
    } else {
        exec.setSql(statements::streamDepartments(Choice));
    }
    exec.open();
    if (exec.recordCount() > 1) {
        requery(dm_.ADOQ_Kafedra, statements::departmentList(Choice));
        DBLookupComboBox2->setHint(severalDepartmentsHint());
        // No sheet form until the department is known: the list would still hold the
        // forms of the previous choice.
        clearAndDisableSheetForm();
        dm_.ADOQ_f_est2.close();
        DBLookupComboBox2->clearKey();
        Choice.department = {};
        DBLookupComboBox2->show();
        DBLookupComboBox2->setEnabled(true);
        Choice.departmentOffered = true;
        Label5->show();
        DBLookupComboBox2->dropDownList();
        return false;
    }

    requery(exec, statements::streamRule(Choice));
    const db::Value rule = currentValue(exec, "id_ebe_var");
    DBLookupComboBox2->setHint(oneDepartmentHint());
    if (!db::isNull(rule)) {
        takeRule(rule, true);
    } else {
        // The stream has no grading rule yet: the teacher builds one.
        Choice.RuleIdText.clear();
        Choice.EditorOpenedForMissingRule = true;
        auto editor = std::make_unique<structure::TForm_7>(dm_, *this, this);
        editor->exec();
    }
    return true;
}

// Step 5, last part: the sheet forms on offer for the choice.
void TForm2::openSheetForms(bool stream) {
    db::Dataset& forms = dm_.ADOQ_f_est2;
    forms.close();
    forms.param("@id_a_year").setValue(Choice.year);
    forms.param("@id_semesterOrWs").setValue(text(Choice.semester));
    forms.param("@forPotok").setValue(Choice.groupKind);
    forms.param("@id_discipline").setValue(Choice.discipline);
    forms.param("@subgroup").setValue(Choice.group);
    if (!stream) {
        forms.param("@id_faculty").setValue(Choice.faculty);
        forms.param("@id_speciality").setValue(Choice.speciality);
        forms.param("@id_teacher").setValue(std::int64_t{-1});
    } else {
        forms.param("@id_faculty").setValue(std::int64_t{-1});
        forms.param("@id_speciality").setValue(std::int64_t{-1});
        forms.param("@id_teacher").setValue(std::int64_t{data::loginContext().TeacherId});
        forms.param("@kredits").setValue(Choice.assessmentCredits);
        forms.param("@id_examination").setValue(Choice.assessmentExamination);
    }
    forms.param("@id_ebe_var").setValue(std::int64_t{Choice.RuleId});
    forms.open();
}

}  // namespace sheet
