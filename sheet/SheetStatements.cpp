#include "sheet/SheetStatements.h"

#include <array>

#include "data/SheetChoice.h"

namespace sheet::statements {

namespace {

std::string decimal(std::int64_t n) {
    return std::to_string(n);
}

}  // namespace

std::string text(const db::Value& v) {
    return db::toText(v);
}

std::string semesterList(const db::Value& year, std::int64_t loginId) {
    return "Select  * , ([id_sem]*10+[isSelect]) as id_sem_Temp from "
           "qor.[dbo].[f_QOR28_sem] where id_a_year=" +
           text(year) + " AND id_login=" + decimal(loginId) + " order by ws_sort";
}

std::string disciplineList(const data::SheetChoice& c, std::int64_t loginId) {
    return std::string("SELECT p34 +") + "' {'" + "+ CAST(d.kredit as varchar) +" + "'}'" +
           "as p34 ,d.id_discipline,d.id_discipline*10+d.kredit as id, kredit  " +
           " FROM [qor].[dbo].[f_QOR28_disc] d " + " inner join [qor].[dbo].[discipline] dd " +
           " on d.id_discipline=dd.id_discipline " + " where id_login = " + decimal(loginId) +
           " and id_a_year =" + text(c.year) + " and id_sem =" + text(c.semester) +
           " and isSelect =" + c.SemesterKind;
}

std::string assessmentList(const data::SheetChoice& c, std::int64_t loginId) {
    return "SELECT p30,e.id_examination, e.kredit FROM [qor].[dbo].[f_QOR28_exam] e inner "
           "join qor.dbo.examination ee on e.id_examination=ee.id_examination where  "
           "id_login=" +
           decimal(loginId) + " and  id_a_year=" + text(c.year) +
           " and  id_sem=" + text(c.semester) + " and isSelect=" + c.SemesterKind +
           " and id_discipline=" + text(c.discipline) + " and kredit=" + text(c.credits);
}

std::string groupList(const data::SheetChoice& c, std::int64_t loginId) {
    return " SELECT distinct id_gr_potok,gr_potok,isSelect,id_teacher FROM "
           "[QOR].[dbo].[f_QOR28_gr_potok] f  WHERE f.id_login =" +
           decimal(loginId) + " AND f.id_a_year =" + text(c.year) +
           " AND f.id_sem =" + text(c.semester) + " AND f.id_discipline =" + text(c.discipline) +
           " AND f.id_examination = " + text(c.assessment) + " AND f.isSelect=" + c.SemesterKind +
           " AND f.kredit =" + text(c.credits);
}

std::string groupPlanRule(const data::SheetChoice& c) {
    return " Select * from qor.dbo.rrnk  INNER JOIN dbo.educ_sh ON dbo.RRNK.id_educ_sh = "
           "dbo.educ_sh.id_educ_sh  WHERE id_group=" +
           text(c.group) + " AND dbo.rrnk.id_teacher=" + text(c.teacher) +
           " AND dbo.educ_sh.id_discipline = " + text(c.discipline) +
           " AND dbo.educ_sh.id_semester=" + text(c.semester) +
           " AND dbo.educ_sh.id_examination=" + text(c.assessment);
}

std::string groupOwnRule(const data::SheetChoice& c) {
    return " select * from qor.dbo.g_s  where id_group=" + text(c.group);
}

std::string groupSpecialityRow(const data::SheetChoice& c) {
    return "Select * from g_s where id_group=" + text(c.group);
}

std::string groupRow(const data::SheetChoice& c) {
    return "Select * From [QOR].[dbo].[group] Where id_group = " + text(c.group);
}

std::string streamDepartments(const data::SheetChoice& c) {
    return " Select distinct id_kafedra FROM qor.dbo.RRNKkrdt  WHERE subgroup=" + text(c.group) +
           " AND id_teacher=" + text(c.teacher) + " AND id_a_year=" + text(c.year) +
           " AND id_w_s=" + text(c.semester) + " AND id_examination=" + text(c.assessment) +
           " AND id_discipline=" + text(c.discipline) + " AND kredit=" + text(c.credits);
}

std::string streamPlanRowOfDepartment(const data::SheetChoice& c) {
    return " Select top 1 id_kafedra,id_a_year,id_ebe_var from qor.dbo.RRNKkrdt  WHERE "
           "subgroup=" +
           text(c.group) + " AND id_teacher=" + text(c.teacher) + " AND id_a_year=" + text(c.year) +
           " AND id_w_s=" + text(c.semester) + " AND id_kafedra=" + text(c.department) +
           " AND id_examination=" + text(c.assessment) +
           " AND id_discipline=" + text(c.discipline) + " ORDER BY id_rrnkKrdt";
}

std::string departmentList(const data::SheetChoice& c) {
    return " Select distinct Kafedra.f1,kafedra.id_Kafedra from Kafedra  Inner Join "
           "RRNKkrdt On Kafedra.id_kafedra=RRNKkrdt.id_kafedra Where Kafedra.id_kafedra "
           "in(Select id_kafedra from qor.dbo.RRNKkrdt  WHERE subgroup=" +
           text(c.group) + " AND id_teacher=" + text(c.teacher) + " AND id_a_year=" + text(c.year) +
           " AND id_w_s=" + text(c.semester) + ")";
}

std::string streamRule(const data::SheetChoice& c) {
    return " SELECT id_kafedra,id_a_year,id_ebe_var,id_f_educ FROM qor.dbo.RRNKkrdt  WHERE "
           "id_rrnkkrdt IN ( SELECT min(id_rrnkKrdt)  FROM qor.dbo.RRNKkrdt WHERE subgroup=" +
           text(c.group) + " AND id_teacher=" + text(c.teacher) + " AND id_a_year=" + text(c.year) +
           " AND id_w_s=" + text(c.semester) + " AND id_examination=" + text(c.assessment) +
           " AND id_discipline=" + text(c.discipline) + " AND kredit=" + text(c.credits) +
           " AND prov_reyt >= 0 )";
}

std::string ruleRows(const data::SheetChoice& c) {
    return "SELECT * FROM TF_GetEstConfig(" + c.RuleIdText + "," + decimal(c.SheetFormId) + ")";
}

std::string prepareSheet(const data::SheetChoice& c, std::int64_t teacherId) {
    const std::string sem = text(c.semester), discipline = text(c.discipline),
                      assessment = text(c.assessment), teacher = decimal(teacherId),
                      form = decimal(c.SheetFormId), kredit = text(c.credits);
    if (c.groupKindText() != "1") {
        return "EXEC InsertInto_SORT_MARK_MAG " + text(c.group) + "," + sem + "," + discipline +
               "," + assessment + "," + teacher + ",1,0,0,0," + form + "," + c.RuleIdText + "," +
               kredit;
    }
    return "EXEC InsertInto_SORT_MARK_MAG 0," + sem + "," + discipline + "," + assessment + "," +
           teacher + ",1," + text(c.group) + "," + "1," + text(c.year) + "," + form + "," +
           c.RuleIdText + "," + kredit;
}

std::string controlPointsInfo(const data::SheetChoice& c, std::int64_t teacherId,
                              const std::string& ruleOfRows, const std::string& sheetGroup) {
    const std::string teacher = decimal(teacherId), formKey = text(c.sheetForm);
    if (c.groupKindText() == "0") {
        return "EXEC LoadModulsInfo  @id_a_year = " + text(c.year) +
               ",@id_semester = " + text(c.semester) + ",@id_group = " + text(c.group) +
               ",@id_teacher = " + teacher + ",@id_discipline = " + text(c.discipline) +
               ",@id_faculty = " + text(c.faculty) + ",@id_f_educ = " + text(c.formOfEducation) +
               ",@id_ebe_var = " + ruleOfRows + ",@id_f_e = " + formKey +
               ",@id_speciality = " + text(c.speciality);
    }
    return "EXEC LoadModulsInfoP  @id_a_year = " + text(c.year) +
           " ,@id_semester = " + text(c.semester) + " ,@id_ebe_var = " + ruleOfRows +
           " ,@forPotok = 1 " + " ,@id_teacher = " + teacher +
           " ,@id_discipline  = " + text(c.discipline) + " ,@subgroup  = " + text(c.group) +
           " ,@id_f_e = " + formKey + " ,@kredits =" + text(c.assessmentCredits) +
           " ,@id_examination=" + text(c.assessmentExamination) + " ,@id_group=" + sheetGroup;
}

std::string facultyOfGroup(const db::Value& group) {
    return "SELECT f.f_name FROM faculty f INNER JOIN [group] g ON g.id_faculty = f.id_faculty "
           "WHERE g.id_group = " +
           text(group);
}

std::string departmentOfDiscipline(const db::Value& discipline) {
    return "SELECT k.f1 FROM kafedra k INNER JOIN discipline d ON d.id_kafedra = k.id_kafedra "
           "WHERE d.id_discipline = " +
           text(discipline);
}

std::string rowFilter(int item) {
    // By the item of the filter list: those who study the discipline, debts, everyone.
    static constexpr std::array<const char*, kRowFilterCount> filters = {
        "(id_estimation <> 25)", "(id_estimation in(8, 9, 10, 11, 16))", "1=1"};
    return item >= 0 && item < kRowFilterCount ? filters[static_cast<std::size_t>(item)] : "";
}

}  // namespace sheet::statements
