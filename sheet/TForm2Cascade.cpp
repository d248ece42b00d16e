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
#include "sheet/TForm2.h"
#include "structure/TForm_7.h"
#include "ui/ControlDialogs.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheet {

namespace {

std::string text(const db::Value& v) {
    return db::toText(v);
}

std::string decimal(std::int64_t n) {
    return std::to_string(n);
}

void requery(db::Dataset& d, const std::string& sql) {
    d.close();
    d.setSql(sql);
    d.open();
}

// A field of the current row; NULL on an empty dataset.
db::Value current(const db::Dataset& d, const char* field) {
    if (!d.active() || d.isEmpty()) return {};
    return d.field(field).value();
}

std::string currentText(const db::Dataset& d, const char* field) {
    return text(current(d, field));
}

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
    connect(DBLookupComboBox9, &ui::LookupComboBox::picked, this, &TForm2::DBLookupComboBox9Click);
    // A department picked for a stream runs the group step again.
    connect(DBLookupComboBox2, &ui::LookupComboBox::picked, this, &TForm2::DBLookupComboBox9Click);
    connect(DBLookupComboBox3, &ui::LookupComboBox::picked, this, &TForm2::DBLookupComboBox3Click);
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { ui::ControlDialogs::guard([this] { ComboBox1Change(); }); });
}

void TForm2::closeSheet() {
    dm_.ADO_SP_Sort.close();
    ComboBox1->setEnabled(false);
}

void TForm2::hideDepartments() {
    Label5->hide();
    DBLookupComboBox2->hide();
}

// Step 1: the academic year.
void TForm2::DBLookupComboBox1Click() {
    closeSheet();
    hideDepartments();
    const db::Value year = DBLookupComboBox1->keyValue();
    if (db::isNull(year)) return;
    KXDBGridEh1->setDataSource(nullptr);

    const data::LoginContext& login = data::loginContext();
    requery(dm_.ADOQ_g_sem,
            "Select  * , ([id_sem]*10+[isSelect]) as id_sem_Temp from "
            "qor.[dbo].[f_QOR28_sem] where id_a_year=" +
                text(year) + " AND id_login=" + decimal(login.LoginId) + " order by ws_sort");
    DBLookupComboBox10->setKeyField(QStringLiteral("id_sem_Temp"));
    DBLookupComboBox10->clearKey();
    DBLookupComboBox10->setEnabled(dm_.ADOQ_g_sem.recordCount() > 0);

    clearAndDisable(DBLookupComboBox9);
    clearAndDisable(DBLookupComboBox11);
    dm_.ADOQ_Vremennyi.close();
    clearAndDisable(DBLookupComboBox3);
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
    SemesterKind = QString::fromStdString(sem.field("isSelect").asString());
    sem.locate("id_sem_Temp", semTemp);
    if (SemesterKind == QLatin1String("0")) Label10->setText(QStringLiteral("Группа:"));
    if (SemesterKind == QLatin1String("1")) Label10->setText(QStringLiteral("Поток:"));

    KXDBGridEh1->setDataSource(nullptr);
    const data::LoginContext& login = data::loginContext();
    requery(dm_.ADOQ_Discipline,
            std::string("SELECT p34 +") + "' {'" + "+ CAST(d.kredit as varchar) +" + "'}'" +
                "as p34 ,d.id_discipline,d.id_discipline*10+d.kredit as id, kredit  " +
                " FROM [qor].[dbo].[f_QOR28_disc] d " + " inner join [qor].[dbo].[discipline] dd " +
                " on d.id_discipline=dd.id_discipline " + " where id_login = " +
                decimal(login.LoginId) + " and id_a_year =" + text(DBLookupComboBox1->keyValue()) +
                " and id_sem =" + sem.field("id_sem").asString() +
                " and isSelect =" + SemesterKind.toStdString());
    DBLookupComboBox11->clearKey();
    DBLookupComboBox11->setEnabled(dm_.ADOQ_Discipline.recordCount() > 0);

    clearAndDisable(DBLookupComboBox9);
    clearAndDisable(DBLookupComboBox3);
    dm_.ADOQ_Vremennyi.close();
}

// Step 3: the discipline with its credit count; the first form of assessment is
// chosen at once.
void TForm2::DBLookupComboBox11Click() {
    closeSheet();
    hideDepartments();
    if (DBLookupComboBox10->text().isEmpty() || DBLookupComboBox11->text().isEmpty()) return;

    KXDBGridEh1->setDataSource(nullptr);
    const data::LoginContext& login = data::loginContext();
    const db::Dataset& disc = dm_.ADOQ_Discipline;
    requery(dm_.ADOQ_Vremennyi,
            "SELECT p30,e.id_examination, e.kredit FROM [qor].[dbo].[f_QOR28_exam] e inner "
            "join qor.dbo.examination ee on e.id_examination=ee.id_examination where  "
            "id_login=" +
                decimal(login.LoginId) + " and  id_a_year=" + text(DBLookupComboBox1->keyValue()) +
                " and  id_sem=" + currentText(dm_.ADOQ_g_sem, "id_sem") +
                " and isSelect=" + SemesterKind.toStdString() + " and id_discipline=" +
                currentText(disc, "id_discipline") + " and kredit=" + currentText(disc, "kredit"));
    if (dm_.ADOQ_Vremennyi.recordCount() > 0) {
        dm_.ADOQ_Vremennyi.first();
        DBLookupListBox2->setKeyValue(current(dm_.ADOQ_Vremennyi, "id_examination"));
        DBLookupListBox2Click();
    } else {
        // Nothing to assess: the groups of the previous discipline must not stay on offer.
        DBLookupListBox2->clearKey();
        clearAndDisable(DBLookupComboBox9);
        dm_.ADOQ_group.close();
    }
    clearAndDisable(DBLookupComboBox3);
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
        graded = graded || k == decimal(kind);
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
    const db::Value assessment = DBLookupListBox2->keyValue();
    if (!DBLookupComboBox10->text().isEmpty() && !DBLookupComboBox11->text().isEmpty())
        rebuildGradeMenu(assessment);

    clearAndDisable(DBLookupComboBox9);
    clearAndDisable(DBLookupComboBox3);
    dm_.ADOQ_group.close();
    if (db::isNull(assessment)) return;
    const data::LoginContext& login = data::loginContext();
    const db::Dataset& disc = dm_.ADOQ_Discipline;
    dm_.ADOQ_group.setSql(
        " SELECT distinct id_gr_potok,gr_potok,isSelect,id_teacher FROM "
        "[QOR].[dbo].[f_QOR28_gr_potok] f  WHERE f.id_login =" +
        decimal(login.LoginId) + " AND f.id_a_year =" + text(DBLookupComboBox1->keyValue()) +
        " AND f.id_sem =" + currentText(dm_.ADOQ_g_sem, "id_sem") + " AND f.id_discipline =" +
        currentText(disc, "id_discipline") + " AND f.id_examination = " + text(assessment) +
        " AND f.isSelect=" + SemesterKind.toStdString() +
        " AND f.kredit =" + currentText(disc, "kredit"));
    dm_.ADOQ_group.open();
    DBLookupComboBox9->clearKey();
    DBLookupComboBox9->setEnabled(dm_.ADOQ_group.recordCount() > 0);
}

void TForm2::takeRule(const db::Value& rule, bool showIt) {
    RuleIdText = db::isNull(rule) ? QString() : QString::fromStdString(text(rule));
    RuleId = db::isNull(rule) ? 0 : static_cast<int>(db::toInteger(rule));
    if (showIt) Label3->setText(RuleIdText);
}

// Step 5: the group, the stream, or the department of a stream.
void TForm2::DBLookupComboBox9Click() {
    DBLookupComboBox3->setEnabled(true);
    DBLookupComboBox3->clearKey();
    RuleIdText.clear();
    RuleId = -1;
    closeSheet();
    const db::Value chosen = DBLookupComboBox9->keyValue();
    if (db::isNull(chosen)) return;

    KXDBGridEh1->setDataSource(nullptr);
    const bool stream = currentText(dm_.ADOQ_group, "isSelect") == "1";
    const std::string key = text(chosen);
    const std::string teacher = currentText(dm_.ADOQ_group, "id_teacher");
    db::Dataset& exec = dm_.ADOQ_Exec;
    if (!stream) {
        IsStream = 0;
        requery(exec,
                " Select * from qor.dbo.rrnk  INNER JOIN dbo.educ_sh ON dbo.RRNK.id_educ_sh = "
                "dbo.educ_sh.id_educ_sh  WHERE id_group=" +
                    key + " AND dbo.rrnk.id_teacher=" + teacher +
                    " AND dbo.educ_sh.id_discipline = " +
                    currentText(dm_.ADOQ_Discipline, "id_discipline") +
                    " AND dbo.educ_sh.id_semester=" + currentText(dm_.ADOQ_g_sem, "id_sem") +
                    " AND dbo.educ_sh.id_examination=" + text(DBLookupListBox2->keyValue()));
        const db::Value planned = current(exec, "id_ebe_var");
        if (!db::isNull(planned)) {
            takeRule(planned, true);
        } else {
            // No rule in the teaching plan: the group's own rule applies.
            requery(exec, " select * from qor.dbo.g_s  where id_group=" + key);
            takeRule(current(exec, "id_ebe_var"), false);
        }
    } else {
        IsStream = 1;
        if (!findStreamRule(key, teacher)) return;
    }

    if (!stream) {
        requery(dm_.ADOQ_g_s, "Select * from g_s where id_group=" + key);
        requery(dm_.ADOQ_Group_F_educ, "Select * From [QOR].[dbo].[group] Where id_group = " + key);
    }
    openSheetForms(chosen, stream);
    ComboBox1->setEnabled(true);
    SpeedButton2->setEnabled(false);
}

bool TForm2::findStreamRule(const std::string& stream, const std::string& teacher) {
    db::Dataset& exec = dm_.ADOQ_Exec;
    const std::string year = text(DBLookupComboBox1->keyValue());
    const std::string sem = currentText(dm_.ADOQ_g_sem, "id_sem");
    const std::string assessment = text(DBLookupListBox2->keyValue());
    const std::string discipline = currentText(dm_.ADOQ_Discipline, "id_discipline");
    const std::string kredit = currentText(dm_.ADOQ_Discipline, "kredit");
    exec.close();
    if (DBLookupComboBox2->hint() == severalDepartmentsHint()) {
        // The teacher has just picked a department.
        exec.setSql(
            " Select top 1 id_kafedra,id_a_year,id_ebe_var from qor.dbo.RRNKkrdt  WHERE "
            "subgroup=" +
            stream + " AND id_teacher=" + teacher + " AND id_a_year=" + year +
            " AND id_w_s=" + sem + " AND id_kafedra=" + text(DBLookupComboBox2->keyValue()) +
            " AND id_examination=" + assessment + " AND id_discipline=" + discipline +
            " ORDER BY id_rrnkKrdt");
    } else {
        exec.setSql(" Select distinct id_kafedra FROM qor.dbo.RRNKkrdt  WHERE subgroup=" + stream +
                    " AND id_teacher=" + teacher + " AND id_a_year=" + year + " AND id_w_s=" + sem +
                    " AND id_examination=" + assessment + " AND id_discipline=" + discipline +
                    " AND kredit=" + kredit);
    }
    exec.open();
    if (exec.recordCount() > 1) {
        requery(dm_.ADOQ_Kafedra,
                " Select distinct Kafedra.f1,kafedra.id_Kafedra from Kafedra  Inner Join "
                "RRNKkrdt On Kafedra.id_kafedra=RRNKkrdt.id_kafedra Where Kafedra.id_kafedra "
                "in(Select id_kafedra from qor.dbo.RRNKkrdt  WHERE subgroup=" +
                    stream + " AND id_teacher=" + teacher + " AND id_a_year=" + year +
                    " AND id_w_s=" + sem + ")");
        DBLookupComboBox2->setHint(severalDepartmentsHint());
        // No sheet form until the department is known: the list would still hold the
        // forms of the previous choice.
        clearAndDisable(DBLookupComboBox3);
        dm_.ADOQ_f_est2.close();
        DBLookupComboBox2->clearKey();
        DBLookupComboBox2->show();
        DBLookupComboBox2->setEnabled(true);
        Label5->show();
        DBLookupComboBox2->dropDownList();
        return false;
    }

    requery(exec,
            " SELECT id_kafedra,id_a_year,id_ebe_var,id_f_educ FROM qor.dbo.RRNKkrdt  WHERE "
            "id_rrnkkrdt IN ( SELECT min(id_rrnkKrdt)  FROM qor.dbo.RRNKkrdt WHERE subgroup=" +
                stream + " AND id_teacher=" + teacher + " AND id_a_year=" + year + " AND id_w_s=" +
                sem + " AND id_examination=" + assessment + " AND id_discipline=" + discipline +
                " AND kredit=" + kredit + " AND prov_reyt >= 0 )");
    DBLookupComboBox2->setHint(oneDepartmentHint());
    const db::Value rule = current(exec, "id_ebe_var");
    if (!db::isNull(rule)) {
        takeRule(rule, true);
    } else {
        // The stream has no grading rule yet: the teacher builds one.
        RuleIdText.clear();
        EditorOpenedForMissingRule = true;
        auto editor = std::make_unique<structure::TForm_7>(dm_, *this, this);
        editor->exec();
    }
    return true;
}

// Step 5, last part: the sheet forms on offer for the choice.
void TForm2::openSheetForms(const db::Value& chosen, bool stream) {
    db::Dataset& forms = dm_.ADOQ_f_est2;
    forms.close();
    const data::LoginContext& login = data::loginContext();
    const db::Dataset& assessment = dm_.ADOQ_Vremennyi;
    forms.param("@id_a_year").setValue(DBLookupComboBox1->keyValue());
    forms.param("@id_semesterOrWs").setValue(currentText(dm_.ADOQ_g_sem, "id_sem"));
    forms.param("@forPotok").setValue(current(dm_.ADOQ_group, "isSelect"));
    forms.param("@id_discipline").setValue(current(dm_.ADOQ_Discipline, "id_discipline"));
    forms.param("@subgroup").setValue(chosen);
    if (!stream) {
        forms.param("@id_faculty").setValue(current(dm_.ADOQ_g_s, "id_faculty"));
        forms.param("@id_speciality").setValue(current(dm_.ADOQ_g_s, "id_speciality"));
        forms.param("@id_teacher").setValue(std::int64_t{-1});
    } else {
        forms.param("@id_faculty").setValue(std::int64_t{-1});
        forms.param("@id_speciality").setValue(std::int64_t{-1});
        forms.param("@id_teacher").setValue(std::int64_t{login.TeacherId});
        forms.param("@kredits").setValue(current(assessment, "kredit"));
        forms.param("@id_examination").setValue(current(assessment, "id_examination"));
    }
    forms.param("@id_ebe_var").setValue(std::int64_t{RuleId});
    forms.open();
}

// What the structure editor builds its rule for: the cascade's current choice.
structure::StreamChoice TForm2::streamChoice() const {
    structure::StreamChoice c;
    c.year = text(DBLookupComboBox1->keyValue());
    c.semester = currentText(dm_.ADOQ_g_sem, "id_sem");
    c.discipline = currentText(dm_.ADOQ_Discipline, "id_discipline");
    c.credits = currentText(dm_.ADOQ_Discipline, "kredit");
    c.assessment = text(assessmentKey());
    c.stream = currentText(dm_.ADOQ_group, "id_gr_potok");
    c.teacher = decimal(data::loginContext().TeacherId);
    return c;
}

}  // namespace sheet
