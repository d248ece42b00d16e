#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/SheetChoice.h"
#include "sheet/SheetStatements.h"

namespace {

namespace st = sheet::statements;

db::Value id(std::int64_t n) {
    return n;
}

// Group 41 of the first semester of year 26, discipline 12 with 5 credits, assessment 3,
// taught by teacher 7 under rule 101; the group's faculty 2, speciality 9, form of
// education 1.
data::SheetChoice groupChoice() {
    data::SheetChoice c;
    c.year = id(26);
    c.semester = id(1);
    c.SemesterKind = "0";
    c.discipline = id(12);
    c.credits = id(5);
    c.assessment = id(3);
    c.assessmentCredits = id(5);
    c.assessmentExamination = id(3);
    c.group = id(41);
    c.groupKind = id(0);
    c.teacher = id(7);
    c.faculty = id(2);
    c.speciality = id(9);
    c.formOfEducation = id(1);
    c.RuleIdText = "101";
    c.RuleId = 101;
    c.sheetForm = id(1);
    c.SheetFormId = 1;
    return c;
}

// Stream 55 of the same discipline under rule 107, department 4 picked, the sheet-form
// entry with key -1 (form 1, read only).
data::SheetChoice streamChoice() {
    data::SheetChoice c = groupChoice();
    c.SemesterKind = "1";
    c.group = id(55);
    c.groupKind = id(1);
    c.IsStream = 1;
    c.department = id(4);
    c.departmentOffered = true;
    c.faculty = c.speciality = c.formOfEducation = {};
    c.RuleIdText = "107";
    c.RuleId = 107;
    c.sheetForm = id(-1);
    c.SheetFormId = 1;
    return c;
}

struct Text {
    const char* statement;
    std::string built;
    const char* expected;
};

// Every text as the server receives it, blanks included: the selection lists, the
// grading rule of a group or a stream, and the load.
TEST(SheetStatements, EachStatementIsTheServersTextToTheByte) {
    const data::SheetChoice g = groupChoice();
    const data::SheetChoice s = streamChoice();
    const std::vector<Text> texts = {
        {"semesters", st::semesterList(g.year, 17),
         "Select  * , ([id_sem]*10+[isSelect]) as id_sem_Temp from qor.[dbo].[f_QOR28_sem] "
         "where id_a_year=26 AND id_login=17 order by ws_sort"},
        {"disciplines", st::disciplineList(g, 17),
         "SELECT p34 +' {'+ CAST(d.kredit as varchar) +'}'as p34 ,d.id_discipline,"
         "d.id_discipline*10+d.kredit as id, kredit   FROM [qor].[dbo].[f_QOR28_disc] d  "
         "inner join [qor].[dbo].[discipline] dd  on d.id_discipline=dd.id_discipline  where "
         "id_login = 17 and id_a_year =26 and id_sem =1 and isSelect =0"},
        {"assessments", st::assessmentList(s, 17),
         "SELECT p30,e.id_examination, e.kredit FROM [qor].[dbo].[f_QOR28_exam] e inner join "
         "qor.dbo.examination ee on e.id_examination=ee.id_examination where  id_login=17 and  "
         "id_a_year=26 and  id_sem=1 and isSelect=1 and id_discipline=12 and kredit=5"},
        {"groups", st::groupList(g, 17),
         " SELECT distinct id_gr_potok,gr_potok,isSelect,id_teacher FROM "
         "[QOR].[dbo].[f_QOR28_gr_potok] f  WHERE f.id_login =17 AND f.id_a_year =26 AND "
         "f.id_sem =1 AND f.id_discipline =12 AND f.id_examination = 3 AND f.isSelect=0 AND "
         "f.kredit =5"},
        {"group's plan rule", st::groupPlanRule(g),
         " Select * from qor.dbo.rrnk  INNER JOIN dbo.educ_sh ON dbo.RRNK.id_educ_sh = "
         "dbo.educ_sh.id_educ_sh  WHERE id_group=41 AND dbo.rrnk.id_teacher=7 AND "
         "dbo.educ_sh.id_discipline = 12 AND dbo.educ_sh.id_semester=1 AND "
         "dbo.educ_sh.id_examination=3"},
        {"group's own rule", st::groupOwnRule(g), " select * from qor.dbo.g_s  where id_group=41"},
        {"group's speciality", st::groupSpecialityRow(g), "Select * from g_s where id_group=41"},
        {"group's row", st::groupRow(g), "Select * From [QOR].[dbo].[group] Where id_group = 41"},
        {"stream's departments", st::streamDepartments(s),
         " Select distinct id_kafedra FROM qor.dbo.RRNKkrdt  WHERE subgroup=55 AND id_teacher=7 "
         "AND id_a_year=26 AND id_w_s=1 AND id_examination=3 AND id_discipline=12 AND kredit=5"},
        {"department's plan row", st::streamPlanRowOfDepartment(s),
         " Select top 1 id_kafedra,id_a_year,id_ebe_var from qor.dbo.RRNKkrdt  WHERE "
         "subgroup=55 AND id_teacher=7 AND id_a_year=26 AND id_w_s=1 AND id_kafedra=4 AND "
         "id_examination=3 AND id_discipline=12 ORDER BY id_rrnkKrdt"},
        {"departments to pick", st::departmentList(s),
         " Select distinct Kafedra.f1,kafedra.id_Kafedra from Kafedra  Inner Join RRNKkrdt On "
         "Kafedra.id_kafedra=RRNKkrdt.id_kafedra Where Kafedra.id_kafedra in(Select id_kafedra "
         "from qor.dbo.RRNKkrdt  WHERE subgroup=55 AND id_teacher=7 AND id_a_year=26 AND "
         "id_w_s=1)"},
        {"stream's rule", st::streamRule(s),
         " SELECT id_kafedra,id_a_year,id_ebe_var,id_f_educ FROM qor.dbo.RRNKkrdt  WHERE "
         "id_rrnkkrdt IN ( SELECT min(id_rrnkKrdt)  FROM qor.dbo.RRNKkrdt WHERE subgroup=55 AND "
         "id_teacher=7 AND id_a_year=26 AND id_w_s=1 AND id_examination=3 AND id_discipline=12 "
         "AND kredit=5 AND prov_reyt >= 0 )"},
        {"rule rows", st::ruleRows(g), "SELECT * FROM TF_GetEstConfig(101,1)"},
        {"group's sheet prepared", st::prepareSheet(g, 7),
         "EXEC InsertInto_SORT_MARK_MAG 41,1,12,3,7,1,0,0,0,1,101,5"},
        {"stream's sheet prepared", st::prepareSheet(s, 7),
         "EXEC InsertInto_SORT_MARK_MAG 0,1,12,3,7,1,55,1,26,1,107,5"},
        {"group's control points", st::controlPointsInfo(g, 7, "101", "41"),
         "EXEC LoadModulsInfo  @id_a_year = 26,@id_semester = 1,@id_group = 41,@id_teacher = 7,"
         "@id_discipline = 12,@id_faculty = 2,@id_f_educ = 1,@id_ebe_var = 101,@id_f_e = 1,"
         "@id_speciality = 9"},
        // The entry with key -1 sends -1 here though the other statements of the load use 1.
        {"stream's control points", st::controlPointsInfo(s, 7, "107", "41"),
         "EXEC LoadModulsInfoP  @id_a_year = 26 ,@id_semester = 1 ,@id_ebe_var = 107 ,@forPotok "
         "= 1  ,@id_teacher = 7 ,@id_discipline  = 12 ,@subgroup  = 55 ,@id_f_e = -1 ,@kredits =5 "
         ",@id_examination=3 ,@id_group=41"},
        {"faculty of a group", st::facultyOfGroup(std::int64_t{41}),
         "SELECT f.f_name FROM faculty f INNER JOIN [group] g ON g.id_faculty = f.id_faculty "
         "WHERE g.id_group = 41"},
        {"department of a discipline", st::departmentOfDiscipline(std::int64_t{12}),
         "SELECT k.f1 FROM kafedra k INNER JOIN discipline d ON d.id_kafedra = k.id_kafedra "
         "WHERE d.id_discipline = 12"},
        {"admission setting", st::kAdmissionStrict,
         "Select id_field from qor.dbo.VuzDefaults where id_vuz_defaults=23"},
        {"report server", st::kReportServer,
         "Select *  FROM [QOR].[dbo].[VuzDefaults] Where id_vuz_defaults=22"},
        {"days back a date may lie", st::kDaysBackAllowed,
         "SELECT id_field FROM VuzDefaults WHERE     (id_vuz_defaults = 37)"},
    };
    for (const Text& t : texts) EXPECT_EQ(t.built, t.expected) << t.statement;
}

// A group whose rule was not found sends an empty rule id; the server's error is then
// shown and no column is built.
TEST(SheetStatements, AGroupWithoutARuleSendsAnEmptyRuleId) {
    data::SheetChoice g = groupChoice();
    g.RuleIdText.clear();
    g.RuleId = 0;
    EXPECT_EQ(st::ruleRows(g), "SELECT * FROM TF_GetEstConfig(,1)");
}

TEST(SheetStatements, TheRowFilterFollowsTheFilterListsItem) {
    EXPECT_EQ(st::rowFilter(0), "(id_estimation <> 25)");
    EXPECT_EQ(st::rowFilter(1), "(id_estimation in(8, 9, 10, 11, 16))");
    EXPECT_EQ(st::rowFilter(2), "1=1");
    EXPECT_EQ(st::rowFilter(-1), "");
    EXPECT_EQ(st::rowFilter(3), "");
}

}  // namespace
